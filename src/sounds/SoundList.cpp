#include "sounds/SoundList.h"

#include <algorithm>
#include <system_error>

#include "core/Files.h"
#include "core/Text1252.h"

namespace voxmire {
namespace {

constexpr std::string_view kWavExtension = ".wav";

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

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

std::optional<std::string> CaseTwin(const std::vector<std::string>& list, std::string_view name) {
  for (const std::string& other : list) {
    if (other != name && !SoundNameLess(other, name) && !SoundNameLess(name, other)) return other;
  }
  return std::nullopt;
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

std::filesystem::path SoundListPath(const std::filesystem::path& programDir) {
  return Join(programDir, kSoundListFileName);
}

bool WriteSoundList(const std::filesystem::path& programDir,
                    const std::vector<std::string>& names) {
  return WriteFileAtomic(SoundListPath(programDir), FormatSoundList(names));
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

std::optional<std::vector<WavFileEntry>> ListWavFiles(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::directory_iterator it(dir, ec);
  if (ec) return std::nullopt;

  std::vector<WavFileEntry> files;
  for (const std::filesystem::directory_iterator end{}; it != end; it.increment(ec)) {
    const std::u8string u8 = it->path().filename().u8string();
    const std::string utf8(u8.begin(), u8.end());
    if (utf8.empty() || utf8.front() == '.' || !IsWavFileName(utf8)) continue;
    std::error_code typeEc;
    if (!it->is_regular_file(typeEc)) continue;  // follows links, as a file list does
    files.push_back({Utf8ToCp1252(utf8), FitsCp1252(utf8), it->path()});
  }
  if (ec) return std::nullopt;

  std::sort(files.begin(), files.end(), [](const WavFileEntry& x, const WavFileEntry& y) {
    if (SoundNameLess(x.name, y.name)) return true;
    if (SoundNameLess(y.name, x.name)) return false;
    return x.path.filename() < y.path.filename();  // a fixed order for names equal but for case
  });
  return files;
}

}  // namespace voxmire
