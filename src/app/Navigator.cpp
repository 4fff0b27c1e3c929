#include "Navigator.h"

#include <QCoreApplication>
#include <QTimer>

namespace voxmire {

Navigator::Navigator(QObject* parent) : QObject(parent), quit_([] { QCoreApplication::exit(0); }) {}

Navigator::~Navigator() { DestroyAll(); }

void Navigator::DestroyAll() {
  auto windows = std::move(windows_);
  windows_.clear();
  for (auto& [id, window] : windows) delete window.data();
}

void Navigator::Register(PageId id, Factory factory) { factories_[id] = std::move(factory); }

QWidget* Navigator::Window(PageId id) const {
  const auto it = windows_.find(id);
  if (it == windows_.end() || it->second.isNull()) return nullptr;
  // A closed window lives on until its deferred delete; Qt clears its
  // delete-on-close flag when it schedules that delete.
  QWidget* window = it->second.data();
  return window->testAttribute(Qt::WA_DeleteOnClose) ? window : nullptr;
}

QWidget* Navigator::Get(PageId id) {
  if (QWidget* open = Window(id)) return open;
  const auto factory = factories_.find(id);
  if (factory == factories_.end()) return nullptr;
  QWidget* window = factory->second();
  window->setAttribute(Qt::WA_DeleteOnClose);
  windows_[id] = window;
  connect(window, &QObject::destroyed, this, [this] {
    if (checkPending_) return;
    checkPending_ = true;
    // Wait until the move that closed the window has opened its successor.
    QTimer::singleShot(0, this, &Navigator::CheckForLastWindow);
  });
  return window;
}

QWidget* Navigator::Open(PageId id) {
  QWidget* window = Get(id);
  if (window == nullptr) return nullptr;
  window->show();
  window->raise();
  window->activateWindow();
  Q_EMIT Opened(id);
  return window;
}

void Navigator::Close(PageId id) {
  if (QWidget* window = Window(id)) {
    windows_.erase(id);
    window->close();
  }
}

QWidget* Navigator::Forward(PageId from, PageId to) {
  QWidget* next = Open(to);
  Close(from);
  return next;
}

QWidget* Navigator::Back(PageId from, PageId to) {
  Close(from);
  return Open(to);
}

void Navigator::Quit() { quit_(); }

void Navigator::CheckForLastWindow() {
  checkPending_ = false;
  for (const auto& [id, window] : windows_) {
    if (Window(id) != nullptr && window->isVisible()) return;
  }
  Quit();
}

}  // namespace voxmire
