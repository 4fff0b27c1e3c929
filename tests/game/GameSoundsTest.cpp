#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/Files.h"
#include "game/GameSounds.h"
#include "game/PackageBuilder.h"
#include "game/SoundLengths.h"
#include "sounds/TempDir.h"
#include "support/SilentWav.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;
const fs::path kShared = fs::path(VOXMIRE_SHARED_DIR) / "ut99";

TEST(GameSoundsTest, ReferencesAreSplitOrRefused) {
  struct Case {
    std::string text;
    std::optional<SoundReference> expected;
  };
  for (const Case& c : std::vector<Case>{
           {"Sound'Male1Voice.(All).M1gotit'", SoundReference{"Male1Voice", "(All)", "M1gotit"}},
           {"sound'Male1Voice.M1gotit'", SoundReference{"Male1Voice", "", "M1gotit"}},
           {"Male1Voice.(All).M1gotit", SoundReference{"Male1Voice", "(All)", "M1gotit"}},
           {"Pkg.A.B.Name", SoundReference{"Pkg", "A.B", "Name"}},
           {"Sound'Pkg.A.B.Name'", SoundReference{"Pkg", "A.B", "Name"}},
           {"M1gotit", std::nullopt},  // no package
           {"Sound'M1gotit'", std::nullopt},
           {"Sound'Male1Voice.M1gotit", std::nullopt},  // not closed
           {"Male1Voice.M1gotit'", std::nullopt},
           {"Sound'Male1Voice..M1gotit'", std::nullopt},
           {"Sound'.M1gotit'", std::nullopt},
           {"Sound'Male1Voice.'", std::nullopt},
           {"Sound''", std::nullopt},
           {"Sound'", std::nullopt},
           {" Sound'Male1Voice.M1gotit'", std::nullopt},
           {"Sound'Male1 Voice.M1gotit'", std::nullopt},
           {"Texture'Male1Voice.M1gotit'", std::nullopt},
           {"Sound\"Male1Voice.M1gotit\"", std::nullopt},
       }) {
    EXPECT_EQ(ParseSoundReference(c.text), c.expected) << c.text;
  }
}

TEST(GameSoundsTest, SearchPathsComeFromTheSettingsFile) {
  const fs::path system = "/ut/System";
  const auto dirs = [](const std::vector<PackagePath>& paths) {
    std::vector<std::string> out;
    for (const PackagePath& p : paths)
      out.push_back(p.Dir.string() + "|" + p.Prefix + "*" + p.Suffix);
    return out;
  };
  const std::vector<std::string> stock = {"/ut/System|*.u", "/ut/Maps|*.unr", "/ut/Textures|*.utx",
                                          "/ut/Sounds|*.uax", "/ut/Music|*.umx"};
  const std::string real = ReadFileBytes(kShared / "UnrealTournament-436.ini").value();
  EXPECT_EQ(dirs(PackagePathsFromSettings(real, system)), stock);
  const std::string patched = ReadFileBytes(kShared / "Default-469d.ini").value();
  EXPECT_EQ(dirs(PackagePathsFromSettings(patched, system)), stock);
  // No Paths at all: the game's own defaults.
  EXPECT_EQ(dirs(PackagePathsFromSettings("", system)), stock);
  EXPECT_EQ(dirs(PackagePathsFromSettings("[Engine.Engine]\r\nPaths=../X/*.uax\r\n", system)),
            stock);
  // Windows separators, spaces, letter case, absolute folders; a pattern
  // without exactly one '*' can't name a package and is left out.
  EXPECT_EQ(dirs(PackagePathsFromSettings("[core.system]\r\n paths = ..\\MySounds\\*.uax \r\n"
                                          "PATHS=/abs/Pre*.uax\r\nPaths=../Bad/x.uax\r\n"
                                          "Paths=../Bad/**.uax\r\n[Other]\r\nPaths=../Y/*.u\r\n",
                                          system)),
            (std::vector<std::string>{"/ut/MySounds|*.uax", "/abs|Pre*.uax"}));
}

// A game directory with the fixture packages in Sounds (or not), the
// game's settings file, and a program directory with the stock libraries.
struct Game {
  testing::TempDir temp;
  ProjectState state;
  SoundCheckPlaces places;

  explicit Game(bool withSounds = true, std::string settings = "") {
    places.program = Places::InOneFolder(temp.path / "program");
    fs::create_directories(places.program.LibraryFolder());
    for (const auto& entry : fs::directory_iterator(fs::path(VOXMIRE_DATA_DIR) / "Lib")) {
      fs::copy_file(entry.path(), places.program.LibraryFolder() / entry.path().filename());
    }
    const fs::path ut = temp.path / "ut";
    fs::create_directories(ut / "System");
    if (settings.empty()) settings = ReadFileBytes(kShared / "UnrealTournament-436.ini").value();
    temp.Write("ut/System/UnrealTournament.ini", settings);
    if (withSounds) {
      fs::create_directories(ut / "Sounds");
      for (const auto& entry : fs::directory_iterator(kShared / "packages")) {
        if (entry.path().extension() == ".uax") {
          fs::copy_file(entry.path(), ut / "Sounds" / entry.path().filename());
        }
      }
    }
    state.VoicePackName = "MyPack";
    state.UTDir = PathText(ut);
    state.UTSystemDir = PathText(ut / "System");
    state.Sounds = {"hello", "bye"};
  }

  std::string Check(const WorkAreaTables& tables) const {
    return CheckSoundReferences(tables, state, places);
  }
  std::string CheckOne(const std::string& sound) const {
    WorkAreaTables tables;
    tables.Taunts.CreateRows(2);
    tables.Taunts.SetCell(2, PhraseCell::Sound, sound);
    return Check(tables);
  }
};

void ExpectMentions(const std::string& message, const std::vector<std::string>& parts,
                    const std::string& sound) {
  if (parts.empty()) {
    EXPECT_EQ(message, "") << sound;
    return;
  }
  for (const std::string& part : parts) {
    EXPECT_NE(message.find(part), std::string::npos)
        << sound << ": \"" << message << "\" lacks " << part;
  }
}

TEST(GameSoundsTest, ReferencesResolveAgainstTheGamesPackages) {
  const Game game;
  struct Case {
    std::string sound;
    std::vector<std::string> mentions;  // none: accepted
  };
  const std::string sounds = game.state.UTDir + "/Sounds";
  for (const Case& c : std::vector<Case>{
           {"", {}},
           {"None", {}},
           {"none", {}},
           {"Sound'Male1Voice.(All).M1gotit'", {}},
           {"Sound'male1voice.(all).m1GOTIT'", {}},
           {"Male1Voice.M1gotit", {}},
           {"Sound'MixedSounds.Nali.contact1'", {}},
           {"Sound'MixedSounds.breath'", {}},
           {"Sound'MyPack.MyPack.hello'", {}},
           {"Sound'mypack.bye'", {}},
           {"Sound'Male1Voice.(All).M1gotti'",
            {"row 2", "\"Taunts\"", "Sound'Male1Voice.(All).M1gotti'",
             "Male1Voice has no sound named M1gotti", sounds + "/Male1Voice.uax"}},
           {"Sound'Male1Voce.(All).M1gotit'",
            {"row 2", "no package Male1Voce in ", sounds, game.state.UTDir + "/System"}},
           {"Sound'MixedSounds.Skaarj.contact1'",
            {"MixedSounds has no sound named contact1 in group Skaarj"}},
           {"Sound'MyPack.MyPack.hullo'", {"MyPack has no sound named hullo"}},
           {"Sound'MyPack.Other.hello'", {"MyPack has no group Other"}},
           {"M1gotit", {"row 2", "\"Taunts\"", "\"M1gotit\"", "is not a sound reference"}},
           {"Sound'Male1Voice.(All).M1gotit",
            {"\"Sound'Male1Voice.(All).M1gotit\"", "not a sound reference"}},
       }) {
    ExpectMentions(game.CheckOne(c.sound), c.mentions, c.sound);
  }
}

// Without a Sounds folder the stock libraries stand in for the stock
// packages; any other package is still missing.
TEST(GameSoundsTest, LibrariesDecideWhenTheGameHasNoSuchPackage) {
  const Game game(false);
  ExpectMentions(game.CheckOne("Sound'Male1Voice.(All).M1gotit'"), {}, "stock");
  ExpectMentions(game.CheckOne("Sound'BossVoice.Bgotit'"), {}, "stock, no group");
  ExpectMentions(game.CheckOne("Sound'Female1Voice.(All).F1coverme'"),
                 {"Female1Voice has no sound named F1coverme", "FemaleOne.vpl"}, "not listed");
  ExpectMentions(game.CheckOne("Sound'Male1Voice.Foo.M1gotit'"), {"in group Foo"}, "group");
  ExpectMentions(game.CheckOne("Sound'MixedSounds.Nali.contact1'"), {"no package MixedSounds"},
                 "not stock");
  // No game directory at all: still the libraries, and a clear word.
  Game none(false);
  none.state.UTSystemDir.clear();
  ExpectMentions(none.CheckOne("Sound'Male1Voice.(All).M1gotit'"), {}, "no game");
  ExpectMentions(none.CheckOne("Sound'Foo.Bar'"), {"no package Foo", "no game directory"}, "none");
}

TEST(GameSoundsTest, SettingsPathsAndDamagedPackages) {
  // The game looks only where its settings say: here a folder of its own.
  Game custom(true, "[Core.System]\r\nPaths=../Extra/*.uax\r\n");
  ExpectMentions(custom.CheckOne("Sound'MixedSounds.Nali.contact1'"), {"no package MixedSounds"},
                 "not on the paths");
  custom.temp.Write("ut/Extra/mixedsounds.UAX",
                    ReadFileBytes(kShared / "packages/MixedSounds.uax").value());
  ExpectMentions(custom.CheckOne("Sound'MixedSounds.Nali.contact1'"), {}, "case of the file");

  const Game damaged;
  damaged.temp.Write("ut/Sounds/Broken.uax", "not a package at all");
  ExpectMentions(damaged.CheckOne("Sound'Broken.A.B'"), {"Broken.uax can't be read", "signature"},
                 "broken");
}

TEST(GameSoundsTest, OwnSoundsFallBackToTheSoundList) {
  Game game;
  game.state.Sounds.clear();
  ExpectMentions(game.CheckOne("Sound'MyPack.MyPack.hello'"), {"MyPack has no sound named hello"},
                 "no list");
  game.temp.Write("program/soundlist.txt", "hello\r\nbye\r\n");
  ExpectMentions(game.CheckOne("Sound'MyPack.MyPack.hello'"), {}, "from the list");
}

// The first problem in writing order is the one named: leaders, then the
// growable tables, with the orders before the others.
TEST(GameSoundsTest, TheFirstProblemInWritingOrderIsNamed) {
  const Game game;
  WorkAreaTables tables;
  tables.Others.CreateRows(1);
  tables.Others.SetCell(1, PhraseCell::Sound, "Sound'Nope.A'");
  tables.Orders[5].Sound = "Sound'Nope.B'";
  ExpectMentions(game.Check(tables), {"\"Take Their Flag\" order", "\"Orders\"", "Nope.B"},
                 "order");
  tables.Acks.CreateRows(3);
  tables.Acks.SetCell(3, PhraseCell::Sound, "Sound'Nope.C'");
  ExpectMentions(game.Check(tables), {"row 3", "\"Acknowledgements\"", "Nope.C"}, "ack");
  tables.Names[2] = "Sound'Nope.D'";
  ExpectMentions(game.Check(tables), {"\"Green Leader\"", "\"Names\"", "Nope.D"}, "leader");
}

// Names equal but for case count once, and the same one whichever order the
// folder lists them in (byte order: "AAA.UAX" before "aaa.uax").
TEST(GameSoundsTest, SoundPackagesAreListedOnceSorted) {
  for (const bool upperFirst : {true, false}) {
    SCOPED_TRACE(upperFirst ? "AAA.UAX made first" : "aaa.uax made first");
    const Game game;
    for (const char* name : upperFirst ? std::array{"AAA.UAX", "aaa.uax", "Aaa.uax"}
                                       : std::array{"aaa.uax", "Aaa.uax", "AAA.UAX"}) {
      game.temp.Write(std::string("ut/Sounds/") + name, name);
    }
    game.temp.Write("ut/Sounds/Zed.umx", "music, not sounds");
    PackageFinder finder(GamePackagePaths(game.state, {}));
    std::vector<std::string> names;
    for (const FoundPackage& p : finder.SoundPackages()) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"AAA", "BossVoice", "Female1Voice", "Female2Voice",
                                               "Male1Voice", "Male2Voice", "MixedSounds"}));
    EXPECT_EQ(finder.Find("aaa"), game.temp.path / "ut/Sounds/AAA.UAX");
  }
}

// The pack's own sounds are where the script's head imports them: in their
// own group, or in none; commented out or into another package, not at all.
TEST(GameSoundsTest, OwnSoundsAreWhereTheHeadImportsThem) {
  const Game game;
  const std::string head =
      "class MyPack expands VoiceMaleTwo;\r\n"
      "#exec AUDIO IMPORT FILE=\"Sounds\\yes.wav\" NAME=\"yes\" PACKAGE=\"MyPack\" "
      "GROUP=\"Grunt\"\r\n"
      "#exec audio import file=Sounds\\loose.wav\r\n"
      "#exec AUDIO IMPORT FILE=\"x.wav\" NAME=\"elsewhere\" PACKAGE=\"Other\"\r\n"
      "/*\r\n#exec AUDIO IMPORT FILE=\"Sounds\\old.wav\" NAME=\"old\" PACKAGE=\"MyPack\"\r\n*/\r\n";
  const auto check = [&](const std::string& sound) {
    WorkAreaTables tables;
    tables.Names[0] = sound;
    return CheckSoundReferences(tables, game.state, game.places, head);
  };
  for (const auto& [sound, mentions] :
       std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"Sound'MyPack.Grunt.yes'", {}},
           {"Sound'mypack.GRUNT.Yes'", {}},
           {"Sound'MyPack.yes'", {}},
           {"Sound'MyPack.loose'", {}},
           {"Sound'MyPack.MyPack.yes'",
            {"MyPack has no group MyPack; the pack's own sounds are in the groups Grunt, (none)"}},
           {"Sound'MyPack.Grunt.loose'", {"MyPack has no sound named loose in group Grunt"}},
           {"Sound'MyPack.old'", {"MyPack has no sound named old"}},
           {"Sound'MyPack.elsewhere'", {"MyPack has no sound named elsewhere"}},
           // The sound page's list is not the head: hello is imported nowhere.
           {"Sound'MyPack.MyPack.hello'", {"MyPack has no group MyPack"}},
       }) {
    ExpectMentions(check(sound), mentions, sound);
  }
  EXPECT_EQ(OwnSoundImports(head, "MYPACK").size(), 2u);
}

// A time follows its sound's length: the pack's own copy (a new recording
// under the same name included), a game package's data, else what the
// stock classes give their own sounds.
TEST(GameSoundsTest, SoundLengthsComeFromWhereTheGameFindsTheSound) {
  Game game;
  game.state.SoundDir = PathText(game.temp.path / "mine") + "/";
  game.temp.Write("program/Packs/MyPack/Sounds/hello.wav", testing::SilentWav(22050, 22050));
  game.temp.Write("mine/bye.wav",
                  testing::SilentWav(11025, 22050));                // no copy yet: the user's file
  game.temp.Write("mine/hello.wav", testing::SilentWav(1, 22050));  // the copy wins
  game.temp.Write("ut/Sounds/Stripped.uax", testing::BuildPackage(68, {{"(All)", "M1roger", ""}}));
  const std::string head = "class MyPack extends VoiceMaleOne;\r\n";  // imports come from Sounds
  GameSoundLengths lengths(game.state, game.places.program, {}, head);
  EXPECT_EQ(lengths.Length("Sound'MyPack.MyPack.hello'"), 1.0);
  EXPECT_EQ(lengths.Length("MyPack.bye"), 0.5);
  EXPECT_EQ(lengths.Length("Sound'MyPack.MyPack.nothing'"), std::nullopt);
  EXPECT_EQ(lengths.Length("Sound'Male1Voice.(All).M1gotit'"), 115.0 / 11025);  // the fixture's
  EXPECT_EQ(lengths.Length("None"), std::nullopt);
  EXPECT_EQ(lengths.Length(""), std::nullopt);
  EXPECT_EQ(lengths.Length("not a reference"), std::nullopt);
  game.temp.Write("program/Packs/MyPack/Sounds/hello.wav", testing::SilentWav(2 * 22050, 22050));
  EXPECT_EQ(lengths.Length("Sound'MyPack.MyPack.hello'"), 2.0);

  // Without the game's package, or with one stripped of its data, the stock
  // class's time; a sound no stock class times is unknown.
  Game bare(false);
  GameSoundLengths stock(bare.state, bare.places.program, {}, head);
  EXPECT_EQ(stock.Length("Sound'Male1Voice.(All).M1gotit'"), 0.78);
  EXPECT_EQ(stock.Length("Sound'Female2Voice.(All).F2goldleader'"), 0.93);
  EXPECT_EQ(stock.Length("Sound'Male1Voice.(All).M1boom'"), std::nullopt);
  EXPECT_EQ(lengths.Length("Sound'Stripped.(All).M1roger'"), std::nullopt);
  game.temp.Write("ut/Sounds/Male2Voice.uax",
                  testing::BuildPackage(68, {{"(All)", "M2roger", ""}}));
  GameSoundLengths stripped(game.state, game.places.program, {}, head);
  EXPECT_EQ(stripped.Length("Sound'Male2Voice.(All).M2roger'"), 0.81);
}

}  // namespace
}  // namespace voxmire
