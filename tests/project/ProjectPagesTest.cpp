// Voice pack projects as a user meets them: loading one from the start page,
// the question when a new pack's name already has one, the preferences, and
// work that survives every move between pages.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

#include "app/Qt1252.h"
#include "core/Files.h"
#include "project/BaseVoices.h"
#include "project/Ini.h"
#include "project/ProjectFile.h"
#include "support/Disks.h"
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
  Click(info, "Command1");  // its own file: no question, only that its game folder is gone
  EXPECT_TRUE(h.dialogs.questions.empty());
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("Game folder incomplete"));
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
       std::string(good).replace(good.find("\"version\": 2"), 12, "\"version\": 9")},
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

// A class built on one of the game's other classes is refused with the
// reason and makes nothing; one built on a class the program doesn't know
// asks which base voice the pack builds on.
TEST(LoadVoicePack, AClassThatIsNoVoiceIsRefusedAndAnUnknownParentAsksForTheBase) {
  Harness h;
  const fs::path gun = h.root / "MyGun" / "Classes" / "MyGun.uc";
  WriteFile(gun,
            "class MyGun extends TournamentWeapon;\r\ndefaultproperties\r\n{\r\n"
            "PickupMessage=\"You got the gun\"\r\n}\r\n");
  h.dialogs.fileAnswers = {ToQt(PathText(gun))};
  ChooseOnStartPage(h, "Option2");
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(h.dialogs.messages[0].text.contains(
      "its parent class TournamentWeapon is one of the game's weapons"))
      << h.dialogs.messages[0].text.toStdString();
  EXPECT_TRUE(h.nav.IsOpen(PageId::Start));
  EXPECT_EQ(h.state, ProjectState());
  h.keeper.Flush();
  EXPECT_FALSE(fs::exists(ProjectFilePath(h.places, "MyGun")));

  const fs::path modVoice = h.root / "ModVoice.uc";
  WriteFile(modVoice,
            "class ModVoice extends ModVoiceBase;\r\ndefaultproperties\r\n{\r\n"
            "AckString(0)=\"Yes sir\"\r\nnumAcks=1\r\n}\r\n");
  for (const int answer : {-1, 3}) {
    SCOPED_TRACE(answer);
    h.dialogs.messages.clear();
    h.dialogs.questions.clear();
    h.dialogs.fileAnswers = {ToQt(PathText(modVoice))};
    h.dialogs.choiceAnswers = {answer};
    Click(h.nav.Window(PageId::Start), "Command1");
    ASSERT_EQ(h.dialogs.questions.size(), 1u);
    EXPECT_EQ(h.dialogs.questions[0],
              (QStringList{"Male One", "Male Two", "Female One", "Female Two", "Boss", "Blank Male",
                           "Blank Female"}));
    EXPECT_TRUE(h.dialogs.messages[0].text.contains("ModVoice extends ModVoiceBase"));
    if (answer < 0) {  // closed: nothing made
      EXPECT_TRUE(h.nav.IsOpen(PageId::Start));
      EXPECT_EQ(h.state, ProjectState());
      continue;
    }
    EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
    EXPECT_EQ(h.state.BaseVoice, "Female2");
    EXPECT_EQ(h.state.BaseVoiceClass, "VoiceFemaleTwo");
    ASSERT_EQ(h.state.Tables.Acks.Count(), 1);
    EXPECT_EQ(h.state.Tables.Acks.Row(1).String, "Yes sir");
  }
}

// Another copy of the program, run as a process of its own, opening `pack`;
// what it said ("holding" or "open elsewhere").
QString StartOtherCopy(QProcess& copy, Harness& h, const std::string& pack) {
  copy.start(QStringLiteral(VOXMIRE_HOLD_PACK),
             {QString::fromStdString(h.places.data.string()), ToQt(pack)});
  if (!copy.waitForStarted(10000) || !copy.waitForReadyRead(10000)) return QStringLiteral("(none)");
  return QString::fromLatin1(copy.readLine()).trimmed();
}

// A pack is open in one copy of the program at a time: a copy that loads or
// starts a pack that another copy (a process of its own) has open is told
// so and opens nothing; other packs open fine; a copy that dies lets go.
TEST(PackLock, APackOpenInAnotherCopyIsRefusedOthersOpenAndADeadCopyLetsGo) {
  Harness h;
  const ProjectState gruff = SavedPack();
  const fs::path gruffFile = PutProject(h, gruff);
  ProjectState other = SavedPack();
  other.VoicePackName = "Other";
  const fs::path otherFile = PutProject(h, other);
  const ShownMessage openElsewhere{ToQt(kOpenElsewhereTitle), ToQt(OpenElsewhereText("Gruff")),
                                   MessageIcon::Critical};
  EXPECT_TRUE(openElsewhere.text.contains("open in another window of Voxmire"));

  QProcess holder;
  ASSERT_EQ(StartOtherCopy(holder, h, "Gruff"), QStringLiteral("holding"));

  h.dialogs.fileAnswers = {ToQt(PathText(gruffFile))};
  ChooseOnStartPage(h, "Option2");
  EXPECT_EQ(h.dialogs.messages, std::vector<ShownMessage>{openElsewhere});
  EXPECT_TRUE(h.nav.IsOpen(PageId::Start));
  EXPECT_EQ(h.state, ProjectState());

  // Starting a pack of that name: told at "Next ->", before any question.
  h.dialogs.messages.clear();
  ChooseOnStartPage(h, "Option1");
  QWidget* info = h.nav.Window(PageId::Info);
  ASSERT_NE(info, nullptr);
  Type(info, "txtVoicePackName", QStringLiteral("Gruff"));
  Click(info, "Command1");
  EXPECT_EQ(h.dialogs.messages, std::vector<ShownMessage>{openElsewhere});
  EXPECT_TRUE(h.dialogs.questions.empty());
  EXPECT_TRUE(h.nav.IsOpen(PageId::Info));

  // Another pack opens meanwhile.
  Click(info, "Command4");
  h.dialogs.messages.clear();
  h.dialogs.fileAnswers = {ToQt(PathText(otherFile))};
  ChooseOnStartPage(h, "Option2");
  EXPECT_TRUE(h.dialogs.messages.empty());
  EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
  EXPECT_EQ(h.state, other);

  // The other copy dies without a word: the kernel drops its lock.
  holder.kill();
  ASSERT_TRUE(holder.waitForFinished(10000));
  Click(h.nav.Window(PageId::Info), "Command4");
  h.dialogs.fileAnswers = {ToQt(PathText(gruffFile))};
  ChooseOnStartPage(h, "Option2");
  EXPECT_TRUE(h.dialogs.messages.empty());
  EXPECT_EQ(h.state, gruff);

  // Now this copy has Gruff (and has let Other go).
  QProcess second;
  EXPECT_EQ(StartOtherCopy(second, h, "Gruff"), QStringLiteral("open elsewhere"));
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitCode(), 3);
  QProcess third;
  EXPECT_EQ(StartOtherCopy(third, h, "Other"), QStringLiteral("holding"));
  third.closeWriteChannel();
  ASSERT_TRUE(third.waitForFinished(10000));
  EXPECT_EQ(third.exitCode(), 0);
  h.keeper.Flush();
  EXPECT_EQ(ReadProjectFile(gruffFile).state, gruff);
}

// A full disk: the failed save is told within moments, not at the next
// move, and once however often saving fails again; saving resumes by itself
// when there is room again, and says so.
TEST(Autosave, AFullDiskIsToldAtOnceOnceAndSavingResumesByItself) {
  Harness h;
  SmallDisk disk(ProjectFolder(h.places));
  std::optional<FileSizeLimit> limit;  // where no disk can be mounted
  h.state.VoicePackName = "Gruff";
  QWidget* work = h.Open(PageId::WorkArea);
  ASSERT_TRUE(h.keeper.Flush());
  const fs::path file = ProjectFilePath(h.places, "Gruff");
  if (disk.Mounted()) {
    ASSERT_TRUE(disk.Fill());
  } else {
    limit.emplace(64);
  }

  Find<QTabWidget>(work, "SSTab1")->setCurrentIndex(static_cast<int>(WorkAreaTab::Orders));
  Type(work, "txtDefendString", QStringLiteral("Hold the line"));
  QElapsedTimer sinceEdit;
  sinceEdit.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !h.dialogs.messages.empty(); },
                              ProjectKeeper::kEditDelayMs + 4000));
  // The save runs kEditDelayMs after the edit; its failure is told at once.
  EXPECT_LT(sinceEdit.elapsed(), ProjectKeeper::kEditDelayMs + 2000);
  const ShownMessage failed = h.dialogs.messages[0];
  EXPECT_EQ(failed.title, QStringLiteral("Your work can't be saved"));
  EXPECT_EQ(failed.icon, MessageIcon::Critical);
  const QString cause = disk.Mounted()
                            ? QStringLiteral("the disk holding %1 is full")
                                  .arg(ToQt(PathText(ProjectFolder(h.places))))
                            : QStringLiteral("larger than this system lets a program write");
  EXPECT_TRUE(failed.text.contains(cause)) << failed.text.toStdString();
  EXPECT_TRUE(h.nav.IsOpen(PageId::WorkArea));

  // Tried again and again meanwhile, without another word.
  EXPECT_FALSE(QTest::qWaitFor([&] { return h.dialogs.messages.size() > 1; },
                               2 * ProjectKeeper::kRetryMs + 300));
  EXPECT_TRUE(h.keeper.Failing());

  disk.Free();
  limit.reset();
  ASSERT_TRUE(QTest::qWaitFor([&] { return h.dialogs.messages.size() > 1; },
                              ProjectKeeper::kRetryMs + 3000));
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_EQ(h.dialogs.messages[1].title, QStringLiteral("Your work is saved again"));
  EXPECT_EQ(h.dialogs.messages[1].icon, MessageIcon::Information);
  const auto saved = ReadProjectFile(file);
  ASSERT_TRUE(saved.state) << saved.problem;
  EXPECT_EQ(saved.state->Tables.Orders[0].String, "Hold the line");
  EXPECT_FALSE(h.keeper.Failing());
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
