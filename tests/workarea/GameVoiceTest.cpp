// The model of what the game does with a pack: the stock voices it builds
// on, the pack's values laid over them, and what it warns about.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "workarea/BaseVoicePresets.h"
#include "workarea/GameVoice.h"
#include "workarea/StockFacts.h"

namespace voxmire {
namespace {

using testing::MapLengths;
using testing::Stored;

const std::map<std::string, VoiceCategory> kCategories = {
    {"name", VoiceCategory::Name},   {"ack", VoiceCategory::Ack},
    {"ffire", VoiceCategory::FFire}, {"taunt", VoiceCategory::Taunt},
    {"order", VoiceCategory::Order}, {"other", VoiceCategory::Other}};

// The defaults of each class, made from the game's export alone.
std::map<std::string, VoiceDefaults> ExportedDefaults() {
  std::map<std::string, VoiceDefaults> classes;
  for (const testing::StockFact& f : testing::ReadStockFacts()) {
    VoiceDefaults& d = classes[f.Class];
    if (f.Category == "counts") {
      std::string counts = f.Index.empty() ? f.Sound : f.Index;
      for (const auto& [name, count] :
           {std::pair{"numAcks=", &d.NumAcks}, std::pair{"numFFires=", &d.NumFFires},
            std::pair{"numTaunts=", &d.NumTaunts}}) {
        const auto at = counts.find(name);
        EXPECT_NE(at, std::string::npos) << f.Class << " " << name;
        if (at != std::string::npos)
          *count = std::stoi(counts.substr(at + std::string(name).size()));
      }
      continue;
    }
    VoiceEntry& e = d.Entries(kCategories.at(f.Category))[std::stoul(f.Index)];
    e.Sound = testing::StoredSound(f.Sound);
    e.String = f.String;
    e.Abbrev = f.Abbrev;
    e.Time = f.Time.empty() ? 0 : std::stod(f.Time);
    e.Mature = f.Mature.empty() ? 0 : std::stoi(f.Mature);
  }
  return classes;
}

TEST(GameVoice, TheBuiltInStockVoicesAreTheGamesOwnTextForText) {
  const auto exported = ExportedDefaults();
  ASSERT_EQ(exported.size(), 5u);
  for (const auto& [cls, expected] : exported) {
    SCOPED_TRACE(cls);
    const VoiceDefaults* builtIn = GameClassDefaults(cls);
    ASSERT_NE(builtIn, nullptr);
    EXPECT_TRUE(Stored(*builtIn) == expected);
    // Field by field, so that a difference says where it is.
    for (VoiceCategory category : kVoiceCategories) {
      const auto ours = builtIn->Entries(category);
      const auto theirs = expected.Entries(category);
      for (std::size_t i = 0; i < ours.size(); ++i) {
        EXPECT_EQ(testing::StoredSound(ours[i].Sound), theirs[i].Sound) << i;
        EXPECT_EQ(ours[i].String, theirs[i].String) << i;
        EXPECT_EQ(ours[i].Abbrev, theirs[i].Abbrev) << i;
        EXPECT_EQ(ExportedTime(ours[i].Time), ExportedTime(theirs[i].Time)) << i;
        EXPECT_EQ(ours[i].Mature, theirs[i].Mature) << i;
      }
    }
  }
  // The stock voices' parents set nothing; a class of a pack is unknown.
  for (const char* empty : {"VoiceMale", "voicefemale", "ChallengeVoicePack"}) {
    ASSERT_NE(GameClassDefaults(empty), nullptr) << empty;
    EXPECT_TRUE(*GameClassDefaults(empty) == VoiceDefaults{}) << empty;
  }
  EXPECT_EQ(GameClassDefaults("GruntVox"), nullptr);
  EXPECT_TRUE(BaseDefaults("GruntVox") == VoiceDefaults{});
  EXPECT_EQ(&BaseDefaults("voicemaleone"), GameClassDefaults("VoiceMaleOne"));
}

// Loading every tab's preset gives the stock class itself: over nothing, the
// tables make it whole; over the stock class, they add nothing to it.
TEST(GameVoice, PresetsAreTheStockVoicesTimesAndFlagsIncluded) {
  for (const VoicePresets& voice : AllVoicePresets()) {
    SCOPED_TRACE(std::string(voice.Class));
    ProjectState state;
    state.BaseVoicePackage = voice.Package;
    WorkAreaTables tables;
    for (WorkAreaTab tab :
         {WorkAreaTab::Acknowledgements, WorkAreaTab::FriendlyFire, WorkAreaTab::Taunts,
          WorkAreaTab::Orders, WorkAreaTab::Others, WorkAreaTab::Names}) {
      ASSERT_EQ(LoadVoiceBaseSettings(state, tab, tables), PresetLoadResult::Loaded);
    }
    const VoiceDefaults& stock = *GameClassDefaults(voice.Class);
    NoSoundLengths none;
    EXPECT_TRUE(PackDefaults(tables, VoiceDefaults{}, none) == stock);
    // No time that differs, no blanked text, no flag cleared; a flagged
    // taunt says so whatever the base.
    for (const Assignment& a : PackAssignments(tables, stock, none)) {
      const bool same = a.Field == VoiceField::Sound || a.Field == VoiceField::String ||
                        a.Field == VoiceField::Count ||
                        (a.Field == VoiceField::Mature ? a.Number == 1 : !a.Text.empty());
      EXPECT_TRUE(same) << PropertyName(a.Category, a.Field) << "(" << a.Index << ")";
    }
    // Male One's own "Man down!" has no sound: the game shows it and says nothing.
    const auto warnings = PackWarnings(tables, stock, none);
    if (voice.Class == "VoiceMaleOne") {
      ASSERT_EQ(warnings.size(), 1u);
      EXPECT_NE(warnings[0].find("Row 6 on the \"Others\" tab has a String but no Sound"),
                std::string::npos);
    } else {
      EXPECT_TRUE(warnings.empty()) << ::testing::PrintToString(warnings);
    }
  }
}

TEST(GameVoice, TheTimeFollowsTheSoundUnlessOneIsFixedForIt) {
  MapLengths lengths({{"Sound'P.P.a'", 1.25}, {"Sound'P.P.b'", 0.5}});
  PhraseTable acks;
  acks.CreateRows(1);
  acks.SetCell(1, PhraseCell::Sound, "Sound'P.P.a'");
  EXPECT_EQ(PhraseTime(acks.Row(1).Time, acks.Row(1).Sound, lengths), 1.25);
  acks.SetTime(1, 2.0);
  EXPECT_EQ(PhraseTime(acks.Row(1).Time, acks.Row(1).Sound, lengths), 2.0);
  // Whoever changes the sound, the fixed time goes with the old one.
  acks.SetCell(1, PhraseCell::Sound, "Sound'P.P.b'");
  EXPECT_EQ(acks.Time(1), std::nullopt);
  EXPECT_EQ(PhraseTime(acks.Row(1).Time, acks.Row(1).Sound, lengths), 0.5);
  WorkAreaTables tables;
  tables.Names[0] = "Sound'P.P.a'";
  tables.NameTimes[0] = FixedTime{0.75, tables.Names[0]};
  tables.Names[0] = "Sound'P.P.b'";  // a page that writes the field directly
  EXPECT_EQ(
      PhraseTime(FixedSeconds(tables.NameTimes[0], tables.Names[0]), tables.Names[0], lengths),
      0.5);
  EXPECT_EQ(PhraseTime(std::nullopt, "None", lengths), std::nullopt);
}

TEST(GameVoice, WarningsNameWhatThePackDoesThatItsTablesDontSay) {
  const VoiceDefaults& male1 = *GameClassDefaults("VoiceMaleOne");
  MapLengths lengths({{"Sound'P.P.long'", 1.5},
                      {"Sound'P.P.short'", 0.4},
                      {"Sound'Male1Voice.(All).M1goldleader'", 0.99}});
  struct Case {
    const char* what;
    std::function<void(WorkAreaTables&)> make;
    std::vector<std::string> mentions;  // one warning each, in order
  };
  const auto full = [](WorkAreaTables& t) {
    for (PhraseTable* table : {&t.Acks, &t.FFire, &t.Taunts}) {
      table->CreateRows(1);
      table->SetCell(1, PhraseCell::Sound, "Sound'P.P.short'");
    }
  };
  const Case cases[] = {
      {"all well", full, {}},
      {"empty tables",
       [](WorkAreaTables&) {},
       {"\"Acknowledgements\" tab has no rows", "\"Friendly Fire\" tab has no rows",
        "\"Taunts\" tab has no rows"}},
      {"text without sound",
       [&](WorkAreaTables& t) {
         full(t);
         t.Taunts.AddRow();
         t.Taunts.SetCell(2, PhraseCell::String, "Boom!");
         t.Taunts.AddRow();
         t.Taunts.SetCell(3, PhraseCell::Sound, "None");
         t.Taunts.SetCell(3, PhraseCell::String, "Bam!");
       },
       {"Row 2 on the \"Taunts\" tab has a String but no Sound: the game shows \"Boom!\"",
        "Row 3 on the \"Taunts\" tab"}},
      {"times",
       [&](WorkAreaTables& t) {
         full(t);
         t.Acks.SetCell(1, PhraseCell::Sound, "Sound'P.P.long'");
         t.Acks.SetTime(1, 1.39);  // a cut of 0.11 s
         t.Acks.AddRow();          // silent: no time to judge
         t.Acks.AddRow();
         t.Acks.SetCell(3, PhraseCell::Sound, "Sound'P.P.long'");
         t.Acks.SetTime(3, 1.41);  // 0.09 s: near enough
         t.Acks.AddRow();
         t.Acks.SetCell(4, PhraseCell::Sound, "Sound'P.P.short'");
         t.Acks.AddRow();
         // Past the base voice's four, an unknown length keeps its time of 0.
         t.Acks.SetCell(5, PhraseCell::Sound, "Sound'P.P.unknown'");
         t.Names[2] = "Sound'P.P.long'";
         t.NameTimes[2] = FixedTime{0.5, t.Names[2]};
         t.NameTimes[3] = FixedTime{0.5, ""};  // the base voice's own name, cut short
       },
       {"The time of row 1 on the \"Acknowledgements\" tab, 1.39 s, is shorter than its sound "
        "(1.50 s): the leader's name cuts it off.",
        "Row 5 on the \"Acknowledgements\" tab has a time of 0: the leader's name never follows",
        "The time of the \"Green Leader\" name, 0.50 s, is shorter than its sound (1.50 s): the "
        "order cuts it off.",
        "The time of the \"Gold Leader\" name, 0.50 s"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WorkAreaTables tables;
    c.make(tables);
    const std::vector<std::string> warnings = PackWarnings(tables, male1, lengths);
    ASSERT_EQ(warnings.size(), c.mentions.size()) << ::testing::PrintToString(warnings);
    for (std::size_t i = 0; i < warnings.size(); ++i) {
      EXPECT_NE(warnings[i].find(c.mentions[i]), std::string::npos) << warnings[i];
    }
  }
  // The others say nothing only when the base voice has none either.
  WorkAreaTables bare;
  NoSoundLengths none;
  const auto warnings = PackWarnings(bare, VoiceDefaults{}, none);
  ASSERT_EQ(warnings.size(), 4u);
  EXPECT_NE(warnings[3].find("\"Others\" tab has no rows"), std::string::npos);
}

}  // namespace
}  // namespace voxmire
