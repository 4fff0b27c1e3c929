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
  std::filesystem::remove(ctx_.ProgramFile("_script.txt"), ignored);
  ctx_.keeper.StartNew();
  ctx_.nav.Forward(PageId::Start, PageId::Info);
}

void StartPage::Load() {
  const std::filesystem::path folder = ProjectFolder(ctx_.programDir);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);  // so the dialog can open there
  const auto chosen =
      ctx_.dialogs.OpenFile(this, tr("Load a VoicePack"), ToQt(PathText(folder)),
                            {tr("VoicePacks (*.voxmire)"), tr("Voice classes (*.uc)")});
  if (!chosen) return;
  const std::filesystem::path file = FsPath(FromQt(*chosen));
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  std::optional<ProjectState> loaded = extension == ".uc" ? ImportClass(file) : ReadProject(file);
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

std::optional<ProjectState> StartPage::ImportClass(const std::filesystem::path& file) {
  // MERGE-PENDING: the class importer lands with its own branch.
  ctx_.dialogs.Message(this, tr("Can't load the VoicePack"), ToQt(PathText(file)),
                       MessageIcon::Critical);
  return std::nullopt;
}

bool StartPage::MakeRoomFor(const ProjectState& state, const std::filesystem::path& from) {
  ProjectStore& store = ctx_.keeper.Store();
  const std::string& name = state.VoicePackName;
  const std::filesystem::path target = ProjectFilePath(ctx_.programDir, name);
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
