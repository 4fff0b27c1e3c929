#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "core/Files.h"
#include "output/RunAndWait.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;
using Outcome = RunResult::Outcome;

struct RunCase {
  const char* name;
  std::string script;  // run by /bin/sh -c
  Outcome outcome;
  int code;  // exit status or signal
  std::string output;
};

class RunAndWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "work");
    // Give this process a standard input with an answer waiting in it: the
    // child must not get to read it.
    ASSERT_TRUE(WriteFileAtomic(dir_ / "answer", "y\n"));
    savedStdin_ = ::dup(STDIN_FILENO);
    const int answer = ::open((dir_ / "answer").c_str(), O_RDONLY);
    ::dup2(answer, STDIN_FILENO);
    ::close(answer);
  }
  void TearDown() override {
    ::dup2(savedStdin_, STDIN_FILENO);
    ::close(savedStdin_);
  }
  RunRequest ShellRequest(const std::string& script) const {
    RunRequest request;
    request.program = "/bin/sh";
    request.args = {"-c", script, "arg0", "two words", "*"};
    request.workingDirectory = dir_ / "work";
    request.logFile = dir_ / "out.log";
    request.environment = {{"VOXMIRE_RUN_TEST", "set by the caller"}};
    return request;
  }
  fs::path dir_;
  int savedStdin_ = -1;
};

TEST_F(RunAndWaitTest, ReportsHowTheProcessEndedAndWhatItPrinted) {
  const fs::path work = fs::canonical(dir_ / "work");
  const RunCase cases[] = {
      {"both streams into one log", "echo out; echo err >&2", Outcome::Exited, 0, "out\nerr\n"},
      {"exit status", "exit 3", Outcome::Exited, 3, ""},
      {"killed", "echo dying; kill -SEGV $$", Outcome::Signaled, SIGSEGV, "dying\n"},
      {"empty standard input", "wc -c; test -t 0 || echo not-a-terminal", Outcome::Exited, 0,
       "0\nnot-a-terminal\n"},
      {"working directory", "pwd -P", Outcome::Exited, 0, work.string() + "\n"},
      {"environment: set and inherited",
       "echo \"$VOXMIRE_RUN_TEST\"; test -n \"$PATH\" && echo path", Outcome::Exited, 0,
       "set by the caller\npath\n"},
      {"arguments untouched by any shell", "printf '%s|' \"$0\" \"$1\" \"$2\"", Outcome::Exited, 0,
       "arg0|two words|*|"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult result = PosixProcessRunner().Run(ShellRequest(c.script));
    EXPECT_EQ(result.outcome, c.outcome) << result.startError;
    EXPECT_EQ(c.outcome == Outcome::Exited ? result.exitStatus : result.signal, c.code);
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(ReadFileBytes(dir_ / "out.log"), c.output);
  }
}

TEST_F(RunAndWaitTest, ReportsWhyItCouldNotStart) {
  RunRequest noProgram = ShellRequest("true");
  noProgram.program = dir_ / "no-such-program";
  RunRequest notExecutable = ShellRequest("true");
  notExecutable.program = dir_ / "script.sh";
  ASSERT_TRUE(WriteFileAtomic(notExecutable.program, "echo hi\n"));
  RunRequest noDirectory = ShellRequest("true");
  noDirectory.workingDirectory = dir_ / "missing";
  RunRequest noLog = ShellRequest("true");
  noLog.logFile = dir_ / "missing" / "out.log";

  for (const auto& request : {noProgram, notExecutable, noDirectory, noLog}) {
    const RunResult result = PosixProcessRunner().Run(request);
    EXPECT_EQ(result.outcome, Outcome::NotStarted);
    EXPECT_FALSE(result.startError.empty());
  }
}

// A child that ran but whose end can't be waited for (here reaped by the
// system because SIGCHLD is ignored) is not "could not be started".
TEST_F(RunAndWaitTest, ALostWaitIsNoFailureToStart) {
  const auto previous = std::signal(SIGCHLD, SIG_IGN);
  const RunResult result = PosixProcessRunner().Run(ShellRequest("echo ran"));
  std::signal(SIGCHLD, previous);
  EXPECT_EQ(result.outcome, Outcome::Lost);
  EXPECT_NE(result.startError.find("waitpid"), std::string::npos) << result.startError;
  EXPECT_EQ(result.output, "ran\n");
}

}  // namespace
}  // namespace voxmire
