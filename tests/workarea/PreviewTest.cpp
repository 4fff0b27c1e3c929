// The preview's model, without a sound played: the menu the game builds
// from a pack, and which phrase starts when and which one is cut off.
#include <gtest/gtest.h>

#include "workarea/GameVoice.h"
#include "workarea/Preview.h"
#include "workarea/StockFacts.h"

namespace voxmire {
namespace {

using testing::MapLengths;

void Row(PhraseTable& table, const std::string& sound, const std::string& string,
         const std::string& abbrev = "") {
  table.AddRow();
  table.SetCell(table.Count(), PhraseCell::Sound, sound);
  table.SetCell(table.Count(), PhraseCell::String, string);
  table.SetCell(table.Count(), PhraseCell::Abbrev, abbrev);
}

std::vector<std::string> Shown(const MenuCategory& category) {
  std::vector<std::string> shown;
  for (const MenuEntry& entry : category.Entries) {
    shown.push_back(entry.Shown + (entry.FromBase ? " [base]" : "") +
                    (entry.Mature ? " [mature]" : ""));
  }
  return shown;
}

TEST(Preview, TheMenuShowsWhatTheGameShowsAndOnlyWhatItOffers) {
  const VoiceDefaults& male1 = *GameClassDefaults("VoiceMaleOne");
  WorkAreaTables t;
  Row(t.Acks, "Sound'P.P.yes'", "Yes sir", "Yes");
  Row(t.Acks, "Sound'P.P.hm'", "", "");  // the base's "Roger" must not show
  Row(t.Taunts, "Sound'P.P.a'", "Take that");
  Row(t.Taunts, "Sound'P.P.b'", "Yeah!");
  t.Taunts.SetMature(2, true);
  Row(t.Others, "Sound'P.P.c'", "Uncovered!", "Base!");
  t.Orders[2].Abbrev = "Charge";  // Assault Base; its String stays the base's
  t.Orders[5].String = "Grab it.";
  NoSoundLengths none;
  const VoiceDefaults pack = PackDefaults(t, male1, none);
  const std::vector<MenuCategory> menu = SpeechMenu(t, pack);

  ASSERT_EQ(menu.size(), 5u);
  EXPECT_EQ(menu[0].Tab, WorkAreaTab::Acknowledgements);
  EXPECT_EQ(Shown(menu[0]), (std::vector<std::string>{"Yes", ""}));
  EXPECT_EQ(menu[1].Tab, WorkAreaTab::FriendlyFire);
  EXPECT_TRUE(menu[1].Entries.empty());  // numFFires=0: nothing offered
  ASSERT_EQ(menu[2].Tab, WorkAreaTab::Orders);
  EXPECT_EQ(Shown(menu[2]),
            (std::vector<std::string>{"Defend [base]", "Hold this position. [base]", "Charge",
                                      "Cover me. [base]", "Freelance. [base]"}));
  EXPECT_EQ(menu[2].Entries[2].Label, "Assault Base");
  EXPECT_EQ(menu[2].Entries[2].CaptureTheFlag, "Grab it.");
  EXPECT_EQ(menu[2].Entries[2].Domination, "Search and destroy.");
  EXPECT_EQ(menu[3].Tab, WorkAreaTab::Taunts);
  EXPECT_EQ(Shown(menu[3]), (std::vector<std::string>{"Take that", "Yeah! [mature]"}));
  // Each other message has an index of its own: the base's stay past the pack's rows.
  ASSERT_EQ(menu[4].Entries.size(), 17u);
  EXPECT_EQ(menu[4].Entries[0].Shown, "Base!");
  EXPECT_FALSE(menu[4].Entries[0].FromBase);
  EXPECT_EQ(menu[4].Entries[16].Shown, "Objective destroyed.");
  EXPECT_TRUE(menu[4].Entries[16].FromBase);
}

TEST(Preview, TheSecondPhraseStartsAtTheFirstsTimeAndCutsItOff) {
  const VoiceDefaults& male1 = *GameClassDefaults("VoiceMaleOne");
  MapLengths lengths({{"Sound'P.P.long'", 1.5},
                      {"Sound'P.P.short'", 0.4},
                      {"Sound'P.P.red'", 1.4},
                      {"Sound'Male1Voice.(All).M1defend'", 0.8}});
  WorkAreaTables t;
  Row(t.Acks, "Sound'P.P.long'", "Understood");
  t.Acks.SetTime(1, 1.2);
  Row(t.Acks, "Sound'P.P.short'", "Ok");  // its time follows its sound
  Row(t.Acks, "", "Hm");                  // silent: the base's time stands
  Row(t.Acks, "Sound'P.P.short'", "Yes");
  Row(t.Acks, "Sound'P.P.unknown'", "Past the base's four");
  t.Acks.SetTime(4, 0.3);
  t.Names[0] = "Sound'P.P.red'";  // 1.4 s: the base's 0.96 would cut it off
  const VoiceDefaults pack = PackDefaults(t, male1, lengths);

  struct Case {
    const char* what;
    PhraseSequence sequence;
    std::vector<std::string> schedule;  // What@Start[/cut]
    std::string ends;
  };
  const auto describe = [](const PhraseSequence& s) {
    std::vector<std::string> out;
    for (const ScheduledPhrase& p : s.Phrases) {
      out.push_back(p.What + "@" + TimeText(p.Start) + (p.CutAt ? "/" + TimeText(*p.CutAt) : "") +
                    " " + p.Text);
    }
    return out;
  };
  const Case cases[] = {
      {"cut off",
       AckThenName(pack, 0, 0, lengths),
       {"AckSound(0)@0.00/1.20 Understood", "NameSound(0)@1.20 Red Leader"},
       ""},
      {"measured",
       AckThenName(pack, 1, 2, lengths),
       {"AckSound(1)@0.00 Ok", "NameSound(2)@0.40 Green Leader"},
       ""},
      {"silent",
       AckThenName(pack, 2, 1, lengths),
       {"AckSound(2)@0.00 Hm", "NameSound(1)@0.98 Blue Leader"},
       ""},
      {"typed, shorter than the sound",
       AckThenName(pack, 3, 3, lengths),
       {"AckSound(3)@0.00/0.30 Yes", "NameSound(3)@0.30 Gold Leader"},
       ""},
      {"time 0",
       AckThenName(pack, 4, 0, lengths),
       {"AckSound(4)@0.00 Past the base's four"},
       "AckTime(4) is 0: the leader's name never follows."},
      {"name then order",
       NameThenOrder(pack, 0, 0, lengths),
       {"NameSound(0)@0.00 Red Leader", "OrderSound(0)@1.40 Defend the base."},
       ""},
      {"the base's name",
       NameThenOrder(pack, 1, 11, lengths),
       {"NameSound(1)@0.00 Blue Leader", "OrderSound(11)@1.10 Search and destroy."},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(describe(c.sequence), c.schedule);
    EXPECT_EQ(c.sequence.Ends, c.ends);
  }
  const PhraseSequence first = AckThenName(pack, 0, 0, lengths);
  EXPECT_EQ(first.Phrases[0].Sound, "Sound'P.P.long'");
  EXPECT_EQ(first.Phrases[0].Length, 1.5);
  EXPECT_EQ(first.Phrases[1].Sound, "Sound'P.P.red'");
}

}  // namespace
}  // namespace voxmire
