#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <thread>

#include "core/Files.h"
#include "output/CompileSequence.h"
#include "output/GameIni.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

void Put(const fs::path& file, const std::string& bytes, bool executable = false) {
  fs::create_directories(file.parent_path());
  ASSERT_TRUE(WriteFileAtomic(file, bytes));
  if (executable) fs::permissions(file, fs::perms::owner_all);
}

std::string Bytes(const fs::path& file) { return ReadFileBytes(file).value_or("<missing>"); }

TEST(LocateCompiler, PrefersTheMachinesOwnNativeBuild) {
  const std::string amd64 = "System64/ucc-bin-amd64", bin64 = "System64/ucc-bin",
                    bin = "System/ucc-bin";
  struct Case {
    std::vector<std::string> executables, plainFiles;
    bool is64;
    std::string found;  // empty: none, and then the problem names `problemNames`
    std::string problemNames;
  } cases[] = {
      {{amd64, bin64, bin}, {}, true, amd64, ""},
      {{bin64, bin}, {}, true, bin64, ""},
      {{bin}, {amd64}, true, bin, ""},
      {{amd64, bin}, {}, false, bin, ""},
      {{amd64}, {}, false, "", "System/ucc-bin."},
      {{}, {"System/UCC.exe"}, true, "", "UCC.exe is the Windows compiler"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.found + c.problemNames);
    const fs::path game = fs::path(::testing::TempDir()) / "locate-compiler";
    fs::remove_all(game);
    for (const auto& f : c.executables) Put(game / f, "#!/bin/sh\n", true);
    for (const auto& f : c.plainFiles) Put(game / f, "MZ");
    const CompilerLocation found = LocateCompiler(game, game / "System", c.is64);
    if (c.found.empty()) {
      EXPECT_TRUE(found.program.empty()) << found.program;
      EXPECT_NE(found.problem.find(c.problemNames), std::string::npos) << found.problem;
    } else {
      EXPECT_EQ(found.program, game / c.found);
      EXPECT_EQ(found.problem, "");
    }
  }
}

TEST(ReadCompilerOutput, CleanOnlyWithAZeroSummaryAndNoProblemLines) {
  const struct {
    const char* output;
    bool clean;
    std::size_t problems;
  } cases[] = {
      {"Parsing P\nSuccess - 0 error(s), 0 warnings\n", true, 0},
      {"Success - 0 error(s), 2 warnings\r\n", false, 0},
      {"Failure - 1 error(s), 0 warnings", false, 0},
      {"Compiling P\n", false, 0},
      {"P.uc(3) : Warning, Malformed escape sequence\nSuccess - 0 error(s), 0 warnings\n", false,
       1},
      {"ExecWarning, Can't find file\nFailed factoring sound\nSuccess - 0 error(s), 0 warnings\n",
       false, 2},
      {"P.uc(1) : Error, Bad class definition\nCritical error while compiling\n", false, 2},
      {"Exiting due to error\n", false, 1},
      // The words alone, in a pack's or a folder's name, are no problem.
      {"Parsing ErrorMan\nCompiling WarningShot\nUsing ini file /home/Errors/Warning.ini\n"
       "--------------------ErrorMan - Release--------------------\n"
       "Success - 0 error(s), 0 warnings\n",
       true, 0},
      {"../ErrorMan/Classes/ErrorMan.uc(12) : Error, Unexpected 'x'\n", false, 1},
  };
  for (const auto& c : cases) {
    const CompilerOutputReading reading = ReadCompilerOutput(c.output);
    EXPECT_EQ(reading.clean, c.clean) << c.output;
    EXPECT_EQ(reading.problemLines.size(), c.problems) << c.output;
  }
}

const std::string kVoiceInt =
    "[Public]\r\nObject=(Name=MyPack.MyPack,Class=Class,MetaClass=BotPack.VoiceMale,"
    "Description=\"MyPack, by me\")\r\n";

class CompileSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(root_);
    prog_ = root_ / "prog", system_ = root_ / "game/System", pref_ = root_ / "home/.utpg/System";
    settings_ = system_ / "UnrealTournament.ini";
    Put(settings_, Bytes(std::string(VOXMIRE_SHARED_DIR) + "/ut99/UnrealTournament-436.ini"));
    Put(root_ / "game/System64/ucc-bin-amd64",
        Bytes(std::string(VOXMIRE_SOURCE_DIR) + "/tests/support/fake-ucc.sh"), true);
    Put(prog_ / "MyPack.uc", "class MyPack extends VoiceMaleOne;\r\n");
    Put(prog_ / "MyPack.int", kVoiceInt);
    Put(prog_ / "Packs/MyPack/Sounds/hello.wav", "new hello");
    Put(prog_ / "Packs/MyPack/Sounds/fresh.wav", "new fresh");
    fs::create_directories(root_ / "rec");
    fs::create_directories(pref_);
    // Whatever happens, the compiler must not write into the real home.
    setenv("HOME", (root_ / "home").c_str(), 1);
    for (const char* what : {"ARGS", "CWD", "STDIN", "INI"}) {
      setenv((std::string("FAKE_UCC_") + what).c_str(), Rec(what).c_str(), 1);
    }
    state_ = {};
    state_.VoicePackName = "MyPack";
    state_.UTDir = PathText(root_ / "game");
    state_.UTSystemDir = PathText(system_);
    setup_ = {Places::InOneFolder(prog_), root_ / "home", true, {}};
  }
  void TearDown() override {
    unsetenv("FAKE_UCC_MODE");
    unsetenv("FAKE_UCC_SLEEP");
  }

  // An earlier build of the pack in every place a compile writes to.
  void PutEarlierBuild() {
    Put(pref_ / "MyPack.u", "earlier in the preference folder");
    Put(system_ / "MyPack.u", "earlier in System");
    Put(system_ / "MyPack.int", kVoiceInt + "; earlier");
    Put(root_ / "game/MyPack/Classes/MyPack.uc", "earlier script");
    Put(root_ / "game/MyPack/Sounds/hello.wav", "earlier hello");
    Put(root_ / "game/MyPack/Sounds/gone.wav", "earlier sound the pack no longer has");
  }

  // Every folder and file of the game and the home folder, with the bytes
  // (a digest of the long ones, so that a difference reads well).
  std::map<fs::path, std::string> GameFiles() const {
    std::map<fs::path, std::string> files;
    for (const char* top : {"game", "home"}) {
      for (const auto& e : fs::recursive_directory_iterator(root_ / top)) {
        std::string bytes = e.is_directory() ? "<folder>" : Bytes(e.path());
        if (bytes.size() > 80) {
          bytes = "<" + std::to_string(bytes.size()) + " bytes, hash " +
                  std::to_string(std::hash<std::string>()(bytes)) + ">";
        }
        files[e.path().lexically_relative(root_)] = bytes;
      }
    }
    return files;
  }

  std::string Rec(const char* what) const { return (root_ / "rec" / what).string(); }

  // Runs the sequence with the stand-in compiler in `mode`; with no mode,
  // the runner throws instead.
  CompileResult Compile(const char* mode = "ok") {
    struct ThrowingRunner : ProcessRunner {
      RunResult Run(const RunRequest&) override { throw std::runtime_error("runner broke"); }
    } throwing;
    PosixProcessRunner posix;
    if (mode != nullptr) setenv("FAKE_UCC_MODE", mode, 1);
    statuses_.clear();
    return RunCompileSequence(state_, setup_,
                              mode == nullptr ? static_cast<ProcessRunner&>(throwing) : posix,
                              [this](const std::string& s) { statuses_.push_back(s); });
  }
  // No file left anywhere under a temporary name.
  bool NoAsideCopies() const {
    for (const auto& dir :
         {system_, pref_, root_ / "game/MyPack/Classes", root_ / "game/MyPack/Sounds"}) {
      std::error_code ec;
      for (const auto& e : fs::directory_iterator(dir, ec)) {
        if (e.path().string().find("before-compile") != std::string::npos) return false;
      }
    }
    return true;
  }

  fs::path root_, prog_, system_, pref_, settings_;
  ProjectState state_;
  CompileSetup setup_;
  std::vector<std::string> statuses_;
};

// What gets installed, the edit the compiler sees and the settings put back
// are checked on the whole wizard's walk.
TEST_F(CompileSequenceTest, FirstCompileRunsTheGamesCompilerOnTheGamesSettingsAndReports) {
  Put(pref_ / "UnrealTournament.ini", "[URL]\r\n");  // the game's own file comes first
  const CompileResult result = Compile();
  ASSERT_TRUE(result.succeeded) << result.message;
  EXPECT_EQ(result.message,
            "The following has been created: \r" + PathText(system_ / "MyPack.int") +
                "  -  Your int file\r" + PathText(pref_ / "MyPack.u") + "  -  The Script file\r" +
                PathText(root_ / "game/MyPack/Classes/MyPack.uc") +
                "  -  The unreal class file. Safe to delete\rThanks for using Harkline. Please "
                "credit the program in your readme file!\rCheck for new versions at "
                "https://voxmire.harkline.example/");
  EXPECT_EQ(Bytes(Rec("ARGS")), "make\nini=" + fs::canonical(settings_).string() + "\n");
  EXPECT_EQ(Bytes(Rec("CWD")), fs::canonical(root_ / "game/System64").string() + "\n");
  EXPECT_EQ(Bytes(Rec("STDIN")), "");
  EXPECT_NE(Bytes(prog_ / "ucc-make-MyPack.log").find("Success - 0 error(s), 0 warnings\r\n"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(prog_ / "compile-journal.txt"));
}

// Every way the compile can end, an exception included, leaves the settings
// file byte for byte as it began; a failure takes back every file it
// installed and puts the earlier build (package, int file, script, sounds)
// back, and says only what is true.
TEST_F(CompileSequenceTest, EveryOutcomeRestoresSettingsAndUndoesTheInstallOnFailure) {
  const std::string playerIni = ".utpg/System/UnrealTournament.ini";
  const fs::path gameIni = "game/System/UnrealTournament.ini";
  const struct Case {
    const char* name;
    const char* mode;
    std::vector<fs::path> removed;  // before the compile
    bool earlierBuild, playerIniToo, succeeds;
    std::vector<std::string> says;
  } cases[] = {
      // clang-format off
      {"first build", "ok", {}, false, false, true, {}},
      {"rebuild", "ok", {}, true, false, true, {}},
      {"player's settings only", "ok", {gameIni}, true, true, true, {}},
      {"no compiler", "ok", {"game/System64"}, true, false, false, {"ucc-bin-amd64", "Nothing"}},
      {"no settings", "ok", {gameIni}, true, false, false, {"missing", playerIni}},
      {"second press", "ok", {"prog/MyPack.uc", "prog/MyPack.int"}, true, false, false,
       {"prog/MyPack.uc is missing", "prog/MyPack.int is missing"}},
      {"fails", "fail", {}, true, false, false,
       {"exit status 1", "    Critical error while compiling", "Error, Bad class", ".log",
        "earlier build of MyPack is back"}},
      {"fails on a first build", "fail", {}, false, false, false,
       {"exit status 1", "Nothing of MyPack was left installed"}},
      {"crashes", "crash", {}, true, false, false, {"signal 11", "ucc-make-MyPack.log"}},
      {"warns, status 0", "warn", {}, true, false, false, {"Warning, Unknown property"}},
      {"warns on a first build", "warn", {}, false, false, false,
       {"Warning, Unknown property", "Nothing of MyPack was left installed"}},
      {"counts a warning it doesn't show", "countonly", {}, true, false, false,
       {"reported warnings or errors", "earlier build of MyPack is back"}},
      {"leaves no package", "nou", {}, true, false, false, {"left no MyPack.u"}},
      {"runner throws", nullptr, {}, true, false, false, {"runner broke", "left as it was"}},
      // clang-format on
  };
  const fs::path classes = "game/MyPack/Classes";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.earlierBuild) PutEarlierBuild();
    if (c.playerIniToo) Put(pref_ / "UnrealTournament.ini", Bytes(settings_));
    for (const auto& r : c.removed) fs::remove_all(root_ / r);
    const fs::path settings = fs::exists(settings_) ? settings_ : pref_ / "UnrealTournament.ini";
    const std::string original = Bytes(settings);

    const CompileResult result = Compile(c.mode);
    EXPECT_EQ(result.succeeded, c.succeeds) << result.message;
    for (const auto& text : c.says) EXPECT_NE(result.message.find(text), std::string::npos) << text;
    EXPECT_EQ(statuses_.back(), c.succeeds ? "Compile done" : "Compile failed");
    EXPECT_EQ(Bytes(settings), original);
    EXPECT_TRUE(NoAsideCopies());
    EXPECT_FALSE(fs::exists(prog_ / "compile-journal.txt"));
    if (c.succeeds) {
      EXPECT_EQ(Bytes(pref_ / "MyPack.u").rfind("fake package MyPack", 0), 0u);
      EXPECT_FALSE(fs::exists(system_ / "MyPack.u"));
      EXPECT_EQ(Bytes(system_ / "MyPack.int"), kVoiceInt);
      EXPECT_EQ(Bytes(root_ / classes / "MyPack.uc"), "class MyPack extends VoiceMaleOne;\r\n");
      EXPECT_EQ(Bytes(root_ / "game/MyPack/Sounds/hello.wav"), "new hello");
      EXPECT_EQ(Bytes(root_ / "game/MyPack/Sounds/fresh.wav"), "new fresh");
    } else if (c.earlierBuild) {
      EXPECT_EQ(Bytes(pref_ / "MyPack.u"), "earlier in the preference folder");
      EXPECT_EQ(Bytes(system_ / "MyPack.u"), "earlier in System");
      EXPECT_EQ(Bytes(system_ / "MyPack.int"), kVoiceInt + "; earlier");
      EXPECT_EQ(Bytes(root_ / classes / "MyPack.uc"), "earlier script");
      EXPECT_EQ(Bytes(root_ / "game/MyPack/Sounds/hello.wav"), "earlier hello");
      EXPECT_TRUE(fs::exists(root_ / "game/MyPack/Sounds/gone.wav"));
      EXPECT_FALSE(fs::exists(root_ / "game/MyPack/Sounds/fresh.wav"));
      EXPECT_EQ(fs::exists(prog_ / "MyPack.int"), c.removed.size() < 2);
    } else {
      // Nothing installed is left, the folders it made included.
      EXPECT_FALSE(fs::exists(pref_ / "MyPack.u") || fs::exists(system_ / "MyPack.u"));
      EXPECT_FALSE(fs::exists(system_ / "MyPack.int"));
      EXPECT_FALSE(fs::exists(root_ / "game/MyPack"));
    }
  }
}

// A pack whose name holds the compiler's problem words compiles like any.
TEST_F(CompileSequenceTest, APackNamedErrorManCompiles) {
  state_.VoicePackName = "ErrorMan";
  fs::rename(prog_ / "MyPack.uc", prog_ / "ErrorMan.uc");
  Put(prog_ / "ErrorMan.int",
      "[Public]\r\nObject=(Name=ErrorMan.ErrorMan,Class=Class,MetaClass=BotPack.VoiceBoss)\r\n");
  const CompileResult result = Compile();
  EXPECT_TRUE(result.succeeded) << result.message;
  EXPECT_TRUE(fs::exists(pref_ / "ErrorMan.u"));
}

// A compile cut short (the program killed while the compiler ran) left its
// edit in the game's file and the original in ut_backup.ini: the next compile
// puts the original back instead of making the edit permanent.
TEST_F(CompileSequenceTest, AnEditLeftByAnInterruptedCompileIsNotKept) {
  const std::string original = Bytes(settings_);
  Put(prog_ / "ut_backup.ini", original);
  Put(settings_, InsertEditPackage(original, "OldPack"));
  ASSERT_TRUE(Compile().succeeded);
  EXPECT_EQ(Bytes(settings_), original);
}

// The program (and its compiler) killed mid-run, with an earlier build in
// the game: at the next start every change is taken back, newest first, so
// the game is as it was before that compile, the settings file byte for
// byte, and the journal goes. A repair killed after any of its moves does the
// same when it runs again; so does the next compile instead of the start.
TEST_F(CompileSequenceTest, ACompileKilledMidRunIsTakenBackByTheNextStartOrCompile) {
  PutEarlierBuild();
  const std::string original = Bytes(settings_);
  const auto before = GameFiles();
  setenv("FAKE_UCC_SLEEP", "30", 1);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::setpgid(0, 0);  // the compiler joins the group and dies with it
    PosixProcessRunner runner;
    RunCompileSequence(state_, setup_, runner, {});
    ::_exit(1);
  }
  ::setpgid(child, child);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!fs::exists(Rec("ARGS")) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(-child, SIGKILL);
  unsetenv("FAKE_UCC_SLEEP");
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(fs::exists(Rec("ARGS"))) << "the compiler never started";
  ASSERT_EQ(Bytes(settings_), InsertEditPackage(original, "MyPack"));
  ASSERT_FALSE(fs::exists(system_ / "MyPack.u"));
  ASSERT_EQ(Bytes(root_ / "game/MyPack/Sounds/hello.wav"), "new hello");

  // The state the kill left, to start each repair from.
  const fs::path killed = root_ / "killed";
  fs::create_directories(killed);
  for (const char* top : {"game", "home", "prog"}) {
    fs::copy(root_ / top, killed / top, fs::copy_options::recursive);
  }
  const auto backToKilled = [&] {
    for (const char* top : {"game", "home", "prog"}) {
      fs::remove_all(root_ / top);
      fs::copy(killed / top, root_ / top, fs::copy_options::recursive);
    }
  };
  // Each earlier file is one move back: kill the repair before move 1, 2, ...
  for (int cut = 1;; ++cut) {
    SCOPED_TRACE("repair killed before move " + std::to_string(cut));
    backToKilled();
    const pid_t repairer = ::fork();
    ASSERT_GE(repairer, 0);
    if (repairer == 0) {
      int moves = 0;
      const auto rename = [&](const fs::path& from, const fs::path& to, std::error_code& ec) {
        if (++moves == cut) ::_exit(3);
        fs::rename(from, to, ec);
      };
      ::_exit(RepairInterruptedCompile(Places::InOneFolder(prog_), rename).empty() ? 0 : 1);
    }
    ASSERT_EQ(::waitpid(repairer, &status, 0), repairer);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(RepairInterruptedCompile(Places::InOneFolder(prog_)), "");
    EXPECT_EQ(GameFiles(), before);
    EXPECT_FALSE(fs::exists(prog_ / "compile-journal.txt"));
    if (WEXITSTATUS(status) != 3) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      EXPECT_GE(cut, 6);  // the package in two places, int, script, a sound: moved back
      break;
    }
  }

  // A game that can't be reached (its drive not mounted) is not taken for
  // one that is back: the journal stays until it can.
  backToKilled();
  fs::rename(root_ / "game", root_ / "unmounted");
  EXPECT_NE(RepairInterruptedCompile(Places::InOneFolder(prog_))
                .find("The folder " + PathText(system_) + " can't be reached."),
            std::string::npos);
  EXPECT_TRUE(fs::exists(prog_ / "compile-journal.txt"));
  fs::rename(root_ / "unmounted", root_ / "game");
  EXPECT_EQ(RepairInterruptedCompile(Places::InOneFolder(prog_)), "");
  EXPECT_EQ(GameFiles(), before);

  backToKilled();
  EXPECT_FALSE(Compile("fail").succeeded);
  EXPECT_EQ(GameFiles(), before);
  EXPECT_FALSE(fs::exists(prog_ / "compile-journal.txt"));

  // A settings file the user changed since is left alone; the journal still goes.
  Put(prog_ / "compile-journal.txt", "Settings=" + PathText(settings_) +
                                         "\r\nOriginal=" + PathText(prog_ / "ut_backup.ini") +
                                         "\r\nPackage=MyPack\r\n");
  Put(settings_, original + "; mine\r\n");
  EXPECT_EQ(RepairInterruptedCompile(Places::InOneFolder(prog_)), "");
  EXPECT_EQ(Bytes(settings_), original + "; mine\r\n");
  EXPECT_FALSE(fs::exists(prog_ / "compile-journal.txt"));
}

// A run killed once its build was kept leaves only the earlier copies to
// drop; one killed before leaves its changes to take back. Paths come back
// byte for byte, whatever they hold, and a record cut short (no line end:
// its change was never made) is passed over.
TEST_F(CompileSequenceTest, AJournalKeepsTheNewBuildOnlyOnceItWasKept) {
  const fs::path dir = root_ / "game/odd %41 folder\tname";
  const fs::path target = dir / "MyPack.u", aside = dir / "MyPack.u.before-compile";
  std::string escaped = dir.native();
  escaped.replace(escaped.find("%41"), 3, "%2541");
  escaped.replace(escaped.find('\t'), 1, "%09");
  for (const bool kept : {true, false}) {
    SCOPED_TRACE(kept ? "kept" : "not kept");
    Put(target, "new build");
    Put(aside, "earlier build");
    fs::create_directories(dir / "half-writ");
    Put(prog_ / "compile-journal.txt",
        "Voxmire compile journal 2\nAside=" + escaped + "/MyPack.u\t" + escaped +
            "/MyPack.u.before-compile\nInstall=" + escaped + "/MyPack.u\n" +
            (kept ? "Kept=\n" : "") + "Folder=" + escaped + "/half-writ");
    EXPECT_EQ(RepairInterruptedCompile(Places::InOneFolder(prog_)), "");
    EXPECT_EQ(Bytes(target), kept ? "new build" : "earlier build");
    EXPECT_FALSE(fs::exists(aside));
    EXPECT_TRUE(fs::exists(dir / "half-writ"));
    EXPECT_FALSE(fs::exists(prog_ / "compile-journal.txt"));
  }
}

// Two compiles on one game: the second is refused before it touches
// anything, whichever program folder it runs from.
TEST_F(CompileSequenceTest, ASecondCompileOnTheSameGameOrProgramFolderIsRefused) {
  const std::string original = Bytes(settings_);
  CompileSequence first(state_, setup_);
  const auto request = first.Prepare();
  ASSERT_TRUE(request.has_value()) << first.Failure().message;
  const std::string edited = Bytes(settings_);

  const fs::path otherProg = root_ / "prog2";
  Put(otherProg / "MyPack.uc", "class MyPack extends VoiceMaleOne;\r\n");
  Put(otherProg / "MyPack.int", kVoiceInt);
  for (const fs::path& prog : {otherProg, prog_}) {
    SCOPED_TRACE(prog);
    CompileSequence second(state_, {Places::InOneFolder(prog), root_ / "home", true, {}});
    EXPECT_FALSE(second.Prepare().has_value());
    EXPECT_NE(second.Failure().message.find("Another compile is running"), std::string::npos)
        << second.Failure().message;
    EXPECT_EQ(Bytes(settings_), edited);
  }
  PosixProcessRunner runner;
  EXPECT_TRUE(first.Finish(runner.Run(*request)).succeeded);
  EXPECT_EQ(Bytes(settings_), original);
}

// The program folder's lock alone keeps a second compile from the same
// folder out, even for another game (they would share the journal and the
// settings backup); folders of their own compile for games of their own at
// once.
TEST_F(CompileSequenceTest, OneCompileAtATimePerProgramFolderWhateverTheGame) {
  const fs::path game2 = root_ / "game2", prog2 = root_ / "prog2";
  Put(game2 / "System/UnrealTournament.ini", Bytes(settings_));
  Put(game2 / "System64/ucc-bin-amd64", Bytes(root_ / "game/System64/ucc-bin-amd64"), true);
  Put(prog2 / "MyPack.uc", "class MyPack extends VoiceMaleOne;\r\n");
  Put(prog2 / "MyPack.int", kVoiceInt);
  ProjectState other = state_;
  other.UTDir = PathText(game2);
  other.UTSystemDir = PathText(game2 / "System");

  CompileSequence first(state_, setup_);
  const auto request = first.Prepare();
  ASSERT_TRUE(request.has_value()) << first.Failure().message;
  CompileSequence sameFolder(other, setup_);
  EXPECT_FALSE(sameFolder.Prepare().has_value());
  EXPECT_NE(sameFolder.Failure().message.find("Another compile is running with " + PathText(prog_)),
            std::string::npos)
      << sameFolder.Failure().message;
  EXPECT_FALSE(fs::exists(game2 / "MyPack"));

  CompileSequence elsewhere(other, {Places::InOneFolder(prog2), root_ / "home2", true, {}});
  const auto request2 = elsewhere.Prepare();
  ASSERT_TRUE(request2.has_value()) << elsewhere.Failure().message;
  PosixProcessRunner runner;
  EXPECT_TRUE(first.Finish(runner.Run(*request)).succeeded);
  EXPECT_TRUE(elsewhere.Finish(runner.Run(*request2)).succeeded);
  EXPECT_TRUE(fs::exists(root_ / "home/.utpg/System/MyPack.u"));
  EXPECT_TRUE(fs::exists(root_ / "home2/.utpg/System/MyPack.u"));
}

// Where the package line lands when the file has no UTBrowser line: the
// compiler must read it from [Editor.EditorEngine] and build the pack.
TEST_F(CompileSequenceTest, ThePackageLineLandsWhereTheCompilerReadsIt) {
  const struct {
    const char* name;
    std::string ini;
  } cases[] = {
      {"after the section's last package",
       "[URL]\r\nA=1\r\n[Editor.EditorEngine]\r\n"
       "EditPackages=Core\r\nEditPackages=Engine\r\n\r\n"
       "[Other]\r\nB=2\r\n"},
      {"section lists none", "[editor.editorengine]\r\nCacheSizeMegs=6\r\n\r\n[Other]\r\n"},
      {"section missing", "[URL]\r\nA=1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    Put(settings_, c.ini);
    const CompileResult result = Compile();
    EXPECT_TRUE(result.succeeded) << result.message;
    EXPECT_EQ(Bytes(Rec("INI")), InsertEditPackage(c.ini, "MyPack"));
    EXPECT_EQ(Bytes(settings_), c.ini);
  }
}

// When the compiler built nothing for the pack, the message says why as far
// as its output tells.
TEST_F(CompileSequenceTest, NothingBuiltSaysWhy) {
  const struct {
    const char* name;
    std::string ini;
    const char* strayPackage;  // a .u the compiler finds beside itself
    const char* says;
  } cases[] = {
      {"line in another section",
       "[Other]\r\nEditPackages=UTBrowser\r\n[Editor.EditorEngine]\r\nEditPackages=Core\r\n",
       nullptr, "did not find MyPack among the EditPackages"},
      {"an earlier build where it looks", "", "game/System64/MyPack.u",
       "skipped MyPack, as it does when a MyPack.u exists"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (!c.ini.empty()) Put(settings_, c.ini);
    if (c.strayPackage != nullptr) Put(root_ / c.strayPackage, "stray");
    const CompileResult result = Compile();
    EXPECT_FALSE(result.succeeded);
    EXPECT_NE(result.message.find(c.says), std::string::npos) << result.message;
  }
}

// A move aside that fails part-way (an earlier package, an earlier sound)
// puts back only what was moved and touches nothing else: the earlier build
// stays where it is.
TEST_F(CompileSequenceTest, AFailedMoveAsidePutsBackOnlyWhatWasMoved) {
  for (const fs::path& failing :
       {fs::path("game/System/MyPack.u"), fs::path("game/MyPack/Sounds/hello.wav")}) {
    SCOPED_TRACE(failing);
    SetUp();
    PutEarlierBuild();
    const auto before = GameFiles();
    setup_.rename = [&](const fs::path& from, const fs::path& to, std::error_code& ec) {
      if (from == root_ / failing) {
        ec = std::make_error_code(std::errc::read_only_file_system);
      } else {
        fs::rename(from, to, ec);
      }
    };
    const CompileResult result = Compile();
    EXPECT_FALSE(result.succeeded);
    EXPECT_NE(result.message.find("Could not move the earlier " + PathText(root_ / failing)),
              std::string::npos)
        << result.message;
    EXPECT_EQ(GameFiles(), before);
    EXPECT_TRUE(NoAsideCopies());
    EXPECT_FALSE(fs::exists(prog_ / "compile-journal.txt"));
  }
}

// An aside copy a crashed run left behind is never overwritten nor taken
// for the earlier build.
TEST_F(CompileSequenceTest, AnAsideNameTakenByACrashedRunIsLeftAlone) {
  Put(system_ / "MyPack.u", "earlier in System");
  Put(system_ / "MyPack.int", kVoiceInt);
  Put(system_ / "MyPack.u.before-compile", "left by a crash");
  EXPECT_FALSE(Compile("fail").succeeded);
  EXPECT_EQ(Bytes(system_ / "MyPack.u"), "earlier in System");
  EXPECT_EQ(Bytes(system_ / "MyPack.u.before-compile"), "left by a crash");
  ASSERT_TRUE(Compile().succeeded);
  EXPECT_FALSE(fs::exists(system_ / "MyPack.u"));
  EXPECT_EQ(Bytes(system_ / "MyPack.u.before-compile"), "left by a crash");
}

// A settings file reached through a link is restored through it: the link
// stays a link and the file it names gets its bytes back.
TEST_F(CompileSequenceTest, ALinkedSettingsFileIsRestoredThroughTheLink) {
  const fs::path real = root_ / "elsewhere/UnrealTournament.ini";
  Put(real, Bytes(settings_));
  const std::string original = Bytes(real);
  fs::remove(settings_);
  fs::create_symlink(real, settings_);
  for (const char* mode : {"fail", "ok"}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(Compile(mode).succeeded, std::string(mode) == "ok");
    EXPECT_TRUE(fs::is_symlink(settings_));
    EXPECT_EQ(Bytes(real), original);
    EXPECT_EQ(Bytes(Rec("INI")), InsertEditPackage(original, "MyPack"));
  }
}

// A settings file that can't be put back is reported as such, its journal
// kept for the next start, and the install still taken back.
TEST_F(CompileSequenceTest, ARestoreThatFailsIsReported) {
  const CompileResult result = Compile("blockini");
  EXPECT_FALSE(result.succeeded);
  EXPECT_NE(result.message.find("could not be put back! Its original is in " +
                                PathText(prog_ / "ut_backup.ini")),
            std::string::npos)
      << result.message;
  EXPECT_TRUE(fs::exists(prog_ / "compile-journal.txt"));
  EXPECT_FALSE(fs::exists(system_ / "MyPack.int"));
  EXPECT_FALSE(fs::exists(pref_ / "MyPack.u"));
}

// Folders the sequence can't make: the system's reason is quoted and the
// game left as it was.
TEST_F(CompileSequenceTest, AFolderThatCantBeMadeIsReportedWithItsReason) {
  Put(root_ / "game/MyPack", "a file where the pack's folder goes");
  const std::string original = Bytes(settings_);
  const CompileResult result = Compile();
  EXPECT_FALSE(result.succeeded);
  EXPECT_NE(result.message.find("Could not create the folder " + PathText(root_ / "game/MyPack") +
                                ": File exists."),
            std::string::npos)
      << result.message;
  EXPECT_EQ(Bytes(settings_), original);
  EXPECT_FALSE(fs::exists(system_ / "MyPack.int"));
}

// Another mod's folder of the pack's name would be compiled into the pack:
// it is refused, named, and left as it was.
TEST_F(CompileSequenceTest, AnotherModsFolderOfThePacksNameIsRefused) {
  Put(root_ / "game/MyPack/Classes/OtherMod.uc", "class OtherMod extends Mutator;\r\n");
  const auto before = GameFiles();
  const CompileResult result = Compile();
  EXPECT_FALSE(result.succeeded);
  EXPECT_NE(result.message.find("already used in the game: " +
                                PathText(root_ / "game/MyPack/Classes/OtherMod.uc")),
            std::string::npos)
      << result.message;
  EXPECT_EQ(GameFiles(), before);
}

// A name the game already uses is refused before anything is written.
TEST_F(CompileSequenceTest, ANameTheGameUsesIsRefusedAndNothingIsTouched) {
  state_.VoicePackName = "Botpack";
  Put(prog_ / "Botpack.uc", "class Botpack extends VoiceMaleOne;\r\n");
  Put(prog_ / "Botpack.int", "[Public]\r\n");
  Put(system_ / "Botpack.int", "the game's own, 118 KB");
  const std::string original = Bytes(settings_);
  const CompileResult result = Compile();
  EXPECT_FALSE(result.succeeded);
  EXPECT_NE(result.message.find("already used in the game"), std::string::npos) << result.message;
  EXPECT_EQ(Bytes(system_ / "Botpack.int"), "the game's own, 118 KB");
  EXPECT_EQ(Bytes(settings_), original);
  EXPECT_FALSE(fs::exists(root_ / "game/Botpack"));
}

}  // namespace
}  // namespace voxmire
