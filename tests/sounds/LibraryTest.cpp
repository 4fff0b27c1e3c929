#include <gtest/gtest.h>

#include "core/Files.h"
#include "sounds/Library.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

using Names = std::vector<std::string>;

ProjectState Pack(std::string name) {
  ProjectState state;
  state.VoicePackName = std::move(name);
  state.SoundDir = "/snd/";
  return state;
}

// The shipped libraries hold the game's stock sound names, so their entries
// name sounds that exist.
TEST(LibraryTest, StockLibrariesListTheGamesSounds) {
  const std::pair<std::string, std::string> stock[] = {{"MaleOne", "Male1Voice"},
                                                       {"MaleTwo", "Male2Voice"},
                                                       {"FemaleOne", "Female1Voice"},
                                                       {"FemaleTwo", "Female2Voice"},
                                                       {"Boss", "BossVoice"}};
  for (const auto& [choice, package] : stock) {
    const auto names = ReadFileBytes(std::string(VOXMIRE_SHARED_DIR "/ut99/") + package + ".txt");
    ASSERT_TRUE(names.has_value()) << package;
    std::string bytes;
    Names entries;
    for (const std::string& line : SplitLines(*names)) {
      bytes += line + "\r\n";
      entries.push_back("Sound'" + package + ".(All)." + line + "'");
    }
    EXPECT_GT(entries.size(), 50u);
    EXPECT_EQ(ReadFileBytes(std::string(VOXMIRE_DATA_DIR "/Lib/") + choice + ".vpl"), bytes);
    EXPECT_EQ(EntriesForChoice(choice, Pack("MyPack"), Places::InOneFolder(VOXMIRE_DATA_DIR)),
              entries)
        << choice;
  }
}

TEST(LibraryTest, OwnSoundsWinTheChoice) {
  testing::TempDir dir;
  dir.Write("soundlist.txt", "hello\r\n\r\n");
  dir.Write("Lib/Boss.vpl", "Bgotit\r\n");
  const struct {
    const char *pack, *choice;
    std::optional<Names> entries;
  } cases[] = {{"MyPack", "MyPack", Names{"Sound'MyPack.MyPack.hello'", "Sound'MyPack.MyPack.'"}},
               {"MyPack", "Boss", Names{"Sound'BossVoice.(All).Bgotit'"}},
               {"Boss", "Boss", Names{"Sound'Boss.Boss.hello'", "Sound'Boss.Boss.'"}},
               {"", "", Names{"Sound'..hello'", "Sound'..'"}},
               {"MyPack", "boss", std::nullopt},  // case counts: no match, the list stays
               {"MyPack", "MaleOne", Names{}}};   // a missing file lists nothing
  for (const auto& c : cases) {
    EXPECT_EQ(EntriesForChoice(c.choice, Pack(c.pack), Places::InOneFolder(dir.path)), c.entries)
        << c.choice;
  }
  EXPECT_EQ(LibraryChoices(Pack("Boss")),
            (Names{"Boss", "MaleOne", "MaleTwo", "Boss", "FemaleOne", "FemaleTwo"}));
}

TEST(LibraryTest, OnlyOwnEntriesHaveASoundFile) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"Sound'MyPack.MyPack.hello'", "/snd/hello.wav"},
      {"Sound'MyPack.MyPack.a.b'", "/snd/a.b.wav"},
      {"Sound'MyPack.MyPack.'", "/snd/.wav"},
      {"Sound'MyPack.MyPack.", std::nullopt},
      {"Sound'Male1Voice.(All).M1gotit'", std::nullopt},
      {"Sound'MyPackX.MyPack.hello'", std::nullopt}};
  testing::TempDir program;
  for (const auto& [entry, path] : cases) {
    EXPECT_EQ(OwnSoundPath(entry, Pack("MyPack"), Places::InOneFolder(program.path)), path);
  }
  // The pack's own copy, once it has one, is what the game gets.
  const auto copy = program.Write("Packs/MyPack/Sounds/hello.wav", "RIFF");
  EXPECT_EQ(
      OwnSoundPath("Sound'MyPack.MyPack.hello'", Pack("MyPack"), Places::InOneFolder(program.path)),
      PathText(copy));
  EXPECT_EQ(
      OwnSoundPath("Sound'MyPack.MyPack.bye'", Pack("MyPack"), Places::InOneFolder(program.path)),
      "/snd/bye.wav");
}

}  // namespace
}  // namespace voxmire
