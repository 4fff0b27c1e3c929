#include <gtest/gtest.h>

#include "core/Files.h"
#include "output/ScriptTemplate.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

ProjectState MyPack(std::string name = "MyPack") {
  ProjectState state;
  state.VoicePackName = std::move(name);
  state.BaseVoiceClass = "VoiceMaleOne";
  state.BaseVoicePackage = "Male1Voice";
  state.SoundDir = "C:\\Sounds\\";
  return state;
}

// The sounds' own folder never shows: the compiler finds them beside Classes.
const std::string kHello =
    "#exec AUDIO IMPORT FILE=\"Sounds\\hello.wav\" NAME=\"hello\" PACKAGE=\"MyPack\" "
    "GROUP=\"MyPack\"";
const std::string kBye =
    "#exec AUDIO IMPORT FILE=\"Sounds\\bye.wav\" NAME=\"bye\" PACKAGE=\"MyPack\" "
    "GROUP=\"MyPack\"";

TEST(ScriptTemplateTest, Expansion) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\nOTHER_EXEC_STATEMENTS\r\nz", "a\r\n\r\n" + kHello + "\r\n" + kBye + "\r\nz\r\n"},
      {"x OTHER_EXEC_STATEMENTS;", "x \r\n" + kHello + "\r\n" + kBye + ";\r\n"},
      {"VOICEPACK_NAME VOICEPACK_NAME\rVOICEPACK_NAME VOICEPACK_NAME",
       "MyPack MyPack\r\nMyPack VOICEPACK_NAME\r\n"},
      {"voicepack_name Gender_Of_Voice xvoice_pack_basex GENDER_OF_VOICE VOICE_PACK_BASE",
       "MyPack VoiceMaleOne xMale1Voicex GENDER_OF_VOICE VOICE_PACK_BASE\r\n"},
      {"class VOICEPACK_NAME;", "class MyPack;\r\n"},  // the missing ones are skipped
  };
  for (const auto& [templ, text] : cases) {
    EXPECT_EQ(ExpandTemplate(templ, {"hello", "bye"}, MyPack()), text) << templ;
  }
  EXPECT_EQ(ExpandTemplate("a\nOTHER_EXEC_STATEMENTS\n", {}, MyPack()), "a\r\n\r\n");
  EXPECT_EQ(ExpandTemplate("[VOICEPACK_NAME]", {}, MyPack("")), "[]\r\n");
  // A value holding a later placeholder is searched like the template's text.
  EXPECT_EQ(ExpandTemplate("VOICEPACK_NAME VOICE_PACK_BASE", {}, MyPack("Voice_Pack_Base")),
            "Male1Voice VOICE_PACK_BASE\r\n");
}

TEST(ScriptTemplateTest, WritesTheScriptFileWithCrLfLineEnds) {
  testing::TempDir dir;
  ProjectState state = MyPack("");
  ApplyDefaultPackName(state);
  ASSERT_TRUE(WriteScriptFile(Places::InOneFolder(dir.path), state.VoicePackName,
                              WithCrLfLineEnds("a\nb\r\nc\r")));
  EXPECT_EQ(ReadFileBytes(dir.path / "DEFAULT.uc"), "a\r\nb\r\nc\r\n\r\n");
  EXPECT_FALSE(WriteScriptFile(Places::InOneFolder(dir.path / "missing"), "MyPack", "x"));
  EXPECT_EQ(ReadTemplate(Places::InOneFolder(dir.path)), std::nullopt);
}

TEST(ScriptTemplateTest, ShippedTemplate) {
  const std::optional<std::string> templ = ReadTemplate(Places::InOneFolder(VOXMIRE_DATA_DIR));
  ASSERT_TRUE(templ.has_value());
  EXPECT_EQ(WithCrLfLineEnds(*templ), *templ);
  EXPECT_TRUE(templ->ends_with("\r\n"));

  std::string text = *templ;  // three names, one of each other placeholder
  for (const auto& [word, count] :
       {std::pair{"VOICEPACK_NAME", 3}, std::pair{"GENDER_OF_VOICE", 1},
        std::pair{"VOICE_PACK_BASE", 1}, std::pair{"OTHER_EXEC_STATEMENTS", 1}}) {
    int found = 0;
    while (ReplaceFirstIgnoringCase(text, word, "")) ++found;
    EXPECT_EQ(found, count) << word;
  }
  // The class line, the base's stock sounds and the imports, nothing left unfilled.
  const std::string script = ExpandTemplate(*templ, {"hello", "bye"}, MyPack());
  EXPECT_EQ(script, ExpandTemplate(script, {}, {}));
  const std::string lines[] = {"class MyPack extends VoiceMaleOne;",
                               "#exec OBJ LOAD FILE=..\\Sounds\\Male1Voice.uax", kHello, kBye};
  for (const std::string& line : lines) {
    EXPECT_NE(script.find("\r\n" + line + "\r\n"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace voxmire
