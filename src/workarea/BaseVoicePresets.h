#pragma once
// The stock settings of the game's five voices, built in, and the loading of
// one tab of them into the work area.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "project/ProjectState.h"
#include "workarea/PhraseTable.h"

namespace voxmire {

// A stock phrase. SoundName is the bare sound name inside the voice's own
// package (see StockSoundReference); an empty cell is left alone on loading.
struct PresetRow {
  std::string_view SoundName;
  std::string_view String;
  std::string_view Abbrev;
  double Time = 0;      // AckTime: the sound's length (acknowledgements only)
  bool Mature = false;  // MatureTaunt (taunts only)
};

// One of the game's five voice classes. Its numAcks, numFFires and
// numTaunts are the row counts of its tables.
struct VoicePresets {
  std::string_view Class;    // "VoiceMaleOne", ..., "VoiceBoss"
  std::string_view Package;  // "Male1Voice", ..., "BossVoice"
  std::span<const PresetRow> Acks;
  std::span<const PresetRow> FFire;
  std::span<const PresetRow> Taunts;
  std::span<const PresetRow> Others;
  std::array<std::string_view, 7> OrderSounds;   // indexed like kOrderSlots
  std::array<std::string_view, 4> LeaderSounds;  // indexed like kLeaderLabels
  std::array<double, 4> LeaderTimes;             // NameTime
};

// String and Abbrev of the seven orders, the same for every voice (indexed
// like kOrderSlots; four have no Abbrev).
struct OrderTexts {
  std::string_view String;
  std::string_view Abbrev;
};
extern const std::array<OrderTexts, 7> kOrderPresetTexts;

// The five voices in the order a package name is matched against them.
std::span<const VoicePresets> AllVoicePresets();
// The voice whose package is exactly `package` (case matters), or nullptr.
const VoicePresets* FindVoicePresets(std::string_view package);
// The stock time of a stock sound (an acknowledgement's or a leader name's,
// as its class sets it), the package and name compared without regard to
// case; nothing for any other sound.
std::optional<double> StockSoundTime(std::string_view package, std::string_view soundName);
// The preset rows for a row tab; empty for the other tabs.
std::span<const PresetRow> PresetRows(const VoicePresets& voice, WorkAreaTab tab);

// "Sound'<package>.(All).<name>'": the game keeps its stock sounds in the
// group "(All)".
std::string StockSoundReference(std::string_view package, std::string_view soundName);

inline constexpr std::string_view kLoadPresetsCaption = "Load Voice Base Settings";
inline constexpr std::string_view kNotAvailableTitle = "Not Available";
inline constexpr std::string_view kNotAvailableText =
    "You didn't select a Voice Base, so this is not available";
inline constexpr std::string_view kAlreadyLoadedTitle = "Error!";
inline constexpr std::string_view kAlreadyLoadedText =
    "Error, cannot load voice pack settings - are they already loaded?";

enum class PresetLoadResult {
  Loaded,          // the tab was filled; a row table now adds single rows
  NotAvailable,    // a blank base: show kNotAvailableText, nothing changed
  AlreadyHasRows,  // a row table that has rows: show kAlreadyLoadedText, nothing changed
  UnknownPackage,  // no such voice: nothing changed, nothing to show
  NoPresets,       // the Tools tab has none: nothing changed
};

// Fills `tab` with the stock settings of state.BaseVoicePackage, times and
// mature flags included. A row tab loads only into an empty table, and then
// completely. Orders overwrite every field that has a stock value (so the
// four Abbrevs without one keep the user's text); Names overwrite all four
// fields and their times.
PresetLoadResult LoadVoiceBaseSettings(const ProjectState& state, WorkAreaTab tab,
                                       WorkAreaTables& tables);

}  // namespace voxmire
