#pragma once
// The body shared by the two directory choosers: a drive list (Drive1), a
// directory list (Dir1) and "&Select" (Command1). Both lists start at the
// process's current drive and directory; a drive change moves the directory
// list to that drive's current directory.
#include <QWidget>

class QVBoxLayout;
class QPushButton;

namespace voxmire {

struct AppContext;
class DriveList;
class DirectoryList;

class DirChooser : public QWidget {
  Q_OBJECT
 public:
  DirChooser(AppContext& ctx, const QString& objectName, const QString& caption);

  DriveList* Drives() const { return drive_; }
  DirectoryList* Directories() const { return dir_; }
  // Dir1 to `path`; false when it can't be opened.
  bool SetDirectory(const QString& path);
  // Drive1 to `drive` (a drive change when it differs); false when unknown.
  bool SetDrive(const QString& drive);

 protected:
  void showEvent(QShowEvent* event) override;
  // Enter presses "&Select", unless the directory list takes it to open
  // the highlighted directory first.
  void keyPressEvent(QKeyEvent* event) override;
  // Called by "&Select" with the highlighted directory opened.
  virtual void Select() = 0;
  QVBoxLayout* Body() const { return body_; }

  AppContext& ctx_;

 private:
  DriveList* drive_;
  DirectoryList* dir_;
  QPushButton* select_;
  QVBoxLayout* body_;
};

}  // namespace voxmire
