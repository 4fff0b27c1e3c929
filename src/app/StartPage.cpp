#include "StartPage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>

#include "app/AppContext.h"
#include "app/ClickableLabel.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"

namespace voxmire {

StartPage::StartPage(AppContext& ctx)
    : Page(ctx, QStringLiteral("Form1"), QStringLiteral("Voxmire")) {
  SharedMenus menus;
  menus.websiteCaption = tr("&Harkline Website...");
  menus.websiteName = QStringLiteral("mnuWeb");
  menus.aboutCaption = tr("&About");
  AddSharedMenus(menus);

  auto* central = new QWidget;
  auto* picture = ProductPicture(QStringLiteral("Image1"));

  auto* frame = new QGroupBox(tr("Select Option"));
  Name(frame, QStringLiteral("Frame1"), frame->title());
  newPack_ = new QRadioButton(tr("Start a &new VoicePack"));
  Name(newPack_, QStringLiteral("Option1"), newPack_->text());
  loadPack_ = new QRadioButton(tr("&Load exisiting VoicePack"));
  Name(loadPack_, QStringLiteral("Option2"), loadPack_->text());
  preferences_ = new QRadioButton(tr("&Edit Preferences"));
  Name(preferences_, QStringLiteral("Option3"), preferences_->text());
  auto* options = new QVBoxLayout(frame);
  options->addWidget(newPack_);
  options->addWidget(preferences_);
  options->addWidget(loadPack_);

  auto* next = NamedButton(tr("Next ->"), QStringLiteral("Command1"));
  auto* quit = NamedButton(tr("Quit"), QStringLiteral("Command2"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(quit);
  buttons->addStretch();
  buttons->addWidget(next);

  auto* right = new QVBoxLayout;
  right->addWidget(frame);
  right->addStretch();
  right->addLayout(buttons);

  auto* layout = new QHBoxLayout(central);
  layout->addWidget(picture, 0, Qt::AlignTop);
  layout->addLayout(right, 1);
  setCentralWidget(central);
  resize(520, 240);

  setTabOrder(newPack_, next);
  setTabOrder(next, preferences_);
  setTabOrder(preferences_, loadPack_);
  setTabOrder(loadPack_, quit);

  connect(next, &QPushButton::clicked, this, &StartPage::Next);
  connect(quit, &QPushButton::clicked, this, [this] { ctx_.nav.Quit(); });
}

void StartPage::showEvent(QShowEvent* event) {
  Page::showEvent(event);
  // The first control in tab order takes the focus, and an option that takes
  // the focus is selected.
  if (!newPack_->isChecked() && !loadPack_->isChecked() && !preferences_->isChecked()) {
    newPack_->setChecked(true);
    newPack_->setFocus();
  }
}

void StartPage::Next() {
  if (loadPack_->isChecked() || preferences_->isChecked()) {
    ctx_.dialogs.Message(this, tr("Coming soon!"), tr("Sorry, that is coming soon."),
                         MessageIcon::Information);
    return;
  }
  if (!newPack_->isChecked()) return;
  std::error_code ignored;
  std::filesystem::remove(ctx_.ProgramFile("_script.txt"), ignored);
  ctx_.nav.Forward(PageId::Start, PageId::Info);
}

}  // namespace voxmire
