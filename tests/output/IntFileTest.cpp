#include <gtest/gtest.h>

#include <filesystem>

#include "core/Files.h"
#include "output/IntFile.h"

namespace voxmire {
namespace {

// The text the page previews is exactly what "&Finish..." writes: the gender's
// own metaclass, so female and boss packs show up in the player setup menu.
TEST(IntFile, PreviewAndWrittenFileCarryTheGendersMetaClass) {
  const struct {
    const char* gender;
    const char* description;
    const char* line2;
  } cases[] = {
      {"Female", "MyPack by Jane",
       "Object=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceFemale,"
       "Description=\"MyPack by Jane\")"},
      {"Male", "A gruff voice",
       "Object=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceMale,"
       "Description=\"A gruff voice\")"},
      {"Boss", "",
       "Object=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceBoss,Description=\"\")"},
  };
  const auto dir = std::filesystem::path(::testing::TempDir()) / "int-file-genders";
  std::filesystem::create_directories(dir);
  for (const auto& c : cases) {
    const std::string text = IntFileText("MyPack", MetaClassFor(c.gender), c.description);
    EXPECT_EQ(text, std::string("[Public]\r\n") + c.line2);
    ASSERT_TRUE(WriteIntFile(Places::InOneFolder(dir), "MyPack", text));
    EXPECT_EQ(ReadFileBytes(dir / "MyPack.int"), text + "\r\n");
  }
}

TEST(IntFileDescription, OnlyADoubleQuoteIsRefused) {
  for (const char* ok : {"", "MyPack by Jane", "Jane's (loud) voice, \\o/ caf\xE9"}) {
    EXPECT_FALSE(DescriptionProblem(ok)) << ok;
  }
  for (const char* bad : {"Say \"hi\"", "\"", "ends with \""}) {
    EXPECT_TRUE(DescriptionProblem(bad)) << bad;
  }
}

}  // namespace
}  // namespace voxmire
