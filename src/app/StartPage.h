#pragma once
// Form1, the start page: start a new voice pack, load one (a project or a
// voice class to import), edit the preferences, or quit.
#include <filesystem>
#include <optional>

#include "app/Page.h"
#include "project/ProjectState.h"

class QRadioButton;
class QPushButton;

namespace voxmire {

class StartPage : public Page {
  Q_OBJECT
 public:
  explicit StartPage(AppContext& ctx);

  // A file given on the command line: loaded as "&Load exisiting VoicePack"
  // loads a chosen one, after a word about a file that isn't there or is of
  // another kind.
  void LoadGiven(const std::filesystem::path& file);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Next();
  // "&Load exisiting VoicePack": a project file, or a voice class to import.
  void Load();
  void LoadFile(const std::filesystem::path& file);
  std::optional<ProjectState> ReadProject(const std::filesystem::path& file);
  std::optional<ProjectState> ImportClass(const std::filesystem::path& file);
  // True when the loaded pack may be saved under its name: its own project
  // file, a name with none yet, or one the user agreed to set aside.
  bool MakeRoomFor(const ProjectState& state, const std::filesystem::path& from);

  QRadioButton* newPack_;
  QRadioButton* loadPack_;
  QRadioButton* preferences_;
};

}  // namespace voxmire
