// The splash, the start page, the about box, the shared menus and the
// navigator's rules for opening, closing and ending the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalSpy>

#include "app/ClickableLabel.h"
#include "app/SplashWindow.h"
#include "support/Harness.h"

namespace voxmire::test {
namespace {

QColor Background(QWidget* w) { return w->palette().color(QPalette::Window); }

TEST(Splash, BlinksFourTimesThenOpensTheStartPageEvenAfterAClickOnTheAddress) {
  Harness h;
  auto* splash = qobject_cast<SplashWindow*>(h.Open(PageId::Splash));
  ASSERT_NE(splash, nullptr);
  auto* label = Find<QLabel>(splash, "Label1");
  EXPECT_EQ(Background(label), QColor(0, 0, 128));
  QTest::mouseClick(label, Qt::LeftButton);
  ASSERT_EQ(h.shell.opened.size(), 1u);
  EXPECT_TRUE(h.shell.opened[0].startsWith(QStringLiteral("https://")));

  ASSERT_TRUE(QTest::qWaitFor([&] { return splash->Ticks() == 1; }, 2000));
  EXPECT_EQ(Background(label), QColor(Qt::black));
  ASSERT_TRUE(QTest::qWaitFor([&] { return splash->Ticks() == 2; }, 2000));
  EXPECT_EQ(Background(label), QColor(0, 0, 128));
  EXPECT_EQ(h.nav.Window(PageId::Start), nullptr);

  ASSERT_TRUE(QTest::qWaitFor([&] { return h.nav.IsOpen(PageId::Start); }, 2000));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Splash));
  EXPECT_EQ(h.quits, 0);
}

TEST(Splash, ClickOnThePictureOpensTheStartPageOnce) {
  Harness h;
  QWidget* splash = h.Open(PageId::Splash);
  QSignalSpy opened(&h.nav, &Navigator::Opened);
  QTest::mouseClick(Find<QLabel>(splash, "Image2"), Qt::LeftButton);
  ASSERT_TRUE(h.nav.IsOpen(PageId::Start));
  QWidget* start = h.nav.Window(PageId::Start);
  // Long enough for four ticks: the timer stopped with the click.
  EXPECT_FALSE(QTest::qWaitFor([&] { return opened.count() > 1; }, 1800));
  EXPECT_EQ(h.nav.Window(PageId::Start), start);
  EXPECT_EQ(opened.count(), 1);
  EXPECT_FALSE(h.nav.IsOpen(PageId::Splash));
}

// A key pressed to hurry the splash along goes straight on, as a click
// does; only Escape ends the program.
TEST(Splash, AKeyGoesStraightOnAndEscapeEndsTheProgram) {
  for (const int key : {int(Qt::Key_Return), int(Qt::Key_Space), int(Qt::Key_A)}) {
    SCOPED_TRACE(key);
    Harness h;
    QWidget* splash = h.Open(PageId::Splash);
    QTest::keyClick(splash, static_cast<Qt::Key>(key));
    EXPECT_TRUE(h.nav.IsOpen(PageId::Start));
    EXPECT_FALSE(h.nav.IsOpen(PageId::Splash));
    EXPECT_FALSE(QTest::qWaitFor([&] { return h.quits > 0; }, 200));
  }

  Harness h;
  QWidget* splash = h.Open(PageId::Splash);
  QTest::keyClick(splash, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return h.quits == 1; }, 1000));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Start));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Splash));
}

TEST(StartPage, EachOptionLeadsWhereItSaysAndANewPackStartsEmpty) {
  Harness h;
  WriteFile(h.programDir / "_script.txt", "old");
  h.state.VoicePackName = "Earlier";
  h.state.Tables.Acks.CreateRows(3);
  QWidget* start = h.Open(PageId::Start);
  EXPECT_EQ(start->windowTitle(), QStringLiteral("Voxmire"));
  EXPECT_TRUE(Find<QRadioButton>(start, "Option1")->isChecked());

  Find<QRadioButton>(start, "Option2")->setChecked(true);
  Click(start, "Command1");  // the load dialog, cancelled
  EXPECT_EQ(h.dialogs.fileDialogs.size(), 1u);
  EXPECT_TRUE(h.nav.IsOpen(PageId::Start));

  Find<QRadioButton>(start, "Option3")->setChecked(true);
  Click(start, "Command1");
  EXPECT_TRUE(h.nav.IsOpen(PageId::Preferences));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Start));
  EXPECT_TRUE(std::filesystem::exists(h.programDir / "_script.txt"));
  Click(h.nav.Window(PageId::Preferences), "Command3");

  start = h.nav.Window(PageId::Start);
  ASSERT_NE(start, nullptr);
  Find<QRadioButton>(start, "Option1")->setChecked(true);
  Click(start, "Command1");
  EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Start));
  EXPECT_FALSE(std::filesystem::exists(h.programDir / "_script.txt"));
  EXPECT_EQ(h.state, ProjectState());
  EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST(AboutBox, OneInstanceThatBlinksAndOpensItsLinks) {
  Harness h;
  QWidget* start = h.Open(PageId::Start);
  for (int i = 0; i < 3; ++i) Trigger(start, "mnuAbout");
  QWidget* about = h.nav.Window(PageId::About);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->findChildren<QLabel*>(QStringLiteral("Label6")).size(), 1);
  const auto windows = QApplication::topLevelWidgets();
  EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                          [](QWidget* w) { return w->objectName() == QStringLiteral("frmAbout"); }),
            1);
  EXPECT_EQ(about->windowTitle(), QStringLiteral("About Harkline Software"));

  auto* web = Find<QLabel>(about, "Label6");
  const QColor before = Background(web);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Background(web) != before; }, 1000));
  const QColor after = Background(web);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Background(web) != after; }, 1000));

  auto* mail = Find<QLabel>(about, "Label2");
  EXPECT_TRUE(mail->font().underline());
  QTest::mousePress(mail, Qt::LeftButton);
  EXPECT_TRUE(mail->font().bold());
  QTest::mouseRelease(mail, Qt::LeftButton);
  EXPECT_FALSE(mail->font().bold());
  ASSERT_EQ(h.shell.opened.size(), 1u);
  EXPECT_TRUE(h.shell.opened[0].startsWith(QStringLiteral("mailto:")));

  QTest::mouseClick(web, Qt::LeftButton);
  ASSERT_EQ(h.shell.opened.size(), 2u);
  EXPECT_TRUE(h.shell.opened[1].startsWith(QStringLiteral("https://")));
  EXPECT_TRUE(h.nav.IsOpen(PageId::About));

  QTest::mouseClick(Find<QLabel>(about, "Label1"), Qt::LeftButton);
  EXPECT_FALSE(h.nav.IsOpen(PageId::About));
  EXPECT_TRUE(h.nav.IsOpen(PageId::Start));
}

TEST(SharedMenus, WebsiteItemOpensTheProductPageAndQuitEndsTheProgram) {
  Harness h;
  QWidget* start = h.Open(PageId::Start);
  Trigger(start, "mnuWeb");
  Trigger(h.Open(PageId::Info), "mnuWebsite");
  ASSERT_EQ(h.shell.opened.size(), 2u);
  EXPECT_EQ(h.shell.opened[0], h.shell.opened[1]);
  Click(start, "Command2");  // the start page's own Quit
  EXPECT_EQ(h.quits, 1);
  Trigger(start, "mnuQuit");
  EXPECT_EQ(h.quits, 2);
}

TEST(Navigator, WindowsComeAfreshAndTheProgramEndsWithTheLastButNotDuringABackMove) {
  Harness h;
  QPointer<QWidget> first = h.Open(PageId::Start);
  Click(first, "Command1");                       // forward to the information page
  Click(h.nav.Window(PageId::Info), "Command4");  // back: close first, then open
  EXPECT_FALSE(QTest::qWaitFor([&] { return h.quits > 0; }, 100));
  EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 1000));
  QWidget* second = h.nav.Window(PageId::Start);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(h.nav.Open(PageId::Start), second);  // open again: the same window

  second->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return h.quits == 1; }, 1000));
}

}  // namespace
}  // namespace voxmire::test

namespace voxmire::test {
namespace {

// Every window, made as small as it lets itself be, still shows each of its
// texts whole: wrapped labels get the height their lines need, the others
// their width.
TEST(EveryWindow, ShrunkToItsSmallestCutsNoTextOff) {
  for (PageId id : {PageId::Start, PageId::Info, PageId::ChooseUTDir, PageId::SelectVoice,
                    PageId::ChooseSoundDir, PageId::Sounds, PageId::Script, PageId::WorkArea,
                    PageId::VoiceWindow, PageId::IntFile, PageId::Compile, PageId::About,
                    PageId::Preferences}) {
    SCOPED_TRACE(static_cast<int>(id));
    Harness h;
    h.state.VoicePackName = "MyPack";
    QWidget* window = h.Open(id);
    ASSERT_NE(window, nullptr);
    window->resize(1, 1);
    QApplication::processEvents();
    for (QLabel* label : window->findChildren<QLabel*>()) {
      if (!label->isVisible() || label->text().isEmpty() || !label->pixmap().isNull()) continue;
      SCOPED_TRACE(label->text().left(40).toStdString());
      if (label->wordWrap()) {
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));
      } else {
        EXPECT_GE(label->width(), label->minimumSizeHint().width());
      }
    }
  }
}

}  // namespace
}  // namespace voxmire::test
