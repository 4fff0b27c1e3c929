// The voice window driven as a user would: the caution, the lists of own and
// stock sounds, playing, dragging an entry into the work area and keeping in front.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <memory>

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

TEST(VoiceWindow, OpensWithTheCautionAndThePacksOwnSounds) {
  Harness h;
  Prepare(h);
  QWidget* w = h.Open(PageId::VoiceWindow);
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].title, "Caution");
  EXPECT_EQ(h.dialogs.messages[0].text,
            "Please note: \rYou are using Male1Voice as your base voice.\rIf you use sounds from "
            "libraries other than that or your own one\rI cannot guarantee that it will work "
            "properly.");
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Exclamation);
  QStringList choices;
  for (int i = 0; i < 6; ++i) choices << Find<QComboBox>(w, "Combo1")->itemText(i);
  EXPECT_EQ(choices,
            QStringList({"MyPack", "MaleOne", "MaleTwo", "Boss", "FemaleOne", "FemaleTwo"}));
  EXPECT_EQ(Entries(w), QStringList({"Sound'MyPack.MyPack.hello'", "Sound'MyPack.MyPack.bye'"}));
  EXPECT_EQ(Count(w), "Number of Items loaded: 2");
}

TEST(VoiceWindow, EachChoiceListsItsFile) {
  struct Case {
    std::string pack;
    int choice;
    const char* missing;  // removed before choosing
    QStringList entries;
  };
  const Case cases[] = {
      {"MyPack", 1, nullptr, {"Sound'Male1Voice.(All).Ma'"}},
      {"MyPack", 2, nullptr, {"Sound'Male2Voice.(All).Ma'"}},
      {"MyPack", 3, nullptr, {"Sound'BossVoice.(All).Bo'"}},
      {"MyPack", 4, nullptr, {"Sound'Female1Voice.(All).Fe'"}},
      {"MyPack",
       5,
       nullptr,
       {"Sound'Female2Voice.(All).F2a'", "Sound'Female2Voice.(All).'",
        "Sound'Female2Voice.(All).F2b'"}},
      {"MyPack", 2, "Lib/MaleTwo.vpl", {}},
      {"MyPack", 0, "soundlist.txt", {}},
      // Named like a library: both "Boss" entries show the pack's own sounds.
      {"Boss", 3, nullptr, {"Sound'Boss.Boss.hello'", "Sound'Boss.Boss.bye'"}},
      {"Boss", 0, nullptr, {"Sound'Boss.Boss.hello'", "Sound'Boss.Boss.bye'"}},
  };
  for (const Case& c : cases) {
    Harness h;
    Prepare(h, c.pack);
    QWidget* w = h.Open(PageId::VoiceWindow);
    Choose(w, c.choice == 1 ? 2 : 1);  // start elsewhere, so that choosing is a change
    if (c.missing != nullptr) std::filesystem::remove(h.programDir / c.missing);
    Choose(w, c.choice);
    EXPECT_EQ(Entries(w), c.entries) << c.pack << c.choice;
    EXPECT_EQ(Count(w), QString("Number of Items loaded: %1").arg(c.entries.size()));
  }
}

TEST(VoiceWindow, ReloadReadsTheFileAgainButKeepsTheCount) {
  Harness h;
  Prepare(h);
  QWidget* w = h.Open(PageId::VoiceWindow);
  WriteFile(h.programDir / "soundlist.txt", "one\r\ntwo\r\nthree\r\n");
  Click(w, "Command1");
  EXPECT_EQ(Entries(w), QStringList({"Sound'MyPack.MyPack.one'", "Sound'MyPack.MyPack.two'",
                                     "Sound'MyPack.MyPack.three'"}));
  EXPECT_EQ(Count(w), "Number of Items loaded: 2");
}

TEST(VoiceWindow, DoubleClickOrEnterPlaysOnlyOwnSounds) {
  struct Case {
    int choice, row;  // row -1: nothing selected, Enter pressed
    bool enter, playerSucceeds;
    std::vector<QString> played;
  };
  const Case cases[] = {{0, 1, false, true, {"/snd/bye.wav"}},
                        {0, 0, true, false, {"/snd/hello.wav"}},
                        {1, 0, false, true, {}},
                        {0, -1, true, true, {}}};
  for (const Case& c : cases) {
    Harness h;
    Prepare(h);
    QWidget* w = h.Open(PageId::VoiceWindow);
    h.player.succeed = c.playerSucceeds;
    Choose(w, c.choice);
    VoiceList* list = List(w);
    list->clearSelection();
    if (c.row >= 0) list->setCurrentItem(list->topLevelItem(c.row));
    if (c.enter) {
      QTest::keyClick(list, Qt::Key_Return);
    } else {
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                         list->visualItemRect(list->currentItem()).center());
    }
    EXPECT_EQ(h.player.played, c.played) << c.row;
    ASSERT_EQ(h.dialogs.messages.size(), c.playerSucceeds ? 1u : 2u);  // the caution first
    if (!c.playerSucceeds) {
      EXPECT_EQ(h.dialogs.messages[1].title, "Error playing soundfile");
      EXPECT_EQ(h.dialogs.messages[1].text, "Error Playing File: '/snd/hello.wav'");
      EXPECT_EQ(h.dialogs.messages[1].icon, MessageIcon::Critical);
    }
  }
}

// Drops `data` on `target` at `at` as a drag from another window would.
bool Drop(QWidget* target, const QMimeData* data, QPoint at) {
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  if (enter.isAccepted()) QApplication::sendEvent(target, &drop);
  return enter.isAccepted() && drop.isAccepted();
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
    ASSERT_TRUE(Drop(field, data.get(), field->rect().center()));
    EXPECT_EQ(field->text(), entry);

    Find<QTabWidget>(work, "SSTab1")->setCurrentIndex(0);
    auto* view = Find<QTableView>(work, "tblAck");
    ASSERT_TRUE(QTest::qWaitFor([view] { return view->isVisible(); }));
    const QModelIndex sound = view->model()->index(0, 0);
    ASSERT_TRUE(Drop(view->viewport(), data.get(), view->visualRect(sound).center()));
    EXPECT_EQ(sound.data().toString(), entry);
  }
}

TEST(VoiceWindow, RaisesItselfWithoutFocusButNeverOverAModalBox) {
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
  QDialog box(other);
  box.open();
  EXPECT_EQ(raisesInThreeTicks(), 0);
  box.close();
  EXPECT_GE(raisesInThreeTicks(), 1);
}

TEST(VoiceWindow, OneInstanceThatOutlivesThePageBesideIt) {
  Harness h;
  Prepare(h);
  QWidget* w = h.Open(PageId::VoiceWindow);
  h.Open(PageId::Start);
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
