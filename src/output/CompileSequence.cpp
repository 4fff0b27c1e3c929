#include "output/CompileSequence.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
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

// The one place the journal is kept.
fs::path JournalPath(const Places& places) { return places.state / kCompileJournalName; }

// One change a compile makes to the game, as its journal records it.
struct Step {
  enum class Kind { Folder, Aside, Install, Settings };
  Kind kind = Kind::Folder;
  fs::path target;      // the folder made, the file moved aside or installed, the settings file
  fs::path other;       // where the earlier file waits (Aside), the original settings (Settings)
  std::string package;  // the package listed in the settings (Settings)
};

// The journal holds one record a line, "Key=field<TAB>field...", every
// field with '%', control characters (tabs and line breaks among them)
// written as %XX, so that any path comes back byte for byte.
constexpr std::string_view kJournalHead = "Voxmire compile journal 2";

std::string Escaped(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || c == '%' || b == 0x7F) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescaped(std::string_view text) {
  const auto hex = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

fs::path NativePath(std::string_view field) { return fs::path(Unescaped(field)); }

std::string Record(const Step& step) {
  const auto path = [](const fs::path& p) { return Escaped(p.native()); };
  switch (step.kind) {
    case Step::Kind::Folder:
      return "Folder=" + path(step.target);
    case Step::Kind::Aside:
      return "Aside=" + path(step.target) + '\t' + path(step.other);
    case Step::Kind::Install:
      return "Install=" + path(step.target);
    case Step::Kind::Settings:
      return "Settings=" + path(step.target) + '\t' + path(step.other) + '\t' +
             Escaped(step.package);
  }
  return {};
}

struct JournalRead {
  std::vector<Step> steps;
  bool kept = false;  // the compile succeeded: only its earlier copies are left to drop
};

JournalRead ParseJournal(std::string_view text) {
  // Only whole lines: a record cut short (by a power cut) was never acted on.
  const auto lastEnd = text.find_last_of("\r\n");
  text = lastEnd == std::string_view::npos ? std::string_view() : text.substr(0, lastEnd + 1);
  const std::vector<std::string> lines = SplitLines(text);
  // The first journals held the settings file alone, in Windows-1252 text.
  const bool native = !lines.empty() && lines.front() == kJournalHead;
  JournalRead read;
  for (const std::string& line : lines) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    std::vector<std::string_view> fields;
    for (std::string_view rest = std::string_view(line).substr(eq + 1);;) {
      const auto tab = rest.find('\t');
      fields.push_back(rest.substr(0, tab));
      if (tab == std::string_view::npos) break;
      rest.remove_prefix(tab + 1);
    }
    const auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : ""; };
    if (!native) {
      if (key == "Settings") read.steps.push_back({Step::Kind::Settings, FsPath(field(0)), {}, {}});
      if (read.steps.empty()) continue;
      if (key == "Original") read.steps.back().other = FsPath(field(0));
      if (key == "Package") read.steps.back().package = field(0);
    } else if (key == "Folder") {
      read.steps.push_back({Step::Kind::Folder, NativePath(field(0)), {}, {}});
    } else if (key == "Aside") {
      read.steps.push_back({Step::Kind::Aside, NativePath(field(0)), NativePath(field(1)), {}});
    } else if (key == "Install") {
      read.steps.push_back({Step::Kind::Install, NativePath(field(0)), {}, {}});
    } else if (key == "Settings") {
      read.steps.push_back(
          {Step::Kind::Settings, NativePath(field(0)), NativePath(field(1)), Unescaped(field(2))});
    } else if (key == "Kept") {
      read.kept = true;
    }
  }
  // A record without the paths it needs can't be taken back: it is passed over.
  std::erase_if(read.steps, [](const Step& s) {
    return s.target.empty() ||
           ((s.kind == Step::Kind::Aside || s.kind == Step::Kind::Settings) && s.other.empty()) ||
           (s.kind == Step::Kind::Settings && s.package.empty());
  });
  return read;
}

void SyncFolder(const fs::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The journal file, appended to record by record, each synced to the disk
// before the change it announces is made.
class JournalFile {
 public:
  explicit JournalFile(fs::path path) : path_(std::move(path)) {}
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;
  ~JournalFile() { Close(); }

  const fs::path& Path() const { return path_; }

  bool Append(const std::string& record, std::error_code& ec) {
    std::string text = record + '\n';
    const bool fresh = fd_ < 0;
    if (fresh) {
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
      if (fd_ < 0) {
        ec.assign(errno, std::generic_category());
        return false;
      }
      text.insert(0, std::string(kJournalHead) + '\n');
    }
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ec.assign(errno, std::generic_category());
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd_) != 0) {
      ec.assign(errno, std::generic_category());
      return false;
    }
    // A journal whose name a power cut takes away is no journal.
    if (fresh) SyncFolder(path_.parent_path());
    return true;
  }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  void Remove() {
    Close();
    std::error_code ec;
    fs::remove(path_, ec);
  }

 private:
  fs::path path_;
  int fd_ = -1;
};

// Every change the sequence makes to the game. Each is written to the
// journal before it is made, so that a failure, or the next start after the
// program was killed, takes each one back, newest first; a success drops the
// earlier builds it set aside.
class GameChanges {
 public:
  using Rename = RenameFile;
  GameChanges(fs::path journal, Rename rename) : journal_(std::move(journal)) {
    rename_ = rename ? std::move(rename)
                     : [](const fs::path& from, const fs::path& to, std::error_code& ec) {
                         fs::rename(from, to, ec);
                       };
  }

  // The changes a journal left by a killed run records. Its settings file
  // is put back only while it holds that run's edit: anything else means it
  // was put back or changed since.
  static std::unique_ptr<GameChanges> FromJournal(const fs::path& journal, Rename rename,
                                                  bool& kept) {
    const auto text = ReadFileBytes(journal);
    auto changes = std::make_unique<GameChanges>(journal, std::move(rename));
    const JournalRead read = ParseJournal(text.value_or(std::string()));
    changes->steps_ = read.steps;
    changes->repairing_ = true;
    kept = read.kept;
    return changes;
  }

  // Makes the folder when nothing is there yet.
  bool MakeFolder(const fs::path& dir, std::string& problem) {
    std::error_code ec;
    if (!Exists(dir)) {
      if (!Take({Step::Kind::Folder, dir, {}, {}}, problem)) return false;
      fs::create_directory(dir, ec);
    }
    if (IsFolder(dir)) return true;
    problem = WriteProblem("create the folder", dir,
                           ec ? ec : std::make_error_code(std::errc::file_exists));
    return false;
  }

  // Moves what is at `target` aside, so the run can put a new file there.
  // Nothing to move is no failure.
  bool MoveAside(const fs::path& target, std::string& problem) {
    if (!Exists(target)) return true;
    const fs::path aside = FreeAsideName(target);
    if (!Take({Step::Kind::Aside, target, aside, {}}, problem)) return false;
    std::error_code ec;
    rename_(target, aside, ec);
    if (ec) {
      problem = "Could not move the earlier " + PathText(target) + " aside: " + ec.message() + ".";
      return false;
    }
    return true;
  }

  // From now on whatever is at `target` was put there by this run.
  bool Installing(const fs::path& target, std::string& problem) {
    return Take({Step::Kind::Install, target, {}, {}}, problem);
  }

  // The settings file is about to list `package`; `original` holds its bytes.
  bool EditingSettings(const fs::path& settings, const fs::path& original,
                       const std::string& package, std::string& problem) {
    return Take({Step::Kind::Settings, settings, original, package}, problem);
  }

  // Puts the settings file back now, the journal kept; empty when it is back.
  std::string RestoreSettings() {
    for (const Step& step : steps_) {
      if (step.kind == Step::Kind::Settings) return UndoSettings(step);
    }
    return {};
  }

  bool HadEarlier(const fs::path& target) const {
    return std::any_of(steps_.begin(), steps_.end(), [&](const Step& s) {
      return s.kind == Step::Kind::Aside && s.target == target;
    });
  }

  // Takes back every change, newest first; returns what could not be.
  // Safe to repeat: what is back already is passed over. The journal goes
  // once everything is back, and stays for the next start otherwise.
  std::vector<std::string> Undo() {
    std::vector<std::string> problems;
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
      std::string problem = UndoStep(*it);
      if (!problem.empty() &&
          std::find(problems.begin(), problems.end(), problem) == problems.end())
        problems.push_back(std::move(problem));
    }
    steps_.clear();
    if (problems.empty()) {
      journal_.Remove();
    } else {
      journal_.Close();
    }
    return problems;
  }

  // The run succeeded: the earlier copies go. The journal says so first, so
  // that a kill from here on never takes the new build back.
  void Keep() {
    std::error_code ec;
    if (!repairing_ && !steps_.empty() && !journal_.Append("Kept=", ec)) journal_.Remove();
    for (const Step& step : steps_) {
      if (step.kind == Step::Kind::Aside) fs::remove(step.other, ec);
    }
    steps_.clear();
    journal_.Remove();
  }

  bool Pending() const { return !steps_.empty(); }

 private:
  bool Take(const Step& step, std::string& problem) {
    std::error_code ec;
    if (!journal_.Append(Record(step), ec)) {
      problem = WriteProblem("write", journal_.Path(), ec);
      return false;
    }
    steps_.push_back(step);
    return true;
  }

  std::string UndoStep(const Step& step) {
    std::error_code ec;
    // An earlier file and the settings file lay in folders that were there.
    // Such a folder gone (a drive not mounted now) proves nothing is back:
    // the journal must stay. (A file installed may lie in a folder that
    // never was, like a preference folder the compiler would have made.)
    if ((step.kind == Step::Kind::Aside || step.kind == Step::Kind::Settings) &&
        !IsFolder(step.target.parent_path())) {
      return "The folder " + PathText(step.target.parent_path()) + " can't be reached.";
    }
    switch (step.kind) {
      case Step::Kind::Folder:
        // Only when empty: never anything the user put there.
        if (fs::is_directory(fs::symlink_status(step.target, ec))) fs::remove(step.target, ec);
        return {};
      case Step::Kind::Aside:
        if (!Exists(step.other)) return {};  // back already, or never moved
        rename_(step.other, step.target, ec);
        if (ec) {
          return "The earlier " + PathText(step.target) + " could not be put back; it is kept as " +
                 PathText(step.other) + ".";
        }
        return {};
      case Step::Kind::Install: {
        // An earlier file that is back in place already is not ours to remove.
        const bool earlierBack = std::any_of(steps_.begin(), steps_.end(), [&](const Step& s) {
          return s.kind == Step::Kind::Aside && s.target == step.target && !Exists(s.other);
        });
        if (earlierBack) return {};
        for (const fs::path& temp : LeftoverTempFiles(step.target)) fs::remove(temp, ec);
        fs::remove(step.target, ec);
        if (ec) return "Could not remove " + PathText(step.target) + ": " + ec.message() + ".";
        return {};
      }
      case Step::Kind::Settings:
        return UndoSettings(step);
    }
    return {};
  }

  std::string UndoSettings(const Step& step) {
    const auto current = ReadFileBytes(step.target);
    const auto original = ReadFileBytes(step.other);
    std::error_code why;
    if (repairing_) {
      if (!current || !original || *current == *original ||
          *current != InsertEditPackage(*original, step.package)) {
        return {};
      }
      if (WriteFileAtomic(step.target, *original, why)) return {};
      return "A compile that was cut short left " + step.package + " listed in " +
             PathText(step.target) + ", and putting the file back failed: " + why.message() +
             ". Its original is in " + PathText(step.other) + "; copy it back by hand.";
    }
    if (original && current == original) return {};
    if (original && WriteFileAtomic(step.target, *original, why)) return {};
    return "The game's settings file " + PathText(step.target) +
           " could not be put back! Its original is in " + PathText(step.other) +
           "; the program tries again when it next starts.";
  }

  static fs::path FreeAsideName(const fs::path& target) {
    // Never overwrite an aside copy a crashed earlier run may have left.
    fs::path candidate = target;
    candidate += ".before-compile";
    for (int n = 2; Exists(candidate); ++n) {
      candidate = target;
      candidate += ".before-compile-" + std::to_string(n);
    }
    return candidate;
  }

  JournalFile journal_;
  Rename rename_;
  std::vector<Step> steps_;
  bool repairing_ = false;
};

// The repair itself; the caller holds the state folder's lock.
std::string RepairFromJournal(const Places& places, const RenameFile& rename) {
  const fs::path journalPath = JournalPath(places);
  if (!Exists(journalPath)) return {};
  bool kept = false;
  const auto changes = GameChanges::FromJournal(journalPath, rename, kept);
  if (kept) {
    changes->Keep();
    return {};
  }
  std::vector<std::string> problems = changes->Undo();
  if (problems.empty()) return {};
  problems.insert(problems.begin(),
                  "A compile that was cut short could not be taken back entirely:");
  problems.push_back(
      "The program tries again when it next starts. If that game is gone for "
      "good, delete " +
      PathText(journalPath) + " to stop it.");
  std::string text;
  for (const auto& line : problems) text += (text.empty() ? "" : "\r") + line;
  return text;
}

}  // namespace

class CompileSequence::Impl {
 public:
  Impl(ProjectState state, CompileSetup setup, CompileStatus status)
      : state_(std::move(state)),
        setup_(std::move(setup)),
        status_(std::move(status)),
        changes_(JournalPath(setup_.places), setup_.rename) {
    const std::string& name = state_.VoicePackName;
    script_ = ScriptFilePath(setup_.places, name);
    intFile_ = IntFilePath(setup_.places, name);
    systemDir_ = FsPath(state_.UTSystemDir);
    packageDir_ = Join(FsPath(state_.UTDir), name);
    classesDir_ = packageDir_ / "Classes";
    installedScript_ = Join(classesDir_, name + ".uc");
    installedInt_ = Join(systemDir_, name + ".int");
    backup_ = Join(setup_.places.state, std::string(kSettingsBackupName));
    log_ = CompileLogPath(setup_.places, name);
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  ~Impl() {
    // Destroyed before the run was judged (an exception, the window gone):
    // the game must still end up as it was.
    try {
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
    if (auto unwritable = UnwritableGameFolder(); !unwritable.empty()) {
      return Stop({unwritable,
                   "The pack is installed there. Make sure that you may write in the game "
                   "folder, then press \"Compile!\" again.",
                   "Nothing was copied, edited or deleted."});
    }
    for (auto* lock : {&programLock_, &gameLock_}) {
      const fs::path& dir = lock == &programLock_ ? setup_.places.state : systemDir_;
      if (lock->Take(dir) == FolderLock::Outcome::Busy) {
        return Stop({"Another compile is running with " + PathText(dir) + ".",
                     "Wait until it has ended, then press \"Compile!\" again.",
                     "Nothing was copied, edited or deleted."});
      }
    }
    // A compile of an earlier run that was cut short may have left its
    // changes in the game; the journal it left takes them back first.
    if (auto repair = RepairFromJournal(setup_.places, setup_.rename); !repair.empty()) {
      return Stop({repair, "Nothing was compiled."});
    }
    if (const auto clash = FindNameClash(FsPath(state_.UTDir), setup_.home, state_.VoicePackName)) {
      return Stop(
          {"The name " + state_.VoicePackName + " is already used in the game: " + *clash + ".",
           "Compiling it would replace the game's own files. Go back to the first page "
           "and choose another name.",
           "Nothing was copied, edited or deleted."});
    }

    Status("Copying Files...");
    if (auto problem = Install(); !problem.empty()) return StopAndUndo({problem});

    // An earlier <Name>.u would make the compiler skip the package, so each
    // is moved aside for the run.
    const std::string packageName = state_.VoicePackName + ".u";
    if (!setup_.home.empty())
      packages_.push_back(Join(PreferenceDirectory(setup_.home), packageName));
    packages_.push_back(Join(systemDir_, packageName));
    // The compiler writes the new one: whatever it leaves there is ours.
    for (const auto& place : packages_) {
      std::string problem;
      if (!changes_.MoveAside(place, problem) || !changes_.Installing(place, problem))
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
    if (std::string problem;
        !changes_.EditingSettings(settings_, backup_, state_.VoicePackName, problem)) {
      return StopAndUndo({problem, "Nothing was compiled."});
    }
    if (!WriteFileAtomic(settings_, InsertEditPackage(*original, state_.VoicePackName), why)) {
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
    const bool restored = changes_.RestoreSettings().empty();
    WriteFileAtomic(log_, ToCrLf(run.output));
    return Judge(run, restored);
  }

  CompileResult Abandon() {
    std::vector<std::string> lines = {"The compile of " + state_.VoicePackName + " was stopped."};
    AddUndo(lines);
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

  // Copies the generated files and the pack's sounds into the game, each
  // earlier copy moved aside first.
  std::string Install() {
    std::string problem;
    for (const fs::path& dir : {packageDir_, classesDir_}) {
      if (!changes_.MakeFolder(dir, problem)) return problem;
    }
    const std::pair<fs::path, fs::path> copies[] = {{script_, installedScript_},
                                                    {intFile_, installedInt_}};
    for (const auto& [from, to] : copies) {
      if (problem = CopyIn(from, to); !problem.empty()) return problem;
    }
    // The pack's sounds go beside Classes, where the script's relative import
    // lines look for them: neither the user's folder names nor ours reach
    // the compiler.
    const auto sounds =
        PackSoundsToInstall(PackSoundsDir(setup_.places, state_.VoicePackName), problem);
    if (!sounds) return problem;
    const fs::path gameSounds = packageDir_ / "Sounds";
    if (!sounds->empty() && !changes_.MakeFolder(gameSounds, problem)) return problem;
    for (const fs::path& sound : *sounds) {
      if (problem = CopyIn(sound, gameSounds / sound.filename()); !problem.empty()) return problem;
    }
    return {};
  }

  // Said as what it is, before anything is moved: a folder the install
  // can't write in would otherwise fail halfway, as a move that failed.
  std::string UnwritableGameFolder() const {
    const fs::path game = FsPath(state_.UTDir);
    for (const fs::path& dir : {game, packageDir_, classesDir_, systemDir_}) {
      std::error_code ec;
      if (!IsFolder(dir) || CanCreateFilesIn(dir, ec)) continue;
      return "The game folder " + PathText(game) + " can't be written" +
             (dir == game ? std::string() : " (" + PathText(dir) + ")") + ": " + ec.message() + ".";
    }
    return {};
  }

  std::string CopyIn(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    const auto bytes = ReadFileBytes(from, ec);
    if (!bytes) return "Could not read " + PathText(from) + ": " + ec.message() + ".";
    std::string problem;
    if (!changes_.MoveAside(to, problem) || !changes_.Installing(to, problem)) return problem;
    if (!WriteFileAtomic(to, *bytes, ec)) return WriteProblem("copy the file to", to, ec);
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
    if (!IsFolder(systemDir_)) {
      missing.push_back("The game's System folder " + PathText(systemDir_) + " is missing.");
    }
    if (compiler.program.empty()) missing.push_back(compiler.problem);
    if (settings.file.empty()) {
      missing.push_back("The game's settings file is missing. Looked for: " +
                        JoinPaths(settings.lookedFor, ", ") + ".");
    }
    return missing;
  }

  // Takes back every change and reports what that left.
  void AddUndo(std::vector<std::string>& lines) {
    const std::string& name = state_.VoicePackName;
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
      AddUndo(lines);
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
  fs::path installedScript_, installedInt_, backup_, log_, settings_;
  std::vector<fs::path> packages_;
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

std::string RepairInterruptedCompile(const Places& places, const RenameFile& rename) {
  // A compile running now (another copy of the program) owns its journal.
  FolderLock lock;
  if (lock.Take(places.state) == FolderLock::Outcome::Busy) return {};
  return RepairFromJournal(places, rename);
}

}  // namespace voxmire
