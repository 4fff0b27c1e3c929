#pragma once
// The pack as a player meets it: the speech menu the game builds from the
// pack's defaults, and the two phrase sequences the voice plays, with which
// sound starts when and which one the next cuts off. No sound is played
// here; the preview window's player follows the schedule.
#include <optional>
#include <string>
#include <vector>

#include "workarea/GameVoice.h"
#include "workarea/PhraseTable.h"

namespace voxmire {

// What the menu shows for an entry: its Abbrev, else its String.
const std::string& ShownText(const VoiceEntry& entry);

struct MenuEntry {
  int Index = 0;          // the entry's index in its array
  std::string Label;      // orders: the order's name on the Orders tab
  std::string Shown;      // what the menu shows; empty: a blank entry
  bool FromBase = false;  // the base voice's: the pack leaves it to the base
  bool Mature = false;    // not played for players who turned mature language off
  // Order entry 2 shows other orders' texts in these game types.
  std::string CaptureTheFlag;
  std::string Domination;
};

struct MenuCategory {
  WorkAreaTab Tab;  // the work area tab the entries come from
  std::vector<MenuEntry> Entries;
};

// The menu's categories in the game's order: acknowledgements, friendly
// fire, orders, taunts, others. Only the entries the counts offer; orders 0
// to 4; the others up to the last that has anything.
std::vector<MenuCategory> SpeechMenu(const WorkAreaTables& tables, const VoiceDefaults& pack);

struct ScheduledPhrase {
  std::string What;              // the property, "AckSound(2)"
  std::string Sound;             // what plays; empty or None: silence
  std::string Text;              // what it says, for the reader
  double Start = 0;              // seconds from the start of the sequence
  std::optional<double> Length;  // how long its sound lasts, when known
  std::optional<double> CutAt;   // seconds after its start when the next phrase stops it
};

struct PhraseSequence {
  std::vector<ScheduledPhrase> Phrases;  // in the order they start
  std::string Ends;                      // why the second phrase never plays; empty when it does
};

// An acknowledgement, then after its AckTime the leader's name of `team`.
PhraseSequence AckThenName(const VoiceDefaults& pack, int ack, int team, SoundLengths& lengths);
// The leader's name of `team`, then after its NameTime the order numbered
// `order` (0-4, 10, 11).
PhraseSequence NameThenOrder(const VoiceDefaults& pack, int team, int order, SoundLengths& lengths);

}  // namespace voxmire
