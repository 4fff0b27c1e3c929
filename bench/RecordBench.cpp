// The recording window's budgets on a 2-core machine: from Stop to the row
// filled (the take written, trimmed, levelled, converted and saved as the
// pack's sound, the row set and the project file saved) for a 5 s take at
// 48 kHz, at most 150 ms; and the level meter's work on one audio buffer,
// under 0.1 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <vector>

#include "project/ProjectFile.h"
#include "record/TakeRecorder.h"
#include "record/Takes.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

// Half a second of room noise either side of four seconds of something
// voice-like: noise whose loudness rises and falls four times a second.
std::vector<std::int16_t> FiveSecondTake() {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 1.0);
  std::vector<std::int16_t> take;
  const int rate = TakeRecorder::kRate;
  for (int i = 0; i < 5 * rate; ++i) {
    const double t = static_cast<double>(i) / rate;
    const bool speaking = t >= 0.5 && t < 4.5;
    const double level = speaking ? 3000.0 * (0.6 + 0.4 * std::sin(2 * M_PI * 4 * t)) : 3.0;
    take.push_back(static_cast<std::int16_t>(std::clamp(level * noise(random), -32768.0, 32767.0)));
  }
  return take;
}

class Folder {
 public:
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "voxmire-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~Folder() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
  }
  fs::path path;
};

void BM_TakeToRow(benchmark::State& state) {
  Folder program;
  ProjectState project;
  project.VoicePackName = "MyPack";
  project.Tables.Acks.CreateRows(16);
  project.Tables.Acks.SetCell(1, PhraseCell::String, "Got it");
  const RecordLine line = RecordLines(project.Tables).front();
  const Places places = Places::InOneFolder(program.path);
  ProjectStore store(places);
  const std::vector<std::int16_t> take = FiveSecondTake();
  const bool level = state.range(0) != 0;
  for (auto _ : state) {
    const TakeResult result = KeepTake(project, places, line, take, level);
    if (!result.Ok) state.SkipWithError(result.Problem.c_str());
    if (store.Save(project) == ProjectStore::Outcome::Failed || !store.Flush()) {
      state.SkipWithError(store.Problem().c_str());
    }
  }
}
// 0: trimmed and converted; 1: levelled too ("Even out loudness").
BENCHMARK(BM_TakeToRow)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();

void BM_LevelMeterBuffer(benchmark::State& state) {
  // A buffer as the sound server hands it over: 50 ms, or twice that.
  const std::vector<std::int16_t> take = FiveSecondTake();
  const auto size = static_cast<std::size_t>(state.range(0));
  LevelMeter meter;
  std::size_t at = TakeRecorder::kRate;
  double now = 0.0;
  for (auto _ : state) {
    meter.Add(std::span(take).subspan(at, size), now);
    benchmark::DoNotOptimize(meter.Reading(now));
    at = at + 2 * size < take.size() ? at + size : TakeRecorder::kRate;
    now += 0.05;
  }
}
BENCHMARK(BM_LevelMeterBuffer)->Arg(2400)->Arg(4800)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace voxmire
