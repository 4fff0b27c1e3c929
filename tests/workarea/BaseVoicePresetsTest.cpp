#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "core/Files.h"
#include "workarea/BaseVoicePresets.h"

namespace voxmire {
namespace {

using enum WorkAreaTab;

ProjectState StateFor(const std::string& package, bool blank = false) {
  ProjectState state;
  state.BaseVoicePackage = package;
  state.BlankBase = blank;
  return state;
}

TEST(BaseVoicePresetsTest, RowTabsLoadEveryVoiceCompletely) {
  struct Case {
    std::string package;
    std::array<int, 4> rows;  // Acknowledgements, Friendly Fire, Taunts, Others
  };
  for (const Case& c : {Case{"Male1Voice", {4, 2, 16, 17}}, Case{"Male2Voice", {3, 2, 25, 18}},
                        Case{"Female1Voice", {3, 2, 22, 17}}, Case{"Female2Voice", {3, 2, 27, 17}},
                        Case{"BossVoice", {3, 2, 20, 17}}}) {
    WorkAreaTables tables;
    const std::array<WorkAreaTab, 4> tabs = {Acknowledgements, FriendlyFire, Taunts, Others};
    for (std::size_t t = 0; t < tabs.size(); ++t) {
      SCOPED_TRACE(c.package + " " + std::string(TabCaption(tabs[t])));
      ASSERT_EQ(LoadVoiceBaseSettings(StateFor(c.package), tabs[t], tables),
                PresetLoadResult::Loaded);
      const PhraseTable& table = *RowTable(tables, tabs[t]);
      EXPECT_EQ(table.Count(), c.rows[t]);
      EXPECT_EQ(table.CreateMode(), CreateButtonMode::AddNewRow);
      EXPECT_EQ(table.Row(1).Sound.rfind("Sound'" + c.package + ".(All).", 0), 0u);
    }
  }
}

TEST(BaseVoicePresetsTest, SampleCellsMatchTheStockVoices) {
  struct Case {
    std::string package;
    WorkAreaTab tab;
    int row;
    std::string soundName, string, abbrev;
  };
  const Case cases[] = {
      {"Male1Voice", Acknowledgements, 4, "M1imonit", "I'm on it.", ""},
      {"Male1Voice", Taunts, 5, "M1burnbaby", "Burn, baby", ""},
      {"Male1Voice", Taunts, 13, "M1slaughter", "I just slaughtered that guy.", "Slaughtered him."},
      {"Male1Voice", Others, 6, "", "Man down!", ""},
      {"Male1Voice", Others, 16, "M1gotyoucovered", "I've got you covered.", "Got you covered."},
      {"Male2Voice", Others, 18, "M2Medic", "Medic!", ""},
      {"Female1Voice", Taunts, 20, "F1sucker", "Sucker!", ""},
      {"Female1Voice", Others, 5, "F1imhit", "I'm hit! I'm hit!", ""},
      {"Female2Voice", Taunts, 18, "F2sucker", "Sucker!", ""},
      // The one stock abbreviation longer than a user may type.
      {"Female2Voice", Taunts, 14, "F2safety", "Try turning the safety off.",
       "Turn the safety off."},
      {"Female2Voice", FriendlyFire, 2, "F2idiot", "I'm on your team!", "On your team!"},
      {"BossVoice", FriendlyFire, 1, "Bonyourteam", "I'm on your team!", "On your team!"},
      {"BossVoice", Others, 2, "Bgetourflag", "Get our flag back!", "Get our flag!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.package + " " + std::string(TabCaption(c.tab)) + " " + std::to_string(c.row));
    WorkAreaTables tables;
    ASSERT_EQ(LoadVoiceBaseSettings(StateFor(c.package), c.tab, tables), PresetLoadResult::Loaded);
    const PhraseRowView row = RowTable(tables, c.tab)->Row(c.row);
    EXPECT_EQ(row.Sound, c.soundName.empty() ? "" : StockSoundReference(c.package, c.soundName));
    EXPECT_EQ(row.String, c.string);
    EXPECT_EQ(row.Abbrev, c.abbrev);
  }
}

TEST(BaseVoicePresetsTest, EveryStockSoundExistsInItsPackage) {
  for (const VoicePresets& voice : AllVoicePresets()) {
    std::string package(voice.Package);
    auto bytes = ReadFileBytes(std::string(VOXMIRE_SHARED_DIR) + "/ut99/" + package + ".txt");
    ASSERT_TRUE(bytes.has_value()) << package;
    std::set<std::string> names;
    for (std::string& line : SplitLines(*bytes)) names.insert(line);

    std::set<std::string_view> used(voice.OrderSounds.begin(), voice.OrderSounds.end());
    used.insert(voice.LeaderSounds.begin(), voice.LeaderSounds.end());
    for (auto rows : {voice.Acks, voice.FFire, voice.Taunts, voice.Others}) {
      for (const PresetRow& row : rows) used.insert(row.SoundName);
    }
    used.erase("");
    EXPECT_GT(used.size(), 40u);
    for (std::string_view name : used) {
      EXPECT_TRUE(names.count(std::string(name))) << name << " is not in " << package;
    }
  }
}

TEST(BaseVoicePresetsTest, TimesAndMatureFlagsComeWithTheirRows) {
  WorkAreaTables tables;
  for (WorkAreaTab tab : {Acknowledgements, Taunts, Names}) {
    ASSERT_EQ(LoadVoiceBaseSettings(StateFor("Male1Voice"), tab, tables), PresetLoadResult::Loaded);
  }
  EXPECT_EQ(tables.Acks.Time(1), 0.78);
  EXPECT_EQ(tables.Acks.Time(4), 0.98);
  EXPECT_EQ(FixedSeconds(tables.NameTimes[1], tables.Names[1]), 1.1);
  std::vector<int> mature;
  for (int k = 1; k <= tables.Taunts.Count(); ++k) {
    if (tables.Taunts.Row(k).Mature) mature.push_back(k);
  }
  EXPECT_EQ(mature, (std::vector<int>{3, 7}));
  EXPECT_EQ(StockSoundTime("male1voice", "m1ROGER"), 0.81);
  EXPECT_EQ(StockSoundTime("BossVoice", "Bgoldleader"), 0.99);
  EXPECT_EQ(StockSoundTime("Male1Voice", "M1boom"), std::nullopt);  // a taunt has no time
  EXPECT_EQ(StockSoundTime("Male2Voice", "M1roger"), std::nullopt);
}

TEST(BaseVoicePresetsTest, FixedTabsOverwriteFieldsThatHaveAStockValue) {
  WorkAreaTables tables;
  tables.Orders.fill({"typed sound", "typed string", "typed abbrev"});
  tables.Names.fill("typed leader");
  // Fixed tabs take any number of loads.
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(LoadVoiceBaseSettings(StateFor("Female1Voice"), Orders, tables),
              PresetLoadResult::Loaded);
  }
  EXPECT_EQ(tables.Orders[0],
            (PhraseRow{"Sound'Female1Voice.(All).F1defend'", "Defend the base.", "Defend"}));
  EXPECT_EQ(tables.Orders[3].Sound, "Sound'Female1Voice.(All).F1cover'");
  EXPECT_EQ(tables.Orders[6].Sound, "Sound'Female1Voice.(All).F1destroy'");
  EXPECT_EQ(tables.Orders[4].Abbrev, "Freelance.");
  for (std::size_t kept : {1, 3, 5, 6}) EXPECT_EQ(tables.Orders[kept].Abbrev, "typed abbrev");
  EXPECT_EQ(tables.Names[0], "typed leader");

  ASSERT_EQ(LoadVoiceBaseSettings(StateFor("BossVoice"), Names, tables), PresetLoadResult::Loaded);
  EXPECT_EQ(tables.Names[0], "Sound'BossVoice.(All).Bredleader'");
  EXPECT_EQ(tables.Names[3], "Sound'BossVoice.(All).Bgoldleader'");
  EXPECT_EQ(tables.Orders[0].Sound, "Sound'Female1Voice.(All).F1defend'");
}

TEST(BaseVoicePresetsTest, RefusalsChangeNothing) {
  WorkAreaTables tables;  // Taunts loaded and edited, one row typed, one Abbrev typed
  ASSERT_EQ(LoadVoiceBaseSettings(StateFor("Male1Voice"), Taunts, tables),
            PresetLoadResult::Loaded);
  tables.Taunts.SetCell(16, PhraseCell::String, "edited");
  tables.Acks.CreateRows(1);
  tables.Orders[1].Abbrev = "typed";
  struct Case {
    ProjectState state;
    std::vector<WorkAreaTab> tabs;
    PresetLoadResult result;
  };
  const std::vector<WorkAreaTab> all = {Acknowledgements, FriendlyFire, Taunts,
                                        Orders,           Others,       Names};
  for (const Case& c :
       {Case{StateFor("Male1Voice", true), all, PresetLoadResult::NotAvailable},
        Case{StateFor(""), all, PresetLoadResult::UnknownPackage},
        Case{StateFor("male1voice"), all, PresetLoadResult::UnknownPackage},
        Case{StateFor("Male1Voice"), {Taunts, Acknowledgements}, PresetLoadResult::AlreadyHasRows},
        Case{StateFor("Male1Voice"), {Tools}, PresetLoadResult::NoPresets}}) {
    for (WorkAreaTab tab : c.tabs) {
      SCOPED_TRACE("'" + c.state.BaseVoicePackage + "' " + std::string(TabCaption(tab)));
      WorkAreaTables after = tables;
      EXPECT_EQ(LoadVoiceBaseSettings(c.state, tab, after), c.result);
      EXPECT_TRUE(after == tables);
    }
  }

  // Once every row is deleted the preset loads again.
  while (tables.Taunts.RemoveLastRow()) {
  }
  ASSERT_EQ(LoadVoiceBaseSettings(StateFor("Male1Voice"), Taunts, tables),
            PresetLoadResult::Loaded);
  EXPECT_EQ(tables.Taunts.Row(16).String, "You suck!");
}

}  // namespace
}  // namespace voxmire
