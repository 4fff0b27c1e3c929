#pragma once
// Where the program keeps its files. main() decides this once at start;
// everything below it is handed the value and picks the folder it needs, so
// no part of the program decides a folder on its own.
#include <filesystem>

namespace voxmire {

struct Places {
  std::filesystem::path config;  // prefs.ini, steps.ini, the user's own defaultscript.txt
  std::filesystem::path data;    // Packs/ (the projects and their sounds), Release/
  std::filesystem::path state;   // what the program generates: soundlist.txt, <Name>.uc and
                                 // .int, the compile logs, journal and settings backup
  std::filesystem::path share;   // read-only data: defaultscript.txt, Lib/*.vpl

  // Every file in one folder: a program that lives in a folder of its own.
  static Places InOneFolder(const std::filesystem::path& dir) { return {dir, dir, dir, dir}; }

  std::filesystem::path PrefsIni() const { return config / "prefs.ini"; }
  std::filesystem::path StepsIni() const { return config / "steps.ini"; }
  std::filesystem::path LibraryFolder() const { return share / "Lib"; }

  bool operator==(const Places&) const = default;
};

}  // namespace voxmire
