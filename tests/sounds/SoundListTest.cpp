#include <gtest/gtest.h>

#include "core/Files.h"
#include "sounds/SoundList.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

using Names = std::vector<std::string>;

TEST(SoundListTest, FileNames) {
  const struct {
    const char *file, *sound;
    bool wav, usable;
  } cases[] = {{"hello.wav", "hello", true, true},    {"HELLO.WAV", "HELLO", true, true},
               {"a.WaV.wav", "a", true, true},        {"x.wave", "x", false, true},
               {"a.wav.bak", "a", false, true},       {"plain", "plain", false, true},
               {"\"hi\".wav", "\"hi\"", true, false}, {"2\nlines.wav", "2\nlines", true, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(SoundName(c.file), c.sound) << c.file;
    EXPECT_EQ(IsWavFileName(c.file), c.wav) << c.file;
    EXPECT_EQ(IsUsableSoundFileName(c.file), c.usable) << c.file;
  }
}

TEST(SoundListTest, SortedListAndItsFile) {
  Names list;
  for (const char* name : {"b", "Hello", "a", "hello", "\xC9t\xE9", "hello", "\xE9t\xE9", "Zed"}) {
    InsertSorted(list, name);
  }
  // Equal names keep their arrival order; É and é fold together after the ASCII letters.
  EXPECT_EQ(list, (Names{"a", "b", "Hello", "hello", "hello", "Zed", "\xC9t\xE9", "\xE9t\xE9"}));
  EXPECT_EQ(InsertSorted(list, "hELLO"), 5u);

  testing::TempDir dir;
  ASSERT_TRUE(
      WriteSoundList(Places::InOneFolder(dir.path), list));  // exact repeats go, case variants stay
  EXPECT_EQ(ReadFileBytes(dir.path / "soundlist.txt"),
            "a\r\nb\r\nHello\r\nhello\r\nhELLO\r\nZed\r\n\xC9t\xE9\r\n\xE9t\xE9\r\n");
  ASSERT_TRUE(WriteSoundList(Places::InOneFolder(dir.path), {}));
  EXPECT_EQ(ReadFileBytes(dir.path / "soundlist.txt"), "");
  EXPECT_EQ(FormatSoundList({"a", "b", "a", "", ""}), "a\r\nb\r\na\r\n\r\n");
  EXPECT_FALSE(WriteSoundList(Places::InOneFolder(dir.path / "missing"), {"a"}));
}

}  // namespace
}  // namespace voxmire
