#include <gtest/gtest.h>

#include "core/Files.h"
#include "output/GameIni.h"

namespace voxmire {
namespace {

struct InsertCase {
  const char* name;
  std::string before;
  std::string after;
};

TEST(InsertEditPackage, AfterTheFirstAnchorElseInTheCompilersSection) {
  const InsertCase cases[] = {
      {"anchor line", "A\r\nEditPackages=UTBrowser\r\nB\r\n",
       "A\r\nEditPackages=UTBrowser\r\nEditPackages=P\r\n\r\nB\r\n\r\n"},
      {"other case kept", "editpackages=utbrowser\r\n",
       "editpackages=utbrowser\r\nEditPackages=P\r\n\r\n\r\n"},
      {"inside a longer line", ";EditPackages=UTBrowserX\r\n",
       ";EditPackages=UTBrowser\r\nEditPackages=P\r\nX\r\n\r\n"},
      {"first of two", "EditPackages=UTBrowser\nEDITPACKAGES=UTBROWSER\n",
       "EditPackages=UTBrowser\r\nEditPackages=P\r\n\nEDITPACKAGES=UTBROWSER\n\r\n"},
      // Without the anchor the line still goes to the compiler's own section.
      {"after the section's last package",
       "EditPackages=Stray\r\n[Editor.EditorEngine]\r\nEditPackages=UBrowser\r\n"
       "editpackages=Fire\r\nX=1\r\n[Other]\r\nEditPackages=No\r\n",
       "EditPackages=Stray\r\n[Editor.EditorEngine]\r\nEditPackages=UBrowser\r\n"
       "editpackages=Fire\r\nEditPackages=P\r\nX=1\r\n[Other]\r\nEditPackages=No\r\n\r\n"},
      {"end of a section without packages", "[editor.editorengine]\r\nX=1\r\n\r\n[Other]\r\n",
       "[editor.editorengine]\r\nX=1\r\nEditPackages=P\r\n\r\n[Other]\r\n\r\n"},
      {"section missing", "[URL]\r\nA=1",
       "[URL]\r\nA=1\r\n[Editor.EditorEngine]\r\nEditPackages=P\r\n\r\n"},
      {"empty file", "", "[Editor.EditorEngine]\r\nEditPackages=P\r\n\r\n"},
      {"anchor at the very end", "EditPackages=UTBrowser",
       "EditPackages=UTBrowser\r\nEditPackages=P\r\n\r\n"},
      {"8-bit bytes kept", "\xE9\r\nEditPackages=UTBrowser\x80",
       "\xE9\r\nEditPackages=UTBrowser\r\nEditPackages=P\r\n\x80\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InsertEditPackage(c.before, "P"), c.after) << c.name;
  }
}

// On the game's real settings files the new package must land in the
// section the compiler reads, right after UTBrowser, with nothing else moved.
TEST(InsertEditPackage, GameSettingsFiles) {
  for (const char* file : {"UnrealTournament-436.ini", "Default-469d.ini"}) {
    SCOPED_TRACE(file);
    const auto original =
        ReadFileBytes(std::string(VOXMIRE_SHARED_DIR) + "/ut99/" + file).value_or("");
    ASSERT_FALSE(original.empty());
    const std::vector<std::string> before = SplitLines(original);
    const std::vector<std::string> after = SplitLines(InsertEditPackage(original, "MyPack"));
    ASSERT_EQ(after.size(), before.size() + 3);  // new line, the empty one, the final CR LF

    std::size_t anchor = 0;
    while (before[anchor] != "EditPackages=UTBrowser") ++anchor;
    std::string section;
    for (std::size_t i = 0; i < anchor; ++i) {
      if (!before[i].empty() && before[i][0] == '[') section = before[i];
    }
    EXPECT_EQ(section, "[Editor.EditorEngine]");
    EXPECT_EQ(after[anchor + 1], "EditPackages=MyPack");
    EXPECT_EQ(after[anchor + 2], "");
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + anchor + 1, after.begin()));
    EXPECT_TRUE(std::equal(before.begin() + anchor + 1, before.end(), after.begin() + anchor + 3));
    EXPECT_EQ(after.back(), "");
  }
}

TEST(IsUnrestoredEdit, RecognisesOnlyTheProgramsOwnEdit) {
  const std::string ini = "[Editor.EditorEngine]\r\nEditPackages=UTBrowser\r\nX=1\r\n";
  EXPECT_TRUE(IsUnrestoredEdit(InsertEditPackage(ini, "Any"), ini));
  for (const std::string other : {"no anchor\r\n", "[Editor.EditorEngine]\r\nEditPackages=A\r\n",
                                  "[Editor.EditorEngine]\r\nX=1"}) {
    EXPECT_TRUE(IsUnrestoredEdit(InsertEditPackage(other, "Pack"), other)) << other;
  }
  EXPECT_FALSE(IsUnrestoredEdit(ini, ini));
  EXPECT_FALSE(IsUnrestoredEdit(InsertEditPackage(ini, "Any") + "Y=2\r\n", ini));
  // A package line the user added by hand, without the edit's trailing line end.
  const std::string byHand =
      "[Editor.EditorEngine]\r\nEditPackages=UTBrowser\r\nEditPackages=Mine\r\nX=1\r\n";
  EXPECT_FALSE(IsUnrestoredEdit(byHand, ini));
}

}  // namespace
}  // namespace voxmire
