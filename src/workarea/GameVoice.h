#pragma once
// What the game will do with the pack. A voice class stores fixed arrays of
// phrase defaults (ChallengeVoicePack's), and a class keeps its parent's
// value for every entry it doesn't set. The generator writes the pack's
// tables as assignments over the base voice's defaults; laying the same
// assignments over those defaults gives what the game stores, which the
// class import, the work area's placeholders and the preview all read. One
// model, so that none of them can disagree with what the script says.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workarea/PhraseTable.h"

namespace voxmire {

enum class VoiceCategory { Name, Ack, FFire, Taunt, Order, Other };
enum class VoiceField { Sound, String, Abbrev, Time, Mature, Count };

inline constexpr std::array<VoiceCategory, 6> kVoiceCategories = {
    VoiceCategory::Name,  VoiceCategory::Ack,   VoiceCategory::FFire,
    VoiceCategory::Taunt, VoiceCategory::Order, VoiceCategory::Other};

// The slots the game's voice class has for a category.
constexpr int SlotCount(VoiceCategory category) {
  switch (category) {
    case VoiceCategory::Name:
      return 4;
    case VoiceCategory::Taunt:
    case VoiceCategory::Other:
      return 32;
    default:
      return 16;
  }
}

// One array entry of a voice class as the game stores it.
struct VoiceEntry {
  std::string Sound;  // as a script writes it; empty or None: no sound
  std::string String;
  std::string Abbrev;
  double Time = 0;  // AckTime, NameTime
  int Mature = 0;   // MatureTaunt

  bool operator==(const VoiceEntry&) const = default;
};

// The phrase defaults of a voice class.
struct VoiceDefaults {
  std::array<VoiceEntry, 4> Names;
  std::array<VoiceEntry, 16> Acks;
  std::array<VoiceEntry, 16> FFire;
  std::array<VoiceEntry, 32> Taunts;
  std::array<VoiceEntry, 16> Orders;
  std::array<VoiceEntry, 32> Others;
  int NumAcks = 0;
  int NumFFires = 0;
  int NumTaunts = 0;

  std::span<VoiceEntry> Entries(VoiceCategory category);
  std::span<const VoiceEntry> Entries(VoiceCategory category) const;
  // Entry `index` of the category; an empty one past its slots.
  const VoiceEntry& At(VoiceCategory category, int index) const;
  // numAcks, numFFires or numTaunts; nullptr for the categories without one.
  int* Count(VoiceCategory category);
  const int* Count(VoiceCategory category) const;

  bool operator==(const VoiceDefaults&) const = default;
};

// The defaults of one of the game's voice classes, named without its
// package and with letter case ignored: a stock voice (VoiceMaleOne, ...),
// or VoiceMale, VoiceFemale and ChallengeVoicePack, which set none. Nothing
// for any other class.
const VoiceDefaults* GameClassDefaults(std::string_view className);
// The same, or no defaults at all for a class the program doesn't know (its
// own values then can't be told apart, so every one is written).
const VoiceDefaults& BaseDefaults(std::string_view className);

// One line of a defaultproperties block, parsed: "AckTime(2)=0.98".
struct Assignment {
  VoiceCategory Category = VoiceCategory::Ack;
  VoiceField Field = VoiceField::Sound;
  int Index = 0;      // not used by counts
  std::string Text;   // Sound, String, Abbrev (unescaped)
  double Number = 0;  // Time, Mature, Count

  bool operator==(const Assignment&) const = default;
};

// "AckSound", "NameTime", "MatureTaunt", "numAcks"...; empty for a category
// without such a property (names have no String).
std::string PropertyName(VoiceCategory category, VoiceField field);
struct PropertyId {
  VoiceCategory Category;
  VoiceField Field;
};
// The property a name stands for, letter case ignored.
std::optional<PropertyId> FindProperty(std::string_view name);

// Stores the assignment as the game's compiler does; an index past the
// category's slots is ignored, as the compiler ignores it.
void Apply(VoiceDefaults& defaults, const Assignment& assignment);

// The same sound object: both none, or the same package and name (letter
// case ignored; a reference without a group names the sound in any group).
bool SameSound(std::string_view a, std::string_view b);

// Where the pack's times come from when none is fixed: its sounds' lengths.
class SoundLengths {
 public:
  virtual ~SoundLengths() = default;
  // How long the sound a Sound cell names plays, in seconds; nothing when
  // the cell names no sound or its length can't be found.
  virtual std::optional<double> Length(std::string_view sound) = 0;
};

// Knows no lengths: every time is the fixed one or the base voice's.
class NoSoundLengths : public SoundLengths {
 public:
  std::optional<double> Length(std::string_view) override { return std::nullopt; }
};

// The time the pack gives a phrase: its fixed time, else its sound's length;
// nothing when neither is known, and the game then keeps the base voice's.
std::optional<double> PhraseTime(std::optional<double> fixed, std::string_view sound,
                                 SoundLengths& lengths);

// A time as the game's export writes it: six decimals ("0.780000").
std::string ExportedTime(double seconds);

// The assignments that make the pack's class out of `base`, in the order
// the script writes them. A growable table writes each row's Sound and
// String, an Abbrev that is set or that blanks the base's, the times that
// differ from the base's, a mature flag set or one the base sets and the row
// clears, and its count. Orders and leader names write only what is filled
// in: an empty field keeps the base's.
std::vector<Assignment> PackAssignments(const WorkAreaTables& tables, const VoiceDefaults& base,
                                        SoundLengths& lengths);

// What the game stores for the pack: `base` with the pack's assignments.
VoiceDefaults PackDefaults(const WorkAreaTables& tables, const VoiceDefaults& base,
                           SoundLengths& lengths);

// What the pack does in the game that is probably not what its maker
// meant, one sentence each, in tab order: a category the voice says nothing
// for, a text without a sound, a time that cuts its phrase off or that ends
// the sequence.
std::vector<std::string> PackWarnings(const WorkAreaTables& tables, const VoiceDefaults& base,
                                      SoundLengths& lengths);

}  // namespace voxmire
