#pragma once
// Splits one fuzzer input into several texts: parts are separated by a 0xFF
// byte, so the corpus can stay readable text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace voxmire::fuzz {

inline std::vector<std::string> Parts(const std::uint8_t* data, std::size_t size, std::size_t count) {
  std::vector<std::string> parts(count);
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  for (std::size_t i = 0; i + 1 < count; ++i) {
    const auto cut = rest.find('\xFF');
    if (cut == std::string_view::npos) {
      parts[i] = std::string(rest);
      return parts;
    }
    parts[i] = std::string(rest.substr(0, cut));
    rest.remove_prefix(cut + 1);
  }
  parts[count - 1] = std::string(rest);
  return parts;
}

}  // namespace voxmire::fuzz
