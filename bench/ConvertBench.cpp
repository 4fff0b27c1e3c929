// A batch as people bring it from an audio editor: 100 recordings of 5 s,
// 48 kHz stereo 24-bit, converted for the game on every core. The budget
// is 3 s on a 2-core machine.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "sounds/Convert.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

class Batch {
 public:
  Batch() {
    std::string pattern = (fs::temp_directory_path() / "voxmire-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern;
    fs::create_directories(root_ / "pack");
    const fs::path first = root_ / "take0.wav";
    const std::string command = "sox -q -n -r 48000 -c 2 -b 24 '" + first.string() +
                                "' synth 5 pinknoise vol 0.3 2>/dev/null";
    if (std::system(command.c_str()) != 0) return;
    for (int i = 0; i < 100; ++i) {
      const fs::path source = root_ / ("take" + std::to_string(i) + ".wav");
      if (i > 0) fs::copy_file(first, source);
      jobs_.push_back({source, root_ / "pack" / ("take" + std::to_string(i) + ".wav")});
    }
  }
  ~Batch() {
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
  }
  const std::vector<SoundJob>& Jobs() const { return jobs_; }

 private:
  fs::path root_;
  std::vector<SoundJob> jobs_;
};

void BM_ConvertHundredRecordings(benchmark::State& state) {
  Batch batch;
  if (batch.Jobs().size() != 100) {
    state.SkipWithError("sox could not make the recordings");
    return;
  }
  const std::atomic<bool> cancel{false};
  const ConvertOptions options{state.range(0) != 0, state.range(0) != 0};
  for (auto _ : state) {
    const auto results =
        PrepareSounds(batch.Jobs(), options, std::thread::hardware_concurrency(), cancel);
    for (const PrepareResult& r : results) {
      if (r.outcome != PrepareOutcome::Converted) state.SkipWithError(r.reason.c_str());
    }
  }
}
// 0: converted only; 1: with loudness and silence trimming too.
BENCHMARK(BM_ConvertHundredRecordings)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
}  // namespace voxmire
