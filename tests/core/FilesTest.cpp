#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/Drives.h"
#include "core/Files.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

TEST(SplitLines, ReadsLinesAsALineByLineReaderDoes) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitLines(""), V{});
  EXPECT_EQ(SplitLines("a\r\nb\r\n"), (V{"a", "b"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\nb\rc"), (V{"a", "b", "c"}));
  EXPECT_EQ(SplitLines("\r\n"), (V{""}));
}

TEST(WriteFileAtomic, ReplacesTheWholeFileAndKeepsItsMode) {
  const testing::TempDir temp;
  const auto file = temp.path / "x.ini";
  ASSERT_TRUE(WriteFileAtomic(file, "first\r\n"));
  ::chmod(file.c_str(), 0600);
  ASSERT_TRUE(WriteFileAtomic(file, "second"));
  EXPECT_EQ(ReadFileBytes(file), std::optional<std::string>("second"));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // Nothing but the file itself is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path), {}), 1);
}

TEST(WriteFileAtomic, FailsWithoutTouchingAnythingWhenTheFolderIsMissing) {
  const testing::TempDir temp;
  const auto& dir = temp.path;
  EXPECT_FALSE(WriteFileAtomic(dir / "missing" / "x.ini", "data"));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
  EXPECT_EQ(ReadFileBytes(dir / "nothing"), std::nullopt);
  EXPECT_EQ(ReadFileBytes(dir), std::nullopt);  // a directory is no file
}

// A read that fails must never pass for a whole (here: empty) file.
TEST(ReadFileBytes, AReadErrorIsNoFileAndSaysWhy) {
  std::error_code ec;
  // Opening works, the first read fails (address 0 is not mapped).
  EXPECT_EQ(ReadFileBytes("/proc/self/mem", ec), std::nullopt);
  EXPECT_TRUE(ec);
  EXPECT_EQ(ReadFileBytes("/no/such/file", ec), std::nullopt);
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
  const testing::TempDir temp;
  const auto file = temp.Write("big.bin", std::string(200000, '\x80') + "end");
  EXPECT_EQ(ReadFileBytes(file, ec), std::string(200000, '\x80') + "end");
  EXPECT_FALSE(ec);
}

TEST(WriteFileAtomic, SaysWhyItFailed) {
  const testing::TempDir temp;
  std::error_code ec;
  EXPECT_FALSE(WriteFileAtomic(temp.path / "missing" / "x.ini", "data", ec));
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
  std::filesystem::create_directories(temp.path / "dir" / "inside");
  EXPECT_FALSE(WriteFileAtomic(temp.path / "dir", "data", ec));  // a folder can't be replaced
  EXPECT_TRUE(ec);
  EXPECT_TRUE(std::filesystem::is_directory(temp.path / "dir" / "inside"));
}

TEST(Paths, Windows1252TextBecomesAUtf8FileName) {
  EXPECT_EQ(FsPath("caf\xE9").string(), "caf\xC3\xA9");
  EXPECT_EQ(PathText(FsPath("caf\xE9/\x80")), "caf\xE9/\x80");
}

TEST(Drives, MountPointsOfRealFileSystemsRootFirst) {
  const std::string mounts =
      "overlay / overlay rw 0 0\n"
      "proc /proc proc rw 0 0\n"
      "/dev/sdb1 /mnt/usb\\040stick vfat rw 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "/dev/sdc1 /run/media/jo/CARD exfat rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "sysfs /sys sysfs rw 0 0\n";
  const std::vector<std::string> expected = {"/", "/home", "/mnt/usb stick", "/run/media/jo/CARD"};
  EXPECT_EQ(ParseMountPoints(mounts), expected);
  EXPECT_EQ(DriveOf("/home/jo/sounds", expected), "/home");
  EXPECT_EQ(DriveOf("/homework", expected), "/");
  EXPECT_EQ(DriveOf("/mnt/usb stick", expected), "/mnt/usb stick");
}

}  // namespace
}  // namespace voxmire
