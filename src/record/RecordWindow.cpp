#include "record/RecordWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <filesystem>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "project/Ini.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"
#include "record/AudioInput.h"
#include "record/LevelBar.h"
#include "record/Takes.h"
#include "sounds/PackSounds.h"
#include "sounds/SoundPlayer.h"

namespace voxmire {
namespace {

// The input the user chose last, by the id the system gives it.
constexpr std::string_view kInputKey = "RecordInput";
// The sound page's choice: the same sounds should come out alike.
constexpr std::string_view kEvenLoudnessKey = "chkEvenLoudness";

QString LineText(const RecordLine& line) {
  const QString prompt = line.Tab == WorkAreaTab::Names ? QString() : ToQt(line.Prompt);
  QString text = ToQt(LinePlace(line));
  if (!prompt.isEmpty()) text += QStringLiteral(": ") + prompt;
  return text;
}

QString TakeSeconds(const std::filesystem::path& file) {
  std::error_code ec;
  const auto bytes = std::filesystem::file_size(file, ec);
  if (ec || bytes < 44) return QObject::tr("missing");
  return QObject::tr("%1 s").arg(static_cast<double>(bytes - 44) / (2.0 * TakeRecorder::kRate), 0,
                                 'f', 1);
}

}  // namespace

RecordWindow::RecordWindow(AppContext& ctx)
    : Page(ctx, QStringLiteral("frmRecord"), QStringLiteral("Record Lines")),
      input_(std::make_unique<AudioInput>()) {
  AddSharedMenus();

  auto* linesLabel = new QLabel(tr("&Lines:"));
  lineList_ = new QListWidget;
  lineList_->setObjectName(QStringLiteral("lstLines"));
  lineList_->setSelectionMode(QAbstractItemView::SingleSelection);
  lineList_->setUniformItemSizes(true);
  lineList_->setIconSize(QSize(14, 14));
  lineList_->setMinimumWidth(260);
  Buddy(linesLabel, lineList_);
  lineList_->setAccessibleDescription(
      tr("Up and Down or Page Up and Page Down choose the line to record"));
  missingOnly_ = new QCheckBox(tr("&Only lines without a sound"));
  Name(missingOnly_, QStringLiteral("chkMissingOnly"), missingOnly_->text());

  place_ = new QLabel;
  place_->setObjectName(QStringLiteral("lblPlace"));
  place_->setTextFormat(Qt::PlainText);
  place_->setWordWrap(true);
  prompt_ = new QLabel;
  prompt_->setObjectName(QStringLiteral("lblPrompt"));
  prompt_->setTextFormat(Qt::PlainText);
  prompt_->setWordWrap(true);
  prompt_->setAlignment(Qt::AlignCenter);
  prompt_->setMinimumHeight(90);
  prompt_->setFrameShape(QFrame::StyledPanel);
  QFont big = prompt_->font();
  big.setPointSize(big.pointSize() * 2 + 4);
  big.setBold(true);
  prompt_->setFont(big);
  prompt_->setAccessibleName(tr("Line to say"));

  auto* inputLabel = new QLabel(tr("&Input:"));
  inputs_ = new QComboBox;
  inputs_->setObjectName(QStringLiteral("cboInput"));
  inputs_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  Buddy(inputLabel, inputs_);
  noInput_ = new QLabel(
      tr("No audio input was found. Connect a microphone; it is listed here as soon as the "
         "system offers it. The takes recorded so far can still be played."));
  noInput_->setObjectName(QStringLiteral("lblNoInput"));
  noInput_->setWordWrap(true);
  noInput_->setStyleSheet(QStringLiteral("color: #b02a20;"));
  evenLoudness_ = new QCheckBox(tr("&Even out loudness"));
  Name(evenLoudness_, QStringLiteral("chkEvenLoudness"), evenLoudness_->text());
  evenLoudness_->setToolTip(tr("Bring every take to the same loudness (-16 LUFS)"));
  evenLoudness_->setChecked(ReadIniValue("Config", kEvenLoudnessKey, ctx_.PrefsIni()) == "1");

  auto* levelLabel = new QLabel(tr("Level:"));
  level_ = new LevelBar;
  level_->setObjectName(QStringLiteral("barLevel"));
  levelText_ = new QLabel(LevelBar::Describe({}));
  levelText_->setObjectName(QStringLiteral("lblLevel"));
  levelText_->setMinimumWidth(levelText_->fontMetrics().horizontalAdvance(
      LevelBar::Describe({-10.0, -10.0, true}) + QStringLiteral("MM")));

  record_ = NamedButton(tr("Record"), QStringLiteral("cmdRecord"));
  record_->setToolTip(tr("Space starts and stops a take; R records the line again"));
  play_ = NamedButton(tr("Play"), QStringLiteral("cmdPlay"));
  play_->setToolTip(tr("P plays the chosen take"));
  record_->setMinimumWidth(120);

  auto* takesLabel = new QLabel(tr("&Takes of this line:"));
  takeList_ = new QListWidget;
  takeList_->setObjectName(QStringLiteral("lstTakes"));
  takeList_->setSelectionMode(QAbstractItemView::SingleSelection);
  takeList_->setMaximumHeight(110);
  Buddy(takesLabel, takeList_);
  useTake_ = NamedButton(tr("&Use This Take"), QStringLiteral("cmdUseTake"));
  deleteTake_ = NamedButton(tr("&Delete Take"), QStringLiteral("cmdDeleteTake"));
  auto* close = NamedButton(tr("&Close"), QStringLiteral("cmdClose"));

  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("lblStatus"));
  status_->setTextFormat(Qt::PlainText);
  status_->setWordWrap(true);
  status_->setAccessibleName(tr("Status"));
  auto* keys =
      new QLabel(tr("Space: record / stop    R: record again    P: play    "
                    "Page Up / Page Down: line    Escape: close"));
  keys->setObjectName(QStringLiteral("lblKeys"));
  keys->setWordWrap(true);

  auto* left = new QVBoxLayout;
  left->addWidget(linesLabel);
  left->addWidget(lineList_, 1);
  left->addWidget(missingOnly_);

  auto* inputRow = new QHBoxLayout;
  inputRow->addWidget(inputLabel);
  inputRow->addWidget(inputs_, 1);
  inputRow->addSpacing(12);
  inputRow->addWidget(evenLoudness_);

  auto* levelRow = new QHBoxLayout;
  levelRow->addWidget(levelLabel);
  levelRow->addWidget(level_, 1);
  levelRow->addWidget(levelText_);

  auto* takeButtons = new QHBoxLayout;
  takeButtons->addWidget(record_);
  takeButtons->addWidget(play_);
  takeButtons->addStretch();

  auto* takeEdit = new QVBoxLayout;
  takeEdit->addWidget(useTake_);
  takeEdit->addWidget(deleteTake_);
  takeEdit->addStretch();
  auto* takesRow = new QHBoxLayout;
  takesRow->addWidget(takeList_, 1);
  takesRow->addLayout(takeEdit);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(keys, 1);
  bottom->addWidget(close, 0, Qt::AlignBottom);

  auto* right = new QVBoxLayout;
  right->addWidget(place_);
  right->addWidget(prompt_, 1);
  right->addLayout(inputRow);
  right->addWidget(noInput_);
  right->addLayout(levelRow);
  right->addLayout(takeButtons);
  right->addWidget(status_);
  right->addWidget(takesLabel);
  right->addLayout(takesRow);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 2);
  columns->addLayout(right, 3);
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addLayout(columns, 1);
  layout->addLayout(bottom);
  setCentralWidget(central);
  resize(860, 520);

  setTabOrder(lineList_, missingOnly_);
  setTabOrder(missingOnly_, inputs_);
  setTabOrder(inputs_, evenLoudness_);
  setTabOrder(evenLoudness_, record_);
  setTabOrder(record_, play_);
  setTabOrder(play_, takeList_);
  setTabOrder(takeList_, useTake_);
  setTabOrder(useTake_, deleteTake_);
  setTabOrder(deleteTake_, close);
  // Space presses the button or box that has the focus, and records
  // everywhere else.
  for (QWidget* w : std::initializer_list<QWidget*>{missingOnly_, evenLoudness_, record_, play_,
                                                    useTake_, deleteTake_, close}) {
    w->installEventFilter(this);
  }

  const auto shortcut = [this](QKeySequence keys, auto slot) {
    auto* s = new QShortcut(keys, this);
    s->setContext(Qt::WindowShortcut);
    connect(s, &QShortcut::activated, this, slot);
  };
  shortcut(QKeySequence(Qt::Key_Space), [this] { Taking() ? StopTake() : (void)StartTake(); });
  shortcut(QKeySequence(Qt::Key_R), [this] {
    if (!Taking()) StartTake();
  });
  shortcut(QKeySequence(Qt::Key_P), [this] { PlayTake(); });
  shortcut(QKeySequence(Qt::Key_PageDown), [this] { Move(1); });
  shortcut(QKeySequence(Qt::Key_PageUp), [this] { Move(-1); });
  shortcut(QKeySequence(Qt::Key_Escape), [this] { this->close(); });

  connect(lineList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size()) return;
    current_ = shown_[static_cast<std::size_t>(row)];
    ShowLine();
  });
  connect(missingOnly_, &QCheckBox::toggled, this, &RecordWindow::FillLines);
  connect(inputs_, &QComboBox::activated, this, &RecordWindow::DeviceChosen);
  connect(evenLoudness_, &QCheckBox::toggled, this, [this](bool on) {
    WriteIniValue("Config", kEvenLoudnessKey, on ? "1" : "0", ctx_.PrefsIni());
  });
  connect(record_, &QPushButton::clicked, this,
          [this] { Taking() ? StopTake() : (void)StartTake(); });
  connect(play_, &QPushButton::clicked, this, &RecordWindow::PlayTake);
  connect(takeList_, &QListWidget::itemDoubleClicked, this, &RecordWindow::PlayTake);
  connect(takeList_, &QListWidget::currentRowChanged, this, [this] {
    useTake_->setEnabled(!Taking() && !SelectedTake().isEmpty());
    deleteTake_->setEnabled(!Taking() && !SelectedTake().isEmpty());
  });
  connect(useTake_, &QPushButton::clicked, this, &RecordWindow::UseSelectedTake);
  connect(deleteTake_, &QPushButton::clicked, this, &RecordWindow::DeleteSelectedTake);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(input_.get(), &AudioInput::DevicesChanged, this, &RecordWindow::FillDevices);
  connect(input_.get(), &AudioInput::DeviceLost, this, &RecordWindow::Lost);

  // The meter is drawn at 30 frames a second, whatever size the blocks come in.
  meterTimer_.setInterval(33);
  meterTimer_.setTimerType(Qt::PreciseTimer);
  connect(&meterTimer_, &QTimer::timeout, this, &RecordWindow::Tick);
  clock_.start();

  lines_ = RecordLines(ctx_.state.Tables);
  FillLines();
  FillDevices();
  SetTakingControls();
  lineList_->setFocus();
}

RecordWindow::~RecordWindow() = default;

void RecordWindow::FillLines() {
  const int keep = current_;
  shown_.clear();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    // The line at hand stays in the list while it is being worked on.
    if (!missingOnly_->isChecked() || !lines_[i].HasSound || static_cast<int>(i) == keep) {
      shown_.push_back(static_cast<int>(i));
    }
  }
  const QIcon done = style()->standardIcon(QStyle::SP_DialogApplyButton);
  QSignalBlocker block(lineList_);
  lineList_->clear();
  int row = 0;
  for (std::size_t r = 0; r < shown_.size(); ++r) {
    const RecordLine& line = lines_[static_cast<std::size_t>(shown_[r])];
    auto* item = new QListWidgetItem(LineText(line));
    if (line.HasSound) item->setIcon(done);
    item->setData(Qt::AccessibleDescriptionRole,
                  line.HasSound ? tr("has a sound") : tr("no sound yet"));
    lineList_->addItem(item);
    if (shown_[r] == keep) row = static_cast<int>(r);
  }
  current_ = shown_.empty() ? -1 : shown_[static_cast<std::size_t>(row)];
  if (!shown_.empty()) lineList_->setCurrentRow(row);
  ShowLine();
}

void RecordWindow::ReloadLines() {
  const std::string key =
      current_ < 0 ? std::string() : lines_[static_cast<std::size_t>(current_)].Key;
  std::vector<RecordLine> lines = RecordLines(ctx_.state.Tables);
  if (lines == lines_) return;
  lines_ = std::move(lines);
  current_ = -1;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].Key == key) current_ = static_cast<int>(i);
  }
  FillLines();
}

void RecordWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !Taking()) ReloadLines();
  Page::changeEvent(event);
}

const RecordLine* RecordWindow::CurrentLine() const {
  return current_ < 0 ? nullptr : &lines_[static_cast<std::size_t>(current_)];
}

bool RecordWindow::GoToLine(const std::string& key) {
  for (std::size_t r = 0; r < shown_.size(); ++r) {
    if (lines_[static_cast<std::size_t>(shown_[r])].Key == key) {
      lineList_->setCurrentRow(static_cast<int>(r));
      return true;
    }
  }
  return false;
}

void RecordWindow::Move(int step) {
  if (Taking() || shown_.empty()) return;
  const int row = std::clamp(lineList_->currentRow() + step, 0, lineList_->count() - 1);
  lineList_->setCurrentRow(row);
}

void RecordWindow::ShowLine() {
  const RecordLine* line = CurrentLine();
  if (line == nullptr) {
    place_->setText(tr("The tables have no lines yet: create rows in the work area first."));
    prompt_->clear();
    prompt_->setAccessibleDescription(QString());
    ShowTakes();
    SetTakingControls();
    return;
  }
  const std::string_view sound = LineSound(ctx_.state.Tables, *line);
  const QString soundText = sound.empty() ? tr("no sound yet") : tr("sound: %1").arg(ToQt(sound));
  place_->setText(
      tr("%1 (index %2), %3").arg(ToQt(LinePlace(*line))).arg(line->Index).arg(soundText));
  const QString prompt =
      line->Prompt.empty() ? tr("(this row has no text yet)") : ToQt(line->Prompt);
  prompt_->setText(prompt);
  // A screen reader hears the line with its place when the prompt changes.
  prompt_->setAccessibleDescription(prompt + QStringLiteral(" - ") + place_->text());
  ShowTakes();
  SetTakingControls();
}

void RecordWindow::ShowTakes() {
  QSignalBlocker block(takeList_);
  takeList_->clear();
  const RecordLine* line = CurrentLine();
  const LineTakes* takes = line ? FindTakes(ctx_.state, line->Key) : nullptr;
  if (takes == nullptr) return;
  int usedRow = takes->Files.empty() ? -1 : static_cast<int>(takes->Files.size()) - 1;
  for (std::size_t i = 0; i < takes->Files.size(); ++i) {
    const std::string& file = takes->Files[i];
    const auto path = TakeFile(ctx_.places, ctx_.state, file);
    // Numbered as their files are, so that a deleted take leaves a gap
    // rather than renaming the ones after it.
    const int number = TakeNumber(file);
    QString text = tr("Take %1 (%2)")
                       .arg(number > 0 ? number : static_cast<int>(i) + 1)
                       .arg(path ? TakeSeconds(*path) : tr("missing"));
    if (file == takes->Used) {
      text += tr(", in use");
      usedRow = static_cast<int>(i);
    }
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, ToQt(file));
    item->setToolTip(ToQt(file));
    takeList_->addItem(item);
  }
  takeList_->setCurrentRow(usedRow);
}

QString RecordWindow::SelectedTake() const {
  const QListWidgetItem* item = takeList_->currentItem();
  return item == nullptr ? QString() : item->data(Qt::UserRole).toString();
}

void RecordWindow::FillDevices() {
  const QList<InputDevice> devices = input_->Devices();
  const QByteArray remembered =
      QByteArray::fromStdString(ReadIniValue("Config", kInputKey, ctx_.PrefsIni()));
  QByteArray chosen = inputs_->currentData().toByteArray();
  const auto listed = [&](const QByteArray& id) {
    return std::any_of(devices.begin(), devices.end(),
                       [&](const InputDevice& d) { return d.id == id; });
  };
  // The remembered input wins whenever it is there; then the one shown,
  // then the system's own choice.
  if (!remembered.isEmpty() && listed(remembered)) chosen = remembered;
  if (!listed(chosen)) chosen = input_->DefaultDevice();
  if (!listed(chosen) && !devices.isEmpty()) chosen = devices.front().id;

  QSignalBlocker block(inputs_);
  inputs_->clear();
  for (const InputDevice& device : devices) {
    inputs_->addItem(device.description, device.id);
    if (device.id == chosen) inputs_->setCurrentIndex(inputs_->count() - 1);
  }
  noInput_->setVisible(devices.isEmpty());
  SetTakingControls();
}

void RecordWindow::DeviceChosen() {
  WriteIniValue("Config", kInputKey, inputs_->currentData().toByteArray().toStdString(),
                ctx_.PrefsIni());
}

bool RecordWindow::EvenLoudness() const { return evenLoudness_->isChecked(); }

void RecordWindow::SetTakingControls() {
  const bool taking = Taking();
  const bool canRecord = taking || (inputs_->count() > 0 && CurrentLine() != nullptr);
  record_->setEnabled(canRecord);
  record_->setText(taking ? tr("Stop") : tr("Record"));
  if (record_->accessibleName() != record_->text()) record_->setAccessibleName(record_->text());
  lineList_->setEnabled(!taking);
  missingOnly_->setEnabled(!taking);
  inputs_->setEnabled(!taking && inputs_->count() > 0);
  play_->setEnabled(!taking && takeList_->count() > 0);
  takeList_->setEnabled(!taking);
  useTake_->setEnabled(!taking && !SelectedTake().isEmpty());
  deleteTake_->setEnabled(!taking && !SelectedTake().isEmpty());
}

bool RecordWindow::StartTake() {
  if (Taking()) return true;
  const RecordLine* line = CurrentLine();
  if (line == nullptr) return false;
  if (inputs_->count() == 0) {
    status_->setText(tr("There is no input to record from."));
    return false;
  }
  const std::filesystem::path dir = PackTakesDir(ctx_.places, ctx_.state.VoicePackName);
  if (!PrepareWritableDir(dir)) {
    ctx_.dialogs.Message(this, tr("Can't record"),
                         tr("The folder '%1' can't be written, so no take could be kept.\rMake "
                            "sure that the program's directory is not read-only and has free "
                            "space.")
                             .arg(ToQt(PathText(dir))),
                         MessageIcon::Critical);
    return false;
  }
  std::error_code ec;
  const std::filesystem::space_info space = std::filesystem::space(dir, ec);
  recorder_.Start(ec ? 0 : space.available);
  if (!recorder_.Recording()) {
    ctx_.dialogs.Message(this, tr("Can't record"),
                         tr("The disk that holds '%1' is full: there is no room for a take.")
                             .arg(ToQt(PathText(dir))),
                         MessageIcon::Critical);
    return false;
  }
  const bool started = input_->Start(
      inputs_->currentData().toByteArray(), [this](std::span<const std::int16_t> block) {
        if (!recorder_.Add(block, clock_.elapsed() / 1000.0)) {
          // The take ended itself (the disk or its length):
          // finish it once the input has returned.
          QMetaObject::invokeMethod(this, &RecordWindow::StopTake, Qt::QueuedConnection);
        }
      });
  if (!started) {
    recorder_.Stop();
    recorder_.TakeSamples();
    status_->setText(input_->Problem());
    return false;
  }
  taking_ = current_;
  status_->setText(tr("Recording... Space stops."));
  meterTimer_.start();
  SetTakingControls();
  return true;
}

void RecordWindow::StopTake() {
  if (taking_ < 0) return;
  input_->Stop();
  recorder_.Stop();
  meterTimer_.stop();
  const TakeEnd end = recorder_.End();
  RecordLine& line = lines_[static_cast<std::size_t>(taking_)];
  taking_ = -1;
  ShowLevel();

  QString note = EndNote(end);
  if (!recorder_.HasSound()) {
    recorder_.TakeSamples();
    status_->setText(tr("Nothing was recorded."));
    SetTakingControls();
    if (!note.isEmpty()) {
      ctx_.dialogs.Message(this, tr("Take ended"), note + tr(" Nothing had been recorded yet."),
                           MessageIcon::Exclamation);
    }
    return;
  }
  const double seconds = recorder_.Seconds();
  const std::vector<std::int16_t> samples = recorder_.TakeSamples();
  const TakeResult result = KeepTake(ctx_.state, ctx_.places, line, samples, EvenLoudness());
  if (!result.Take.empty()) {
    // The table changed: the work area shows it, and the project keeps it.
    ctx_.keeper.TablesChanged();
    ctx_.keeper.SaveNow();
    line.HasSound = !LineSound(ctx_.state.Tables, line).empty();
  }
  Changed();
  if (result.Ok) {
    status_->setText(tr("Take kept (%1 s); the line's sound is now %2.")
                         .arg(seconds, 0, 'f', 1)
                         .arg(ToQt(result.Sound)));
  } else {
    status_->setText(ToQt(result.Problem));
    note = note.isEmpty() ? ToQt(result.Problem) : note + QLatin1Char('\r') + ToQt(result.Problem);
  }
  if (!note.isEmpty()) {
    ctx_.dialogs.Message(this, tr("Take ended"), note,
                         result.Take.empty() ? MessageIcon::Critical : MessageIcon::Exclamation);
  }
}

QString RecordWindow::EndNote(TakeEnd end) const {
  switch (end) {
    case TakeEnd::DeviceLost:
      return tr("The input went away during the take. What was recorded until then is kept.");
    case TakeEnd::DiskFull:
      return tr(
          "The disk is full: the take stopped where it had to. What was recorded until "
          "then is kept, and nothing recorded earlier is lost.");
    case TakeEnd::TooLong:
      return tr("The take stopped after %1 minutes, longer than any line.")
          .arg(TakeRecorder::kMaxSeconds / 60);
    case TakeEnd::None:
    case TakeEnd::Stopped:
      break;
  }
  return {};
}

void RecordWindow::Lost() {
  if (!Taking()) return;
  recorder_.DeviceLost();
  StopTake();
}

// A take changed the line: its list entry, its sound and its takes.
void RecordWindow::Changed() {
  const RecordLine* line = CurrentLine();
  if (line != nullptr) {
    const int row = lineList_->currentRow();
    if (QListWidgetItem* item = lineList_->item(row)) {
      item->setIcon(line->HasSound ? style()->standardIcon(QStyle::SP_DialogApplyButton) : QIcon());
      item->setData(Qt::AccessibleDescriptionRole,
                    line->HasSound ? tr("has a sound") : tr("no sound yet"));
    }
  }
  ShowLine();
}

void RecordWindow::PlayTake() {
  if (Taking()) return;
  const QString file = SelectedTake();
  if (file.isEmpty()) return;
  const auto path = TakeFile(ctx_.places, ctx_.state, FromQt(file));
  if (!path) return;
  if (!ctx_.player.HasOutput()) {
    ctx_.dialogs.Message(this, NoOutputTitle(), NoOutputText(), MessageIcon::Exclamation);
    return;
  }
  const QString text = QString::fromStdString(PathText(*path));
  if (!ctx_.player.Play(text)) {
    ctx_.dialogs.Message(this, tr("Error playing soundfile"),
                         tr("Error Playing File: '") + text + QStringLiteral("'"),
                         MessageIcon::Critical);
  }
}

void RecordWindow::UseSelectedTake() {
  const RecordLine* line = CurrentLine();
  const QString file = SelectedTake();
  if (line == nullptr || file.isEmpty() || Taking()) return;
  const TakeResult result = UseTake(ctx_.state, ctx_.places, *line, FromQt(file), EvenLoudness());
  if (!result.Ok) {
    ctx_.dialogs.Message(this, tr("Take not used"), ToQt(result.Problem), MessageIcon::Critical);
  }
  ctx_.keeper.TablesChanged();
  ctx_.keeper.SaveNow();
  lines_[static_cast<std::size_t>(current_)].HasSound =
      !LineSound(ctx_.state.Tables, *line).empty();
  Changed();
  if (result.Ok)
    status_->setText(tr("The line's sound %1 is made from this take now.").arg(ToQt(result.Sound)));
}

void RecordWindow::DeleteSelectedTake() {
  const RecordLine* line = CurrentLine();
  const QString file = SelectedTake();
  if (line == nullptr || file.isEmpty() || Taking()) return;
  const QString name = takeList_->currentItem()->text();
  if (!ctx_.dialogs.Confirm(this, tr("Delete take"),
                            tr("Delete %1 of this line? Its recording is gone for good; the "
                               "line's sound stays as it is.")
                                .arg(name),
                            MessageIcon::Exclamation)) {
    return;
  }
  std::string problem;
  if (!DeleteTake(ctx_.state, ctx_.places, line->Key, FromQt(file), problem)) {
    ctx_.dialogs.Message(this, tr("Take not deleted"), ToQt(problem), MessageIcon::Critical);
    return;
  }
  ctx_.keeper.SaveNow();
  status_->setText(tr("%1 deleted.").arg(name));
  ShowLine();
}

void RecordWindow::Tick() { ShowLevel(); }

void RecordWindow::ShowLevel() {
  const LevelReading reading = recorder_.Meter().Reading(clock_.elapsed() / 1000.0);
  level_->SetReading(reading);
  const QString text = LevelBar::Describe(reading);
  if (levelText_->text() != text) levelText_->setText(text);
  if (Taking()) {
    status_->setText(tr("Recording: %1 s. Space stops.").arg(recorder_.Seconds(), 0, 'f', 1));
  }
  SetTakingControls();
}

void RecordWindow::closeEvent(QCloseEvent* event) {
  // A take under way is kept before the window goes.
  if (Taking()) StopTake();
  Page::closeEvent(event);
}

bool RecordWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
      static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
    event->accept();  // the focused button or box takes its Space itself
    return true;
  }
  return Page::eventFilter(watched, event);
}

}  // namespace voxmire
