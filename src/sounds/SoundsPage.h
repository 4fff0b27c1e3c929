#pragma once
// Form4: gathers the pack's own .wav files into the package list, which
// "Next ->" writes to soundlist.txt.
#include <string>
#include <vector>

#include "app/Page.h"
#include "sounds/SoundList.h"

class QLabel;
class QListWidget;

namespace voxmire {

class SoundsPage : public Page {
  Q_OBJECT
 public:
  explicit SoundsPage(AppContext& ctx);

  // Empties the package list, then adds every line as one entry, in order.
  // The script page's Back calls it before the page shows.
  void SetPackageList(const std::vector<std::string>& lines);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ListSoundDirectory();
  // Adds the files at these rows of File1 that the game can import, and
  // reports the others in one message per kind.
  void AddFiles(const std::vector<int>& rows);
  void Insert(std::string name);
  void RemoveSelected();
  void Clear();
  void Play(int row);
  void Next();

  QListWidget* packageList_;         // List1
  QListWidget* fileList_;            // File1
  QLabel* soundDirLabel_;            // lblSoundDir
  std::vector<std::string> names_;   // List1's entries, Windows-1252
  std::vector<WavFileEntry> files_;  // File1's entries
};

}  // namespace voxmire
