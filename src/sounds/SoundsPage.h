#pragma once
// Form4: gathers the pack's own recordings into the package list. Each file
// added is put into the pack's folder as a sound the game imports (copied,
// or converted off the GUI thread) under a name the game can hold. The list
// is a view of ProjectState::Sounds; "Next ->" also writes soundlist.txt.
#include <atomic>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/Page.h"
#include "sounds/Convert.h"
#include "sounds/PackSounds.h"

class QCheckBox;
class QLabel;
class QListWidget;

namespace voxmire {

class SoundsPage : public Page {
  Q_OBJECT
 public:
  explicit SoundsPage(AppContext& ctx);

  // How long a conversion runs before its progress dialog shows.
  void SetProgressDelay(int milliseconds) { progressDelay_ = milliseconds; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ListSoundDirectory();
  // Makes the pack's sound folder; when it can't be written, says so (what
  // that meant, and what to do again) and returns false.
  bool PackFolderWritable(const QString& consequence, const QString& retry);
  void FillPackageList();
  // Puts the files at these rows of File1 into the pack's folder and the
  // package list; reports the ones that can't go in, in one message.
  void AddFiles(const std::vector<int>& rows);
  // Runs the jobs on worker threads while the page waits, with a progress
  // dialog and Cancel when it takes long.
  std::vector<PrepareResult> RunJobs(const std::vector<SoundJob>& jobs);
  void Insert(const std::string& name, bool converted);
  void MarkConverted(const std::string& name, bool converted);
  void RemoveSelected();
  void Clear();
  void Play(int row);
  // Fetches into the pack's folder the listed sounds that are only in the
  // sound directory (lists made before sounds had a folder of their own).
  // False, with a message, when some can't be found or prepared.
  bool FetchMissingSounds();
  void Next();
  ConvertOptions Options() const;
  // The files not added, and the advice for their causes.
  void ReportRefused(const QStringList& lines, const QStringList& advice);

  QListWidget* packageList_;           // List1
  QListWidget* fileList_;              // File1
  QLabel* soundDirLabel_;              // lblSoundDir
  QCheckBox* evenLoudness_;            // chkEvenLoudness
  QCheckBox* trimSilence_;             // chkTrimSilence
  std::vector<SoundFileEntry> files_;  // File1's entries
  // The file each sound came from on this visit, keyed by the lower-case
  // name: adding that file again refreshes the sound, another file of the
  // same name is a clash.
  std::map<std::string, std::filesystem::path> sources_;
  std::atomic<bool>* cancel_ = nullptr;  // while a conversion runs
  int progressDelay_ = 500;
};

}  // namespace voxmire
