// The int file page and the compile page, driven as a user would.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/Qt1252.h"
#include "core/Files.h"
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
                   Order{"Command1", "Check1", "txtStatus", "Command2", "Command1"},
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

TEST(CompilePage, RunsTheCompilerWithTheProgramsHomeAndReportsAFailure) {
  Harness h;
  Prepare(h);
  const std::string settings =
      ReadFile(fs::path(VOXMIRE_SHARED_DIR) / "ut99" / "UnrealTournament-436.ini");
  WriteFile(h.programDir / "MyPack.uc", "class MyPack extends VoiceMaleOne;\r\n");
  WriteFile(h.programDir / "MyPack.int", "[Public]\r\n");
  WriteFile(h.root / "game" / "System" / "UnrealTournament.ini", settings);
  WriteFile(h.root / "game" / "System" / "ucc-bin", "#!/bin/sh\n");
  fs::permissions(h.root / "game" / "System" / "ucc-bin", fs::perms::owner_all);
  h.runner.next.startError = "No such file or directory";

  QWidget* page = h.Open(PageId::Compile);
  auto* status = Find<QLineEdit>(page, "txtStatus");
  EXPECT_EQ(status->text(), QStringLiteral("Status Messages go here..."));
  EXPECT_TRUE(status->isReadOnly());
  Click(page, "Command1");

  ASSERT_EQ(h.runner.requests.size(), 1u);
  EXPECT_EQ(h.runner.requests[0].environment,
            (std::vector<std::pair<std::string, std::string>>{{"HOME", h.ctx.home.string()}}));
  EXPECT_EQ(status->text(), QStringLiteral("Compile failed"));
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Compile failed"));
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(h.dialogs.messages[0].text.contains(QStringLiteral("No such file or directory")));
  EXPECT_EQ(ReadFile(h.root / "game" / "System" / "UnrealTournament.ini"), settings);
}

// Stands in for a compiler that builds the package into the preference folder.
class BuildingRunner : public ProcessRunner {
 public:
  RunResult Run(const RunRequest&) override {
    WriteFile(package, "compiled");
    RunResult result;
    result.outcome = RunResult::Outcome::Exited;
    result.output = "Success - 0 error(s), 0 warnings\n";
    return result;
  }
  fs::path package;
};

TEST(CompilePage, RemembersTheUmodChoiceAndReportsAReleaseFailureApart) {
  BuildingRunner runner;
  Harness h(&runner);
  runner.package = h.ctx.home / ".utpg" / "System" / "MyPack.u";
  Prepare(h);
  h.state.GenerateUmod = true;
  const fs::path game = h.root / "game";
  WriteFile(game / "System" / "UnrealTournament.ini", "[Editor.EditorEngine]\r\n");
  WriteFile(game / "System" / "ucc-bin", "#!/bin/sh\n");
  fs::permissions(game / "System" / "ucc-bin", fs::perms::owner_all);
  WriteFile(h.programDir / "MyPack.uc", "class MyPack extends VoiceMaleOne;\r\n");
  WriteFile(h.programDir / "MyPack.int", "[Public]\r\n");

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
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(h.dialogs.messages[0].text.count(QLatin1Char('\r')), 5);
  EXPECT_EQ(h.dialogs.messages[1].icon, MessageIcon::Critical);
  EXPECT_TRUE(h.dialogs.messages[1].text.contains(ToQt(PathText(h.programDir / "Release"))));
  EXPECT_EQ(Find<QLineEdit>(page, "txtStatus")->text(), QStringLiteral("Compile done"));
}

}  // namespace
}  // namespace voxmire::test
