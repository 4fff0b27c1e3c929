// How long "Generate" spends checking Sound cells: every reference of the
// largest pack the game accepts (16 acknowledgements, 16 friendly fire
// cries, 32 taunts, 32 others, 7 orders, 4 leaders) against a game whose
// Sounds folder holds 60 packages. Every iteration starts cold: the folders
// are listed and the packages read afresh, as on the first press.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Files.h"
#include "game/GameSounds.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

struct Game {
  fs::path root;
  ProjectState state;
  SoundCheckPlaces places;
  std::vector<std::string> references;

  Game() {
    root = fs::temp_directory_path() / ("voxmire-bench-" + std::to_string(::getpid()));
    const fs::path fixtures = fs::path(VOXMIRE_SHARED_DIR) / "ut99/packages";
    fs::create_directories(root / "ut/System");
    fs::create_directories(root / "ut/Sounds");
    fs::create_directories(root / "program");
    fs::copy_file(fs::path(VOXMIRE_SHARED_DIR) / "ut99/UnrealTournament-436.ini",
                  root / "ut/System/UnrealTournament.ini");
    // The five stock packages under their own names and 55 copies of them
    // under others: 60 packages of real size and layout.
    const std::vector<std::string> stock = {"Male1Voice", "Male2Voice", "Female1Voice",
                                            "Female2Voice", "BossVoice"};
    for (int i = 0; i < 60; ++i) {
      const std::string& source = stock[static_cast<std::size_t>(i) % stock.size()];
      const std::string name = i < 5 ? source : source + "Copy" + std::to_string(i);
      fs::copy_file(fixtures / (source + ".uax"), root / "ut/Sounds" / (name + ".uax"));
      if (i >= 5) references.push_back(name);
    }
    state.VoicePackName = "MyPack";
    state.UTDir = PathText(root / "ut");
    state.UTSystemDir = PathText(root / "ut/System");
    places.program = Places::InOneFolder(root / "program");
  }
  ~Game() { fs::remove_all(root); }
};

// Each cell names a sound near the end of a different package, so every
// referenced package is read and searched through.
WorkAreaTables LargestPack(const Game& game) {
  const auto last = [&](std::size_t i) {
    const std::string& package = game.references[i % game.references.size()];
    // The last sound of each stock package, so every search runs to the end.
    const std::string sound = package.starts_with("Male1")     ? "M1objectdestroy"
                              : package.starts_with("Male2")   ? "M2objectdestroy"
                              : package.starts_with("Female1") ? "F1suckitdown"
                              : package.starts_with("Female2") ? "F2abel"
                                                               : "Bbowdown";
    return "Sound'" + package + ".(All)." + sound + "'";
  };
  WorkAreaTables tables;
  std::size_t n = 0;
  for (auto [table, rows] : {std::pair{&tables.Acks, 16}, std::pair{&tables.FFire, 16},
                             std::pair{&tables.Taunts, 32}, std::pair{&tables.Others, 32}}) {
    table->CreateRows(rows);
    for (int k = 1; k <= rows; ++k) table->SetCell(k, PhraseCell::Sound, last(n++));
  }
  for (PhraseRow& order : tables.Orders) order.Sound = last(n++);
  for (std::string& name : tables.Names) name = last(n++);
  return tables;
}

void BM_CheckLargestPackCold(benchmark::State& state) {
  const Game game;
  const WorkAreaTables tables = LargestPack(game);
  if (!CheckSoundReferences(tables, game.state, game.places).empty()) {
    state.SkipWithError("a reference did not resolve");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(CheckSoundReferences(tables, game.state, game.places));
  }
}
BENCHMARK(BM_CheckLargestPackCold)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace voxmire
