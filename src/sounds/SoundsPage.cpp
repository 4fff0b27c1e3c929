#include "SoundsPage.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "project/ProjectState.h"
#include "sounds/SoundPlayer.h"
#include "sounds/WavInfo.h"

namespace voxmire {
namespace {

// A message box taller than the screen hides its OK button, so a long list
// of files is cut short.
constexpr int kMaxListedFiles = 15;

QString FileListMessage(const QString& intro, const QStringList& lines, const QString& advice) {
  QStringList text{intro};
  for (int i = 0; i < lines.size() && i < kMaxListedFiles; ++i)
    text << QStringLiteral("   ") + lines[i];
  if (lines.size() > kMaxListedFiles) {
    text << QObject::tr("   ... and %1 more").arg(lines.size() - kMaxListedFiles);
  }
  text << advice;
  return text.join(QLatin1Char('\r'));
}

// Why a file name can't go into our files, or nothing when it can.
QString NameProblem(const WavFileEntry& file) {
  if (file.name.find('"') != std::string::npos) return QObject::tr("its name holds a double quote");
  if (!IsUsableSoundFileName(file.name)) return QObject::tr("its name holds a line break");
  if (!file.fitsCodePage) {
    return QObject::tr("its name holds characters that Windows-1252 lacks");
  }
  return QString();
}

QString DisplayName(const WavFileEntry& file) {
  return QString::fromStdString(file.path.filename().string());
}

// A drive's root is its mount path, which for "/" already ends in the
// separator.
std::string DriveRoot(const std::string& drive) {
  if (!drive.empty() && drive.back() == '/') return drive;
  return drive + "/";
}

}  // namespace

SoundsPage::SoundsPage(AppContext& ctx)
    : Page(ctx, QStringLiteral("Form4"), QStringLiteral("Add the sound files")) {
  SharedMenus menus;
  menus.fileMenuName = QStringLiteral("mnufile");
  menus.websiteCaption = tr("Harkline website...");
  AddSharedMenus(menus);

  packageList_ = new QListWidget;
  packageList_->setObjectName(QStringLiteral("List1"));
  fileList_ = new QListWidget;
  fileList_->setObjectName(QStringLiteral("File1"));
  for (QListWidget* list : {packageList_, fileList_}) {
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setMinimumSize(200, 240);
    list->installEventFilter(this);
  }

  auto* packageLabel = new QLabel(tr("Sounds in package"));
  packageLabel->setObjectName(QStringLiteral("Label3"));
  auto* playHint = new QLabel(tr("Double click to play"));
  playHint->setObjectName(QStringLiteral("Label1"));
  soundDirLabel_ = new QLabel(tr("Files in Dir..."));
  soundDirLabel_->setObjectName(QStringLiteral("lblSoundDir"));
  soundDirLabel_->setTextFormat(Qt::PlainText);  // a directory name is never markup
  auto* pattern = new QLabel(tr("Waveform files (*.wav)"));
  pattern->setObjectName(QStringLiteral("Label2"));
  Buddy(packageLabel, packageList_);
  packageList_->setAccessibleDescription(playHint->text());
  fileList_->setAccessibleName(tr("Waveform files"));
  fileList_->setAccessibleDescription(tr("Double click or press Enter to add a file"));

  auto* addAll = NamedButton(tr("<<"), QStringLiteral("Command5"), tr("Add all files"));
  auto* remove = NamedButton(tr("<-"), QStringLiteral("Command2"), tr("Remove the selected sound"));
  auto* clear = NamedButton(tr("<<"), QStringLiteral("Command6"), tr("Clear the package list"));
  for (QPushButton* small : {addAll, remove, clear}) {
    small->setToolTip(small->accessibleName());
    small->setFixedWidth(44);
  }
  auto* changeDir = NamedButton(tr("Change Dir"), QStringLiteral("Command3"));
  auto* back = NamedButton(tr("<- Back"), QStringLiteral("Command4"));
  auto* next = NamedButton(tr("Next ->"), QStringLiteral("Command1"));

  auto* editButtons = new QVBoxLayout;
  editButtons->addStretch();
  editButtons->addWidget(remove);
  editButtons->addWidget(clear);
  editButtons->addStretch();

  auto* packageColumn = new QVBoxLayout;
  packageColumn->addWidget(packageLabel);
  packageColumn->addWidget(packageList_, 1);
  packageColumn->addWidget(playHint);

  auto* addColumn = new QVBoxLayout;
  addColumn->addStretch();
  addColumn->addWidget(addAll);
  addColumn->addStretch();

  auto* fileColumn = new QVBoxLayout;
  fileColumn->addWidget(soundDirLabel_);
  fileColumn->addWidget(fileList_, 1);
  fileColumn->addWidget(pattern);

  auto* lists = new QHBoxLayout;
  lists->addLayout(editButtons);
  lists->addLayout(packageColumn, 1);
  lists->addLayout(addColumn);
  lists->addLayout(fileColumn, 1);

  auto* moves = new QHBoxLayout;
  moves->addWidget(changeDir);
  moves->addStretch();
  moves->addWidget(back);
  moves->addStretch();
  moves->addWidget(next);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addLayout(lists, 1);
  layout->addSpacing(8);
  layout->addLayout(moves);
  setCentralWidget(central);
  resize(620, 400);

  // Pick files, add them, then look over the package.
  setTabOrder(fileList_, addAll);
  setTabOrder(addAll, packageList_);
  setTabOrder(packageList_, remove);
  setTabOrder(remove, clear);
  setTabOrder(clear, changeDir);
  setTabOrder(changeDir, back);
  setTabOrder(back, next);
  fileList_->setFocus();

  connect(fileList_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { AddFiles({fileList_->row(item)}); });
  connect(packageList_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { Play(packageList_->row(item)); });
  connect(addAll, &QPushButton::clicked, this, [this] {
    const int count = fileList_->count();
    std::vector<int> rows;
    for (int row = 0; row < count; ++row) rows.push_back(row);
    AddFiles(rows);
  });
  connect(remove, &QPushButton::clicked, this, &SoundsPage::RemoveSelected);
  connect(clear, &QPushButton::clicked, this, &SoundsPage::Clear);
  connect(changeDir, &QPushButton::clicked, this,
          [this] { ctx_.nav.Forward(PageId::Sounds, PageId::ChooseSoundDir); });
  connect(back, &QPushButton::clicked, this,
          [this] { ctx_.nav.Back(PageId::Sounds, PageId::SelectVoice); });
  connect(next, &QPushButton::clicked, this, &SoundsPage::Next);

  ListSoundDirectory();
}

void SoundsPage::ListSoundDirectory() {
  ProjectState& s = ctx_.state;
  QString label = tr("Files in Dir ") + ToQt(s.SoundDir);
  auto files = ListWavFiles(FsPath(s.SoundDir));
  if (!files) {
    // The directory is gone or unreadable: show its drive's root instead,
    // and keep that for the rest of the run so the script's paths agree.
    s.SoundDir = DriveRoot(s.SoundDrive);
    label = tr("Files in Drive ") + ToQt(s.SoundDir);
    files = ListWavFiles(FsPath(s.SoundDir));
  }
  soundDirLabel_->setText(label);
  files_ = files.value_or(std::vector<WavFileEntry>{});
  for (const WavFileEntry& file : files_) fileList_->addItem(DisplayName(file));
  if (fileList_->count() > 0) fileList_->setCurrentRow(0);
}

void SoundsPage::AddFiles(const std::vector<int>& rows) {
  QStringList refused;
  QStringList warned;
  for (int row : rows) {
    if (row < 0 || static_cast<std::size_t>(row) >= files_.size()) continue;
    const WavFileEntry& file = files_[static_cast<std::size_t>(row)];
    const QString shown = DisplayName(file);
    if (const QString problem = NameProblem(file); !problem.isEmpty()) {
      refused << shown + QStringLiteral(": ") + problem;
      continue;
    }
    const WavVerdict verdict = InspectWavFile(file.path);
    const QString reason = ToQt(verdict.reason);
    switch (verdict.kind) {
      case WavVerdictKind::Refused:
        refused << shown + QStringLiteral(": ") + reason;
        continue;
      case WavVerdictKind::ImportableWithWarning:
        warned << shown + QStringLiteral(": ") + reason;
        break;
      case WavVerdictKind::Importable:
        break;
    }
    if (const auto twin = CaseTwin(names_, SoundName(file.name))) {
      refused << shown + QStringLiteral(": ") +
                     tr("its name differs from %1 only in letter case, and the game takes the two "
                        "for one sound")
                         .arg(ToQt(*twin));
      continue;
    }
    Insert(SoundName(file.name));
  }

  if (!refused.isEmpty()) {
    ctx_.dialogs.Message(
        this, tr("Sound files not added"),
        FileListMessage(tr("The game can't import these files, so they were not added:"), refused,
                        tr("Save them as uncompressed PCM .wav files of 8 or 16 bits, with a name "
                           "free of double quotes and special characters, and add them again.")),
        MessageIcon::Critical);
  }
  if (!warned.isEmpty()) {
    ctx_.dialogs.Message(
        this, tr("Sound files may not play everywhere"),
        FileListMessage(
            tr("These files were added, but some players of the game may not hear them:"), warned,
            tr("Mono files at 11025, 22050 or 44100 Hz play everywhere.")),
        MessageIcon::Exclamation);
  }
}

void SoundsPage::Insert(std::string name) {
  const QString shown = ToQt(name);
  const std::size_t at = InsertSorted(names_, std::move(name));
  packageList_->insertItem(static_cast<int>(at), shown);
}

void SoundsPage::SetPackageList(const std::vector<std::string>& lines) {
  Clear();
  for (const std::string& line : lines) Insert(line);
}

void SoundsPage::RemoveSelected() {
  const QList<QListWidgetItem*> selected = packageList_->selectedItems();
  if (selected.isEmpty()) return;
  const int row = packageList_->row(selected.front());
  delete packageList_->takeItem(row);
  names_.erase(names_.begin() + row);
}

void SoundsPage::Clear() {
  packageList_->clear();
  names_.clear();
}

void SoundsPage::Play(int row) {
  const std::string name = row >= 0 && static_cast<std::size_t>(row) < names_.size()
                               ? names_[static_cast<std::size_t>(row)]
                               : std::string();
  const QString path = ToQt(SoundFileText(ctx_.state.SoundDir, name));
  if (!ctx_.player.HasOutput()) {
    ctx_.dialogs.Message(this, NoOutputTitle(), NoOutputText(), MessageIcon::Exclamation);
    return;
  }
  if (!ctx_.player.Play(path)) {
    ctx_.dialogs.Message(this, tr("Error playing soundfile"),
                         tr("Error Playing File: '") + path + QStringLiteral("'"),
                         MessageIcon::Critical);
  }
}

void SoundsPage::Next() {
  ctx_.state.Sounds = names_;
  if (!WriteSoundList(ctx_.programDir, names_)) {
    const QString path = QString::fromStdString(SoundListPath(ctx_.programDir).string());
    ctx_.dialogs.Message(this, tr("Can't write the sound list"),
                         tr("The sound list '%1' can't be written.\rMake sure that the program's "
                            "directory exists, is not read-only and has free space, then press "
                            "\"Next ->\" again.")
                             .arg(path),
                         MessageIcon::Critical);
    return;
  }
  ctx_.nav.Forward(PageId::Sounds, PageId::Script);
}

bool SoundsPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return Page::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (watched == fileList_ && enter) {
    const int row = fileList_->currentRow();
    if (row < 0) return true;
    AddFiles({row});
    // On to the next file, so that Enter after Enter adds file after file.
    fileList_->setCurrentRow(std::min(row + 1, fileList_->count() - 1));
    return true;
  }
  if (watched == packageList_ && enter) {
    if (packageList_->currentItem() != nullptr) Play(packageList_->currentRow());
    return true;
  }
  if (watched == packageList_ && key == Qt::Key_Delete) {
    RemoveSelected();
    return true;
  }
  return Page::eventFilter(watched, event);
}

}  // namespace voxmire
