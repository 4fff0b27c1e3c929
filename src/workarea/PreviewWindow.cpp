#include "workarea/PreviewWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "game/GameSounds.h"
#include "game/SoundLengths.h"
#include "output/ScriptTemplate.h"
#include "project/ProjectState.h"
#include "sounds/SoundPlayer.h"

namespace voxmire {
namespace {

QString Seconds(double seconds) { return ToQt(TimeText(seconds)) + QStringLiteral(" s"); }

// One line of the schedule: when, what, and how it ends.
QString ScheduleLine(const ScheduledPhrase& phrase) {
  QString line = Seconds(phrase.Start) + QStringLiteral(": ") + ToQt(phrase.What);
  if (!phrase.Text.empty()) line += QStringLiteral(", \"") + ToQt(phrase.Text) + QLatin1Char('"');
  if (IsNoSound(phrase.Sound)) return line + QObject::tr(", no sound (silence)");
  line += QStringLiteral(", ") + ToQt(phrase.Sound);
  line += phrase.Length ? QStringLiteral(" (") + Seconds(*phrase.Length) + QLatin1Char(')')
                        : QObject::tr(" (length unknown)");
  if (phrase.CutAt) line += QObject::tr(", cut off after ") + Seconds(*phrase.CutAt);
  return line;
}

QString EntryText(const MenuEntry& entry) {
  QString text =
      entry.Shown.empty() ? QObject::tr("(blank: the menu shows nothing here)") : ToQt(entry.Shown);
  if (entry.Mature) text += QObject::tr("  [mature]");
  if (entry.FromBase) text += QObject::tr("  [the base voice's]");
  return text;
}

QComboBox* Choice(const char* name) {
  auto* box = new QComboBox;
  box->setObjectName(QString::fromLatin1(name));
  box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return box;
}

}  // namespace

PhrasePlayer::PhrasePlayer(SoundPlayer& player, QObject* parent)
    : QObject(parent), player_(player) {}

void PhrasePlayer::Stop() {
  for (QTimer* timer : timers_) delete timer;
  timers_.clear();
}

void PhrasePlayer::Play(const PhraseSequence& sequence, const FileFor& fileFor) {
  Stop();
  for (const ScheduledPhrase& phrase : sequence.Phrases) {
    const std::optional<QString> file = fileFor(phrase);
    if (!file) continue;  // silence: what plays goes on until the next phrase
    if (phrase.Start <= 0) {
      player_.Play(*file);
      continue;
    }
    // The one player stops the phrase before, as the game's sound slots do.
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, timer, path = *file] {
      std::erase(timers_, timer);
      timer->deleteLater();
      player_.Play(path);
    });
    timers_.push_back(timer);
    timer->start(static_cast<int>(phrase.Start * 1000 + 0.5));
  }
}

PreviewWindow::PreviewWindow(AppContext& ctx)
    : Page(ctx, QStringLiteral("frmPreview"), tr("Preview of the Voice Pack")) {
  AddSharedMenus();
  const auto head = PackScriptHead(ctx.places, ctx.state);
  lengths_ = std::make_unique<GameSoundLengths>(ctx.state, ctx.places, ctx.home,
                                                head.value_or(std::string()));
  pack_ = PackDefaults(ctx.state.Tables, BaseDefaults(PackParentClass(head, ctx.state)), *lengths_);
  phrases_ = new PhrasePlayer(ctx.player, this);

  auto* menuLabel = new QLabel(tr("The game's speech menu:"));
  menu_ = new QTreeWidget;
  menu_->setObjectName(QStringLiteral("tvwMenu"));
  menu_->setColumnCount(2);
  menu_->setHeaderLabels({tr("Entry"), tr("Shown in the menu")});
  menu_->setUniformRowHeights(true);
  Buddy(menuLabel, menu_);
  FillMenu(SpeechMenu(ctx.state.Tables, pack_));

  ack_ = Choice("cboAck");
  for (int i = 0; i < std::min(pack_.NumAcks, SlotCount(VoiceCategory::Ack)); ++i) {
    ack_->addItem(QString::number(i + 1) + QStringLiteral(": ") +
                      ToQt(pack_.Acks[static_cast<std::size_t>(i)].String),
                  i);
  }
  ackLeader_ = Choice("cboAckLeader");
  leader_ = Choice("cboLeader");
  for (std::size_t i = 0; i < kLeaderLabels.size(); ++i) {
    ackLeader_->addItem(ToQt(kLeaderLabels[i]), static_cast<int>(i));
    leader_->addItem(ToQt(kLeaderLabels[i]), static_cast<int>(i));
  }
  order_ = Choice("cboOrder");
  for (const OrderSlot& slot : kOrderSlots) order_->addItem(ToQt(slot.Label), slot.Number);
  QPushButton* playAck = NamedButton(tr("&Play"), QStringLiteral("cmdPlayAck"),
                                     tr("Play the acknowledgement and the name"));
  QPushButton* playOrder =
      NamedButton(tr("P&lay"), QStringLiteral("cmdPlayOrder"), tr("Play the name and the order"));
  ack_->setEnabled(ack_->count() > 0);
  playAck->setEnabled(ack_->count() > 0);

  auto* sequences = new QGridLayout;
  const auto row = [&](int r, const QString& first, QComboBox* a, const QString& second,
                       QComboBox* b, QPushButton* play) {
    auto* firstLabel = new QLabel(first);
    auto* secondLabel = new QLabel(second);
    Buddy(firstLabel, a);
    Buddy(secondLabel, b);
    sequences->addWidget(firstLabel, r, 0);
    sequences->addWidget(a, r, 1);
    sequences->addWidget(secondLabel, r, 2);
    sequences->addWidget(b, r, 3);
    sequences->addWidget(play, r, 4);
  };
  row(0, tr("Acknowledgement:"), ack_, tr("then the name of:"), ackLeader_, playAck);
  row(1, tr("Leader's name:"), leader_, tr("then the order:"), order_, playOrder);
  sequences->setColumnStretch(5, 1);

  auto* scheduleLabel = new QLabel(tr("What plays when:"));
  schedule_ = new QListWidget;
  schedule_->setObjectName(QStringLiteral("lstSchedule"));
  Buddy(scheduleLabel, schedule_);
  ends_ = new QLabel;
  ends_->setObjectName(QStringLiteral("lblEnds"));
  ends_->setWordWrap(true);

  auto* sequenceBox = new QGroupBox(tr("Sequences, with the pack's times"));
  auto* sequenceLayout = new QVBoxLayout(sequenceBox);
  sequenceLayout->addLayout(sequences);
  sequenceLayout->addWidget(scheduleLabel);
  sequenceLayout->addWidget(schedule_, 1);
  sequenceLayout->addWidget(ends_);

  QPushButton* close = NamedButton(tr("&Close"), QStringLiteral("cmdClose"));
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(close);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(menuLabel);
  layout->addWidget(menu_, 3);
  layout->addWidget(sequenceBox, 2);
  layout->addLayout(bottom);
  setCentralWidget(central);
  resize(760, 640);

  setTabOrder(menu_, ack_);
  setTabOrder(ack_, ackLeader_);
  setTabOrder(ackLeader_, playAck);
  setTabOrder(playAck, leader_);
  setTabOrder(leader_, order_);
  setTabOrder(order_, playOrder);
  setTabOrder(playOrder, schedule_);
  setTabOrder(schedule_, close);

  connect(playAck, &QPushButton::clicked, this, &PreviewWindow::PlayAckThenName);
  connect(playOrder, &QPushButton::clicked, this, &PreviewWindow::PlayNameThenOrder);
  connect(close, &QPushButton::clicked, this, [this] { ctx_.nav.Close(PageId::Preview); });
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::FillMenu(const std::vector<MenuCategory>& menu) {
  for (const MenuCategory& category : menu) {
    auto* top = new QTreeWidgetItem(menu_, {ToQt(TabCaption(category.Tab))});
    if (category.Entries.empty()) {
      new QTreeWidgetItem(top, {QString(), tr("(no entries: the menu offers none)")});
    }
    for (const MenuEntry& entry : category.Entries) {
      const QString label =
          entry.Label.empty() ? QString::number(entry.Index + 1) : ToQt(entry.Label);
      auto* item = new QTreeWidgetItem(top, {label, EntryText(entry)});
      if (!entry.CaptureTheFlag.empty() || !entry.Domination.empty()) {
        new QTreeWidgetItem(item, {tr("Capture the Flag"), ToQt(entry.CaptureTheFlag)});
        new QTreeWidgetItem(item, {tr("Domination"), ToQt(entry.Domination)});
      }
    }
  }
  menu_->expandAll();
  menu_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

void PreviewWindow::PlayAckThenName() {
  if (ack_->count() == 0) return;
  Show(AckThenName(pack_, ack_->currentData().toInt(), ackLeader_->currentData().toInt(),
                   *lengths_));
}

void PreviewWindow::PlayNameThenOrder() {
  Show(NameThenOrder(pack_, leader_->currentData().toInt(), order_->currentData().toInt(),
                     *lengths_));
}

void PreviewWindow::Show(PhraseSequence sequence) {
  sequence_ = std::move(sequence);
  schedule_->clear();
  for (const ScheduledPhrase& phrase : sequence_.Phrases) schedule_->addItem(ScheduleLine(phrase));
  ends_->setText(ToQt(sequence_.Ends));
  if (!ctx_.player.HasOutput()) {
    ctx_.dialogs.Message(this, NoOutputTitle(), NoOutputText(), MessageIcon::Exclamation);
    return;
  }
  phrases_->Play(sequence_, [this](const ScheduledPhrase& phrase) { return FileFor(phrase); });
}

std::optional<QString> PreviewWindow::FileFor(const ScheduledPhrase& phrase) {
  const auto reference = ParseSoundReference(phrase.Sound);
  if (IsNoSound(phrase.Sound) || !reference) return std::nullopt;
  if (const auto own = lengths_->OwnSoundFile(*reference)) return ToQt(PathText(*own));
  // A stock or other game sound is played from a copy taken out of its package.
  const GameSound sound = ExtractGameSound(lengths_->Finder(), *reference);
  if (sound.Result != GameSound::Kind::Found) return std::nullopt;
  if (!extracted_) extracted_ = std::make_unique<QTemporaryDir>();
  if (!extracted_->isValid()) return std::nullopt;
  const QString wav = extracted_->filePath(
      ToQt(reference->Package + "." + reference->Group + "." + reference->Name) +
      QStringLiteral(".wav"));
  const std::filesystem::path path(wav.toStdString());
  if (!std::filesystem::exists(path) && !WriteFileAtomic(path, sound.Bytes)) return std::nullopt;
  return wav;
}

}  // namespace voxmire
