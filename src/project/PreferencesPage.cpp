#include "project/PreferencesPage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "core/Text1252.h"
#include "project/Ini.h"

namespace voxmire {

std::string DriveOf(const std::string& dir, const std::vector<std::string>& drives) {
  std::string best = "/";
  for (const std::string& drive : drives) {
    const bool holds = drive == "/" || dir == drive ||
                       (dir.size() > drive.size() && dir.compare(0, drive.size(), drive) == 0 &&
                        dir[drive.size()] == '/');
    if (holds && drive.size() > best.size()) best = drive;
  }
  return best;
}

PreferencesPage::PreferencesPage(AppContext& ctx)
    : Page(ctx, QStringLiteral("frmPreferences"), QStringLiteral("Edit Preferences")) {
  AddSharedMenus();

  const auto field = [](const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
  };
  utDir_ = field("txtUTDir");
  soundDir_ = field("txtSoundDir");
  authorName_ = field("txtAuthorName");
  authorUrl_ = field("txtAuthorURL");

  auto* intro = new QLabel(tr("Every new VoicePack starts with these values."));
  intro->setObjectName(QStringLiteral("Label1"));
  auto* utDirLabel = new QLabel(tr("&Unreal Tournament Dir"));
  auto* soundDirLabel = new QLabel(tr("&Sound Dir"));
  auto* authorNameLabel = new QLabel(tr("Author &Name"));
  auto* authorUrlLabel = new QLabel(tr("Author U&RL"));
  Buddy(utDirLabel, utDir_);
  Buddy(soundDirLabel, soundDir_);
  Buddy(authorNameLabel, authorName_);
  Buddy(authorUrlLabel, authorUrl_);

  auto* chooseDir = NamedButton(tr("..."), QStringLiteral("Command2"),
                                tr("Choose the Unreal Tournament directory"));
  chooseDir->setFixedWidth(36);
  auto* ok = NamedButton(tr("OK"), QStringLiteral("Command1"));
  ok->setDefault(true);
  auto* cancel = NamedButton(tr("Cancel"), QStringLiteral("Command3"));

  auto* grid = new QGridLayout;
  grid->addWidget(utDirLabel, 0, 0);
  grid->addWidget(utDir_, 0, 1);
  grid->addWidget(chooseDir, 0, 2);
  grid->addWidget(soundDirLabel, 1, 0);
  grid->addWidget(soundDir_, 1, 1);
  grid->addWidget(authorNameLabel, 2, 0);
  grid->addWidget(authorName_, 2, 1);
  grid->addWidget(authorUrlLabel, 3, 0);
  grid->addWidget(authorUrl_, 3, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(intro);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addLayout(buttons);
  setCentralWidget(central);
  resize(560, 230);
  setMinimumSize(420, 200);

  setTabOrder(utDir_, chooseDir);
  setTabOrder(chooseDir, soundDir_);
  setTabOrder(soundDir_, authorName_);
  setTabOrder(authorName_, authorUrl_);
  setTabOrder(authorUrl_, ok);
  setTabOrder(ok, cancel);
  utDir_->setFocus();

  connect(chooseDir, &QPushButton::clicked, this, [this] { ctx_.nav.Open(PageId::ChooseUTDir); });
  connect(ok, &QPushButton::clicked, this, &PreferencesPage::Accept);
  connect(cancel, &QPushButton::clicked, this,
          [this] { ctx_.nav.Back(PageId::Preferences, PageId::Start); });
  for (QLineEdit* edit : {utDir_, soundDir_, authorName_, authorUrl_}) {
    connect(edit, &QLineEdit::returnPressed, this, &PreferencesPage::Accept);
  }

  const auto prefs = ctx_.PrefsIni();
  utDir_->setText(ToQt(ReadIniValue("Config", "UTDir", prefs)));
  soundDir_->setText(ToQt(ReadIniValue("Config", "SoundDir", prefs)));
  authorName_->setText(ToQt(ReadIniValue("Config", "AuthorName", prefs)));
  authorUrl_->setText(ToQt(ReadIniValue("Config", "AuthorURL", prefs)));
}

void PreferencesPage::SetGameDirectory(const QString& dir) { utDir_->setText(dir); }

void PreferencesPage::Accept() {
  // Everything is checked before anything is stored.
  for (QLineEdit* edit : {utDir_, soundDir_, authorName_, authorUrl_}) {
    if (!FitsCp1252(edit->text().toStdString())) {
      ctx_.dialogs.Message(this, tr("Can't keep that"),
                           tr("\"%1\" holds characters that Voxmire's files can't store (only "
                              "Western European letters and signs).")
                               .arg(edit->text()),
                           MessageIcon::Critical);
      edit->setFocus();
      return;
    }
  }
  for (QLineEdit* edit : {utDir_, soundDir_}) {
    std::error_code ec;
    if (!edit->text().isEmpty() &&
        !std::filesystem::is_directory(FsPath(FromQt(edit->text())), ec)) {
      ctx_.dialogs.Message(this, tr("No such folder"),
                           tr("The folder \"%1\" doesn't exist. Choose a folder that does, or "
                              "leave the field empty.")
                               .arg(edit->text()),
                           MessageIcon::Critical);
      edit->setFocus();
      return;
    }
  }

  const auto prefs = ctx_.PrefsIni();
  WriteIniValue("Config", "UTDir", FromQt(utDir_->text()), prefs);
  std::string soundDir = FromQt(soundDir_->text());
  while (soundDir.size() > 1 && soundDir.back() == '/') soundDir.pop_back();
  WriteIniValue("Config", "SoundDir", soundDir, prefs);
  if (!soundDir.empty()) {
    WriteIniValue("Config", "SoundDrive", DriveOf(soundDir, ctx_.drives()), prefs);
  }
  WriteIniValue("Config", "AuthorName", FromQt(authorName_->text()), prefs);
  WriteIniValue("Config", "AuthorURL", FromQt(authorUrl_->text()), prefs);
  ctx_.nav.Back(PageId::Preferences, PageId::Start);
}

}  // namespace voxmire
