// How long the project file takes to save and load: the autosave runs while
// the user types, so the largest pack the game accepts must save in a blink,
// and even the largest tables the pages allow must save and load quickly.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "core/Files.h"
#include "project/ProjectFile.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

ProjectState Pack(int rows) {
  ProjectState state;
  state.VoicePackName = "Bench";
  state.UTDir = "/games/ut";
  DeriveGameFolders(state);
  state.BaseVoice = "Male1";
  for (PhraseTable* table :
       {&state.Tables.Acks, &state.Tables.FFire, &state.Tables.Taunts, &state.Tables.Others}) {
    table->CreateRows(rows);
    for (int k = 1; k <= rows; ++k) {
      const std::string n = std::to_string(k);
      table->SetCell(k, PhraseCell::Sound, "Sound'Male1Voice.(All).M1phrase" + n + "'");
      table->SetCell(k, PhraseCell::String, "A typical phrase of moderate length, number " + n);
      table->SetCell(k, PhraseCell::Abbrev, "Phrase " + n);
    }
  }
  return state;
}

// Into a fresh folder each time. `toDisk`: until the file is written and
// synced; else only what the user's typing waits for (the text, handed to
// the store's writer), with the write itself finished off the clock.
void SaveBench(benchmark::State& bench, const ProjectState& pack, bool toDisk) {
  const fs::path dir = fs::temp_directory_path() / "voxmire-project-bench";
  fs::remove_all(dir);
  ProjectStore store(Places::InOneFolder(dir));
  for (auto _ : bench) {
    if (store.Save(pack) != ProjectStore::Outcome::Saved) bench.SkipWithError("not saved");
    if (!toDisk) bench.PauseTiming();
    if (!store.Flush()) bench.SkipWithError("not written");
    store.Unbind();
    fs::remove(ProjectFilePath(Places::InOneFolder(dir), pack.VoicePackName));
    if (!toDisk) bench.ResumeTiming();
  }
  fs::remove_all(dir);
}

ProjectState LargestGamePack() {
  ProjectState pack = Pack(16);
  for (int k = 17; k <= 32; ++k) {  // 16/16/32/32
    pack.Tables.Taunts.AddRow();
    pack.Tables.Others.AddRow();
  }
  return pack;
}

void BM_SaveLargestGamePack(benchmark::State& bench) { SaveBench(bench, LargestGamePack(), false); }
BENCHMARK(BM_SaveLargestGamePack)->Unit(benchmark::kMillisecond);

void BM_SaveLargestGamePackToDisk(benchmark::State& bench) {
  SaveBench(bench, LargestGamePack(), true);
}
BENCHMARK(BM_SaveLargestGamePackToDisk)->Unit(benchmark::kMillisecond);

void BM_SaveMaxRows(benchmark::State& bench) {
  SaveBench(bench, Pack(PhraseTable::kMaxRows), true);
}
BENCHMARK(BM_SaveMaxRows)->Unit(benchmark::kMillisecond);

// What the GUI thread spends on an autosave of the largest tables the pages
// allow, one cell typed since the last: the file is written off the clock.
void BM_AutosaveMaxRows(benchmark::State& bench) {
  const fs::path dir = fs::temp_directory_path() / "voxmire-project-bench-autosave";
  fs::remove_all(dir);
  ProjectState pack = Pack(PhraseTable::kMaxRows);
  {
    ProjectStore store(Places::InOneFolder(dir));
    int typed = 0;
    for (auto _ : bench) {
      pack.Tables.Taunts.SetCell(1 + typed % PhraseTable::kMaxRows, PhraseCell::String,
                                 "Typed " + std::to_string(typed));
      ++typed;
      if (store.Save(pack) != ProjectStore::Outcome::Saved) bench.SkipWithError("not saved");
      bench.PauseTiming();
      if (!store.Flush()) bench.SkipWithError("not written");
      bench.ResumeTiming();
    }
  }
  fs::remove_all(dir);
}
// Each iteration also waits for a 15.6 MB file to be written and synced, off
// the clock: a fixed count keeps the run short.
BENCHMARK(BM_AutosaveMaxRows)->Unit(benchmark::kMillisecond)->Iterations(60);

void BM_LoadMaxRows(benchmark::State& bench) {
  const fs::path dir = fs::temp_directory_path() / "voxmire-project-bench-load";
  fs::remove_all(dir);
  {
    ProjectStore store(Places::InOneFolder(dir));
    store.Save(Pack(PhraseTable::kMaxRows));
  }
  const fs::path file = ProjectFilePath(Places::InOneFolder(dir), "Bench");
  for (auto _ : bench) {
    const ProjectRead read = ReadProjectFile(file);
    if (!read.state) bench.SkipWithError("not loaded");
    benchmark::DoNotOptimize(read.state->Tables.Others.Count());
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_LoadMaxRows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace voxmire
