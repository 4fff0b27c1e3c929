#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

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
    std::string found, problemNames;
  } cases[] = {
      {{amd64, bin64, bin}, {}, true, amd64, ""},
      {{bin64, bin}, {}, true, bin64, ""},
      {{bin}, {amd64}, true, bin, ""},
      {{amd64, bin}, {}, false, bin, ""},
      {{amd64}, {}, false, "", bin},
      {{}, {"System/UCC.exe"}, true, "", "UCC.exe is the Windows compiler"},
  };
  for (const auto& c : cases) {
    const fs::path game = fs::path(::testing::TempDir()) / "locate-compiler";
    fs::remove_all(game);
    for (const auto& f : c.executables) Put(game / f, "#!/bin/sh\n", true);
    for (const auto& f : c.plainFiles) Put(game / f, "MZ");
    const CompilerLocation found = LocateCompiler(game, game / "System", c.is64);
    EXPECT_EQ(found.program, c.found.empty() ? fs::path() : game / c.found) << c.found;
    EXPECT_NE(found.problem.find(c.problemNames), std::string::npos) << found.problem;
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
  };
  for (const auto& c : cases) {
    const CompilerOutputReading reading = ReadCompilerOutput(c.output);
    EXPECT_EQ(reading.clean, c.clean) << c.output;
    EXPECT_EQ(reading.problemLines.size(), c.problems) << c.output;
  }
}

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
    Put(prog_ / "MyPack.int", "[Public]\r\nObject=(Name=MyPack.MyPack)\r\n");
    fs::create_directories(root_ / "rec");
    // Whatever happens, the compiler must not write into the real home.
    setenv("HOME", (root_ / "home").c_str(), 1);
    for (const char* what : {"ARGS", "CWD", "STDIN"}) {
      setenv((std::string("FAKE_UCC_") + what).c_str(), Rec(what).c_str(), 1);
    }
    state_.VoicePackName = "MyPack";
    state_.UTDir = PathText(root_ / "game");
    state_.UTSystemDir = PathText(system_);
  }
  void TearDown() override { unsetenv("FAKE_UCC_MODE"); }

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
    return RunCompileSequence(state_, {prog_, root_ / "home", true},
                              mode == nullptr ? static_cast<ProcessRunner&>(throwing) : posix,
                              [this](const std::string& s) { statuses_.push_back(s); });
  }
  // Neither package left anywhere under a temporary name.
  bool NoAsideCopies() const {
    for (const auto& dir : {system_, pref_}) {
      for (const auto& e : fs::directory_iterator(dir, fs::directory_options::none)) {
        if (e.path().string().find("before-compile") != std::string::npos) return false;
      }
    }
    return true;
  }

  fs::path root_, prog_, system_, pref_, settings_;
  ProjectState state_;
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
  EXPECT_NE(Bytes(prog_ / "ucc-make.log").find("Success - 0 error(s), 0 warnings\r\n"),
            std::string::npos);
}

// Every way the compile can end, an exception included, leaves the settings
// file byte for byte as it began and never loses the package an earlier
// compile made.
TEST_F(CompileSequenceTest, EveryOutcomeRestoresSettingsAndKeepsEarlierPackages) {
  const std::string playerIni = ".utpg/System/UnrealTournament.ini";
  const fs::path gameIni = "game/System/UnrealTournament.ini";
  const struct Case {
    const char* name;
    const char* mode;
    std::vector<fs::path> removed;  // before the compile
    bool playerIniToo, getsPastChecks, succeeds;
    std::vector<std::string> says;
  } cases[] = {
      // clang-format off
      {"rebuild", "ok", {}, false, true, true, {}},
      {"player's settings only", "ok", {gameIni}, true, true, true, {}},
      {"no compiler", "ok", {"game/System64"}, false, false, false, {"ucc-bin-amd64", "Nothing"}},
      {"no settings", "ok", {gameIni}, false, false, false, {"missing", playerIni}},
      {"second press", "ok", {"prog/MyPack.uc", "prog/MyPack.int"}, false, false, false,
       {"prog/MyPack.uc is missing", "prog/MyPack.int is missing"}},
      {"fails", "fail", {}, false, true, false,
       {"exit status 1", "    Critical error while compiling", "Error, Bad class", ".log"}},
      {"crashes", "crash", {}, false, true, false, {"signal 11", "ucc-make.log"}},
      {"warns, status 0", "warn", {}, false, true, false, {"Warning, Unknown property"}},
      {"leaves no package", "nou", {}, false, true, false, {"left no MyPack.u"}},
      {"runner throws", nullptr, {}, false, true, false, {"runner broke"}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    Put(pref_ / "MyPack.u", "earlier in the preference folder");
    Put(system_ / "MyPack.u", "earlier in System");
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
    EXPECT_EQ(fs::exists(system_ / "MyPack.int"), c.getsPastChecks);
    EXPECT_EQ(fs::exists(prog_ / "ut_backup.ini"), c.getsPastChecks);
    if (c.succeeds) {
      EXPECT_EQ(Bytes(pref_ / "MyPack.u").rfind("fake package MyPack", 0), 0u);
      EXPECT_FALSE(fs::exists(system_ / "MyPack.u"));
    } else {
      EXPECT_EQ(Bytes(pref_ / "MyPack.u"), "earlier in the preference folder");
      EXPECT_EQ(Bytes(system_ / "MyPack.u"), "earlier in System");
      EXPECT_EQ(fs::exists(prog_ / "MyPack.int"), c.removed.size() < 2);
    }
  }
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

}  // namespace
}  // namespace voxmire
