#include "workarea/WorkAreaPage.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "game/GameSounds.h"
#include "game/SoundLengths.h"
#include "output/DefaultProperties.h"
#include "output/ScriptTemplate.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"
#include "project/ScriptHead.h"
#include "workarea/BaseVoicePresets.h"
#include "workarea/PhraseTableModel.h"
#include "workarea/RowCountEntry.h"
#include "workarea/SoundFields.h"

namespace voxmire {
namespace {

QString Caption(WorkAreaTab tab) { return ToQt(TabCaption(tab)); }

QLabel* Heading(const QString& text) {
  auto* label = new QLabel(text);
  QFont font = label->font();
  font.setBold(true);
  font.setPointSize(font.pointSize() + 2);
  label->setFont(font);
  return label;
}

// A field of one sound takes the voice window's references; others no drops.
QLineEdit* Field(const QString& objectName, bool holdsASound) {
  auto* field = new QLineEdit;
  field->setObjectName(objectName);
  if (holdsASound) {
    MakeSoundField(field);
  } else {
    field->setAcceptDrops(false);
  }
  return field;
}

// Sets `text` unless the field already shows it, so the cursor stays put.
void Show(QLineEdit* field, const std::string& text) {
  const QString shown = ToQt(text);
  if (field->text() == shown) return;
  field->setText(shown);
  field->setCursorPosition(0);  // a sound reference reads best from its start
}

// A new caption, and the same name for a screen reader: "Create Rows..."
// becomes "Add New Row..." for both.
void Recaption(QPushButton* button, std::string_view caption) {
  button->setText(ToQt(caption));
  Name(button, button->objectName(), button->text());
}

// Chains the focus through `widgets` in the given order.
void TabChain(const std::vector<QWidget*>& widgets) {
  QWidget* previous = nullptr;
  for (QWidget* widget : widgets) {
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

// Field name stems of the orders, in the order of kOrderSlots.
constexpr std::array<const char*, 7> kOrderStems = {"Defend", "Hold", "Assault", "Cover",
                                                    "Engage", "Flag", "Search"};
constexpr std::array<const char*, 4> kLeaderFields = {"txtRedLeader", "txtBlueLeader",
                                                      "txtGreenLeader", "txtGoldLeader"};

// A dialog's lines are separated by CR.
QString Lines(const std::vector<std::string>& lines) {
  QStringList shown;
  for (const std::string& line : lines) shown << QStringLiteral("- ") + ToQt(line);
  return shown.join(QLatin1Char('\r'));
}

}  // namespace

WorkAreaPage::WorkAreaPage(AppContext& ctx)
    : Page(ctx, QStringLiteral("Form5"), QStringLiteral("Voicepack Workarea")),
      tables_(ctx.state.Tables) {
  // The class the script extends supplies whatever the pack leaves empty.
  const auto head = Head();
  base_ = &BaseDefaults(PackParentClass(head, ctx.state));
  lengths_ = std::make_unique<GameSoundLengths>(ctx.state, ctx.places, ctx.home,
                                                head.value_or(std::string()));
  BuildMenus();

  growers_ = {Grower{WorkAreaTab::Acknowledgements}, Grower{WorkAreaTab::FriendlyFire},
              Grower{WorkAreaTab::Taunts}, Grower{WorkAreaTab::Others}};
  tabs_ = new QTabWidget;
  Name(tabs_, QStringLiteral("SSTab1"), tr("Work area"));
  tabs_->addTab(
      BuildGrowerTab(growers_[0], "tblAck", "lblRowNum", "Command1", "Command3", "Command8"),
      Caption(WorkAreaTab::Acknowledgements));
  tabs_->addTab(
      BuildGrowerTab(growers_[1], "tblFF", "lblFFRowNum", "Command5", "Command4", "Command9"),
      Caption(WorkAreaTab::FriendlyFire));
  tabs_->addTab(BuildGrowerTab(growers_[2], "tblTaunt", "lblTauntRowNum", "Command7", "Command6",
                               "Command14"),
                Caption(WorkAreaTab::Taunts));
  tabs_->addTab(BuildOrdersTab(), Caption(WorkAreaTab::Orders));
  tabs_->addTab(BuildGrowerTab(growers_[3], "tblOther", "lblOtherRowNum", "Command10", "Command11",
                               "Command17"),
                Caption(WorkAreaTab::Others));
  tabs_->addTab(BuildNamesTab(), Caption(WorkAreaTab::Names));
  tabs_->addTab(BuildToolsTab(), Caption(WorkAreaTab::Tools));
  tabs_->setCurrentIndex(static_cast<int>(WorkAreaTab::Tools));
  ShowOrdersAndNames();

  // The panel fills the page and follows every resize.
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(tabs_);
  setCentralWidget(central);
  resize(800, 520);
  connect(&ctx_.keeper, &ProjectKeeper::tablesChanged, this, &WorkAreaPage::TablesChangedElsewhere);
}

// The views and their editors go first: a closing editor still writes to
// the tables.
WorkAreaPage::~WorkAreaPage() { delete takeCentralWidget(); }

void WorkAreaPage::BuildMenus() {
  const SharedMenus menus;
  AddFileMenu(menus);
  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  tools->setObjectName(QStringLiteral("mnuTools"));
  QAction* generate = tools->addAction(tr("&Generate"));
  generate->setObjectName(QStringLiteral("mnuGenerate"));
  QAction* back = tools->addAction(tr("<- Back"));
  back->setObjectName(QStringLiteral("mnuBack"));
  QAction* voiceWindow = tools->addAction(tr("&Voice Window"));
  voiceWindow->setObjectName(QStringLiteral("mnuVW"));
  QAction* preview = tools->addAction(tr("&Preview"));
  preview->setObjectName(QStringLiteral("mnuPreview"));
  QAction* record = tools->addAction(tr("&Record Lines..."));
  record->setObjectName(QStringLiteral("mnuRecord"));
  AddHelpMenu(menus);

  connect(preview, &QAction::triggered, this, &WorkAreaPage::ShowPreview);
  connect(generate, &QAction::triggered, this, &WorkAreaPage::Generate);
  connect(back, &QAction::triggered, this, &WorkAreaPage::Back);
  connect(voiceWindow, &QAction::triggered, this, &WorkAreaPage::ShowVoiceWindow);
  connect(record, &QAction::triggered, this, &WorkAreaPage::ShowRecordWindow);
}

QWidget* WorkAreaPage::BuildGrowerTab(Grower& grower, const char* viewName, const char* headerName,
                                      const char* createName, const char* deleteName,
                                      const char* presetName) {
  PhraseTable& table = *RowTable(tables_, grower.tab);
  using Extra = PhraseTableModel::Extra;
  const Extra extra = grower.tab == WorkAreaTab::Acknowledgements ? Extra::Time
                      : grower.tab == WorkAreaTab::Taunts         ? Extra::Mature
                                                                  : Extra::None;
  grower.model = new PhraseTableModel(table, this, extra);
  if (extra == Extra::Time) {
    grower.model->SetTimeSource(lengths_.get(), base_);
    connect(grower.model, &PhraseTableModel::TimeRefused, this, &WorkAreaPage::TimeRefused);
  }
  // Every change of the table reaches the project file within moments.
  const auto touched = [this] { ctx_.keeper.Touched(); };
  connect(grower.model, &QAbstractItemModel::dataChanged, this, touched);
  connect(grower.model, &QAbstractItemModel::rowsInserted, this, touched);
  connect(grower.model, &QAbstractItemModel::rowsRemoved, this, touched);
  connect(grower.model, &QAbstractItemModel::modelReset, this, touched);
  grower.create =
      NamedButton(ToQt(CreateButtonCaption(table.CreateMode())), QString::fromLatin1(createName));
  QPushButton* remove = NamedButton(ToQt(kDeleteRowCaption), QString::fromLatin1(deleteName));
  QPushButton* preset = NamedButton(ToQt(kLoadPresetsCaption), QString::fromLatin1(presetName));

  auto* view = new QTableView;
  grower.view = view;
  Name(view, QString::fromLatin1(viewName), Caption(grower.tab));
  view->setModel(grower.model);
  view->setItemDelegate(new PhraseCellDelegate(view));
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                        QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  view->setDragDropMode(QAbstractItemView::DropOnly);
  view->setDragDropOverwriteMode(true);
  view->setDefaultDropAction(Qt::CopyAction);
  view->setDropIndicatorShown(true);
  PasteIntoSoundCells(view);
  view->setWordWrap(false);
  // The end of a sound reference names the sound; keep both ends in sight.
  view->setTextElideMode(Qt::ElideMiddle);
  view->setCornerButtonEnabled(false);
  // Tab leaves the table; arrows move between cells, and Tab in an open
  // editor still moves on to the next cell.
  view->setTabKeyNavigation(false);

  // Fixed, uniform row heights keep tens of thousands of rows instant: no
  // row is ever measured.
  QHeaderView* rows = view->verticalHeader();
  rows->setObjectName(QString::fromLatin1(headerName));
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(view->fontMetrics().height() + 8);
  rows->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QHeaderView* columns = view->horizontalHeader();
  columns->setStretchLastSection(false);
  columns->setSectionResizeMode(PhraseTableModel::kSound, QHeaderView::Stretch);
  columns->setSectionResizeMode(PhraseTableModel::kString, QHeaderView::Stretch);
  for (int column = PhraseTableModel::kAbbrev; column < grower.model->columnCount(); ++column) {
    columns->setSectionResizeMode(column, QHeaderView::Fixed);
    columns->resizeSection(
        column, view->fontMetrics().horizontalAdvance(grower.model->Caption(column)) + 24);
  }
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Heading(Caption(grower.tab)));
  buttons->addStretch();
  buttons->addWidget(grower.create);
  buttons->addWidget(remove);
  buttons->addWidget(preset);

  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(buttons);
  layout->addWidget(view, 1);
  TabChain({grower.create, remove, preset, view});

  const WorkAreaTab tab = grower.tab;
  connect(grower.create, &QPushButton::clicked, this,
          [this, tab] { CreatePressed(*FindGrower(tab)); });
  connect(remove, &QPushButton::clicked, this, [this, tab] { DeletePressed(*FindGrower(tab)); });
  connect(preset, &QPushButton::clicked, this, [this, tab] { LoadPresets(tab); });
  return page;
}

QWidget* WorkAreaPage::BuildOrdersTab() {
  QPushButton* preset = NamedButton(ToQt(kLoadPresetsCaption), QString::fromLatin1("Command16"));
  auto* grid = new QGridLayout;
  grid->addWidget(Heading(Caption(WorkAreaTab::Orders)), 0, 0, 1, 2);
  grid->addWidget(preset, 0, 3, Qt::AlignRight);
  for (int c = 0; c < PhraseTableModel::kColumnCount; ++c) {
    grid->addWidget(new QLabel(PhraseTableModel::ColumnCaption(c)), 1, c + 1);
  }

  std::vector<QWidget*> chain{preset};
  static constexpr std::array<const char*, 3> kCellNames = {"Sound", "String", "Abbrev"};
  for (std::size_t i = 0; i < kOrderSlots.size(); ++i) {
    const QString label = ToQt(kOrderSlots[i].Label);
    auto* rowLabel = new QLabel(label);
    const int gridRow = static_cast<int>(i) + 2;
    grid->addWidget(rowLabel, gridRow, 0);
    for (std::size_t c = 0; c < 3; ++c) {
      const PhraseCell cell = PhraseTableModel::CellOf(static_cast<int>(c));
      const QString name = QStringLiteral("txt%1%2").arg(QString::fromLatin1(kOrderStems[i]),
                                                         QString::fromLatin1(kCellNames[c]));
      QLineEdit* field = Field(name, CellAcceptsDrop(cell));
      field->setAccessibleName(label + QLatin1Char(' ') + QString::fromLatin1(kCellNames[c]));
      // An empty field keeps the base voice's: shown greyed, as the game will use it.
      const VoiceEntry& stock = base_->Orders[static_cast<std::size_t>(kOrderSlots[i].Number)];
      field->setPlaceholderText(ToQt(cell == PhraseCell::Sound    ? stock.Sound
                                     : cell == PhraseCell::String ? stock.String
                                                                  : stock.Abbrev));
      grid->addWidget(field, gridRow, static_cast<int>(c) + 1);
      orderFields_[i][c] = field;
      chain.push_back(field);
      PhraseRow& order = tables_.Orders[i];
      std::string& target = cell == PhraseCell::Sound    ? order.Sound
                            : cell == PhraseCell::String ? order.String
                                                         : order.Abbrev;
      connect(field, &QLineEdit::textChanged, this, [this, &target, field](const QString& text) {
        // A long sound reference doesn't fit the field: the tooltip shows it whole.
        field->setToolTip(text);
        if (target == FromQt(text)) return;
        target = FromQt(text);
        ctx_.keeper.Touched();
      });
    }
    rowLabel->setBuddy(orderFields_[i][0]);
  }
  grid->setColumnStretch(1, 4);
  grid->setColumnStretch(2, 4);
  grid->setColumnStretch(3, 3);
  grid->setRowStretch(static_cast<int>(kOrderSlots.size()) + 2, 1);

  auto* page = new QWidget;
  page->setLayout(grid);
  TabChain(chain);
  connect(preset, &QPushButton::clicked, this, [this] { LoadPresets(WorkAreaTab::Orders); });
  return page;
}

QWidget* WorkAreaPage::BuildNamesTab() {
  QPushButton* preset = NamedButton(ToQt(kLoadPresetsCaption), QString::fromLatin1("Command15"));
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("Sound")), 0, 1, Qt::AlignBottom);
  grid->addWidget(preset, 0, 3, 1, 2, Qt::AlignRight);
  std::vector<QWidget*> chain{preset};
  for (std::size_t i = 0; i < kLeaderLabels.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    auto* label = new QLabel(ToQt(kLeaderLabels[i]));
    QLineEdit* field = Field(QString::fromLatin1(kLeaderFields[i]), true);
    field->setPlaceholderText(ToQt(base_->Names[i].Sound));
    Buddy(label, field);
    auto* timeLabel = new QLabel(tr("Time (s):"));
    QLineEdit* time = Field(QString::fromLatin1(kLeaderFields[i]) + QStringLiteral("Time"), false);
    timeLabel->setBuddy(time);
    time->setAccessibleName(ToQt(kLeaderLabels[i]) + tr(" Time"));
    time->setToolTip(
        tr("How long the game waits before the order that follows the name. Empty: the length "
           "of the name's sound (shown greyed)."));
    time->setMaximumWidth(time->fontMetrics().horizontalAdvance(QStringLiteral("000.000")) + 16);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    grid->addWidget(timeLabel, row, 2);
    grid->addWidget(time, row, 3);
    leaderFields_[i] = field;
    leaderTimeFields_[i] = time;
    chain.push_back(field);
    chain.push_back(time);
    connect(field, &QLineEdit::textChanged, this, [this, i](const QString& text) {
      std::string& target = tables_.Names[i];
      if (target == FromQt(text)) return;
      target = FromQt(text);
      // A new sound has a length of its own: the time follows it again.
      if (tables_.NameTimes[i] && tables_.NameTimes[i]->ForSound != target) {
        tables_.NameTimes[i].reset();
      }
      ShowLeaderTime(i);
      ctx_.keeper.Touched();
    });
    connect(time, &QLineEdit::editingFinished, this, [this, i] { LeaderTimeEdited(i); });
  }
  grid->setColumnStretch(1, 3);
  grid->setColumnStretch(4, 1);
  grid->setRowStretch(static_cast<int>(kLeaderLabels.size()) + 1, 1);

  auto* page = new QWidget;
  page->setLayout(grid);
  TabChain(chain);
  connect(preset, &QPushButton::clicked, this, [this] { LoadPresets(WorkAreaTab::Names); });
  return page;
}

std::vector<WorkAreaPage::Tool> WorkAreaPage::Tools() {
  // The explanations are shown with their buttons as buddies, so "&&" shows
  // one ampersand just as in the captions.
  return {
      {tr("&View VoiceWin"), "Command13",
       tr("Shows the window containing your sounds so you can drag && drop into the text "
          "boxes."),
       [this] { ShowVoiceWindow(); }},
      {tr("&Preview"), "Command19",
       tr("Shows the speech menu as the game will build it from the pack, and plays its phrase "
          "sequences with their times."),
       [this] { ShowPreview(); }},
      {tr("&Record Lines..."), "cmdRecordLines",
       tr("Prompts each line of the tables in turn and records it from your microphone; "
          "each take becomes the row's sound."),
       [this] { ShowRecordWindow(); }},
      {tr("Generate  && Continue"), "Command12",
       tr("Generates the Script and takes you to the next stage "), [this] { Generate(); }},
      {tr("<- Back"), "Command18", tr("Takes you back to the previous step"), [this] { Back(); }},
  };
}

QWidget* WorkAreaPage::BuildToolsTab() {
  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(18);
  grid->setHorizontalSpacing(16);
  std::vector<QWidget*> chain;
  const std::vector<Tool> tools = Tools();
  for (std::size_t i = 0; i < tools.size(); ++i) {
    QPushButton* button = NamedButton(tools[i].caption, QString::fromLatin1(tools[i].name));
    button->setMinimumWidth(150);
    auto* label = new QLabel(tools[i].explanation);
    label->setWordWrap(true);
    label->setContentsMargins(0, 4, 0, 0);  // first line level with the caption
    label->setBuddy(button);
    button->setAccessibleDescription(
        label->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
    grid->addWidget(button, static_cast<int>(i), 0, Qt::AlignTop);
    grid->addWidget(label, static_cast<int>(i), 1, Qt::AlignTop);
    connect(button, &QPushButton::clicked, this, tools[i].action);
    chain.push_back(button);
  }
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(static_cast<int>(tools.size()), 1);

  auto* page = new QWidget;
  page->setLayout(grid);
  TabChain(chain);
  return page;
}

WorkAreaPage::Grower* WorkAreaPage::FindGrower(WorkAreaTab tab) {
  for (Grower& grower : growers_) {
    if (grower.tab == tab) return &grower;
  }
  return nullptr;
}

const WorkAreaPage::Grower* WorkAreaPage::FindGrower(WorkAreaTab tab) const {
  return const_cast<WorkAreaPage*>(this)->FindGrower(tab);
}

QTableView* WorkAreaPage::View(WorkAreaTab tab) const {
  const Grower* grower = FindGrower(tab);
  return grower == nullptr ? nullptr : grower->view;
}

PhraseTableModel* WorkAreaPage::Model(WorkAreaTab tab) const {
  const Grower* grower = FindGrower(tab);
  return grower == nullptr ? nullptr : grower->model;
}

void WorkAreaPage::CreatePressed(Grower& grower) {
  PhraseTableModel& model = *grower.model;
  if (model.Table().CreateMode() == CreateButtonMode::AddNewRow) {
    if (!model.AddRow()) {
      QApplication::beep();  // the row numbers have run out
      return;
    }
    const QModelIndex added = model.index(model.rowCount() - 1, PhraseTableModel::kSound);
    grower.view->doItemsLayout();  // the scroll range must include the new row first
    grower.view->setCurrentIndex(added);
    grower.view->scrollTo(added);
    return;
  }

  const auto answer = ctx_.dialogs.Input(this, ToQt(kRowCountTitle), ToQt(kRowCountPrompt));
  const RowCountEntry entry = ParseRowCountEntry(answer ? FromQt(*answer) : std::string());
  switch (entry.Result) {
    case RowCountEntry::Kind::NotNumeric:
      ctx_.dialogs.Message(this, ToQt(kNotNumericTitle), ToQt(kNotNumericText),
                           MessageIcon::Critical);
      return;
    case RowCountEntry::Kind::OutOfRange:
      return;
    case RowCountEntry::Kind::Count:
      break;
  }
  model.CreateRows(entry.Count);
  Recaption(grower.create, CreateButtonCaption(model.Table().CreateMode()));
}

void WorkAreaPage::DeletePressed(Grower& grower) {
  if (!grower.model->RemoveLastRow()) {
    ctx_.dialogs.Message(this, ToQt(kDeleteRowErrorTitle), ToQt(kDeleteRowErrorText),
                         MessageIcon::Critical);
  }
}

void WorkAreaPage::LoadPresets(WorkAreaTab tab) {
  Grower* grower = FindGrower(tab);
  PresetLoadResult result;
  // A row tab loads only into an empty table, so only an empty table can
  // change; resetting it loses nothing.
  if (grower != nullptr && grower->model->Table().Empty()) {
    grower->model->BeginExternalChange();
    result = LoadVoiceBaseSettings(ctx_.state, tab, tables_);
    grower->model->EndExternalChange();
  } else {
    result = LoadVoiceBaseSettings(ctx_.state, tab, tables_);
  }

  switch (result) {
    case PresetLoadResult::Loaded:
      if (grower != nullptr) {
        Recaption(grower->create, CreateButtonCaption(grower->model->Table().CreateMode()));
      } else {
        ShowOrdersAndNames();
      }
      break;
    case PresetLoadResult::NotAvailable:
      ctx_.dialogs.Message(this, ToQt(kNotAvailableTitle), ToQt(kNotAvailableText),
                           MessageIcon::Critical);
      break;
    case PresetLoadResult::AlreadyHasRows:
      ctx_.dialogs.Message(this, ToQt(kAlreadyLoadedTitle), ToQt(kAlreadyLoadedText),
                           MessageIcon::Critical);
      break;
    case PresetLoadResult::UnknownPackage:
    case PresetLoadResult::NoPresets:
      break;
  }
}

void WorkAreaPage::ShowOrdersAndNames() {
  for (std::size_t i = 0; i < orderFields_.size(); ++i) {
    const PhraseRow& order = tables_.Orders[i];
    Show(orderFields_[i][0], order.Sound);
    Show(orderFields_[i][1], order.String);
    Show(orderFields_[i][2], order.Abbrev);
  }
  for (std::size_t i = 0; i < leaderFields_.size(); ++i) {
    Show(leaderFields_[i], tables_.Names[i]);
    ShowLeaderTime(i);
  }
}

void WorkAreaPage::ShowLeaderTime(std::size_t i) {
  const std::string& sound = tables_.Names[i];
  const auto fixed = FixedSeconds(tables_.NameTimes[i], sound);
  auto time = sound.empty() ? std::nullopt : PhraseTime(std::nullopt, sound, *lengths_);
  if (!time && !IsNoSound(sound.empty() ? base_->Names[i].Sound : sound)) {
    time = base_->Names[i].Time;  // the sound's length is unknown: the game keeps the base's
  }
  QLineEdit* field = leaderTimeFields_[i];
  field->setPlaceholderText(time ? ToQt(TimeText(*time)) : QString());
  Show(field, fixed ? TimeText(*fixed) : std::string());
}

void WorkAreaPage::LeaderTimeEdited(std::size_t i) {
  const TimeEntry entry = ParseTimeEntry(FromQt(leaderTimeFields_[i]->text()));
  if (!entry.Ok()) {
    ShowLeaderTime(i);  // the time the leader had
    TimeRefused(ToQt(entry.Problem));
    return;
  }
  std::optional<FixedTime> time;
  if (entry.Seconds) time = FixedTime{*entry.Seconds, tables_.Names[i]};
  if (tables_.NameTimes[i] == time) return;
  tables_.NameTimes[i] = time;
  ShowLeaderTime(i);
  ctx_.keeper.Touched();
}

void WorkAreaPage::TimeRefused(const QString& reason) {
  ctx_.dialogs.Message(this, tr("Invalid time"), reason, MessageIcon::Critical);
}

std::optional<std::string> WorkAreaPage::Head() const {
  // The same head the script page showed: expanded with the sound list.
  return PackScriptHead(ctx_.places, ctx_.state);
}

void WorkAreaPage::Generate() {
  const auto head = Head();
  if (!head) {
    ctx_.dialogs.Message(this, ToQt(kGenerationFailedTitle),
                         tr("The script template '%1' is missing or can't be read.\rReinstall "
                            "Voxmire to get it back, then press \"Generate\" again.")
                             .arg(ToQt(PathText(TemplatePath(ctx_.places)))),
                         MessageIcon::Critical);
    return;
  }
  // A sound the game can't find would be stored as None without a word.
  std::string refusal = CheckSoundReferences(tables_, ctx_.state, {ctx_.places, ctx_.home}, *head);
  if (refusal.empty()) refusal = CheckGeneratable(tables_);
  if (!refusal.empty()) {
    ctx_.dialogs.Message(this, ToQt(kGenerationFailedTitle), ToQt(refusal), MessageIcon::Critical);
    return;
  }
  // The head's sounds are what the game will find: measured afresh.
  GameSoundLengths lengths(ctx_.state, ctx_.places, ctx_.home, *head);
  const std::vector<std::string> warnings =
      PackWarnings(tables_, BaseDefaults(ParentClassOf(*head)), lengths);
  if (!warnings.empty() &&
      !ctx_.dialogs.Confirm(this, ToQt(kPackWarningsTitle),
                            ToQt(kPackWarningsIntro) + QStringLiteral("\r\r") + Lines(warnings) +
                                QStringLiteral("\r\r") + ToQt(kPackWarningsQuestion),
                            MessageIcon::Exclamation)) {
    return;
  }
  const GenerationResult result =
      WriteClassScript(ctx_.places, tables_, ctx_.state, *head, LocalNow(), lengths);
  if (result.Result != GenerationResult::Kind::Written) {
    ctx_.dialogs.Message(this, ToQt(kGenerationFailedTitle), ToQt(result.Message),
                         MessageIcon::Critical);
    return;
  }
  ctx_.dialogs.Message(this, ToQt(kGenerationCompleteTitle), ToQt(kGenerationCompleteText),
                       MessageIcon::Information);
  ctx_.nav.Forward(PageId::WorkArea, PageId::IntFile);
}

void WorkAreaPage::Back() { ctx_.nav.Back(PageId::WorkArea, PageId::Script); }

void WorkAreaPage::ShowVoiceWindow() { ctx_.nav.Open(PageId::VoiceWindow); }

void WorkAreaPage::ShowPreview() {
  // A preview shows the tables as they are now: an open one is made afresh.
  ctx_.nav.Close(PageId::Preview);
  ctx_.nav.Open(PageId::Preview);
}

void WorkAreaPage::ShowRecordWindow() { ctx_.nav.Open(PageId::Recorder); }

void WorkAreaPage::TablesChangedElsewhere() {
  for (Grower& grower : growers_) grower.model->CellsChanged();
  ShowOrdersAndNames();
}

}  // namespace voxmire
