#pragma once
// The takes of the pack's lines: each kept as it was recorded (48 kHz,
// 16-bit mono) in Packs/<Name>/Takes and listed in the project under its
// line. The take in use makes the pack's sound for the line, trimmed and
// levelled as the sound page does, and the line's Sound cell names it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Places.h"
#include "project/ProjectState.h"
#include "record/Lines.h"

namespace voxmire {

// The line's takes in the project, or nullptr when it has none.
const LineTakes* FindTakes(const ProjectState& state, std::string_view lineKey);

// The file of a take in the pack's Takes folder; nothing for a name that is
// not a plain file name (a project file edited by hand must not point the
// program at files elsewhere).
std::optional<std::filesystem::path> TakeFile(const Places& places, const ProjectState& state,
                                              std::string_view file);

// The number of a take named "<sound name>_take<N>.wav", else 0.
int TakeNumber(std::string_view file);

// A file name for the line's next take that no file in `takesDir` has yet:
// "<sound name>_take<N>.wav", N one more than any the line used.
std::string NextTakeName(const std::filesystem::path& takesDir, const RecordLine& line,
                         const LineTakes* takes);

// The pack's sound a take of the line makes: the one its takes made before,
// else the line's own name, or that name with "_2", "_3", ... when the pack
// already holds a sound of that name from elsewhere (the game can't tell
// names apart by letter case, so neither does this).
std::string PackSoundNameFor(const ProjectState& state, const RecordLine& line);

struct TakeResult {
  bool Ok = false;
  std::string Problem;  // what went wrong, a whole sentence
  std::string Take;     // the take's file name
  std::string Sound;    // the pack's sound made from it
};

// The samples (48 kHz mono) as the bytes of a .wav file.
std::string TakeWavBytes(std::span<const std::int16_t> samples);

// Keeps a new take of the line and makes the pack's sound from it (see
// UseTake). The take is written first, whole or not at all, so whatever
// fails after it, the recording is kept.
TakeResult KeepTake(ProjectState& state, const Places& places, const RecordLine& line,
                    std::span<const std::int16_t> samples, bool evenLoudness);

// Makes the pack's sound of the line from its take `file`: trimmed, levelled
// when `evenLoudness`, converted for the game, added to the pack's sounds
// and soundlist.txt, and named in the line's Sound cell. The take becomes
// the one in use.
TakeResult UseTake(ProjectState& state, const Places& places, const RecordLine& line,
                   const std::string& file, bool evenLoudness);

// Deletes the take's file and its entry. The pack's sound made from it
// stays, and so does the Sound cell: only no take is in use any more.
// False, with `problem`, when the file can't be deleted.
bool DeleteTake(ProjectState& state, const Places& places, std::string_view lineKey,
                const std::string& file, std::string& problem);

}  // namespace voxmire
