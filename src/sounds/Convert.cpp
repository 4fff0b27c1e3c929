#include "sounds/Convert.h"

#include <ebur128.h>
#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <variant>

#include "core/Files.h"
#include "sounds/WavInfo.h"

namespace voxmire {
namespace fs = std::filesystem;

namespace {

constexpr int kGameRate = 22050;
constexpr double kLoudnessTarget = -16.0;    // LUFS
constexpr double kTruePeakCeiling = -1.0;    // dBTP
constexpr double kSilenceThreshold = -50.0;  // dBFS
constexpr double kSilenceKept = 0.020;       // seconds on either side
// Voice lines last seconds; an hour-long file would only eat the memory.
constexpr double kMaxSeconds = 600.0;
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 384000;
constexpr double kMaxFrames = 1 << 25;
constexpr sf_count_t kBlockFrames = 8192;

double FromDecibels(double db) { return std::pow(10.0, db / 20.0); }

struct Decoded {
  int rate = 0;
  std::vector<float> mono;
};

struct SndFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFile = std::unique_ptr<SNDFILE, SndFileCloser>;

struct EburDestroyer {
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using EburState = std::unique_ptr<ebur128_state, EburDestroyer>;

std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// True for a RIFF/WAVE file whose sample data ends before its header says.
// The decoder quietly plays what is there, but a cut-off recording is not
// something to put in a pack unnoticed.
bool WavDataCutShort(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  std::array<unsigned char, 12> head{};
  if (ec || !in.read(reinterpret_cast<char*>(head.data()), head.size()) ||
      std::memcmp(head.data(), "RIFF", 4) != 0 || std::memcmp(head.data() + 8, "WAVE", 4) != 0) {
    return false;
  }
  std::uintmax_t offset = 12;
  for (int chunks = 0; chunks < 4096 && offset + 8 <= size; ++chunks) {
    std::array<unsigned char, 8> chunk{};
    in.seekg(static_cast<std::streamoff>(offset));
    if (!in.read(reinterpret_cast<char*>(chunk.data()), chunk.size())) return false;
    const std::uint32_t chunkSize = U32(chunk.data() + 4);
    const std::uintmax_t body = offset + 8;
    if (std::memcmp(chunk.data(), "data", 4) == 0) return chunkSize > size - body;
    offset = body + chunkSize + (chunkSize & 1u);
  }
  return false;
}

// The library's message as a phrase: "Flac decoder lost sync." gives
// "flac decoder lost sync".
std::string Phrase(const char* message) {
  std::string text = message != nullptr ? message : "unknown error";
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  if (!text.empty() && text.front() >= 'A' && text.front() <= 'Z') {
    text.front() = static_cast<char>(text.front() - 'A' + 'a');
  }
  return text;
}

bool Readable(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

// The whole recording as one channel (the average of its channels), or
// why it can't be used.
std::variant<Decoded, std::string> Decode(const fs::path& path) {
  if (!Readable(path)) return std::string("can't be read");
  if (WavDataCutShort(path))
    return std::string("cut short (its sound ends before its header says)");

  SF_INFO info{};
  SndFile file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) return std::string("not a sound file this program can read");
  if (info.channels <= 0 || info.samplerate <= 0) return std::string("not a sound file");
  // No recorder works at a handful of samples a second (or millions), and
  // resampling such a file would take minutes: a damaged header, most likely.
  if (info.samplerate < kLowestRate || info.samplerate > kHighestRate) {
    return "recorded at " + std::to_string(info.samplerate) + " Hz, a rate no recording uses";
  }

  const auto channels = static_cast<std::size_t>(info.channels);
  // Ten minutes, but never more samples than fit comfortably in memory.
  const double maxFrames = std::min(kMaxSeconds * info.samplerate, kMaxFrames);
  Decoded decoded;
  decoded.rate = info.samplerate;
  std::vector<float> block(static_cast<std::size_t>(kBlockFrames) * channels);
  for (;;) {
    const sf_count_t got = sf_readf_float(file.get(), block.data(), kBlockFrames);
    if (got <= 0) break;
    for (sf_count_t f = 0; f < got; ++f) {
      const float* frame = block.data() + static_cast<std::size_t>(f) * channels;
      float sum = 0.0F;
      for (std::size_t c = 0; c < channels; ++c) sum += frame[c];
      decoded.mono.push_back(sum / static_cast<float>(channels));
    }
    if (static_cast<double>(decoded.mono.size()) > maxFrames) {
      return std::string("longer than ") + std::to_string(static_cast<int>(kMaxSeconds / 60)) +
             " minutes";
    }
  }
  if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
    return "damaged (" + Phrase(sf_strerror(file.get())) + ")";
  }
  // Compressed formats know their length up front; coming up short means
  // the file was cut off. MP3 lengths may be off by a frame or two.
  const auto decodedFrames = static_cast<sf_count_t>(decoded.mono.size());
  if (info.frames > 0 && info.frames != SF_COUNT_MAX &&
      decodedFrames + std::max<sf_count_t>(info.frames / 100, 2304) < info.frames) {
    return std::string("cut short (its sound ends before its header says)");
  }
  if (decoded.mono.empty()) return std::string("holds no sound (zero frames)");
  return decoded;
}

std::variant<std::vector<float>, std::string> Resample(const std::vector<float>& in, int rate) {
  if (rate == kGameRate) return in;
  const double ratio = static_cast<double>(kGameRate) / rate;
  std::vector<float> out(static_cast<std::size_t>(std::llround(in.size() * ratio)) + 1);
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  // Files are converted side by side already; one thread each is enough.
  const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
  std::size_t used = 0;
  std::size_t made = 0;
  const soxr_error_t error = soxr_oneshot(rate, kGameRate, 1, in.data(), in.size(), &used,
                                          out.data(), out.size(), &made, &io, &quality, &runtime);
  if (error != nullptr) return "can't be resampled (" + Phrase(error) + ")";
  out.resize(made);
  return out;
}

void TrimSilence(std::vector<float>& samples) {
  const auto threshold = static_cast<float>(FromDecibels(kSilenceThreshold));
  const auto loud = [threshold](float s) { return std::fabs(s) >= threshold; };
  const auto first = std::find_if(samples.begin(), samples.end(), loud);
  // Nothing but silence: keep it rather than leave nothing at all.
  if (first == samples.end()) return;
  const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
  const auto kept = static_cast<std::ptrdiff_t>(std::lround(kSilenceKept * kGameRate));
  const std::ptrdiff_t begin = std::max<std::ptrdiff_t>(0, (first - samples.begin()) - kept);
  const std::ptrdiff_t end = std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(samples.size()),
                                                      (last - samples.begin()) + kept);
  samples.erase(samples.begin() + end, samples.end());
  samples.erase(samples.begin(), samples.begin() + begin);
}

struct Measure {
  double loudness = 0.0;  // LUFS; -inf when too short or silent
  double truePeak = 0.0;  // linear
};

std::optional<Measure> Measured(const std::vector<float>& samples) {
  EburState state(ebur128_init(1, kGameRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
  Measure m;
  if (!state ||
      ebur128_add_frames_float(state.get(), samples.data(), samples.size()) != EBUR128_SUCCESS ||
      ebur128_loudness_global(state.get(), &m.loudness) != EBUR128_SUCCESS ||
      ebur128_true_peak(state.get(), 0, &m.truePeak) != EBUR128_SUCCESS) {
    return std::nullopt;
  }
  return m;
}

// For each sample, the smallest value within `radius` samples of it.
std::vector<float> WindowMinimum(const std::vector<float>& values, std::size_t radius) {
  std::vector<float> out(values.size());
  std::deque<std::size_t> window;  // indexes of rising values
  std::size_t added = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    for (; added < values.size() && added <= i + radius; ++added) {
      while (!window.empty() && values[window.back()] >= values[added]) window.pop_back();
      window.push_back(added);
    }
    while (window.front() + radius < i) window.pop_front();
    out[i] = values[window.front()];
  }
  return out;
}

// `gain` applied, with the samples that would pass `ceiling` turned down.
// The turn-down is held over a few milliseconds either side and smoothed,
// so that the limiting doesn't crackle.
std::vector<float> LimitedGain(const std::vector<float>& samples, double gain, double ceiling) {
  const auto radius = static_cast<std::size_t>(kGameRate / 100);  // 10 ms
  std::vector<float> needed(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double level = std::fabs(samples[i]) * gain;
    needed[i] = level > ceiling ? static_cast<float>(ceiling / level) : 1.0F;
  }
  const std::vector<float> held = WindowMinimum(needed, radius);
  // A moving average no wider than the hold never rises above what any
  // sample inside it needs.
  const std::size_t half = radius / 2;
  std::vector<float> out(samples.size());
  double sum = 0.0;
  std::size_t from = 0;
  std::size_t to = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::size_t begin = i >= half ? i - half : 0;
    const std::size_t end = std::min(samples.size(), i + half + 1);
    for (; to < end; ++to) sum += held[to];
    for (; from < begin; ++from) sum -= held[from];
    out[i] = static_cast<float>(samples[i] * gain * (sum / static_cast<double>(end - begin)));
  }
  return out;
}

void EvenOutLoudness(std::vector<float>& samples) {
  const auto first = Measured(samples);
  // Shorter than one 400 ms block, or silent: there is no loudness to
  // match.
  if (!first || !std::isfinite(first->loudness) || first->truePeak <= 0.0) return;
  // Peaks between samples pass the sample peaks a little: limit below the
  // ceiling, then settle the rest with one last turn-down.
  const double ceiling = FromDecibels(kTruePeakCeiling);
  const double sampleCeiling = FromDecibels(kTruePeakCeiling - 0.5);
  double gainDb = kLoudnessTarget - first->loudness;
  std::vector<float> result;
  Measure m = *first;
  // Limiting takes some loudness away: aim again, a few times at most.
  for (int round = 0; round < 6; ++round) {
    result = LimitedGain(samples, FromDecibels(gainDb), sampleCeiling);
    const auto now = Measured(result);
    if (!now || !std::isfinite(now->loudness)) break;
    m = *now;
    const double miss = kLoudnessTarget - m.loudness;
    if (std::fabs(miss) < 0.1) break;
    gainDb += miss;
  }
  if (result.empty()) return;
  if (m.truePeak > ceiling) {
    const auto down = static_cast<float>(ceiling / m.truePeak);
    for (float& s : result) s *= down;
  }
  samples = std::move(result);
}

// 16-bit samples with triangular dither, so that quiet passages fade into
// a faint hiss rather than into distortion. A fixed seed keeps conversions
// repeatable.
std::vector<std::int16_t> Quantize(const std::vector<float>& samples) {
  std::uint32_t seed = 0x9E3779B9u;
  const auto uniform = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return static_cast<double>(seed) / 4294967296.0;
  };
  std::vector<std::int16_t> out(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double dither = uniform() - uniform();
    const double value = std::nearbyint(static_cast<double>(samples[i]) * 32767.0 + dither);
    out[i] = static_cast<std::int16_t>(std::clamp(value, -32768.0, 32767.0));
  }
  return out;
}

void PutU16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

PrepareResult Refused(std::string reason) { return {PrepareOutcome::Refused, std::move(reason)}; }

PrepareResult Write(const fs::path& target, std::string_view bytes, PrepareOutcome outcome) {
  std::error_code ec;
  if (!WriteFileAtomic(target, bytes, ec)) {
    return {PrepareOutcome::WriteFailed,
            "can't be written to " + PathText(target.parent_path()) + " (" + ec.message() + ")"};
  }
  return {outcome, {}};
}

// An importable file still has to hold sound, and all of it.
PrepareResult CopyAsItIs(const fs::path& source, const fs::path& target) {
  if (WavDataCutShort(source)) return Refused("cut short (its sound ends before its header says)");
  SF_INFO info{};
  SndFile file(sf_open(source.c_str(), SFM_READ, &info));
  if (!file) return Refused("not a sound file this program can read");
  if (info.frames <= 0) return Refused("holds no sound (zero frames)");
  file.reset();
  const auto bytes = ReadFileBytes(source);
  if (!bytes) return Refused("can't be read");
  return Write(target, *bytes, PrepareOutcome::Copied);
}

PrepareResult Convert(const fs::path& source, const fs::path& target,
                      const ConvertOptions& options) {
  auto decoded = Decode(source);
  if (auto* reason = std::get_if<std::string>(&decoded)) return Refused(std::move(*reason));
  Decoded& sound = std::get<Decoded>(decoded);
  auto resampled = Resample(sound.mono, sound.rate);
  if (auto* reason = std::get_if<std::string>(&resampled)) return Refused(std::move(*reason));
  std::vector<float>& samples = std::get<std::vector<float>>(resampled);
  if (samples.empty()) return Refused("holds no sound (zero frames)");
  if (options.trimSilence) TrimSilence(samples);
  if (options.evenLoudness) EvenOutLoudness(samples);
  return Write(target, MonoWavBytes(Quantize(samples), kGameRate), PrepareOutcome::Converted);
}

}  // namespace

std::string MonoWavBytes(std::span<const std::int16_t> samples, int rate) {
  const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
  const auto byteRate = static_cast<std::uint32_t>(rate) * 2;
  std::string out;
  out.reserve(44 + dataSize);
  out += "RIFF";
  PutU32(out, 36 + dataSize);
  out += "WAVEfmt ";
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, 1);  // mono
  PutU32(out, static_cast<std::uint32_t>(rate));
  PutU32(out, byteRate);
  PutU16(out, 2);
  PutU16(out, 16);
  out += "data";
  PutU32(out, dataSize);
  const std::size_t head = out.size();
  out.resize(head + dataSize);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto v = static_cast<std::uint16_t>(samples[i]);
    out[head + 2 * i] = static_cast<char>(v & 0xFF);
    out[head + 2 * i + 1] = static_cast<char>(v >> 8);
  }
  return out;
}

PrepareResult PrepareSound(const fs::path& source, const fs::path& target,
                           const ConvertOptions& options) {
  const bool processing = options.evenLoudness || options.trimSilence;
  if (!processing && InspectWavFile(source).kind == WavVerdictKind::Importable) {
    return CopyAsItIs(source, target);
  }
  return Convert(source, target, options);
}

std::vector<PrepareResult> PrepareSounds(const std::vector<SoundJob>& jobs,
                                         const ConvertOptions& options, unsigned threads,
                                         const std::atomic<bool>& cancel,
                                         std::atomic<std::size_t>* done) {
  std::vector<PrepareResult> results(jobs.size(), {PrepareOutcome::Cancelled, {}});
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (;;) {
      const std::size_t i = next.fetch_add(1);
      if (i >= jobs.size() || cancel.load()) return;
      try {
        results[i] = PrepareSound(jobs[i].source, jobs[i].target, options);
      } catch (const std::exception& e) {
        results[i] = Refused(std::string("could not be converted (") + e.what() + ")");
      }
      if (done != nullptr) done->fetch_add(1);
    }
  };
  const std::size_t count =
      std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(jobs.size(), 1));
  std::vector<std::thread> workers;
  try {
    for (std::size_t t = 1; t < count; ++t) workers.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads to be had: the ones running share the work.
  }
  work();
  for (std::thread& worker : workers) worker.join();
  return results;
}

}  // namespace voxmire
