#include "DirChooser.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/DirectoryLists.h"
#include "app/Page.h"

namespace voxmire {

DirChooser::DirChooser(AppContext& ctx, const QString& objectName, const QString& caption)
    : QWidget(nullptr, Qt::Window), ctx_(ctx) {
  setObjectName(objectName);
  setWindowTitle(caption);
  setFont(PageFont());

  drive_ = new DriveList(ctx_.drives());
  Name(drive_, QStringLiteral("Drive1"), tr("Drive"));
  dir_ = new DirectoryList;
  Name(dir_, QStringLiteral("Dir1"), tr("Directory"));
  auto* select = NamedButton(tr("&Select"), QStringLiteral("Command1"));
  select_ = select;

  auto* driveLabel = new QLabel(tr("Dri&ve:"));
  driveLabel->setBuddy(drive_);
  auto* dirLabel = new QLabel(tr("&Directory:"));
  dirLabel->setBuddy(dir_);

  body_ = new QVBoxLayout(this);
  body_->addWidget(driveLabel);
  body_->addWidget(drive_);
  body_->addWidget(dirLabel);
  body_->addWidget(dir_, 1);
  body_->addWidget(select, 0, Qt::AlignRight);
  resize(380, 420);

  setTabOrder(drive_, dir_);
  setTabOrder(dir_, select);

  connect(drive_, &DriveList::DriveChanged, this,
          [this](const QString& drive) { dir_->SetPath(CurrentDirectoryOf(drive, *drive_)); });
  connect(select, &QPushButton::clicked, this, [this] {
    dir_->OpenHighlighted();
    Select();
  });
}

bool DirChooser::SetDirectory(const QString& path) { return dir_->SetPath(path); }

bool DirChooser::SetDrive(const QString& drive) { return drive_->SetDrive(drive); }

void DirChooser::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  KeepShownSizeAsMinimum(this);
}

void DirChooser::keyPressEvent(QKeyEvent* event) {
  if (PressOnEnter(this, event, select_)) return;
  QWidget::keyPressEvent(event);
}

}  // namespace voxmire
