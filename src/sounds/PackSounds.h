#pragma once
// The pack's own sounds as the game sees them: which recordings the sound
// page offers, the names the game can hold, the folder the pack keeps its
// sounds in (Packs/<Name>/Sounds in the program directory) and their way
// into the game's <Name>/Sounds for the compiler.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Places.h"

namespace voxmire {

// True for the recordings the page can use: .wav .mp3 .ogg .oga .flac .aif
// .aiff, letter case ignored.
bool IsSoundFileName(std::string_view fileName);

// The sound name a file gets: its name without the extension, made into a
// name the game's references can hold (ASCII letters, digits and '_',
// starting with a letter, at most 63 characters). Accented letters lose
// their accent ("grüße" gives "grusse"), anything else becomes '_'. The file
// name is UTF-8, as the file system holds it.
std::string GameSoundName(std::string_view utf8FileName);

// True for a name GameSoundName can give: the only sound names the pack
// takes, whether the sound page made them or a class or project file says
// so. Anything else could climb out of the pack's folder ("../x") or break
// a line of the script.
bool IsGameSoundName(std::string_view name);

// The game compares names without regard to letter case.
bool SameSoundName(std::string_view a, std::string_view b);

// One recording in the sound directory.
struct SoundFileEntry {
  std::string name;            // the file's name, UTF-8
  std::filesystem::path path;  // the file itself
};

// The regular files of `dir` that IsSoundFileName accepts, hidden ones left
// out, sorted by name with letter case ignored. Nothing when the directory
// can't be listed.
std::optional<std::vector<SoundFileEntry>> ListSoundFiles(const std::filesystem::path& dir);

// Two or more files of a batch that would become one sound.
struct NameClash {
  std::string soundName;
  std::vector<std::size_t> files;  // indexes into the batch, in batch order
};

// The groups of `names` (sound names of one batch) that are equal with
// letter case ignored, in order of first appearance.
std::vector<NameClash> FindNameClashes(const std::vector<std::string>& names);

// Packs/<Name>/Sounds in the program directory; an empty pack name counts
// as "DEFAULT", as the script does.
std::filesystem::path PackSoundsDir(const Places& places, std::string_view voicePackName);

// Packs/<Name>/Takes in the data folder: the recording window's takes as
// they were recorded.
std::filesystem::path PackTakesDir(const Places& places, std::string_view voicePackName);

// The pack's copy of one sound: <PackSoundsDir>/<name>.wav.
std::filesystem::path PackSoundFile(const Places& places, std::string_view voicePackName,
                                    std::string_view soundName);

// Creates the folder when needed and checks that a file can be written into
// it. False when it can't.
bool PrepareWritableDir(const std::filesystem::path& dir);

// The .wav files of the pack's folder that a compile installs into the
// game's <Name>/Sounds, sorted by name; hidden ones (our own temporary files
// among them) left out. None when there is no folder (a pack of stock sounds
// only); nothing, with `problem` saying why, when it can't be read.
std::optional<std::vector<std::filesystem::path>> PackSoundsToInstall(
    const std::filesystem::path& packSoundsDir, std::string& problem);

}  // namespace voxmire
