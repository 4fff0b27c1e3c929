// The int file page and the compile page, driven as a user would.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

#include "app/Qt1252.h"
#include "core/Files.h"
#include "support/Disks.h"
#include "support/Harness.h"

namespace voxmire::test {
namespace {

namespace fs = std::filesystem;

void Prepare(Harness& h) {
  h.state.VoicePackName = "MyPack";
  h.state.AuthorName = "Jane";
  h.state.VoiceGender = "Male";
  h.state.UTDir = PathText(h.root / "game");
  h.state.UTSystemDir = PathText(h.root / "game" / "System");
}

QString PreviewText(QWidget* page) { return Find<QPlainTextEdit>(page, "Text1")->toPlainText(); }

TEST(IntFilePage, FinishWritesThePreviewsMetaClassWithTheEditedDescription) {
  struct Case {
    const char* gender;
    QString typed;  // null: the proposed description is kept
    std::string description;
  } cases[] = {
      {"Female", QString(), "MyPack by Jane"},
      {"Boss", QStringLiteral(""), ""},
      {"Female", QStringLiteral("Caf\u00E9 \u20AC"), "Caf\xE9 \x80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gender + std::string(" ") + c.description);
    Harness h;
    Prepare(h);
    h.state.VoiceGender = c.gender;
    QWidget* page = h.Open(PageId::IntFile);
    const std::string line2Head = std::string("Object=(Name=MyPack.MyPack,Class=Class,MetaClass=") +
                                  "BotPack.Voice" + c.gender + ",Description=\"";
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Int File Generator"));
    EXPECT_EQ(PreviewText(page), ToQt("[Public]\n" + line2Head + "MyPack by Jane\")"));
    EXPECT_EQ(Find<QLineEdit>(page, "Text2")->text(), QStringLiteral("MyPack by Jane"));
    EXPECT_EQ(Find<QLineEdit>(page, "Text2")->accessibleName(), QStringLiteral("Description:"));

    // An edit of the preview itself never reaches the file.
    Find<QPlainTextEdit>(page, "Text1")->appendPlainText(QStringLiteral("Extra=1"));
    if (!c.typed.isNull()) Type(page, "Text2", c.typed);
    QTest::keyClick(Find<QLineEdit>(page, "Text2"), Qt::Key_Return);  // presses "&Finish..."

    EXPECT_EQ(ReadFile(h.programDir / "MyPack.int"),
              "[Public]\r\n" + line2Head + c.description + "\")\r\n");
    EXPECT_TRUE(h.dialogs.messages.empty());
    EXPECT_TRUE(h.nav.IsOpen(PageId::Compile));
    EXPECT_FALSE(h.nav.IsOpen(PageId::IntFile));
  }
}

TEST(IntFilePage, RefusesWhatTheFileCantHoldWritesNothingAndStays) {
  struct Case {
    QString description;
    bool blockTheFile;  // a folder where the int file should go
    QString title;
  } cases[] = {
      {QStringLiteral("Say \"hi\""), false, QStringLiteral("Invalid description")},
      {QStringLiteral("Snow\u2603man"), false, QStringLiteral("Invalid description")},
      {QStringLiteral("Fine"), true, QStringLiteral("Int file not written")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description.toStdString());
    Harness h;
    Prepare(h);
    if (c.blockTheFile) fs::create_directories(h.programDir / "MyPack.int");
    QWidget* page = h.Open(PageId::IntFile);
    Type(page, "Text2", c.description);
    Click(page, "Command2");
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].title, c.title);
    EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_FALSE(fs::is_regular_file(h.programDir / "MyPack.int"));
    EXPECT_TRUE(h.nav.IsOpen(PageId::IntFile));
    EXPECT_FALSE(h.nav.IsOpen(PageId::Compile));
    EXPECT_EQ(Find<QLineEdit>(page, "Text2")->text(), c.description);
  }
}

TEST(OutputPages, TabOrderAndMenus) {
  using Order = std::vector<const char*>;
  for (auto [id, tabOrder, website, aboutIsTheWebPage] :
       {std::tuple{PageId::IntFile, Order{"Text2", "Command2", "Command1", "Text1", "Text2"},
                   "Harkline Website...", false},
        std::tuple{PageId::Compile,
                   Order{"Command1", "Check1", "txtLog", "txtStatus", "Command2", "Command1"},
                   "Harkline website...", true}}) {
    SCOPED_TRACE(website);
    Harness h;
    Prepare(h);
    QWidget* page = h.Open(id);
    QApplication::setActiveWindow(page);
    ASSERT_TRUE(QTest::qWaitForWindowActive(page));
    EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), tabOrder[0]);
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), tabOrder[i]);
    }

    EXPECT_EQ(Find<QAction>(page, "mnuWebsite")->text(), website);
    EXPECT_EQ(Find<QAction>(page, "mnuAbout")->text(), QStringLiteral("About"));
    EXPECT_EQ(Find<QAction>(page, "mnuQuit")->text(), QStringLiteral("&Quit"));
    Trigger(page, "mnuWebsite");
    Trigger(page, "mnuAbout");
    EXPECT_EQ(h.shell.opened, std::vector<QString>(aboutIsTheWebPage ? 2 : 1, ProductWebPage()));
    EXPECT_EQ(h.nav.IsOpen(PageId::About), !aboutIsTheWebPage);
    EXPECT_EQ(h.quits, 0);
    Trigger(page, "mnuQuit");
    EXPECT_EQ(h.quits, 1);
    EXPECT_TRUE(h.nav.IsOpen(id));
  }
}

// A game folder with the stand-in compiler (or `compiler` as the compiler)
// and the generated files in the program folder.
std::string PrepareCompile(Harness& h, const std::string& compiler = std::string()) {
  Prepare(h);
  const std::string settings =
      ReadFile(fs::path(VOXMIRE_SHARED_DIR) / "ut99" / "UnrealTournament-436.ini");
  WriteFile(h.programDir / "MyPack.uc", "class MyPack extends VoiceMaleOne;\r\n");
  WriteFile(h.programDir / "MyPack.int",
            "[Public]\r\nObject=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceMale)\r\n");
  WriteFile(h.root / "game" / "System" / "UnrealTournament.ini", settings);
  const fs::path ucc = h.root / "game" / "System" / "ucc-bin";
  WriteFile(ucc, compiler.empty()
                     ? ReadFile(fs::path(VOXMIRE_SOURCE_DIR) / "tests/support/fake-ucc.sh")
                     : compiler);
  fs::permissions(ucc, fs::perms::owner_all);
  return settings;
}

QString LogText(QWidget* page) { return Find<QPlainTextEdit>(page, "txtLog")->toPlainText(); }

// Nothing of the compile is left in the game or beside the program.
void ExpectGameAsBefore(Harness& h, const std::string& settings) {
  EXPECT_EQ(ReadFile(h.root / "game" / "System" / "UnrealTournament.ini"), settings);
  EXPECT_FALSE(fs::exists(h.root / "game" / "System" / "MyPack.int"));
  EXPECT_FALSE(fs::exists(h.root / "game" / "MyPack"));
  EXPECT_FALSE(fs::exists(h.programDir / "compile-journal.txt"));
}

class CompilePageTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("FAKE_UCC_SLEEP", "2", 1); }
  void TearDown() override {
    unsetenv("FAKE_UCC_SLEEP");
    unsetenv("FAKE_UCC_MODE");
  }
};

// The compiler runs beside the event loop: the window keeps handling events
// (a timer ticks), shows the output as it comes, and takes no second
// "Compile!" nor a Quit until the run has ended.
TEST_F(CompilePageTest, TheWindowStaysAliveAndShowsTheOutputWhileTheCompilerRuns) {
  Harness h;
  const std::string settings = PrepareCompile(h);
  QWidget* page = h.Open(PageId::Compile);
  auto* compile = Find<QPushButton>(page, "Command1");
  auto* quit = Find<QAction>(page, "mnuQuit");
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(20);

  Click(page, "Command1");
  EXPECT_TRUE(h.dialogs.messages.empty());
  EXPECT_FALSE(compile->isEnabled());
  EXPECT_FALSE(quit->isEnabled());
  EXPECT_EQ(Find<QLineEdit>(page, "txtStatus")->text(), QStringLiteral("Compiling..."));
  // Output shows while the compiler still runs (it prints a line a second).
  EXPECT_TRUE(QTest::qWaitFor([&] { return LogText(page).contains("Loading packages (2)"); }));
  EXPECT_TRUE(h.dialogs.messages.empty());
  const int ticksWhileRunning = ticks;
  EXPECT_GT(ticksWhileRunning, 5);

  ASSERT_TRUE(QTest::qWaitFor([&] { return !h.dialogs.messages.empty(); }, 30000));
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::None)
      << h.dialogs.messages[0].text.toStdString();
  EXPECT_GT(ticks, ticksWhileRunning);
  EXPECT_TRUE(LogText(page).contains("Success - 0 error(s), 0 warnings"));
  EXPECT_TRUE(compile->isEnabled());
  EXPECT_TRUE(quit->isEnabled());
  // The compiler ran with the program's home: the package is there.
  EXPECT_TRUE(fs::exists(h.ctx.home / ".utpg" / "System" / "MyPack.u"));
  EXPECT_EQ(ReadFile(h.root / "game" / "System" / "UnrealTournament.ini"), settings);
}

// Closing the window while the compiler runs asks first; a no keeps it
// running, a yes stops it and puts the game back. The program ending with
// the page still compiling (its windows destroyed) does the same unasked.
TEST_F(CompilePageTest, ClosingDuringACompileAsksThenStopsItAndPutsTheGameBack) {
  setenv("FAKE_UCC_SLEEP", "60", 1);
  for (const bool programEnds : {false, true}) {
    SCOPED_TRACE(programEnds ? "program ends" : "window closed");
    Harness h;
    const std::string settings = PrepareCompile(h);
    QWidget* page = h.Open(PageId::Compile);
    Click(page, "Command1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return LogText(page).contains("Loading packages (1)"); }));
    EXPECT_NE(ReadFile(h.root / "game" / "System" / "UnrealTournament.ini"), settings);

    if (programEnds) {
      h.nav.DestroyAll();
    } else {
      h.dialogs.confirmAnswers = {false};
      EXPECT_FALSE(page->close());
      EXPECT_TRUE(page->isVisible());
      ASSERT_EQ(h.dialogs.confirms.size(), 1u);
      EXPECT_EQ(h.dialogs.confirms[0].icon, MessageIcon::Exclamation);
      EXPECT_NE(ReadFile(h.root / "game" / "System" / "UnrealTournament.ini"), settings);

      h.dialogs.confirmAnswers = {true};
      EXPECT_TRUE(page->close());
      EXPECT_EQ(h.dialogs.confirms.size(), 2u);
    }
    ExpectGameAsBefore(h, settings);
    EXPECT_TRUE(h.dialogs.messages.empty());
  }
}

// A compiler that can't be started, or says nothing useful, is reported with
// its reason and the game is left as it was.
TEST_F(CompilePageTest, ACompilerThatFailsIsReportedAndTheGameLeftAsItWas) {
  const struct {
    const char* compiler;
    const char* says;
  } cases[] = {
      {"#!/nonexistent/interpreter\n", "could not be started"},
      {"#!/bin/sh\necho \"home is $HOME\"\n", "printed no summary"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    Harness h;
    const std::string settings = PrepareCompile(h, c.compiler);
    QWidget* page = h.Open(PageId::Compile);
    Click(page, "Command1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.dialogs.messages.empty(); }, 20000));
    auto* status = Find<QLineEdit>(page, "txtStatus");
    EXPECT_EQ(status->text(), QStringLiteral("Compile failed"));
    EXPECT_TRUE(status->isReadOnly());
    EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Compile failed"));
    EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(h.dialogs.messages[0].text.contains(QString::fromLatin1(c.says)))
        << h.dialogs.messages[0].text.toStdString();
    if (std::string(c.says) == "printed no summary") {
      EXPECT_TRUE(LogText(page).contains(QString::fromStdString("home is " + h.ctx.home.string())));
    }
    ExpectGameAsBefore(h, settings);
    EXPECT_TRUE(Find<QPushButton>(page, "Command1")->isEnabled());
  }
}

// A game folder the user may not write in is said to be just that, before
// anything is moved, also when an earlier build of the pack sits in it.
TEST_F(CompilePageTest, AGameFolderThatCantBeWrittenIsSaidSoAndLeftAlone) {
  Harness h;
  const std::string settings = PrepareCompile(h);
  const fs::path game = h.root / "game";
  WriteFile(game / "MyPack" / "Classes" / "MyPack.uc", "earlier build\r\n");
  ReadOnlyFolder readOnly(game);
  if (!readOnly.Ok()) GTEST_SKIP() << "no folder can be made read-only here";
  QWidget* page = h.Open(PageId::Compile);
  Click(page, "Command1");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !h.dialogs.messages.empty(); }, 20000));
  const ShownMessage& failure = h.dialogs.messages[0];
  EXPECT_EQ(failure.title, QStringLiteral("Compile failed"));
  EXPECT_EQ(failure.icon, MessageIcon::Critical);
  EXPECT_TRUE(
      failure.text.startsWith("The game folder " + ToQt(PathText(game)) + " can't be written"))
      << failure.text.toStdString();
  EXPECT_FALSE(failure.text.contains("aside")) << failure.text.toStdString();
  EXPECT_TRUE(failure.text.endsWith("Nothing was copied, edited or deleted."));
  EXPECT_EQ(ReadFile(game / "MyPack" / "Classes" / "MyPack.uc"), "earlier build\r\n");
  EXPECT_EQ(ReadFile(game / "System" / "UnrealTournament.ini"), settings);
  EXPECT_TRUE(LogText(page).isEmpty());  // the compiler never ran
  EXPECT_FALSE(fs::exists(h.programDir / "compile-journal.txt"));
}

TEST_F(CompilePageTest, RemembersTheUmodChoiceAndReportsAReleaseFailureApart) {
  setenv("FAKE_UCC_SLEEP", "0", 1);
  Harness h;
  PrepareCompile(h);
  h.state.GenerateUmod = true;

  // The choice is the pack's: shown as it stands, written on every toggle.
  QWidget* page = h.Open(PageId::Compile);
  auto* umod = Find<QCheckBox>(page, "Check1");
  EXPECT_TRUE(umod->isChecked());
  umod->click();
  EXPECT_FALSE(h.state.GenerateUmod);

  // A file where the Release folder belongs: the compile's report stands,
  // and a critical message names the folder.
  WriteFile(h.programDir / "Release", "in the way");
  Click(page, "Command1");
  ASSERT_TRUE(QTest::qWaitFor([&] { return h.dialogs.messages.size() >= 2; }, 30000));
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::None)
      << h.dialogs.messages[0].text.toStdString();
  EXPECT_EQ(h.dialogs.messages[0].text.count(QLatin1Char('\r')), 5);
  EXPECT_EQ(h.dialogs.messages[1].icon, MessageIcon::Critical);
  EXPECT_TRUE(h.dialogs.messages[1].text.contains(ToQt(PathText(h.programDir / "Release"))));
  EXPECT_EQ(Find<QLineEdit>(page, "txtStatus")->text(), QStringLiteral("Compile done"));
}

}  // namespace
}  // namespace voxmire::test
