#pragma once
// The voice pack's project file, Packs/<VoicePackName>.voxmire in the
// program directory: everything the wizard collects for one pack, as
// versioned JSON that reads and diffs well. Texts are Windows-1252 in the
// program; the file holds them as UTF-8 with every byte kept.
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "core/Places.h"
#include "project/PackLock.h"
#include "project/ProjectState.h"

namespace voxmire {

inline constexpr std::string_view kProjectFolderName = "Packs";
inline constexpr std::string_view kProjectExtension = ".voxmire";
// 2: rows may carry a fixed time and a mature flag; the leaders have times.
inline constexpr int kProjectFormatVersion = 2;

// <data folder>/Packs
std::filesystem::path ProjectFolder(const Places& places);
// <data folder>/Packs/<name>.voxmire
std::filesystem::path ProjectFilePath(const Places& places, std::string_view voicePackName);

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

// What a copy of the program is told when another copy has the pack open.
inline constexpr std::string_view kOpenElsewhereTitle = "VoicePack open in another window";
std::string OpenElsewhereText(std::string_view voicePackName);

// Why the file could not be written, in the user's terms: "<file> could not
// be written: the disk holding <folder> is full." for a full disk.
std::string SaveFailureText(const std::filesystem::path& file, int error);

// Keeps the pack's project file current without ever replacing another
// pack's work: the store is bound to the one project file the state came
// from (or that it wrote first), and it refuses to write over any other
// existing file.
//
// Saving takes a copy of the state (cheap: the tables' rows are shared until
// either side changes one); a thread of the store's own makes the text from
// it and writes the file (synced to the disk, which can take tens of
// milliseconds), so that saving while the user types never holds the typing
// up, however large the tables.
//
// The pack the store is bound to is locked (see PackLock): no other copy of
// the program opens it meanwhile.
class ProjectStore {
 public:
  explicit ProjectStore(Places places) : places_(std::move(places)) {}
  ProjectStore(const ProjectStore&) = delete;
  ProjectStore& operator=(const ProjectStore&) = delete;
  // Finishes the last write.
  ~ProjectStore();

  enum class Outcome {
    Saved,          // the file is being written; Flush() waits for it
    Unchanged,      // the file already holds this state
    NoName,         // a pack without a name has nowhere to go yet
    Taken,          // another pack's file is in the way: nothing written
    OpenElsewhere,  // another copy of the program has the pack open: nothing written
    Failed,         // the folder can't be made: see Problem()
  };
  // A state equal to the last one saved is not written again, unless that
  // write failed: then it is tried again.
  Outcome Save(const ProjectState& state);
  // Waits until the file is written; false (see Problem()) when it could not be.
  bool Flush();

  // The state's file is the one this store writes from now on, and the
  // pack is locked. False when another copy of the program has it open;
  // nothing changes then.
  bool Bind(std::string_view voicePackName);
  // A new pack: nothing is bound, and no pack is locked.
  void Unbind();
  const std::string& Bound() const { return bound_; }

  // True when `name` has a project file this store is not bound to.
  bool WouldClash(std::string_view voicePackName) const;
  // True when another copy of the program has the pack `name` open.
  bool OpenElsewhere(std::string_view voicePackName) const;

  // How the writes stand: why the last write that ended failed, or empty
  // when it succeeded. Any thread may ask.
  std::string WriteProblem() const;
  // Called on the writer thread each time a write has ended, whatever its
  // outcome, so that the owner learns of a failure as it happens.
  void OnWriteEnded(std::function<void()> listener);

  // Renames the existing project file of `name` to a free backup name
  // (<name>.voxmire.bak, .bak2, ...) and returns it; nothing on failure.
  std::optional<std::filesystem::path> SetAside(std::string_view voicePackName);

  const std::string& Problem() const { return problem_; }

 private:
  void WriterLoop();

  Places places_;
  std::string bound_;
  PackLock lock_;  // the bound pack's
  // What the last save handed to the writer; shared with it, and never
  // changed.
  std::shared_ptr<const ProjectState> lastSaved_;
  std::string problem_;

  // Shared with the writer thread.
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<std::pair<std::filesystem::path, std::shared_ptr<const ProjectState>>> pending_;
  bool writing_ = false;
  bool stopping_ = false;
  std::string failure_;  // of the last write that ended
  std::function<void()> writeEnded_;
  std::thread writer_;
};

}  // namespace voxmire
