#include "DirectoryLists.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

#include "core/Drives.h"

namespace voxmire {
namespace {

constexpr int kPathRole = Qt::UserRole + 1;

QString Clean(const QString& path) {
  QString cleaned = QDir::cleanPath(path);
  return cleaned.isEmpty() ? QStringLiteral("/") : cleaned;
}

}  // namespace

DriveList::DriveList(const std::vector<std::string>& drives, QWidget* parent)
    : QComboBox(parent), drives_(drives) {
  for (const std::string& drive : drives_) addItem(QString::fromStdString(drive));
  setCurrentIndex(findText(DriveOf(QDir::currentPath())));
  connect(this, &QComboBox::currentTextChanged, this, &DriveList::DriveChanged);
}

bool DriveList::SetDrive(const QString& drive) {
  const int index = findText(drive);
  if (index < 0) return false;
  setCurrentIndex(index);
  return true;
}

QString DriveList::DriveOf(const QString& path) const {
  return QString::fromStdString(voxmire::DriveOf(path.toStdString(), drives_));
}

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
  // Opening an entry refills the list, which deletes the item whose signal
  // is still being delivered: open it once the signal has returned.
  auto openLater = [this](QListWidgetItem* item) {
    const QString target = item->data(kPathRole).toString();
    QMetaObject::invokeMethod(
        this, [this, target] { SetPath(target); }, Qt::QueuedConnection);
  };
  connect(this, &QListWidget::itemClicked, this, openLater);
  connect(this, &QListWidget::itemActivated, this, openLater);
  SetPath(QDir::currentPath());
}

bool DirectoryList::SetPath(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  if (!info.isDir() || !QDir(path).isReadable()) return false;
  const QString cleaned = Clean(info.absoluteFilePath());
  if (cleaned == path_) return true;
  path_ = cleaned;
  Fill();
  Q_EMIT PathChanged(path_);
  return true;
}

void DirectoryList::OpenHighlighted() {
  if (QListWidgetItem* item = currentItem()) SetPath(item->data(kPathRole).toString());
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
    QListWidget::keyPressEvent(event);
    return;
  }
  const QListWidgetItem* item = currentItem();
  if (item == nullptr || Clean(item->data(kPathRole).toString()) == path_) {
    event->ignore();
    return;
  }
  SetPath(item->data(kPathRole).toString());
}

void DirectoryList::Fill() {
  clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

  // The open directory's ancestors, from the root down, each indented one
  // step further, as a directory list has always shown them.
  QStringList parts = path_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  QString walked = QStringLiteral("/");
  auto addEntry = [&](const QString& name, const QString& full, int level, const QIcon& icon) {
    auto* item = new QListWidgetItem(icon, QString(level * 3, QLatin1Char(' ')) + name, this);
    item->setData(kPathRole, full);
    item->setData(Qt::AccessibleTextRole, name);
    item->setToolTip(full);
    return item;
  };
  QListWidgetItem* current = addEntry(QStringLiteral("/"), walked, 0, open);
  int level = 1;
  for (const QString& part : parts) {
    walked = walked == QStringLiteral("/") ? walked + part : walked + QLatin1Char('/') + part;
    current = addEntry(part, walked, level++, open);
  }
  QDir dir(path_);
  const QStringList subdirs =
      dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& sub : subdirs) {
    addEntry(sub, dir.filePath(sub), level, closed);
  }
  setCurrentItem(current);
}

QString CurrentDirectoryOf(const QString& drive, const DriveList& drives) {
  const QString cwd = QDir::currentPath();
  return drives.DriveOf(cwd) == drive ? cwd : drive;
}

}  // namespace voxmire
