// How long the work area's core takes for its largest jobs: "Create Rows..."
// with the biggest count the dialog allows, and the script for the biggest
// tables the game accepts.
#include <benchmark/benchmark.h>

#include <string>

#include "LargestPack.h"
#include "game/SoundLengths.h"
#include "output/DefaultProperties.h"
#include "output/ScriptTemplate.h"
#include "project/ScriptHead.h"
#include "workarea/PhraseTable.h"

namespace voxmire {
namespace {

void BM_CreateMaxRows(benchmark::State& state) {
  for (auto _ : state) {
    PhraseTable table;
    table.CreateRows(PhraseTable::kMaxRows);
    benchmark::DoNotOptimize(table.Count());
  }
}
BENCHMARK(BM_CreateMaxRows)->Unit(benchmark::kMillisecond);

// All four tables at the most rows any page allows, as the page keeps them.
void BM_CreateMaxRowsAllTables(benchmark::State& state) {
  for (auto _ : state) {
    WorkAreaTables tables;
    for (PhraseTable* table : {&tables.Acks, &tables.FFire, &tables.Taunts, &tables.Others}) {
      table->CreateRows(PhraseTable::kMaxRows);
    }
    benchmark::DoNotOptimize(tables.Others.Count());
  }
}
BENCHMARK(BM_CreateMaxRowsAllTables)->Unit(benchmark::kMillisecond);

// "Generate" on the largest pack: the times of its own recordings measured
// from their files, as every press measures them afresh.
void BM_GenerateLargestScript(benchmark::State& state) {
  const bench::LargestPack pack(VOXMIRE_DATA_DIR);
  const std::string head = *PackScriptHead(Places::InOneFolder(pack.programDir), pack.state);
  const VoiceDefaults& base = BaseDefaults(ParentClassOf(head));
  const std::tm now = LocalNow();
  for (auto _ : state) {
    GameSoundLengths lengths(pack.state, Places::InOneFolder(pack.programDir), {}, head);
    DefaultPropertiesBlock block =
        BuildDefaultProperties(pack.state.Tables, pack.state, now, base, lengths);
    if (!block.Ok() || block.Text.find("AckTime(15)=") == std::string::npos) {
      state.SkipWithError("the script lacks the acknowledgements' times");
      break;
    }
    benchmark::DoNotOptimize(block.Text.data());
  }
}
BENCHMARK(BM_GenerateLargestScript)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace voxmire
