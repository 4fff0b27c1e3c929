// The work area page driven as a user would: rows, cell edits, drops,
// presets, and the script block it appends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <regex>

#include "app/Qt1252.h"
#include "output/DefaultProperties.h"
#include "support/Harness.h"
#include "workarea/BaseVoicePresets.h"
#include "workarea/PhraseTableModel.h"
#include "workarea/WorkAreaPage.h"

namespace voxmire::test {
namespace {

using Col = PhraseTableModel::Column;

struct GrowerNames {
  WorkAreaTab tab;
  const char* create;
  const char* preset;
};
constexpr GrowerNames kGrowers[] = {
    {WorkAreaTab::Acknowledgements, "Command1", "Command8"},
    {WorkAreaTab::FriendlyFire, "Command5", "Command9"},
    {WorkAreaTab::Taunts, "Command7", "Command14"},
    {WorkAreaTab::Others, "Command10", "Command17"},
};

WorkAreaPage* OpenPage(Harness& h) { return qobject_cast<WorkAreaPage*>(h.Open(PageId::WorkArea)); }

QString Caption(QWidget* page, const char* button) {
  return Find<QPushButton>(page, button)->text();
}

// Shows the tab and waits until its view has laid out its cells.
QTableView* ShowTable(WorkAreaPage* page, WorkAreaTab tab) {
  Find<QTabWidget>(page, "SSTab1")->setCurrentIndex(static_cast<int>(tab));
  QTableView* view = page->View(tab);
  EXPECT_TRUE(
      QTest::qWaitFor([view] { return view->isVisible() && view->viewport()->width() > 100; }));
  return view;
}

// A drag from another window: enter, move and drop at `pos`. True when the
// drop was accepted.
bool DropText(QWidget* target, QPoint pos, const QString& text) {
  QMimeData mime;
  mime.setText(text);
  QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDragMoveEvent move(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent drop(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

bool DropOnCell(QTableView* view, int row, int column, const QString& text) {
  const QModelIndex index = view->model()->index(row, column);
  EXPECT_TRUE(QTest::qWaitFor([&] {
    view->scrollTo(index);
    return view->viewport()->rect().contains(view->visualRect(index).center());
  }));
  return DropText(view->viewport(), view->visualRect(index).center(), text);
}

// Opens the cell's editor and types into it, without pressing Enter.
void TypeInCell(QTableView* view, int row, int column, const QString& text) {
  const QModelIndex index = view->model()->index(row, column);
  view->setCurrentIndex(index);
  view->edit(index);
  auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(index));
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Delete);
  // keyClicks takes ASCII only; any other character comes as the key's text.
  for (const QChar ch : text)
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, ch, Qt::NoModifier);
}

const std::string& CellText(WorkAreaPage* page, WorkAreaTab tab, int k, PhraseCell cell) {
  return RowTable(page->Tables(), tab)->Cell(k, cell);
}

// The generation stamp differs from run to run.
std::string WithoutStamp(const std::string& text) {
  static const std::regex kStamp("// Generated (on|at): [^\r]*\r\n");
  return std::regex_replace(text, kStamp, "");
}

TEST(WorkAreaPage, OpensOnToolsWithTheTabsInOrder) {
  Harness h;
  WorkAreaPage* page = OpenPage(h);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->windowTitle(), QStringLiteral("Voicepack Workarea"));
  auto* tabs = Find<QTabWidget>(page, "SSTab1");
  ASSERT_EQ(tabs->count(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(tabs->tabText(i), ToQt(kTabCaptions[i]));
  EXPECT_EQ(tabs->currentIndex(), 6);
  EXPECT_EQ(Caption(page, "Command12"), QStringLiteral("Generate  && Continue"));

  // The panel follows the page.
  const int before = tabs->width();
  page->resize(page->width() + 200, page->height() + 100);
  EXPECT_TRUE(QTest::qWaitFor([&] { return tabs->width() == before + 200; }));
}

TEST(WorkAreaPage, CreateRowsAnswersOnEveryTab) {
  struct Case {
    QString answer;  // a null answer is Cancel
    int rows;
    bool refused;
    QString caption;
  };
  const Case cases[] = {
      {QStringLiteral("3"), 3, false, QStringLiteral("Add New Row...")},
      {QStringLiteral("0"), 0, false, QStringLiteral("Add New Row...")},
      {QStringLiteral("2.5"), 2, false, QStringLiteral("Add New Row...")},
      {QStringLiteral("abc"), 0, true, QStringLiteral("Create Rows...")},
      {QString(), 0, true, QStringLiteral("Create Rows...")},
      {QStringLiteral("40000"), 0, false, QStringLiteral("Create Rows...")},
  };
  for (const GrowerNames& g : kGrowers) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(g.create) + " " + c.answer.toStdString());
      Harness h;
      WorkAreaPage* page = OpenPage(h);
      h.dialogs.inputAnswers.push_back(c.answer);
      Click(page, g.create);
      ASSERT_EQ(h.dialogs.inputs.size(), 1u);
      EXPECT_EQ(h.dialogs.inputs[0].first,
                QStringLiteral("Choose number of Acknowledgemnt sounds"));
      EXPECT_EQ(h.dialogs.inputs[0].second,
                QStringLiteral("How many sounds do you want? You can change this value later"));
      EXPECT_EQ(page->Model(g.tab)->rowCount(), c.rows);
      EXPECT_EQ(Caption(page, g.create), c.caption);
      ASSERT_EQ(h.dialogs.messages.size(), c.refused ? 1u : 0u);
      if (c.refused) {
        EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Invalid value"));
        EXPECT_EQ(h.dialogs.messages[0].text,
                  QStringLiteral("Error: Invalid value! Must be numeric!"));
        EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
      }
    }
  }
}

TEST(WorkAreaPage, AddAndDeleteRowsKeepTheNumbering) {
  Harness h;
  WorkAreaPage* page = OpenPage(h);
  QTableView* view = ShowTable(page, WorkAreaTab::Taunts);
  h.dialogs.inputAnswers.push_back(QStringLiteral("2"));
  Click(page, "Command7");
  Click(page, "Command7");  // adds row 3 without asking
  EXPECT_EQ(h.dialogs.inputs.size(), 1u);
  ASSERT_EQ(view->model()->rowCount(), 3);
  for (int r = 0; r < 3; ++r) EXPECT_EQ(view->model()->headerData(r, Qt::Vertical).toInt(), r + 1);

  for (int i = 0; i < 4; ++i) Click(page, "Command6");
  EXPECT_EQ(view->model()->rowCount(), 0);
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Error deleting row"));
  EXPECT_EQ(h.dialogs.messages[0].text,
            QStringLiteral("Error deleting row. Make sure there are rows left to delete."));
  EXPECT_EQ(Caption(page, "Command7"), QStringLiteral("Add New Row..."));
  Click(page, "Command7");
  EXPECT_EQ(view->model()->rowCount(), 1);
}

TEST(WorkAreaPage, TheLargestTableIsCreatedAndScrolls) {
  Harness h;
  WorkAreaPage* page = OpenPage(h);
  QTableView* view = ShowTable(page, WorkAreaTab::Others);
  h.dialogs.inputAnswers.push_back(QStringLiteral("32767"));
  Click(page, "Command10");
  ASSERT_EQ(view->model()->rowCount(), PhraseTable::kMaxRows);
  Click(page, "Command10");  // no row 32768
  EXPECT_EQ(view->model()->rowCount(), PhraseTable::kMaxRows);

  EXPECT_TRUE(DropOnCell(view, PhraseTable::kMaxRows - 1, Col::kSound, QStringLiteral("last")));
  EXPECT_EQ(CellText(page, WorkAreaTab::Others, PhraseTable::kMaxRows, PhraseCell::Sound), "last");
  EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
}

TEST(WorkAreaPage, TypedCellsReachTheTablesAndAbbrevsStopAtNineteen) {
  Harness h;
  h.state.BaseVoicePackage = "Female2Voice";
  WorkAreaPage* page = OpenPage(h);
  QTableView* view = ShowTable(page, WorkAreaTab::FriendlyFire);
  h.dialogs.inputAnswers.push_back(QStringLiteral("2"));
  Click(page, "Command5");

  TypeInCell(view, 1, Col::kString, QString::fromUtf8("Caf\u00E9 \\ time"));
  EXPECT_EQ(CellText(page, WorkAreaTab::FriendlyFire, 2, PhraseCell::String), "Caf\xE9 \\ time");
  TypeInCell(view, 0, Col::kAbbrev, QString(25, QLatin1Char('x')));
  EXPECT_EQ(CellText(page, WorkAreaTab::FriendlyFire, 1, PhraseCell::Abbrev), std::string(19, 'x'));
  // The model clamps too, whoever sets the cell.
  page->Model(WorkAreaTab::FriendlyFire)
      ->setData(view->model()->index(1, Col::kAbbrev), QString(30, QLatin1Char('y')));
  EXPECT_EQ(CellText(page, WorkAreaTab::FriendlyFire, 2, PhraseCell::Abbrev), std::string(19, 'y'));

  // A key on a selected cell starts editing with that key.
  view->setCurrentIndex(view->model()->index(0, Col::kSound));
  QTest::keyClick(view, 'q');
  EXPECT_EQ(CellText(page, WorkAreaTab::FriendlyFire, 1, PhraseCell::Sound), "q");

  Type(page, "txtHoldAbbrev", QString(40, QLatin1Char('h')));
  EXPECT_EQ(page->Tables().Orders[1].Abbrev, std::string(40, 'h'));

  // A longer stock abbreviation survives being opened and committed.
  view = ShowTable(page, WorkAreaTab::Taunts);
  Click(page, "Command14");
  const std::string stock = CellText(page, WorkAreaTab::Taunts, 14, PhraseCell::Abbrev);
  ASSERT_GT(stock.size(), PhraseTable::kAbbrevLimit);
  const QModelIndex index = view->model()->index(13, Col::kAbbrev);
  view->edit(index);
  ASSERT_NE(view->indexWidget(index), nullptr);
  QTest::keyClick(view->indexWidget(index), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->indexWidget(index) == nullptr; }));
  EXPECT_EQ(CellText(page, WorkAreaTab::Taunts, 14, PhraseCell::Abbrev), stock);
}

TEST(WorkAreaPage, OnlySoundCellsAndOrderSoundsTakeDrops) {
  Harness h;
  WorkAreaPage* page = OpenPage(h);
  QTableView* view = ShowTable(page, WorkAreaTab::Acknowledgements);
  h.dialogs.inputAnswers.push_back(QStringLiteral("1"));
  Click(page, "Command1");
  PhraseTableModel* model = page->Model(WorkAreaTab::Acknowledgements);

  QMimeData mime;
  mime.setText(QStringLiteral("Sound'Pack.Group.Name'\r\n"));
  struct Case {
    int column;
    bool lands;
  };
  for (const Case c :
       {Case{Col::kSound, true}, Case{Col::kString, false}, Case{Col::kAbbrev, false}}) {
    SCOPED_TRACE(c.column);
    const QModelIndex cell = model->index(0, c.column);
    EXPECT_EQ(model->canDropMimeData(&mime, Qt::CopyAction, -1, -1, cell), c.lands);
    EXPECT_FALSE(model->canDropMimeData(&mime, Qt::CopyAction, 0, c.column, QModelIndex()));
    EXPECT_EQ(DropOnCell(view, 0, c.column, QStringLiteral("viewdrop")), c.lands);
  }
  EXPECT_EQ(model->Table().Row(1), (PhraseRow{"viewdrop", "", ""}));
  ASSERT_TRUE(model->dropMimeData(&mime, Qt::CopyAction, -1, -1, model->index(0, Col::kSound)));
  EXPECT_EQ(model->Table().Cell(1, PhraseCell::Sound), "Sound'Pack.Group.Name'");

  Find<QTabWidget>(page, "SSTab1")->setCurrentIndex(static_cast<int>(WorkAreaTab::Orders));
  auto* orderSound = Find<QLineEdit>(page, "txtSearchSound");
  ASSERT_TRUE(QTest::qWaitFor([orderSound] { return orderSound->isVisible(); }));
  EXPECT_TRUE(DropText(orderSound, orderSound->rect().center(), QStringLiteral("dropped")));
  EXPECT_EQ(page->Tables().Orders[6].Sound, "dropped");
  for (const char* refuses :
       {"txtSearchString", "txtSearchAbbrev", "txtRedLeader", "txtGoldLeader"}) {
    auto* field = Find<QLineEdit>(page, refuses);
    EXPECT_FALSE(DropText(field, field->rect().center(), QStringLiteral("x"))) << refuses;
    EXPECT_TRUE(field->text().isEmpty()) << refuses;
  }
}

TEST(WorkAreaPage, PresetRefusals) {
  struct Case {
    bool blank;
    std::string package;
    bool rowsFirst;
    QString title;  // empty: no message
  };
  const Case cases[] = {
      {true, "Male1Voice", false, QStringLiteral("Not Available")},
      {false, "Male1Voice", true, QStringLiteral("Error!")},
      {false, "", false, QString()},
  };
  for (const Case& c : cases) {
    for (const GrowerNames& g : kGrowers) {
      SCOPED_TRACE(std::string(g.preset) + " " + c.package);
      Harness h;
      h.state.BlankBase = c.blank;
      h.state.BaseVoicePackage = c.package;
      WorkAreaPage* page = OpenPage(h);
      if (c.rowsFirst) {
        h.dialogs.inputAnswers.push_back(QStringLiteral("1"));
        Click(page, g.create);
        TypeInCell(page->View(g.tab), 0, Col::kString, QStringLiteral("mine"));
      }
      const WorkAreaTables before = page->Tables();
      Click(page, g.preset);
      EXPECT_EQ(page->Tables(), before);
      ASSERT_EQ(h.dialogs.messages.size(), c.title.isEmpty() ? 0u : 1u);
      if (!c.title.isEmpty()) {
        EXPECT_EQ(h.dialogs.messages[0].title, c.title);
      }
    }
  }
  // A blank base blocks the fixed tabs too.
  Harness h;
  h.state.BlankBase = true;
  h.state.BaseVoicePackage = "Male1Voice";
  WorkAreaPage* page = OpenPage(h);
  Click(page, "Command16");
  Click(page, "Command15");
  EXPECT_EQ(page->Tables(), WorkAreaTables());
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_EQ(h.dialogs.messages[1].text,
            QStringLiteral("You didn't select a Voice Base, so this is not available"));
}

TEST(WorkAreaPage, PresetsEditsAndDropsAreGenerated) {
  Harness h;
  h.state.BaseVoicePackage = "Male1Voice";
  h.state.VoicePackName = "GruffPack";
  h.state.AuthorName = "Jane";
  const std::string head = "class GruffPack extends VoiceMaleOne;\r\n";
  WriteFile(h.programDir / "GruffPack.uc", head);
  WorkAreaPage* page = OpenPage(h);
  Type(page, "txtHoldAbbrev", QStringLiteral("Hold it"));
  for (const char* preset :
       {"Command8", "Command9", "Command14", "Command16", "Command17", "Command15"}) {
    Click(page, preset);
  }
  EXPECT_TRUE(h.dialogs.messages.empty());
  EXPECT_EQ(Caption(page, "Command7"), QStringLiteral("Add New Row..."));
  EXPECT_EQ(Find<QLineEdit>(page, "txtRedLeader")->text(),
            QStringLiteral("Sound'Male1Voice.(All).M1redleader'"));

  QTableView* acks = ShowTable(page, WorkAreaTab::Acknowledgements);
  ASSERT_TRUE(DropOnCell(acks, 0, Col::kSound, QStringLiteral("Sound'GruffPack.Voice.yes'")));
  TypeInCell(acks, 1, Col::kString, QStringLiteral("Roger \\ that"));
  Type(page, "txtDefendString", QStringLiteral("Guard it."));

  // The same tables built without the page.
  WorkAreaTables expected;
  expected.Orders[1].Abbrev = "Hold it";
  for (WorkAreaTab tab :
       {WorkAreaTab::Acknowledgements, WorkAreaTab::FriendlyFire, WorkAreaTab::Taunts,
        WorkAreaTab::Orders, WorkAreaTab::Others, WorkAreaTab::Names}) {
    ASSERT_EQ(LoadVoiceBaseSettings(h.state, tab, expected), PresetLoadResult::Loaded);
  }
  expected.Acks.SetCell(1, PhraseCell::Sound, "Sound'GruffPack.Voice.yes'");
  expected.Acks.SetCell(2, PhraseCell::String, "Roger \\ that");
  expected.Orders[0].String = "Guard it.";
  EXPECT_EQ(page->Tables(), expected);

  Trigger(page, "mnuGenerate");
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Generation Complete"));
  EXPECT_EQ(h.dialogs.messages[0].text, QStringLiteral("Generation Complete..."));
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Information);
  EXPECT_FALSE(h.nav.IsOpen(PageId::WorkArea));
  EXPECT_TRUE(h.nav.IsOpen(PageId::IntFile));

  const std::string script = ReadFile(h.programDir / "GruffPack.uc");
  ASSERT_EQ(script.substr(0, head.size()), head);
  const std::string block = script.substr(head.size());
  EXPECT_EQ(WithoutStamp(block),
            WithoutStamp(BuildDefaultProperties(expected, h.state, LocalNow()).Text));
  EXPECT_NE(block.find("AckSound(0)=Sound'GruffPack.Voice.yes'\r\n"), std::string::npos);
  EXPECT_NE(block.find("AckString(1)=\"Roger \\\\ that\"\r\n"), std::string::npos);
}

TEST(WorkAreaPage, RefusedGenerationKeepsThePageAndTheFile) {
  struct Case {
    const char* answer;
    const char* text;
  };
  for (const Case c : {Case{"1", "Say \"hi\""}, Case{"17", ""}}) {
    SCOPED_TRACE(c.answer);
    Harness h;
    h.state.VoicePackName = "Pack";
    WorkAreaPage* page = OpenPage(h);
    QTableView* view = ShowTable(page, WorkAreaTab::Acknowledgements);
    h.dialogs.inputAnswers.push_back(QString::fromLatin1(c.answer));
    Click(page, "Command1");
    TypeInCell(view, 0, Col::kString, QString::fromLatin1(c.text));
    const WorkAreaTables before = page->Tables();
    Click(page, "Command12");
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Cannot Generate Script"));
    EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_FALSE(std::filesystem::exists(h.programDir / "Pack.uc"));
    EXPECT_TRUE(h.nav.IsOpen(PageId::WorkArea));
    EXPECT_EQ(page->Tables(), before);
  }
}

TEST(WorkAreaPage, BackAndVoiceWindowMoves) {
  struct Case {
    const char* trigger;
    bool menu;
    PageId opens;
    bool staysOpen;
  };
  const Case cases[] = {
      {"Command18", false, PageId::Script, false},
      {"mnuBack", true, PageId::Script, false},
      {"Command13", false, PageId::VoiceWindow, true},
      {"mnuVW", true, PageId::VoiceWindow, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trigger);
    Harness h;
    h.state.VoicePackName = "Pack";
    WorkAreaPage* page = OpenPage(h);
    c.menu ? Trigger(page, c.trigger) : Click(page, c.trigger);
    EXPECT_TRUE(h.nav.IsOpen(c.opens));
    EXPECT_EQ(h.nav.IsOpen(PageId::WorkArea), c.staysOpen);
  }
}

}  // namespace
}  // namespace voxmire::test
