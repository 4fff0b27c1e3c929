#include "sounds/SoundList.h"

#include <algorithm>
#include <system_error>

#include "core/Ascii.h"
#include "core/Files.h"
#include "core/Text1252.h"

namespace voxmire {
namespace {

constexpr std::string_view kWavExtension = ".wav";

// Lower case of one Windows-1252 byte: ASCII, the Latin-1 capitals (but the
// multiplication sign) and the four capitals the code page adds at 0x8A-0x9F.
unsigned char FoldCp1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A:  // Š
    case 0x8C:  // Œ
    case 0x8E:  // Ž
      return static_cast<unsigned char>(c + 0x10);
    case 0x9F:  // Ÿ
      return 0xFF;
    default:
      return c;
  }
}

std::size_t FindIgnoringAsciiCase(std::string_view text, std::string_view word) {
  if (word.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < word.size() && AsciiLower(text[i + k]) == AsciiLower(word[k])) ++k;
    if (k == word.size()) return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::string SoundName(std::string_view fileName) {
  return std::string(fileName.substr(0, FindIgnoringAsciiCase(fileName, kWavExtension)));
}

bool IsWavFileName(std::string_view fileName) {
  if (fileName.size() < kWavExtension.size()) return false;
  return FindIgnoringAsciiCase(fileName.substr(fileName.size() - kWavExtension.size()),
                               kWavExtension) == 0;
}

bool IsUsableSoundFileName(std::string_view fileName) {
  return fileName.find_first_of("\"\r\n") == std::string_view::npos;
}

bool SoundNameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return FoldCp1252(static_cast<unsigned char>(x)) < FoldCp1252(static_cast<unsigned char>(y));
  });
}

std::size_t InsertSorted(std::vector<std::string>& list, std::string name) {
  const auto at = std::upper_bound(
      list.begin(), list.end(), name,
      [](const std::string& x, const std::string& y) { return SoundNameLess(x, y); });
  const auto inserted = list.insert(at, std::move(name));
  return static_cast<std::size_t>(inserted - list.begin());
}

std::string FormatSoundList(const std::vector<std::string>& names) {
  std::string bytes;
  const std::string* previous = nullptr;
  for (const std::string& name : names) {
    if (previous != nullptr && *previous == name) continue;
    bytes += name;
    bytes += "\r\n";
    previous = &name;
  }
  return bytes;
}

std::filesystem::path SoundListPath(const Places& places) {
  return Join(places.state, kSoundListFileName);
}

bool WriteSoundList(const Places& places, const std::vector<std::string>& names) {
  return WriteFileAtomic(SoundListPath(places), FormatSoundList(names));
}

std::vector<std::string> ReadTextLines(const std::filesystem::path& path) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return {};
  return SplitLines(*bytes);
}

std::string SoundFileText(std::string_view soundDir, std::string_view soundName) {
  std::string text(soundDir);
  text += soundName;
  text += kWavExtension;
  return text;
}

}  // namespace voxmire
