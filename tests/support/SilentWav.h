#pragma once
// A silent recording as the game imports one: 16-bit mono PCM, for the
// tests of times that follow their sounds' lengths.
#include <cstdint>
#include <string>

namespace voxmire::testing {

inline std::string SilentWav(std::uint32_t frames, std::uint32_t rate = 22050) {
  const auto le = [](std::uint32_t v, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
  };
  const std::string body = "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(rate, 4) +
                           le(rate * 2, 4) + le(2, 2) + le(16, 2) + "data" + le(frames * 2, 4) +
                           std::string(frames * 2, '\0');
  return "RIFF" + le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// `seconds` of silence at 22050 Hz.
inline std::string SilentWavSeconds(double seconds) {
  return SilentWav(static_cast<std::uint32_t>(seconds * 22050));
}

}  // namespace voxmire::testing
