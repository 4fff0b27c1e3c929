// The work area page driven as a user would: rows, cell edits, drops,
// presets, and the script block it appends.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <regex>

#include "output/DefaultProperties.h"
#include "support/Harness.h"
#include "workarea/BaseVoicePresets.h"
#include "workarea/PhraseTableModel.h"
#include "workarea/WorkAreaPage.h"

namespace voxmire::test {
namespace {

using Col = PhraseTableModel::Column;
using Messages = std::vector<ShownMessage>;

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

// A game directory beside the program's, with its settings file, and the
// stock voice packages in its Sounds folder when `withSounds`; the program
// directory gets the stock libraries.
void GiveGame(Harness& h, bool withSounds) {
  namespace fs = std::filesystem;
  const fs::path game = h.root / "ut";
  WriteFile(game / "System" / "UnrealTournament.ini",
            ReadFile(fs::path(VOXMIRE_SHARED_DIR) / "ut99" / "UnrealTournament-436.ini"));
  fs::create_directories(game / "Sounds");
  for (const auto& entry : fs::directory_iterator(fs::path(VOXMIRE_SHARED_DIR) / "ut99/packages")) {
    if (withSounds) fs::copy_file(entry.path(), game / "Sounds" / entry.path().filename());
  }
  fs::copy(fs::path(VOXMIRE_DATA_DIR) / "Lib", h.programDir / "Lib", fs::copy_options::recursive);
  h.state.UTDir = game.string();
  h.state.UTSystemDir = (game / "System").string();
}

// The generation stamp differs from run to run.
std::string WithoutStamp(const std::string& text) {
  static const std::regex kStamp("// Generated (on|at): [^\r]*\r\n");
  return std::regex_replace(text, kStamp, "");
}

TEST(WorkAreaPage, OpensOnToolsAndKeepsRowsNumberedUpToTheLimit) {
  Harness h;
  WorkAreaPage* page = OpenPage(h);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->windowTitle(), QStringLiteral("Voicepack Workarea"));
  auto* tabs = Find<QTabWidget>(page, "SSTab1");
  EXPECT_EQ(tabs->count(), 7);
  EXPECT_EQ(tabs->currentIndex(), 6);
  EXPECT_EQ(Caption(page, "Command12"), QStringLiteral("Generate  && Continue"));
  const int width = tabs->width();  // the panel follows the page
  page->resize(page->width() + 200, page->height() + 100);
  EXPECT_TRUE(QTest::qWaitFor([&] { return tabs->width() == width + 200; }));

  QTableView* view = ShowTable(page, WorkAreaTab::Taunts);
  h.dialogs.inputAnswers.push_back(QStringLiteral("2"));
  Click(page, "Command7");
  Click(page, "Command7");  // adds row 3 without asking
  ASSERT_EQ(view->model()->rowCount(), 3);
  for (int r = 0; r < 3; ++r) EXPECT_EQ(view->model()->headerData(r, Qt::Vertical).toInt(), r + 1);
  for (int i = 0; i < 4; ++i) Click(page, "Command6");
  EXPECT_EQ(view->model()->rowCount(), 0);
  EXPECT_EQ(h.dialogs.messages,
            (Messages{{"Error deleting row",
                       "Error deleting row. Make sure there are rows left to delete.",
                       MessageIcon::Critical}}));
  Click(page, "Command7");  // still adding, not asking
  EXPECT_EQ(view->model()->rowCount(), 1);
  EXPECT_EQ(h.dialogs.inputs.size(), 1u);

  view = ShowTable(page, WorkAreaTab::Others);
  h.dialogs.inputAnswers.push_back(QStringLiteral("32767"));
  Click(page, "Command10");
  ASSERT_EQ(view->model()->rowCount(), PhraseTable::kMaxRows);
  Click(page, "Command10");  // no row 32768
  EXPECT_EQ(view->model()->rowCount(), PhraseTable::kMaxRows);
  EXPECT_TRUE(DropOnCell(view, PhraseTable::kMaxRows - 1, Col::kSound, QStringLiteral("last")));
  EXPECT_EQ(page->Tables().Others.Cell(PhraseTable::kMaxRows, PhraseCell::Sound), "last");
}

TEST(WorkAreaPage, CreateRowsAnswers) {
  const ShownMessage notNumeric{"Invalid value", "Error: Invalid value! Must be numeric!",
                                MessageIcon::Critical};
  struct Case {
    const char* create;
    WorkAreaTab tab;
    QString answer;  // a null answer is Cancel
    int rows;
    Messages messages;
    QString caption;
  };
  // The numbers themselves are the entry rules' business.
  const Case cases[] = {
      {"Command1", WorkAreaTab::Acknowledgements, "3", 3, {}, "Add New Row..."},
      {"Command5", WorkAreaTab::FriendlyFire, "abc", 0, {notNumeric}, "Create Rows..."},
      {"Command7", WorkAreaTab::Taunts, QString(), 0, {notNumeric}, "Create Rows..."},
      {"Command10", WorkAreaTab::Others, "40000", 0, {}, "Create Rows..."},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.create) + " " + c.answer.toStdString());
    Harness h;
    WorkAreaPage* page = OpenPage(h);
    h.dialogs.inputAnswers.push_back(c.answer);
    Click(page, c.create);
    EXPECT_EQ(h.dialogs.inputs,
              (std::vector<std::pair<QString, QString>>{
                  {"Choose number of Acknowledgemnt sounds",
                   "How many sounds do you want? You can change this value later"}}));
    EXPECT_EQ(page->Model(c.tab)->rowCount(), c.rows);
    EXPECT_EQ(Caption(page, c.create), c.caption);
    // A screen reader hears what the button now says.
    EXPECT_EQ(Find<QPushButton>(page, c.create)->accessibleName(), c.caption);
    EXPECT_EQ(h.dialogs.messages, c.messages);
  }
}

TEST(WorkAreaPage, CellsTakeTypingAndOnlySoundCellsAndOrderSoundsTakeDrops) {
  Harness h;
  h.state.BaseVoicePackage = "Female2Voice";
  WorkAreaPage* page = OpenPage(h);
  QTableView* view = ShowTable(page, WorkAreaTab::FriendlyFire);
  h.dialogs.inputAnswers.push_back(QStringLiteral("2"));
  Click(page, "Command5");
  PhraseTableModel* model = page->Model(WorkAreaTab::FriendlyFire);

  TypeInCell(view, 1, Col::kString, QString::fromUtf8("Caf\u00E9 \\ time"));
  TypeInCell(view, 0, Col::kAbbrev, QString(25, QLatin1Char('x')));
  view->setCurrentIndex(view->model()->index(0, Col::kSound));
  QTest::keyClick(view, 'q');  // a key on a selected cell starts editing with that key
  EXPECT_EQ(model->Table().Row(1), (PhraseRow{"q", "", std::string(19, 'x')}));

  // A copied entry's line break is left out.
  EXPECT_TRUE(DropOnCell(view, 1, Col::kSound, QStringLiteral("Sound'Pack.Group.Name'\r\n")));
  for (int column : {Col::kString, Col::kAbbrev}) {
    EXPECT_FALSE(DropOnCell(view, 1, column, QStringLiteral("x"))) << column;
  }
  EXPECT_EQ(model->Table().Row(2), (PhraseRow{"Sound'Pack.Group.Name'", "Caf\xE9 \\ time", ""}));
  QMimeData between;  // a drop between rows would make one
  between.setText(QStringLiteral("x"));
  EXPECT_FALSE(model->canDropMimeData(&between, Qt::CopyAction, 0, Col::kSound, QModelIndex()));

  Find<QTabWidget>(page, "SSTab1")->setCurrentIndex(static_cast<int>(WorkAreaTab::Orders));
  auto* orderSound = Find<QLineEdit>(page, "txtSearchSound");
  ASSERT_TRUE(QTest::qWaitFor([orderSound] { return orderSound->isVisible(); }));
  EXPECT_TRUE(DropText(orderSound, orderSound->rect().center(), QStringLiteral("dropped")));
  EXPECT_EQ(page->Tables().Orders[6].Sound, "dropped");
  // A reference longer than the field can show is there whole in its tooltip.
  const QString longReference = QStringLiteral("Sound'AVeryLongPackageName.AVeryLongGroup.%1'")
                                    .arg(QString(60, QLatin1Char('n')));
  orderSound->setText(longReference);
  EXPECT_EQ(orderSound->toolTip(), longReference);
  EXPECT_EQ(page->Tables().Orders[6].Sound, longReference.toStdString());
  for (const char* refuses :
       {"txtSearchString", "txtSearchAbbrev", "txtRedLeader", "txtGoldLeader"}) {
    auto* field = Find<QLineEdit>(page, refuses);
    EXPECT_FALSE(DropText(field, field->rect().center(), QStringLiteral("x"))) << refuses;
    EXPECT_TRUE(field->text().isEmpty()) << refuses;
  }

  // A longer stock abbreviation survives being opened and committed.
  view = ShowTable(page, WorkAreaTab::Taunts);
  Click(page, "Command14");
  const std::string stock = page->Tables().Taunts.Cell(14, PhraseCell::Abbrev);
  ASSERT_GT(stock.size(), PhraseTable::kAbbrevLimit);
  const QModelIndex index = view->model()->index(13, Col::kAbbrev);
  view->edit(index);
  ASSERT_NE(view->indexWidget(index), nullptr);
  QTest::keyClick(view->indexWidget(index), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->indexWidget(index) == nullptr; }));
  EXPECT_EQ(page->Tables().Taunts.Cell(14, PhraseCell::Abbrev), stock);
}

TEST(WorkAreaPage, PresetRefusalsAreShownAndChangeNothing) {
  const ShownMessage notAvailable{"Not Available",
                                  "You didn't select a Voice Base, so this is not available",
                                  MessageIcon::Critical};
  const ShownMessage hasRows{"Error!",
                             "Error, cannot load voice pack settings - are they already loaded?",
                             MessageIcon::Critical};
  for (auto [blank, package, rowsFirst, messages] :
       {std::tuple{true, "Male1Voice", false, Messages(2, notAvailable)},
        std::tuple{false, "Male1Voice", true, Messages{hasRows}},
        std::tuple{false, "", false, Messages{}}}) {
    SCOPED_TRACE(std::string(package) + (rowsFirst ? " with rows" : ""));
    Harness h;
    h.state.BlankBase = blank;
    h.state.BaseVoicePackage = package;
    WorkAreaPage* page = OpenPage(h);
    if (rowsFirst) {
      h.dialogs.inputAnswers.push_back(QStringLiteral("1"));
      Click(page, "Command7");
      TypeInCell(page->View(WorkAreaTab::Taunts), 0, Col::kString, QStringLiteral("mine"));
    }
    const WorkAreaTables before = page->Tables();
    Click(page, "Command14");
    if (!rowsFirst) Click(page, "Command16");  // Orders load over anything
    EXPECT_EQ(page->Tables(), before);
    EXPECT_EQ(h.dialogs.messages, messages);
  }
}

TEST(WorkAreaPage, PresetsEditsAndDropsAreGenerated) {
  Harness h;
  h.state.BaseVoicePackage = "Male1Voice";
  h.state.VoicePackName = "GruffPack";
  h.state.AuthorName = "Jane";
  h.state.Sounds = {"yes"};
  GiveGame(h, true);
  h.state.ScriptHead = "class GruffPack extends VoiceMaleOne;";  // as edited on the script page
  const std::string head = *h.state.ScriptHead + "\r\n";
  WriteFile(h.programDir / "GruffPack.uc", "an earlier script, replaced as a whole\r\n");
  WorkAreaPage* page = OpenPage(h);
  Type(page, "txtHoldAbbrev", QString(40, QLatin1Char('h')));  // orders have no limit
  for (const char* preset :
       {"Command8", "Command9", "Command14", "Command16", "Command17", "Command15"}) {
    Click(page, preset);
  }
  EXPECT_EQ(Caption(page, "Command7"), QStringLiteral("Add New Row..."));
  EXPECT_EQ(Find<QLineEdit>(page, "txtRedLeader")->text(),
            QStringLiteral("Sound'Male1Voice.(All).M1redleader'"));

  QTableView* acks = ShowTable(page, WorkAreaTab::Acknowledgements);
  ASSERT_TRUE(DropOnCell(acks, 0, Col::kSound, QStringLiteral("Sound'GruffPack.GruffPack.yes'")));
  TypeInCell(acks, 1, Col::kString, QStringLiteral("Roger \\ that"));
  Type(page, "txtDefendString", QStringLiteral("Guard it."));

  // The same tables built without the page.
  WorkAreaTables expected;
  expected.Orders[1].Abbrev = std::string(40, 'h');
  for (WorkAreaTab tab :
       {WorkAreaTab::Acknowledgements, WorkAreaTab::FriendlyFire, WorkAreaTab::Taunts,
        WorkAreaTab::Orders, WorkAreaTab::Others, WorkAreaTab::Names}) {
    ASSERT_EQ(LoadVoiceBaseSettings(h.state, tab, expected), PresetLoadResult::Loaded);
  }
  expected.Acks.SetCell(1, PhraseCell::Sound, "Sound'GruffPack.GruffPack.yes'");
  expected.Acks.SetCell(2, PhraseCell::String, "Roger \\ that");
  expected.Orders[0].String = "Guard it.";
  EXPECT_EQ(page->Tables(), expected);

  Trigger(page, "mnuGenerate");
  EXPECT_EQ(
      h.dialogs.messages,
      (Messages{{"Generation Complete", "Generation Complete...", MessageIcon::Information}}));
  EXPECT_FALSE(h.nav.IsOpen(PageId::WorkArea));
  EXPECT_TRUE(h.nav.IsOpen(PageId::IntFile));

  const std::string script = ReadFile(h.programDir / "GruffPack.uc");
  ASSERT_EQ(script.substr(0, head.size()), head);
  const std::string block = script.substr(head.size());
  EXPECT_EQ(WithoutStamp(block),
            WithoutStamp(BuildDefaultProperties(expected, h.state, LocalNow()).Text));
  EXPECT_NE(block.find("AckString(1)=\"Roger \\\\ that\"\r\n"), std::string::npos);
}

TEST(WorkAreaPage, RefusedGenerationKeepsThePageAndTheFile) {
  for (auto [answer, text] : {std::pair{"1", "Say \"hi\""}, std::pair{"17", ""}}) {
    SCOPED_TRACE(answer);
    Harness h;
    h.state.VoicePackName = "Pack";
    WorkAreaPage* page = OpenPage(h);
    QTableView* view = ShowTable(page, WorkAreaTab::Acknowledgements);
    h.dialogs.inputAnswers.push_back(answer);
    Click(page, "Command1");
    TypeInCell(view, 0, Col::kString, text);
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

// A Sound cell the game can't resolve refuses generation before anything is
// written; what resolves depends on the game's packages, then the libraries.
TEST(WorkAreaPage, SoundReferencesAreCheckedBeforeAnythingIsWritten) {
  struct Case {
    bool withSounds;
    QString sound;
    std::vector<std::string> mentions;  // none: generated
  };
  for (const Case& c : std::vector<Case>{
           {true,
            "Sound'Male1Voice.(All).M1gotti'",
            {"row 2", "\"Taunts\"", "Sound'Male1Voice.(All).M1gotti'",
             "Male1Voice has no sound named M1gotti", "Male1Voice.uax"}},
           {true, "Sound'MixedSounds.Skaarj.roar'", {}},
           {true, "Sound'Male1Voce.(All).M1gotit'", {"no package Male1Voce in ", "/Sounds"}},
           {false, "Sound'Male1Voice.(All).M1gotit'", {}},
           {false, "Sound'Male1Voice.(All).M1gotti'", {"M1gotti", "MaleOne.vpl"}},
           {false, "Sound'MixedSounds.Skaarj.roar'", {"no package MixedSounds"}},
           {true, "M1gotit", {"row 2", "is not a sound reference"}},
       }) {
    SCOPED_TRACE(c.sound.toStdString());
    Harness h;
    h.state.VoicePackName = "Pack";
    h.state.ScriptHead = "class Pack extends VoiceMaleOne;";
    GiveGame(h, c.withSounds);
    const std::string head = "class Pack extends VoiceMaleOne;\r\n";
    WriteFile(h.programDir / "Pack.uc", head);
    WorkAreaPage* page = OpenPage(h);
    QTableView* view = ShowTable(page, WorkAreaTab::Taunts);
    h.dialogs.inputAnswers.push_back("2");
    Click(page, "Command7");
    TypeInCell(view, 1, Col::kSound, c.sound);
    Click(page, "Command12");
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    const ShownMessage& shown = h.dialogs.messages[0];
    if (c.mentions.empty()) {
      EXPECT_EQ(shown.title, QStringLiteral("Generation Complete"));
      EXPECT_NE(ReadFile(h.programDir / "Pack.uc").find("TauntSound(1)=" + c.sound.toStdString()),
                std::string::npos);
      continue;
    }
    EXPECT_EQ(shown.title, QStringLiteral("Cannot Generate Script"));
    EXPECT_EQ(shown.icon, MessageIcon::Critical);
    for (const std::string& part : c.mentions) {
      EXPECT_TRUE(shown.text.contains(QString::fromStdString(part)))
          << shown.text.toStdString() << " lacks " << part;
    }
    EXPECT_EQ(ReadFile(h.programDir / "Pack.uc"), head);
    EXPECT_TRUE(h.nav.IsOpen(PageId::WorkArea));
  }
}

TEST(WorkAreaPage, BackVoiceWindowAndRecordingWindowMoves) {
  for (auto [trigger, opens] :
       {std::pair{"Command18", PageId::Script}, std::pair{"mnuBack", PageId::Script},
        std::pair{"Command13", PageId::VoiceWindow}, std::pair{"mnuVW", PageId::VoiceWindow},
        std::pair{"cmdRecordLines", PageId::Recorder}, std::pair{"mnuRecord", PageId::Recorder}}) {
    SCOPED_TRACE(trigger);
    Harness h;
    h.state.VoicePackName = "Pack";
    WorkAreaPage* page = OpenPage(h);
    trigger[0] == 'm' ? Trigger(page, trigger) : Click(page, trigger);
    EXPECT_TRUE(h.nav.IsOpen(opens));
    EXPECT_EQ(h.nav.IsOpen(PageId::WorkArea),
              opens != PageId::Script);  // the windows sit beside
  }
}

}  // namespace
}  // namespace voxmire::test
