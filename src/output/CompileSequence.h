#pragma once
// "Compile!": installs the generated script and int file into the game,
// lists the package in the game's settings file for the length of one
// compiler run, runs the compiler, puts the settings file back and reports.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/Places.h"
#include "output/RunAndWait.h"
#include "project/ProjectState.h"

namespace voxmire {

inline constexpr std::string_view kCompileMessageTitle = "Harkline";
inline constexpr std::string_view kSettingsBackupName = "ut_backup.ini";

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

// How a file is renamed when an earlier build is moved aside or put back;
// std::filesystem::rename when empty. Tests make a move fail with it.
using RenameFile = std::function<void(const std::filesystem::path& from,
                                      const std::filesystem::path& to, std::error_code& ec)>;

struct CompileSetup {
  Places places;
  std::filesystem::path home;  // empty when there is none
  bool machineIs64Bit = true;
  RenameFile rename;
};

// The program directory given, HOME from the environment, and this machine's
// word size.
CompileSetup DefaultCompileSetup(const Places& places);

struct CompileResult {
  bool succeeded = false;
  // On success the report (six lines separated by CR); otherwise what went
  // wrong (lines separated by CR). Windows-1252 text.
  std::string message;
};

// Called with each status text before the step it announces; the page
// repaints on it.
using CompileStatus = std::function<void(const std::string&)>;

// The log of one pack's compiler run, in the program directory: each pack
// has its own, so two runs never mix their output.
std::filesystem::path CompileLogPath(const Places& places, std::string_view voicePackName);

// The sequence in two halves around the compiler's run, so that the caller
// may run the compiler however it likes (the page runs it without blocking
// the window).
//
// Prepare() checks everything first, takes the compile locks (one compile at
// a time per program folder and per game), installs the script, the int file
// and the pack's sounds, moves earlier builds aside and edits the game's
// settings file, each step in the journal before it is taken. Finish() puts the settings file back,
// judges the run and either keeps the new build (dropping the earlier one) or undoes every change
// made to the game. A sequence destroyed between the two undoes everything as well.
class CompileSequence {
 public:
  CompileSequence(ProjectState state, CompileSetup setup, CompileStatus status = {});
  ~CompileSequence();
  CompileSequence(const CompileSequence&) = delete;
  CompileSequence& operator=(const CompileSequence&) = delete;

  // The compiler's run, or nothing when the sequence stopped before it
  // (Failure() then says why; nothing in the game was left changed).
  std::optional<RunRequest> Prepare();
  const CompileResult& Failure() const;

  CompileResult Finish(const RunResult& run);
  // The run was stopped from outside (the window closed): undo everything.
  CompileResult Abandon();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// The whole sequence with a blocking runner. Exceptions are caught and
// reported; the game is left as it was.
CompileResult RunCompileSequence(const ProjectState& state, const CompileSetup& setup,
                                 ProcessRunner& runner, const CompileStatus& status);

// The journal a compile keeps in the state folder while it changes the
// game: every folder it makes, every earlier file it moves aside, every file
// it installs and the edit of the settings file, each written to the disk
// before the change is made.
inline constexpr std::string_view kCompileJournalName = "compile-journal.txt";

// A compile cut short (the program killed while the compiler ran) left its
// journal: take every change back, newest first, so the game is as it was
// before that compile (the settings file only while it still holds that
// compile's edit), then drop the journal. Cut short itself, it does the same
// again next time. Empty when there was nothing to do or all is well again;
// otherwise what the user must know (Windows-1252, CR lines), and the journal
// stays for another try.
std::string RepairInterruptedCompile(const Places& places, const RenameFile& rename = {});

}  // namespace voxmire
