// Voice pack projects as a user meets them: loading one from the start page,
// the question when a new pack's name already has one, the preferences, and
// work that survives every move between pages.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

#include "app/Qt1252.h"
#include "core/Files.h"
#include "project/BaseVoices.h"
#include "project/Ini.h"
#include "project/ProjectFile.h"
#include "support/Harness.h"
#include "workarea/PhraseTableModel.h"

namespace voxmire::test {
namespace {

namespace fs = std::filesystem;

QString Text(QWidget* page, const char* field) { return Find<QLineEdit>(page, field)->text(); }

ProjectState SavedPack() {
  ProjectState s;
  s.VoicePackName = "Gruff";
  s.UTDir = "/nowhere/ut";
  DeriveGameFolders(s);
  s.AuthorName = "J\xE9r\xF4me";
  s.ProductName = "Gruff voices";
  ApplyBaseVoice(kBaseVoices[3], s);  // Female Two
  s.Sounds = {"gotit"};
  s.Tables.Acks.CreateRows(3);
  s.Tables.Acks.SetCell(1, PhraseCell::Sound, "Sound'Gruff.Gruff.gotit'");
  s.Tables.Acks.SetCell(3, PhraseCell::String, "Roger that");
  s.Tables.Orders[2].String = "Take their base";
  s.Tables.Names[1] = "Sound'Gruff.Gruff.blue'";
  s.Description = "Gruff by J\xE9r\xF4me";
  return s;
}

fs::path PutProject(Harness& h, const ProjectState& state) {
  const fs::path file = ProjectFilePath(h.places, state.VoicePackName);
  WriteFile(file, ProjectFileText(state));
  return file;
}

void ChooseOnStartPage(Harness& h, const char* option) {
  QWidget* start = h.Open(PageId::Start);
  Find<QRadioButton>(start, option)->setChecked(true);
  Click(start, "Command1");
}

TEST(LoadVoicePack, EveryPageOpensWithTheLoadedPack) {
  Harness h;
  const ProjectState saved = SavedPack();
  const fs::path file = PutProject(h, saved);
  h.dialogs.fileAnswers = {ToQt(PathText(file))};
  ChooseOnStartPage(h, "Option2");

  ASSERT_EQ(h.dialogs.fileDialogs.size(), 1u);
  EXPECT_EQ(h.dialogs.fileDialogs[0], std::make_pair(QStringLiteral("Load a VoicePack"),
                                                     ToQt(PathText(ProjectFolder(h.places)))));
  EXPECT_EQ(h.dialogs.fileFilters[0],
            (QStringList{"VoicePacks (*.voxmire)", "Voice classes (*.uc)"}));
  EXPECT_EQ(h.state, saved);

  QWidget* info = h.nav.Window(PageId::Info);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(Text(info, "txtVoicePackName"), QStringLiteral("Gruff"));
  EXPECT_EQ(Text(info, "txtAuthorName"), QStringLiteral("J\u00E9r\u00F4me"));
  EXPECT_EQ(Text(info, "txtUTDir"), QStringLiteral("/nowhere/ut"));
  Click(info, "Command1");  // its own file: no question
  EXPECT_TRUE(h.dialogs.messages.empty());
  EXPECT_TRUE(Find<QRadioButton>(h.nav.Window(PageId::SelectVoice), "OptFemaleTwo")->isChecked());

  QWidget* work = h.Open(PageId::WorkArea);
  auto* acks = Find<QTableView>(work, "tblAck");
  ASSERT_EQ(acks->model()->rowCount(), 3);
  EXPECT_EQ(acks->model()->index(2, PhraseTableModel::kString).data().toString(),
            QStringLiteral("Roger that"));
  EXPECT_EQ(Find<QPushButton>(work, "Command1")->text(), QStringLiteral("Add New Row..."));
  EXPECT_EQ(Text(work, "txtAssaultString"), QStringLiteral("Take their base"));
  EXPECT_EQ(Text(work, "txtBlueLeader"), QStringLiteral("Sound'Gruff.Gruff.blue'"));
  EXPECT_EQ(Text(h.Open(PageId::IntFile), "Text2"), QStringLiteral("Gruff by J\u00E9r\u00F4me"));
  // Loading and moving on rewrote nothing of the pack.
  h.keeper.Flush();
  EXPECT_EQ(ReadProjectFile(file).state, saved);
}

TEST(LoadVoicePack, ABadFileIsNamedAndChangesNothing) {
  const std::string good = ProjectFileText(SavedPack());
  const std::pair<const char*, std::string> cases[] = {
      {"cut short", good.substr(0, good.size() - 40)},
      {"not a project", "[Public]\r\n"},
      {"newer format",
       std::string(good).replace(good.find("\"version\": 1"), 12, "\"version\": 9")},
      {"bad name", std::string(good).replace(good.find("\"Gruff\""), 7, "\"Gr uff\"")},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    Harness h;
    h.state.VoicePackName = "Current";
    h.state.Tables.Taunts.CreateRows(2);
    const ProjectState before = h.state;
    const fs::path file = ProjectFolder(h.places) / "Broken.voxmire";
    WriteFile(file, bytes);
    h.dialogs.fileAnswers = {ToQt(PathText(file))};
    ChooseOnStartPage(h, "Option2");
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(h.dialogs.messages[0].text.contains(ToQt(PathText(file))));
    EXPECT_EQ(ReadFile(file), bytes);
    EXPECT_EQ(h.state, before);
    EXPECT_TRUE(h.nav.IsOpen(PageId::Start));
    EXPECT_FALSE(h.nav.IsOpen(PageId::Info));
  }

  Harness cancelled;  // no file chosen: nothing happens at all
  ChooseOnStartPage(cancelled, "Option2");
  EXPECT_TRUE(cancelled.dialogs.messages.empty());
  EXPECT_TRUE(cancelled.nav.IsOpen(PageId::Start));
}

TEST(LoadVoicePack, ACopyFromElsewhereNeverReplacesThePacksFileUnasked) {
  Harness h;
  ProjectState mine = SavedPack();
  const fs::path own = PutProject(h, mine);
  ProjectState theirs = SavedPack();
  theirs.Tables.Acks.CreateRows(5);
  const fs::path copy = h.root / "download" / "Gruff.voxmire";
  WriteFile(copy, ProjectFileText(theirs));

  h.dialogs.fileAnswers = {ToQt(PathText(copy)), ToQt(PathText(copy))};
  h.dialogs.choiceAnswers = {-1, 0};
  ChooseOnStartPage(h, "Option2");  // Escape: nothing changes
  EXPECT_EQ(ReadFile(own), ProjectFileText(mine));
  EXPECT_TRUE(h.nav.IsOpen(PageId::Start));

  Click(h.nav.Window(PageId::Start), "Command1");  // replace, keeping a backup
  EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
  EXPECT_EQ(ReadFile(fs::path(own.string() + ".bak")), ProjectFileText(mine));
  h.keeper.Flush();
  EXPECT_EQ(ReadProjectFile(own).state, theirs);
}

TEST(LoadVoicePack, AVoiceClassIsImportedWithOneCautionForWhatItLacks) {
  Harness h;
  const fs::path game = h.TempDir("ut");
  fs::create_directories(game / "System");
  const fs::path uc = game / "Gruff" / "Classes" / "Gruff.uc";
  WriteFile(uc,
            "class Gruff extends VoiceFemaleTwo;\r\n"
            "#exec AUDIO IMPORT FILE=\"Sounds\\hello.wav\" NAME=\"hello\" PACKAGE=\"Gruff\" "
            "GROUP=\"Gruff\"\r\n"
            "defaultproperties\r\n{\r\n"
            "AckSound(0)=Sound'Gruff.Gruff.hello'\r\nAckString(0)=\"Hello\"\r\nnumAcks=1\r\n"
            "bFancy=True\r\n}\r\n");
  h.dialogs.fileAnswers = {ToQt(PathText(uc))};
  ChooseOnStartPage(h, "Option2");

  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(h.dialogs.messages[0].text.contains("hello.wav"));
  EXPECT_TRUE(h.dialogs.messages[0].text.contains("bFancy"));
  EXPECT_EQ(h.state.VoicePackName, "Gruff");
  EXPECT_EQ(h.state.BaseVoice, "Female2");
  EXPECT_EQ(h.state.UTDir, PathText(game));  // the game the class sits in
  ASSERT_EQ(h.state.Tables.Acks.Count(), 1);
  EXPECT_EQ(h.state.Tables.Acks.Row(1).String, "Hello");
  // Not the template's head (there is none here): kept, so a rebuild keeps it.
  ASSERT_TRUE(h.state.ScriptHead);
  EXPECT_EQ(h.state.ScriptHead->rfind("class Gruff extends VoiceFemaleTwo;", 0), 0u);
  QWidget* info = h.nav.Window(PageId::Info);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(Text(info, "txtVoicePackName"), QStringLiteral("Gruff"));
  h.keeper.Flush();
  EXPECT_EQ(ReadProjectFile(ProjectFilePath(h.places, "Gruff")).state, h.state);

  Harness broken;  // no class line: a clear message, nothing changes
  const fs::path bad = broken.root / "Bad.uc";
  WriteFile(bad, "defaultproperties\r\n{\r\n}\r\n");
  broken.dialogs.fileAnswers = {ToQt(PathText(bad))};
  ChooseOnStartPage(broken, "Option2");
  ASSERT_EQ(broken.dialogs.messages.size(), 1u);
  EXPECT_EQ(broken.dialogs.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(broken.dialogs.messages[0].text.contains(ToQt(PathText(bad))));
  EXPECT_EQ(broken.state, ProjectState());
  EXPECT_TRUE(broken.nav.IsOpen(PageId::Start));
}

TEST(NewVoicePack, ANameThatHasAProjectAsksToContinueOrStartAfresh) {
  const ProjectState saved = SavedPack();
  for (int answer : {-1, 0, 1}) {
    SCOPED_TRACE(answer);
    Harness h;
    const fs::path file = PutProject(h, saved);
    ChooseOnStartPage(h, "Option1");
    QWidget* info = h.nav.Window(PageId::Info);
    ASSERT_NE(info, nullptr);
    Type(info, "txtVoicePackName", QStringLiteral("Gruff"));
    Type(info, "txtAuthorName", QStringLiteral("Someone else"));
    h.dialogs.choiceAnswers = {answer};
    Click(info, "Command1");
    ASSERT_EQ(h.dialogs.questions.size(), 1u);
    EXPECT_TRUE(h.dialogs.messages[0].text.contains(ToQt(PathText(file))));
    switch (answer) {
      case -1:  // stays, nothing stored
        EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
        EXPECT_TRUE(h.state.VoicePackName.empty());
        EXPECT_EQ(ReadFile(file), ProjectFileText(saved));
        break;
      case 0:  // continues the pack as it was left
        EXPECT_TRUE(h.nav.IsOpen(PageId::SelectVoice));
        EXPECT_EQ(h.state, saved);
        h.keeper.Flush();
        EXPECT_EQ(ReadProjectFile(file).state, saved);
        break;
      case 1:  // a new pack under the name; the old one kept aside
        EXPECT_TRUE(h.nav.IsOpen(PageId::SelectVoice));
        EXPECT_EQ(h.state.AuthorName, "Someone else");
        EXPECT_TRUE(h.state.Tables.Acks.Empty());
        EXPECT_EQ(ReadFile(fs::path(file.string() + ".bak")), ProjectFileText(saved));
        h.keeper.Flush();
        EXPECT_EQ(ReadProjectFile(file).state, h.state);
        break;
    }
  }
}

TEST(Preferences, OkStoresWhatNewPacksStartWithCancelStoresNothing) {
  Harness h;
  const fs::path game = h.TempDir("ut"), sounds = h.TempDir("media/sounds");
  h.drives = {"/", h.root.string()};
  ChooseOnStartPage(h, "Option3");
  QWidget* prefs = h.nav.Window(PageId::Preferences);
  ASSERT_NE(prefs, nullptr);
  Type(prefs, "txtAuthorName", QStringLiteral("Jane"));
  Click(prefs, "Command3");
  EXPECT_FALSE(fs::exists(h.ctx.PrefsIni()));
  EXPECT_TRUE(h.nav.IsOpen(PageId::Start));

  ChooseOnStartPage(h, "Option3");
  prefs = h.nav.Window(PageId::Preferences);
  Type(prefs, "txtUTDir", ToQt(PathText(game)));
  Type(prefs, "txtSoundDir", ToQt(PathText(h.root / "missing")));
  Type(prefs, "txtAuthorName", QStringLiteral("Jane"));
  Type(prefs, "txtAuthorURL", QStringLiteral("https://jane.example.org"));
  Click(prefs, "Command1");  // a folder that doesn't exist is refused
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_FALSE(fs::exists(h.ctx.PrefsIni()));
  Type(prefs, "txtSoundDir", ToQt(PathText(sounds)));
  Click(prefs, "Command1");
  EXPECT_TRUE(h.nav.IsOpen(PageId::Start));
  const auto prefsIni = h.ctx.PrefsIni();
  EXPECT_EQ(ReadIniValue("Config", "UTDir", prefsIni), PathText(game));
  EXPECT_EQ(ReadIniValue("Config", "SoundDir", prefsIni), PathText(sounds));
  EXPECT_EQ(ReadIniValue("Config", "SoundDrive", prefsIni), PathText(h.root));
  EXPECT_EQ(ReadIniValue("Config", "AuthorURL", prefsIni), "https://jane.example.org");

  // A new pack starts with them, even when the last pack had another author.
  WriteIniValue("Form2", "txtAuthorName", "Last Time", h.ctx.StepsIni());
  ChooseOnStartPage(h, "Option1");
  QWidget* info = h.nav.Window(PageId::Info);
  EXPECT_EQ(Text(info, "txtAuthorName"), QStringLiteral("Jane"));
  EXPECT_EQ(Text(info, "txtUTDir"), ToQt(PathText(game)));
}

// The tables, orders and names live in the project: a trip back to the
// script page, or a crash, loses none of them.
TEST(WorkArea, RowsSurviveBackAndNextAndReachTheProjectFileWithinMoments) {
  Harness h;
  fs::copy(fs::path(VOXMIRE_DATA_DIR), h.programDir, fs::copy_options::recursive);
  h.state.VoicePackName = "Gruff";
  h.state.BaseVoice = "Male1";
  QWidget* work = h.Open(PageId::WorkArea);
  Find<QTabWidget>(work, "SSTab1")->setCurrentIndex(0);
  h.dialogs.inputAnswers = {QStringLiteral("2")};
  Click(work, "Command1");
  auto* acks = Find<QTableView>(work, "tblAck");
  TypeInCell(acks, 1, PhraseTableModel::kString, QStringLiteral("Hello there"));
  Find<QTabWidget>(work, "SSTab1")->setCurrentIndex(3);
  Type(work, "txtDefendString", QStringLiteral("Hold the line"));

  const fs::path file = ProjectFilePath(h.places, "Gruff");
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        const auto read = ReadProjectFile(file);
        return read.state && read.state->Tables.Orders[0].String == "Hold the line" &&
               read.state->Tables.Acks.Count() == 2 &&
               read.state->Tables.Acks.Row(2).String == "Hello there";
      },
      ProjectKeeper::kEditDelayMs + 1000));

  Trigger(work, "mnuBack");
  QWidget* script = h.nav.Window(PageId::Script);
  ASSERT_NE(script, nullptr);
  Click(script, "Command1");
  work = h.nav.Window(PageId::WorkArea);
  ASSERT_NE(work, nullptr);
  acks = Find<QTableView>(work, "tblAck");
  ASSERT_EQ(acks->model()->rowCount(), 2);
  EXPECT_EQ(acks->model()->index(1, PhraseTableModel::kString).data().toString(),
            QStringLiteral("Hello there"));
  EXPECT_EQ(Text(work, "txtDefendString"), QStringLiteral("Hold the line"));
  EXPECT_EQ(Find<QPushButton>(work, "Command1")->text(), QStringLiteral("Add New Row..."));
}

TEST(LastPages, BackLeadsToTheTablesAndToTheIntFile) {
  Harness h;
  h.state.VoicePackName = "Gruff";
  Click(h.Open(PageId::Compile), "Command2");
  EXPECT_TRUE(h.nav.IsOpen(PageId::IntFile));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Compile));
  Type(h.nav.Window(PageId::IntFile), "Text2", QStringLiteral("Edited"));
  Click(h.nav.Window(PageId::IntFile), "Command1");
  EXPECT_TRUE(h.nav.IsOpen(PageId::WorkArea));
  EXPECT_EQ(h.state.Description, "Edited");
  h.keeper.Flush();
  EXPECT_EQ(ReadProjectFile(ProjectFilePath(h.places, "Gruff")).state->Description, "Edited");
}

}  // namespace
}  // namespace voxmire::test
