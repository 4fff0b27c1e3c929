#include "StartPage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cctype>
#include <filesystem>

#include "app/AppContext.h"
#include "app/ClickableLabel.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "output/ScriptTemplate.h"
#include "project/ClassImport.h"
#include "project/Ini.h"
#include "project/PreferencesPage.h"
#include "project/ProjectFile.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"

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
  if (preferences_->isChecked()) {
    ctx_.nav.Forward(PageId::Start, PageId::Preferences);
    return;
  }
  if (loadPack_->isChecked()) {
    Load();
    return;
  }
  if (!newPack_->isChecked()) return;
  std::error_code ignored;
  std::filesystem::remove(ctx_.places.state / "_script.txt", ignored);
  ctx_.keeper.StartNew();
  ctx_.nav.Forward(PageId::Start, PageId::Info);
}

void StartPage::Load() {
  const std::filesystem::path folder = ProjectFolder(ctx_.places);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);  // so the dialog can open there
  const auto chosen =
      ctx_.dialogs.OpenFile(this, tr("Load a VoicePack"), ToQt(PathText(folder)),
                            {tr("VoicePacks (*.voxmire)"), tr("Voice classes (*.uc)")});
  if (!chosen) return;
  LoadFile(FsPath(FromQt(*chosen)));
}

namespace {

std::string LowerExtension(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

}  // namespace

void StartPage::LoadGiven(const std::filesystem::path& file) {
  const QString name = ToQt(PathText(file));
  std::error_code ec;
  QString problem;
  if (!std::filesystem::exists(file, ec)) {
    problem = tr("%1 doesn't exist.").arg(name);
  } else if (const std::string extension = LowerExtension(file);
             extension != ".uc" && extension != kProjectExtension) {
    problem = tr("%1 is neither a VoicePack (.voxmire) nor a voice class (.uc).").arg(name);
  }
  if (!problem.isEmpty()) {
    ctx_.dialogs.Message(this, tr("Can't load the VoicePack"),
                         problem + tr("\rNothing was changed."), MessageIcon::Critical);
    return;
  }
  LoadFile(file);
}

void StartPage::LoadFile(const std::filesystem::path& file) {
  std::optional<ProjectState> loaded =
      LowerExtension(file) == ".uc" ? ImportClass(file) : ReadProject(file);
  if (!loaded || !MakeRoomFor(*loaded, file)) return;
  ctx_.state = std::move(*loaded);
  ctx_.nav.Forward(PageId::Start, PageId::Info);
}

std::optional<ProjectState> StartPage::ReadProject(const std::filesystem::path& file) {
  ProjectRead read = ReadProjectFile(file);
  if (!read.state) {
    ctx_.dialogs.Message(this, tr("Can't load the VoicePack"),
                         tr("%1 can't be loaded: %2.\rNothing was changed.")
                             .arg(ToQt(PathText(file)), ToQt(read.problem)),
                         MessageIcon::Critical);
    return std::nullopt;
  }
  return std::move(read.state);
}

namespace {

// A list for a message box, cut short so that the box fits on the screen.
QString Listed(const QString& intro, const std::vector<std::string>& items) {
  constexpr std::size_t kMaxListed = 12;
  QString text = intro;
  for (std::size_t i = 0; i < items.size() && i < kMaxListed; ++i) {
    text += QStringLiteral("\r   ") + ToQt(items[i]);
  }
  if (items.size() > kMaxListed) {
    text += QObject::tr("\r   ... and %1 more").arg(items.size() - kMaxListed);
  }
  return text;
}

}  // namespace

std::optional<ProjectState> StartPage::ImportClass(const std::filesystem::path& file) {
  ClassImport imported = ImportVoiceClassFile(file);
  if (!imported.Ok()) {
    ctx_.dialogs.Message(this, tr("Can't import the voice class"),
                         tr("%1 can't be imported: %2\rNothing was changed.")
                             .arg(ToQt(PathText(file)), ToQt(imported.error)),
                         MessageIcon::Critical);
    return std::nullopt;
  }
  ProjectState state = std::move(imported.state);
  // The game directory: the one the class sits in (<game>/<Package>/Classes),
  // else the preferred one.
  const std::filesystem::path classes = file.parent_path();
  std::error_code ec;
  if (classes.filename() == "Classes" &&
      std::filesystem::is_directory(classes.parent_path().parent_path() / "System", ec)) {
    state.UTDir = PathText(classes.parent_path().parent_path());
  } else {
    state.UTDir = ReadIniValue("Config", "UTDir", ctx_.PrefsIni());
  }
  DeriveGameFolders(state);
  if (!state.SoundDir.empty()) state.SoundDrive = DriveOf(state.SoundDir, ctx_.drives());
  // A head that isn't the template's expansion was written or changed by
  // hand: it is kept, or the next build would lose it.
  const auto templ = ReadTemplate(ctx_.places);
  if (!templ || imported.head != ScriptFileBytes(ExpandTemplate(*templ, state.Sounds, state))) {
    std::string head = imported.head;
    if (head.size() >= 2 && head.compare(head.size() - 2, 2, "\r\n") == 0)
      head.resize(head.size() - 2);
    state.ScriptHead = std::move(head);
  }

  QStringList remarks;
  if (!imported.missingSoundFiles.empty()) {
    remarks << Listed(tr("These sound files don't exist here; add them on the sound page:"),
                      imported.missingSoundFiles);
  }
  if (!imported.unplacedProperties.empty()) {
    remarks << Listed(tr("These settings have no place in Voxmire and were left out:"),
                      imported.unplacedProperties);
  }
  for (const std::string& note : imported.notes) remarks << ToQt(note);
  if (!remarks.isEmpty()) {
    ctx_.dialogs.Message(this, tr("Voice class imported"),
                         tr("%1 was imported.").arg(ToQt(state.VoicePackName)) +
                             QStringLiteral("\r\r") + remarks.join(QStringLiteral("\r\r")),
                         MessageIcon::Exclamation);
  }
  return state;
}

bool StartPage::MakeRoomFor(const ProjectState& state, const std::filesystem::path& from) {
  ProjectStore& store = ctx_.keeper.Store();
  const std::string& name = state.VoicePackName;
  const std::filesystem::path target = ProjectFilePath(ctx_.places, name);
  std::error_code ec;
  if (std::filesystem::equivalent(from, target, ec)) {
    store.Bind(name);  // the pack's own file: saving goes on in it
    return true;
  }
  store.Unbind();
  if (!std::filesystem::exists(target, ec)) return true;
  // Another file of that pack is in the way: it is never overwritten unasked.
  const auto choice = ctx_.dialogs.Choose(
      this, tr("VoicePack exists"),
      tr("There already is a VoicePack named %1 (%2).\rReplace it with the one loaded? The "
         "earlier pack is kept as a backup.")
          .arg(ToQt(name), ToQt(PathText(target))),
      {tr("&Replace it")}, MessageIcon::Exclamation);
  if (!choice) return false;
  if (!store.SetAside(name)) {
    ctx_.dialogs.Message(this, tr("Can't load the VoicePack"), ToQt(store.Problem()),
                         MessageIcon::Critical);
    return false;
  }
  return true;
}

}  // namespace voxmire
