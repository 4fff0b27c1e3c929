#include "sounds/PackSounds.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <system_error>

#include "core/Ascii.h"
#include "core/Files.h"
#include "core/Text1252.h"
#include "sounds/SoundList.h"

namespace voxmire {
namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 7> kSoundExtensions = {".wav",  ".mp3", ".ogg", ".oga",
                                                              ".flac", ".aif", ".aiff"};

// The game keeps names in fixed buffers of 64 bytes, the terminator included.
constexpr std::size_t kMaxNameLength = 63;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsNameChar(char c) { return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

// The extension when it is one of ours, else empty.
std::string_view SoundExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  const std::string_view ext = fileName.substr(dot);
  for (std::string_view known : kSoundExtensions) {
    if (EqualIgnoringAsciiCase(ext, known)) return ext;
  }
  return {};
}

// Reads one code point from UTF-8; an invalid byte reads as U+FFFD and
// takes one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  int length = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + static_cast<std::size_t>(length) > text.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k < length; ++k) {
    const unsigned char c = byte(i + static_cast<std::size_t>(k));
    if ((c & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  i += static_cast<std::size_t>(length);
  return cp;
}

// The letters of Latin-1 and Latin Extended-A without their accents; '?'
// marks the few that need more than one letter or have no base letter.
constexpr std::string_view kLatin1Base =
    "AAAAAA?CEEEEIIIIDNOOOOO?OUUUUY??aaaaaa?ceeeeiiiidnooooo?ouuuuy?y";
constexpr std::string_view kExtendedABase =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKkkLlLlLlLlLlNnNnNnnNnOoOo"
    "Oo??RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatin1Base.size() == 0x40 && kExtendedABase.size() == 0x80);

// The ASCII spelling of one letter, or empty when it has none.
std::string_view Unaccented(char32_t cp) {
  switch (cp) {
    case 0xC6:
      return "AE";
    case 0xE6:
      return "ae";
    case 0xDE:
      return "TH";
    case 0xFE:
      return "th";
    case 0xDF:
      return "ss";
    case 0x132:
      return "IJ";
    case 0x133:
      return "ij";
    case 0x152:
      return "OE";
    case 0x153:
      return "oe";
    case 0x1E9E:
      return "SS";
    default:
      break;
  }
  std::string_view table;
  char32_t first = 0;
  if (cp >= 0xC0 && cp <= 0xFF) {
    table = kLatin1Base;
    first = 0xC0;
  } else if (cp >= 0x100 && cp <= 0x17F) {
    table = kExtendedABase;
    first = 0x100;
  } else {
    return {};
  }
  const std::string_view letter = table.substr(cp - first, 1);
  return letter == "?" ? std::string_view() : letter;
}

bool IsCombiningMark(char32_t cp) { return cp >= 0x300 && cp <= 0x36F; }

}  // namespace

bool IsSoundFileName(std::string_view fileName) { return !SoundExtension(fileName).empty(); }

std::string GameSoundName(std::string_view utf8FileName) {
  const std::string_view stem =
      utf8FileName.substr(0, utf8FileName.size() - SoundExtension(utf8FileName).size());
  std::string name;
  for (std::size_t i = 0; i < stem.size();) {
    const char32_t cp = NextCodePoint(stem, i);
    if (cp < 0x80 && IsNameChar(static_cast<char>(cp))) {
      name += static_cast<char>(cp);
    } else if (IsCombiningMark(cp)) {
      // A name stored decomposed ("u" and a combining diaeresis) keeps its
      // base letter; the mark is the accent we drop.
    } else if (const std::string_view plain = Unaccented(cp); !plain.empty()) {
      name += plain;
    } else {
      name += '_';
    }
  }
  if (name.empty()) name = "Sound";
  if (!IsAsciiLetter(name.front())) name.insert(0, "S");
  if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
  return name;
}

bool IsGameSoundName(std::string_view name) { return GameSoundName(name) == name; }

bool SameSoundName(std::string_view a, std::string_view b) { return EqualIgnoringAsciiCase(a, b); }

std::optional<std::vector<SoundFileEntry>> ListSoundFiles(const fs::path& dir) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return std::nullopt;

  std::vector<SoundFileEntry> files;
  for (const fs::directory_iterator end{}; it != end; it.increment(ec)) {
    const std::u8string u8 = it->path().filename().u8string();
    std::string utf8(u8.begin(), u8.end());
    if (utf8.empty() || utf8.front() == '.' || !IsSoundFileName(utf8)) continue;
    std::error_code typeEc;
    if (!it->is_regular_file(typeEc)) continue;  // follows links, as a file list does
    files.push_back({std::move(utf8), it->path()});
  }
  if (ec) return std::nullopt;

  std::sort(files.begin(), files.end(), [](const SoundFileEntry& x, const SoundFileEntry& y) {
    const std::string a = Utf8ToCp1252(x.name);
    const std::string b = Utf8ToCp1252(y.name);
    if (SoundNameLess(a, b)) return true;
    if (SoundNameLess(b, a)) return false;
    return x.name < y.name;  // a fixed order for names equal but for case
  });
  return files;
}

std::vector<NameClash> FindNameClashes(const std::vector<std::string>& names) {
  std::vector<NameClash> clashes;
  std::vector<bool> taken(names.size(), false);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (taken[i]) continue;
    NameClash clash{names[i], {i}};
    for (std::size_t k = i + 1; k < names.size(); ++k) {
      if (!taken[k] && SameSoundName(names[i], names[k])) {
        clash.files.push_back(k);
        taken[k] = true;
      }
    }
    if (clash.files.size() > 1) clashes.push_back(std::move(clash));
  }
  return clashes;
}

namespace {

fs::path PackDir(const Places& places, std::string_view voicePackName) {
  const std::string name = voicePackName.empty() ? "DEFAULT" : std::string(voicePackName);
  return Join(Join(places.data, "Packs"), name);
}

}  // namespace

fs::path PackSoundsDir(const Places& places, std::string_view voicePackName) {
  return PackDir(places, voicePackName) / "Sounds";
}

fs::path PackTakesDir(const Places& places, std::string_view voicePackName) {
  return PackDir(places, voicePackName) / "Takes";
}

fs::path PackSoundFile(const Places& places, std::string_view voicePackName,
                       std::string_view soundName) {
  return Join(PackSoundsDir(places, voicePackName), std::string(soundName) + ".wav");
}

bool PrepareWritableDir(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  return fs::is_directory(dir, ec) && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::vector<fs::path>> PackSoundsToInstall(const fs::path& packSoundsDir,
                                                         std::string& problem) {
  std::error_code ec;
  if (!fs::exists(packSoundsDir, ec)) return std::vector<fs::path>();
  std::vector<fs::path> sounds;
  fs::directory_iterator it(packSoundsDir, ec);
  for (const fs::directory_iterator end{}; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeEc;
    if (name.front() != '.' && IsWavFileName(name) && it->is_regular_file(typeEc)) {
      sounds.push_back(it->path());
    }
  }
  if (ec) {
    problem = "Could not read the folder " + PathText(packSoundsDir) + ".";
    return std::nullopt;
  }
  std::sort(sounds.begin(), sounds.end());
  return sounds;
}

}  // namespace voxmire
