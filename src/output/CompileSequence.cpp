#include "output/CompileSequence.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "core/Files.h"
#include "core/Product.h"
#include "output/GameFolder.h"
#include "output/GameIni.h"
#include "output/IntFile.h"
#include "output/ScriptTemplate.h"
#include "sounds/PackSounds.h"

namespace voxmire {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kQuotedProblemLines = 8;

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool IsDirectory(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool IsExecutableFile(const fs::path& path) {
  return IsFile(path) && ::access(path.c_str(), X_OK) == 0;
}

std::string JoinPaths(const std::vector<fs::path>& paths, std::string_view separator) {
  std::string text;
  for (const auto& p : paths) {
    if (!text.empty()) text += separator;
    text += PathText(p);
  }
  return text;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    if (!text.empty()) text += '\r';
    text += line;
  }
  return text;
}

std::string ToCrLf(std::string_view text) {
  std::string result;
  for (const auto& line : SplitLines(text)) {
    result += line;
    result += "\r\n";
  }
  return result;
}

// The digits right before `end` in `line`, or -1.
long NumberBefore(std::string_view line, std::size_t end) {
  std::size_t begin = end;
  while (begin > 0 && line[begin - 1] >= '0' && line[begin - 1] <= '9') --begin;
  if (begin == end) return -1;
  return std::strtol(std::string(line.substr(begin, end - begin)).c_str(), nullptr, 10);
}

// The digits at `begin` in `line`, or -1.
long NumberAt(std::string_view line, std::size_t begin) {
  std::size_t end = begin;
  while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
  if (begin == end) return -1;
  return std::strtol(std::string(line.substr(begin, end - begin)).c_str(), nullptr, 10);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

std::string_view TrimmedLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// "<file>(<line>) : Error, ..." and the same with Warning: the compiler's
// own report of a problem in a source file.
bool IsSourceProblem(std::string_view line) {
  for (std::string_view mark : {") : Error,", ") : Warning,"}) {
    for (auto at = line.find(mark); at != std::string_view::npos; at = line.find(mark, at + 1)) {
      std::size_t digits = at;
      while (digits > 0 && line[digits - 1] >= '0' && line[digits - 1] <= '9') --digits;
      if (digits < at && digits > 0 && line[digits - 1] == '(') return true;
    }
  }
  return false;
}

bool IsProblemLine(std::string_view line) {
  if (IsSourceProblem(line) || line.find("ExecWarning,") != std::string_view::npos) return true;
  const std::string_view text = TrimmedLeft(line);
  for (std::string_view start :
       {"Failed factoring", "Critical error", "Exiting due to error", "Error,", "Warning,"}) {
    if (StartsWith(text, start)) return true;
  }
  return false;
}

// The package a "-----Name - Release-----" heading names, or nothing: the
// compiler prints one for each package on the list it read.
std::optional<std::string_view> PackageHeading(std::string_view line) {
  if (!StartsWith(line, "---")) return std::nullopt;
  std::string_view inner = line;
  while (!inner.empty() && inner.front() == '-') inner.remove_prefix(1);
  while (!inner.empty() && inner.back() == '-') inner.remove_suffix(1);
  const auto dash = inner.rfind(" - ");
  if (dash == std::string_view::npos || dash == 0) return std::nullopt;
  return inner.substr(0, dash);
}

// Why the compiler built nothing for the pack, as far as its output tells.
std::string WhyNothingBuilt(std::string_view output, const std::string& name,
                            const fs::path& settings) {
  bool anyHeading = false, listed = false, parsed = false;
  for (const auto& line : SplitLines(output)) {
    if (const auto package = PackageHeading(line)) {
      anyHeading = true;
      listed = listed || SameNoCase(*package, name);
    }
    parsed = parsed || SameNoCase(TrimmedLeft(line), "Parsing " + name);
  }
  if (!anyHeading) return {};
  if (!listed) {
    return "The compiler did not find " + name + " among the EditPackages of " +
           "[Editor.EditorEngine] in the settings file it read (" + PathText(settings) + ").";
  }
  if (!parsed) {
    return "The compiler skipped " + name + ", as it does when a " + name +
           ".u exists already in a folder it looks in.";
  }
  return {};
}

// Reason and remedy for a folder or file the sequence can't write.
std::string WriteProblem(const std::string& what, const fs::path& path, const std::error_code& ec) {
  std::string text = "Could not " + what + " " + PathText(path);
  if (ec) text += ": " + ec.message();
  text += ".";
  if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
      ec == std::errc::read_only_file_system) {
    text +=
        " Make sure you may write there (the folder's owner and permissions, or a "
        "read-only drive), or choose a game folder of your own.";
  }
  return text;
}

// One compile at a time per folder: an advisory lock on the folder itself,
// which the kernel drops when the holder dies, so a killed run never leaves
// a stale lock behind and nothing is left in the game's folder.
class FolderLock {
 public:
  FolderLock() = default;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }

  enum class Outcome { Taken, Busy, Unsupported };
  Outcome Take(const fs::path& dir) {
    fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return Outcome::Unsupported;
    int rc = 0;
    do {
      rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return Outcome::Taken;
    // A file system without locks must not stop the compile.
    return errno == EWOULDBLOCK ? Outcome::Busy : Outcome::Unsupported;
  }

 private:
  int fd_ = -1;
};

// Every change the sequence makes to the game, so that a failure can take
// each one back and a success can drop the earlier builds it set aside.
class GameChanges {
 public:
  using Rename = std::function<void(const fs::path&, const fs::path&, std::error_code&)>;
  explicit GameChanges(Rename rename) : rename_(std::move(rename)) {
    if (!rename_) {
      rename_ = [](const fs::path& from, const fs::path& to, std::error_code& ec) {
        fs::rename(from, to, ec);
      };
    }
  }

  void FolderCreated(const fs::path& dir) { createdFolders_.push_back(dir); }

  // Moves what is at `target` aside, so the run can put a new file there.
  // Nothing to move is no failure.
  bool MoveAside(const fs::path& target, std::string& problem) {
    Slot slot{target, {}, false};
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) {
      const fs::path aside = FreeAsideName(target);
      rename_(target, aside, ec);
      if (ec) {
        problem =
            "Could not move the earlier " + PathText(target) + " aside: " + ec.message() + ".";
        return false;
      }
      slot.aside = aside;
    }
    slots_.push_back(std::move(slot));
    return true;
  }

  // From now on whatever is at `target` was put there by this run.
  void Replacing(const fs::path& target) {
    for (auto& slot : slots_) {
      if (slot.target == target) slot.replaced = true;
    }
  }

  bool HadEarlier(const fs::path& target) const {
    for (const auto& slot : slots_) {
      if (slot.target == target && !slot.aside.empty()) return true;
    }
    return false;
  }

  // Takes back every change, newest first; returns what could not be.
  // Only what this run moved or made is touched.
  std::vector<std::string> Undo() {
    std::vector<std::string> problems;
    for (auto it = slots_.rbegin(); it != slots_.rend(); ++it) {
      std::error_code ec;
      if (it->replaced) fs::remove(it->target, ec);
      if (it->aside.empty()) continue;
      rename_(it->aside, it->target, ec);
      if (ec) {
        problems.push_back("The earlier " + PathText(it->target) +
                           " could not be put back; it is kept as " + PathText(it->aside) + ".");
      }
    }
    slots_.clear();
    for (auto it = createdFolders_.rbegin(); it != createdFolders_.rend(); ++it) {
      std::error_code ec;
      fs::remove(*it, ec);  // only when empty: never anything the user put there
    }
    createdFolders_.clear();
    return problems;
  }

  // The run succeeded: the earlier copies go.
  void Keep() {
    for (const auto& slot : slots_) {
      std::error_code ec;
      if (!slot.aside.empty()) fs::remove(slot.aside, ec);
    }
    slots_.clear();
    createdFolders_.clear();
  }

  bool Pending() const { return !slots_.empty() || !createdFolders_.empty(); }

 private:
  struct Slot {
    fs::path target;
    fs::path aside;  // where the earlier file waits; empty when there was none
    bool replaced;
  };

  static fs::path FreeAsideName(const fs::path& target) {
    // Never overwrite an aside copy a crashed earlier run may have left.
    fs::path candidate = target;
    candidate += ".before-compile";
    std::error_code ec;
    for (int n = 2; fs::exists(fs::symlink_status(candidate, ec)); ++n) {
      candidate = target;
      candidate += ".before-compile-" + std::to_string(n);
    }
    return candidate;
  }

  Rename rename_;
  std::vector<Slot> slots_;
  std::vector<fs::path> createdFolders_;
};

struct Journal {
  fs::path settings;
  fs::path original;
  std::string package;
};

std::string JournalText(const Journal& j) {
  return "Settings=" + PathText(j.settings) + "\r\nOriginal=" + PathText(j.original) +
         "\r\nPackage=" + j.package + "\r\n";
}

std::optional<Journal> ParseJournal(std::string_view text) {
  Journal j;
  for (const auto& line : SplitLines(text)) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "Settings") j.settings = FsPath(value);
    if (key == "Original") j.original = FsPath(value);
    if (key == "Package") j.package = value;
  }
  if (j.settings.empty() || j.original.empty() || j.package.empty()) return std::nullopt;
  return j;
}

// The repair itself; the caller holds the state folder's lock.
std::string RepairFromJournal(const Places& places) {
  const fs::path journalPath = places.state / kCompileJournalName;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(journalPath, ec))) return {};
  const auto text = ReadFileBytes(journalPath);
  const auto journal = text ? ParseJournal(*text) : std::nullopt;
  if (!journal) {
    fs::remove(journalPath, ec);
    return {};
  }
  const auto current = ReadFileBytes(journal->settings);
  const auto original = ReadFileBytes(journal->original);
  if (current && original && *current == InsertEditPackage(*original, journal->package)) {
    std::error_code why;
    if (!WriteFileAtomic(journal->settings, *original, why)) {
      return "A compile that was cut short left " + journal->package + " listed in " +
             PathText(journal->settings) + ", and putting the file back failed: " + why.message() +
             ".\rIts original is in " + PathText(journal->original) + "; copy it back by hand.";
    }
  }
  // Anything else means the file was put back or changed since: leave it.
  fs::remove(journalPath, ec);
  return {};
}

}  // namespace

class CompileSequence::Impl {
 public:
  Impl(ProjectState state, CompileSetup setup, CompileStatus status)
      : state_(std::move(state)),
        setup_(std::move(setup)),
        status_(std::move(status)),
        changes_(setup_.rename) {
    const std::string& name = state_.VoicePackName;
    script_ = ScriptFilePath(setup_.places, name);
    intFile_ = IntFilePath(setup_.places, name);
    systemDir_ = FsPath(state_.UTSystemDir);
    packageDir_ = Join(FsPath(state_.UTDir), name);
    classesDir_ = packageDir_ / "Classes";
    installedScript_ = Join(classesDir_, name + ".uc");
    installedInt_ = Join(systemDir_, name + ".int");
    backup_ = Join(setup_.places.state, std::string(kSettingsBackupName));
    journal_ = setup_.places.state / kCompileJournalName;
    log_ = CompileLogPath(setup_.places, name);
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  ~Impl() {
    // Destroyed before the run was judged (an exception, the window gone):
    // the game must still end up as it was.
    try {
      RestoreSettings();
      if (changes_.Pending()) changes_.Undo();
    } catch (...) {
      // Nothing more can be done from a destructor.
    }
  }

  std::optional<RunRequest> Prepare() {
    Status("Beginning compile sequence...");
    const CompilerLocation compiler =
        LocateCompiler(FsPath(state_.UTDir), systemDir_, setup_.machineIs64Bit);
    const SettingsLocation settingsAt = LocateSettingsFile(systemDir_, setup_.home);
    if (auto missing = MissingPieces(compiler, settingsAt); !missing.empty()) {
      missing.push_back("Nothing was copied, edited or deleted.");
      return Stop(missing);
    }
    for (auto* lock : {&programLock_, &gameLock_}) {
      const fs::path& dir = lock == &programLock_ ? setup_.places.state : systemDir_;
      if (lock->Take(dir) == FolderLock::Outcome::Busy) {
        return Stop({"Another compile is running with " + PathText(dir) + ".",
                     "Wait until it has ended, then press \"Compile!\" again.",
                     "Nothing was copied, edited or deleted."});
      }
    }
    if (const auto clash = FindNameClash(FsPath(state_.UTDir), setup_.home, state_.VoicePackName)) {
      return Stop(
          {"The name " + state_.VoicePackName + " is already used in the game: " + *clash + ".",
           "Compiling it would replace the game's own files. Go back to the first page "
           "and choose another name.",
           "Nothing was copied, edited or deleted."});
    }
    // A compile of an earlier run that was cut short may still have its
    // edit in the settings file; the journal it left puts that right.
    if (auto repair = RepairFromJournal(setup_.places); !repair.empty()) {
      return Stop({repair, "Nothing was compiled."});
    }

    Status("Copying Files...");
    if (auto problem = Install(); !problem.empty()) return StopAndUndo({problem});

    // An earlier <Name>.u would make the compiler skip the package, so each
    // is moved aside for the run.
    const std::string packageName = state_.VoicePackName + ".u";
    if (!setup_.home.empty())
      packages_.push_back(Join(PreferenceDirectory(setup_.home), packageName));
    packages_.push_back(Join(systemDir_, packageName));
    for (const auto& place : packages_) {
      std::string problem;
      if (!changes_.MoveAside(place, problem))
        return StopAndUndo({problem, "Nothing was compiled."});
    }

    // The atomic writes rename over their target: aim them at the file a link
    // points to, or the restore would replace the link with a copy.
    std::error_code ec;
    settings_ = fs::canonical(settingsAt.file, ec);
    std::optional<std::string> original = ec ? std::nullopt : ReadFileBytes(settings_, ec);
    // An edit left by a cut-short compile of an older version (no journal
    // then): the backup it made holds the file as it belongs.
    if (const auto earlier = ReadFileBytes(backup_);
        original && earlier && IsUnrestoredEdit(*original, *earlier)) {
      original = earlier;
    }
    std::error_code why;
    if (!original || !WriteFileAtomic(backup_, *original, why) ||
        ReadFileBytes(backup_) != original) {
      if (!why) why = ec;
      return StopAndUndo(
          {WriteProblem("back up " + PathText(settingsAt.file) + " to", backup_, why),
           "Nothing was compiled."});
    }
    original_ = *original;
    if (!WriteFileAtomic(journal_, JournalText({settings_, backup_, state_.VoicePackName}), why)) {
      return StopAndUndo({WriteProblem("write", journal_, why), "Nothing was compiled."});
    }
    edited_ = true;
    if (!WriteFileAtomic(settings_, InsertEditPackage(original_, state_.VoicePackName), why)) {
      RestoreSettings();
      return StopAndUndo({WriteProblem("write", settings_, why), "Nothing was compiled."});
    }

    Status("Compiling...");
    RunRequest request;
    request.program = compiler.program;
    request.args = {"make", "ini=" + settings_.string()};
    request.workingDirectory = compiler.program.parent_path();
    request.logFile = log_;
    if (!setup_.home.empty()) request.environment.emplace_back("HOME", setup_.home.string());
    return request;
  }

  CompileResult Finish(const RunResult& run) {
    for (const auto& place : packages_) changes_.Replacing(place);
    const bool restored = RestoreSettings();
    WriteFileAtomic(log_, ToCrLf(run.output));
    return Judge(run, restored);
  }

  CompileResult Abandon() {
    for (const auto& place : packages_) changes_.Replacing(place);
    const bool restored = RestoreSettings();
    std::vector<std::string> lines = {"The compile of " + state_.VoicePackName + " was stopped."};
    AddUndo(lines, restored);
    return Fail(lines);
  }

  const CompileResult& Failure() const { return failure_; }

 private:
  void Status(const std::string& text) {
    if (status_) status_(text);
  }

  CompileResult Fail(const std::vector<std::string>& lines) {
    Status("Compile failed");
    failure_ = {false, JoinLines(lines)};
    return failure_;
  }

  std::nullopt_t Stop(const std::vector<std::string>& lines) {
    Fail(lines);
    return std::nullopt;
  }

  std::nullopt_t StopAndUndo(std::vector<std::string> lines) {
    const auto problems = changes_.Undo();
    lines.insert(lines.end(), problems.begin(), problems.end());
    return Stop(lines);
  }

  // Puts the settings file back and, once it is, drops the journal.
  bool RestoreSettings() {
    if (!edited_) return true;
    if (!WriteFileAtomic(settings_, original_)) return false;
    edited_ = false;
    std::error_code ec;
    fs::remove(journal_, ec);
    return true;
  }

  // Copies the generated files into the game, each earlier copy moved aside
  // first. More files of the pack (its sounds, say) join this list.
  std::string Install() {
    for (const fs::path& dir : {packageDir_, classesDir_}) {
      std::error_code ec;
      if (fs::create_directory(dir, ec)) changes_.FolderCreated(dir);
      if (!IsDirectory(dir)) return WriteProblem("create the folder", dir, ec);
    }
    const std::pair<fs::path, fs::path> copies[] = {{script_, installedScript_},
                                                    {intFile_, installedInt_}};
    for (const auto& [from, to] : copies) {
      std::string problem;
      if (!changes_.MoveAside(to, problem)) return problem;
      changes_.Replacing(to);
      std::error_code ec;
      const auto bytes = ReadFileBytes(from, ec);
      if (!bytes) return "Could not read " + PathText(from) + ": " + ec.message() + ".";
      if (!WriteFileAtomic(to, *bytes, ec)) return WriteProblem("copy the file to", to, ec);
    }
    // The pack's sounds go beside Classes, where the script's relative import
    // lines look for them: neither the user's folder names nor ours reach
    // the compiler.
    if (std::string problem; !InstallPackSounds(PackSoundsDir(setup_.places, state_.VoicePackName),
                                                packageDir_ / "Sounds", problem)) {
      return problem;
    }
    return {};
  }

  std::vector<std::string> MissingPieces(const CompilerLocation& compiler,
                                         const SettingsLocation& settings) const {
    std::vector<std::string> missing;
    bool generatedMissing = false;
    const std::pair<fs::path, const char*> generated[] = {{script_, "script"},
                                                          {intFile_, "int file"}};
    for (const auto& [path, what] : generated) {
      if (!IsFile(path)) {
        missing.push_back(std::string("The generated ") + what + " " + PathText(path) +
                          " is missing.");
        generatedMissing = true;
      }
    }
    if (generatedMissing) {
      missing.push_back(
          "A successful compile removes them; go through the wizard again to make them anew.");
    }
    if (!IsDirectory(systemDir_)) {
      missing.push_back("The game's System folder " + PathText(systemDir_) + " is missing.");
    }
    if (compiler.program.empty()) missing.push_back(compiler.problem);
    if (settings.file.empty()) {
      missing.push_back("The game's settings file is missing. Looked for: " +
                        JoinPaths(settings.lookedFor, ", ") + ".");
    }
    return missing;
  }

  // Takes back the install and reports what that left.
  void AddUndo(std::vector<std::string>& lines, bool restored) {
    const std::string& name = state_.VoicePackName;
    if (!restored) {
      lines.push_back("The game's settings file " + PathText(settings_) +
                      " could not be put back! Its original is in " + PathText(backup_) +
                      "; the program tries again when it next starts.");
    }
    bool hadEarlier = false;
    for (const auto& place : packages_) hadEarlier = hadEarlier || changes_.HadEarlier(place);
    const auto problems = changes_.Undo();
    if (problems.empty()) {
      lines.push_back(hadEarlier ? "The earlier build of " + name + " is back in place."
                                 : "Nothing of " + name + " was left installed in the game.");
    }
    lines.insert(lines.end(), problems.begin(), problems.end());
  }

  CompileResult Judge(const RunResult& run, bool restored) {
    const std::string name = state_.VoicePackName;
    const CompilerOutputReading reading = ReadCompilerOutput(run.output);
    std::optional<fs::path> fresh;
    for (const auto& place : packages_) {
      if (!fresh && IsFile(place)) fresh = place;
    }
    std::vector<std::string> lines;

    switch (run.outcome) {
      case RunResult::Outcome::NotStarted:
        lines.push_back("The compiler could not be started: " + run.startError + ".");
        break;
      case RunResult::Outcome::Lost:
        lines.push_back("The compiler ran, but how it ended is unknown: " + run.startError + ".");
        break;
      case RunResult::Outcome::Signaled:
        lines.push_back("The compiler was killed by signal " + std::to_string(run.signal) + " (" +
                        strsignal(run.signal) + ").");
        break;
      case RunResult::Outcome::Exited:
        if (run.exitStatus != 0) {
          lines.push_back("The compiler stopped with exit status " +
                          std::to_string(run.exitStatus) + ".");
        } else if (!reading.summarySeen) {
          lines.push_back("The compiler printed no summary of errors and warnings.");
        }
        break;
    }
    if (!reading.problemLines.empty() || (reading.summarySeen && !reading.clean)) {
      lines.push_back("The compiler reported warnings or errors:");
      for (std::size_t i = 0; i < reading.problemLines.size() && i < kQuotedProblemLines; ++i) {
        lines.push_back("    " + reading.problemLines[i]);
      }
      if (reading.problemLines.size() > kQuotedProblemLines) {
        lines.push_back(
            "    (" + std::to_string(reading.problemLines.size() - kQuotedProblemLines) + " more)");
      }
    }
    if (run.outcome != RunResult::Outcome::NotStarted && !fresh) {
      std::vector<fs::path> looked;
      if (!setup_.home.empty()) looked.push_back(PreferenceDirectory(setup_.home));
      looked.push_back(systemDir_);
      lines.push_back("The compiler left no " + name + ".u in " + JoinPaths(looked, " or ") + ".");
      if (auto why = WhyNothingBuilt(run.output, name, settings_); !why.empty()) {
        lines.push_back(why);
      }
    }

    if (!lines.empty() || !restored) {
      lines.insert(lines.begin(), "The compile of " + name + " failed.");
      AddUndo(lines, restored);
      lines.push_back("The compiler's whole output is in " + PathText(log_) + ".");
      lines.push_back("The generated script and int file stay in " + PathText(setup_.places.state) +
                      " for another try.");
      return Fail(lines);
    }

    changes_.Keep();
    // The release archives and the pack's sounds folder are made here, once
    // the package is known to be good.
    std::error_code ec;
    fs::remove(script_, ec);
    fs::remove(intFile_, ec);
    Status("Compile done");
    return {true, JoinLines({
                      "The following has been created: ",
                      PathText(installedInt_) + "  -  Your int file",
                      PathText(*fresh) + "  -  The Script file",
                      PathText(installedScript_) + "  -  The unreal class file. Safe to delete",
                      "Thanks for using Harkline. Please credit the program in your readme file!",
                      "Check for new versions at " + std::string(kProductWebPage),
                  })};
  }

  ProjectState state_;
  CompileSetup setup_;
  CompileStatus status_;
  GameChanges changes_;
  FolderLock programLock_, gameLock_;
  fs::path script_, intFile_, systemDir_, packageDir_, classesDir_;
  fs::path installedScript_, installedInt_, backup_, journal_, log_, settings_;
  std::vector<fs::path> packages_;
  std::string original_;
  bool edited_ = false;
  CompileResult failure_;
};

CompilerLocation LocateCompiler(const fs::path& utDir, const fs::path& utSystemDir,
                                bool machineIs64Bit) {
  CompilerLocation location;
  if (machineIs64Bit) {
    location.lookedFor.push_back(utDir / "System64" / "ucc-bin-amd64");
    location.lookedFor.push_back(utDir / "System64" / "ucc-bin");
  }
  // A 64-bit machine can usually run the 32-bit build too.
  location.lookedFor.push_back(utSystemDir / "ucc-bin");
  for (const auto& candidate : location.lookedFor) {
    if (IsExecutableFile(candidate)) {
      location.program = candidate;
      return location;
    }
  }
  location.problem = "The game's script compiler was not found. Looked for: " +
                     JoinPaths(location.lookedFor, ", ") + ".";
  for (const char* windowsName : {"ucc.exe", "UCC.exe", "UCC.EXE"}) {
    if (IsFile(utSystemDir / windowsName)) {
      location.problem += " " + PathText(utSystemDir / windowsName) +
                          " is the Windows compiler, which can't run here; the game's native "
                          "Linux build (patch 469 or later) has one that can.";
      break;
    }
  }
  return location;
}

fs::path PreferenceDirectory(const fs::path& home) { return home / ".utpg" / "System"; }

SettingsLocation LocateSettingsFile(const fs::path& utSystemDir, const fs::path& home) {
  SettingsLocation location;
  location.lookedFor.push_back(utSystemDir / "UnrealTournament.ini");
  if (!home.empty()) {
    location.lookedFor.push_back(PreferenceDirectory(home) / "UnrealTournament.ini");
  }
  for (const auto& candidate : location.lookedFor) {
    if (IsFile(candidate)) {
      location.file = candidate;
      break;
    }
  }
  return location;
}

CompilerOutputReading ReadCompilerOutput(std::string_view output) {
  static constexpr std::string_view kSummary = " error(s), ";
  CompilerOutputReading reading;
  bool summariesClean = true;
  for (const auto& line : SplitLines(output)) {
    const std::string_view view(line);
    // Only the compiler's own problem reports count: a pack or a folder
    // named "ErrorMan" shows up in plenty of harmless lines.
    if (const auto at = view.find(kSummary); at != std::string_view::npos &&
                                             NumberBefore(view, at) >= 0 &&
                                             NumberAt(view, at + kSummary.size()) >= 0) {
      reading.summarySeen = true;
      if (NumberBefore(view, at) != 0 || NumberAt(view, at + kSummary.size()) != 0) {
        summariesClean = false;
      }
      continue;
    }
    if (IsProblemLine(view)) reading.problemLines.push_back(line);
  }
  reading.clean = reading.summarySeen && summariesClean && reading.problemLines.empty();
  return reading;
}

CompileSetup DefaultCompileSetup(const Places& places) {
  CompileSetup setup;
  setup.places = places;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') setup.home = home;
  struct utsname host {};
  setup.machineIs64Bit =
      ::uname(&host) == 0 ? std::strstr(host.machine, "64") != nullptr : sizeof(void*) == 8;
  return setup;
}

fs::path CompileLogPath(const Places& places, std::string_view voicePackName) {
  return Join(places.state, "ucc-make-" + std::string(voicePackName) + ".log");
}

CompileSequence::CompileSequence(ProjectState state, CompileSetup setup, CompileStatus status)
    : impl_(std::make_unique<Impl>(std::move(state), std::move(setup), std::move(status))) {}
CompileSequence::~CompileSequence() = default;
std::optional<RunRequest> CompileSequence::Prepare() { return impl_->Prepare(); }
const CompileResult& CompileSequence::Failure() const { return impl_->Failure(); }
CompileResult CompileSequence::Finish(const RunResult& run) { return impl_->Finish(run); }
CompileResult CompileSequence::Abandon() { return impl_->Abandon(); }

CompileResult RunCompileSequence(const ProjectState& state, const CompileSetup& setup,
                                 ProcessRunner& runner, const CompileStatus& status) {
  try {
    CompileSequence sequence(state, setup, status);
    const auto request = sequence.Prepare();
    if (!request) return sequence.Failure();
    return sequence.Finish(runner.Run(*request));
  } catch (const std::exception& e) {
    // The sequence's destructor has put the game back as it was.
    try {
      if (status) status("Compile failed");
    } catch (...) {
    }
    return {false, "The compile of " + state.VoicePackName + " stopped: " + e.what() +
                       "\rThe game was left as it was."};
  }
}

std::string RepairInterruptedCompile(const Places& places) {
  // A compile running now (another copy of the program) owns its journal.
  FolderLock lock;
  if (lock.Take(places.state) == FolderLock::Outcome::Busy) return {};
  return RepairFromJournal(places);
}

}  // namespace voxmire
