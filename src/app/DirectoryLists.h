#pragma once
// The drive list and the directory list of the two directory choosers.
// Drives are mount points ("/" first). The directory list shows the open
// directory's ancestors and its subdirectories; a click, Enter or a double
// click opens an entry. Enter on the open directory itself is left to the
// window (the chooser's "&Select"), so Enter, Enter opens and chooses.
#include <QComboBox>
#include <QListWidget>
#include <string>
#include <vector>

namespace voxmire {

class DriveList : public QComboBox {
  Q_OBJECT
 public:
  explicit DriveList(const std::vector<std::string>& drives, QWidget* parent = nullptr);
  QString Drive() const { return currentText(); }
  // Selects the drive as the list names it; false when the list has no such
  // drive. Selecting another drive than the current one is a drive change.
  bool SetDrive(const QString& drive);
  // The drive that holds `path`.
  QString DriveOf(const QString& path) const;

 Q_SIGNALS:
  void DriveChanged(const QString& drive);

 private:
  std::vector<std::string> drives_;
};

class DirectoryList : public QListWidget {
  Q_OBJECT
 public:
  explicit DirectoryList(QWidget* parent = nullptr);
  // The open directory: a drive's root keeps its trailing separator ("/"),
  // any deeper path has none.
  QString Path() const { return path_; }
  // Opens `path`; false (and nothing changes) when it is empty or not a
  // directory that can be listed.
  bool SetPath(const QString& path);
  // Opens the highlighted entry when it isn't the open directory already.
  void OpenHighlighted();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 Q_SIGNALS:
  void PathChanged(const QString& path);

 private:
  void Fill();
  QString path_;
};

// A drive's current directory: the process's working directory for the
// drive that holds it, the drive's root for any other.
QString CurrentDirectoryOf(const QString& drive, const DriveList& drives);

}  // namespace voxmire
