#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "core/Files.h"
#include "output/DefaultProperties.h"
#include "output/IntFile.h"
#include "output/ScriptTemplate.h"
#include "project/BaseVoices.h"
#include "project/ClassImport.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

using testing::TempDir;

// A class script as the wizard writes it: the template's head, then the
// defaultproperties and the comment block.
std::string GeneratedHead(const ProjectState& state) {
  const auto templ = ReadFileBytes(std::filesystem::path(VOXMIRE_DATA_DIR) / "defaultscript.txt");
  EXPECT_TRUE(templ);
  return ScriptFileBytes(ExpandTemplate(templ.value_or(""), state.Sounds, state));
}

std::string GeneratedClass(const ProjectState& state) {
  std::tm stamp{};
  stamp.tm_year = 126, stamp.tm_mon = 11, stamp.tm_mday = 6;
  const DefaultPropertiesBlock block = BuildDefaultProperties(state.Tables, state, stamp);
  EXPECT_TRUE(block.Ok()) << block.Error;
  return GeneratedHead(state) + block.Text;
}

// The same class from a generator that leaves out the lines of empty order
// and leader sounds and strings.
std::string WithoutEmptyOrderAndNameLines(const std::string& script) {
  static const std::regex empty(R"((OrderSound|NameSound)\(\d+\)=\r\n|OrderString\(\d+\)=""\r\n)");
  return std::regex_replace(script, empty, "");
}

void Fill(PhraseTable& table, int rows, const std::vector<std::pair<int, PhraseRow>>& cells) {
  table.CreateRows(rows);
  for (const auto& [k, row] : cells) {
    table.SetCellUnclamped(k, PhraseCell::Sound, row.Sound);
    table.SetCellUnclamped(k, PhraseCell::String, row.String);
    table.SetCellUnclamped(k, PhraseCell::Abbrev, row.Abbrev);
  }
}

// The largest pack the game takes, with every kind of text a user types.
WorkAreaTables FullTables() {
  WorkAreaTables t;
  std::vector<std::pair<int, PhraseRow>> acks;
  for (int k = 1; k <= kMaxAcks; k += 2) {
    acks.push_back({k, {"Sound'Male1Voice.(All).M1gotit'", "Got it " + std::to_string(k), ""}});
  }
  acks.push_back({4, {"MyPack.ack4", "C:\\Temp\\ and \\\\share", "back\\slash"}});
  acks.push_back({6, {"", "caf\xE9 \x80 \x93quoted\x94 \xFF", "  "}});
  Fill(t.Acks, kMaxAcks, acks);
  Fill(t.FFire, kMaxFFires,
       {{1, {"Sound'UnrealShare.Nali.contact1'", "Watch it!", "Careful"}},
        {16, {"Female2Voice.F2roger", "", "Last one"}}});
  std::vector<std::pair<int, PhraseRow>> taunts;
  for (int k = 1; k <= kMaxTaunts; ++k) {
    taunts.push_back({k,
                      {"Sound'MyPack.MyPack.t" + std::to_string(k) + "'",
                       "Taunt number " + std::to_string(k), k % 3 ? "" : "Abbrev that is long"}});
  }
  Fill(t.Taunts, kMaxTaunts, taunts);
  Fill(t.Others, kMaxOthers, {{2, {"MyPack.other", "Other text", ""}}, {32, {"x", "y", "z"}}});
  t.Orders[0] = {"Sound'Male1Voice.(All).M1defend'", "Defend the base", "Defend"};
  t.Orders[3] = {"", "Cover me!", ""};
  t.Orders[6] = {"MyPack.seek", "Search \\\\ destroy", "Turn the safety off."};
  t.Names = {"Sound'Male1Voice.(All).M1red'", "", "MyPack.green", "Female1Voice.F1gold"};
  return t;
}

ProjectState GeneratedPack(WorkAreaTables tables) {
  ProjectState state;
  state.VoicePackName = "MyPack";
  ApplyBaseVoice(kBaseVoices[*FindBaseVoice("Female2")], state);
  state.SoundDir = "/nowhere/sounds/";
  state.Sounds = {"hello", "bye"};
  state.ProductName = "Pack \xE9t\xE9";
  state.ProductURL = "http://product.example/";
  state.AuthorName = "Jane";
  state.AuthorURL = "http://jane.example/";
  state.Tables = std::move(tables);
  return state;
}

TEST(ClassImport, AGeneratedClassImportsBackToTheSameWork) {
  WorkAreaTables partly;
  Fill(partly.Acks, 3, {{2, {"a", "b", "c"}}});
  Fill(partly.Others, 5, {});
  const struct {
    const char* what;
    WorkAreaTables tables;
  } cases[] = {{"largest pack", FullTables()}, {"empty tables", {}}, {"some rows", partly}};
  for (const auto& c : cases) {
    const ProjectState original = GeneratedPack(c.tables);
    const std::string script = GeneratedClass(original);
    const std::string intFile = IntFileText("MyPack", "BotPack.VoiceFemale", "A soft \xE9 voice");
    for (const std::string& text : {script, WithoutEmptyOrderAndNameLines(script)}) {
      SCOPED_TRACE(std::string(c.what) + (text == script ? "" : ", no empty order lines"));
      const ClassImport imported = ImportVoiceClass(text, intFile, "/nowhere/Classes");
      ASSERT_TRUE(imported.Ok()) << imported.error;
      const ProjectState& s = imported.state;
      EXPECT_TRUE(s.Tables == original.Tables);
      // The head is the template's: nothing for state.ScriptHead.
      EXPECT_EQ(imported.head, GeneratedHead(s));
      for (WorkAreaTab tab : {WorkAreaTab::Acknowledgements, WorkAreaTab::FriendlyFire,
                              WorkAreaTab::Taunts, WorkAreaTab::Others}) {
        EXPECT_EQ(RowTable(s.Tables, tab)->Count(), RowTable(original.Tables, tab)->Count());
      }
      EXPECT_EQ(s.VoicePackName, "MyPack");
      EXPECT_EQ(s.BaseVoice, "Female2");
      EXPECT_EQ(s.BaseVoiceClass, "VoiceFemaleTwo");
      EXPECT_EQ(s.Sounds, original.Sounds);
      // The script imports its sounds from the package's own Sounds folder,
      // beside Classes: that is where they are found again.
      EXPECT_EQ(s.SoundDir, "/nowhere/Sounds/");
      EXPECT_EQ(s.ProductName, original.ProductName);
      EXPECT_EQ(s.AuthorURL, original.AuthorURL);
      EXPECT_EQ(s.Description, "A soft \xE9 voice");
      EXPECT_EQ(imported.missingSoundFiles,
                (std::vector<std::string>{"/nowhere/Sounds/hello.wav", "/nowhere/Sounds/bye.wav"}));
      EXPECT_TRUE(imported.unplacedProperties.empty());
      EXPECT_TRUE(imported.notes.empty());
    }
  }
}

// The three ways voice classes in the wild write a sound, in every kind of
// sound slot.
TEST(ClassImport, EveryStyleOfSoundReferenceLoadsAsWritten) {
  for (const char* reference : {"Sound'Male1Voice.(All).M1gotit'",
                                "Sound'UnrealShare.Nali.contact1'", "Female2Voice.F2roger"}) {
    SCOPED_TRACE(reference);
    const std::string ref = reference;
    const ClassImport imported = ImportVoiceClass(
        "class Styles extends VoiceFemaleTwo;\n"
        "defaultproperties\n{\n"
        "  NameSound(2)=" +
            ref + "\n  AckSound(0)=" + ref + "\n  FFireSound(0)=" + ref + "\n  TauntSound(0)=" +
            ref + "\n  OrderSound(11)=" + ref + "\n  OtherSound(0)=" + ref + "\n}\n",
        std::nullopt, "/nowhere");
    ASSERT_TRUE(imported.Ok()) << imported.error;
    const WorkAreaTables& t = imported.state.Tables;
    EXPECT_EQ(t.Names[2], ref);
    EXPECT_EQ(t.Orders[6].Sound, ref);
    for (const PhraseTable* table : {&t.Acks, &t.FFire, &t.Taunts, &t.Others}) {
      ASSERT_EQ(table->Count(), 1);
      EXPECT_EQ(table->Row(1).Sound, ref);
    }
  }
}

TEST(ClassImport, TheParentClassPicksTheBaseVoice) {
  const struct {
    const char* classLine;
    const char* base;  // empty: none chosen, with a note
  } cases[] = {
      {"class A extends VoiceMaleOne;", "Male1"},
      {"class A extends VoiceMaleTwo;", "Male2"},
      {"class A extends VoiceFemaleOne;", "Female1"},
      {"class A extends VoiceFemaleTwo;", "Female2"},
      {"class A extends VoiceBoss;", "Boss"},
      {"class A extends VoiceMale;", "BlankMale"},
      {"class A extends VoiceFemale;", "BlankFemale"},
      {"Class A Expands BotPack.voiceboss", "Boss"},
      {"class A\n\textends\n VoiceMaleTwo\n config(User);", "Male2"},
      {"class A extends ChallengeVoicePack;", ""},
      {"class A extends VoiceMaleOneX;", ""},
      {"class A;", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.classLine);
    const ClassImport imported =
        ImportVoiceClass(std::string(c.classLine) + "\ndefaultproperties\n{\n}\n", {}, "/nowhere");
    ASSERT_TRUE(imported.Ok()) << imported.error;
    EXPECT_EQ(imported.state.VoicePackName, "A");
    EXPECT_EQ(imported.state.BaseVoice, c.base);
    if (*c.base) {
      const BaseVoice& base = kBaseVoices[*FindBaseVoice(c.base)];
      EXPECT_EQ(imported.state.BaseVoicePackage, base.package);
      EXPECT_EQ(imported.state.BlankBase, base.blank);
      EXPECT_TRUE(imported.notes.empty());
    } else {
      EXPECT_EQ(imported.notes.size(), 1u);
    }
  }
}

TEST(ClassImport, RefusesWhatIsNoUsableVoiceClass) {
  const struct {
    const char* text;
    const char* errorHas;
  } cases[] = {
      {"", "no class line"},
      {"// class A extends VoiceBoss;\ndefaultproperties\n{\nnumAcks=1\n}\n", "no class line"},
      {"/* class A extends VoiceBoss;\n*/\ndefaultproperties\n{\n}\n", "no class line"},
      {"defaultproperties\n{\n  class B extends VoiceBoss\n}\n", "no class line"},
      {"class A extends VoiceBoss;\n#exec AUDIO IMPORT FILE=a.wav NAME=a\n",
       "no defaultproperties"},
      {"class A extends VoiceBoss;\n// defaultproperties\n{\n}\n", "no defaultproperties"},
      {"class A extends VoiceBoss;\ndefaultproperties\nAckSound(0)=x\n", "no defaultproperties"},
      {"class 2Fast extends VoiceBoss;\ndefaultproperties\n{\n}\n", "\"2Fast\" can't be used"},
      {"class My-Pack extends VoiceBoss;\ndefaultproperties\n{\n}\n", "\"My-Pack\" can't be used"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const ClassImport imported =
        ImportVoiceClass(c.text, "[Public]\nObject=(Name=A.A,Description=\"d\")", "/nowhere");
    EXPECT_NE(imported.error.find(c.errorHas), std::string::npos) << imported.error;
    // Nothing half-imported reaches the caller.
    EXPECT_TRUE(imported.state.VoicePackName.empty());
    EXPECT_TRUE(imported.state.Tables == WorkAreaTables{});
    EXPECT_FALSE(imported.state.Description);
    EXPECT_TRUE(imported.unplacedProperties.empty() && imported.notes.empty());
  }
}

// A class written by hand: any order, gaps, counts, comments, escapes and
// properties the wizard doesn't keep.
TEST(ClassImport, AHandWrittenBlockFillsTheTablesAndReportsTheRest) {
  const ClassImport imported = ImportVoiceClass(
      "//=====\r\n"
      "class HandMade extends VoiceMaleOne;\r\n"
      "\r\n"
      "defaultproperties {\r\n"
      "     AckSound(3)=Sound'Male1Voice.(All).M1yessir'   // the last one\r\n"
      "     ackstring(0)=\"Got it\"\r\n"
      "\r\n"
      "     AckString[1]=\"C:\\\\Temp\\\\ and C:\\Raw\"\r\n"
      "     AckAbbrev(0)=\"A // not a comment\" // a comment\r\n"
      "     /* numAcks=9 */\r\n"
      "     numAcks=4\r\n"
      "     FFireSound(5)=x\r\n"  // past numFFires: the game never plays it
      "     FFireString(0)=\"Hey\"\r\n"
      "     numFFires=2\r\n"
      "     TauntString(2)=\"third\"\r\n"
      "     TauntString(2)=\"third, corrected\"\r\n"
      "     OtherString(0)=\"Say \"hi\" to him\"\r\n"
      "     OtherAbbrev(1)=\"unclosed\r\n"
      "     OrderSound(10)=MyPack.flag\r\n"
      "     OrderString(3)=\"Cover me!\"\r\n"
      "     OrderAbbrev(4)=\"Engage\"\r\n"
      "     OrderSound(7)=MyPack.seven\r\n"
      "     NameSound(3)=MyPack.gold\r\n"
      "     NameSound(4)=MyPack.none\r\n"
      "     NameString(0)=\"Red\"\r\n"
      "     bIsFemale=True\r\n"
      "     bIsFemale=False\r\n"
      "     AckSound(99999999999999999999)=huge\r\n"
      "     OtherSound(32767)=huge\r\n"
      "     AckSound=noindex\r\n"
      "     garbage line\r\n"
      "}\r\n",
      std::nullopt, "/nowhere");
  ASSERT_TRUE(imported.Ok()) << imported.error;
  EXPECT_EQ(imported.head, "//=====\r\nclass HandMade extends VoiceMaleOne;\r\n\r\n");
  const WorkAreaTables& t = imported.state.Tables;

  ASSERT_EQ(t.Acks.Count(), 4);
  EXPECT_EQ(t.Acks.Row(1), (PhraseRow{"", "Got it", "A // not a comment"}));
  EXPECT_EQ(t.Acks.Row(2), (PhraseRow{"", "C:\\Temp\\ and C:\\Raw", ""}));
  EXPECT_EQ(t.Acks.Row(3), PhraseRow{});
  EXPECT_EQ(t.Acks.Row(4).Sound, "Sound'Male1Voice.(All).M1yessir'");
  EXPECT_EQ(t.Acks.CreateMode(), CreateButtonMode::AddNewRow);

  ASSERT_EQ(t.FFire.Count(), 2);
  EXPECT_EQ(t.FFire.Row(1).String, "Hey");
  ASSERT_EQ(t.Taunts.Count(), 3);
  EXPECT_EQ(t.Taunts.Row(3).String, "third, corrected");
  ASSERT_EQ(t.Others.Count(), 2);
  EXPECT_EQ(t.Others.Row(1).String, "Say \"hi\" to him");
  EXPECT_EQ(t.Others.Row(2).Abbrev, "unclosed");

  EXPECT_EQ(t.Orders[5].Sound, "MyPack.flag");
  EXPECT_EQ(t.Orders[3].String, "Cover me!");
  EXPECT_EQ(t.Orders[4].Abbrev, "Engage");
  EXPECT_EQ(t.Names, (std::array<std::string, 4>{"", "", "", "MyPack.gold"}));

  EXPECT_EQ(imported.unplacedProperties,
            (std::vector<std::string>{"OrderSound(7)", "NameSound(4)", "NameString(0)", "bIsFemale",
                                      "AckSound(99999999999999999999)", "OtherSound(32767)",
                                      "AckSound", "garbage line", "FFireSound(5)"}));
  EXPECT_TRUE(imported.notes.empty());
}

TEST(ClassImport, RowCountsComeFromTheCountOrElseFromTheHighestEntry) {
  const struct {
    const char* lines;
    int acks;
    int others;
    const char* note;  // part of the one note expected, or empty
  } cases[] = {
      {"numAcks=0\n", 0, 0, ""},
      {"numAcks=3\n", 3, 0, ""},
      {"AckSound(6)=a\nOtherSound(9)=b\n", 7, 10, ""},
      {"AckSound(6)=a\nnumAcks=-1\n", 7, 0, "numAcks=-1 is not a row count"},
      {"AckSound(2)=a\nnumAcks=99999999\n", 3, 0, "numAcks=99999999"},
      {"numAcks=32767\nOtherSound(32766)=x\n", 32767, 32767, ""},
      {"numAcks = 2 ;\n", 2, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    const ClassImport imported = ImportVoiceClass(
        std::string("class A extends VoiceBoss;\ndefaultproperties\n{\n") + c.lines + "}\n",
        std::nullopt, "/nowhere");
    ASSERT_TRUE(imported.Ok()) << imported.error;
    EXPECT_EQ(imported.state.Tables.Acks.Count(), c.acks);
    EXPECT_EQ(imported.state.Tables.Others.Count(), c.others);
    // A table without loaded rows still asks how many to create.
    EXPECT_EQ(imported.state.Tables.FFire.CreateMode(), CreateButtonMode::CreateRows);
    if (*c.note) {
      ASSERT_EQ(imported.notes.size(), 1u);
      EXPECT_NE(imported.notes[0].find(c.note), std::string::npos) << imported.notes[0];
    } else {
      EXPECT_TRUE(imported.notes.empty());
    }
  }
}

TEST(ClassImport, AnUnclosedBlockKeepsWhatIsThereAndSaysSo) {
  const ClassImport imported = ImportVoiceClass(
      "class Cut extends VoiceBoss;\ndefaultproperties\n{\nTauntString(1)=\"b\"\nTauntSt", {},
      "/nowhere");
  ASSERT_TRUE(imported.Ok()) << imported.error;
  EXPECT_EQ(imported.state.Tables.Taunts.Count(), 2);
  ASSERT_EQ(imported.notes.size(), 1u);
  EXPECT_NE(imported.notes[0].find("closing brace"), std::string::npos);
}

TEST(ClassImport, SoundImportsGiveTheSoundsTheirFolderAndTheMissingFiles) {
  TempDir game;
  game.Write("MyPack/Sounds/here.wav", "RIFF");
  game.Write("MyPack/Sounds/Other.wav", "RIFF");
  game.Write("abs/there.wav", "RIFF");
  const std::string abs = PathText(game.path / "abs") + "/";
  const ClassImport imported = ImportVoiceClass(
      "class MyPack extends VoiceMaleTwo;\n"
      "#exec OBJ LOAD FILE=..\\Sounds\\Male2Voice.uax PACKAGE=Male2Voice\n"
      "#exec AUDIO IMPORT FILE=\"Sounds\\here.wav\" NAME=\"here\" PACKAGE=\"MyPack\" "
      "GROUP=\"MyPack\"\n"
      "#exec audio import file=Sounds\\gone.wav name=gone package=MyPack\n"
      "#exec AUDIO IMPORT NAME=\"Here\" FILE=\"Sounds\\here.wav\"\n"  // the same name again
      "#exec AUDIO IMPORT FILE=\"Sounds\\Other.wav\"\n"               // named after its file
      "#exec AUDIO IMPORT FILE=\"" +
          abs +
          "there.wav\" NAME=\"there\"\n"
          "#exec AUDIO IMPORT FILE=\"C:\\Sounds\\win.wav\" NAME=\"win\"\n"
          "// #exec AUDIO IMPORT FILE=\"Sounds\\commented.wav\" NAME=\"commented\"\n"
          "#exec AUDIO IMPORT FILE=\"Sounds\\gone.wav\" NAME=\"gone2\"\n"
          "defaultproperties\n{\n}\n",
      std::nullopt, game.path / "MyPack" / "Classes");
  ASSERT_TRUE(imported.Ok()) << imported.error;
  const ProjectState& s = imported.state;
  EXPECT_EQ(s.Sounds, (std::vector<std::string>{"here", "gone", "Other", "there", "win", "gone2"}));
  EXPECT_EQ(s.SoundDir, PathText(game.path / "MyPack" / "Sounds") + "/");
  const std::string gone = PathText(game.path / "MyPack" / "Sounds" / "gone.wav");
  EXPECT_EQ(imported.missingSoundFiles, (std::vector<std::string>{gone, "C:\\Sounds\\win.wav"}));
  // The rebuilt script would look for these two in the sound directory.
  ASSERT_EQ(imported.notes.size(), 1u);
  EXPECT_NE(imported.notes[0].find(abs + "there.wav, C:\\Sounds\\win.wav, Sounds\\gone.wav."),
            std::string::npos)
      << imported.notes[0];
}

// The compiler runs every #exec line, after the block as well as before it.
TEST(ClassImport, AnAudioImportAfterTheBlockCounts) {
  const ClassImport imported = ImportVoiceClass(
      "class A extends VoiceBoss;\n"
      "#exec AUDIO IMPORT FILE=\"Sounds\\one.wav\" NAME=\"one\"\n"
      "defaultproperties\n{\n  AckSound(0)=Sound'A.A.two'\n}\n"
      "#exec AUDIO IMPORT FILE=\"Sounds\\two.wav\" NAME=\"two\"\n",
      std::nullopt, "/ut/A/Classes");
  ASSERT_TRUE(imported.Ok()) << imported.error;
  EXPECT_EQ(imported.state.Sounds, (std::vector<std::string>{"one", "two"}));
}

// A sound's name is taken only when the sound page could have made it: the
// pack's folder, the script and the references are built from it. Any other
// refuses the class, naming the line (the start page names the file).
TEST(ClassImport, ASoundNameThePageCouldNotMakeRefusesTheClass) {
  const std::pair<std::string, std::string> cases[] = {
      {"FILE=\"Sounds\\evil.wav\" NAME=\"../../../evil\"", "../../../evil"},
      {"FILE=Sounds\\a.wav NAME=a/b", "a/b"},
      {"FILE=\"Sounds\\caf\xE9.wav\" NAME=\"caf\xE9\"", "caf\xE9"},
      {"FILE=\"Sounds\\my sound.wav\"", "my sound"},  // named after its file
      {"FILE=Sounds\\x.wav NAME=say\"hi", "say\"hi"},
      {"FILE=Sounds\\x.wav NAME=1st", "1st"},
      {"FILE=Sounds\\x.wav NAME=" + std::string(64, 'x'), std::string(64, 'x')},
  };
  for (const auto& [import, name] : cases) {
    SCOPED_TRACE(import);
    const ClassImport imported = ImportVoiceClass(
        "class A extends VoiceBoss;\n"
        "#exec AUDIO IMPORT FILE=\"Sounds\\fine.wav\" NAME=\"fine\"\n"
        "/* a comment\n   of two lines */\n"
        "#exec AUDIO IMPORT " +
            import + "\ndefaultproperties\n{\n  AckSound(0)=Sound'A.A.fine'\n}\n",
        std::nullopt, "/ut/A/Classes");
    EXPECT_NE(imported.error.find("Line 5 imports a sound named \"" + name + "\""),
              std::string::npos)
        << imported.error;
    EXPECT_TRUE(imported.state.VoicePackName.empty());
    EXPECT_TRUE(imported.state.Sounds.empty());
  }
}

TEST(ClassImport, SoundDirectoryKeepsAbsolutePathsAsWritten) {
  const struct {
    const char* file;
    const char* soundDir;
  } cases[] = {
      {"C:\\My Sounds\\a.wav", "C:\\My Sounds\\"},
      {"/home/jane/s/a.wav", "/home/jane/s/"},
      {"a.wav", "/ut/MyPack/"},
      {"..\\..\\shared\\a.wav", "/shared/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const ClassImport imported =
        ImportVoiceClass(std::string("class A extends VoiceBoss;\n#exec AUDIO IMPORT FILE=\"") +
                             c.file + "\" NAME=\"a\"\ndefaultproperties\n{\n}\n",
                         std::nullopt, "/ut/MyPack/Classes");
    ASSERT_TRUE(imported.Ok()) << imported.error;
    EXPECT_EQ(imported.state.SoundDir, c.soundDir);
  }
}

TEST(ClassImport, TheDescriptionComesFromThisClassesObjectLine) {
  const struct {
    const char* intFile;
    std::optional<std::string> description;
  } cases[] = {
      {"[Public]\r\nObject=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceMale,"
       "Description=\"Gruff, (loud) voice\")\r\n",
       "Gruff, (loud) voice"},
      {"[Public]\nObject=(Name=Other.Other,Description=\"not ours\")\n"
       "Object = ( Name=mypack.MYPACK , Description=\"ours\" )\n",
       "ours"},
      {"Object=(Name=MyPack.MyPack,Description=plain words)", "plain words"},
      {"Object=(Name=MyPack.MyPack,Description=\"\")", ""},
      {"Object=(Name=MyPack.MyPack,Class=Class)", std::nullopt},
      {"Object=(Name=Other.Other,Description=\"not ours\")", std::nullopt},
      {"Object=(Name=MyPack.MyPack,Description=\"unclosed", "unclosed"},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.intFile);
    const ClassImport imported = ImportVoiceClass(
        "class MyPack extends VoiceBoss;\ndefaultproperties\n{\n}\n", c.intFile, "/nowhere");
    ASSERT_TRUE(imported.Ok()) << imported.error;
    EXPECT_EQ(imported.state.Description, c.description);
  }
}

TEST(ClassImportFile, FindsTheIntFileBesideTheClassOrInTheGamesSystemFolder) {
  const std::string uc = "class MyPack extends VoiceBoss;\ndefaultproperties\n{\n}\n";
  const std::string intFile = "[Public]\nObject=(Name=MyPack.MyPack,Description=\"found\")\n";
  TempDir dir;
  dir.Write("program/MyPack.uc", uc);
  dir.Write("program/MyPack.int", intFile);
  dir.Write("game/MyPack/Classes/MyPack.uc", uc);
  dir.Write("game/System/MyPack.int", intFile);
  dir.Write("alone/MyPack.uc", uc);
  for (const char* path :
       {"program/MyPack.uc", "game/MyPack/Classes/MyPack.uc", "alone/MyPack.uc"}) {
    SCOPED_TRACE(path);
    const ClassImport imported = ImportVoiceClassFile(dir.path / path);
    ASSERT_TRUE(imported.Ok()) << imported.error;
    EXPECT_EQ(imported.state.Description, std::string(path).starts_with("alone")
                                              ? std::nullopt
                                              : std::optional<std::string>("found"));
  }
  const ClassImport missing = ImportVoiceClassFile(dir.path / "nothing.uc");
  EXPECT_NE(missing.error.find("could not be read"), std::string::npos);
  // Picked by mistake: a huge file is refused before it is read.
  const auto huge = dir.Write("huge.uc", uc);
  std::filesystem::resize_file(huge, std::uintmax_t{1} << 32);  // sparse: takes no disk space
  EXPECT_NE(ImportVoiceClassFile(huge).error.find("too large"), std::string::npos);
}

}  // namespace
}  // namespace voxmire
