#pragma once
// What every window is handed: the one ProjectState, the folders the program
// keeps its files in and the platform services. main() builds the real ones;
// tests build fakes.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/Places.h"

namespace voxmire {

struct ProjectState;
class Dialogs;
class Shell;
class SoundPlayer;
class ProcessRunner;
class Navigator;
class ProjectKeeper;

struct AppContext {
  ProjectState& state;
  Places places;  // where the settings, the projects and the generated files live
  Dialogs& dialogs;
  Shell& shell;
  SoundPlayer& player;
  ProcessRunner& runner;
  Navigator& nav;
  std::function<std::vector<std::string>()> drives;  // the drive list's entries
  std::filesystem::path home;                        // the user's home directory
  ProjectKeeper& keeper;                             // saves the pack's project file

  std::filesystem::path PrefsIni() const { return places.PrefsIni(); }
  std::filesystem::path StepsIni() const { return places.StepsIni(); }
};

}  // namespace voxmire
