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
