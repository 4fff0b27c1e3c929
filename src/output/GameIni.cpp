#include "output/GameIni.h"

#include <algorithm>

namespace voxmire {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Position just past the first match of `needle`, ASCII case ignored.
std::string_view::size_type EndOfFirstMatch(std::string_view text, std::string_view needle) {
  const auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                              [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
  if (it == text.end()) return 0;
  return static_cast<std::string_view::size_type>(it - text.begin()) + needle.size();
}

}  // namespace

std::string InsertEditPackage(std::string_view text, std::string_view voicePackName) {
  const auto at = EndOfFirstMatch(text, "EditPackages=UTBrowser");
  std::string result;
  result.reserve(text.size() + voicePackName.size() + 20);
  result += text.substr(0, at);
  result += "\r\nEditPackages=";
  result += voicePackName;
  result += "\r\n";
  result += text.substr(at);
  result += "\r\n";
  return result;
}

bool IsUnrestoredEdit(std::string_view current, std::string_view original) {
  constexpr std::size_t kAdded = std::string_view("\r\nEditPackages=\r\n\r\n").size();
  if (current.size() <= original.size() + kAdded) return false;
  const std::size_t nameLength = current.size() - original.size() - kAdded;
  const auto at = EndOfFirstMatch(original, "EditPackages=UTBrowser");
  const std::string_view name =
      current.substr(at + std::string_view("\r\nEditPackages=").size(), nameLength);
  return InsertEditPackage(original, name) == current;
}

}  // namespace voxmire
