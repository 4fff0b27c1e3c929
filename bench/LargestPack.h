#pragma once
// The largest pack the game accepts (16 acknowledgements, 16 friendly fire
// cries, 32 taunts, 32 others, the 7 orders, 4 leaders), every phrase but
// the orders one of the pack's own recordings of about a second, in a
// program folder of its own. The orders are the base voice's stock sounds.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/Files.h"
#include "project/BaseVoices.h"
#include "project/ProjectState.h"
#include "sounds/PackSounds.h"
#include "workarea/BaseVoicePresets.h"

namespace voxmire::bench {

inline std::string SilentWav(std::uint32_t frames) {
  const auto le = [](std::uint32_t v, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
  };
  const std::string body = "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(22050, 4) +
                           le(44100, 4) + le(2, 2) + le(16, 2) + "data" + le(frames * 2, 4) +
                           std::string(frames * 2, '\0');
  return "RIFF" + le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

struct LargestPack {
  std::filesystem::path root;
  std::filesystem::path programDir;
  ProjectState state;

  explicit LargestPack(const std::filesystem::path& dataDir) {
    namespace fs = std::filesystem;
    root = fs::temp_directory_path() / ("voxmire-largest-" + std::to_string(::getpid()));
    programDir = root / "program";
    fs::create_directories(programDir);
    fs::copy_file(dataDir / "defaultscript.txt", programDir / "defaultscript.txt");
    state.VoicePackName = "Bench";
    fs::create_directories(PackSoundsDir(Places::InOneFolder(programDir), state.VoicePackName));
    ApplyBaseVoice(kBaseVoices[0], state);
    WorkAreaTables& t = state.Tables;
    int n = 0;
    const auto own = [&](const std::string& kind) {
      const std::string name = kind + std::to_string(++n);
      state.Sounds.push_back(name);
      WriteFileAtomic(PackSoundFile(Places::InOneFolder(programDir), state.VoicePackName, name),
                      SilentWav(static_cast<std::uint32_t>(20000 + 37 * n)));
      return "Sound'Bench.Bench." + name + "'";
    };
    for (auto [table, rows, kind] :
         {std::tuple{&t.Acks, 16, "ack"}, std::tuple{&t.FFire, 16, "ff"},
          std::tuple{&t.Taunts, 32, "taunt"}, std::tuple{&t.Others, 32, "other"}}) {
      table->CreateRows(rows);
      for (int k = 1; k <= rows; ++k) {
        const std::string number = std::to_string(k);
        table->SetCell(k, PhraseCell::Sound, own(kind));
        table->SetCell(k, PhraseCell::String, "A typical phrase \\ of moderate length, " + number);
        table->SetCell(k, PhraseCell::Abbrev, k % 2 ? "Abbreviation " + number : "");
        table->SetMature(k, k % 5 == 0);
      }
    }
    ProjectState presets;
    presets.BaseVoicePackage = "Male1Voice";
    LoadVoiceBaseSettings(presets, WorkAreaTab::Orders, t);
    for (std::string& name : t.Names) name = own("name");
  }
  ~LargestPack() { std::filesystem::remove_all(root); }
};

}  // namespace voxmire::bench
