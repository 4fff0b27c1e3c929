#include "output/CompileSequence.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "core/Files.h"
#include "core/Product.h"
#include "output/GameIni.h"
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

// Copies a whole file so that the target is never half written.
bool CopyWhole(const fs::path& from, const fs::path& to) {
  const auto bytes = ReadFileBytes(from);
  return bytes && WriteFileAtomic(to, *bytes);
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

// Holds the game's settings file as it was before the edit and writes it back
// on the way out, however the sequence ends.
class SettingsRestorer {
 public:
  SettingsRestorer(fs::path file, std::string original)
      : file_(std::move(file)), original_(std::move(original)) {}
  SettingsRestorer(const SettingsRestorer&) = delete;
  SettingsRestorer& operator=(const SettingsRestorer&) = delete;
  ~SettingsRestorer() {
    try {
      Restore();
    } catch (...) {
      // Nothing more can be done from a destructor.
    }
  }

  bool Restore() {
    if (!restored_) restored_ = WriteFileAtomic(file_, original_);
    return restored_;
  }

 private:
  fs::path file_;
  std::string original_;
  bool restored_ = false;
};

// An earlier <Name>.u would make the compiler skip the package, so each one
// is renamed for the length of the run: dropped after a clean compile, put
// back otherwise (the destructor covers exceptions).
class EarlierPackages {
 public:
  explicit EarlierPackages(std::vector<fs::path> places) {
    for (auto& p : places) places_.push_back({std::move(p), {}});
  }
  EarlierPackages(const EarlierPackages&) = delete;
  EarlierPackages& operator=(const EarlierPackages&) = delete;
  ~EarlierPackages() {
    try {
      if (!settled_) PutBack();
    } catch (...) {
      // Nothing more can be done from a destructor.
    }
  }

  // False (with everything put back) when one can't be moved.
  bool MoveAside(std::string& problem) {
    for (auto& place : places_) {
      if (!IsFile(place.package)) continue;
      const fs::path aside = FreeAsideName(place.package);
      std::error_code ec;
      fs::rename(place.package, aside, ec);
      if (ec) {
        problem = "Could not move the earlier " + PathText(place.package) +
                  " aside: " + ec.message() + ".";
        PutBack();
        return false;
      }
      place.aside = aside;
    }
    return true;
  }

  bool HadAny() const {
    for (const auto& place : places_) {
      if (!place.aside.empty()) return true;
    }
    return false;
  }

  // The package the compiler has just made, if any: only new ones can be
  // there while the earlier ones are aside.
  std::optional<fs::path> Fresh() const {
    for (const auto& place : places_) {
      if (IsFile(place.package)) return place.package;
    }
    return std::nullopt;
  }

  void DropEarlier() {
    settled_ = true;
    for (const auto& place : places_) {
      std::error_code ec;
      if (!place.aside.empty()) fs::remove(place.aside, ec);
    }
  }

  // Leaves each place as it was before the run. Returns the problems.
  std::vector<std::string> PutBack() {
    settled_ = true;
    std::vector<std::string> problems;
    for (auto& place : places_) {
      std::error_code ec;
      if (place.aside.empty()) {
        fs::remove(place.package, ec);
        continue;
      }
      fs::rename(place.aside, place.package, ec);
      if (ec) {
        problems.push_back("The earlier " + PathText(place.package) +
                           " could not be put back; it is kept as " + PathText(place.aside) + ".");
      } else {
        place.aside.clear();
      }
    }
    return problems;
  }

 private:
  struct Place {
    fs::path package;
    fs::path aside;
  };

  static fs::path FreeAsideName(const fs::path& package) {
    // Never overwrite an aside copy a crashed earlier run may have left.
    fs::path candidate = package;
    candidate += ".before-compile";
    for (int n = 2; fs::exists(candidate); ++n) {
      candidate = package;
      candidate += ".before-compile-" + std::to_string(n);
    }
    return candidate;
  }

  std::vector<Place> places_;
  bool settled_ = false;
};

class Sequence {
 public:
  Sequence(const ProjectState& state, const CompileSetup& setup, ProcessRunner& runner,
           const CompileStatus& status)
      : state_(state), setup_(setup), runner_(runner), status_(status) {
    const std::string& name = state.VoicePackName;
    script_ = Join(setup.programDir, name + ".uc");
    intFile_ = Join(setup.programDir, name + ".int");
    systemDir_ = FsPath(state.UTSystemDir);
    packageDir_ = Join(FsPath(state.UTDir), name);
    classesDir_ = packageDir_ / "Classes";
    installedScript_ = Join(classesDir_, name + ".uc");
    installedInt_ = Join(systemDir_, name + ".int");
    backup_ = Join(setup.programDir, std::string(kSettingsBackupName));
    log_ = Join(setup.programDir, std::string(kCompileLogName));
  }

  CompileResult Run() {
    Status("Beginning compile sequence...");
    const CompilerLocation compiler =
        LocateCompiler(FsPath(state_.UTDir), systemDir_, setup_.machineIs64Bit);
    const SettingsLocation settingsAt = LocateSettingsFile(systemDir_, setup_.home);
    if (auto missing = MissingPieces(compiler, settingsAt); !missing.empty()) {
      missing.push_back("Nothing was copied, edited or deleted.");
      return Fail(missing);
    }

    Status("Copying Files...");
    std::error_code ec;
    fs::create_directory(packageDir_, ec);
    fs::create_directory(classesDir_, ec);
    if (!IsDirectory(classesDir_)) {
      return Fail({"Could not create the folder " + PathText(classesDir_) + "."});
    }
    const std::pair<fs::path, fs::path> copies[] = {{script_, installedScript_},
                                                    {intFile_, installedInt_}};
    for (const auto& [from, to] : copies) {
      if (!CopyWhole(from, to)) {
        return Fail({"Could not copy " + PathText(from) + " to " + PathText(to) + "."});
      }
    }
    if (std::string problem;
        !InstallPackSounds(PackSoundsDir(setup_.programDir, state_.VoicePackName),
                           packageDir_ / "Sounds", problem)) {
      return Fail({problem});
    }

    const std::string packageName = state_.VoicePackName + ".u";
    std::vector<fs::path> places;
    if (!setup_.home.empty()) places.push_back(Join(PreferenceDirectory(setup_.home), packageName));
    places.push_back(Join(systemDir_, packageName));
    EarlierPackages earlier(places);
    std::string problem;
    if (!earlier.MoveAside(problem)) return Fail({problem, "Nothing was compiled."});

    // The atomic writes rename over their target: aim them at the file a link
    // points to, or the restore would replace the link with a copy.
    const fs::path settings = fs::canonical(settingsAt.file, ec);
    auto original = ec ? std::nullopt : ReadFileBytes(settings);
    // A compile that was cut short (the program killed while the compiler
    // ran) left its edit in the game's file; backing that up would make the
    // edit permanent. The backup it made holds the file as it belongs.
    if (const auto earlier = ReadFileBytes(backup_);
        original && earlier && IsUnrestoredEdit(*original, *earlier)) {
      original = earlier;
    }
    if (!original || !WriteFileAtomic(backup_, *original) || ReadFileBytes(backup_) != original) {
      return Fail(
          {"Could not back up " + PathText(settingsAt.file) + " to " + PathText(backup_) + ".",
           "Nothing was compiled."});
    }
    SettingsRestorer restorer(settings, *original);
    if (!WriteFileAtomic(settings, InsertEditPackage(*original, state_.VoicePackName))) {
      restorer.Restore();
      return Fail({"Could not write " + PathText(settings) + ".", "Nothing was compiled."});
    }

    Status("Compiling...");
    RunRequest request;
    request.program = compiler.program;
    request.args = {"make", "ini=" + settings.string()};
    request.workingDirectory = compiler.program.parent_path();
    request.logFile = log_;
    if (!setup_.home.empty()) request.environment.emplace_back("HOME", setup_.home.string());
    const RunResult run = runner_.Run(request);

    const bool restored = restorer.Restore();
    WriteFileAtomic(log_, ToCrLf(run.output));
    return Judge(run, restored, earlier);
  }

 private:
  void Status(const std::string& text) {
    if (status_) status_(text);
  }

  CompileResult Fail(const std::vector<std::string>& lines) {
    Status("Compile failed");
    return {false, JoinLines(lines)};
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

  CompileResult Judge(const RunResult& run, bool restored, EarlierPackages& earlier) {
    const std::string name = state_.VoicePackName;
    const CompilerOutputReading reading = ReadCompilerOutput(run.output);
    const std::optional<fs::path> fresh = earlier.Fresh();
    std::vector<std::string> lines;

    switch (run.outcome) {
      case RunResult::Outcome::NotStarted:
        lines.push_back("The compiler could not be started: " + run.startError + ".");
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
    }
    if (!restored) {
      lines.push_back("The game's settings file could not be put back! Its original is in " +
                      PathText(backup_) + ".");
    }

    if (!lines.empty()) {
      const bool hadEarlier = earlier.HadAny();
      const auto putBackProblems = earlier.PutBack();
      lines.insert(lines.begin(), "The compile of " + name + " failed.");
      if (hadEarlier && putBackProblems.empty()) {
        lines.push_back("The earlier " + name + ".u is back in place.");
      }
      lines.insert(lines.end(), putBackProblems.begin(), putBackProblems.end());
      lines.push_back("The compiler's whole output is in " + PathText(log_) + ".");
      lines.push_back("The generated script and int file stay in " + PathText(setup_.programDir) +
                      " for another try.");
      return Fail(lines);
    }

    earlier.DropEarlier();
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

  const ProjectState& state_;
  const CompileSetup& setup_;
  ProcessRunner& runner_;
  const CompileStatus& status_;
  fs::path script_, intFile_, systemDir_, packageDir_, classesDir_;
  fs::path installedScript_, installedInt_, backup_, log_;
};

}  // namespace

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
  static constexpr std::string_view kProblemMarks[] = {"Warning", "Failed factoring", "Error",
                                                       "Critical error"};
  CompilerOutputReading reading;
  bool summariesClean = true;
  for (const auto& line : SplitLines(output)) {
    const std::string_view view(line);
    if (const auto at = view.find(kSummary); at != std::string_view::npos) {
      reading.summarySeen = true;
      if (NumberBefore(view, at) != 0 || NumberAt(view, at + kSummary.size()) != 0) {
        summariesClean = false;
      }
      continue;
    }
    for (const auto mark : kProblemMarks) {
      if (view.find(mark) != std::string_view::npos) {
        reading.problemLines.push_back(line);
        break;
      }
    }
  }
  reading.clean = reading.summarySeen && summariesClean && reading.problemLines.empty();
  return reading;
}

CompileSetup DefaultCompileSetup(const fs::path& programDir) {
  CompileSetup setup;
  setup.programDir = programDir;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') setup.home = home;
  struct utsname host {};
  setup.machineIs64Bit =
      ::uname(&host) == 0 ? std::strstr(host.machine, "64") != nullptr : sizeof(void*) == 8;
  return setup;
}

CompileResult RunCompileSequence(const ProjectState& state, const CompileSetup& setup,
                                 ProcessRunner& runner, const CompileStatus& status) {
  try {
    return Sequence(state, setup, runner, status).Run();
  } catch (const std::exception& e) {
    try {
      if (status) status("Compile failed");
    } catch (...) {
    }
    // The guards inside have put the settings file and any earlier package back.
    return {false, "The compile of " + state.VoicePackName + " stopped: " + e.what()};
  }
}

}  // namespace voxmire
