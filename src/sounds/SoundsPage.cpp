#include "SoundsPage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "core/Text1252.h"
#include "project/Ini.h"
#include "project/ProjectState.h"
#include "sounds/SoundList.h"
#include "sounds/SoundPlayer.h"

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

QString DisplayName(const SoundFileEntry& file) { return QString::fromStdString(file.name); }

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The entry of `names` that the game would take for `name`, if any.
const std::string* SameNameIn(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& n : names) {
    if (SameSoundName(n, name)) return &n;
  }
  return nullptr;
}

QString Checked(const QCheckBox* box) { return box->isChecked() ? "1" : "0"; }

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
  auto* pattern = new QLabel(tr("Sound files (wav, mp3, ogg, flac, aiff)"));
  pattern->setObjectName(QStringLiteral("Label2"));
  Buddy(packageLabel, packageList_);
  packageList_->setAccessibleDescription(playHint->text());
  fileList_->setAccessibleName(tr("Sound files"));
  fileList_->setAccessibleDescription(tr("Double click or press Enter to add a file"));

  auto* addAll = NamedButton(tr("<<"), QStringLiteral("Command5"), tr("Add all files"));
  auto* remove = NamedButton(tr("<-"), QStringLiteral("Command2"), tr("Remove the selected sound"));
  auto* clear = NamedButton(tr("<<"), QStringLiteral("Command6"), tr("Clear the package list"));
  for (QPushButton* small : {addAll, remove, clear}) {
    small->setToolTip(small->accessibleName());
    small->setFixedWidth(44);
  }
  // Both apply to the files added next; with either ticked every file is
  // converted, even one the game could import as it is.
  evenLoudness_ = new QCheckBox(tr("Even out loudness"));
  Name(evenLoudness_, QStringLiteral("chkEvenLoudness"), evenLoudness_->text());
  evenLoudness_->setToolTip(tr("Bring every sound added to the same loudness (-16 LUFS)"));
  trimSilence_ = new QCheckBox(tr("Trim silence"));
  Name(trimSilence_, QStringLiteral("chkTrimSilence"), trimSilence_->text());
  trimSilence_->setToolTip(tr("Cut the silence before and after every sound added"));
  const auto prefs = ctx_.PrefsIni();
  evenLoudness_->setChecked(ReadIniValue("Config", "chkEvenLoudness", prefs) == "1");
  trimSilence_->setChecked(ReadIniValue("Config", "chkTrimSilence", prefs) == "1");

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

  auto* options = new QHBoxLayout;
  options->addStretch();
  options->addWidget(evenLoudness_);
  options->addSpacing(16);
  options->addWidget(trimSilence_);

  auto* moves = new QHBoxLayout;
  moves->addWidget(changeDir);
  moves->addStretch();
  moves->addWidget(back);
  moves->addStretch();
  moves->addWidget(next);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addLayout(lists, 1);
  layout->addLayout(options);
  layout->addSpacing(8);
  layout->addLayout(moves);
  setCentralWidget(central);
  resize(620, 400);

  // Pick files, add them, then look over the package.
  setTabOrder(fileList_, addAll);
  setTabOrder(addAll, packageList_);
  setTabOrder(packageList_, remove);
  setTabOrder(remove, clear);
  setTabOrder(clear, evenLoudness_);
  setTabOrder(evenLoudness_, trimSilence_);
  setTabOrder(trimSilence_, changeDir);
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
  for (QCheckBox* box : {evenLoudness_, trimSilence_}) {
    connect(box, &QCheckBox::toggled, this, [this, box] {
      WriteIniValue("Config", FromQt(box->objectName()), FromQt(Checked(box)), ctx_.PrefsIni());
    });
  }

  ListSoundDirectory();
  FillPackageList();
}

void SoundsPage::ListSoundDirectory() {
  ProjectState& s = ctx_.state;
  QString label = tr("Files in Dir ") + ToQt(s.SoundDir);
  auto files = ListSoundFiles(FsPath(s.SoundDir));
  if (!files) {
    // The directory is gone or unreadable: show its drive's root instead,
    // and keep that for the rest of the run so the script's paths agree.
    s.SoundDir = DriveRoot(s.SoundDrive);
    label = tr("Files in Drive ") + ToQt(s.SoundDir);
    files = ListSoundFiles(FsPath(s.SoundDir));
  }
  soundDirLabel_->setText(label);
  files_ = files.value_or(std::vector<SoundFileEntry>{});
  for (const SoundFileEntry& file : files_) fileList_->addItem(DisplayName(file));
  if (fileList_->count() > 0) fileList_->setCurrentRow(0);
}

void SoundsPage::FillPackageList() {
  const ProjectState& s = ctx_.state;
  for (std::size_t i = 0; i < s.Sounds.size(); ++i) {
    auto* item = new QListWidgetItem(ToQt(s.Sounds[i]));
    packageList_->addItem(item);
    MarkConverted(s.Sounds[i], std::binary_search(s.ConvertedSounds.begin(),
                                                  s.ConvertedSounds.end(), s.Sounds[i]));
  }
}

ConvertOptions SoundsPage::Options() const {
  return {evenLoudness_->isChecked(), trimSilence_->isChecked()};
}

void SoundsPage::AddFiles(const std::vector<int>& rows) {
  ProjectState& s = ctx_.state;
  std::vector<const SoundFileEntry*> batch;
  std::vector<std::string> names;
  for (int row : rows) {
    if (row < 0 || static_cast<std::size_t>(row) >= files_.size()) continue;
    batch.push_back(&files_[static_cast<std::size_t>(row)]);
    names.push_back(GameSoundName(batch.back()->name));
  }

  // Two files that would become one sound: neither goes in, since either
  // would silently stand for the other.
  QStringList refused;
  std::vector<bool> skip(batch.size(), false);
  for (const NameClash& clash : FindNameClashes(names)) {
    QStringList clashing;
    for (std::size_t i : clash.files) {
      clashing << DisplayName(*batch[i]);
      skip[i] = true;
    }
    refused << tr("%1: these would be the same sound, %2")
                   .arg(clashing.join(tr(" and ")), ToQt(clash.soundName));
  }

  std::vector<SoundJob> jobs;
  std::vector<std::size_t> jobFiles;
  const std::string packName = s.VoicePackName;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (skip[i]) continue;
    if (const std::string* held = SameNameIn(s.Sounds, names[i])) {
      const auto source = sources_.find(Lower(*held));
      if (source == sources_.end() || source->second != batch[i]->path) {
        QString line = tr("%1: it would be the sound %2, which the package already holds")
                           .arg(DisplayName(*batch[i]), ToQt(*held));
        if (source != sources_.end()) {
          line += tr(" (from %1)").arg(QString::fromStdString(source->second.filename().string()));
        }
        refused << line;
        continue;
      }
      names[i] = *held;  // the same file again: its sound is made afresh
    }
    jobs.push_back({batch[i]->path, PackSoundFile(ctx_.places, packName, names[i])});
    jobFiles.push_back(i);
  }

  if (!jobs.empty()) {
    if (!PackFolderWritable(tr(", so no file was added"), tr("add the files again"))) return;
    const std::vector<PrepareResult> results = RunJobs(jobs);
    for (std::size_t k = 0; k < jobs.size(); ++k) {
      const std::size_t i = jobFiles[k];
      const PrepareResult& result = results[k];
      switch (result.outcome) {
        case PrepareOutcome::Copied:
        case PrepareOutcome::Converted:
          sources_[Lower(names[i])] = batch[i]->path;
          Insert(names[i], result.outcome == PrepareOutcome::Converted);
          break;
        case PrepareOutcome::Refused:
        case PrepareOutcome::WriteFailed:
          refused << DisplayName(*batch[i]) + QStringLiteral(": ") + ToQt(result.reason);
          break;
        case PrepareOutcome::Cancelled:
          break;
      }
    }
  }
  ReportRefused(refused);
}

void SoundsPage::ReportRefused(const QStringList& lines) {
  if (lines.isEmpty()) return;
  ctx_.dialogs.Message(
      this, tr("Sound files not added"),
      FileListMessage(tr("These files were not added:"), lines,
                      tr("Save a file that can't be read again as WAV, MP3, OGG, FLAC or AIFF. "
                         "Of two files that would be the same sound, rename one; to replace a "
                         "sound of the package, remove it first.")),
      MessageIcon::Critical);
}

std::vector<PrepareResult> SoundsPage::RunJobs(const std::vector<SoundJob>& jobs) {
  std::atomic<bool> cancel{false};
  std::atomic<std::size_t> done{0};
  std::atomic<bool> finished{false};
  std::vector<PrepareResult> results;
  const ConvertOptions options = Options();
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::thread worker([&] {
    results = PrepareSounds(jobs, options, threads, cancel, &done);
    finished = true;
  });

  // The page takes no input meanwhile: the jobs' files and the list belong
  // to this run until it ends.
  cancel_ = &cancel;
  centralWidget()->setEnabled(false);
  menuBar()->setEnabled(false);
  {
    QProgressDialog progress(tr("Preparing the sound files..."), tr("Cancel"), 0,
                             static_cast<int>(jobs.size()), this);
    progress.setObjectName(QStringLiteral("dlgConvert"));
    progress.setWindowTitle(tr("Adding sound files"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(progressDelay_);
    progress.setValue(0);
    connect(&progress, &QProgressDialog::canceled, this, [&cancel] { cancel = true; });

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(30);
    connect(&poll, &QTimer::timeout, &loop, [&] {
      // A cancelled dialog stays hidden while the files under way finish.
      if (progress.wasCanceled()) cancel = true;
      if (!cancel) progress.setValue(static_cast<int>(done.load()));
      if (finished) loop.quit();
    });
    poll.start();
    if (!finished) loop.exec();
  }
  // The loop also ends when the program quits: stop what hasn't started.
  if (!finished) cancel = true;
  worker.join();
  cancel_ = nullptr;
  centralWidget()->setEnabled(true);
  menuBar()->setEnabled(true);
  return results;
}

void SoundsPage::Insert(const std::string& name, bool converted) {
  std::vector<std::string>& sounds = ctx_.state.Sounds;
  if (std::find(sounds.begin(), sounds.end(), name) == sounds.end()) {
    const std::size_t at = InsertSorted(sounds, name);
    packageList_->insertItem(static_cast<int>(at), ToQt(name));
  }
  MarkConverted(name, converted);
}

void SoundsPage::MarkConverted(const std::string& name, bool converted) {
  std::vector<std::string>& marks = ctx_.state.ConvertedSounds;
  const auto at = std::lower_bound(marks.begin(), marks.end(), name);
  const bool marked = at != marks.end() && *at == name;
  if (converted && !marked) marks.insert(at, name);
  if (!converted && marked) marks.erase(at);

  const QString shown = ToQt(name);
  for (QListWidgetItem* item : packageList_->findItems(shown, Qt::MatchExactly)) {
    const QString note = converted ? tr("%1 (converted)").arg(shown) : QString();
    item->setToolTip(note);
    item->setData(Qt::AccessibleDescriptionRole, note);
  }
}

void SoundsPage::RemoveSelected() {
  const QList<QListWidgetItem*> selected = packageList_->selectedItems();
  if (selected.isEmpty()) return;
  const int row = packageList_->row(selected.front());
  std::vector<std::string>& sounds = ctx_.state.Sounds;
  const std::string name = sounds[static_cast<std::size_t>(row)];
  delete packageList_->takeItem(row);
  sounds.erase(sounds.begin() + row);
  MarkConverted(name, false);
  sources_.erase(Lower(name));
}

void SoundsPage::Clear() {
  packageList_->clear();
  ctx_.state.Sounds.clear();
  ctx_.state.ConvertedSounds.clear();
  sources_.clear();
}

void SoundsPage::Play(int row) {
  const ProjectState& s = ctx_.state;
  const std::string name = row >= 0 && static_cast<std::size_t>(row) < s.Sounds.size()
                               ? s.Sounds[static_cast<std::size_t>(row)]
                               : std::string();
  // The pack's own copy is what the game will get; a list from before the
  // pack had a folder still plays from the sound directory.
  const std::filesystem::path copy = PackSoundFile(ctx_.places, s.VoicePackName, name);
  std::error_code ec;
  const QString path = !name.empty() && std::filesystem::is_regular_file(copy, ec)
                           ? QString::fromStdString(PathText(copy))
                           : ToQt(SoundFileText(s.SoundDir, name));
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

bool SoundsPage::FetchMissingSounds() {
  ProjectState& s = ctx_.state;
  std::vector<SoundJob> jobs;
  std::vector<std::string> fetched;  // the list's names, renamed
  std::vector<std::string> newNames;
  QStringList missing;
  for (const std::string& name : s.Sounds) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(PackSoundFile(ctx_.places, s.VoicePackName, name), ec)) {
      continue;
    }
    // Where the script used to look for it: <SoundDir><name>.wav.
    const std::filesystem::path old = FsPath(SoundFileText(s.SoundDir, name));
    const std::string newName = GameSoundName(Cp1252ToUtf8(name) + ".wav");
    if (s.SoundDir.empty() || !std::filesystem::is_regular_file(old, ec) ||
        SameNameIn(newNames, newName) != nullptr) {
      missing << ToQt(name);
      continue;
    }
    jobs.push_back({old, PackSoundFile(ctx_.places, s.VoicePackName, newName)});
    fetched.push_back(name);
    newNames.push_back(newName);
  }
  if (!missing.isEmpty()) {
    ctx_.dialogs.Message(
        this, tr("Sounds missing"),
        FileListMessage(
            tr("These sounds are neither in the pack's folder nor in '%1':").arg(ToQt(s.SoundDir)),
            missing, tr("Remove them from the package, or add their files again.")),
        MessageIcon::Critical);
    return false;
  }
  if (jobs.empty()) return true;
  if (!PackFolderWritable(QString(), tr("press \"Next ->\" again"))) return false;
  const std::vector<PrepareResult> results = RunJobs(jobs);
  QStringList refused;
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    const PrepareResult& r = results[k];
    if (r.outcome == PrepareOutcome::Copied || r.outcome == PrepareOutcome::Converted) {
      // Renamed to a name the game can hold, where the old one couldn't.
      const auto at = std::find(s.Sounds.begin(), s.Sounds.end(), fetched[k]);
      if (at != s.Sounds.end() && fetched[k] != newNames[k]) {
        delete packageList_->takeItem(static_cast<int>(at - s.Sounds.begin()));
        s.Sounds.erase(at);
        MarkConverted(fetched[k], false);
      }
      Insert(newNames[k], r.outcome == PrepareOutcome::Converted);
    } else if (r.outcome != PrepareOutcome::Cancelled) {
      refused << QString::fromStdString(jobs[k].source.filename().string()) + QStringLiteral(": ") +
                     ToQt(r.reason);
    }
  }
  ReportRefused(refused);
  return refused.isEmpty() &&
         std::none_of(results.begin(), results.end(), [](const PrepareResult& r) {
           return r.outcome == PrepareOutcome::Cancelled;
         });
}

void SoundsPage::Next() {
  if (!FetchMissingSounds()) return;
  if (!WriteSoundList(ctx_.places, ctx_.state.Sounds)) {
    const QString path = QString::fromStdString(SoundListPath(ctx_.places).string());
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

void SoundsPage::closeEvent(QCloseEvent* event) {
  // Closing mid-conversion would pull the page from under the jobs: ask
  // them to stop, and close once they have.
  if (cancel_ != nullptr) {
    *cancel_ = true;
    event->ignore();
    return;
  }
  Page::closeEvent(event);
}

bool SoundsPage::PackFolderWritable(const QString& consequence, const QString& retry) {
  const std::filesystem::path folder = PackSoundsDir(ctx_.places, ctx_.state.VoicePackName);
  if (PrepareWritableDir(folder)) return true;
  ctx_.dialogs.Message(this, tr("Can't write the pack's sounds"),
                       tr("The folder '%1' can't be written%2.\rMake sure that the program's "
                          "directory is not read-only and has free space, then %3.")
                           .arg(QString::fromStdString(PathText(folder)), consequence, retry),
                       MessageIcon::Critical);
  return false;
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
