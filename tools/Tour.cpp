// Walks the whole wizard offscreen with sample data and saves one picture of
// every window, in the order a user meets them: the pictures of the README.
// Usage: voxmire_tour <output folder>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/DirChooser.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "app/Shell.h"
#include "core/Files.h"
#include "output/CompilePage.h"
#include "output/RunAndWait.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"
#include "record/RecordWindow.h"
#include "record/Takes.h"
#include "sounds/SoundPlayer.h"
#include "support/PulseServer.h"

namespace fs = std::filesystem;
using namespace voxmire;

namespace {

// Boxes are remembered (the last one is pictured) instead of shown; the
// "Create Rows..." question is answered with 2.
class TourDialogs : public Dialogs {
 public:
  void Message(QWidget*, const QString& title, const QString& text, MessageIcon icon) override {
    last = {title, text, icon};
  }
  // Questions are answered Yes: the tour goes on.
  bool Confirm(QWidget*, const QString& title, const QString& text, MessageIcon icon) override {
    question = {title, text, icon};
    return true;
  }
  std::optional<QString> Input(QWidget*, const QString&, const QString&) override {
    return QStringLiteral("2");
  }
  std::optional<QString> OpenFile(QWidget*, const QString&, const QString&,
                                  const QStringList&) override {
    return std::nullopt;
  }
  std::optional<int> Choose(QWidget*, const QString&, const QString&, const QStringList&,
                            MessageIcon) override {
    return std::nullopt;
  }
  bool ModalOpen() const override { return false; }

  struct Shown {
    QString title, text;
    MessageIcon icon = MessageIcon::None;
  } last, question;
};

class NoShell : public Shell {
 public:
  void Open(const QString&) override {}
};

class NoPlayer : public SoundPlayer {
 public:
  bool Play(const QString&) override { return true; }
};

QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }

void Copy(const fs::path& from, const fs::path& to) {
  fs::create_directories(to.parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

class Tour {
 public:
  Tour(Navigator& nav, TourDialogs& dialogs, fs::path out)
      : nav_(nav), dialogs_(dialogs), out_(std::move(out)) {}

  void Shoot(QWidget* window, const char* name) {
    if (window == nullptr) {
      std::fprintf(stderr, "no window for %s\n", name);
      return;
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) std::fprintf(stderr, "%s never showed\n", name);
    QApplication::processEvents();
    char fileName[128];
    std::snprintf(fileName, sizeof fileName, "%02d-%s.png", ++count_, name);
    const QString file = Q(out_ / fileName);
    window->grab().save(file);
    std::printf("%s\n", qPrintable(file));
  }

  void ShootMessage(const char* name, bool question = false) {
    const TourDialogs::Shown& shown = question ? dialogs_.question : dialogs_.last;
    QMessageBox box;
    PrepareMessageBox(box, shown.title, shown.text, shown.icon);
    if (question) box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    Shoot(&box, name);
  }

  static void Click(QWidget* window, const char* button) {
    if (auto* b =
            window ? window->findChild<QAbstractButton*>(QString::fromLatin1(button)) : nullptr) {
      b->click();
    } else {
      std::fprintf(stderr, "no button %s\n", button);
    }
  }

  static void Type(QWidget* window, const char* field, const QString& text) {
    if (auto* f = window ? window->findChild<QLineEdit*>(QString::fromLatin1(field)) : nullptr) {
      f->setText(text);
    }
  }

 private:
  Navigator& nav_;
  TourDialogs& dialogs_;
  fs::path out_;
  int count_ = 0;
};

// A voice's worth of samples: noise whose loudness rises and falls, peaking
// near -6 dBFS.
std::vector<std::int16_t> Voice(double seconds, double from) {
  std::vector<std::int16_t> samples;
  std::uint32_t seed = 12345;
  const auto count = static_cast<std::size_t>(seconds * TakeRecorder::kRate);
  for (std::size_t i = 0; i < count; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const double t = from + static_cast<double>(i) / TakeRecorder::kRate;
    const double level = 9000.0 * (0.55 + 0.45 * std::sin(2 * M_PI * 2.5 * t));
    const double noise = static_cast<double>(seed >> 8) / (1 << 24) * 2.0 - 1.0;
    samples.push_back(static_cast<std::int16_t>(level * noise));
  }
  return samples;
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  if (argc < 2) {
    std::fprintf(stderr, "usage: voxmire_tour <output folder>\n");
    return 2;
  }
  const fs::path out = fs::absolute(argv[1]);
  fs::create_directories(out);

  // A program folder, a game folder with the fake compiler, a home and two sounds.
  const fs::path root = fs::temp_directory_path() /
                        ("voxmire-tour-" + std::to_string(QCoreApplication::applicationPid()));
  const fs::path program = root / "program";
  const fs::path game = root / "UnrealTournament";
  const fs::path sounds = root / "sounds";
  fs::create_directories(program);
  fs::create_directories(sounds);
  fs::create_directories(root / "home");
  Copy(fs::path(VOXMIRE_DATA_DIR) / "defaultscript.txt", program / "defaultscript.txt");
  for (const char* lib : {"MaleOne", "MaleTwo", "FemaleOne", "FemaleTwo", "Boss"}) {
    Copy(fs::path(VOXMIRE_DATA_DIR) / "Lib" / (std::string(lib) + ".vpl"),
         program / "Lib" / (std::string(lib) + ".vpl"));
  }
  Copy(fs::path(VOXMIRE_SHARED_DIR) / "ut99" / "UnrealTournament-436.ini",
       game / "System" / "UnrealTournament.ini");
  Copy(fs::path(VOXMIRE_SOURCE_DIR) / "tests" / "support" / "fake-ucc.sh",
       game / "System64" / "ucc-bin-amd64");
  fs::permissions(game / "System64" / "ucc-bin-amd64", fs::perms::owner_all);
  QProcess::execute(QStringLiteral("espeak-ng"),
                    {QStringLiteral("-w"), Q(sounds / "hello.wav"), QStringLiteral("hello")});
  QProcess::execute(QStringLiteral("espeak-ng"),
                    {QStringLiteral("-w"), Q(sounds / "gotcha.wav"), QStringLiteral("got you")});
  qputenv("HOME", (root / "home").string().c_str());

  // A sound server of our own, so that the recording window has a
  // microphone to show.
  voxmire::test::PulseServer sound;
  if (!sound.Started()) std::fprintf(stderr, "no sound server: %s\n", sound.Problem().c_str());

  ProjectState state;
  TourDialogs dialogs;
  NoShell shell;
  NoPlayer player;
  PosixProcessRunner runner;
  Navigator nav;
  nav.SetQuitHandler([] {});
  const auto places = Places::InOneFolder(program);
  ProjectKeeper keeper(state, dialogs, places);
  keeper.Watch(nav);
  AppContext ctx{state,         places, dialogs, shell,
                 player,        runner, nav,     [] { return std::vector<std::string>{"/"}; },
                 root / "home", keeper};
  RegisterPages(ctx);
  Tour tour(nav, dialogs, out);

  tour.Shoot(nav.Open(PageId::Splash), "splash");
  nav.Close(PageId::Splash);
  QWidget* start = nav.Open(PageId::Start);
  tour.Shoot(start, "start");

  Tour::Click(start, "Command1");
  QWidget* info = nav.Window(PageId::Info);
  Tour::Type(info, "txtUTDir", Q(game));
  Tour::Type(info, "txtVoicePackName", QStringLiteral("GruffPack"));
  Tour::Type(info, "txtAuthorName", QStringLiteral("Jane Doe"));
  Tour::Type(info, "txtAuthorURL", QStringLiteral("jane@example.org"));
  Tour::Type(info, "txtProductName", QStringLiteral("Gruff Voices"));
  Tour::Type(info, "txtProductURL", QStringLiteral("https://example.org/gruff"));
  Tour::Type(info, "txtReadmeLocation", Q(root / "readme.txt"));
  tour.Shoot(info, "information");
  Tour::Click(info, "Command2");
  if (auto* chooser = qobject_cast<DirChooser*>(nav.Window(PageId::ChooseUTDir))) {
    chooser->SetDirectory(Q(game));
    tour.Shoot(chooser, "game-directory");
    nav.Close(PageId::ChooseUTDir);
  }
  Tour::Click(info, "Command1");

  QWidget* voice = nav.Window(PageId::SelectVoice);
  tour.Shoot(voice, "base-voice");
  Tour::Click(voice, "Command1");

  auto* soundChooser = qobject_cast<DirChooser*>(nav.Window(PageId::ChooseSoundDir));
  if (soundChooser != nullptr) soundChooser->SetDirectory(Q(sounds));
  tour.Shoot(soundChooser, "sound-directory");
  Tour::Click(soundChooser, "Command1");

  QWidget* soundPage = nav.Window(PageId::Sounds);
  Tour::Click(soundPage, "Command5");
  tour.Shoot(soundPage, "sounds");
  Tour::Click(soundPage, "Command1");

  QWidget* script = nav.Window(PageId::Script);
  tour.Shoot(script, "script");
  Tour::Click(script, "Command1");

  QWidget* work = nav.Window(PageId::WorkArea);
  if (auto* tabs = work ? work->findChild<QTabWidget*>(QStringLiteral("SSTab1")) : nullptr) {
    for (const char* preset :
         {"Command8", "Command9", "Command14", "Command16", "Command17", "Command15"}) {
      Tour::Click(work, preset);
    }
    // One acknowledgement of the pack's own: its time follows the recording.
    if (auto* acks = work->findChild<QTableView*>(QStringLiteral("tblAck"))) {
      acks->model()->setData(acks->model()->index(1, 0),
                             QStringLiteral("Sound'GruffPack.GruffPack.hello'"));
    }
    const char* names[] = {
        "work-acknowledgements", "work-friendly-fire", "work-taunts", "work-orders",
        "work-others",           "work-names",         "work-tools"};
    for (int i = 0; i < tabs->count() && i < 7; ++i) {
      tabs->setCurrentIndex(i);
      tour.Shoot(work, names[i]);
    }
  }
  // The preview, with the own acknowledgement and the red leader played.
  Tour::Click(work, "Command19");
  if (QWidget* preview = nav.Window(PageId::Preview)) {
    if (auto* ack = preview->findChild<QComboBox*>(QStringLiteral("cboAck"))) {
      ack->setCurrentIndex(1);
    }
    Tour::Click(preview, "cmdPlayAck");
    tour.Shoot(preview, "preview");
    nav.Close(PageId::Preview);
  }
  Tour::Click(work, "Command13");
  tour.Shoot(nav.Window(PageId::VoiceWindow), "voice-window");
  Tour::Click(work, "Command12");
  tour.ShootMessage("pack-warnings", true);

  QWidget* intPage = nav.Window(PageId::IntFile);
  tour.Shoot(intPage, "int-file");
  Tour::Click(intPage, "Command2");

  QWidget* compile = nav.Window(PageId::Compile);
  tour.Shoot(compile, "compile");
  // The compiler runs beside the event loop: picture the page once the run
  // has ended.
  Tour::Click(compile, "Command1");
  auto* page = qobject_cast<CompilePage*>(compile);
  if (!QTest::qWaitFor([page] { return page == nullptr || !page->Compiling(); }, 30000)) {
    std::fprintf(stderr, "the compile never ended\n");
  }
  tour.Shoot(compile, "compiled");
  tour.ShootMessage("report");

  tour.Shoot(nav.Open(PageId::About), "about");
  nav.Close(PageId::About);

  // The start page's other two roads: the preferences, and the load dialog
  // (Qt's own, pictured while it is open).
  QWidget* prefs = nav.Open(PageId::Preferences);
  Tour::Type(prefs, "txtSoundDir", Q(sounds));
  Tour::Type(prefs, "txtAuthorName", QStringLiteral("Jane Doe"));
  Tour::Type(prefs, "txtAuthorURL", QStringLiteral("jane@example.org"));
  tour.Shoot(prefs, "preferences");
  nav.Close(PageId::Preferences);
  keeper.Flush();
  QtDialogs realDialogs;
  QTimer::singleShot(300, [&tour] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      tour.Shoot(dialog, "load");
      dialog->close();
    }
  });
  realDialogs.OpenFile(
      nullptr, QStringLiteral("Load a VoicePack"), Q(program / "Packs"),
      {QStringLiteral("VoicePacks (*.voxmire)"), QStringLiteral("Voice classes (*.uc)")});

  // The recording window in the middle of a take: its model is fed blocks
  // as the microphone would, after an earlier take of the same line.
  if (auto* recorder = qobject_cast<RecordWindow*>(nav.Open(PageId::Recorder))) {
    const RecordLine* line = recorder->CurrentLine();
    if (line != nullptr) KeepTake(state, places, *line, Voice(1.4, 0.0), false);
    recorder->GoToLine("ack 1");
    recorder->GoToLine("ack 0");
    TakeRecorder& take = recorder->Recorder();
    take.Start(1ull << 40);
    const std::vector<std::int16_t> voice = Voice(1.9, 0.0);
    for (std::size_t at = 0; at + 2400 <= voice.size(); at += 2400) {
      take.Add(std::span(voice).subspan(at, 2400), 0.0);
    }
    recorder->ShowLevel();
    tour.Shoot(recorder, "record");
    take.Stop();
    nav.Close(PageId::Recorder);
  }

  fs::remove_all(root);
  return 0;
}
