// The whole wizard, from the start page to "Compile!", clicked through the
// real pages, with real sound files, a game folder holding the game's own
// settings file, and a stand-in compiler that behaves like the game's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <cstdlib>

#include "app/DirectoryLists.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "record/RecordWindow.h"
#include "sounds/AudioSamples.h"
#include "support/Harness.h"
#include "support/PulseServer.h"
#include "support/UmodReader.h"
#include "support/ZipReader.h"
#include "workarea/PhraseTable.h"

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
  void SetUp() override {
    // The program's own files, as installed beside the executable.
    fs::copy(fs::path(VOXMIRE_DATA_DIR), program_, fs::copy_options::recursive);
    WriteFile(game_ / "System" / "UnrealTournament.ini", OriginalSettings());
    // The game's stock voice packages, where "Generate" looks for the
    // taunts' sounds.
    fs::create_directories(game_ / "Sounds");
    for (const auto& entry :
         fs::directory_iterator(fs::path(VOXMIRE_SHARED_DIR) / "ut99/packages")) {
      if (entry.path().extension() == ".uax") {
        fs::copy_file(entry.path(), game_ / "Sounds" / entry.path().filename());
      }
    }
    const fs::path compiler = game_ / "System64" / "ucc-bin-amd64";
    WriteFile(compiler, ReadFile(fs::path(VOXMIRE_SOURCE_DIR) / "tests/support/fake-ucc.sh"));
    fs::permissions(compiler, fs::perms::owner_all);

    // Recordings as people bring them, in a folder whose name the game's
    // compiler couldn't open.
    using testing::Quoted;
    const fs::path spoken = h_.root / "spoken.wav";
    ASSERT_TRUE(testing::Speak(spoken, "hello there")) << "espeak-ng makes the test sounds";
    ASSERT_TRUE(testing::WriteMp3(sounds_ / "hello.mp3", 44100, 2, 1.5, 300));
    ASSERT_TRUE(testing::Sox(Quoted(spoken) + " -r 44100 " + Quoted(sounds_ / "gotit.flac")));
    ASSERT_TRUE(
        testing::Sox(Quoted(spoken) + " -r 48000 -c 2 -b 24 " + Quoted(sounds_ / "wide.wav")));
    fs::copy_file(spoken, sounds_ / "UPPER.WAV");
    ASSERT_TRUE(testing::Sox(Quoted(spoken) + " -c 2 " +
                             Quoted(sounds_ / "gr\u00FC\u00DFe mit blank.wav")));
    // Nothing may reach the real home, whoever asks the environment.
    setenv("HOME", home_.c_str(), 1);
    setenv("FAKE_UCC_INI", seenIni_.c_str(), 1);
    unsetenv("FAKE_UCC_MODE");
  }

  // The page that is open now, shown and active.
  QWidget* Current(PageId id) {
    QWidget* page = h_.nav.Window(id);
    EXPECT_NE(page, nullptr) << "page " << static_cast<int>(id) << " is not open";
    if (page == nullptr) return nullptr;
    EXPECT_TRUE(QTest::qWaitForWindowExposed(page));
    QApplication::setActiveWindow(page);
    EXPECT_TRUE(QTest::qWaitForWindowActive(page));
    return page;
  }

  // Start page to the work area, by the buttons a user presses: two
  // acknowledgements typed, the base voice's taunts loaded.
  QWidget* WalkToTheWorkArea() {
    Click(h_.nav.Open(PageId::Start), "Command1");

    QWidget* info = Current(PageId::Info);
    Type(info, "txtUTDir", QString::fromStdString(game_.string()));
    Type(info, "txtVoicePackName", ToQt(kPack));
    Type(info, "txtAuthorName", QStringLiteral("Jane"));
    Type(info, "txtProductName", QStringLiteral("Gruff"));
    Type(info, "txtReadmeLocation", QString::fromStdString(readme_.string()));
    Click(info, "Command1");

    Click(Current(PageId::SelectVoice), "Command1");  // Voice Male One, preselected

    QWidget* chooser = Current(PageId::ChooseSoundDir);
    EXPECT_TRUE(
        Find<DirectoryList>(chooser, "Dir1")->SetPath(QString::fromStdString(sounds_.string())));
    Click(chooser, "Command1");

    QWidget* sounds = Current(PageId::Sounds);
    EXPECT_EQ(Find<QListWidget>(sounds, "File1")->count(), 5);
    Click(sounds, "Command5");  // add all files
    EXPECT_EQ(Find<QListWidget>(sounds, "List1")->count(), 5);
    EXPECT_TRUE(h_.dialogs.messages.empty());
    Click(sounds, "Command1");

    Click(Current(PageId::Script), "Command1");

    QWidget* work = Current(PageId::WorkArea);
    auto* tabs = Find<QTabWidget>(work, "SSTab1");
    tabs->setCurrentIndex(0);
    h_.dialogs.inputAnswers = {QStringLiteral("2")};
    Click(work, "Command1");  // two acknowledgement rows
    auto* acks = Find<QTableView>(work, "tblAck");
    EXPECT_EQ(acks->model()->rowCount(), 2);
    if (acks->model()->rowCount() != 2) return work;
    TypeInCell(acks, 0, 0, QStringLiteral("Sound'MyPack.MyPack.hello'"));
    TypeInCell(acks, 0, 1, QStringLiteral("Hello there"));
    TypeInCell(acks, 0, 2, QStringLiteral("Hi"));
    TypeInCell(acks, 1, 0, QStringLiteral("Sound'MyPack.MyPack.gotit'"));
    TypeInCell(acks, 1, 1, QStringLiteral("Got it"));
    tabs->setCurrentIndex(2);
    Click(work, "Command14");  // the base voice's taunts
    tabs->setCurrentIndex(5);
    Type(work, "txtRedLeader", QStringLiteral("Sound'MyPack.MyPack.wide'"));
    return work;
  }

  // "Generate && Continue", then on from the int file page to the compile page.
  void GenerateAndGoToCompile(QWidget* work) {
    Find<QTabWidget>(work, "SSTab1")->setCurrentIndex(6);
    h_.dialogs.confirms.clear();
    h_.dialogs.confirmAnswers = {true};
    Click(work, "Command12");
    // No friendly fire rows: said before generating, and generated all the same.
    ASSERT_EQ(h_.dialogs.confirms.size(), 1u);
    EXPECT_TRUE(h_.dialogs.confirms[0].text.contains(QStringLiteral("\"Friendly Fire\" tab")));

    QWidget* intFile = Current(PageId::IntFile);
    EXPECT_EQ(Find<QLineEdit>(intFile, "Text2")->text(), QStringLiteral("MyPack by Jane"));
    Click(intFile, "Command2");

    ASSERT_NE(Current(PageId::Compile), nullptr);
    for (PageId passed : {PageId::Start, PageId::Info, PageId::SelectVoice, PageId::ChooseSoundDir,
                          PageId::Sounds, PageId::Script, PageId::WorkArea, PageId::IntFile}) {
      EXPECT_FALSE(h_.nav.IsOpen(passed)) << static_cast<int>(passed);
    }
  }

  // The length of one of the pack's sounds, in the game's own six decimals.
  std::string SoundSeconds(const std::string& sound) {
    const auto audio =
        testing::ReadAudio(program_ / "Packs" / "MyPack" / "Sounds" / (sound + ".wav"));
    EXPECT_TRUE(audio.has_value()) << sound;
    return audio
               ? FixedDecimals(static_cast<double>(audio->info.frames) / audio->info.samplerate, 6)
               : std::string();
  }

  // Start page to the compile page.
  void WalkToTheCompilePage() {
    QWidget* work = WalkToTheWorkArea();
    if (!HasFailure()) GenerateAndGoToCompile(work);
  }

  // Presses "Compile!" and gives the one message it showed.
  ShownMessage Compile() {
    h_.dialogs.messages.clear();
    Click(h_.nav.Window(PageId::Compile), "Command1");
    // The compiler runs beside the event loop; the report ends the run.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !h_.dialogs.messages.empty(); }, 30000));
    EXPECT_EQ(h_.dialogs.messages.size(), 1u);
    return h_.dialogs.messages.empty() ? ShownMessage{} : h_.dialogs.messages.back();
  }
  QString Status() { return Find<QLineEdit>(h_.nav.Window(PageId::Compile), "txtStatus")->text(); }

  PosixProcessRunner runner_;
  Harness h_{&runner_};
  fs::path program_ = h_.programDir, game_ = h_.root / "UnrealTournament", home_ = h_.ctx.home;
  fs::path sounds_ = h_.TempDir("my s\u00FCnds"), seenIni_ = h_.root / "seen.ini";
  fs::path settings_ = game_ / "System" / "UnrealTournament.ini";
  fs::path package_ = home_ / ".utpg" / "System" / "MyPack.u";
  fs::path readme_ = h_.TempDir("docs") / "MyPack.txt";
};

TEST_F(WizardTest, FailuresLeaveTheGameAsItWasThenThePackIsBuiltInstalledAndCompiled) {
  WalkToTheCompilePage();
  ASSERT_FALSE(HasFailure());
  const std::string script = ReadFile(program_ / "MyPack.uc");
  const std::string intText = ReadFile(program_ / "MyPack.int");
  EXPECT_EQ(intText,
            "[Public]\r\nObject=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceMale,"
            "Description=\"MyPack by Jane\")\r\n");
  const char* kSounds[] = {"grusse_mit_blank", "gotit", "hello", "UPPER", "wide"};
  for (const std::string sound : kSounds) {
    const std::string line = "\r\n#exec AUDIO IMPORT FILE=\"Sounds\\" + sound + ".wav\" NAME=\"" +
                             sound + "\" PACKAGE=\"MyPack\" GROUP=\"MyPack\"\r\n";
    EXPECT_NE(script.find(line), std::string::npos) << sound;
  }
  EXPECT_EQ(script.find("s\xFCnds"), std::string::npos);  // no folder of the user's reaches it
  // The pack's own acknowledgements and leader name wait as long as the
  // files the compile installs last, in the game's own six decimals.
  for (const auto& [line, sound] :
       {std::pair{"AckTime(0)=", "hello"}, std::pair{"AckTime(1)=", "gotit"},
        std::pair{"NameTime(0)=", "wide"}}) {
    const std::string expected = "\r\n" + std::string(line) + SoundSeconds(sound) + "\r\n";
    EXPECT_NE(script.find(expected), std::string::npos) << expected << " in " << script;
  }
  EXPECT_EQ(script.find("NameTime(1)="), std::string::npos);  // the base voice's, left to it
  for (const char* piece :
       {"class MyPack extends VoiceMaleOne;", "AckSound(0)=Sound'MyPack.MyPack.hello'",
        "AckString(0)=\"Hello there\"", "AckAbbrev(0)=\"Hi\"",
        "AckSound(1)=Sound'MyPack.MyPack.gotit'", "numAcks=2",
        "TauntSound(0)=Sound'Male1Voice.(All)."}) {
    EXPECT_NE(script.find(piece), std::string::npos) << piece;
  }

  // A failed compile keeps the generated files, so the same page can try again.
  for (auto [mode, mentions] : {std::pair{"warn", "Warning, Unknown property in defaults"},
                                {"fail", "exit status 1"},
                                {"crash", "signal"},
                                {"nou", "left no MyPack.u"}}) {
    SCOPED_TRACE(mode);
    setenv("FAKE_UCC_MODE", mode, 1);
    fs::remove(seenIni_);
    const ShownMessage failure = Compile();
    EXPECT_EQ(Status(), QStringLiteral("Compile failed"));
    EXPECT_EQ(failure.icon, MessageIcon::Critical);
    EXPECT_TRUE(failure.text.contains(QString::fromLatin1(mentions))) << failure.text.toStdString();
    EXPECT_EQ(ReadFile(seenIni_), EditedSettings());
    EXPECT_EQ(ReadFile(settings_), OriginalSettings());
    EXPECT_FALSE(fs::exists(package_));
    EXPECT_TRUE(fs::exists(program_ / "MyPack.uc") && fs::exists(program_ / "MyPack.int"));
    EXPECT_FALSE(fs::exists(program_ / "Release"));
  }

  unsetenv("FAKE_UCC_MODE");
  fs::remove(seenIni_);
  WriteFile(readme_, "Say hello.\r\n");
  Find<QCheckBox>(h_.nav.Window(PageId::Compile), "Check1")->click();
  PaintRecorder recorder;
  Find<QLineEdit>(h_.nav.Window(PageId::Compile), "txtStatus")->installEventFilter(&recorder);
  const ShownMessage report = Compile();
  // Each step is painted as it begins, the ones before the compiler's run
  // included (no event loop runs between them).
  EXPECT_EQ(recorder.painted.join(QStringLiteral(" | ")).toStdString(),
            "Beginning compile sequence... | Copying Files... | Compiling... | Compile done");
  EXPECT_EQ(report.icon, MessageIcon::None) << report.text.toStdString();
  EXPECT_EQ(report.title, QStringLiteral("Harkline"));
  const fs::path installedScript = game_ / "MyPack" / "Classes" / "MyPack.uc";
  EXPECT_EQ(report.text.split(QLatin1Char('\r')).mid(1, 3),
            (QStringList{
                ToQt(PathText(game_ / "System" / "MyPack.int")) + "  -  Your int file",
                ToQt(PathText(package_)) + "  -  The Script file",
                ToQt(PathText(installedScript)) + "  -  The unreal class file. Safe to delete"}));

  // What the pages generated, installed as it was made, and built from the
  // edited settings file that was then put back as it was.
  EXPECT_EQ(ReadFile(game_ / "System" / "MyPack.int"), intText);
  EXPECT_EQ(ReadFile(installedScript), script);
  EXPECT_FALSE(fs::exists(program_ / "MyPack.uc") || fs::exists(program_ / "MyPack.int"));
  EXPECT_EQ(ReadFile(seenIni_), EditedSettings());
  EXPECT_EQ(ReadFile(package_), "fake package MyPack\n" + script);
  EXPECT_EQ(ReadFile(settings_), OriginalSettings());

  // The archives to share hold what the compile made.
  const fs::path zip = program_ / "Release" / "MyPack.zip",
                 umod = program_ / "Release" / "MyPack.umod";
  const QStringList lines = report.text.split(QLatin1Char('\r'));
  EXPECT_TRUE(lines.contains(ToQt(PathText(zip)) + "  -  To share: unzips into the game folder"))
      << report.text.toStdString();
  EXPECT_TRUE(lines.contains(ToQt(PathText(umod)) + "  -  To share: the game's installer"));
  const ZipReading zipped = ReadZip(zip);
  EXPECT_EQ(zipped.problem, "");
  EXPECT_EQ(zipped.members, (std::vector<std::pair<std::string, std::string>>{
                                {"System/MyPack.u", ReadFile(package_)},
                                {"System/MyPack.int", intText},
                                {"Help/MyPack.txt", "Say hello.\r\n"}}));
  const UmodReading installer = ReadUmod(ReadFile(umod));
  EXPECT_EQ(installer.problem, "");
  ASSERT_EQ(installer.files.size(), 5u);
  EXPECT_EQ(installer.files[2].name, "System\\MyPack.u");
  EXPECT_EQ(installer.files[2].bytes, ReadFile(package_));
  EXPECT_NE(installer.files[1].bytes.find("\r\nDeveloper=Jane\r\n"), std::string::npos);

  // The pack's sounds beside its Classes, where the imports look for them.
  for (const std::string sound : kSounds) {
    const auto audio = testing::ReadAudio(game_ / "MyPack" / "Sounds" / (sound + ".wav"));
    ASSERT_TRUE(audio.has_value()) << sound;
    EXPECT_EQ(audio->info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16) << sound;
    EXPECT_EQ(audio->info.channels, 1) << sound;
    EXPECT_EQ(audio->info.samplerate, 22050) << sound;
  }
  EXPECT_EQ(ReadFile(game_ / "MyPack" / "Sounds" / "UPPER.wav"), ReadFile(sounds_ / "UPPER.WAV"));
}

// The whole wizard by keyboard alone, as the README's keyboard section tells
// it: every key goes to the focused control of the active window. Moving
// between the work area and the voice window is the window manager's
// (Alt+Tab), which Current() stands for; boxes are the fake dialogs'.
TEST_F(WizardTest, TheWholeWizardByKeyboardAloneVoiceWindowIncluded) {
  // The sound chooser opens where the recordings' folder is.
  WriteFile(h_.ctx.PrefsIni(), "[Config]\r\nSoundDir=" + PathText(h_.root) + "\r\n");
  Activate(h_.Open(PageId::Splash));
  Press(Qt::Key_Return);  // straight on

  Current(PageId::Start);
  Press(Qt::Key_Return);  // "Start a new VoicePack" is selected

  Current(PageId::Info);
  TypeKeys(QString::fromStdString(game_.string()));  // the first field, the game folder
  Press(Qt::Key_Tab);
  TypeKeys(ToQt(kPack));
  Press(Qt::Key_Tab);
  TypeKeys(QStringLiteral("Jane"));
  Press(Qt::Key_Return);
  EXPECT_TRUE(h_.dialogs.messages.empty());

  Current(PageId::SelectVoice);
  Press(Qt::Key_Return);  // Voice Male One

  QWidget* chooser = Current(PageId::ChooseSoundDir);
  ASSERT_TRUE(TabTo("Dir1"));
  auto* dirs = Find<DirectoryList>(chooser, "Dir1");
  while (dirs->currentItem()->data(Qt::AccessibleTextRole).toString() !=
         QString::fromStdString(sounds_.filename().string())) {
    const int row = dirs->currentRow();
    Press(Qt::Key_Down);
    ASSERT_NE(dirs->currentRow(), row) << "the sound folder is not listed";
  }
  Press(Qt::Key_Return);  // opens it
  Press(Qt::Key_Return);  // chooses it

  QWidget* sounds = Current(PageId::Sounds);
  for (int file = 0; file < 5; ++file) Press(Qt::Key_Return);  // each file in turn
  EXPECT_EQ(Find<QListWidget>(sounds, "List1")->count(), 5);
  EXPECT_TRUE(h_.dialogs.messages.empty());
  ASSERT_TRUE(TabTo("Command1"));
  Press(Qt::Key_Return);

  Current(PageId::Script);
  ASSERT_TRUE(TabTo("Command1"));
  Press(Qt::Key_Return);

  // The work area: one acknowledgement row, its sound taken from the voice
  // window by Ctrl+C and Ctrl+V, the Defend order's sound too.
  QWidget* work = Current(PageId::WorkArea);
  ASSERT_TRUE(TabTo("Command13"));
  Press(Qt::Key_Return);
  QWidget* voice = Current(PageId::VoiceWindow);
  ASSERT_EQ(h_.dialogs.messages.size(), 1u);  // the caution
  auto* entries = Find<QTreeWidget>(voice, "ListView1");
  const QString hello = QStringLiteral("Sound'MyPack.MyPack.hello'");
  while (entries->currentItem()->text(0) != hello) {
    QTreeWidgetItem* before = entries->currentItem();
    Press(Qt::Key_Down);
    ASSERT_NE(entries->currentItem(), before) << "hello is not listed";
  }
  Press(QKeySequence::Copy);

  Current(PageId::WorkArea);
  Press(Qt::Key_Tab, Qt::ControlModifier);  // from Tools round to Acknowledgements
  EXPECT_EQ(Find<QTabWidget>(work, "SSTab1")->currentIndex(), 0);
  ASSERT_TRUE(TabTo("Command1"));
  h_.dialogs.inputAnswers = {QStringLiteral("1")};
  Press(Qt::Key_Return);  // "Create Rows..."
  ASSERT_TRUE(TabTo("tblAck"));
  Press(QKeySequence::Paste);
  Press(Qt::Key_Right);
  TypeKeys(QStringLiteral("Hello there"));
  Press(Qt::Key_Return);
  for (int tab = 0; tab < 3; ++tab) Press(Qt::Key_Tab, Qt::ControlModifier);  // to Orders
  ASSERT_TRUE(TabTo("txtDefendSound"));
  TypeKeys(QStringLiteral("typed first"));
  Press(QKeySequence::Paste);
  for (int tab = 0; tab < 3; ++tab) Press(Qt::Key_Tab, Qt::ControlModifier);  // to Tools
  ASSERT_TRUE(TabTo("Command12"));
  h_.dialogs.confirmAnswers = {true};  // tables left empty: go on all the same
  Press(Qt::Key_Return);               // "Generate  && Continue"
  ASSERT_EQ(h_.dialogs.confirms.size(), 1u);
  EXPECT_EQ(h_.state.Tables.Acks.Row(1), (PhraseRow{hello.toStdString(), "Hello there", ""}));
  EXPECT_EQ(h_.state.Tables.Orders[0].Sound, hello.toStdString());

  Current(PageId::IntFile);
  ASSERT_TRUE(TabTo("Command2"));
  Press(Qt::Key_Return);  // "&Finish..."

  Current(PageId::Compile);
  h_.dialogs.messages.clear();
  ASSERT_TRUE(TabTo("Command1"));
  Press(Qt::Key_Return);  // "Compile!"
  ASSERT_TRUE(QTest::qWaitFor([this] { return !h_.dialogs.messages.empty(); }, 30000));
  EXPECT_EQ(h_.dialogs.messages.back().icon, MessageIcon::None)
      << h_.dialogs.messages.back().text.toStdString();
  const std::string installed = ReadFile(game_ / "MyPack" / "Classes" / "MyPack.uc");
  EXPECT_NE(installed.find("AckSound(0)=" + hello.toStdString()), std::string::npos);
  EXPECT_NE(installed.find("AckString(0)=\"Hello there\""), std::string::npos);
  EXPECT_TRUE(fs::exists(package_));
}

// A pack whose lines are recorded in the program: an acknowledgement, an
// order and a leader name, spoken into a private sound server's room and
// heard by its microphone, then compiled. The game gets each take's sound
// and each row names it.
TEST_F(WizardTest, LinesRecordedInTheProgramAreImportedAndTheirRowsNameThem) {
  PulseServer server;
  ASSERT_TRUE(server.Started()) << server.Problem();
  QWidget* work = WalkToTheWorkArea();
  ASSERT_FALSE(HasFailure());
  Find<QTabWidget>(work, "SSTab1")->setCurrentIndex(3);
  Type(work, "txtAssaultString", QStringLiteral("Attack"));
  Find<QTabWidget>(work, "SSTab1")->setCurrentIndex(6);
  Click(work, "cmdRecordLines");
  auto* recorder = qobject_cast<RecordWindow*>(Current(PageId::Recorder));
  ASSERT_NE(recorder, nullptr);
  for (const char* line : {"ack 1", "order 2", "name 0"}) {
    SCOPED_TRACE(line);
    ASSERT_TRUE(recorder->GoToLine(line));
    QTest::keyClick(recorder, Qt::Key_Space);
    ASSERT_TRUE(recorder->Taking());
    ASSERT_TRUE(server.Play(h_.root / "spoken.wav"));
    QTest::keyClick(recorder, Qt::Key_Space);
    EXPECT_FALSE(recorder->Taking());
  }
  EXPECT_TRUE(h_.dialogs.messages.empty());
  QTest::keyClick(recorder, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !h_.nav.IsOpen(PageId::Recorder); }));
  // The rows point at the takes' sounds, in the tables the work area shows.
  auto* acks = Find<QTableView>(work, "tblAck");
  EXPECT_EQ(acks->model()->index(1, 0).data().toString(),
            QStringLiteral("Sound'MyPack.MyPack.ack_1_got_it'"));
  EXPECT_EQ(Find<QLineEdit>(work, "txtAssaultSound")->text(),
            QStringLiteral("Sound'MyPack.MyPack.order_2_attack'"));
  EXPECT_EQ(Find<QLineEdit>(work, "txtRedLeader")->text(),
            QStringLiteral("Sound'MyPack.MyPack.name_red_leader'"));
  // Each row's time is its take's length, and the script says so.
  const QString ackTime = acks->model()->index(1, 3).data().toString();
  const QString nameTime = Find<QLineEdit>(work, "txtRedLeaderTime")->placeholderText() +
                           Find<QLineEdit>(work, "txtRedLeaderTime")->text();

  GenerateAndGoToCompile(work);
  ASSERT_FALSE(HasFailure());
  const ShownMessage report = Compile();
  EXPECT_EQ(report.icon, MessageIcon::None) << report.text.toStdString();
  const std::string script = ReadFile(game_ / "MyPack" / "Classes" / "MyPack.uc");
  EXPECT_EQ(ReadFile(package_), "fake package MyPack\n" + script);
  for (const auto& [sound, row] :
       {std::pair{"ack_1_got_it", "AckSound(1)"}, std::pair{"order_2_attack", "OrderSound(2)"},
        std::pair{"name_red_leader", "NameSound(0)"}}) {
    SCOPED_TRACE(sound);
    const std::string name(sound);
    EXPECT_NE(script.find("\r\n#exec AUDIO IMPORT FILE=\"Sounds\\" + name + ".wav\" NAME=\"" +
                          name + "\" PACKAGE=\"MyPack\" GROUP=\"MyPack\"\r\n"),
              std::string::npos);
    EXPECT_NE(script.find(std::string(row) + "=Sound'MyPack.MyPack." + name + "'"),
              std::string::npos);
    const auto audio = testing::ReadAudio(game_ / "MyPack" / "Sounds" / (name + ".wav"));
    ASSERT_TRUE(audio.has_value());
    EXPECT_EQ(audio->info.samplerate, 22050);
    EXPECT_EQ(audio->info.channels, 1);
    if (std::string_view(row) != "OrderSound(2)") {
      const std::string time = SoundSeconds(name);
      EXPECT_NE(
          script.find((row[0] == 'A' ? "\r\nAckTime(1)=" : "\r\nNameTime(0)=") + time + "\r\n"),
          std::string::npos)
          << time;
      // The page shows it to the hundredth.
      EXPECT_NEAR((row[0] == 'A' ? ackTime : nameTime).toDouble(), std::stod(time), 0.005);
    }
    // The spoken words, trimmed: "hello there" lasts about a second.
    EXPECT_GT(audio->info.frames, 22050 / 2);
    EXPECT_LT(audio->info.frames, 22050 * 2);
  }
}

}  // namespace
}  // namespace voxmire::test

namespace voxmire::test {
namespace {

// "Generated on" and "Generated at" stamp each build; the rest must match.
std::string WithoutStamp(const std::string& script) {
  std::string out;
  for (const std::string& line : SplitLines(script)) {
    if (line.rfind("// Generated on: ", 0) == 0 || line.rfind("// Generated at: ", 0) == 0)
      continue;
    out += line + "\n";
  }
  return out;
}

// A pack made one evening and loaded the next: the program is quit (its
// windows and state gone) and started afresh on the same program folder, and
// every page shows what it showed, down to the script it generates.
TEST_F(WizardTest, APackLoadedAfterARestartShowsEveryPageAsItWasAndBuildsTheSameScript) {
  WalkToTheCompilePage();
  ASSERT_FALSE(HasFailure());
  const std::string script = ReadFile(program_ / "MyPack.uc");
  const std::string intText = ReadFile(program_ / "MyPack.int");
  const QStringList packageList = [&] {
    QStringList names;
    for (const std::string& name : h_.state.Sounds) names << ToQt(name);
    return names;
  }();
  h_.nav.Quit();
  h_.keeper.Flush();
  const fs::path project = program_ / "Packs" / "MyPack.voxmire";
  ASSERT_TRUE(fs::exists(project));

  Harness next;  // the next run: a new program context on a copy of the same folder
  fs::remove_all(next.programDir);
  fs::copy(program_, next.programDir, fs::copy_options::recursive);
  fs::remove(next.programDir / "MyPack.uc");
  fs::remove(next.programDir / "MyPack.int");
  next.dialogs.fileAnswers = {ToQt(PathText(next.programDir / "Packs" / "MyPack.voxmire"))};
  QWidget* start = next.Open(PageId::Start);
  Find<QRadioButton>(start, "Option2")->setChecked(true);
  Click(start, "Command1");

  QWidget* info = next.nav.Window(PageId::Info);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(Find<QLineEdit>(info, "txtVoicePackName")->text(), QStringLiteral("MyPack"));
  EXPECT_EQ(Find<QLineEdit>(info, "txtUTDir")->text(), ToQt(PathText(game_)));
  EXPECT_EQ(Find<QLineEdit>(info, "txtAuthorName")->text(), QStringLiteral("Jane"));
  EXPECT_EQ(Find<QLineEdit>(info, "txtReadmeLocation")->text(), ToQt(PathText(readme_)));
  Click(info, "Command1");
  // The pack's own name in the game is a rebuild, not a clash.
  for (const ShownMessage& m : next.dialogs.messages) EXPECT_NE(m.icon, MessageIcon::Critical);

  QWidget* voice = next.nav.Window(PageId::SelectVoice);
  ASSERT_NE(voice, nullptr);
  EXPECT_TRUE(Find<QRadioButton>(voice, "OptMaleOne")->isChecked());
  Click(voice, "Command1");
  QWidget* chooser = next.nav.Window(PageId::ChooseSoundDir);
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(Find<DirectoryList>(chooser, "Dir1")->Path(), QString::fromStdString(sounds_.string()));
  Click(chooser, "Command1");

  QWidget* sounds = next.nav.Window(PageId::Sounds);
  ASSERT_NE(sounds, nullptr);
  QStringList shown;
  auto* list = Find<QListWidget>(sounds, "List1");
  for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
  EXPECT_EQ(shown, packageList);
  Click(sounds, "Command1");

  Click(next.nav.Window(PageId::Script), "Command1");
  QWidget* work = next.nav.Window(PageId::WorkArea);
  ASSERT_NE(work, nullptr);
  auto* acks = Find<QTableView>(work, "tblAck");
  ASSERT_EQ(acks->model()->rowCount(), 2);
  EXPECT_EQ(acks->model()->index(0, 1).data().toString(), QStringLiteral("Hello there"));
  EXPECT_EQ(acks->model()->index(1, 0).data().toString(),
            QStringLiteral("Sound'MyPack.MyPack.gotit'"));
  EXPECT_EQ(Find<QTableView>(work, "tblTaunt")->model()->rowCount(), 16);
  next.dialogs.confirmAnswers = {true};
  Click(work, "Command12");

  QWidget* intFile = next.nav.Window(PageId::IntFile);
  ASSERT_NE(intFile, nullptr);
  EXPECT_EQ(Find<QLineEdit>(intFile, "Text2")->text(), QStringLiteral("MyPack by Jane"));
  Click(intFile, "Command2");
  ASSERT_NE(next.nav.Window(PageId::Compile), nullptr);
  EXPECT_EQ(WithoutStamp(ReadFile(next.programDir / "MyPack.uc")), WithoutStamp(script));
  EXPECT_EQ(ReadFile(next.programDir / "MyPack.int"), intText);
}

}  // namespace
}  // namespace voxmire::test
