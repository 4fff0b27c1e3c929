#include <gtest/gtest.h>

#include "core/Files.h"
#include "project/BaseVoices.h"
#include "project/ProjectFile.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

// Every Windows-1252 byte but NUL, the five the code page leaves undefined
// included.
std::string AllBytes() {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

void AddRows(PhraseTable& table, std::initializer_list<PhraseRow> rows) {
  table.CreateRows(table.Count() + static_cast<int>(rows.size()));
  int k = table.Count() - static_cast<int>(rows.size());
  for (const PhraseRow& row : rows) {
    ++k;
    table.SetCellUnclamped(k, PhraseCell::Sound, row.Sound);
    table.SetCellUnclamped(k, PhraseCell::String, row.String);
    table.SetCellUnclamped(k, PhraseCell::Abbrev, row.Abbrev);
  }
}

ProjectState FullPack() {
  ProjectState s;
  s.VoicePackName = "My_Pack2";
  s.AuthorName = "J\xE9r\xF4me \"Gruff\" O'Neil";
  s.AuthorURL = "mailto:jerome@example.org";
  s.ProductName = AllBytes();
  s.ProductURL = "https://example.org/a\\b?c=1&d=\"2\"";
  s.UTDir = "/games/Unreal Tournament";
  DeriveGameFolders(s);
  s.ReadmeLocation = "/home/j/readme \x80.txt";
  ApplyBaseVoice(kBaseVoices[3], s);
  s.SoundDir = "/home/j/sounds/";
  s.SoundDrive = "/home";
  s.Sounds = {"gotit", "hello", "S01_intro"};
  s.ConvertedSounds = {"hello"};
  s.Takes = {{"ack 0",
              {"ack_0_got_it_take1.wav", "ack_0_\xE9t\xE9_take2.wav"},
              "ack_0_got_it_take1.wav",
              "ack_0_got_it"},
             {"name 0", {}, "", "name_red_leader"}};
  s.ScriptHead = "class My_Pack2 extends VoiceFemaleTwo;\r\n\t// edited\r\n";
  AddRows(s.Tables.Acks,
          {{"Sound'My_Pack2.My_Pack2.gotit'", "Got it", "Got"}, {}, {"", "C:\\Temp\\x", "\t"}});
  s.Tables.Acks.SetTime(1, 0.1 + 0.2);  // a time binary can't hold exactly
  s.Tables.Acks.SetTime(3, 1.25);
  AddRows(s.Tables.Taunts, {{"Sound'Male1Voice.(All).M1yeahbitch'", "Yeah!", ""},
                            {},
                            {"Caf\xE9", "Gar\xE7on \x80", "Ol\xE9"}});  // each cell converted
  s.Tables.Taunts.SetMature(1, true);
  s.Tables.Taunts.SetMature(2, true);
  s.Tables.Taunts.SetTime(2, 2.5);
  s.Tables.FFire.CreateRows(0);  // asked once for a count, then no rows
  AddRows(s.Tables.Others, {{"None", "Stop \"that\"", "A twenty-character abbreviation"}});
  s.Tables.Orders[0] = {"Sound'Female2Voice.(All).F2defend'", "Defend the base", ""};
  s.Tables.Orders[3] = {"\xC9t\xE9", "Couvre-moi, s'il te pla\xEEt", "Couvre \xA7"};
  s.Tables.Orders[6] = {"", "Search and destroy", "S&D"};
  s.Tables.Names = {"Sound'My_Pack2.My_Pack2.red'", "", "", "x"};
  s.Tables.NameTimes[0] = FixedTime{1.4, s.Tables.Names[0]};
  s.Tables.NameTimes[2] = FixedTime{0.96, ""};
  s.Description = "My pack \xA9 2026";
  s.GenerateUmod = true;
  return s;
}

TEST(ProjectFile, EverythingTheWizardCollectsComesBackByteForByte) {
  for (const ProjectState& state : {FullPack(), [] {
                                      ProjectState minimal;
                                      minimal.VoicePackName = "P";
                                      DeriveGameFolders(minimal);
                                      return minimal;
                                    }()}) {
    const std::string text = ProjectFileText(state);
    const ProjectRead read = ReadProjectText(text);
    ASSERT_TRUE(read.state) << read.problem;
    EXPECT_EQ(*read.state, state);
    EXPECT_EQ(ProjectFileText(*read.state), text);
  }
}

// Files written before the recording window have no takes, and files from
// a later version may say more about a take: both load.
TEST(ProjectFile, TakesAreOptionalAndUnknownTakeFieldsPassOver) {
  const std::string text = ProjectFileText(FullPack());
  const std::size_t from = text.find("  \"takes\": [");
  const std::size_t to = text.find("  ],\n", from) + 5;
  ASSERT_NE(from, std::string::npos);
  ProjectRead read = ReadProjectText(std::string(text).erase(from, to - from));
  ASSERT_TRUE(read.state) << read.problem;
  EXPECT_TRUE(read.state->Takes.empty());

  std::string later = text;
  later.insert(later.find("\"used\"", from), "\"gain\": [1, {\"x\": null}], ");
  read = ReadProjectText(later);
  ASSERT_TRUE(read.state) << read.problem;
  EXPECT_EQ(read.state->Takes, FullPack().Takes);
}

TEST(ProjectFile, OneTableRowALineSoThatChangesDiffAsTheirRows) {
  ProjectState state = FullPack();
  const std::string before = ProjectFileText(state);
  state.Tables.Acks.SetCell(2, PhraseCell::String, "changed");
  const std::string after = ProjectFileText(state);
  const auto lines = [](const std::string& text) { return SplitLines(text); };
  const auto a = lines(before), b = lines(after);
  ASSERT_EQ(a.size(), b.size());
  int differing = 0;
  for (std::size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i];
  EXPECT_EQ(differing, 1);
}

TEST(ProjectFile, RefusesWhatIsNotAProjectItCanUse) {
  const std::string good = ProjectFileText(FullPack());
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  const struct {
    const char* what;
    std::string text;
    const char* says;
  } cases[] = {
      {"empty", "", "empty"},
      {"cut short", good.substr(0, good.size() / 2), "cut short"},
      {"not JSON", "[Public]\r\nObject=(Name=X.X)\r\n", "not a Voxmire"},
      {"damaged", "{\"format\": \"Voxmire voice pack\", \"version\": 1,, }", "damaged"},
      // Numbers no machine word holds once brought the reader down.
      {"huge number", "2111133333333333333333333333333333222e3333333333222ePa", "not a Voxmire"},
      {"huge version", replaced("\"version\": 2", "\"version\": 1e99999"), "no format version"},
      {"version of 10 digits", replaced("\"version\": 2", "\"version\": 1234567890"),
       "no format version"},
      {"version of 20 digits", replaced("\"version\": 2", "\"version\": 12345678901234567890"),
       "no format version"},
      {"another JSON", "{\"name\": \"MyPack\"}", "not a Voxmire"},
      {"newer format", replaced("\"version\": 2", "\"version\": 3"), "newer version"},
      {"no version", replaced("\"version\": 2,", ""), "no format version"},
      {"name not an identifier", replaced("\"My_Pack2\"", "\"../Evil\""), "../Evil"},
      {"no name", replaced("\"My_Pack2\"", "\"\""), "can't be used"},
      {"unknown base", replaced("\"Female2\"", "\"Alto\""), "Alto"},
      {"row of two", replaced("[\"None\", ", "["), "three texts"},
      {"row of five", replaced("{\"time\": 1.25}", "{\"time\": 1.25}, 7"), "three texts"},
      {"extras not an object", replaced("{\"time\": 1.25}", "1.25"), "three texts"},
      {"negative time", replaced("{\"time\": 1.25}", "{\"time\": -1}"),
       "Acknowledgements row 3 time should be a time in seconds"},
      {"time as text", replaced("{\"time\": 1.25}", "{\"time\": \"1.25\"}"), "time in seconds"},
      {"mature as number", replaced("\"mature\": true}", "\"mature\": 1}"), "true or false"},
      {"five leader times", replaced("\"leaderTimes\": [", "\"leaderTimes\": [1, "), "four times"},
      {"text beyond Windows-1252",
       replaced("\"mailto:jerome@example.org\"", "\"\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\""),
       "Windows-1252"},
      {"number for a text", replaced("\"/home/j/sounds/\"", "7"), "soundDir"},
      {"take list not a list", replaced("\"files\": [", "\"files\": 3, \"x\": ["), "files"},
      {"seven orders", replaced("\"orders\": [", "\"orders\": [[\"\", \"\", \"\"], "), "seven"},
      {"leaders short of four", replaced("\"leaders\": [", "\"leaders\": [\"\"], \"dropped\": ["),
       "four team leaders"},
      {"orders short of seven",
       replaced("\"orders\": [", "\"orders\": [[\"\", \"\", \"\"]], \"dropped\": ["), "seven"},
      // Names the pack's folder, the script and the references are made of.
      {"a sound name that climbs out", replaced("\"gotit\"", "\"../../../evil\""),
       "damaged: sounds 1, \"../../../evil\", is no sound name"},
      {"a sound name with a line break", replaced("\"hello\"", "\"hel\\r\\nlo\""),
       "sounds 2, \"hel\r\nlo\", is no sound name"},
      {"a converted sound that is no name",
       replaced("\"convertedSounds\": [\n    \"hello\"", "\"convertedSounds\": [\n    \"he llo\""),
       "convertedSounds 1, \"he llo\", is no sound name"},
  };
  for (const auto& c : cases) {
    const ProjectRead read = ReadProjectText(c.text);
    EXPECT_FALSE(read.state) << c.what;
    EXPECT_NE(read.problem.find(c.says), std::string::npos) << c.what << ": " << read.problem;
  }
}

// Times and flags are the row's own, on its line; a time that no longer
// belongs to its row's sound is not kept.
TEST(ProjectFile, TimesAndFlagsStayWithTheirRows) {
  ProjectState state = FullPack();
  const std::string text = ProjectFileText(state);
  for (const char* line : {"[\"Sound'My_Pack2.My_Pack2.gotit'\", \"Got it\", \"Got\", {\"time\": "
                           "0.30000000000000004}]",
                           "[\"\", \"C:\\\\Temp\\\\x\", \"\\t\", {\"time\": 1.25}]",
                           "[\"\", \"\", \"\", {\"time\": 2.5, \"mature\": true}]",
                           "[\"\", \"\", \"\"]", "\"leaderTimes\": [1.4, null, 0.96, null]"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << " in " << text;
  }
  state.Tables.Names[0] = "Sound'My_Pack2.My_Pack2.other'";
  const ProjectRead read = ReadProjectText(ProjectFileText(state));
  ASSERT_TRUE(read.state) << read.problem;
  EXPECT_EQ(read.state->Tables.NameTimes[0], std::nullopt);
  EXPECT_EQ(read.state->Tables.Acks.Time(1), 0.1 + 0.2);
}

// A project saved before times and mature flags were kept: its times follow
// its sounds, and its taunts keep the flags the base voice gave them, which
// is what its pack did in the game.
TEST(ProjectFile, AnOlderProjectTakesItsTimesFromItsSoundsAndItsFlagsFromItsBase) {
  const auto older = [](const std::string& base, const std::string& head) {
    return "{\n  \"format\": \"Voxmire voice pack\",\n  \"version\": 1,\n"
           "  \"pack\": {\"VoicePackName\": \"Old\"},\n  \"baseVoice\": \"" +
           base + "\",\n  \"scriptHead\": " + head +
           ",\n  \"tables\": {\"Taunts\": {\"addRows\": true, \"rows\": [\n" + std::string(7, ' ') +
           "[\"a\", \"b\", \"c\"], [\"\", \"\", \"\"], [\"\", \"\", \"\"], "
           "[\"\", \"\", \"\"],\n [\"\", \"\", \"\"], [\"\", \"\", \"\"], [\"\", \"\", \"\"]]},\n"
           "    \"Acknowledgements\": {\"addRows\": true, \"rows\": [[\"Sound'Old.Old.x'\", \"X\", "
           "\"\"]]}},\n"
           "  \"leaders\": [\"Sound'Old.Old.red'\", \"\", \"\", \"\"]\n}\n";
  };
  const struct {
    std::string base;
    std::string head;
    std::vector<int> mature;
  } cases[] = {
      {"Male1", "null", {3, 7}},
      {"Male2", "null", {7}},
      {"Male1", "\"class Old extends VoiceMaleTwo;\"", {7}},  // the head's parent counts
      {"BlankMale", "null", {3, 7}},                          // a blank male pack extends Male One
      {"Boss", "null", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base + " " + c.head);
    const ProjectRead read = ReadProjectText(older(c.base, c.head));
    ASSERT_TRUE(read.state) << read.problem;
    const WorkAreaTables& t = read.state->Tables;
    std::vector<int> mature;
    for (int k = 1; k <= t.Taunts.Count(); ++k) {
      if (t.Taunts.Row(k).Mature) mature.push_back(k);
    }
    EXPECT_EQ(mature, c.mature);
    EXPECT_EQ(t.Acks.Time(1), std::nullopt);
    EXPECT_EQ(t.NameTimes[0], std::nullopt);
  }
}

TEST(ProjectFile, TablesBeyondTheRowLimitAreRefusedNotBuilt) {
  ProjectState state = FullPack();
  state.Tables.Taunts = PhraseTable();
  std::string text = ProjectFileText(state);
  std::string rows;
  for (int k = 0; k <= PhraseTable::kMaxRows; ++k)
    rows += k == 0 ? "[\"\",\"\",\"\"]" : ",[\"\",\"\",\"\"]";
  const std::string anchor = "\"Taunts\": {\n      \"addRows\": false,\n      \"rows\": [";
  const auto at = text.find(anchor);
  ASSERT_NE(at, std::string::npos);
  text.insert(at + anchor.size(), rows);
  const ProjectRead read = ReadProjectText(text);
  EXPECT_FALSE(read.state);
  EXPECT_NE(read.problem.find("32767"), std::string::npos) << read.problem;
}

TEST(ProjectStore, WritesOnlyItsOwnPacksFile) {
  const testing::TempDir temp;
  ProjectStore store(Places::InOneFolder(temp.path));
  ProjectState state = FullPack();
  const fs::path file = ProjectFilePath(Places::InOneFolder(temp.path), state.VoicePackName);

  ProjectState unnamed;
  EXPECT_EQ(store.Save(unnamed), ProjectStore::Outcome::NoName);
  EXPECT_FALSE(fs::exists(ProjectFolder(Places::InOneFolder(temp.path))));

  // Another pack of that name, not loaded here, is never replaced.
  temp.Write(file.lexically_relative(temp.path), "someone's work");
  EXPECT_TRUE(store.WouldClash(state.VoicePackName));
  EXPECT_EQ(store.Save(state), ProjectStore::Outcome::Taken);
  EXPECT_EQ(ReadFileBytes(file), "someone's work");

  // Set aside twice: each earlier file keeps a backup of its own.
  const auto first = store.SetAside(state.VoicePackName);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->filename(), "My_Pack2.voxmire.bak");
  EXPECT_EQ(store.Save(state), ProjectStore::Outcome::Saved);
  EXPECT_TRUE(store.Flush());
  EXPECT_EQ(store.Bound(), "My_Pack2");
  EXPECT_EQ(ReadProjectFile(file).state, state);
  EXPECT_EQ(store.Save(state), ProjectStore::Outcome::Unchanged);
  state.Tables.Acks.AddRow();
  EXPECT_EQ(store.Save(state), ProjectStore::Outcome::Saved);
  EXPECT_TRUE(store.Flush());
  EXPECT_EQ(ReadProjectFile(file).state, state);

  store.Unbind();
  EXPECT_EQ(store.Save(state), ProjectStore::Outcome::Taken);
  const auto second = store.SetAside(state.VoicePackName);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->filename(), "My_Pack2.voxmire.bak2");
  EXPECT_EQ(ReadFileBytes(*first), "someone's work");
}

// The file is made from the state on the store's own thread, while the user
// goes on typing: what lands is the state as it was saved, not as it is now.
TEST(ProjectStore, ASaveInFlightWritesTheStateAsSavedWhileTheTablesChange) {
  const testing::TempDir temp;
  const Places places = Places::InOneFolder(temp.path);
  ProjectState state = FullPack();
  state.Tables.Taunts.CreateRows(20000);
  for (int k = 1; k <= 20000; k += 7) {
    state.Tables.Taunts.SetCell(k, PhraseCell::String, "taunt " + std::to_string(k));
  }
  const ProjectState saved = state;
  {
    ProjectStore store(places);
    ASSERT_EQ(store.Save(state), ProjectStore::Outcome::Saved);
    for (int k = 1; k <= 20000; k += 3) {
      state.Tables.Taunts.SetCell(k, PhraseCell::String, "typed meanwhile");
      state.Tables.Taunts.SetMature(k, true);
    }
    state.Tables.Taunts.RemoveLastRow();
    ASSERT_TRUE(store.Flush());
    EXPECT_EQ(ReadProjectFile(ProjectFilePath(places, state.VoicePackName)).state, saved);

    // A state equal to the one saved is not written again, though it was
    // made apart from it; a change is.
    EXPECT_EQ(store.Save(saved), ProjectStore::Outcome::Unchanged);
    ProjectState again = saved;
    again.Tables.Taunts.SetCell(19999, PhraseCell::Abbrev, "x");
    EXPECT_EQ(store.Save(again), ProjectStore::Outcome::Saved);
    // The last save is written even when the program ends at once.
    EXPECT_EQ(store.Save(state), ProjectStore::Outcome::Saved);
  }
  EXPECT_EQ(ReadProjectFile(ProjectFilePath(places, state.VoicePackName)).state, state);
}

TEST(ProjectStore, SaysWhyItCannotWriteAndTriesAgain) {
  const testing::TempDir temp;
  temp.Write("Packs", "a file where the folder belongs");
  ProjectStore store(Places::InOneFolder(temp.path));
  EXPECT_EQ(store.Save(FullPack()), ProjectStore::Outcome::Failed);
  EXPECT_NE(store.Problem().find("Packs"), std::string::npos) << store.Problem();
  EXPECT_EQ(ReadFileBytes(temp.path / "Packs"), "a file where the folder belongs");

  // A write that fails in the background is told by Flush and by the next
  // save, which tries again.
  std::filesystem::remove(temp.path / "Packs");
  const fs::path file = ProjectFilePath(Places::InOneFolder(temp.path), "My_Pack2");
  std::filesystem::create_directories(file / "in the way");
  store.Bind("My_Pack2");
  EXPECT_EQ(store.Save(FullPack()), ProjectStore::Outcome::Saved);
  EXPECT_FALSE(store.Flush());
  EXPECT_NE(store.Problem().find("My_Pack2.voxmire could not be written"), std::string::npos)
      << store.Problem();
  std::filesystem::remove_all(file);
  EXPECT_EQ(store.Save(FullPack()), ProjectStore::Outcome::Saved);
  EXPECT_TRUE(store.Flush());
  EXPECT_EQ(ReadProjectFile(file).state, FullPack());
}

// Two stores on one folder stand for two copies of the program (a lock is
// held per open file, so they shut each other out as two processes do).
TEST(ProjectStore, APackIsBoundInOneStoreAtATime) {
  const testing::TempDir temp;
  const Places places = Places::InOneFolder(temp.path);
  ProjectStore first(places), second(places);
  const ProjectState state = FullPack();
  const fs::path lock = PackLockPath(places, state.VoicePackName);

  EXPECT_EQ(first.Save(state), ProjectStore::Outcome::Saved);  // a new pack binds on saving
  EXPECT_TRUE(first.Flush());
  EXPECT_TRUE(fs::exists(lock));
  EXPECT_TRUE(second.OpenElsewhere(state.VoicePackName));
  EXPECT_FALSE(first.OpenElsewhere(state.VoicePackName));
  EXPECT_FALSE(second.Bind(state.VoicePackName));
  EXPECT_EQ(second.Bound(), "");
  EXPECT_TRUE(second.Bind("Another"));
  EXPECT_FALSE(first.Bind("Another"));
  EXPECT_EQ(first.Bound(), state.VoicePackName);  // a refused bind changes nothing

  first.Unbind();  // let go: the lock file goes too
  EXPECT_FALSE(fs::exists(lock));
  EXPECT_FALSE(second.OpenElsewhere(state.VoicePackName));
  EXPECT_TRUE(second.Bind(state.VoicePackName));  // and "Another" is let go
  EXPECT_FALSE(first.OpenElsewhere("Another"));
  EXPECT_EQ(first.Save(state), ProjectStore::Outcome::Taken);
  {
    ProjectStore third(places);
    EXPECT_TRUE(third.Bind("Third"));
  }  // a store that ends lets go of its pack
  EXPECT_TRUE(first.Bind("Third"));
}

}  // namespace
}  // namespace voxmire
