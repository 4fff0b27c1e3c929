#include "SelectVoicePage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/DirChooser.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "project/BaseVoices.h"
#include "project/Ini.h"
#include "project/ProjectState.h"

namespace voxmire {

SelectVoicePage::SelectVoicePage(AppContext& ctx)
    : Page(ctx, QStringLiteral("frmSelectVoice"),
           QStringLiteral("Select A VoicePack to base this on")) {
  SharedMenus menus;
  menus.websiteCaption = tr("&Harkline Website...");
  menus.aboutCaption = tr("&About");
  AddSharedMenus(menus);

  auto* heading = new QLabel(tr("Select VoicePack Base"));
  heading->setObjectName(QStringLiteral("Label1"));
  QFont big = heading->font();
  big.setBold(true);
  big.setPointSize(big.pointSize() + 3);
  heading->setFont(big);
  auto* explanation =
      new QLabel(tr("This allows you to easily load settings for orders, names etc..."));
  explanation->setObjectName(QStringLiteral("Label2"));

  auto* frame = new QGroupBox(tr("Choose One"));
  Name(frame, QStringLiteral("Frame1"), frame->title());
  auto* grid = new QGridLayout(frame);
  for (std::size_t i = 0; i < kBaseVoices.size(); ++i) {
    const BaseVoice& base = kBaseVoices[i];
    auto* option = new QRadioButton(QString::fromUtf8(base.caption.data(), base.caption.size()));
    Name(option, QString::fromUtf8(base.option.data(), base.option.size()), option->text());
    options_[i] = option;
  }
  // Stock voices on the left, the two blank bases on the right.
  grid->addWidget(options_[0], 0, 0);
  grid->addWidget(options_[1], 1, 0);
  grid->addWidget(options_[2], 2, 0);
  grid->addWidget(options_[3], 3, 0);
  grid->addWidget(options_[4], 4, 0);
  grid->addWidget(options_[5], 0, 1);
  grid->addWidget(options_[6], 1, 1);

  auto* next = NamedButton(tr("Next ->"), QStringLiteral("Command1"));
  auto* back = NamedButton(tr("<- Back"), QStringLiteral("Command2"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(back);
  buttons->addWidget(next);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(heading);
  layout->addWidget(explanation);
  layout->addWidget(frame);
  layout->addStretch();
  layout->addLayout(buttons);
  setCentralWidget(central);

  // Male One, Male Two, Female One, Female Two, Blank Male, Next, Boss,
  // Blank Female, Back.
  setTabOrder(options_[0], options_[1]);
  setTabOrder(options_[1], options_[2]);
  setTabOrder(options_[2], options_[3]);
  setTabOrder(options_[3], options_[5]);
  setTabOrder(options_[5], next);
  setTabOrder(next, options_[4]);
  setTabOrder(options_[4], options_[6]);
  setTabOrder(options_[6], back);

  SetDefaultButton(next);
  connect(next, &QPushButton::clicked, this, &SelectVoicePage::Next);
  connect(back, &QPushButton::clicked, this,
          [this] { ctx_.nav.Back(PageId::SelectVoice, PageId::Info); });

  // Opening: the pack's own choice, else the stored one, matched exactly.
  const std::string& chosen = ctx_.state.BaseVoice;
  if (const auto stored = FindBaseVoice(
          chosen.empty() ? ReadIniValue("SelectVoice", "BaseVoice", ctx_.StepsIni()) : chosen)) {
    options_[*stored]->setChecked(true);
  }
}

void SelectVoicePage::showEvent(QShowEvent* event) {
  Page::showEvent(event);
  for (QRadioButton* option : options_) {
    if (option->isChecked()) {
      option->setFocus();
      return;
    }
  }
  // Nothing stored: the first option takes the focus, and with it the choice.
  options_[0]->setChecked(true);
  options_[0]->setFocus();
}

void SelectVoicePage::Next() {
  for (std::size_t i = 0; i < kBaseVoices.size(); ++i) {
    if (!options_[i]->isChecked()) continue;
    ApplyBaseVoice(kBaseVoices[i], ctx_.state);
    WriteIniValue("SelectVoice", "BaseVoice", std::string(kBaseVoices[i].stored), ctx_.StepsIni());
    break;
  }

  // The pack's own sound directory when it has one, else the remembered one.
  const auto prefs = ctx_.PrefsIni();
  const ProjectState& s = ctx_.state;
  QString soundDir = ToQt(ReadIniValue("Config", "SoundDir", prefs));
  QString soundDrive = ToQt(ReadIniValue("Config", "SoundDrive", prefs));
  if (!s.SoundDir.empty()) {
    soundDir = ToQt(s.SoundDir.size() > 1 && s.SoundDir.back() == '/'
                        ? s.SoundDir.substr(0, s.SoundDir.size() - 1)
                        : s.SoundDir);
    soundDrive = ToQt(s.SoundDrive);
  }
  // The chooser's own opening applies the same two values; doing it again
  // brings back the remembered directory when that opening moved the list to
  // the remembered drive's current directory.
  if (auto* chooser = qobject_cast<DirChooser*>(ctx_.nav.Get(PageId::ChooseSoundDir))) {
    if (chooser->SetDirectory(soundDir)) chooser->SetDrive(soundDrive);
  }
  ctx_.nav.Forward(PageId::SelectVoice, PageId::ChooseSoundDir);
}

}  // namespace voxmire
