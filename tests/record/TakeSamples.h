#pragma once
// Takes made up for the tests: silence and tones at 48 kHz, as the input
// hands them over.
#include <cmath>
#include <cstdint>
#include <vector>

namespace voxmire::testing {

// `seconds` of a 440 Hz tone at `db` dBFS (peak), or of silence for db <= -200.
inline void AppendTone(std::vector<std::int16_t>& samples, double seconds, double db) {
  const auto count = static_cast<std::size_t>(std::lround(seconds * 48000));
  const double amplitude = db <= -200 ? 0.0 : 32767.0 * std::pow(10.0, db / 20.0);
  for (std::size_t i = 0; i < count; ++i) {
    samples.push_back(static_cast<std::int16_t>(
        std::lround(amplitude * std::sin(2 * M_PI * 440.0 * static_cast<double>(i) / 48000))));
  }
}

inline void AppendSilence(std::vector<std::int16_t>& samples, double seconds) {
  AppendTone(samples, seconds, -1000);
}

}  // namespace voxmire::testing
