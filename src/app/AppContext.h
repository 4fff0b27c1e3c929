#pragma once
// What every window is handed: the one ProjectState, the program directory
// and the platform services. main() builds the real ones; tests build fakes.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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
  std::filesystem::path programDir;  // where prefs.ini, steps.ini and the generated files live
  Dialogs& dialogs;
  Shell& shell;
  SoundPlayer& player;
  ProcessRunner& runner;
  Navigator& nav;
  std::function<std::vector<std::string>()> drives;  // the drive list's entries
  std::filesystem::path home;                        // the user's home directory
  ProjectKeeper& keeper;                             // saves the pack's project file

  std::filesystem::path ProgramFile(const std::string& name) const { return programDir / name; }
  std::filesystem::path PrefsIni() const { return ProgramFile("prefs.ini"); }
  std::filesystem::path StepsIni() const { return ProgramFile("steps.ini"); }
};

}  // namespace voxmire
