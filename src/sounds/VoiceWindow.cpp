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
#include <QTimer>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Qt1252.h"
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

bool VoiceWindow::LoadChoice() {
  const auto entries =
      EntriesForChoice(FromQt(choice_->currentText()), ctx_.state, ctx_.programDir);
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
  // Stock entries name no file of ours: nothing to play, nothing to report.
  const auto path = OwnSoundPath(FromQt(selected.first()->text(0)), ctx_.state, ctx_.programDir);
  if (!path) return;
  const QString file = ToQt(*path);
  if (!ctx_.player.Play(file)) {
    ctx_.dialogs.Message(this, tr("Error playing soundfile"),
                         tr("Error Playing File: '") + file + QLatin1Char('\''),
                         MessageIcon::Critical);
  }
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
