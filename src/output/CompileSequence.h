#pragma once
// "Compile!": installs the generated script and int file into the game,
// lists the package in the game's settings file for the length of one
// compiler run, runs the compiler, puts the settings file back and reports.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "output/RunAndWait.h"
#include "project/ProjectState.h"

namespace voxmire {

inline constexpr std::string_view kCompileMessageTitle = "Harkline";
inline constexpr std::string_view kSettingsBackupName = "ut_backup.ini";
inline constexpr std::string_view kCompileLogName = "ucc-make.log";

// Where the game's compiler is. `program` is empty when none can run here;
// `problem` then says what was looked for.
struct CompilerLocation {
  std::filesystem::path program;
  std::vector<std::filesystem::path> lookedFor;
  std::string problem;
};

// The native Linux builds keep the 64-bit compiler in System64
// (ucc-bin-amd64, also shipped as ucc-bin) and the 32-bit one in System.
// The Windows System/ucc.exe can't run here and doesn't count.
CompilerLocation LocateCompiler(const std::filesystem::path& utDir,
                                const std::filesystem::path& utSystemDir, bool machineIs64Bit);

// The settings file the compile edits: System/UnrealTournament.ini, or the
// player's copy in <home>/.utpg/System when the game's own is missing.
// `file` is empty when neither exists.
struct SettingsLocation {
  std::filesystem::path file;
  std::vector<std::filesystem::path> lookedFor;
};
SettingsLocation LocateSettingsFile(const std::filesystem::path& utSystemDir,
                                    const std::filesystem::path& home);

// Where the native builds put compiled packages and the player's settings.
std::filesystem::path PreferenceDirectory(const std::filesystem::path& home);

// What the compiler's output says. `clean` only when it printed a summary
// with 0 errors and 0 warnings and no warning or error line.
struct CompilerOutputReading {
  bool summarySeen = false;
  bool clean = false;
  std::vector<std::string> problemLines;  // warnings, errors, failed imports
};
CompilerOutputReading ReadCompilerOutput(std::string_view output);

struct CompileSetup {
  std::filesystem::path programDir;
  std::filesystem::path home;  // empty when there is none
  bool machineIs64Bit = true;
};

// The program directory given, HOME from the environment, and this machine's
// word size.
CompileSetup DefaultCompileSetup(const std::filesystem::path& programDir);

struct CompileResult {
  bool succeeded = false;
  // On success the report (six lines separated by CR); otherwise what went
  // wrong (lines separated by CR). Windows-1252 text.
  std::string message;
};

// Called with each status text before the step it announces; the page
// repaints on it.
using CompileStatus = std::function<void(const std::string&)>;

// The whole sequence. Nothing in the game directory is touched unless the
// generated files, the compiler and the settings file are all there; once
// edited, the settings file is put back on every way out, exceptions
// included; an earlier <Name>.u is moved aside for the run and only
// removed when the new one compiled cleanly.
CompileResult RunCompileSequence(const ProjectState& state, const CompileSetup& setup,
                                 ProcessRunner& runner, const CompileStatus& status);

}  // namespace voxmire
