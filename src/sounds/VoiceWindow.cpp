#include "VoiceWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "game/GameSounds.h"
#include "project/ProjectState.h"
#include "sounds/Library.h"
#include "sounds/SoundPlayer.h"

namespace voxmire {

VoiceList::VoiceList(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  setHeaderLabels({tr("VoicePack Name")});
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);
  setAcceptDrops(false);
}

QMimeData* VoiceList::mimeData(const QList<QTreeWidgetItem*>& items) const {
  if (items.isEmpty() || items.first() == nullptr) return nullptr;
  auto* data = new QMimeData;
  data->setText(items.first()->text(0));
  return data;
}

QStringList VoiceList::mimeTypes() const { return {QStringLiteral("text/plain")}; }

void VoiceList::startDrag(Qt::DropActions supportedActions) {
  (void)supportedActions;
  QTreeWidget::startDrag(Qt::CopyAction);
}

void VoiceList::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  if (itemAt(event->position().toPoint()) != nullptr) Q_EMIT PlayRequested();
}

void VoiceList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Q_EMIT PlayRequested();
    return;
  }
  // Without a mouse there is no drag: the entry goes by the clipboard instead.
  if (event->matches(QKeySequence::Copy)) {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (!selected.isEmpty()) QGuiApplication::clipboard()->setText(selected.first()->text(0));
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

VoiceWindow::VoiceWindow(AppContext& ctx)
    : Page(ctx, QStringLiteral("Form6"), QStringLiteral("Contents of Sound Package")) {
  SharedMenus menus;
  menus.quitName = QStringLiteral("mnuquit");
  menus.websiteCaption = tr("Harkline Website");
  AddSharedMenus(menus);

  auto* libraryLabel = new QLabel(tr("Library:"));
  libraryLabel->setObjectName(QStringLiteral("Label2"));
  choice_ = new QComboBox;
  choice_->setObjectName(QStringLiteral("Combo1"));
  choice_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  Buddy(libraryLabel, choice_);

  list_ = new VoiceList;
  Name(list_, QStringLiteral("ListView1"), tr("VoicePack Name"));

  auto* hint = new QLabel(tr("Drag and Drop your sound files where you want to use them."));
  hint->setObjectName(QStringLiteral("Label1"));
  hint->setWordWrap(true);
  auto* reload = NamedButton(tr("&Re-load List"), QStringLiteral("Command1"));
  count_ = new QLabel(tr("<Number of Items Loaded>"));
  count_->setObjectName(QStringLiteral("lblCount"));
  count_->setWordWrap(true);

  auto* top = new QHBoxLayout;
  top->addWidget(libraryLabel);
  top->addWidget(choice_);
  top->addStretch();

  auto* left = new QVBoxLayout;
  left->addLayout(top);
  left->addWidget(list_, 1);

  auto* right = new QVBoxLayout;
  right->addWidget(hint);
  right->addWidget(reload, 0, Qt::AlignLeft);
  right->addWidget(count_);
  right->addStretch();

  auto* central = new QWidget;
  auto* layout = new QHBoxLayout(central);
  layout->addLayout(left, 3);
  layout->addLayout(right, 2);
  setCentralWidget(central);
  resize(560, 420);

  setTabOrder(choice_, list_);
  setTabOrder(list_, reload);

  // The opening steps: the caution before anything is listed.
  const QString caution = tr("Please note: ") + QLatin1Char('\r') + tr("You are using ") +
                          ToQt(ctx_.state.BaseVoicePackage) + tr(" as your base voice.") +
                          QLatin1Char('\r') +
                          tr("If you use sounds from libraries other than that or your own one") +
                          QLatin1Char('\r') + tr("I cannot guarantee that it will work properly.");
  ctx_.dialogs.Message(QApplication::activeWindow(), tr("Caution"), caution,
                       MessageIcon::Exclamation);

  for (const std::string& text : LibraryChoices(ctx_.state)) choice_->addItem(ToQt(text));
  // Then every other sound package the game would find; the item keeps its
  // file, so a package named like a library still lists its own sounds.
  PackageFinder finder(GamePackagePaths(ctx_.state, ctx_.home));
  for (const FoundPackage& package : finder.SoundPackages()) {
    if (StockLibraryForPackage(package.Name) || SameName(package.Name, ctx_.state.VoicePackName)) {
      continue;
    }
    choice_->addItem(ToQt(package.Name), QString::fromStdString(package.File.string()));
  }
  // Filling selected the first choice before the signal was connected, so
  // that first change is run here.
  connect(choice_, &QComboBox::currentIndexChanged, this, &VoiceWindow::ChoiceChanged);
  ChoiceChanged();

  connect(reload, &QPushButton::clicked, this, &VoiceWindow::ReloadList);
  connect(list_, &VoiceList::PlayRequested, this, &VoiceWindow::PlaySelected);

  auto* timer = new QTimer(this);
  timer->setObjectName(QStringLiteral("Timer1"));
  timer->setInterval(100);
  connect(timer, &QTimer::timeout, this, &VoiceWindow::KeepInFront);
  timer->start();
}

VoiceWindow::~VoiceWindow() = default;

std::vector<std::string> VoiceWindow::PackageEntries(const QString& file) {
  const PackageIndex index = ReadPackageIndexFile(std::filesystem::path(file.toStdString()));
  if (!index.Ok()) {
    ctx_.dialogs.Message(
        this, tr("Error reading package"),
        tr("The package '") + file + tr("' can't be read: ") + ToQt(index.Error) + QLatin1Char('.'),
        MessageIcon::Critical);
    return {};
  }
  return PackageSoundReferences(FromQt(choice_->currentText()), index);
}

bool VoiceWindow::LoadChoice() {
  const QVariant packageFile = choice_->currentData();
  const auto entries = packageFile.isValid() ? std::optional(PackageEntries(packageFile.toString()))
                                             : EntriesForChoice(FromQt(choice_->currentText()),
                                                                ctx_.state, ctx_.places);
  if (!entries) return false;
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(entries->size()));
  for (const std::string& entry : *entries) {
    auto* item = new QTreeWidgetItem(QStringList{ToQt(entry)});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    items.append(item);
  }
  list_->clear();
  list_->addTopLevelItems(items);
  return true;
}

void VoiceWindow::ChoiceChanged() {
  if (!LoadChoice()) return;
  count_->setText(tr("Number of Items loaded: ") + QString::number(list_->topLevelItemCount()));
}

void VoiceWindow::ReloadList() { LoadChoice(); }

void VoiceWindow::PlaySelected() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  const std::string entry = FromQt(selected.first()->text(0));
  if (!ctx_.player.HasOutput()) {
    ctx_.dialogs.Message(this, NoOutputTitle(), NoOutputText(), MessageIcon::Exclamation);
    return;
  }
  const auto path = OwnSoundPath(entry, ctx_.state, ctx_.places);
  if (!path) {
    PlayGameSound(entry);
    return;
  }
  const QString file = ToQt(*path);
  if (!ctx_.player.Play(file)) PlayError(file);
}

void VoiceWindow::PlayError(const QString& file, const QString& why) {
  QString text = tr("Error Playing File: '") + file + QLatin1Char('\'');
  if (!why.isEmpty()) text += QLatin1Char('\r') + why;
  ctx_.dialogs.Message(this, tr("Error playing soundfile"), text, MessageIcon::Critical);
}

void VoiceWindow::PlayGameSound(const std::string& entry) {
  const auto reference = ParseSoundReference(entry);
  if (!reference) return;  // an empty library line: no sound to speak of
  // A fresh look every time: packages may have come or gone since the last.
  PackageFinder finder(GamePackagePaths(ctx_.state, ctx_.home));
  GameSound sound = ExtractGameSound(finder, *reference);
  const QString file = ToQt(sound.File);
  const QString name = ToQt(reference->Name);
  const QString package = ToQt(reference->Package);
  switch (sound.Result) {
    case GameSound::Kind::NoPackage:
      return PlayError(file);
    case GameSound::Kind::Unreadable:
      return PlayError(file,
                       tr("The package can't be read: ") + ToQt(sound.Error) + QLatin1Char('.'));
    case GameSound::Kind::NoSuchSound:
      return PlayError(file, package + tr(" has no sound named ") + name + QLatin1Char('.'));
    case GameSound::Kind::NoData:
      return PlayError(file, package + tr(" holds no sound data for ") + name +
                                 tr(" (packages from game servers are often stripped of it)."));
    case GameSound::Kind::Found:
      break;
  }
  if (!extracted_) extracted_ = std::make_unique<QTemporaryDir>();
  if (!extracted_->isValid()) return PlayError(file, tr("No temporary folder can be made."));
  // One file per sound: the player may still be reading the last one.
  std::string fileName = reference->Package + "." + reference->Group + "." + reference->Name;
  const QString wav = extracted_->filePath(ToQt(fileName) + QStringLiteral(".wav"));
  const std::filesystem::path wavPath(wav.toStdString());
  if (!std::filesystem::exists(wavPath) && !WriteFileAtomic(wavPath, sound.Bytes)) {
    return PlayError(file, tr("The sound can't be written to ") + wav + QLatin1Char('.'));
  }
  if (!ctx_.player.Play(wav)) PlayError(file);
}

void VoiceWindow::KeepInFront() {
  // Over a modal box or an open menu the window would hide what blocks or
  // serves the user; while another program is in use it has no business
  // jumping in front of it.
  if (QApplication::activeModalWidget() != nullptr || ctx_.dialogs.ModalOpen()) return;
  if (QApplication::activePopupWidget() != nullptr) return;
  if (QGuiApplication::applicationState() != Qt::ApplicationActive) return;
  raise();
}

}  // namespace voxmire
