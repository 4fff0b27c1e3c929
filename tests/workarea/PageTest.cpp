// The work area page driven as a user would: rows, cell edits, drops,
// presets, and the script block it appends.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <regex>

#include "output/DefaultProperties.h"
#include "output/ScriptTemplate.h"
#include "project/BaseVoices.h"
#include "sounds/PackSounds.h"
#include "support/Harness.h"
#include "support/SilentWav.h"
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
  for (const char* refuses : {"txtSearchString", "txtSearchAbbrev"}) {
    auto* field = Find<QLineEdit>(page, refuses);
    EXPECT_FALSE(DropText(field, field->rect().center(), QStringLiteral("x"))) << refuses;
    EXPECT_TRUE(field->text().isEmpty()) << refuses;
  }

  // A longer stock abbreviation survives being opened and committed.
  view = ShowTable(page, WorkAreaTab::Taunts);
  Click(page, "Command14");
  const std::string stock(page->Tables().Taunts.Cell(14, PhraseCell::Abbrev));
  ASSERT_GT(stock.size(), PhraseTable::kAbbrevLimit);
  const QModelIndex index = view->model()->index(13, Col::kAbbrev);
  view->edit(index);
  ASSERT_NE(view->indexWidget(index), nullptr);
  QTest::keyClick(view->indexWidget(index), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->indexWidget(index) == nullptr; }));
  EXPECT_EQ(page->Tables().Taunts.Cell(14, PhraseCell::Abbrev), stock);
}

// A sound reference dropped or pasted onto a Sound cell or field, an order's
// Sound field or a leader's name replaces what it held (the voice window's
// entries are whole references); other text goes in as into any field.
TEST(WorkAreaPage, ASoundReferenceDroppedOrPastedReplacesTheSoundItLandsOn) {
  Harness h;
  WorkAreaPage* page = OpenPage(h);
  const QString stock = QStringLiteral("Sound'Male1Voice.(All).M1hold'");
  const QString gravel = QStringLiteral("Sound'GravelVox.GravelVox.Hold_Position'");
  const QString own = QStringLiteral("Sound'MyPack.MyPack.hello'");

  Find<QTabWidget>(page, "SSTab1")->setCurrentIndex(static_cast<int>(WorkAreaTab::Orders));
  auto* hold = Find<QLineEdit>(page, "txtHoldSound");
  ASSERT_TRUE(QTest::qWaitFor([hold] { return hold->isVisible(); }));
  hold->setText(stock);
  ASSERT_TRUE(DropText(hold, QPoint(hold->width() / 3, hold->height() / 2), gravel));
  EXPECT_EQ(page->Tables().Orders[1].Sound, gravel.toStdString());
  QTest::keySequence(hold, QKeySequence::Undo);  // a drop is an edit like any other
  EXPECT_EQ(page->Tables().Orders[1].Sound, stock.toStdString());
  hold->setText(QStringLiteral("M1"));  // plain text goes where it is dropped
  ASSERT_TRUE(DropText(hold, QPoint(hold->width() - 4, hold->height() / 2), "hold"));
  EXPECT_EQ(hold->text(), QStringLiteral("M1hold"));
  QGuiApplication::clipboard()->setText(own + QStringLiteral("\r\n"));
  hold->setFocus();
  QTest::keySequence(hold, QKeySequence::Paste);
  EXPECT_EQ(page->Tables().Orders[1].Sound, own.toStdString());

  Find<QTabWidget>(page, "SSTab1")->setCurrentIndex(static_cast<int>(WorkAreaTab::Names));
  auto* red = Find<QLineEdit>(page, "txtRedLeader");
  auto* gold = Find<QLineEdit>(page, "txtGoldLeader");
  ASSERT_TRUE(QTest::qWaitFor([red] { return red->isVisible(); }));
  red->setText(QStringLiteral("typed"));
  ASSERT_TRUE(DropText(red, red->rect().center(), gravel));
  gold->setFocus();
  QTest::keySequence(gold, QKeySequence::Paste);
  EXPECT_EQ(page->Tables().Names,
            (std::array<std::string, 4>{gravel.toStdString(), "", "", own.toStdString()}));

  // The tables: a Sound cell not being edited takes Ctrl+V whole, another
  // cell doesn't; an open Sound editor is replaced, from its menu too.
  QTableView* view = ShowTable(page, WorkAreaTab::Acknowledgements);
  h.dialogs.inputAnswers = {QStringLiteral("1")};
  Click(page, "Command1");
  PhraseTableModel* model = page->Model(WorkAreaTab::Acknowledgements);
  view->setFocus();
  view->setCurrentIndex(model->index(0, Col::kString));
  QTest::keySequence(view, QKeySequence::Paste);
  view->setCurrentIndex(model->index(0, Col::kSound));
  QTest::keySequence(view, QKeySequence::Paste);
  EXPECT_EQ(model->Table().Row(1), (PhraseRow{own.toStdString(), "", ""}));

  QGuiApplication::clipboard()->setText(gravel);
  TypeInCell(view, 0, Col::kSound, QStringLiteral("partial"));
  auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(model->index(0, Col::kSound)));
  ASSERT_NE(editor, nullptr);
  QTest::keySequence(editor, QKeySequence::Paste);
  EXPECT_EQ(model->Table().Row(1).Sound, gravel.toStdString());

  QGuiApplication::clipboard()->setText(stock);
  bool pasted = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
      if (!action->text().startsWith(QStringLiteral("&Paste"))) continue;
      action->trigger();
      pasted = true;
    }
    menu->close();
  });
  QContextMenuEvent context(QContextMenuEvent::Keyboard, editor->rect().center(),
                            editor->mapToGlobal(editor->rect().center()));
  QApplication::sendEvent(editor, &context);
  EXPECT_TRUE(pasted);
  EXPECT_EQ(model->Table().Row(1).Sound, stock.toStdString());
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
  // As edited on the script page: the pack's own sound is the one it imports.
  h.state.ScriptHead =
      "class GruffPack extends VoiceMaleOne;\r\n" + ImportStatement("yes", h.state);
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

  h.dialogs.confirmAnswers = {true};
  Trigger(page, "mnuGenerate");
  // Male One's own "Man down!" is silent: said, and generated all the same.
  ASSERT_EQ(h.dialogs.confirms.size(), 1u);
  EXPECT_TRUE(h.dialogs.confirms[0].text.contains(
      QStringLiteral("Row 6 on the \"Others\" tab has a String but no Sound")));
  EXPECT_EQ(
      h.dialogs.messages,
      (Messages{{"Generation Complete", "Generation Complete...", MessageIcon::Information}}));
  EXPECT_FALSE(h.nav.IsOpen(PageId::WorkArea));
  EXPECT_TRUE(h.nav.IsOpen(PageId::IntFile));

  const std::string script = ReadFile(h.programDir / "GruffPack.uc");
  ASSERT_EQ(script.substr(0, head.size()), head);
  const std::string block = script.substr(head.size());
  NoSoundLengths none;
  EXPECT_EQ(WithoutStamp(block),
            WithoutStamp(BuildDefaultProperties(expected, h.state, LocalNow(),
                                                *GameClassDefaults("VoiceMaleOne"), none)
                             .Text));
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
    EXPECT_TRUE(h.dialogs.confirms.empty());  // a refusal comes before any warning
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
    h.dialogs.confirmAnswers = {true};  // the empty tables are only warned about
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

std::string Wav(double seconds) { return testing::SilentWavSeconds(seconds); }

// A pack on `base` with the pack's own recordings of the given lengths.
void OwnSounds(Harness& h, const char* base, std::vector<std::pair<std::string, double>> sounds) {
  h.state.VoicePackName = "Pack";
  ApplyBaseVoice(kBaseVoices[*FindBaseVoice(base)], h.state);
  for (const auto& [name, seconds] : sounds) {
    h.state.Sounds.push_back(name);
    WriteFile(PackSoundFile(h.places, "Pack", name), Wav(seconds));
  }
}

// Types into a Time cell and leaves it with Enter.
void TypeTime(QTableView* view, int row, const QString& text) {
  TypeInCell(view, row, Col::kExtra, text);
  const QModelIndex index = view->model()->index(row, Col::kExtra);
  if (QWidget* editor = view->indexWidget(index)) QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->indexWidget(index) == nullptr; }));
}

TEST(WorkAreaPage, TheTimeColumnFollowsTheSoundAndTakesOnlyTimesTheGameCanUse) {
  Harness h;
  OwnSounds(h, "Male1", {{"long", 1.5}, {"short", 0.25}});
  WorkAreaPage* page = OpenPage(h);
  QTableView* view = ShowTable(page, WorkAreaTab::Acknowledgements);
  Click(page, "Command8");
  QAbstractItemModel* model = view->model();
  const PhraseTable& acks = page->Tables().Acks;
  const auto shown = [&](int row) { return model->index(row, Col::kExtra).data().toString(); };
  const auto greyed = [&](int row) {
    return model->index(row, Col::kExtra).data(Qt::ForegroundRole).isValid();
  };
  ASSERT_EQ(model->columnCount(), 4);
  EXPECT_EQ(model->headerData(Col::kExtra, Qt::Horizontal).toString(), QStringLiteral("Time (s):"));
  EXPECT_EQ(shown(0), QStringLiteral("0.78"));  // the preset's stock time, as typed
  EXPECT_FALSE(greyed(0));

  // A drop of the pack's own sound: the time follows it, greyed.
  ASSERT_TRUE(DropOnCell(view, 1, Col::kSound, QStringLiteral("Sound'Pack.Pack.long'")));
  EXPECT_EQ(acks.Time(2), std::nullopt);
  EXPECT_EQ(shown(1), QStringLiteral("1.50"));
  EXPECT_TRUE(greyed(1));

  // Typed times: refused with the reason, else kept.
  TypeTime(view, 1, QStringLiteral("abc"));
  TypeTime(view, 1, QStringLiteral("12"));
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Invalid time"));
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(h.dialogs.messages[0].text.contains(QStringLiteral("\"abc\" is not a time")));
  EXPECT_TRUE(h.dialogs.messages[1].text.contains(QStringLiteral("between 0.05 and 10 seconds")));
  EXPECT_EQ(acks.Time(2), std::nullopt);
  TypeTime(view, 1, QStringLiteral("1,2"));
  EXPECT_EQ(acks.Time(2), 1.2);
  EXPECT_EQ(shown(1), QStringLiteral("1.20"));
  EXPECT_FALSE(greyed(1));

  // Another sound, from any page: the typed time goes with the old one.
  ASSERT_TRUE(DropOnCell(view, 1, Col::kSound, QStringLiteral("Sound'Pack.Pack.short'")));
  EXPECT_EQ(acks.Time(2), std::nullopt);
  EXPECT_EQ(shown(1), QStringLiteral("0.25"));
  // Emptied, a stock time follows its sound too: the stock time, without the game.
  TypeTime(view, 0, QString());
  EXPECT_EQ(acks.Time(1), std::nullopt);
  EXPECT_EQ(shown(0), QStringLiteral("0.78"));
  EXPECT_TRUE(greyed(0));
  // A sound of no known length: the base voice's time, which the game keeps.
  TypeInCell(view, 2, Col::kSound, QStringLiteral("Sound'Pack.Pack.unheard'"));
  EXPECT_EQ(shown(2), QStringLiteral("0.98"));
  EXPECT_TRUE(model->index(2, Col::kExtra)
                  .data(Qt::ToolTipRole)
                  .toString()
                  .contains(QStringLiteral("base voice's time")));
  EXPECT_EQ(h.dialogs.messages.size(), 2u);
}

TEST(WorkAreaPage, MatureBoxesTickByKeyboardAndAreNamedForScreenReaders) {
  Harness h;
  OwnSounds(h, "Male1", {});
  WorkAreaPage* page = OpenPage(h);
  QTableView* view = ShowTable(page, WorkAreaTab::Taunts);
  Click(page, "Command14");
  QAbstractItemModel* model = view->model();
  EXPECT_EQ(model->headerData(Col::kExtra, Qt::Horizontal).toString(), QStringLiteral("Mature"));
  const auto ticked = [&](int row) {
    return model->index(row, Col::kExtra).data(Qt::CheckStateRole).toInt() == Qt::Checked;
  };
  EXPECT_TRUE(ticked(2));  // the stock flags: "Yeah, bitch!" and "Die, bitch."
  EXPECT_TRUE(ticked(6));
  EXPECT_FALSE(ticked(0));
  EXPECT_FALSE(model->flags(model->index(0, Col::kExtra)) & Qt::ItemIsEditable);

  view->setFocus();
  view->setCurrentIndex(model->index(0, Col::kExtra));
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_TRUE(page->Tables().Taunts.Row(1).Mature);
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_FALSE(page->Tables().Taunts.Row(1).Mature);

  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(view);
  ASSERT_NE(table, nullptr);
  ASSERT_NE(table->tableInterface(), nullptr);
  QAccessibleInterface* cell = table->tableInterface()->cellAt(2, Col::kExtra);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("Mature"));
  EXPECT_TRUE(cell->state().checkable);
  EXPECT_TRUE(cell->state().checked);
}

TEST(WorkAreaPage, EmptyOrdersAndLeadersShowTheBaseVoicesGreyedWithTheLeadersTimes) {
  Harness h;
  OwnSounds(h, "Female2", {{"red", 1.4}});
  WorkAreaPage* page = OpenPage(h);
  const auto field = [&](const char* name) { return Find<QLineEdit>(page, name); };
  EXPECT_EQ(field("txtFlagSound")->placeholderText(),
            QStringLiteral("Sound'Female2Voice.(All).F2takeflag'"));
  EXPECT_EQ(field("txtDefendAbbrev")->placeholderText(), QStringLiteral("Defend"));
  EXPECT_EQ(field("txtHoldAbbrev")->placeholderText(), QString());
  EXPECT_EQ(field("txtRedLeader")->placeholderText(),
            QStringLiteral("Sound'Female2Voice.(All).F2redleader'"));
  QLineEdit* time = field("txtRedLeaderTime");
  EXPECT_EQ(time->placeholderText(), QStringLiteral("0.89"));
  EXPECT_EQ(time->accessibleName(), QStringLiteral("Red Leader Time"));

  Find<QTabWidget>(page, "SSTab1")->setCurrentIndex(static_cast<int>(WorkAreaTab::Names));
  ASSERT_TRUE(QTest::qWaitFor([time] { return time->isVisible(); }));
  Type(page, "txtRedLeader", QStringLiteral("Sound'Pack.Pack.red'"));
  EXPECT_EQ(time->placeholderText(), QStringLiteral("1.40"));
  const auto typeTime = [&](const QString& text) {
    Type(page, "txtRedLeaderTime", text);
    QTest::keyClick(time, Qt::Key_Return);
  };
  typeTime(QStringLiteral("0.3x"));
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Invalid time"));
  EXPECT_EQ(time->text(), QString());
  EXPECT_EQ(page->Tables().NameTimes[0], std::nullopt);
  typeTime(QStringLiteral("1.2"));
  EXPECT_EQ(page->Tables().NameTimes[0], (FixedTime{1.2, "Sound'Pack.Pack.red'"}));
  // A new sound: its own length again.
  Type(page, "txtRedLeader", QStringLiteral("Sound'Pack.Pack.blue'"));
  EXPECT_EQ(page->Tables().NameTimes[0], std::nullopt);
  EXPECT_EQ(time->text(), QString());
  EXPECT_EQ(time->placeholderText(), QStringLiteral("0.89"));  // unknown length: the base's

  Click(page, "Command15");
  EXPECT_EQ(time->text(), QStringLiteral("0.89"));
  EXPECT_EQ(field("txtGoldLeaderTime")->text(), QStringLiteral("0.93"));
  EXPECT_EQ(h.dialogs.messages.size(), 1u);
}

TEST(WorkAreaPage, GenerateWarnsOnceListingEverythingAndTheUserDecides) {
  Harness h;
  OwnSounds(h, "Male1", {{"long", 1.5}});
  h.state.ScriptHead = "class Pack extends VoiceMaleOne;\r\n" + ImportStatement("long", h.state);
  WorkAreaPage* page = OpenPage(h);
  QTableView* acks = ShowTable(page, WorkAreaTab::Acknowledgements);
  h.dialogs.inputAnswers = {QStringLiteral("1"), QStringLiteral("1")};
  Click(page, "Command1");
  TypeInCell(acks, 0, Col::kSound, QStringLiteral("Sound'Pack.Pack.long'"));
  TypeInCell(acks, 0, Col::kString, QStringLiteral("Yes"));
  TypeTime(acks, 0, QStringLiteral("1"));
  QTableView* taunts = ShowTable(page, WorkAreaTab::Taunts);
  Click(page, "Command7");
  TypeInCell(taunts, 0, Col::kString, QStringLiteral("Boom!"));

  Click(page, "Command12");  // answered No
  ASSERT_EQ(h.dialogs.confirms.size(), 1u);
  const ShownMessage& asked = h.dialogs.confirms[0];
  EXPECT_EQ(asked.title, QStringLiteral("Check the Pack"));
  EXPECT_EQ(asked.icon, MessageIcon::Exclamation);
  EXPECT_EQ(asked.text.split(QLatin1Char('\r')),
            (QStringList{"In the game, the pack will not do everything its tables seem to say:", "",
                         "- The time of row 1 on the \"Acknowledgements\" tab, 1.00 s, is shorter "
                         "than its sound (1.50 s): the leader's name cuts it off.",
                         "- The \"Friendly Fire\" tab has no rows: in the game the voice never "
                         "says anything when a team mate hits it.",
                         "- Row 1 on the \"Taunts\" tab has a String but no Sound: the game shows "
                         "\"Boom!\" and says nothing.",
                         "", "Generate the script all the same?"}));
  EXPECT_FALSE(std::filesystem::exists(h.programDir / "Pack.uc"));
  EXPECT_TRUE(h.nav.IsOpen(PageId::WorkArea));
  EXPECT_TRUE(h.dialogs.messages.empty());

  h.dialogs.confirmAnswers = {true};
  Click(page, "Command12");
  EXPECT_EQ(h.dialogs.confirms.size(), 2u);
  EXPECT_NE(ReadFile(h.programDir / "Pack.uc").find("AckTime(0)=1.000000\r\n"), std::string::npos);
  EXPECT_TRUE(h.nav.IsOpen(PageId::IntFile));
}

}  // namespace
}  // namespace voxmire::test
