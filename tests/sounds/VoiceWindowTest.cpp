// The voice window driven as a user would: the caution, the lists of own and
// stock sounds, playing, dragging an entry into the work area and keeping in front.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <filesystem>
#include <map>
#include <memory>

#include "game/PackageBuilder.h"
#include "game/WavHeader.h"
#include "sounds/VoiceWindow.h"
#include "support/Harness.h"

namespace voxmire::test {
namespace {

VoiceList* List(QWidget* w) { return Find<VoiceList>(w, "ListView1"); }
QString Count(QWidget* w) { return Find<QLabel>(w, "lblCount")->text(); }
void Choose(QWidget* w, int index) { Find<QComboBox>(w, "Combo1")->setCurrentIndex(index); }

QStringList Entries(QWidget* w) {
  QStringList texts;
  for (int i = 0; i < List(w)->topLevelItemCount(); ++i) texts << List(w)->topLevelItem(i)->text(0);
  return texts;
}

// A pack based on Male One with two own sounds, and small libraries.
void Prepare(Harness& h, const std::string& pack = "MyPack") {
  h.state.VoicePackName = pack;
  h.state.BaseVoicePackage = "Male1Voice";
  h.state.SoundDir = "/snd/";
  WriteFile(h.programDir / "soundlist.txt", "hello\r\nbye\r\n");
  for (const char* lib : {"MaleOne", "MaleTwo", "Boss", "FemaleOne"}) {
    WriteFile(h.programDir / "Lib" / (std::string(lib) + ".vpl"), std::string(lib, 2) + "\r\n");
  }
  WriteFile(h.programDir / "Lib" / "FemaleTwo.vpl", "F2a\r\n\r\nF2b\r\n");
}

TEST(VoiceWindow, OpensWithTheCautionAndThePacksOwnSoundsAndReloadsThem) {
  Harness h;
  Prepare(h);
  QWidget* w = h.Open(PageId::VoiceWindow);
  EXPECT_EQ(h.dialogs.messages,
            (std::vector<ShownMessage>{
                {"Caution",
                 "Please note: \rYou are using Male1Voice as your base voice.\rIf you use sounds "
                 "from libraries other than that or your own one\rI cannot guarantee that it will "
                 "work properly.",
                 MessageIcon::Exclamation}}));
  EXPECT_EQ(Entries(w), QStringList({"Sound'MyPack.MyPack.hello'", "Sound'MyPack.MyPack.bye'"}));
  EXPECT_EQ(Count(w), "Number of Items loaded: 2");

  WriteFile(h.programDir / "soundlist.txt", "one\r\ntwo\r\nthree\r\n");
  Click(w, "Command1");  // the list is read again, but the count stays
  EXPECT_EQ(Entries(w), QStringList({"Sound'MyPack.MyPack.one'", "Sound'MyPack.MyPack.two'",
                                     "Sound'MyPack.MyPack.three'"}));
  EXPECT_EQ(Count(w), "Number of Items loaded: 2");
}

// Which file a choice names is the library's business; here the choice
// reaches it, a missing file lists nothing, and a pack named like a library
// shows its own sounds.
TEST(VoiceWindow, EachChoiceListsItsFile) {
  const QString f2 = "Sound'Female2Voice.(All).";
  // The pack, the choice, a file removed before choosing, the entries.
  const std::tuple<std::string, int, const char*, QStringList> cases[] = {
      {"MyPack", 5, nullptr, {f2 + "F2a'", f2 + "'", f2 + "F2b'"}},
      {"MyPack", 2, "Lib/MaleTwo.vpl", {}},
      {"MyPack", 0, "soundlist.txt", {}},
      {"Boss", 3, nullptr, {"Sound'Boss.Boss.hello'", "Sound'Boss.Boss.bye'"}},
  };
  for (const auto& [pack, choice, missing, entries] : cases) {
    Harness h;
    Prepare(h, pack);
    QWidget* w = h.Open(PageId::VoiceWindow);
    Choose(w, 1);  // start elsewhere, so that choosing is a change
    if (missing != nullptr) std::filesystem::remove(h.programDir / missing);
    Choose(w, choice);
    EXPECT_EQ(Entries(w), entries) << pack << choice;
    EXPECT_EQ(Count(w), QString("Number of Items loaded: %1").arg(entries.size()));
  }
}

TEST(VoiceWindow, DoubleClickOrEnterPlaysTheSelectedEntry) {
  Harness h;
  Prepare(h);
  QWidget* w = h.Open(PageId::VoiceWindow);
  VoiceList* list = List(w);
  auto doubleClick = [list](int row) {
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualItemRect(list->topLevelItem(row)).center());
  };
  doubleClick(1);
  list->setCurrentItem(list->topLevelItem(0));
  h.player.succeed = false;
  QTest::keyClick(list, Qt::Key_Return);
  Choose(w, 1);
  doubleClick(0);  // a stock sound, with no game directory to find it in
  Choose(w, 0);
  list->setCurrentItem(nullptr);
  list->clearSelection();
  QTest::keyClick(list, Qt::Key_Return);  // nothing selected
  EXPECT_EQ(h.player.played, (std::vector<QString>{"/snd/bye.wav", "/snd/hello.wav"}));
  ASSERT_EQ(h.dialogs.messages.size(), 3u);  // the caution first
  EXPECT_EQ(h.dialogs.messages[1],
            (ShownMessage{"Error playing soundfile", "Error Playing File: '/snd/hello.wav'",
                          MessageIcon::Critical}));
  EXPECT_EQ(h.dialogs.messages[2],
            (ShownMessage{"Error playing soundfile", "Error Playing File: 'Male1Voice.uax'",
                          MessageIcon::Critical}));
}

// A game directory whose Sounds folder holds the fixture packages and
// `extra` packages built here, and the real stock libraries.
std::filesystem::path GiveGame(Harness& h, bool withSounds,
                               const std::map<std::string, std::string>& extra = {}) {
  namespace fs = std::filesystem;
  Prepare(h);
  const fs::path game = h.root / "ut";
  WriteFile(game / "System" / "UnrealTournament.ini",
            ReadFile(fs::path(VOXMIRE_SHARED_DIR) / "ut99" / "UnrealTournament-436.ini"));
  fs::create_directories(game / "Sounds");
  for (const auto& entry : fs::directory_iterator(fs::path(VOXMIRE_SHARED_DIR) / "ut99/packages")) {
    if (withSounds) fs::copy_file(entry.path(), game / "Sounds" / entry.path().filename());
  }
  for (const auto& [name, bytes] : extra) WriteFile(game / "Sounds" / name, bytes);
  fs::remove_all(h.programDir / "Lib");
  fs::copy(fs::path(VOXMIRE_DATA_DIR) / "Lib", h.programDir / "Lib", fs::copy_options::recursive);
  h.state.UTDir = game.string();
  h.state.UTSystemDir = (game / "System").string();
  return game;
}

void PlayRow(QWidget* w, int row) {
  List(w)->setCurrentItem(List(w)->topLevelItem(row));
  QTest::keyClick(List(w), Qt::Key_Return);
}

TEST(VoiceWindow, StockSoundsPlayFromTheGamesPackages) {
  Harness h;
  GiveGame(h, true);
  QWidget* w = h.Open(PageId::VoiceWindow);
  Choose(w, 1);  // MaleOne
  const QStringList entries = Entries(w);
  const int gotit = static_cast<int>(entries.indexOf("Sound'Male1Voice.(All).M1gotit'"));
  ASSERT_GE(gotit, 0);
  PlayRow(w, gotit);
  ASSERT_EQ(h.player.played.size(), 1u);
  const std::filesystem::path played(h.player.played[0].toStdString());
  // The file handed to the player is the package's sound, whole.
  const auto format = testing::ParseWav(ReadFile(played));
  ASSERT_TRUE(format.has_value());
  EXPECT_GT(format->Frames, 0u);
  PlayRow(w, gotit);  // again: the same file
  EXPECT_EQ(h.player.played.size(), 2u);
  EXPECT_EQ(h.dialogs.messages.size(), 1u);  // the caution only
  // The extracted sound goes with the window.
  delete w;
  EXPECT_FALSE(std::filesystem::exists(played));
}

TEST(VoiceWindow, StockSoundsThatCantBePlayedSayWhy) {
  Harness h;
  const std::filesystem::path game = GiveGame(h, false);
  QWidget* w = h.Open(PageId::VoiceWindow);
  Choose(w, 1);
  PlayRow(w, 0);
  EXPECT_TRUE(h.player.played.empty());
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_EQ(
      h.dialogs.messages[1],
      (ShownMessage{"Error playing soundfile",
                    "Error Playing File: '" +
                        QString::fromStdString((game / "Sounds" / "Male1Voice.uax").string()) + "'",
                    MessageIcon::Critical}));
}

// After the six libraries come the game's other sound packages, each
// listing its sounds as references; a stripped one says it has no data and
// a damaged one says it can't be read, and nothing else happens.
TEST(VoiceWindow, OtherGamePackagesAreListedAndPlayed) {
  Harness h;
  const std::string stripped = testing::BuildPackage(69, {{"Grp", "Quiet", "", false}});
  GiveGame(h, true, {{"Stripped.uax", stripped}, {"broken.uax", "junk"}});
  QWidget* w = h.Open(PageId::VoiceWindow);
  auto* combo = Find<QComboBox>(w, "Combo1");
  QStringList choices;
  for (int i = 0; i < combo->count(); ++i) choices << combo->itemText(i);
  EXPECT_EQ(choices, QStringList({"MyPack", "MaleOne", "MaleTwo", "Boss", "FemaleOne", "FemaleTwo",
                                  "broken", "MixedSounds", "Stripped"}));

  Choose(w, 7);
  EXPECT_EQ(Entries(w),
            QStringList({"Sound'MixedSounds.Nali.contact1'", "Sound'MixedSounds.Nali.fear2'",
                         "Sound'MixedSounds.Skaarj.roar'", "Sound'MixedSounds.Skaarj.breath'"}));
  EXPECT_EQ(Count(w), "Number of Items loaded: 4");
  PlayRow(w, 2);
  EXPECT_EQ(h.player.played.size(), 1u);

  Choose(w, 8);
  EXPECT_EQ(Entries(w), QStringList({"Sound'Stripped.Grp.Quiet'"}));
  PlayRow(w, 0);
  EXPECT_EQ(h.player.played.size(), 1u);
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_TRUE(h.dialogs.messages[1].text.contains("Stripped holds no sound data for Quiet"))
      << h.dialogs.messages[1].text.toStdString();

  Choose(w, 6);
  EXPECT_TRUE(Entries(w).isEmpty());
  EXPECT_EQ(Count(w), "Number of Items loaded: 0");
  ASSERT_EQ(h.dialogs.messages.size(), 3u);
  EXPECT_EQ(h.dialogs.messages[2].title, QStringLiteral("Error reading package"));
  EXPECT_TRUE(h.dialogs.messages[2].text.contains("broken.uax"));
}

TEST(VoiceWindow, AnEntryDropsOntoTheWorkAreasSoundCellsAsItIs) {
  Harness h;
  Prepare(h);
  QWidget* work = h.Open(PageId::WorkArea);
  h.dialogs.inputAnswers = {"1"};
  Click(work, "Command1");  // one acknowledgement row
  Click(work, "Command13");
  QWidget* w = h.nav.Window(PageId::VoiceWindow);
  ASSERT_NE(w, nullptr);
  Choose(w, 5);
  for (int row : {0, 1}) {
    const QString entry = List(w)->topLevelItem(row)->text(0);
    const std::unique_ptr<QMimeData> data(List(w)->mimeData({List(w)->topLevelItem(row)}));
    EXPECT_EQ(data->formats(), QStringList({"text/plain"}));
    List(w)->setCurrentItem(List(w)->topLevelItem(row));
    QTest::keySequence(List(w), QKeySequence::Copy);  // the keyboard's way out
    EXPECT_EQ(QGuiApplication::clipboard()->text(), entry);

    auto* field = Find<QLineEdit>(work, "txtDefendSound");
    field->clear();
    ASSERT_TRUE(DropText(field, field->rect().center(), data->text()));
    EXPECT_EQ(field->text(), entry);
    Find<QTabWidget>(work, "SSTab1")->setCurrentIndex(0);
    auto* view = Find<QTableView>(work, "tblAck");
    ASSERT_TRUE(DropOnCell(view, 0, 0, data->text()));
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), entry);
  }
}

// Without a mouse: the keyboard starts on the first entry, Ctrl+C anywhere
// in the window copies the entry the keyboard is on, and so does "Copy" in
// the list's context menu.
TEST(VoiceWindow, WithoutAMouseAnEntryGoesByTheClipboard) {
  Harness h;
  Prepare(h);
  QWidget* w = h.Open(PageId::VoiceWindow);
  Activate(w);
  EXPECT_EQ(QApplication::focusWidget(), List(w));
  QGuiApplication::clipboard()->clear();
  ASSERT_TRUE(TabTo("Combo1"));
  Press(QKeySequence::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Sound'MyPack.MyPack.hello'"));

  ASSERT_TRUE(TabTo("ListView1"));
  Press(Qt::Key_Down);
  bool copied = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
      if (action->text() != QStringLiteral("&Copy")) continue;
      action->trigger();
      copied = true;
    }
    menu->close();
  });
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(4, 4),
                            List(w)->mapToGlobal(QPoint(4, 4)));
  QApplication::sendEvent(List(w), &menuKey);
  EXPECT_TRUE(copied);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Sound'MyPack.MyPack.bye'"));
}

TEST(VoiceWindow, OneInstanceRaisedWithoutFocusButNeverOverAModalBoxThatOutlivesItsPage) {
  Harness h;
  Prepare(h);
  QWidget* w = h.Open(PageId::VoiceWindow);
  QWidget* other = h.Open(PageId::Start);
  ASSERT_TRUE(QTest::qWaitForWindowActive(other));
  auto* timer = w->findChild<QTimer*>("Timer1");
  ASSERT_EQ(timer->interval(), 100);

  // Every raise of a window sends it a z-order change.
  struct RaiseCounter : QObject {
    int raises = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      raises += e->type() == QEvent::ZOrderChange;
      return false;
    }
  } counter;
  w->installEventFilter(&counter);
  int ticks = 0;
  QObject::connect(timer, &QTimer::timeout, [&ticks] { ++ticks; });
  auto raisesInThreeTicks = [&] {
    counter.raises = 0;
    const int until = ticks + 3;
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= until; }));
    return counter.raises;
  };

  EXPECT_GE(raisesInThreeTicks(), 3);
  EXPECT_EQ(QApplication::activeWindow(), other);
  h.dialogs.modalOpen = true;
  EXPECT_EQ(raisesInThreeTicks(), 0);
  h.dialogs.modalOpen = false;
  {
    QDialog box(other);  // closed and gone before its page closes below
    box.open();
    EXPECT_EQ(raisesInThreeTicks(), 0);
  }
  EXPECT_GE(raisesInThreeTicks(), 1);

  EXPECT_EQ(h.nav.Open(PageId::VoiceWindow), w);
  h.nav.Close(PageId::Start);
  QCoreApplication::processEvents();
  EXPECT_TRUE(h.nav.IsOpen(PageId::VoiceWindow));
  EXPECT_EQ(h.quits, 0);
  EXPECT_EQ(h.dialogs.messages.size(), 1u);
  h.nav.Close(PageId::VoiceWindow);
  h.Open(PageId::VoiceWindow);  // created anew: the caution again
  EXPECT_EQ(h.dialogs.messages.size(), 2u);
}

}  // namespace
}  // namespace voxmire::test
