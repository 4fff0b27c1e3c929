#include "support/PulseServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace voxmire::test {
namespace fs = std::filesystem;

namespace {

std::string Shell(const std::string& command, bool& ok) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ok = false;
    return out;
  }
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  ok = ::pclose(pipe) == 0;
  return out;
}

std::string MicArguments() {
  return std::string("source_name=") + PulseServer::kMicrophone + " master=" + PulseServer::kRoom +
         ".monitor source_properties='device.description=\"" + PulseServer::kMicrophoneName + "\"'";
}

// One word for the shell, whatever it holds.
std::string ShellWord(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

PulseServer::PulseServer() {
  std::random_device rd;
  // A short path: a Unix socket's name holds 107 bytes at most.
  dir_ = fs::path("/tmp") / ("voxmire-pulse-" + std::to_string(rd()));
  std::error_code ec;
  fs::create_directories(dir_ / "runtime", ec);
  fs::create_directories(dir_ / "home", ec);
  const std::string socket = (dir_ / "native").string();

  // The room never rewinds: an idle null sink that does hands its monitor
  // only scraps of time, and the microphone would record in bursts.
  std::vector<std::string> args = {
      "pulseaudio",
      "-n",  // no default script: only the modules below, none for the machine's devices
      "--daemonize=no",
      "--use-pid-file=no",
      "--system=no",
      "--exit-idle-time=-1",
      "--disable-shm=yes",
      "--log-target=stderr",
      "--log-level=error",
      "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket,
      std::string("--load=module-null-sink rate=48000 norewinds=1 sink_name=") + kRoom,
      "--load=module-remap-source " + MicArguments(),
  };
  const std::string runtime = "XDG_RUNTIME_DIR=" + (dir_ / "runtime").string();
  const std::string home = "HOME=" + (dir_ / "home").string();
  const pid_t parent = ::getpid();
  pid_ = ::fork();
  if (pid_ == 0) {
    // Dies with the test, whatever way the test ends.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(1);
    const int log = ::open((dir_ / "server.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (log >= 0) {
      ::dup2(log, 2);
      ::dup2(log, 1);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {runtime, home, "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    ::execve("/usr/bin/pulseaudio", argv.data(), envp.data());
    ::_exit(127);
  }
  if (pid_ < 0) {
    problem_ = "fork failed";
    return;
  }
  ::setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  // Clients never start a server of their own.
  ::setenv("PULSE_CLIENTCONFIG", "/dev/null", 1);
  QElapsedTimer waited;
  waited.start();
  while (!Pactl("info")) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      bool ok = false;
      problem_ = "pulseaudio ended at start: " + Shell("cat " + (dir_ / "server.log").string(), ok);
      return;
    }
    if (waited.elapsed() > 10000) {
      problem_ = "pulseaudio did not answer within 10 s";
      return;
    }
    ::usleep(20000);
  }
  std::string modules;
  Pactl("list short modules", &modules);
  const auto at = modules.find("module-remap-source");
  if (at != std::string::npos) {
    micModule_ = std::atoi(modules.substr(modules.rfind('\n', at) + 1).c_str());
  }
  if (!Pactl(std::string("set-default-source ") + kMicrophone)) {
    problem_ = "the microphone could not be made the default input";
  }
}

PulseServer::~PulseServer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) ::usleep(10000);
    if (::waitpid(pid_, &status, WNOHANG) == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
  }
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

bool PulseServer::Pactl(const std::string& args, std::string* output) const {
  bool ok = false;
  const std::string out = Shell("pactl " + args + " 2>/dev/null", ok);
  if (output != nullptr) *output = out;
  return ok;
}

bool PulseServer::UnplugMicrophone() {
  if (micModule_ < 0 || !Pactl("unload-module " + std::to_string(micModule_))) return false;
  micModule_ = -1;
  return true;
}

bool PulseServer::PlugMicrophone() {
  std::string index;
  if (!Pactl("load-module module-remap-source " + ShellWord(MicArguments()), &index)) return false;
  micModule_ = std::atoi(index.c_str());
  return Pactl(std::string("set-default-source ") + kMicrophone);
}

bool PulseServer::Play(const fs::path& wav) const {
  QProcess player;
  player.start(QStringLiteral("paplay"), {QStringLiteral("--device=") + QString::fromLatin1(kRoom),
                                          QString::fromStdString(wav.string())});
  if (!player.waitForStarted(5000)) return false;
  const bool ended = QTest::qWaitFor([&] { return player.state() == QProcess::NotRunning; }, 20000);
  return ended && player.exitStatus() == QProcess::NormalExit && player.exitCode() == 0;
}

}  // namespace voxmire::test
