#pragma once
// Where the program keeps its files, decided once at start from what the
// desktop says, and the move of an earlier per-user install's settings and
// projects into those folders. Standard C++ only: main() asks Qt and the
// environment, these functions decide.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Places.h"

namespace voxmire {

// A file of this name beside the executable keeps every file beside it.
inline constexpr std::string_view kPortableMarker = "portable";
// The folder name under each of the desktop's base folders.
inline constexpr std::string_view kFolderName = "voxmire";

// The desktop's base folders and the executable's own.
struct Surroundings {
  std::filesystem::path programDir;  // the folder that holds the executable
  std::filesystem::path configHome;  // settings: $XDG_CONFIG_HOME, else ~/.config
  std::filesystem::path dataHome;    // the user's data: $XDG_DATA_HOME, else ~/.local/share
  std::filesystem::path stateHome;   // what the program makes: $XDG_STATE_HOME, else ~/.local/state
};

// The base folder an XDG variable names: its value when that is an absolute
// path (a relative one is to be ignored), else `fallback` under `home`.
std::filesystem::path XdgHome(const char* value, const std::filesystem::path& home,
                              std::string_view fallback);

// True when the program keeps everything beside itself: a `portable` file
// there, or the settings or projects of a program that always did.
bool IsPortable(const std::filesystem::path& programDir);

// The folders of this run. Portable: all the executable's folder. Else each
// kind in its base folder, and the read-only data in <prefix>/share/voxmire
// beside the executable's bin folder (the executable's own folder when
// there is none).
Places ChoosePlaces(const Surroundings& around);

// Creates the folders the program writes to. Empty when they are there,
// else what failed.
std::string MakeFolders(const Places& places);

// The folders where an earlier per-user install kept the program with its
// settings and projects beside it: <prefix>/share/voxmire of this prefix,
// and ~/.local/share/voxmire where it installed by default.
std::vector<std::filesystem::path> EarlierInstallFolders(const Places& places,
                                                         const std::filesystem::path& home);

struct FileMove {
  std::filesystem::path from;
  std::filesystem::path to;
};

// The user's files an earlier install left in its folder, each with its
// place now.
struct EarlierInstall {
  std::filesystem::path folder;
  std::vector<FileMove> files;
};

// The files to move out of `folder`, or nothing when there are none or the
// earlier program is still installed there (it would lose its files).
std::optional<EarlierInstall> FindEarlierInstall(const std::filesystem::path& folder,
                                                 const Places& places);

struct MoveReport {
  bool moved = false;
  std::string text;  // where the files went, or why they stayed
};

// Copies every file, checks each copy, and only then removes the earlier
// ones. A destination that already holds other bytes, or any failure before
// the removal, takes the copies back and leaves the earlier files as they
// were.
MoveReport MoveEarlierInstall(const EarlierInstall& earlier, const Places& places);

}  // namespace voxmire
