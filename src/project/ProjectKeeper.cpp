#include "project/ProjectKeeper.h"

#include <QApplication>

#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "project/ProjectState.h"

namespace voxmire {

ProjectKeeper::ProjectKeeper(ProjectState& state, Dialogs& dialogs, const Places& places,
                             QObject* parent)
    : QObject(parent), state_(state), dialogs_(dialogs), store_(places) {
  timer_.setSingleShot(true);
  timer_.setInterval(kEditDelayMs);
  connect(&timer_, &QTimer::timeout, this, &ProjectKeeper::SaveNow);
  retry_.setSingleShot(true);
  retry_.setInterval(kRetryMs);
  connect(&retry_, &QTimer::timeout, this, &ProjectKeeper::SaveNow);
  // The writer's news reaches the GUI thread as an event, so a failure is
  // told moments after it happened rather than at the next save.
  store_.OnWriteEnded([this] {
    QMetaObject::invokeMethod(this, &ProjectKeeper::WriteEnded, Qt::QueuedConnection);
  });
}

ProjectKeeper::~ProjectKeeper() { store_.OnWriteEnded({}); }

void ProjectKeeper::Touched() {
  if (!timer_.isActive()) timer_.start();
}

void ProjectKeeper::TablesChanged() {
  Q_EMIT tablesChanged();
  Touched();
}

bool ProjectKeeper::SaveNow() {
  timer_.stop();
  if (store_.Save(state_) != ProjectStore::Outcome::Failed) return true;
  Failed(store_.Problem());
  return false;
}

bool ProjectKeeper::Flush() {
  if (!SaveNow()) return false;
  if (store_.Flush()) return true;
  Failed(store_.Problem());
  return false;
}

void ProjectKeeper::WriteEnded() {
  const std::string problem = store_.WriteProblem();
  if (!problem.empty()) {
    Failed(problem);
    return;
  }
  if (!reported_) return;
  reported_ = false;
  retry_.stop();
  dialogs_.Message(
      QApplication::activeWindow(), tr("Your work is saved again"),
      tr("Your work on %1 is saved again, and from now on as before.").arg(ToQt(store_.Bound())),
      MessageIcon::Information);
}

void ProjectKeeper::Failed(const std::string& problem) {
  // Tried again until it works, whether or not the user edits meanwhile.
  retry_.start();
  if (reported_) return;
  reported_ = true;
  dialogs_.Message(QApplication::activeWindow(), tr("Your work can't be saved"),
                   ToQt(problem) + tr("\rVoxmire tries again every few seconds while you go on "
                                      "working, and tells you when your work is saved again."),
                   MessageIcon::Critical);
}

void ProjectKeeper::Watch(Navigator& nav) {
  connect(&nav, &Navigator::Opened, this, [this] { SaveNow(); });
}

void ProjectKeeper::StartNew() {
  timer_.stop();
  retry_.stop();
  reported_ = false;
  state_ = ProjectState();
  store_.Unbind();
}

}  // namespace voxmire
