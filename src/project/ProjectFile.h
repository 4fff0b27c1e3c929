#pragma once
// The voice pack's project file, Packs/<VoicePackName>.voxmire in the
// program directory: everything the wizard collects for one pack, as
// versioned JSON that reads and diffs well. Texts are Windows-1252 in the
// program; the file holds them as UTF-8 with every byte kept.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "project/ProjectState.h"

namespace voxmire {

inline constexpr std::string_view kProjectFolderName = "Packs";
inline constexpr std::string_view kProjectExtension = ".voxmire";
inline constexpr int kProjectFormatVersion = 1;

// <programDir>/Packs
std::filesystem::path ProjectFolder(const std::filesystem::path& programDir);
// <programDir>/Packs/<name>.voxmire
std::filesystem::path ProjectFilePath(const std::filesystem::path& programDir,
                                      std::string_view voicePackName);

// The file's text for `state`.
std::string ProjectFileText(const ProjectState& state);

struct ProjectRead {
  std::optional<ProjectState> state;
  std::string problem;  // what is wrong with the text, when there is no state
};

// The state the text describes. The directories derived from the game
// directory (System, Sounds) are filled in as the information page fills
// them. A text that is not a project, is cut short, comes from a newer
// format, or names the pack with something that is not a valid name gives
// no state and the problem.
ProjectRead ReadProjectText(std::string_view text);

// Reads the file; a file that can't be read is a problem too.
ProjectRead ReadProjectFile(const std::filesystem::path& file);

// The System and Sounds folders the information page derives from UTDir.
void DeriveGameFolders(ProjectState& state);

// Keeps the pack's project file current without ever replacing another
// pack's work: the store is bound to the one project file the state came
// from (or that it wrote first), and it refuses to write over any other
// existing file.
class ProjectStore {
 public:
  explicit ProjectStore(std::filesystem::path programDir) : programDir_(std::move(programDir)) {}

  enum class Outcome {
    Saved,
    Unchanged,  // the file already holds this state
    NoName,     // a pack without a name has nowhere to go yet
    Taken,      // another pack's file is in the way: nothing written
    Failed,     // the folder or file can't be written: see Problem()
  };
  Outcome Save(const ProjectState& state);

  // The state's file is the one this store writes from now on.
  void Bind(std::string_view voicePackName);
  // A new pack: nothing is bound.
  void Unbind();
  const std::string& Bound() const { return bound_; }

  // True when `name` has a project file this store is not bound to.
  bool WouldClash(std::string_view voicePackName) const;

  // Renames the existing project file of `name` to a free backup name
  // (<name>.voxmire.bak, .bak2, ...) and returns it; nothing on failure.
  std::optional<std::filesystem::path> SetAside(std::string_view voicePackName);

  const std::string& Problem() const { return problem_; }
  const std::filesystem::path& ProgramDir() const { return programDir_; }

 private:
  std::filesystem::path programDir_;
  std::string bound_;
  std::string lastText_;
  std::string problem_;
};

}  // namespace voxmire
