#pragma once
// Where the game finds sounds, and whether a Sound cell names one it will
// find. The game's compiler quietly stores a reference it can't resolve as
// None, so a typo would otherwise ship a mute voice line.
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Places.h"
#include "game/Package.h"
#include "project/ProjectState.h"
#include "project/ScriptHead.h"
#include "workarea/PhraseTable.h"

namespace voxmire {

// Sound'Package.Group.Name' split up. Group is empty when the reference
// names none (it then matches any group) and holds "A.B" for nested groups.
struct SoundReference {
  std::string Package;
  std::string Group;
  std::string Name;

  bool operator==(const SoundReference&) const = default;
};

// True for what the game stores as no sound: an empty cell or None.
bool IsNoSound(std::string_view text);

// Sound'Package[.Group].Name' ("Sound" in any case) or the bare
// Package[.Group].Name; nothing for any other text.
std::optional<SoundReference> ParseSoundReference(std::string_view text);

// `a` and `b` equal but for ASCII letter case, as the game compares names.
bool SameName(std::string_view a, std::string_view b);

// One entry of the game's package search path: a folder and a file pattern
// with one '*' standing for the package name ("../Sounds/*.uax").
struct PackagePath {
  std::filesystem::path Dir;
  std::string Prefix;  // before the '*'
  std::string Suffix;  // after it: ".uax"
};

// The Paths= lines of [Core.System] in the game's settings text, each
// resolved from the game's System folder; the game's default paths when
// there are none.
std::vector<PackagePath> PackagePathsFromSettings(std::string_view settingsText,
                                                  const std::filesystem::path& systemDir);

// The game's search path as its settings file gives it (looked for as the
// compile looks for it). No game directory, no paths.
std::vector<PackagePath> GamePackagePaths(const ProjectState& state,
                                          const std::filesystem::path& home);

// A sound package found on the search path.
struct FoundPackage {
  std::string Name;  // the file name without the pattern: "Male1Voice"
  std::filesystem::path File;
};

// Finds packages on a search path as the game does: the first path that has
// a file of that name, letter case ignored. Folders are listed once and
// package indexes read once per instance.
class PackageFinder {
 public:
  explicit PackageFinder(std::vector<PackagePath> paths);
  ~PackageFinder();

  std::optional<std::filesystem::path> Find(std::string_view package);
  // The files the game would try for `package`, in search order.
  std::vector<std::filesystem::path> Candidates(std::string_view package) const;
  // The folders searched, for messages: "/ut/System, /ut/Sounds".
  std::string FolderList() const;
  // The package's index, read on first use; nullptr when there is no such
  // package. A package that can't be read has an index with its Error set.
  const PackageIndex* Index(std::string_view package);
  // Packages whose file name ends as a sound package's does (".uax"),
  // sorted by name with letter case ignored; of names equal but for case,
  // the first path's, and there the one first in byte order.
  std::vector<FoundPackage> SoundPackages();

 private:
  const std::map<std::string, std::string>* Listing(std::size_t pathIndex);

  std::vector<PackagePath> paths_;
  // Per path: lower-cased file name -> the name on disk.
  std::vector<std::optional<std::map<std::string, std::string>>> listings_;
  std::map<std::string, std::unique_ptr<PackageIndex>> indexes_;  // by lower-cased name
};

// The sound of `reference` in `index`: the first Sound of that name (and
// group, when the reference has one), letter case ignored.
const PackageObject* FindSound(const PackageIndex& index, const SoundReference& reference);

// A sound taken out of the game's package, for listening to it.
struct GameSound {
  enum class Kind {
    Found,        // Bytes holds the .wav file
    NoPackage,    // File is the package file looked for
    Unreadable,   // File can't be read; Error says why
    NoSuchSound,  // File has no such sound
    NoData,       // File holds the sound without its data, as server packages do
  };
  Kind Result = Kind::Found;
  std::string File;  // Windows-1252
  std::string Bytes;
  std::string Error;
};
GameSound ExtractGameSound(PackageFinder& finder, const SoundReference& reference);

// The references to every sound of a package, as Sound'Package.Group.Name'
// (Sound'Package.Name' for one outside any group), in the package's order.
std::vector<std::string> PackageSoundReferences(std::string_view package,
                                                const PackageIndex& index);

// Where the reference check looks besides the tables and the project.
struct SoundCheckPlaces {
  Places program;              // soundlist.txt and Lib/*.vpl
  std::filesystem::path home;  // for the player's copy of the game's settings
};

// The pack's own sounds: the audio imports of `head` into the pack's
// package (a PACKAGE that names it, or none), each in the group its line
// gives it.
std::vector<AudioImport> OwnSoundImports(std::string_view head, std::string_view packName);

// Why the work area's tables can't be generated because of a Sound cell, or
// an empty text when every Sound cell (Names, the growable tables, Orders;
// in the order they are written) is empty, None, or a reference that
// resolves: to one of the pack's own sounds, to a Sound in a package on the
// game's search path, or, when the game directory has no such package, to a
// sound a stock library lists for it. The pack's own sounds are those the
// script `head` imports, in their groups; without a head, the pack's sounds
// (or the sound list) in the group named after the pack, as the template
// imports them.
std::string CheckSoundReferences(const WorkAreaTables& tables, const ProjectState& state,
                                 const SoundCheckPlaces& places,
                                 std::optional<std::string_view> head = std::nullopt);

}  // namespace voxmire
