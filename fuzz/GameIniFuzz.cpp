// The temporary edit of the game's settings file: on arbitrary bytes the
// edit only inserts, and the compile sequence gives the original bytes back
// whatever the compiler does.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzInput.h"
#include "core/Files.h"
#include "output/CompileSequence.h"
#include "output/GameIni.h"
#include "output/RunAndWait.h"
#include "project/ProjectState.h"

namespace fs = std::filesystem;

namespace {

// A compiler that does nothing: the sequence must restore the settings file
// after it all the same.
class IdleRunner : public voxmire::ProcessRunner {
 public:
  voxmire::RunResult Run(const voxmire::RunRequest&) override {
    voxmire::RunResult result;
    result.outcome = voxmire::RunResult::Outcome::Exited;
    result.exitStatus = 0;
    result.output = "Success - 0 error(s), 0 warnings\n";
    return result;
  }
};

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string ini(reinterpret_cast<const char*>(data), size);

  // The edit keeps every byte of the original, in order, around the one
  // run it inserts (and the CR LF it adds at the end), and is recognised as
  // the program's own edit.
  const std::string edited = voxmire::InsertEditPackage(ini, "Fuzzed");
  if (edited.size() < ini.size() + 2 || edited.compare(edited.size() - 2, 2, "\r\n") != 0) {
    std::abort();
  }
  const std::string body = edited.substr(0, edited.size() - 2);
  std::size_t prefix = 0;
  while (prefix < ini.size() && body[prefix] == ini[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < ini.size() - prefix &&
         body[body.size() - 1 - suffix] == ini[ini.size() - 1 - suffix]) {
    ++suffix;
  }
  if (prefix + suffix != ini.size() || body.find("EditPackages=Fuzzed") == std::string::npos ||
      !voxmire::IsUnrestoredEdit(edited, ini)) {
    std::abort();
  }

  static const fs::path root =
      fs::temp_directory_path() / ("voxmire-fuzz-" + std::to_string(getpid()));
  fs::remove_all(root);
  const fs::path game = root / "game";
  const fs::path program = root / "program";
  Write(game / "System" / "UnrealTournament.ini", ini);
  Write(game / "System64" / "ucc-bin-amd64", "#!/bin/sh\n");
  fs::permissions(game / "System64" / "ucc-bin-amd64", fs::perms::owner_all);
  Write(program / "Fuzzed.uc", "class Fuzzed extends VoiceMaleOne;\r\n");
  Write(program / "Fuzzed.int", "[Public]\r\n");

  voxmire::ProjectState state;
  state.VoicePackName = "Fuzzed";
  state.UTDir = game.string();
  state.UTSystemDir = (game / "System").string();
  voxmire::CompileSetup setup = voxmire::DefaultCompileSetup(voxmire::Places::InOneFolder(program));
  setup.home = root / "home";
  setup.machineIs64Bit = true;
  IdleRunner runner;
  voxmire::RunCompileSequence(state, setup, runner, [](const std::string&) {});

  if (voxmire::ReadFileBytes(game / "System" / "UnrealTournament.ini") != ini) std::abort();
  return 0;
}
