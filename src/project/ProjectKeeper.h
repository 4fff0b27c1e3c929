#pragma once
// Keeps the pack's project file current while the user works: shortly after
// an edit, on every move between pages, before a compile and at exit. A
// crash loses at most the last moments of typing.
//
// A save that fails (a full disk, say) is reported as soon as the write has
// failed, once; the keeper then tries again every few seconds on its own,
// and says so when the work is saved again.
#include <QObject>
#include <QTimer>
#include <filesystem>

#include "core/Places.h"
#include "project/ProjectFile.h"

class QWidget;

namespace voxmire {

class Dialogs;
class Navigator;
struct ProjectState;

class ProjectKeeper : public QObject {
  Q_OBJECT
 public:
  // An edit is saved this long after it at the latest (plus the save).
  static constexpr int kEditDelayMs = 1500;
  // While saving fails, it is tried again this often.
  static constexpr int kRetryMs = 2000;

  ProjectKeeper(ProjectState& state, Dialogs& dialogs, const Places& places,
                QObject* parent = nullptr);
  ~ProjectKeeper() override;

  // Something of the state changed: save soon. Typing on does not put the
  // save off, so a steady typist's work is saved too.
  void Touched();
  // A window beside the work area changed the tables (the recording window
  // fills Sound cells): whatever shows them shows them anew, and the change
  // is saved soon.
  void TablesChanged();
  // Saves at once when there is anything to save (the file itself is
  // written in the background). False when it could not even be begun; the
  // user is told once, not at every keystroke.
  bool SaveNow();
  // Saves and waits until the file is on the disk: before a compile and
  // when the program ends.
  bool Flush();
  // Saves after every move between pages.
  void Watch(Navigator& nav);

  // A new pack: an empty state that no project file is bound to.
  void StartNew();
  ProjectStore& Store() { return store_; }
  bool Pending() const { return timer_.isActive(); }
  // True from a reported failure until the work is saved again.
  bool Failing() const { return reported_; }

 Q_SIGNALS:
  void tablesChanged();

 private:
  // On the GUI thread, after each write of the store's thread.
  void WriteEnded();
  void Failed(const std::string& problem);

  ProjectState& state_;
  Dialogs& dialogs_;
  ProjectStore store_;
  QTimer timer_;
  QTimer retry_;
  bool reported_ = false;
};

}  // namespace voxmire
