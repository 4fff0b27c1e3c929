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
  s.ScriptHead = "class My_Pack2 extends VoiceFemaleTwo;\r\n\t// edited\r\n";
  AddRows(s.Tables.Acks,
          {{"Sound'My_Pack2.My_Pack2.gotit'", "Got it", "Got"}, {}, {"", "C:\\Temp\\x", "\t"}});
  s.Tables.FFire.CreateRows(0);  // asked once for a count, then no rows
  AddRows(s.Tables.Others, {{"None", "Stop \"that\"", "A twenty-character abbreviation"}});
  s.Tables.Orders[0] = {"Sound'Female2Voice.(All).F2defend'", "Defend the base", ""};
  s.Tables.Orders[6] = {"", "Search and destroy", "S&D"};
  s.Tables.Names = {"Sound'My_Pack2.My_Pack2.red'", "", "", "x"};
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
      {"huge version", replaced("\"version\": 1", "\"version\": 1e99999"), "no format version"},
      {"version of 10 digits", replaced("\"version\": 1", "\"version\": 1234567890"),
       "no format version"},
      {"version of 20 digits", replaced("\"version\": 1", "\"version\": 12345678901234567890"),
       "no format version"},
      {"another JSON", "{\"name\": \"MyPack\"}", "not a Voxmire"},
      {"newer format", replaced("\"version\": 1", "\"version\": 2"), "newer version"},
      {"no version", replaced("\"version\": 1,", ""), "no format version"},
      {"name not an identifier", replaced("\"My_Pack2\"", "\"../Evil\""), "../Evil"},
      {"no name", replaced("\"My_Pack2\"", "\"\""), "can't be used"},
      {"unknown base", replaced("\"Female2\"", "\"Alto\""), "Alto"},
      {"row of two", replaced("[\"None\", ", "["), "three texts"},
      {"text beyond Windows-1252",
       replaced("\"mailto:jerome@example.org\"", "\"\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\""),
       "Windows-1252"},
      {"number for a text", replaced("\"/home/j/sounds/\"", "7"), "soundDir"},
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

TEST(ProjectFile, TablesBeyondTheRowLimitAreRefusedNotBuilt) {
  std::string text = ProjectFileText(FullPack());
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

}  // namespace
}  // namespace voxmire
