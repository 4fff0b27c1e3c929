#include <gtest/gtest.h>

#include "core/Files.h"
#include "output/GameFolder.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

const std::string kVoiceInt =
    "[Public]\r\nObject=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceFemale,"
    "Description=\"Mine, all mine\")\r\n";

TEST(FindNameClash, RefusesTheGamesOwnNamesEvenWithoutTheirFiles) {
  const testing::TempDir temp;
  for (const char* name : {"Botpack", "botpack", "Female2Voice", "UTServerAdmin", "VoiceMaleOne",
                           "ChallengeVoicePack", "Core"}) {
    const auto clash = FindNameClash(temp.path, temp.path / "home", name);
    ASSERT_TRUE(clash.has_value()) << name;
    EXPECT_NE(clash->find("one of the game's own packages"), std::string::npos) << *clash;
  }
  EXPECT_EQ(FindNameClash(temp.path, temp.path / "home", "BotpackFan"), std::nullopt);
}

TEST(FindNameClash, AnyPackageFileOfTheNameInAnyFolderTheGameLoadsFrom) {
  for (const char* folder :
       {"game/System", "game/Sounds", "game/Textures", "game/Music", "home/.utpg/System"}) {
    for (const char* file : {"MyPack.u", "mypack.UAX", "MYPACK.utx", "MyPack.umx", "MyPack.int"}) {
      SCOPED_TRACE(std::string(folder) + "/" + file);
      const testing::TempDir temp;
      const fs::path clashing = temp.Write(fs::path(folder) / file, "x");
      temp.Write("game/System/Other.u", "x");
      const auto clash = FindNameClash(temp.path / "game", temp.path / "home", "MyPack");
      EXPECT_EQ(clash, std::optional<std::string>(PathText(clashing)));
    }
  }
}

TEST(FindNameClash, AnEarlierBuildOfTheSameVoicePackMayBeRebuilt) {
  const struct {
    const char* name;
    std::vector<std::pair<const char*, std::string>> files;
    bool clashes;
  } cases[] = {
      {"int in System, package in the preference folder",
       {{"game/System/MyPack.int", kVoiceInt}, {"home/.utpg/System/MyPack.u", "u"}},
       false},
      {"int in the preference folder, package in System",
       {{"home/.utpg/System/mypack.int", kVoiceInt}, {"game/System/MyPack.u", "u"}},
       false},
      {"package without its int", {{"game/System/MyPack.u", "u"}}, true},
      {"a sound package of the name beside the pack's int",
       {{"game/System/MyPack.int", kVoiceInt}, {"game/Sounds/MyPack.uax", "x"}},
       true},
      {"a second object in the int",
       {{"game/System/MyPack.int", kVoiceInt + "Object=(Name=MyPack.Other,Class=Class)\r\n"}},
       true},
      {"another metaclass",
       {{"game/System/MyPack.int",
         "Object=(Name=MyPack.MyPack,Class=Class,MetaClass=Engine.Mutator)\r\n"}},
       true},
      {"another object's name",
       {{"game/System/MyPack.int",
         "Object=(Name=Botpack.MyPack,Class=Class,MetaClass=BotPack.VoiceMale)\r\n"}},
       true},
      {"two ints, one not the pack's",
       {{"game/System/MyPack.int", kVoiceInt}, {"home/.utpg/System/MyPack.int", "[Public]\r\n"}},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testing::TempDir temp;
    for (const auto& [file, bytes] : c.files) temp.Write(file, bytes);
    EXPECT_EQ(FindNameClash(temp.path / "game", temp.path / "home", "MyPack").has_value(),
              c.clashes);
  }
}

// <game>/<Name> may hold what a compile of the pack installs there, and
// nothing else: anything more belongs to another mod of that name.
TEST(FindNameClash, APackFolderHoldingMoreThanTheCompileInstallsClashes) {
  const struct {
    const char* name;
    std::vector<const char*> files;  // under game/MyPack; a trailing '/' makes a folder
    const char* clash;               // relative to game/MyPack; empty for none
  } cases[] = {
      {"an earlier build", {"Classes/MyPack.uc", "Sounds/hello.wav", "Sounds/Bye.WAV"}, ""},
      {"empty folders", {"Classes/", "Sounds/"}, ""},
      {"nothing in it", {}, ""},
      {"another class", {"Classes/MyPack.uc", "Classes/Helper.uc"}, "Classes/Helper.uc"},
      {"another mod's sources", {"Classes/OtherMod.uc"}, "Classes/OtherMod.uc"},
      {"the script in another case", {"Classes/mypack.uc"}, "Classes/mypack.uc"},
      {"a folder of its own", {"Classes/MyPack.uc", "Textures/"}, "Textures"},
      {"a file beside the folders", {"Readme.txt", "Sounds/a.wav"}, "Readme.txt"},
      {"a sound that isn't a .wav", {"Sounds/a.wav", "Sounds/notes.txt"}, "Sounds/notes.txt"},
      {"a hidden .wav", {"Sounds/.hidden.wav"}, "Sounds/.hidden.wav"},
      {"a folder named like a sound", {"Sounds/deep.wav/"}, "Sounds/deep.wav"},
      {"a folder named like the script", {"Classes/MyPack.uc/"}, "Classes/MyPack.uc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testing::TempDir temp;
    const fs::path pack = temp.path / "game/MyPack";
    fs::create_directories(pack);
    for (const std::string file : c.files) {
      if (file.back() == '/') {
        fs::create_directories(pack / file);
      } else {
        temp.Write(fs::path("game/MyPack") / file, "x");
      }
    }
    const auto clash = FindNameClash(temp.path / "game", temp.path / "home", "MyPack");
    if (std::string(c.clash).empty()) {
      EXPECT_EQ(clash, std::nullopt) << *clash;
    } else {
      EXPECT_EQ(clash, std::optional<std::string>(PathText(pack / c.clash)));
    }
  }
  // A file where the folder goes is the compile's to report: it can't make one.
  const testing::TempDir temp;
  temp.Write("game/MyPack", "x");
  EXPECT_EQ(FindNameClash(temp.path / "game", temp.path / "home", "MyPack"), std::nullopt);
}

// The pack's object may stand anywhere in its int file, among other lines.
TEST(IsVoicePackIntFile, ThePacksOneObjectAnywhereInTheFile) {
  const std::string object =
      "Object=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceBoss,Description=\"B\")";
  EXPECT_TRUE(IsVoicePackIntFile("[Public]\r\n" + object + "\r\n", "MyPack"));
  EXPECT_TRUE(
      IsVoicePackIntFile(object + "\r\n\r\n; made by hand\r\n[Other]\r\nA=1\r\n", "mypack"));
  EXPECT_TRUE(IsVoicePackIntFile("[Public]\n" + object + "\nPreferences=(Caption=x)\n", "MyPack"));
  const std::string other = "Object=(Name=MyPack.Other,Class=Class,MetaClass=Engine.Mutator)";
  EXPECT_FALSE(IsVoicePackIntFile(object + "\r\n" + other + "\r\n", "MyPack"));
  EXPECT_FALSE(IsVoicePackIntFile(other + "\r\n" + object + "\r\n", "MyPack"));
  EXPECT_FALSE(IsVoicePackIntFile("[Public]\r\n", "MyPack"));
}

TEST(GameFolderProblems, NamesEachMissingPiece) {
  const testing::TempDir temp;
  const fs::path game = temp.path / "game";
  auto problems = GameFolderProblems(game, temp.path / "home", true);
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_NE(problems[0].find("no System folder"), std::string::npos) << problems[0];
  EXPECT_NE(problems[1].find("compiler was not found"), std::string::npos) << problems[1];
  EXPECT_NE(problems[2].find("settings file is missing"), std::string::npos) << problems[2];

  temp.Write("game/System/UnrealTournament.ini", "[URL]\r\n");
  temp.Write("game/System/ucc-bin", "#!/bin/sh\n");
  EXPECT_EQ(GameFolderProblems(game, temp.path / "home", true).size(), 1u);  // not executable
  fs::permissions(game / "System/ucc-bin", fs::perms::owner_all);
  EXPECT_TRUE(GameFolderProblems(game, temp.path / "home", true).empty());
}

}  // namespace
}  // namespace voxmire
