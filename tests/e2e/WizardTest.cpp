// The whole wizard, from the start page to "Compile!", clicked through the
// real pages, with real sound files, a game folder holding the game's own
// settings file, and a stand-in compiler that behaves like the game's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>
#include <cstdlib>
#include <random>

#include "app/DirectoryLists.h"
#include "app/Pages.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "support/Harness.h"

namespace voxmire::test {
namespace {

namespace fs = std::filesystem;

const std::string kPack = "MyPack";

std::string OriginalSettings() {
  return ReadFile(fs::path(VOXMIRE_SHARED_DIR) / "ut99" / "UnrealTournament-436.ini");
}

// The settings file as the compiler must see it: the package listed right
// after the first "EditPackages=UTBrowser" (whose own line break stays, so an
// empty line follows), and one more CR LF at the end.
std::string EditedSettings() {
  const std::string anchor = "EditPackages=UTBrowser\r\n";
  std::string text = OriginalSettings();
  const auto at = text.find(anchor);
  EXPECT_NE(at, std::string::npos);
  text.insert(at + anchor.size() - 2, "\r\nEditPackages=" + kPack + "\r\n");
  return text + "\r\n";
}

// Records the status line's text each time it is painted.
class PaintRecorder : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      const QString text = static_cast<QLineEdit*>(watched)->text();
      if (painted.isEmpty() || painted.last() != text) painted << text;
    }
    return false;
  }
  QStringList painted;
};

// A program context like the real one: the real process runner, with the
// program, game and home folders in a temporary directory.
class WizardTest : public ::testing::Test {
 protected:
  WizardTest()
      : root_(fs::temp_directory_path() /
              ("voxmire-wizard-" + std::to_string(std::random_device()()))),
        program_(root_ / "program"),
        game_(root_ / "UnrealTournament"),
        home_(root_ / "home"),
        sounds_(root_ / "sounds"),
        records_(root_ / "records"),
        ctx_{state_,  program_, dialogs_, shell_,
             player_, runner_,  nav_,     [] {
               return std::vector<std::string>{"/"}; },
             home_} {}

  void SetUp() override {
    for (const auto& dir : {program_, home_, sounds_, records_}) fs::create_directories(dir);
    // The program's own files, as installed beside the executable.
    fs::copy(fs::path(VOXMIRE_DATA_DIR), program_, fs::copy_options::recursive);

    WriteFile(game_ / "System" / "UnrealTournament.ini", OriginalSettings());
    const fs::path compiler = game_ / "System64" / "ucc-bin-amd64";
    WriteFile(compiler, ReadFile(fs::path(VOXMIRE_SOURCE_DIR) / "tests/support/fake-ucc.sh"));
    fs::permissions(compiler, fs::perms::owner_all);

    for (const auto& [name, words] : {std::pair{"hello", "hello there"}, {"gotit", "got it"}}) {
      const std::string command =
          "espeak-ng -w '" + (sounds_ / name).string() + ".wav' '" + words + "' >/dev/null 2>&1";
      ASSERT_EQ(std::system(command.c_str()), 0) << "espeak-ng is needed for the test sounds";
    }

    // Nothing may reach the real home, whoever asks the environment.
    setenv("HOME", home_.c_str(), 1);
    for (const char* what : {"ARGS", "CWD", "STDIN", "INI"}) {
      setenv((std::string("FAKE_UCC_") + what).c_str(), Record(what).c_str(), 1);
    }
    unsetenv("FAKE_UCC_MODE");
    nav_.SetQuitHandler([] {});
    RegisterPages(ctx_);
  }

  void TearDown() override {
    for (auto id : {PageId::Start, PageId::Info, PageId::SelectVoice, PageId::ChooseSoundDir,
                    PageId::Sounds, PageId::Script, PageId::WorkArea, PageId::VoiceWindow,
                    PageId::IntFile, PageId::Compile, PageId::About}) {
      delete nav_.Window(id);
    }
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  fs::path Record(const char* what) const { return records_ / what; }

  // The page that is open now, shown and active.
  QWidget* Current(PageId id) {
    QWidget* page = nav_.Window(id);
    EXPECT_NE(page, nullptr) << "page " << static_cast<int>(id) << " is not open";
    if (page == nullptr) return nullptr;
    EXPECT_TRUE(QTest::qWaitForWindowExposed(page));
    QApplication::setActiveWindow(page);
    EXPECT_TRUE(QTest::qWaitForWindowActive(page));
    return page;
  }

  // Opens the cell's editor as a double click would, types, and commits.
  static void TypeIntoCell(QTableView* view, int row, int column, const QString& text) {
    const QModelIndex cell = view->model()->index(row, column);
    view->setCurrentIndex(cell);
    view->edit(cell);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor != nullptr && editor != view);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
  }

  // Start page to the compile page, by the buttons a user presses.
  void WalkToTheCompilePage() {
    Click(nav_.Open(PageId::Start), "Command1");

    QWidget* info = Current(PageId::Info);
    Type(info, "txtUTDir", QString::fromStdString(game_.string()));
    Type(info, "txtVoicePackName", ToQt(kPack));
    Type(info, "txtAuthorName", QStringLiteral("Jane"));
    Type(info, "txtProductName", QStringLiteral("Gruff"));
    Click(info, "Command1");

    Click(Current(PageId::SelectVoice), "Command1");  // Voice Male One, preselected

    QWidget* chooser = Current(PageId::ChooseSoundDir);
    ASSERT_TRUE(
        Find<DirectoryList>(chooser, "Dir1")->SetPath(QString::fromStdString(sounds_.string())));
    Click(chooser, "Command1");

    QWidget* sounds = Current(PageId::Sounds);
    EXPECT_EQ(Find<QListWidget>(sounds, "File1")->count(), 2);
    Click(sounds, "Command5");  // add all files
    EXPECT_EQ(Find<QListWidget>(sounds, "List1")->count(), 2);
    Click(sounds, "Command1");

    Click(Current(PageId::Script), "Command1");

    QWidget* work = Current(PageId::WorkArea);
    auto* tabs = Find<QTabWidget>(work, "SSTab1");
    tabs->setCurrentIndex(0);
    dialogs_.inputAnswers = {QStringLiteral("2")};
    Click(work, "Command1");  // two acknowledgement rows
    auto* acks = Find<QTableView>(work, "tblAck");
    ASSERT_EQ(acks->model()->rowCount(), 2);
    TypeIntoCell(acks, 0, 0, QStringLiteral("Sound'MyPack.MyPack.hello'"));
    TypeIntoCell(acks, 0, 1, QStringLiteral("Hello there"));
    TypeIntoCell(acks, 0, 2, QStringLiteral("Hi"));
    TypeIntoCell(acks, 1, 0, QStringLiteral("Sound'MyPack.MyPack.gotit'"));
    TypeIntoCell(acks, 1, 1, QStringLiteral("Got it"));
    tabs->setCurrentIndex(2);
    Click(work, "Command14");  // the base voice's taunts
    tabs->setCurrentIndex(6);
    Click(work, "Command12");  // Generate && Continue

    QWidget* intFile = Current(PageId::IntFile);
    EXPECT_EQ(Find<QLineEdit>(intFile, "Text2")->text(), QStringLiteral("MyPack by Jane"));
    Click(intFile, "Command2");

    ASSERT_NE(Current(PageId::Compile), nullptr);
    for (PageId passed : {PageId::Start, PageId::Info, PageId::SelectVoice, PageId::ChooseSoundDir,
                          PageId::Sounds, PageId::Script, PageId::WorkArea, PageId::IntFile}) {
      EXPECT_FALSE(nav_.IsOpen(passed)) << static_cast<int>(passed);
    }
  }

  QString Status() { return Find<QLineEdit>(nav_.Window(PageId::Compile), "txtStatus")->text(); }

  fs::path root_, program_, game_, home_, sounds_, records_;
  ProjectState state_;
  FakeDialogs dialogs_;
  FakeShell shell_;
  FakePlayer player_;
  PosixProcessRunner runner_;
  Navigator nav_;
  AppContext ctx_;
};

TEST_F(WizardTest, BuildsInstallsAndCompilesThePack) {
  WalkToTheCompilePage();
  ASSERT_FALSE(HasFailure());
  const std::string script = ReadFile(program_ / "MyPack.uc");
  const std::string intText = ReadFile(program_ / "MyPack.int");
  dialogs_.messages.clear();  // "Generation Complete" came before
  PaintRecorder recorder;
  Find<QLineEdit>(nav_.Window(PageId::Compile), "txtStatus")->installEventFilter(&recorder);

  Click(nav_.Window(PageId::Compile), "Command1");

  // The event loop never ran during the compile, so only the page's own
  // repaints can have shown the steps while the compiler worked.
  EXPECT_EQ(recorder.painted.join(QStringLiteral(" | ")).toStdString(),
            "Beginning compile sequence... | Copying Files... | Compiling... | Compile done");

  ASSERT_EQ(dialogs_.messages.size(), 1u);
  const ShownMessage& report = dialogs_.messages[0];
  EXPECT_EQ(report.icon, MessageIcon::None) << report.text.toStdString();
  EXPECT_EQ(report.title, QStringLiteral("Harkline"));
  const fs::path installedScript = game_ / "MyPack" / "Classes" / "MyPack.uc";
  const fs::path package = home_ / ".utpg" / "System" / "MyPack.u";
  EXPECT_EQ(report.text.split(QLatin1Char('\r')).mid(1, 3),
            (QStringList{
                ToQt(PathText(game_ / "System" / "MyPack.int")) + "  -  Your int file",
                ToQt(PathText(package)) + "  -  The Script file",
                ToQt(PathText(installedScript)) + "  -  The unreal class file. Safe to delete"}));
  EXPECT_EQ(Status(), QStringLiteral("Compile done"));

  // What the pages generated, installed as it was made.
  EXPECT_EQ(intText,
            "[Public]\r\nObject=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceMale,"
            "Description=\"MyPack by Jane\")\r\n");
  EXPECT_EQ(ReadFile(game_ / "System" / "MyPack.int"), intText);
  EXPECT_EQ(ReadFile(installedScript), script);
  for (const char* piece :
       {"class MyPack extends VoiceMaleOne;", "hello.wav", "gotit.wav",
        "AckSound(0)=Sound'MyPack.MyPack.hello'", "AckString(0)=\"Hello there\"",
        "AckAbbrev(0)=\"Hi\"", "AckSound(1)=Sound'MyPack.MyPack.gotit'", "numAcks=2",
        "TauntSound(0)=Sound'Male1Voice.(All)."}) {
    EXPECT_NE(script.find(piece), std::string::npos) << piece;
  }
  EXPECT_FALSE(fs::exists(program_ / "MyPack.uc"));
  EXPECT_FALSE(fs::exists(program_ / "MyPack.int"));

  // The compiler: run as "make" on the edited settings file from its own
  // folder, with nothing to read, and it built the installed script.
  const fs::path settings = game_ / "System" / "UnrealTournament.ini";
  EXPECT_EQ(ReadFile(Record("ARGS")), "make\nini=" + fs::canonical(settings).string() + "\n");
  EXPECT_EQ(ReadFile(Record("CWD")), fs::canonical(game_ / "System64").string() + "\n");
  EXPECT_EQ(ReadFile(Record("STDIN")), "");
  EXPECT_EQ(ReadFile(Record("INI")), EditedSettings());
  EXPECT_EQ(ReadFile(package), "fake package MyPack\n" + script);
  EXPECT_NE(ReadFile(program_ / "ucc-make.log").find("Success - 0 error(s), 0 warnings"),
            std::string::npos);

  EXPECT_EQ(ReadFile(settings), OriginalSettings());
  EXPECT_EQ(ReadFile(program_ / "ut_backup.ini"), OriginalSettings());
}

TEST_F(WizardTest, AFailingCompilerIsReportedAndTheGameLeftAsItWas) {
  WalkToTheCompilePage();
  ASSERT_FALSE(HasFailure());
  const fs::path settings = game_ / "System" / "UnrealTournament.ini";
  struct Case {
    const char* mode;
    const char* mentions;
  } cases[] = {
      {"warn", "Warning, Unknown property in defaults"},
      {"fail", "exit status 1"},
      {"crash", "signal"},
      {"nou", "left no MyPack.u"},
  };
  // A failed compile keeps the generated files, so the same page can try again.
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    setenv("FAKE_UCC_MODE", c.mode, 1);
    fs::remove(Record("INI"));
    dialogs_.messages.clear();
    Click(nav_.Window(PageId::Compile), "Command1");

    EXPECT_EQ(Status(), QStringLiteral("Compile failed"));
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(dialogs_.messages[0].text.contains(QString::fromLatin1(c.mentions)))
        << dialogs_.messages[0].text.toStdString();
    EXPECT_EQ(ReadFile(Record("INI")), EditedSettings());
    EXPECT_EQ(ReadFile(settings), OriginalSettings());
    EXPECT_FALSE(fs::exists(home_ / ".utpg" / "System" / "MyPack.u"));
    EXPECT_TRUE(fs::exists(program_ / "MyPack.uc"));
    EXPECT_TRUE(fs::exists(program_ / "MyPack.int"));
  }

  unsetenv("FAKE_UCC_MODE");
  dialogs_.messages.clear();
  Click(nav_.Window(PageId::Compile), "Command1");
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::None)
      << dialogs_.messages[0].text.toStdString();
  EXPECT_TRUE(fs::exists(home_ / ".utpg" / "System" / "MyPack.u"));
  EXPECT_EQ(ReadFile(settings), OriginalSettings());
}

}  // namespace
}  // namespace voxmire::test
