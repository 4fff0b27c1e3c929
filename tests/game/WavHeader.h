#pragma once
// The format of a RIFF WAVE file, for checking sounds taken out of packages.
#include <cstdint>
#include <optional>
#include <string_view>

namespace voxmire::testing {

struct WavFormat {
  int Channels = 0;
  int Rate = 0;
  int Bits = 0;
  std::uint32_t Frames = 0;
  bool operator==(const WavFormat&) const = default;
};

inline std::uint32_t Le(std::string_view bytes, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i)
    v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return v;
}

// Nothing unless the bytes are a whole PCM WAVE file: every chunk inside
// the RIFF size, a fmt chunk before the data chunk.
inline std::optional<WavFormat> ParseWav(std::string_view bytes) {
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
    return std::nullopt;
  }
  if (Le(bytes, 4, 4) + 8 != bytes.size()) return std::nullopt;
  std::optional<WavFormat> format;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::string_view id = bytes.substr(at, 4);
    const std::uint32_t size = Le(bytes, at + 4, 4);
    if (size > bytes.size() - at - 8) return std::nullopt;
    if (id == "fmt " && size >= 16) {
      if (Le(bytes, at + 8, 2) != 1) return std::nullopt;  // PCM only
      format = WavFormat{static_cast<int>(Le(bytes, at + 10, 2)),
                         static_cast<int>(Le(bytes, at + 12, 4)),
                         static_cast<int>(Le(bytes, at + 22, 2)), 0};
    } else if (id == "data") {
      if (!format || format->Channels == 0 || format->Bits == 0) return std::nullopt;
      format->Frames = size / static_cast<std::uint32_t>(format->Channels * format->Bits / 8);
      return format;
    }
    at += 8 + size + (size & 1);
  }
  return std::nullopt;
}

}  // namespace voxmire::testing
