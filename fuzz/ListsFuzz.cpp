// The sound list and the library readers: whatever the bytes of a list file,
// reading gives one entry per line, writing the names back and reading them
// again gives the same names less adjacent repeats.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FuzzInput.h"
#include "core/Files.h"
#include "project/ProjectState.h"
#include "sounds/Library.h"
#include "sounds/SoundList.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = voxmire::fuzz::Parts(data, size, 3);
  static const fs::path dir =
      fs::temp_directory_path() / ("voxmire-fuzz-lists-" + std::to_string(getpid()));
  fs::create_directories(dir / "Lib");
  static const auto places = voxmire::Places::InOneFolder(dir);

  std::ofstream(voxmire::SoundListPath(places), std::ios::binary | std::ios::trunc) << parts[0];
  std::ofstream(dir / "Lib" / "Boss.vpl", std::ios::binary | std::ios::trunc) << parts[1];

  const auto lines = voxmire::ReadTextLines(voxmire::SoundListPath(places));
  if (lines != voxmire::SplitLines(parts[0])) std::abort();

  voxmire::ProjectState state;
  state.VoicePackName = parts[2].substr(0, 15);  // the name field holds 15 characters
  state.SoundDir = "/sounds/";
  for (const std::string& choice : voxmire::LibraryChoices(state)) {
    if (const auto entries = voxmire::EntriesForChoice(choice, state, places)) {
      for (const std::string& entry : *entries) {
        if (entry.rfind("Sound'", 0) != 0 || entry.back() != '\'') std::abort();
        (void)voxmire::OwnSoundPath(entry, state, places);
      }
    }
  }

  // Lines holding a CR or LF can't come out of a line reader, so the list
  // written from them reads back as the same names less adjacent repeats.
  const std::string bytes = voxmire::FormatSoundList(lines);
  std::vector<std::string> expected;
  for (const std::string& line : lines) {
    if (expected.empty() || expected.back() != line) expected.push_back(line);
  }
  if (voxmire::SplitLines(bytes) != expected) std::abort();
  return 0;
}
