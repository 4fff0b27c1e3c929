#pragma once
// Sound names, the package list's order and the sound list file
// (soundlist.txt): one sound name per line, CR LF after every line.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Places.h"

namespace voxmire {

inline constexpr std::string_view kSoundListFileName = "soundlist.txt";

// The file name up to its first ".wav" (letter case ignored), so HELLO.WAV
// gives HELLO and a.wav.wav gives a. A name without ".wav" is kept whole.
std::string SoundName(std::string_view fileName);

// True when the name matches "*.wav" as a Windows file list matches it: it
// ends with ".wav" in any letter case.
bool IsWavFileName(std::string_view fileName);

// False for a file name that would break the files we write from it: a
// double quote ends the FILE value of the import statement early, and a line
// break would split a line of the sound list.
bool IsUsableSoundFileName(std::string_view fileName);

// Case-insensitive "less than" on Windows-1252 text, for the package list and
// the file list. Accented letters fold too (À with à); names equal but for
// letter case compare equal.
bool SoundNameLess(std::string_view a, std::string_view b);

// Inserts `name` at its sorted place, after any names equal to it (letter
// case ignored), and returns the index it went to.
std::size_t InsertSorted(std::vector<std::string>& list, std::string name);

// The bytes of soundlist.txt for the package list: each name and CR LF,
// except a name exactly equal to the one just before. No names, no bytes.
std::string FormatSoundList(const std::vector<std::string>& names);

std::filesystem::path SoundListPath(const Places& places);

// Replaces soundlist.txt in the program directory as a whole. False when it
// can't be written; the old file is then left as it was.
bool WriteSoundList(const Places& places, const std::vector<std::string>& names);

// The lines of a text file (CR LF, LF or CR ends); none when it is missing or
// can't be read.
std::vector<std::string> ReadTextLines(const std::filesystem::path& path);

// The sound file behind a sound name: SoundDir already ends in a separator.
std::string SoundFileText(std::string_view soundDir, std::string_view soundName);

}  // namespace voxmire
