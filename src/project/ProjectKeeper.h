#pragma once
// Keeps the pack's project file current while the user works: shortly after
// an edit, on every move between pages, before a compile and at exit. A
// crash loses at most the last moments of typing.
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

  ProjectKeeper(ProjectState& state, Dialogs& dialogs, const Places& places,
                QObject* parent = nullptr);

  // Something of the state changed: save soon. Typing on does not put the
  // save off, so a steady typist's work is saved too.
  void Touched();
  // A window beside the work area changed the tables (the recording window
  // fills Sound cells): whatever shows them shows them anew, and the change
  // is saved soon.
  void TablesChanged();
  // Saves at once when there is anything to save (the file itself is
  // written in the background). False when it could not be written; the
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

 Q_SIGNALS:
  void tablesChanged();

 private:
  ProjectState& state_;
  Dialogs& dialogs_;
  void Report();

  ProjectStore store_;
  QTimer timer_;
  bool reported_ = false;
};

}  // namespace voxmire
