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
}

void ProjectKeeper::Touched() {
  if (!timer_.isActive()) timer_.start();
}

void ProjectKeeper::TablesChanged() {
  Q_EMIT tablesChanged();
  Touched();
}

bool ProjectKeeper::SaveNow() {
  timer_.stop();
  if (store_.Save(state_) != ProjectStore::Outcome::Failed) {
    reported_ = false;
    return true;
  }
  Report();
  return false;
}

bool ProjectKeeper::Flush() {
  if (!SaveNow()) return false;
  if (store_.Flush()) return true;
  Report();
  return false;
}

void ProjectKeeper::Report() {
  if (!reported_) {
    reported_ = true;
    dialogs_.Message(QApplication::activeWindow(), tr("Your work can't be saved"),
                     ToQt(store_.Problem()) +
                         tr("\rVoxmire keeps trying while you work. Make sure that its folder "
                            "can be written and has free space."),
                     MessageIcon::Critical);
  }
}

void ProjectKeeper::Watch(Navigator& nav) {
  connect(&nav, &Navigator::Opened, this, [this] { SaveNow(); });
}

void ProjectKeeper::StartNew() {
  timer_.stop();
  state_ = ProjectState();
  store_.Unbind();
}

}  // namespace voxmire
