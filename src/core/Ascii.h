#pragma once
// Letter case as the game and the settings files ignore it: ASCII letters
// only, so that Windows-1252 bytes above 0x7F are never changed.
#include <string_view>

namespace voxmire {

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `a` and `b` equal but for ASCII letter case, as the game compares names.
constexpr bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace voxmire
