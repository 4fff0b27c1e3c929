#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/Files.h"
#include "output/DefaultProperties.h"
#include "output/IntFile.h"
#include "output/ScriptTemplate.h"
#include "project/BaseVoices.h"
#include "project/ClassImport.h"
#include "project/ScriptHead.h"
#include "sounds/TempDir.h"
#include "workarea/BaseVoicePresets.h"
#include "workarea/StockFacts.h"

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

// The defaultproperties block for `tables` over the class `head` extends.
std::string Block(const WorkAreaTables& tables, const ProjectState& state,
                  const std::string& head) {
  std::tm stamp{};
  stamp.tm_year = 126, stamp.tm_mon = 11, stamp.tm_mday = 6;
  NoSoundLengths none;
  const DefaultPropertiesBlock block =
      BuildDefaultProperties(tables, state, stamp, BaseDefaults(ParentClassOf(head)), none);
  EXPECT_TRUE(block.Ok()) << block.Error;
  return block.Text;
}

std::string GeneratedClass(const ProjectState& state) {
  const std::string head = GeneratedHead(state);
  return head + Block(state.Tables, state, head);
}

// What the game stores for a class of `parent`, sounds compared as objects.
VoiceDefaults Stores(const std::string& parent, const std::string& classText) {
  return testing::Stored(testing::Compiled(BaseDefaults(parent), classText));
}

// The class imported, then built again from its tables with its own head,
// as the wizard rebuilds an imported pack.
std::string Rebuilt(const ClassImport& imported) {
  return imported.head + Block(imported.state.Tables, imported.state, imported.head);
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

TEST(ClassImport, AGeneratedClassImportsBackToWhatTheGameStoresForIt) {
  WorkAreaTables partly;
  Fill(partly.Acks, 3, {{2, {"a", "b", "c"}}});
  partly.Acks.SetTime(2, 0.5);
  Fill(partly.Taunts, 8, {{7, {"t", "u", ""}}});
  partly.Taunts.SetMature(3, true);
  Fill(partly.Others, 5, {});
  const struct {
    const char* what;
    WorkAreaTables tables;
  } cases[] = {{"largest pack", FullTables()}, {"empty tables", {}}, {"some rows", partly}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ProjectState original = GeneratedPack(c.tables);
    const std::string script = GeneratedClass(original);
    const std::string intFile = IntFileText("MyPack", "BotPack.VoiceFemale", "A soft \xE9 voice");
    const ClassImport imported = ImportVoiceClass(script, intFile, "/nowhere/Classes");
    ASSERT_TRUE(imported.Ok()) << imported.error;
    const ProjectState& s = imported.state;
    // The tables are the parent's with the class's own laid over them: the
    // same class to the game, built again the same.
    NoSoundLengths none;
    const VoiceDefaults& parent = *GameClassDefaults("VoiceFemaleTwo");
    EXPECT_TRUE(PackDefaults(s.Tables, parent, none) ==
                PackDefaults(original.Tables, parent, none));
    EXPECT_TRUE(Stores("VoiceFemaleTwo", Rebuilt(imported)) == Stores("VoiceFemaleTwo", script));
    // The head is the template's: nothing for state.ScriptHead.
    EXPECT_EQ(imported.head, GeneratedHead(s));
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

// Each of the game's own voice classes, imported and built again, is what
// the game's export says it is.
TEST(ClassImport, EveryStockClassComesBackAsTheGameStoresIt) {
  const std::map<std::string, std::string> parents = {{"VoiceMaleOne", "VoiceMale"},
                                                      {"VoiceMaleTwo", "VoiceMale"},
                                                      {"VoiceFemaleOne", "VoiceFemale"},
                                                      {"VoiceFemaleTwo", "VoiceFemale"},
                                                      {"VoiceBoss", "ChallengeVoicePack"}};
  for (const auto& [cls, parent] : parents) {
    SCOPED_TRACE(cls);
    const std::string text = testing::StockClassText(cls, parent);
    const VoiceDefaults stock = testing::Stored(*GameClassDefaults(cls));
    ASSERT_TRUE(Stores(parent, text) == stock);  // the test's compiler agrees with the export
    const ClassImport imported = ImportVoiceClass(text, std::nullopt, "/nowhere/Classes");
    ASSERT_TRUE(imported.Ok()) << imported.error;
    EXPECT_TRUE(imported.unplacedProperties.empty());
    EXPECT_TRUE(imported.notes.empty() || parent == "ChallengeVoicePack");
    EXPECT_TRUE(Stores(parent, Rebuilt(imported)) == stock);
    NoSoundLengths none;
    EXPECT_TRUE(testing::Stored(PackDefaults(imported.state.Tables, BaseDefaults(parent), none)) ==
                stock);
  }
}

// A class as modders write them: "expands", lower-case names, gaps, a
// commented-out block of imports, bare references, a function of its own,
// tables left to the parent, explicit blanks, and its own sounds in a group
// of their own.
TEST(ClassImport, AModdersClassKeepsWhatItDoesInTheGame) {
  const std::string uc =
      "//=============================================================================\r\n"
      "// GruntVox.\r\n"
      "//=============================================================================\r\n"
      "class GruntVox expands VoiceMaleTwo;\r\n"
      "\r\n"
      "#exec OBJ LOAD FILE=..\\Sounds\\Male2Voice.uax PACKAGE=Male2Voice\r\n"
      "#exec AUDIO IMPORT FILE=\"Sounds\\gv_yes.wav\" NAME=\"gv_yes\" PACKAGE=\"GruntVox\" "
      "GROUP=\"Grunt\"\r\n"
      "#exec AUDIO IMPORT FILE=\"Sounds\\gv_red.wav\" NAME=\"gv_red\" PACKAGE=\"GruntVox\" "
      "GROUP=\"Grunt\"\r\n"
      "/*\r\n"
      "#exec AUDIO IMPORT FILE=\"Sounds\\gv_old.wav\" NAME=\"gv_old\" PACKAGE=\"GruntVox\"\r\n"
      "*/\r\n"
      "\r\n"
      "function string CallSign()\r\n"
      "{\r\n"
      "\treturn \"Grunt\";\r\n"
      "}\r\n"
      "\r\n"
      "defaultproperties\r\n"
      "{\r\n"
      "     nameSound(0)=Sound'GruntVox.Grunt.gv_red'\r\n"
      "     NameTime(0)=1.400000\r\n"
      "     acksound(1)=Sound'GruntVox.Grunt.gv_yes'\r\n"
      "     AckString(1)=\"Yes, sir!\"\r\n"
      "     acktime(1)=0.6\r\n"
      "     numacks=4\r\n"
      "     AckSound(3)=Male2Voice.M2roger\r\n"
      "     AckString(3)=\"Roger roger\"\r\n"
      "     FFireAbbrev(1)=\"\"\r\n"
      "     TauntSound(4)=Male2Voice.M2laugh\r\n"
      "     TauntString(4)=\"Ha!\"\r\n"
      "     MatureTaunt(6)=0\r\n"
      "     maturetaunt(9)=1\r\n"
      "     OtherAbbrev(2)=\"\"\r\n"
      "     OtherString(20)=\"Extra\"\r\n"
      "}\r\n";
  const ClassImport imported = ImportVoiceClass(uc, std::nullopt, "/nowhere/Classes");
  ASSERT_TRUE(imported.Ok()) << imported.error;
  EXPECT_TRUE(imported.unplacedProperties.empty())
      << ::testing::PrintToString(imported.unplacedProperties);
  EXPECT_TRUE(imported.notes.empty()) << ::testing::PrintToString(imported.notes);
  EXPECT_EQ(imported.state.Sounds, (std::vector<std::string>{"gv_yes", "gv_red"}));
  EXPECT_NE(imported.head.find("function string CallSign()"), std::string::npos);

  const WorkAreaTables& t = imported.state.Tables;
  ASSERT_EQ(t.Acks.Count(), 4);
  EXPECT_EQ(t.Acks.Row(1).Sound, "Sound'Male2Voice.(All).M2gotit'");  // the parent's
  EXPECT_EQ(t.Acks.Time(1), 0.78);
  EXPECT_EQ(t.Acks.Row(2).Sound, "Sound'GruntVox.Grunt.gv_yes'");
  EXPECT_EQ(t.Acks.Time(2), 0.6);
  EXPECT_EQ(t.Acks.Row(4).Sound, "Male2Voice.M2roger");
  EXPECT_EQ(t.Acks.Time(4), 0.0);  // the parent has no fourth: the name never follows
  ASSERT_EQ(t.FFire.Count(), 2);
  EXPECT_EQ(t.FFire.Row(2).String, "I'm on your team, you idiot!");
  EXPECT_EQ(t.FFire.Row(2).Abbrev, "");
  ASSERT_EQ(t.Taunts.Count(), 25);
  EXPECT_EQ(t.Taunts.Row(5).String, "Ha!");
  std::vector<int> mature;
  for (int k = 1; k <= t.Taunts.Count(); ++k) {
    if (t.Taunts.Row(k).Mature) mature.push_back(k);
  }
  EXPECT_EQ(mature, (std::vector<int>{10, 14}));
  ASSERT_EQ(t.Others.Count(), 21);
  EXPECT_EQ(t.Others.Row(3).String, "I've got the flag.");
  EXPECT_EQ(t.Others.Row(3).Abbrev, "");
  EXPECT_EQ(t.Others.Row(21).String, "Extra");
  EXPECT_EQ(t.Orders[0].String, "Defend the base.");
  EXPECT_EQ(t.Names[0], "Sound'GruntVox.Grunt.gv_red'");
  EXPECT_EQ(FixedSeconds(t.NameTimes[0], t.Names[0]), 1.4);
  EXPECT_EQ(t.Names[1], "Sound'Male2Voice.(All).M2blueleader'");
  EXPECT_EQ(FixedSeconds(t.NameTimes[1], t.Names[1]), 1.1);

  EXPECT_TRUE(Stores("VoiceMaleTwo", Rebuilt(imported)) == Stores("VoiceMaleTwo", uc));
}

// An order or a leader the class silences, or an order text it blanks: the
// work area keeps the base voice's for an empty field, so a silence is
// written "None" and a blank text is told.
TEST(ClassImport, BlanksAnOrderFieldCantHoldAreSaid) {
  const std::string uc =
      "class Quiet extends VoiceBoss;\n"
      "defaultproperties\n{\n"
      "OrderSound(3)=None\nNameSound(2)=\nOrderString(1)=\"\"\nOrderAbbrev(0)=\"\"\n}\n";
  const ClassImport imported = ImportVoiceClass(uc, std::nullopt, "/nowhere");
  ASSERT_TRUE(imported.Ok()) << imported.error;
  const WorkAreaTables& t = imported.state.Tables;
  EXPECT_EQ(t.Orders[3].Sound, "None");
  EXPECT_EQ(t.Names[2], "None");
  EXPECT_EQ(t.Orders[1].String, "");
  ASSERT_EQ(imported.notes.size(), 2u) << ::testing::PrintToString(imported.notes);
  EXPECT_NE(imported.notes[0].find("OrderAbbrev(0)=\"\" blanks the base voice's text"),
            std::string::npos)
      << imported.notes[0];
  EXPECT_NE(imported.notes[0].find("\"Defend\""), std::string::npos);
  EXPECT_NE(imported.notes[1].find("OrderString(1)=\"\""), std::string::npos);
  const VoiceDefaults rebuilt = Stores("VoiceBoss", Rebuilt(imported));
  EXPECT_EQ(rebuilt.Orders[3].Sound, "");
  EXPECT_EQ(rebuilt.Names[2].Sound, "");
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
      ASSERT_GE(table->Count(), 2);
      EXPECT_EQ(table->Row(1).Sound, ref);
      EXPECT_EQ(table->Row(2).Sound.rfind("Sound'Female2Voice.(All).", 0), 0u);  // the parent's
    }
  }
}

TEST(ClassImport, TheParentClassPicksTheBaseVoice) {
  const struct {
    const char* classLine;
    const char* base;  // empty: none chosen, the parent left for the user to settle
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
      {"class A extends MyMod.ModVoiceBase;", ""},
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
      EXPECT_TRUE(imported.unknownParent.empty());
    } else {
      const std::string line = c.classLine;
      const auto parent = line.substr(line.find_last_of(" .", line.size() - 2) + 1);
      EXPECT_EQ(imported.unknownParent + ";", parent);
    }
    EXPECT_TRUE(imported.notes.empty());
  }
}

// A class built on one of the game's other classes is no voice: it is
// refused with the reason, whatever its block holds.
TEST(ClassImport, AClassThatIsNoVoiceIsRefusedWithTheReason) {
  const struct {
    const char* classLine;
    const char* reason;
  } cases[] = {
      {"class MyGun extends TournamentWeapon;", "TournamentWeapon is one of the game's weapons"},
      {"class MyGun expands Botpack.shockrifle;", "shockrifle is one of the game's weapons"},
      {"class MyBot extends HumanBotPlus config(User);", "one of the game's bot classes"},
      {"class MyGame extends CTFGame;", "one of the game's game types"},
      {"class MyMut extends Mutator;", "one of the game's mutators"},
      {"class A;", "names no parent class"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.classLine);
    const ClassImport imported = ImportVoiceClass(
        std::string(c.classLine) + "\ndefaultproperties\n{\nAckString(0)=\"Hi\"\n}\n", {},
        "/nowhere");
    EXPECT_NE(imported.error.find(c.reason), std::string::npos) << imported.error;
    EXPECT_NE(imported.error.find("is no voice"), std::string::npos) << imported.error;
    EXPECT_TRUE(imported.state.VoicePackName.empty());
    EXPECT_TRUE(imported.state.Tables == WorkAreaTables{});
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

  // Over the parent's own: what the class leaves alone is VoiceMaleOne's.
  const auto stock = [](const char* name) { return StockSoundReference("Male1Voice", name); };
  ASSERT_EQ(t.Acks.Count(), 4);
  EXPECT_EQ(t.Acks.Row(1), (PhraseRow{stock("M1gotit"), "Got it", "A // not a comment",
                                      FixedTime{0.78, stock("M1gotit")}}));
  EXPECT_EQ(t.Acks.Row(2), (PhraseRow{stock("M1roger"), "C:\\Temp\\ and C:\\Raw", "",
                                      FixedTime{0.81, stock("M1roger")}}));
  EXPECT_EQ(t.Acks.Row(3).String, "On my way");
  EXPECT_EQ(t.Acks.Row(4).Sound, stock("M1yessir"));
  EXPECT_EQ(t.Acks.Time(4), 0.98);
  EXPECT_EQ(t.Acks.CreateMode(), CreateButtonMode::AddNewRow);

  ASSERT_EQ(t.FFire.Count(), 2);
  EXPECT_EQ(t.FFire.Row(1).String, "Hey");
  EXPECT_EQ(t.FFire.Row(2).Abbrev, "On your team!");
  ASSERT_EQ(t.Taunts.Count(), 16);
  EXPECT_EQ(t.Taunts.Row(3).String, "third, corrected");
  EXPECT_TRUE(t.Taunts.Row(3).Mature);
  ASSERT_EQ(t.Others.Count(), 17);
  EXPECT_EQ(t.Others.Row(1).String, "Say \"hi\" to him");
  EXPECT_EQ(t.Others.Row(2).Abbrev, "unclosed");
  EXPECT_EQ(t.Others.Row(17).String, "Objective destroyed.");

  EXPECT_EQ(t.Orders[5].Sound, "MyPack.flag");
  EXPECT_EQ(t.Orders[3].String, "Cover me!");
  EXPECT_EQ(t.Orders[4].Abbrev, "Engage");
  EXPECT_EQ(t.Orders[0].Abbrev, "Defend");
  EXPECT_EQ(t.Names, (std::array<std::string, 4>{stock("M1redleader"), stock("M1blueleader"),
                                                 stock("M1greenleader"), "MyPack.gold"}));

  EXPECT_EQ(imported.unplacedProperties,
            (std::vector<std::string>{"OrderSound(7)", "NameSound(4)", "NameString(0)", "bIsFemale",
                                      "AckSound(99999999999999999999)", "OtherSound(32767)",
                                      "AckSound", "garbage line", "FFireSound(5)"}));
  EXPECT_TRUE(imported.notes.empty());
}

// A count the class leaves alone is its parent's; only for a parent whose
// defaults are unknown do the class's own entries give it.
TEST(ClassImport, RowCountsComeFromTheClassOrItsParent) {
  const struct {
    const char* parent;
    const char* lines;
    int acks;
    int others;
    std::vector<std::string> unplaced;
    const char* note;  // part of the one note expected, or empty
  } cases[] = {
      {"VoiceBoss", "", 3, 17, {}, ""},
      {"VoiceBoss", "numAcks=0\n", 0, 17, {}, ""},
      {"VoiceBoss", "AckSound(6)=a\nOtherSound(20)=b\n", 3, 21, {"AckSound(6)"}, ""},
      {"VoiceBoss", "AckSound(6)=a\nnumAcks=7\n", 7, 17, {}, ""},
      {"VoiceBoss", "AckSound(2)=a\nnumAcks=-1\n", 3, 17, {}, "numAcks=-1 is not a row count"},
      {"VoiceBoss", "numAcks=99999999\n", 3, 17, {}, "numAcks=99999999"},
      {"VoiceBoss", "numAcks=32767\nAckSound(16)=x\n", 32767, 17, {"AckSound(16)"}, ""},
      {"VoiceBoss", "numAcks = 2 ;\n", 2, 17, {}, ""},
      {"OtherPack", "AckSound(6)=a\nOtherSound(9)=b\n", 7, 10, {}, ""},
      {"OtherPack", "numAcks=2\nAckSound(6)=a\n", 2, 0, {"AckSound(6)"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.parent) + ": " + c.lines);
    const ClassImport imported = ImportVoiceClass(
        std::string("class A extends ") + c.parent + ";\ndefaultproperties\n{\n" + c.lines + "}\n",
        std::nullopt, "/nowhere");
    ASSERT_TRUE(imported.Ok()) << imported.error;
    EXPECT_EQ(imported.state.Tables.Acks.Count(), c.acks);
    EXPECT_EQ(imported.state.Tables.Others.Count(), c.others);
    EXPECT_EQ(imported.unplacedProperties, c.unplaced);
    // A parent the program doesn't know is asked about, not noted.
    EXPECT_EQ(imported.unknownParent.empty(), std::string_view(c.parent) != "OtherPack");
    // A table without loaded rows still asks how many to create.
    EXPECT_EQ(imported.state.Tables.FFire.CreateMode(), imported.state.Tables.FFire.Empty()
                                                            ? CreateButtonMode::CreateRows
                                                            : CreateButtonMode::AddNewRow);
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
  EXPECT_EQ(imported.state.Tables.Taunts.Count(), 20);  // VoiceBoss's
  EXPECT_EQ(imported.state.Tables.Taunts.Row(2).String, "b");
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
