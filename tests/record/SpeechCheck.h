#pragma once
// Is a recording the speech that was played? The same length once trimmed,
// and the same words: the loudness envelopes (RMS over 10 ms) correlate.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

#include "sounds/AudioSamples.h"
#include "sounds/Convert.h"

namespace voxmire::testing {

// The loudness of every 10 ms of the sound.
inline std::vector<double> Envelope(const std::vector<float>& samples, int rate) {
  const auto step = static_cast<std::size_t>(rate / 100);
  std::vector<double> out;
  for (std::size_t at = 0; at + step <= samples.size(); at += step) {
    double sum = 0.0;
    for (std::size_t i = at; i < at + step; ++i) sum += samples[i] * samples[i];
    out.push_back(std::sqrt(sum / static_cast<double>(step)));
  }
  return out;
}

// The best correlation of the two envelopes, either shifted by up to 300 ms.
inline double EnvelopeCorrelation(const std::vector<double>& a, const std::vector<double>& b) {
  double best = -1.0;
  for (int shift = -30; shift <= 30; ++shift) {
    std::vector<double> x, y;
    for (std::size_t i = 0; i < a.size(); ++i) {
      const long j = static_cast<long>(i) + shift;
      if (j < 0 || j >= static_cast<long>(b.size())) continue;
      x.push_back(a[i]);
      y.push_back(b[static_cast<std::size_t>(j)]);
    }
    if (x.size() < 20) continue;
    const auto mean = [](const std::vector<double>& v) {
      double s = 0;
      for (double d : v) s += d;
      return s / static_cast<double>(v.size());
    };
    const double mx = mean(x), my = mean(y);
    double sxy = 0, sxx = 0, syy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      sxy += (x[i] - mx) * (y[i] - my);
      sxx += (x[i] - mx) * (x[i] - mx);
      syy += (y[i] - my) * (y[i] - my);
    }
    if (sxx > 0 && syy > 0) best = std::max(best, sxy / std::sqrt(sxx * syy));
  }
  return best;
}

// The sound as the program trims it (at 22050 Hz), for the spoken original.
inline std::optional<Audio> Trimmed(const std::filesystem::path& source,
                                    const std::filesystem::path& scratch) {
  const PrepareResult made = PrepareSound(source, scratch, ConvertOptions{false, true});
  if (made.outcome != PrepareOutcome::Converted) return std::nullopt;
  return ReadAudio(scratch);
}

}  // namespace voxmire::testing
