#pragma once
// Starts a program and blocks until it ends: the compile step's only way to
// run the game's compiler. Behind an interface so tests and the GUI can
// substitute their own.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace voxmire {

struct RunRequest {
  std::filesystem::path program;  // run as argv[0]
  std::vector<std::string> args;  // argv[1..], passed as they are (no shell)
  std::filesystem::path workingDirectory;
  // Standard output and error both go here (truncated first); the run's
  // result carries the same text.
  std::filesystem::path logFile;
  // Set on top of the inherited environment.
  std::vector<std::pair<std::string, std::string>> environment;
};

struct RunResult {
  // Lost: it was started, but waiting for its end failed.
  enum class Outcome { NotStarted, Exited, Signaled, Lost };
  Outcome outcome = Outcome::NotStarted;
  int exitStatus = 0;      // when Exited
  int signal = 0;          // when Signaled
  std::string startError;  // when NotStarted or Lost: why
  std::string output;      // the log file's text after the run
};

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Standard input is empty (/dev/null): a compiler that asks a yes/no
  // question must not wait for an answer nobody can give.
  virtual RunResult Run(const RunRequest& request) = 0;
};

// The real thing: posix_spawn and waitpid, no time limit.
class PosixProcessRunner final : public ProcessRunner {
 public:
  RunResult Run(const RunRequest& request) override;
};

}  // namespace voxmire
