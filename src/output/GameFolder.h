#pragma once
// What the game's installation says about a pack before anything is written
// into it: whether the pack's name is free, and whether the folder has what
// a compile needs.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voxmire {

// True when the int file's text describes a voice pack called `name` and
// nothing else: one object, <name>.<name>, whose metaclass is one of the
// game's three voice metaclasses. Such a file is an earlier build of the
// pack (ours or made by hand), which a compile may replace.
bool IsVoicePackIntFile(std::string_view intText, std::string_view name);

// What in the game already uses `name` as a package, or nothing when the
// name is free. A package file <name>.u/.uax/.utx/.umx/.int (letter case
// ignored) in the game's System, Sounds, Textures or Music folder or in the
// player's preference folder (<home>/.utpg/System), or one of the game's own
// packages and voice classes even when its file is missing; a <game>/<name>
// folder holding anything but what a compile of the pack installs there
// (Classes/<name>.uc, Sounds/*.wav). An earlier build of the same voice pack
// is no clash. The text (Windows-1252) names the clashing file, or the stock
// package.
std::optional<std::string> FindNameClash(const std::filesystem::path& utDir,
                                         const std::filesystem::path& home, std::string_view name);

// What the game folder lacks for a compile: its System folder, a compiler
// this machine can run, its settings file. One line each; empty when all
// is there.
std::vector<std::string> GameFolderProblems(const std::filesystem::path& utDir,
                                            const std::filesystem::path& home, bool machineIs64Bit);

}  // namespace voxmire
