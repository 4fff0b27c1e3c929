#pragma once
// Form6: the sound references of the pack's own sounds or of one of the
// game's stock voices, ready to be dragged into the work area's Sound cells.
// It keeps itself in front of the program's other windows.
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/Page.h"

class QComboBox;
class QLabel;
class QTemporaryDir;

namespace voxmire {

// The entry list: one column, entries dragged out as their plain text.
class VoiceList : public QTreeWidget {
  Q_OBJECT
 public:
  explicit VoiceList(QWidget* parent = nullptr);

  // What a drag of `items` carries: the first entry's text as text/plain.
  QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
  QStringList mimeTypes() const override;
  // The selected entry, else the one the keyboard is on; null in an empty list.
  QTreeWidgetItem* Chosen() const;
  // Puts the chosen entry's reference on the clipboard.
  void CopyChosen();

 Q_SIGNALS:
  // A double click on an entry, or Enter.
  void PlayRequested();

 protected:
  // Copy only: a drop target that answers "move" would otherwise have the
  // entry taken out of the list.
  void startDrag(Qt::DropActions supportedActions) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // Enter plays.
  void keyPressEvent(QKeyEvent* event) override;
};

class VoiceWindow : public Page {
  Q_OBJECT
 public:
  explicit VoiceWindow(AppContext& ctx);
  ~VoiceWindow() override;

  // The list anew for the current choice; the count stays as it was.
  void ReloadList();
  // Plays the selected entry: one of the pack's own sound files, or a sound
  // taken out of the game's package.
  void PlaySelected();
  // One tick of the keep-in-front timer.
  void KeepInFront();

 private:
  void ChoiceChanged();
  // Fills the list for the current choice; false when the choice names no
  // library, which leaves the list as it was.
  bool LoadChoice();
  // The entries of a game package offered after the six libraries.
  std::vector<std::string> PackageEntries(const QString& file);
  void PlayGameSound(const std::string& entry);
  void PlayError(const QString& file, const QString& why = {});

  QComboBox* choice_;
  VoiceList* list_;
  QLabel* count_;
  // Sounds taken out of packages are played from here; removed with the window.
  std::unique_ptr<QTemporaryDir> extracted_;
};

}  // namespace voxmire
