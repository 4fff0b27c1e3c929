// The information page, the game directory chooser, the base voice page and
// the hand-over to the sound directory chooser, driven as a user would.
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "app/DirectoryLists.h"
#include "project/InfoPage.h"
#include "project/Ini.h"
#include "support/Harness.h"

namespace voxmire::test {
namespace {

QString Text(QWidget* page, const char* field) { return Find<QLineEdit>(page, field)->text(); }

void FillInfoPage(QWidget* page) {
  Type(page, "txtUTDir", QStringLiteral("/games/ut"));
  Type(page, "txtVoicePackName", QStringLiteral("MyPack"));
  Type(page, "txtAuthorName", QStringLiteral("Jane"));
  Type(page, "txtAuthorURL", QStringLiteral("jane@example.org"));
  Type(page, "txtProductName", QStringLiteral("Gruff"));
  Type(page, "txtProductURL", QStringLiteral("https://example.org/gruff"));
  Type(page, "txtReadmeLocation", QStringLiteral("/docs/readme.txt"));
}

TEST(InfoPage, FirstRunOpensEmpty) {
  Harness h;
  QWidget* page = h.Open(PageId::Info);
  for (const char* field : {"txtUTDir", "txtVoicePackName", "txtAuthorName", "txtAuthorURL",
                            "txtProductName", "txtProductURL", "txtReadmeLocation"}) {
    EXPECT_TRUE(Text(page, field).isEmpty()) << field;
  }
  EXPECT_EQ(page->windowTitle(), QStringLiteral("Edit the VoicePack information"));
}

TEST(InfoPage, RefusesEmptyAndUnusableNamesAndStoresNothing) {
  struct Case {
    QString name;
    QString title;
  };
  const Case cases[] = {
      {QString(), QStringLiteral("No name specified")},
      {QStringLiteral("../evil"), QStringLiteral("Invalid name")},
      {QStringLiteral("   "), QStringLiteral("Invalid name")},
      {QStringLiteral("2Fast"), QStringLiteral("Invalid name")},
      {QStringLiteral("My Pack"), QStringLiteral("Invalid name")},
      {QStringLiteral("caf\u00E9"), QStringLiteral("Invalid name")},
  };
  for (const auto& c : cases) {
    Harness h;
    QWidget* page = h.Open(PageId::Info);
    FillInfoPage(page);
    Find<QLineEdit>(page, "txtVoicePackName")->setText(c.name);
    Click(page, "Command1");
    ASSERT_EQ(h.dialogs.messages.size(), 1u) << c.name.toStdString();
    EXPECT_EQ(h.dialogs.messages[0].title, c.title);
    EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
    if (c.name.isEmpty()) {
      EXPECT_EQ(h.dialogs.messages[0].text, QStringLiteral("You didn't type a name for the VoicePack!"));
    }
    EXPECT_FALSE(std::filesystem::exists(h.ctx.PrefsIni()));
    EXPECT_FALSE(std::filesystem::exists(h.ctx.StepsIni()));
    EXPECT_TRUE(h.state.AuthorName.empty());
    EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
    EXPECT_FALSE(h.nav.IsOpen(PageId::SelectVoice));
  }
}

TEST(InfoPage, NextStoresEverythingInOrderAndMovesOn) {
  Harness h;
  QWidget* page = h.Open(PageId::Info);
  FillInfoPage(page);
  Click(page, "Command1");

  EXPECT_EQ(h.state.VoicePackName, "MyPack");
  EXPECT_EQ(h.state.AuthorName, "Jane");
  EXPECT_EQ(h.state.AuthorURL, "jane@example.org");
  EXPECT_EQ(h.state.ProductName, "Gruff");
  EXPECT_EQ(h.state.ProductURL, "https://example.org/gruff");
  EXPECT_EQ(h.state.ReadmeLocation, "/docs/readme.txt");
  EXPECT_EQ(h.state.UTDir, "/games/ut");
  EXPECT_EQ(h.state.UTSystemDir, "/games/ut/System");
  EXPECT_EQ(h.state.UTSoundsDir, "/games/ut/Sounds");

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
  EXPECT_TRUE(h.nav.IsOpen(PageId::SelectVoice));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Info));
}

TEST(InfoPage, ReopensWithTheStoredValuesAfterBack) {
  Harness h;
  FillInfoPage(h.Open(PageId::Info));
  Click(h.nav.Window(PageId::Info), "Command1");
  Click(h.nav.Window(PageId::SelectVoice), "Command2");  // back to the information page
  QWidget* page = h.nav.Window(PageId::Info);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(Text(page, "txtUTDir"), QStringLiteral("/games/ut"));
  EXPECT_EQ(Text(page, "txtVoicePackName"), QStringLiteral("MyPack"));
  EXPECT_EQ(Text(page, "txtAuthorName"), QStringLiteral("Jane"));
  EXPECT_EQ(Text(page, "txtAuthorURL"), QStringLiteral("jane@example.org"));
  EXPECT_EQ(Text(page, "txtProductName"), QStringLiteral("Gruff"));
  EXPECT_EQ(Text(page, "txtProductURL"), QStringLiteral("https://example.org/gruff"));
  EXPECT_EQ(Text(page, "txtReadmeLocation"), QStringLiteral("/docs/readme.txt"));
}

TEST(InfoPage, GameDirectoryComesFromPrefsAndTrailingSlashIsKept) {
  Harness h;
  WriteIniValue("Config", "UTDir", "/from/prefs/", h.ctx.PrefsIni());
  WriteIniValue("Form2", "txtUTDir", "/from/steps", h.ctx.StepsIni());
  QWidget* page = h.Open(PageId::Info);
  EXPECT_EQ(Text(page, "txtUTDir"), QStringLiteral("/from/prefs/"));
  Type(page, "txtVoicePackName", QStringLiteral("P"));
  Click(page, "Command1");
  EXPECT_EQ(h.state.UTSystemDir, "/from/prefs//System");
}

TEST(InfoPage, NameTakesNoSixteenthCharacter) {
  Harness h;
  QWidget* page = h.Open(PageId::Info);
  Type(page, "txtVoicePackName", QStringLiteral("ABCDEFGHIJKLMNOPQ"));
  EXPECT_EQ(Text(page, "txtVoicePackName"), QStringLiteral("ABCDEFGHIJKLMNO"));
}

TEST(InfoPage, ReadmeChooserStartsInTheGameDirectory) {
  Harness h;
  QWidget* page = h.Open(PageId::Info);
  Type(page, "txtUTDir", QStringLiteral("/games/ut"));
  h.dialogs.fileAnswers = {QStringLiteral("/games/ut/Help/ReadMe.txt"), QString()};
  Click(page, "Command3");
  ASSERT_EQ(h.dialogs.fileDialogs.size(), 1u);
  EXPECT_EQ(h.dialogs.fileDialogs[0].first, QStringLiteral("Choose Readme File"));
  EXPECT_EQ(h.dialogs.fileDialogs[0].second, QStringLiteral("/games/ut"));
  EXPECT_EQ(Text(page, "txtReadmeLocation"), QStringLiteral("/games/ut/Help/ReadMe.txt"));
  Click(page, "Command3");  // cancelled: the field keeps its file
  EXPECT_EQ(Text(page, "txtReadmeLocation"), QStringLiteral("/games/ut/Help/ReadMe.txt"));
}

TEST(InfoPage, FieldsHaveTheirLabelsAsBuddiesAndTheSpecifiedTabOrder) {
  Harness h;
  QWidget* page = h.Open(PageId::Info);
  const char* order[] = {"txtUTDir", "txtVoicePackName", "txtAuthorName", "txtAuthorURL",
                         "txtProductName", "txtProductURL", "txtReadmeLocation", "Command1",
                         "Command2", "Command3", "Command4"};
  QWidget* w = Find<QWidget>(page, order[0]);
  for (std::size_t i = 1; i < std::size(order); ++i) {
    w = w->nextInFocusChain();
    while (w->focusPolicy() == Qt::NoFocus) w = w->nextInFocusChain();
    EXPECT_EQ(w->objectName().toStdString(), order[i]);
  }
  EXPECT_EQ(Find<QLineEdit>(page, "txtVoicePackName")->accessibleName(), QStringLiteral("VoicePack Name"));
}

TEST(UTDirChooser, SelectPutsTheDirectoryIntoTheInformationPage) {
  Harness h;
  const auto game = h.TempDir("UnrealTournament");
  QWidget* page = h.Open(PageId::Info);
  Click(page, "Command2");
  auto* chooser = h.nav.Window(PageId::ChooseUTDir);
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(chooser->windowTitle(), QStringLiteral("Choose your UT directory"));
  EXPECT_EQ(Find<DirectoryList>(chooser, "Dir1")->Path(), QDir::currentPath());
  ASSERT_TRUE(Find<DirectoryList>(chooser, "Dir1")->SetPath(QString::fromStdString(game.string())));
  Click(chooser, "Command1");
  EXPECT_EQ(Text(page, "txtUTDir"), QString::fromStdString(game.string()));
  EXPECT_FALSE(h.nav.IsOpen(PageId::ChooseUTDir));
  EXPECT_FALSE(std::filesystem::exists(h.ctx.PrefsIni()));  // stored only by Next

  Click(page, "Command2");
  ASSERT_TRUE(Find<DirectoryList>(h.nav.Window(PageId::ChooseUTDir), "Dir1")->SetPath("/"));
  Click(h.nav.Window(PageId::ChooseUTDir), "Command1");
  EXPECT_EQ(Text(page, "txtUTDir"), QStringLiteral("/"));  // a root keeps its separator
}

TEST(DirectoryList, ShowsAncestorsAndSubdirectoriesAndOpensOnActivation) {
  Harness h;
  const auto base = h.TempDir("tree");
  std::filesystem::create_directories(base / "beta");
  std::filesystem::create_directories(base / "Alpha");
  std::filesystem::create_directories(base / ".hidden");
  DirectoryList list;
  ASSERT_TRUE(list.SetPath(QString::fromStdString(base.string())));
  QStringList names;
  for (int i = 0; i < list.count(); ++i) names << list.item(i)->data(Qt::AccessibleTextRole).toString();
  EXPECT_EQ(names.first(), QStringLiteral("/"));
  EXPECT_EQ(names.mid(names.size() - 3),
            (QStringList{QStringLiteral("tree"), QStringLiteral("Alpha"), QStringLiteral("beta")}));
  EXPECT_FALSE(list.SetPath(QString::fromStdString((base / "missing").string())));

  list.setCurrentRow(list.count() - 1);
  list.OpenHighlighted();
  EXPECT_EQ(list.Path(), QString::fromStdString((base / "beta").string()));
}

TEST(SelectVoicePage, FirstRunSelectsMaleOneAndNextStoresIt) {
  Harness h;
  QWidget* page = h.Open(PageId::SelectVoice);
  EXPECT_TRUE(Find<QRadioButton>(page, "OptMaleOne")->isChecked());
  Click(page, "Command1");
  EXPECT_EQ(h.state.BaseVoicePackage, "Male1Voice");
  EXPECT_EQ(h.state.VoiceGender, "Male");
  EXPECT_EQ(h.state.BaseVoiceClass, "VoiceMaleOne");
  EXPECT_FALSE(h.state.BlankBase);
  EXPECT_EQ(ReadFile(h.ctx.StepsIni()), "[SelectVoice]\r\nBASEVOICE=Male1\r\n");
  EXPECT_TRUE(h.nav.IsOpen(PageId::ChooseSoundDir));
  EXPECT_FALSE(h.nav.IsOpen(PageId::SelectVoice));
}

TEST(SelectVoicePage, RestoresTheStoredChoiceExactly) {
  struct Case {
    const char* stored;
    const char* option;
  };
  const Case cases[] = {
      {"Male1", "OptMaleOne"},     {"Male2", "OptMaleTwo"},         {"Female1", "OptFemaleOne"},
      {"Female2", "OptFemaleTwo"}, {"Boss", "OptBoss"},             {"BlankMale", "OptBlankMale"},
      {"BlankFemale", "OptBlankFemale"}, {"boss", "OptMaleOne"},    {"Nonsense", "OptMaleOne"},
  };
  for (const auto& c : cases) {
    Harness h;
    WriteIniValue("SelectVoice", "BaseVoice", c.stored, h.ctx.StepsIni());
    QWidget* page = h.Open(PageId::SelectVoice);
    auto* option = Find<QRadioButton>(page, c.option);
    EXPECT_TRUE(option->isChecked()) << c.stored;
    EXPECT_TRUE(option->hasFocus() || !page->isActiveWindow()) << c.stored;
  }
}

TEST(SelectVoicePage, EveryOptionSetsItsWholeValueSet) {
  struct Case {
    const char* option;
    const char* stored;
    const char* package;
    const char* gender;
    const char* cls;
    bool blank;
  };
  const Case cases[] = {
      {"OptMaleTwo", "Male2", "Male2Voice", "Male", "VoiceMaleTwo", false},
      {"OptFemaleOne", "Female1", "Female1Voice", "Female", "VoiceFemaleOne", false},
      {"OptFemaleTwo", "Female2", "Female2Voice", "Female", "VoiceFemaleTwo", false},
      {"OptBoss", "Boss", "BossVoice", "Boss", "VoiceBoss", false},
      {"OptBlankMale", "BlankMale", "Male1Voice", "Male", "VoiceMaleOne", true},
      {"OptBlankFemale", "BlankFemale", "Female1Voice", "Female", "VoiceFemaleOne", true},
  };
  for (const auto& c : cases) {
    Harness h;
    h.state.BlankBase = !c.blank;  // a choice overwrites the flag either way
    QWidget* page = h.Open(PageId::SelectVoice);
    Find<QRadioButton>(page, c.option)->setChecked(true);
    Click(page, "Command1");
    EXPECT_EQ(h.state.BaseVoicePackage, c.package) << c.option;
    EXPECT_EQ(h.state.VoiceGender, c.gender) << c.option;
    EXPECT_EQ(h.state.BaseVoiceClass, c.cls) << c.option;
    EXPECT_EQ(h.state.BlankBase, c.blank) << c.option;
    EXPECT_EQ(ReadIniValue("SelectVoice", "BaseVoice", h.ctx.StepsIni()), c.stored);
  }
}

TEST(SelectVoicePage, BackReturnsToTheInformationPageWithoutStoring) {
  Harness h;
  QWidget* page = h.Open(PageId::SelectVoice);
  Find<QRadioButton>(page, "OptBoss")->setChecked(true);
  Click(page, "Command2");
  EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
  EXPECT_FALSE(h.nav.IsOpen(PageId::SelectVoice));
  EXPECT_FALSE(std::filesystem::exists(h.ctx.StepsIni()));
  EXPECT_TRUE(h.state.BaseVoicePackage.empty());
}

TEST(SelectVoicePage, HandsTheRememberedSoundDirectoryToTheChooser) {
  Harness h;
  const auto sounds = h.TempDir("my sounds");
  h.drives = {"/", "/elsewhere"};
  WriteIniValue("Config", "SoundDir", sounds.string(), h.ctx.PrefsIni());
  WriteIniValue("Config", "SoundDrive", "/", h.ctx.PrefsIni());
  Click(h.Open(PageId::SelectVoice), "Command1");
  QWidget* chooser = h.nav.Window(PageId::ChooseSoundDir);
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(Find<DirectoryList>(chooser, "Dir1")->Path(), QString::fromStdString(sounds.string()));
  EXPECT_EQ(Find<DriveList>(chooser, "Drive1")->Drive(), QStringLiteral("/"));
}

TEST(SelectVoicePage, WithNothingRememberedTheChooserStillOpens) {
  Harness h;
  Click(h.Open(PageId::SelectVoice), "Command1");
  QWidget* chooser = h.nav.Window(PageId::ChooseSoundDir);
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(Find<DirectoryList>(chooser, "Dir1")->Path(), QDir::currentPath());
}

TEST(SoundDirChooser, SelectStoresTheDirectoryAndItsDrive) {
  Harness h;
  const auto sounds = h.TempDir("sounds");
  QWidget* chooser = h.Open(PageId::ChooseSoundDir);
  ASSERT_TRUE(Find<DirectoryList>(chooser, "Dir1")->SetPath(QString::fromStdString(sounds.string())));
  Click(chooser, "Command1");
  EXPECT_EQ(h.state.SoundDir, sounds.string() + "/");
  EXPECT_EQ(h.state.SoundDrive, "/");
  EXPECT_EQ(ReadIniValue("Config", "SoundDir", h.ctx.PrefsIni()), sounds.string());
  EXPECT_EQ(ReadIniValue("Config", "SoundDrive", h.ctx.PrefsIni()), "/");
}

}  // namespace
}  // namespace voxmire::test
