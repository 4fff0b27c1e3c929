// How long the work area's core takes for its largest jobs: "Create Rows..."
// with the biggest count the dialog allows, and the script for the biggest
// tables the game accepts.
#include <benchmark/benchmark.h>

#include <string>

#include "output/DefaultProperties.h"
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

void Fill(PhraseTable& table, int rows, const std::string& name) {
  table.CreateRows(rows);
  for (int k = 1; k <= rows; ++k) {
    std::string n = std::to_string(k);
    table.SetCell(k, PhraseCell::Sound, "Sound'Male1Voice.(All)." + name + n + "'");
    table.SetCell(k, PhraseCell::String, "A typical phrase \\ of moderate length, " + n);
    table.SetCell(k, PhraseCell::Abbrev, "Abbreviation " + n);
  }
}

void BM_GenerateLargestScript(benchmark::State& state) {
  WorkAreaTables tables;
  Fill(tables.Acks, kMaxAcks, "ack");
  Fill(tables.FFire, kMaxFFires, "ff");
  Fill(tables.Taunts, kMaxTaunts, "taunt");
  Fill(tables.Others, kMaxOthers, "other");
  for (PhraseRow& order : tables.Orders) {
    order = {"Sound'Male1Voice.(All).M1defend'", "Defend the base.", "Defend"};
  }
  tables.Names.fill("Sound'Male1Voice.(All).M1redleader'");
  ProjectState project;
  project.VoicePackName = "Bench";
  const std::tm now = LocalNow();
  for (auto _ : state) {
    DefaultPropertiesBlock block = BuildDefaultProperties(tables, project, now);
    benchmark::DoNotOptimize(block.Text.data());
  }
}
BENCHMARK(BM_GenerateLargestScript)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace voxmire
