#include "output/RunAndWait.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "core/Files.h"

extern char** environ;

namespace voxmire {
namespace {

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

class FileActions {
 public:
  FileActions() { ::posix_spawn_file_actions_init(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

std::string ErrorText(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

// The caller's environment with `overrides` set on top, as "KEY=value" strings.
std::vector<std::string> MergedEnvironment(
    const std::vector<std::pair<std::string, std::string>>& overrides) {
  std::map<std::string, std::string> merged;
  std::vector<std::string> order;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const std::string entry(*e);
    const auto eq = entry.find('=');
    const std::string key = entry.substr(0, eq);
    if (merged.emplace(key, entry).second) order.push_back(key);
  }
  for (const auto& [key, value] : overrides) {
    if (merged.find(key) == merged.end()) order.push_back(key);
    merged[key] = key + "=" + value;
  }
  std::vector<std::string> result;
  result.reserve(order.size());
  for (const auto& key : order) result.push_back(merged[key]);
  return result;
}

std::vector<char*> PointersTo(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  pointers.reserve(strings.size() + 1);
  for (auto& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

RunResult PosixProcessRunner::Run(const RunRequest& request) {
  RunResult result;
  std::error_code ec;
  // The child changes directory before exec, so a relative program path
  // would be looked up in the wrong place.
  const std::filesystem::path program = std::filesystem::absolute(request.program, ec);
  if (ec) {
    result.startError = ErrorText(request.program.string(), ec.value());
    return result;
  }

  Fd log(::open(request.logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (log.get() < 0) {
    result.startError = ErrorText(request.logFile.string(), errno);
    return result;
  }
  Fd devNull(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (devNull.get() < 0) {
    result.startError = ErrorText("/dev/null", errno);
    return result;
  }

  FileActions actions;
  ::posix_spawn_file_actions_adddup2(actions.get(), devNull.get(), STDIN_FILENO);
  ::posix_spawn_file_actions_adddup2(actions.get(), log.get(), STDOUT_FILENO);
  ::posix_spawn_file_actions_adddup2(actions.get(), log.get(), STDERR_FILENO);
  if (!request.workingDirectory.empty()) {
    ::posix_spawn_file_actions_addchdir_np(actions.get(), request.workingDirectory.c_str());
  }

  std::vector<std::string> argStrings;
  argStrings.push_back(program.string());
  argStrings.insert(argStrings.end(), request.args.begin(), request.args.end());
  std::vector<char*> argv = PointersTo(argStrings);
  std::vector<std::string> envStrings = MergedEnvironment(request.environment);
  std::vector<char*> envp = PointersTo(envStrings);

  pid_t pid = 0;
  const int spawnError =
      ::posix_spawn(&pid, program.c_str(), actions.get(), nullptr, argv.data(), envp.data());
  if (spawnError != 0) {
    std::string what = program.string();
    if (!request.workingDirectory.empty()) {
      what += " (in " + request.workingDirectory.string() + ")";
    }
    result.startError = ErrorText(what, spawnError);
    return result;
  }

  int status = 0;
  pid_t waited = 0;
  do {
    waited = ::waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);

  if (waited < 0) {
    // The compiler did start: saying it couldn't would send the user
    // looking for the wrong fault.
    result.outcome = RunResult::Outcome::Lost;
    result.startError = ErrorText("waitpid", errno);
  } else if (WIFEXITED(status)) {
    result.outcome = RunResult::Outcome::Exited;
    result.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.outcome = RunResult::Outcome::Signaled;
    result.signal = WTERMSIG(status);
  }
  result.output = ReadFileBytes(request.logFile).value_or(std::string());
  return result;
}

}  // namespace voxmire
