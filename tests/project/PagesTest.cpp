// The information page, the game directory chooser, the base voice page and
// the hand-over to the sound directory chooser, driven as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

#include "app/DirectoryLists.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "project/InfoPage.h"
#include "project/Ini.h"
#include "support/Harness.h"

namespace voxmire::test {
namespace {

QString Text(QWidget* page, const char* field) { return Find<QLineEdit>(page, field)->text(); }

// Every field of the information page with what a user types into it.
const std::pair<const char*, const char*> kInfo[] = {
    {"txtUTDir", "/games/ut"},
    {"txtVoicePackName", "MyPack"},
    {"txtAuthorName", "Jane"},
    {"txtAuthorURL", "jane@example.org"},
    {"txtProductName", "Gruff"},
    {"txtProductURL", "https://example.org/gruff"},
    {"txtReadmeLocation", "/docs/readme.txt"},
};

void FillInfoPage(QWidget* page) {
  for (auto [field, value] : kInfo) Type(page, field, value);
}

TEST(InfoPage, OpensEmptyStoresEverythingInOrderAndReopensWithItAfterBack) {
  Harness h;
  QWidget* page = h.Open(PageId::Info);
  EXPECT_EQ(page->windowTitle(), QStringLiteral("Edit the VoicePack information"));
  for (auto [field, value] : kInfo) EXPECT_TRUE(Text(page, field).isEmpty()) << field;
  FillInfoPage(page);
  Click(page, "Command1");

  const ProjectState& s = h.state;
  EXPECT_EQ((std::vector{s.VoicePackName, s.AuthorName, s.AuthorURL, s.ProductName, s.ProductURL,
                         s.ReadmeLocation, s.UTDir, s.UTSystemDir, s.UTSoundsDir}),
            (std::vector<std::string>{"MyPack", "Jane", "jane@example.org", "Gruff",
                                      "https://example.org/gruff", "/docs/readme.txt", "/games/ut",
                                      "/games/ut/System", "/games/ut/Sounds"}));
  EXPECT_EQ(ReadFile(h.ctx.PrefsIni()), "[Config]\r\nUTDIR=/games/ut\r\n");
  EXPECT_EQ(ReadFile(h.ctx.StepsIni()),
            "[Form2]\r\n"
            "TXTAUTHORNAME=Jane\r\n"
            "TXTAUTHORURL=jane@example.org\r\n"
            "TXTPRODUCTNAME=Gruff\r\n"
            "TXTPRODUCTURL=https://example.org/gruff\r\n"
            "READMELOCATION=/docs/readme.txt\r\n"
            "TXTUTDIR=/games/ut\r\n"
            "VOICEPACKNAME=MyPack\r\n");
  EXPECT_FALSE(h.nav.IsOpen(PageId::Info));

  Click(h.nav.Window(PageId::SelectVoice), "Command2");  // back to the information page
  page = h.nav.Window(PageId::Info);
  ASSERT_NE(page, nullptr);
  for (auto [field, value] : kInfo) EXPECT_EQ(Text(page, field), value) << field;
}

TEST(InfoPage, RefusesEmptyAndUnusableNamesAndStoresNothing) {
  const QString invalid = QStringLiteral("Invalid name");
  const std::pair<QString, QString> cases[] = {
      {QString(), QStringLiteral("No name specified")},
      {QStringLiteral("../evil"), invalid},
      {QStringLiteral("   "), invalid},
      {QStringLiteral("2Fast"), invalid},
      {QStringLiteral("My Pack"), invalid},
      {QStringLiteral("caf\u00E9"), invalid},
  };
  for (const auto& [name, title] : cases) {
    SCOPED_TRACE(name.toStdString());
    Harness h;
    QWidget* page = h.Open(PageId::Info);
    FillInfoPage(page);
    Find<QLineEdit>(page, "txtVoicePackName")->setText(name);
    Click(page, "Command1");
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].title, title);
    EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
    if (name.isEmpty()) {
      EXPECT_EQ(h.dialogs.messages[0].text, "You didn't type a name for the VoicePack!");
    }
    EXPECT_FALSE(std::filesystem::exists(h.ctx.PrefsIni()));
    EXPECT_FALSE(std::filesystem::exists(h.ctx.StepsIni()));
    EXPECT_TRUE(h.state.AuthorName.empty());
    EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
    EXPECT_FALSE(h.nav.IsOpen(PageId::SelectVoice));
  }
}

// With an existing game folder, a name the game uses is refused (nothing
// stored), a folder lacking what a compile needs is warned about (and the
// move goes on), and a folder name our files can't hold is refused.
TEST(InfoPage, ChecksTheGameFolderAndTheNameInIt) {
  const struct {
    const char* name;
    std::vector<const char*> gameFiles;  // under the game folder
    const char* folder;                  // below the harness root
    QString title;                       // of the one box; empty: none
    MessageIcon icon;
    bool movesOn;
  } cases[] = {
      {"Botpack",
       {"System/UnrealTournament.ini", "System/ucc-bin"},
       "ut",
       "Name already used",
       MessageIcon::Critical,
       false},
      {"MyPack",
       {"System/UnrealTournament.ini", "System/ucc-bin", "Music/mypack.umx"},
       "ut",
       "Name already used",
       MessageIcon::Critical,
       false},
      {"MyPack",
       {"System/UnrealTournament.ini"},
       "ut",
       "Game folder incomplete",
       MessageIcon::Exclamation,
       true},
      {"MyPack",
       {"System/UnrealTournament.ini", "System/ucc-bin"},
       "ut",
       "",
       MessageIcon::None,
       true},
      {"MyPack",
       {},
       "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD/ut",
       "Unusable folder name",
       MessageIcon::Critical,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.title.toStdString());
    Harness h;
    const auto game = h.TempDir(c.folder);
    for (const char* file : c.gameFiles) WriteFile(game / file, "#!/bin/sh\n");
    if (std::filesystem::exists(game / "System/ucc-bin")) {
      std::filesystem::permissions(game / "System/ucc-bin", std::filesystem::perms::owner_all);
    }
    QWidget* page = h.Open(PageId::Info);
    Find<QLineEdit>(page, "txtUTDir")->setText(QString::fromStdString(game.string()));
    Find<QLineEdit>(page, "txtVoicePackName")->setText(QString::fromLatin1(c.name));
    Click(page, "Command1");
    if (c.title.isEmpty()) {
      EXPECT_TRUE(h.dialogs.messages.empty());
    } else {
      ASSERT_EQ(h.dialogs.messages.size(), 1u);
      EXPECT_EQ(h.dialogs.messages[0].title, c.title);
      EXPECT_EQ(h.dialogs.messages[0].icon, c.icon);
    }
    EXPECT_EQ(h.nav.IsOpen(PageId::SelectVoice), c.movesOn);
    EXPECT_EQ(std::filesystem::exists(h.ctx.StepsIni()), c.movesOn);
  }
}

// A game folder that isn't there is warned about as one that lacks what a
// compile needs, and the move goes on.
TEST(InfoPage, AGameFolderThatDoesntExistIsWarnedAbout) {
  Harness h;
  const std::string missing = PathText(h.root / "no" / "ut");
  QWidget* page = h.Open(PageId::Info);
  Type(page, "txtUTDir", ToQt(missing));
  Type(page, "txtVoicePackName", QStringLiteral("MyPack"));
  Click(page, "Command1");
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Game folder incomplete"));
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(h.dialogs.messages[0].text.contains(ToQt(missing) + " lacks"));
  EXPECT_TRUE(h.dialogs.messages[0].text.contains("doesn't exist"));
  EXPECT_TRUE(h.nav.IsOpen(PageId::SelectVoice));
  EXPECT_EQ(h.state.UTDir, missing);
}

// Enter presses "Next ->" on the start, information and base voice pages
// and "&Select" in the choosers, as a dialog's default button does; a
// focused button takes it itself. In a directory list the first Enter opens
// the highlighted directory and the second chooses it.
TEST(Keyboard, EnterPressesNextSelectOrTheFocusedButton) {
  Harness h;
  const auto game = h.TempDir("ut");
  WriteFile(game / "System/UnrealTournament.ini", "[Engine.Engine]\r\n");
  WriteFile(game / "System/ucc-bin", "#!/bin/sh\n");
  std::filesystem::permissions(game / "System/ucc-bin", std::filesystem::perms::owner_all);

  Activate(h.Open(PageId::Start));
  Press(Qt::Key_Return);
  QWidget* info = h.nav.Window(PageId::Info);
  Activate(info);
  ASSERT_TRUE(TabTo("Command2"));  // "..." beside the game folder
  Press(Qt::Key_Return);
  QWidget* chooser = h.nav.Window(PageId::ChooseUTDir);
  ASSERT_NE(chooser, nullptr);
  EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
  auto* dirs = Find<DirectoryList>(chooser, "Dir1");
  ASSERT_TRUE(dirs->SetPath(QString::fromStdString(h.root.string())));
  Activate(chooser);
  ASSERT_TRUE(TabTo("Dir1"));
  while (dirs->currentItem()->data(Qt::AccessibleTextRole).toString() != QStringLiteral("ut")) {
    const int row = dirs->currentRow();
    Press(Qt::Key_Down);
    ASSERT_NE(dirs->currentRow(), row) << "no ut in the list";
  }
  Press(Qt::Key_Return);  // opens it
  EXPECT_EQ(dirs->Path(), QString::fromStdString(game.string()));
  ASSERT_TRUE(h.nav.IsOpen(PageId::ChooseUTDir));
  Press(Qt::Key_Return);  // chooses it
  EXPECT_FALSE(h.nav.IsOpen(PageId::ChooseUTDir));
  EXPECT_EQ(Text(info, "txtUTDir"), QString::fromStdString(game.string()));

  Activate(info);
  ASSERT_TRUE(TabTo("txtVoicePackName"));
  TypeKeys(QStringLiteral("MyPack"));
  Press(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(h.dialogs.messages.empty());
  EXPECT_EQ(h.state.VoicePackName, "MyPack");
  QWidget* voice = h.nav.Window(PageId::SelectVoice);
  Activate(voice);
  Press(Qt::Key_Down);  // Male One to Male Two
  Press(Qt::Key_Return);
  EXPECT_EQ(h.state.BaseVoice, "Male2");
  Activate(h.nav.Window(PageId::ChooseSoundDir));
  Press(Qt::Key_Return);
  EXPECT_TRUE(h.nav.IsOpen(PageId::Sounds));
  EXPECT_FALSE(h.nav.IsOpen(PageId::ChooseSoundDir));
}

TEST(InfoPage, GameDirectoryComesFromPrefsAndTheNameStopsAtFifteen) {
  Harness h;
  WriteIniValue("Config", "UTDir", "/from/prefs/", h.ctx.PrefsIni());
  WriteIniValue("Form2", "txtUTDir", "/from/steps", h.ctx.StepsIni());
  QWidget* page = h.Open(PageId::Info);
  EXPECT_EQ(Text(page, "txtUTDir"), QStringLiteral("/from/prefs/"));
  Type(page, "txtVoicePackName", QStringLiteral("ABCDEFGHIJKLMNOPQ"));
  Click(page, "Command1");
  EXPECT_EQ(h.state.VoicePackName, "ABCDEFGHIJKLMNO");
  EXPECT_EQ(h.state.UTSystemDir, "/from/prefs//System");  // a trailing slash is kept
}

TEST(InfoPage, ReadmeChooserTabOrderAndAccessibleNames) {
  Harness h;
  QWidget* page = h.Open(PageId::Info);
  Type(page, "txtUTDir", QStringLiteral("/games/ut"));
  h.dialogs.fileAnswers = {QStringLiteral("/games/ut/Help/ReadMe.txt"), QString()};
  Click(page, "Command3");
  Click(page, "Command3");  // cancelled: the field keeps its file
  EXPECT_EQ(h.dialogs.fileDialogs,
            (std::vector<std::pair<QString, QString>>(2, {"Choose Readme File", "/games/ut"})));
  EXPECT_EQ(Text(page, "txtReadmeLocation"), QStringLiteral("/games/ut/Help/ReadMe.txt"));

  const char* order[] = {"txtUTDir",       "txtVoicePackName", "txtAuthorName",     "txtAuthorURL",
                         "txtProductName", "txtProductURL",    "txtReadmeLocation", "Command1",
                         "Command2",       "Command3",         "Command4"};
  QWidget* w = Find<QWidget>(page, order[0]);
  for (std::size_t i = 1; i < std::size(order); ++i) {
    w = w->nextInFocusChain();
    while (w->focusPolicy() == Qt::NoFocus) w = w->nextInFocusChain();
    EXPECT_EQ(w->objectName().toStdString(), order[i]);
  }
  EXPECT_EQ(Find<QLineEdit>(page, "txtVoicePackName")->accessibleName(), "VoicePack Name");
}

TEST(UTDirChooser, SelectPutsTheDirectoryIntoTheInformationPage) {
  Harness h;
  const auto game = QString::fromStdString(h.TempDir("UnrealTournament").string());
  QWidget* page = h.Open(PageId::Info);
  for (const QString& chosen : {game, QStringLiteral("/")}) {  // a root keeps its separator
    Click(page, "Command2");
    auto* chooser = h.nav.Window(PageId::ChooseUTDir);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->windowTitle(), QStringLiteral("Choose your UT directory"));
    if (chosen == game) {  // it opens where the program runs
      EXPECT_EQ(Find<DirectoryList>(chooser, "Dir1")->Path(), QDir::currentPath());
    }
    ASSERT_TRUE(Find<DirectoryList>(chooser, "Dir1")->SetPath(chosen));
    Click(chooser, "Command1");
    EXPECT_EQ(Text(page, "txtUTDir"), chosen);
    EXPECT_FALSE(h.nav.IsOpen(PageId::ChooseUTDir));
  }
  EXPECT_FALSE(std::filesystem::exists(h.ctx.PrefsIni()));  // stored only by Next
}

TEST(DirectoryList, ShowsAncestorsAndSubdirectoriesAndOpensOnActivation) {
  Harness h;
  const auto base = h.TempDir("tree");
  for (const char* sub : {"beta", "Alpha", ".hidden"})
    std::filesystem::create_directories(base / sub);
  DirectoryList list;
  ASSERT_TRUE(list.SetPath(QString::fromStdString(base.string())));
  QStringList names;
  for (int i = 0; i < list.count(); ++i)
    names << list.item(i)->data(Qt::AccessibleTextRole).toString();
  EXPECT_EQ(names.first(), QStringLiteral("/"));
  EXPECT_EQ(names.mid(names.size() - 3), (QStringList{"tree", "Alpha", "beta"}));
  EXPECT_FALSE(list.SetPath(QString::fromStdString((base / "missing").string())));

  list.setCurrentRow(list.count() - 1);
  list.OpenHighlighted();
  EXPECT_EQ(list.Path(), QString::fromStdString((base / "beta").string()));
}

TEST(SelectVoicePage, BackStoresNothingAndNextStoresMaleOneOnAFirstRun) {
  Harness h;
  QWidget* page = h.Open(PageId::SelectVoice);
  EXPECT_TRUE(Find<QRadioButton>(page, "OptMaleOne")->isChecked());
  Find<QRadioButton>(page, "OptBoss")->setChecked(true);
  Click(page, "Command2");
  EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
  EXPECT_FALSE(h.nav.IsOpen(PageId::SelectVoice));
  EXPECT_FALSE(std::filesystem::exists(h.ctx.StepsIni()));
  EXPECT_TRUE(h.state.BaseVoicePackage.empty());

  page = h.Open(PageId::SelectVoice);
  EXPECT_TRUE(Find<QRadioButton>(page, "OptMaleOne")->isChecked());
  Click(page, "Command1");
  EXPECT_EQ(ReadFile(h.ctx.StepsIni()), "[SelectVoice]\r\nBASEVOICE=Male1\r\n");
  EXPECT_FALSE(h.nav.IsOpen(PageId::SelectVoice));
  QWidget* chooser = h.nav.Window(PageId::ChooseSoundDir);
  ASSERT_NE(chooser, nullptr);  // with nothing remembered it starts where the program runs
  EXPECT_EQ(Find<DirectoryList>(chooser, "Dir1")->Path(), QDir::currentPath());
}

TEST(SelectVoicePage, RestoresTheStoredChoiceAndEveryOptionSetsItsWholeValueSet) {
  // Package, gender, class and blank base; none for a stored name nothing matches.
  using Values = std::tuple<std::string, std::string, std::string, bool>;
  const std::tuple<const char*, const char*, Values> cases[] = {
      {"Male1", "OptMaleOne", {"Male1Voice", "Male", "VoiceMaleOne", false}},
      {"Male2", "OptMaleTwo", {"Male2Voice", "Male", "VoiceMaleTwo", false}},
      {"Female1", "OptFemaleOne", {"Female1Voice", "Female", "VoiceFemaleOne", false}},
      {"Female2", "OptFemaleTwo", {"Female2Voice", "Female", "VoiceFemaleTwo", false}},
      {"Boss", "OptBoss", {"BossVoice", "Boss", "VoiceBoss", false}},
      {"BlankMale", "OptBlankMale", {"Male1Voice", "Male", "VoiceMaleOne", true}},
      {"BlankFemale", "OptBlankFemale", {"Female1Voice", "Female", "VoiceFemaleOne", true}},
      {"boss", "OptMaleOne", {}},  // stored names match exactly
      {"Nonsense", "OptMaleOne", {}},
  };
  for (const auto& [stored, option, values] : cases) {
    SCOPED_TRACE(stored);
    Harness h;
    WriteIniValue("SelectVoice", "BaseVoice", stored, h.ctx.StepsIni());
    h.state.BlankBase = !std::get<bool>(values);  // a choice overwrites the flag either way
    QWidget* page = h.Open(PageId::SelectVoice);
    auto* chosen = Find<QRadioButton>(page, option);
    EXPECT_TRUE(chosen->isChecked());
    QApplication::setActiveWindow(page);
    ASSERT_TRUE(QTest::qWaitForWindowActive(page));
    EXPECT_TRUE(chosen->hasFocus());
    if (std::get<0>(values).empty()) continue;
    Click(page, "Command1");
    const ProjectState& s = h.state;
    EXPECT_EQ(Values(s.BaseVoicePackage, s.VoiceGender, s.BaseVoiceClass, s.BlankBase), values);
    EXPECT_EQ(ReadIniValue("SelectVoice", "BaseVoice", h.ctx.StepsIni()), stored);
  }
}

TEST(SoundDirChooser, RefusesAFolderOurFilesCantName) {
  Harness h;
  const auto chosen = h.TempDir("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD");  // Cyrillic
  Click(h.Open(PageId::SelectVoice), "Command1");
  QWidget* chooser = h.nav.Window(PageId::ChooseSoundDir);
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(
      Find<DirectoryList>(chooser, "Dir1")->SetPath(QString::fromStdString(chosen.string())));
  Click(chooser, "Command1");
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Unusable folder name"));
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(h.state.SoundDir.empty());
  EXPECT_EQ(ReadIniValue("Config", "SoundDir", h.ctx.PrefsIni()), "");
  EXPECT_TRUE(h.nav.IsOpen(PageId::ChooseSoundDir));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Sounds));
}

TEST(SoundDirChooser, OpensOnTheRememberedDirectoryAndStoresTheChosenOne) {
  Harness h;
  const auto remembered = h.TempDir("my sounds");
  const auto chosen = h.TempDir("sounds");
  h.drives = {"/", "/elsewhere"};
  WriteIniValue("Config", "SoundDir", remembered.string(), h.ctx.PrefsIni());
  WriteIniValue("Config", "SoundDrive", "/", h.ctx.PrefsIni());
  Click(h.Open(PageId::SelectVoice), "Command1");
  QWidget* chooser = h.nav.Window(PageId::ChooseSoundDir);
  ASSERT_NE(chooser, nullptr);
  auto* dirs = Find<DirectoryList>(chooser, "Dir1");
  EXPECT_EQ(dirs->Path(), QString::fromStdString(remembered.string()));
  EXPECT_EQ(Find<DriveList>(chooser, "Drive1")->Drive(), QStringLiteral("/"));

  ASSERT_TRUE(dirs->SetPath(QString::fromStdString(chosen.string())));
  Click(chooser, "Command1");
  EXPECT_EQ(h.state.SoundDir, chosen.string() + "/");
  EXPECT_EQ(h.state.SoundDrive, "/");
  EXPECT_EQ(ReadIniValue("Config", "SoundDir", h.ctx.PrefsIni()), chosen.string());
  EXPECT_EQ(ReadIniValue("Config", "SoundDrive", h.ctx.PrefsIni()), "/");
}

}  // namespace
}  // namespace voxmire::test
