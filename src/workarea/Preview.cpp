#include "workarea/Preview.h"

#include <algorithm>

namespace voxmire {
namespace {

std::string Slot(std::string_view property, int index) {
  return std::string(property) + "(" + std::to_string(index) + ")";
}

MenuEntry Entry(const VoiceEntry& entry, int index) {
  MenuEntry shown;
  shown.Index = index;
  shown.Shown = ShownText(entry);
  shown.Mature = entry.Mature > 0;
  return shown;
}

// The entries 0..count-1 of a category the pack's table fills up to `rows`.
MenuCategory Offered(const VoiceDefaults& pack, VoiceCategory category, WorkAreaTab tab, int count,
                     int rows) {
  MenuCategory menu{tab, {}};
  const int offered = std::clamp(count, 0, SlotCount(category));
  for (int i = 0; i < offered; ++i) {
    menu.Entries.push_back(Entry(pack.At(category, i), i));
    menu.Entries.back().FromBase = i >= rows;
  }
  return menu;
}

ScheduledPhrase Phrase(std::string what, const VoiceEntry& entry, std::string text,
                       SoundLengths& lengths) {
  ScheduledPhrase phrase;
  phrase.What = std::move(what);
  phrase.Sound = entry.Sound;
  phrase.Text = std::move(text);
  phrase.Length = lengths.Length(entry.Sound);
  return phrase;
}

// The voice plays `first`, waits `time` and then plays `second` on the same
// sound slots, stopping the first if it still plays; a time of 0 ends the
// sequence with the first.
PhraseSequence Sequence(ScheduledPhrase first, std::string_view timeName, double time,
                        ScheduledPhrase second, std::string_view secondName) {
  PhraseSequence sequence;
  if (time <= 0) {
    sequence.Ends =
        std::string(timeName) + " is 0: the " + std::string(secondName) + " never follows.";
    sequence.Phrases.push_back(std::move(first));
    return sequence;
  }
  if (first.Length && *first.Length > time) first.CutAt = time;
  second.Start = time;
  sequence.Phrases.push_back(std::move(first));
  sequence.Phrases.push_back(std::move(second));
  return sequence;
}

std::string SpokenText(const VoiceEntry& entry) {
  return entry.String.empty() ? entry.Abbrev : entry.String;
}

}  // namespace

const std::string& ShownText(const VoiceEntry& entry) {
  return entry.Abbrev.empty() ? entry.String : entry.Abbrev;
}

std::vector<MenuCategory> SpeechMenu(const WorkAreaTables& tables, const VoiceDefaults& pack) {
  std::vector<MenuCategory> menu;
  menu.push_back(Offered(pack, VoiceCategory::Ack, WorkAreaTab::Acknowledgements, pack.NumAcks,
                         tables.Acks.Count()));
  menu.push_back(Offered(pack, VoiceCategory::FFire, WorkAreaTab::FriendlyFire, pack.NumFFires,
                         tables.FFire.Count()));

  MenuCategory orders{WorkAreaTab::Orders, {}};
  for (std::size_t i = 0; i < 5; ++i) {
    MenuEntry entry = Entry(pack.Orders[i], kOrderSlots[i].Number);
    entry.Label = kOrderSlots[i].Label;
    const PhraseRow& row = tables.Orders[i];
    entry.FromBase = row.String.empty() && row.Abbrev.empty();
    orders.Entries.push_back(std::move(entry));
  }
  orders.Entries[2].CaptureTheFlag = ShownText(pack.Orders[10]);
  orders.Entries[2].Domination = ShownText(pack.Orders[11]);
  menu.push_back(std::move(orders));

  menu.push_back(Offered(pack, VoiceCategory::Taunt, WorkAreaTab::Taunts, pack.NumTaunts,
                         tables.Taunts.Count()));
  // The others have no count: each message has its own index.
  int others = tables.Others.Count();
  for (int i = 0; i < SlotCount(VoiceCategory::Other); ++i) {
    if (pack.Others[static_cast<std::size_t>(i)] != VoiceEntry{}) others = std::max(others, i + 1);
  }
  menu.push_back(
      Offered(pack, VoiceCategory::Other, WorkAreaTab::Others, others, tables.Others.Count()));
  return menu;
}

PhraseSequence AckThenName(const VoiceDefaults& pack, int ack, int team, SoundLengths& lengths) {
  const VoiceEntry& first = pack.At(VoiceCategory::Ack, ack);
  const VoiceEntry& name = pack.At(VoiceCategory::Name, team);
  const std::string time = Slot("AckTime", ack);
  return Sequence(Phrase(Slot("AckSound", ack), first, SpokenText(first), lengths), time,
                  first.Time,
                  Phrase(Slot("NameSound", team), name,
                         std::string(kLeaderLabels[static_cast<std::size_t>(team) % 4]), lengths),
                  "leader's name");
}

PhraseSequence NameThenOrder(const VoiceDefaults& pack, int team, int order,
                             SoundLengths& lengths) {
  const VoiceEntry& name = pack.At(VoiceCategory::Name, team);
  const VoiceEntry& second = pack.At(VoiceCategory::Order, order);
  return Sequence(Phrase(Slot("NameSound", team), name,
                         std::string(kLeaderLabels[static_cast<std::size_t>(team) % 4]), lengths),
                  Slot("NameTime", team), name.Time,
                  Phrase(Slot("OrderSound", order), second, SpokenText(second), lengths), "order");
}

}  // namespace voxmire
