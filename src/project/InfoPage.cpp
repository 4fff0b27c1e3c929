#include "InfoPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "core/Text1252.h"
#include "output/CompileSequence.h"
#include "output/GameFolder.h"
#include "project/Ini.h"
#include "project/PackName.h"
#include "project/ProjectFile.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"

namespace voxmire {
namespace {

QLineEdit* Field(const QString& name) {
  auto* field = new QLineEdit;
  field->setObjectName(name);
  return field;
}

}  // namespace

InfoPage::InfoPage(AppContext& ctx)
    : Page(ctx, QStringLiteral("Form2"), QStringLiteral("Edit the VoicePack information")) {
  AddSharedMenus();

  utDir_ = Field(QStringLiteral("txtUTDir"));
  name_ = Field(QStringLiteral("txtVoicePackName"));
  name_->setMaxLength(15);
  authorName_ = Field(QStringLiteral("txtAuthorName"));
  authorUrl_ = Field(QStringLiteral("txtAuthorURL"));
  productName_ = Field(QStringLiteral("txtProductName"));
  productUrl_ = Field(QStringLiteral("txtProductURL"));
  readme_ = Field(QStringLiteral("txtReadmeLocation"));

  auto* utDirLabel = new QLabel(tr("Unreal Tournament Dir"));
  auto* utDirNote = new QLabel(tr("(Do NOT put a \\ at the end)"));
  auto* nameLabel = new QLabel(tr("VoicePack Name"));
  auto* authorNameLabel = new QLabel(tr("Author Name"));
  auto* authorUrlLabel = new QLabel(tr("Author URL"));
  auto* productNameLabel = new QLabel(tr("Product Name"));
  auto* productUrlLabel = new QLabel(tr("Product URL"));
  auto* readmeLabel = new QLabel(tr("Readme File Location..."));
  Buddy(utDirLabel, utDir_);
  Buddy(nameLabel, name_);
  Buddy(authorNameLabel, authorName_);
  Buddy(authorUrlLabel, authorUrl_);
  Buddy(productNameLabel, productName_);
  Buddy(productUrlLabel, productUrl_);
  Buddy(readmeLabel, readme_);
  utDir_->setAccessibleDescription(utDirNote->text());

  auto* next = NamedButton(tr("Next ->"), QStringLiteral("Command1"));
  auto* chooseDir = NamedButton(tr("..."), QStringLiteral("Command2"),
                                tr("Choose the Unreal Tournament directory"));
  auto* chooseReadme =
      NamedButton(tr("..."), QStringLiteral("Command3"), tr("Choose the readme file"));
  auto* back = NamedButton(tr("<- Back"), QStringLiteral("Command4"));
  for (QPushButton* small : {chooseDir, chooseReadme}) small->setFixedWidth(36);

  auto* top = new QGridLayout;
  top->addWidget(utDirLabel, 0, 0);
  top->addWidget(utDir_, 0, 1);
  top->addWidget(chooseDir, 0, 2);
  top->addWidget(utDirNote, 1, 1);
  top->addWidget(nameLabel, 2, 0);
  top->addWidget(name_, 2, 1);

  auto* frame = new QGroupBox(tr("For Script"));
  Name(frame, QStringLiteral("Frame1"), frame->title());
  auto* script = new QGridLayout(frame);
  script->addWidget(authorNameLabel, 0, 0);
  script->addWidget(authorName_, 0, 1);
  script->addWidget(authorUrlLabel, 1, 0);
  script->addWidget(authorUrl_, 1, 1);
  script->addWidget(productNameLabel, 2, 0);
  script->addWidget(productName_, 2, 1);
  script->addWidget(productUrlLabel, 3, 0);
  script->addWidget(productUrl_, 3, 1);
  script->addWidget(readmeLabel, 4, 0);
  script->addWidget(readme_, 4, 1);
  script->addWidget(chooseReadme, 4, 2);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(back);
  buttons->addWidget(next);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addLayout(top);
  layout->addWidget(frame);
  layout->addStretch();
  layout->addLayout(buttons);
  setCentralWidget(central);
  resize(560, 380);

  setTabOrder(utDir_, name_);
  setTabOrder(name_, authorName_);
  setTabOrder(authorName_, authorUrl_);
  setTabOrder(authorUrl_, productName_);
  setTabOrder(productName_, productUrl_);
  setTabOrder(productUrl_, readme_);
  setTabOrder(readme_, next);
  setTabOrder(next, chooseDir);
  setTabOrder(chooseDir, chooseReadme);
  setTabOrder(chooseReadme, back);
  utDir_->setFocus();

  connect(next, &QPushButton::clicked, this, &InfoPage::Next);
  connect(back, &QPushButton::clicked, this,
          [this] { ctx_.nav.Back(PageId::Info, PageId::Start); });
  connect(chooseDir, &QPushButton::clicked, this, [this] { ctx_.nav.Open(PageId::ChooseUTDir); });
  connect(chooseReadme, &QPushButton::clicked, this, &InfoPage::ChooseReadme);

  if (!ctx_.state.VoicePackName.empty()) {
    ShowPack();  // a pack under way (or loaded): its own values
    return;
  }
  // A new pack: the game directory from prefs.ini, the rest from steps.ini,
  // except that the author the preferences name starts every new pack.
  const auto prefs = ctx_.PrefsIni();
  const auto steps = ctx_.StepsIni();
  const auto preferred = [&](const char* prefsKey, const char* stepsKey) {
    std::string value = ReadIniValue("Config", prefsKey, prefs);
    return ToQt(value.empty() ? ReadIniValue("Form2", stepsKey, steps) : value);
  };
  utDir_->setText(ToQt(ReadIniValue("Config", "UTDir", prefs)));
  authorName_->setText(preferred("AuthorName", "txtAuthorName"));
  authorUrl_->setText(preferred("AuthorURL", "txtAuthorURL"));
  productName_->setText(ToQt(ReadIniValue("Form2", "txtProductName", steps)));
  productUrl_->setText(ToQt(ReadIniValue("Form2", "txtProductURL", steps)));
  readme_->setText(ToQt(ReadIniValue("Form2", "ReadmeLocation", steps)));
  name_->setText(ToQt(ReadIniValue("Form2", "VoicePackName", steps)));
}

void InfoPage::SetGameDirectory(const QString& dir) { utDir_->setText(dir); }

void InfoPage::ShowPack() {
  const ProjectState& s = ctx_.state;
  utDir_->setText(ToQt(s.UTDir));
  authorName_->setText(ToQt(s.AuthorName));
  authorUrl_->setText(ToQt(s.AuthorURL));
  productName_->setText(ToQt(s.ProductName));
  productUrl_->setText(ToQt(s.ProductURL));
  readme_->setText(ToQt(s.ReadmeLocation));
  // A loaded or imported class may have a longer name than is typed here;
  // cutting it would make another pack of it.
  name_->setMaxLength(std::max(name_->maxLength(), static_cast<int>(s.VoicePackName.size())));
  name_->setText(ToQt(s.VoicePackName));
}

void InfoPage::Next() {
  if (name_->text().isEmpty()) {
    ctx_.dialogs.Message(this, tr("No name specified"),
                         tr("You didn't type a name for the VoicePack!"), MessageIcon::Critical);
    return;
  }
  const std::string name = FromQt(name_->text());
  if (!IsValidPackName(name)) {
    ctx_.dialogs.Message(this, ToQt(kInvalidPackNameTitle), ToQt(InvalidPackNameText(name)),
                         MessageIcon::Critical);
    return;
  }
  if (!SettleExistingProject(name)) return;

  if (!CheckGameFolder(name)) return;

  ProjectState& s = ctx_.state;
  s.AuthorName = FromQt(authorName_->text());
  s.AuthorURL = FromQt(authorUrl_->text());
  s.ProductName = FromQt(productName_->text());
  s.ProductURL = FromQt(productUrl_->text());
  s.ReadmeLocation = FromQt(readme_->text());
  s.UTDir = FromQt(utDir_->text());
  DeriveGameFolders(s);
  s.VoicePackName = name;

  WriteIniValue("Config", "UTDir", FromQt(utDir_->text()), ctx_.PrefsIni());
  const auto steps = ctx_.StepsIni();
  WriteIniValue("Form2", "txtAuthorName", FromQt(authorName_->text()), steps);
  WriteIniValue("Form2", "txtAuthorURL", FromQt(authorUrl_->text()), steps);
  WriteIniValue("Form2", "txtProductName", FromQt(productName_->text()), steps);
  WriteIniValue("Form2", "txtProductURL", FromQt(productUrl_->text()), steps);
  WriteIniValue("Form2", "ReadmeLocation", FromQt(readme_->text()), steps);
  WriteIniValue("Form2", "txtUTDir", FromQt(utDir_->text()), steps);
  WriteIniValue("Form2", "VoicePackName", FromQt(name_->text()), steps);

  ctx_.nav.Forward(PageId::Info, PageId::SelectVoice);
}

bool InfoPage::SettleExistingProject(const std::string& name) {
  ProjectStore& store = ctx_.keeper.Store();
  if (!store.WouldClash(name)) return true;
  const QString file = ToQt(PathText(ProjectFilePath(ctx_.places, name)));
  const auto choice = ctx_.dialogs.Choose(
      this, tr("VoicePack exists"),
      tr("There already is a VoicePack named %1 (%2).\rContinue that pack, or start afresh? "
         "Starting afresh keeps the earlier pack as a backup.")
          .arg(ToQt(name), file),
      {tr("&Continue it"), tr("&Start afresh")}, MessageIcon::Exclamation);
  if (!choice) return false;
  if (*choice == 0) {
    ProjectRead read = ReadProjectFile(ProjectFilePath(ctx_.places, name));
    if (!read.state) {
      ctx_.dialogs.Message(this, tr("Can't load the VoicePack"),
                           tr("%1 can't be loaded: %2.").arg(file, ToQt(read.problem)),
                           MessageIcon::Critical);
      return false;
    }
    // The pack as it was left, and this page showing it.
    ctx_.state = std::move(*read.state);
    store.Bind(name);
    ShowPack();
    return true;
  }
  if (!store.SetAside(name)) {
    ctx_.dialogs.Message(this, tr("Can't start afresh"), ToQt(store.Problem()),
                         MessageIcon::Critical);
    return false;
  }
  // The work on this page goes on under the name; the earlier file is safe.
  return true;
}

bool InfoPage::CheckGameFolder(const std::string& name) {
  // Our files hold paths as Windows-1252: a folder named outside it would be
  // stored with '?' and never found again.
  if (!FitsCp1252(utDir_->text().toStdString())) {
    ctx_.dialogs.Message(this, tr("Unusable folder name"),
                         tr("The folder \"%1\" has characters that the game's and this "
                            "program's files can't hold.\rMove or rename the game folder so that "
                            "its path uses Western European letters only.")
                             .arg(utDir_->text()),
                         MessageIcon::Critical);
    return false;
  }
  const std::filesystem::path game = FsPath(FromQt(utDir_->text()));
  std::error_code ec;
  if (utDir_->text().isEmpty() || !std::filesystem::is_directory(game, ec)) return true;
  if (const auto clash = FindNameClash(game, ctx_.home, name)) {
    ctx_.dialogs.Message(this, tr("Name already used"),
                         tr("The name %1 is already used in the game: %2.\rA pack of that name "
                            "would replace the game's own files. Choose another name.")
                             .arg(name_->text(), ToQt(*clash)),
                         MessageIcon::Critical);
    return false;
  }
  const auto problems =
      GameFolderProblems(game, ctx_.home, DefaultCompileSetup(ctx_.places).machineIs64Bit);
  if (!problems.empty()) {
    QString text = tr("The game folder %1 lacks what the last step needs to compile the pack:")
                       .arg(utDir_->text());
    for (const auto& problem : problems) text += QLatin1Char('\r') + ToQt(problem);
    text += QLatin1Char('\r') + tr("You can go on and fix this before you compile.");
    ctx_.dialogs.Message(this, tr("Game folder incomplete"), text, MessageIcon::Exclamation);
  }
  return true;
}

void InfoPage::ChooseReadme() {
  // A cancelled dialog leaves the field as it was rather than emptying it.
  if (const auto file = ctx_.dialogs.OpenFile(this, tr("Choose Readme File"), utDir_->text())) {
    readme_->setText(*file);
  }
}

}  // namespace voxmire
