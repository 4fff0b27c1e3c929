#pragma once
// What the voice window lists: the pack's own sounds (from soundlist.txt) or
// the stock sounds of one of the game's five voices (from Lib/<name>.vpl),
// each as a complete sound reference ready to drop into a Sound cell.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Places.h"
#include "project/ProjectState.h"

namespace voxmire {

enum class Library { Own, MaleOne, MaleTwo, Boss, FemaleOne, FemaleTwo };

// The six choices in the order of the library drop-down: the pack's name
// first, then the five stock libraries.
std::vector<std::string> LibraryChoices(const ProjectState& state);

// The stock library that lists the sounds of the game's package `package`
// (letter case ignored): Library::MaleOne for "Male1Voice". Nothing for any
// other package.
std::optional<Library> StockLibraryForPackage(std::string_view package);

// The file a library reads: soundlist.txt or Lib/<choice>.vpl.
std::filesystem::path LibraryFile(Library library, const Places& places);

// The entry for one line of a library's file: "Sound'Pack.Pack.L'" for the
// pack's own sounds, "Sound'Male1Voice.(All).L'" and the like for the stock.
std::string LibraryEntry(Library library, std::string_view line, const ProjectState& state);

// The library a choice's text shows. The text is compared with every stock
// name and last with the pack's name, and the last match wins: a pack named
// "Boss" shows its own sounds under both of its entries. Nothing when no name
// matches; the list then stays as it was.
std::optional<Library> LibraryForChoice(std::string_view choiceText, const ProjectState& state);

// The entries for a choice, one per line of its file in file order (an empty
// line too); empty when the file is missing. Nothing when no name matches.
std::optional<std::vector<std::string>> EntriesForChoice(std::string_view choiceText,
                                                         const ProjectState& state,
                                                         const Places& places);

// The sound file (Windows-1252) behind one of the pack's own entries: the
// pack's copy in its Sounds folder, or SoundDir + name + ".wav" for a sound
// the pack has no copy of. Nothing for a stock entry or one too short to
// hold a name, which have no file of ours to play.
std::optional<std::string> OwnSoundPath(std::string_view entry, const ProjectState& state,
                                        const Places& places);

}  // namespace voxmire
