#include "project/Ini.h"

#include <unistd.h>

#include <system_error>

#include "core/Ascii.h"
#include "core/Files.h"

namespace voxmire {
namespace {

// Blanks around names and values; 0x1A is the old end-of-file mark that
// hand-edited files sometimes carry.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

// Names and values behave as C strings do: a NUL ends them.
std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// One line of the file. Offsets count from the start of the file.
struct Line {
  enum Kind { kBlank, kHeader, kKey };
  Kind kind = kBlank;
  std::size_t next = 0;  // where the following line starts
  bool hasEnd = false;   // ended by CR, LF or CR LF
  std::string_view name;
  bool hasValue = false;  // a key line with "="; a bare word has none
  std::size_t valueBegin = 0;
  std::size_t valueEnd = 0;
};

Line ParseLine(std::string_view text, std::size_t begin) {
  Line line;
  std::size_t end = begin;
  while (end < text.size() && !IsLineEnd(text[end])) ++end;
  line.hasEnd = end < text.size();
  line.next = end;
  if (line.hasEnd) line.next += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;

  const std::string_view content = Trim(text.substr(begin, end - begin));
  if (content.empty()) return line;
  const auto offset = [&](std::string_view part) {
    return static_cast<std::size_t>(part.data() - text.data());
  };
  // "[name]" opens a section whatever follows the "]"; without "]" the line
  // is a bare word.
  if (const std::size_t close = content.find(']'); content[0] == '[' && close != content.npos) {
    line.kind = Line::kHeader;
    line.name = UpToNul(Trim(content.substr(1, close - 1)));
    return line;
  }
  line.kind = Line::kKey;
  const std::size_t equals = content.find('=');
  if (equals == content.npos) {
    line.name = UpToNul(content);
    line.valueBegin = line.valueEnd = offset(content) + content.size();
    return line;
  }
  line.name = UpToNul(TrimRight(content.substr(0, equals)));
  const std::string_view value = TrimLeft(content.substr(equals + 1));
  line.hasValue = true;
  line.valueBegin = offset(value);
  line.valueEnd = line.valueBegin + value.size();
  return line;
}

struct Place {
  bool sectionFound = false;
  std::optional<Line> key;      // the key's line in the section
  std::size_t insertAt = 0;     // where a line for a new key goes
  bool insertNeedsEnd = false;  // the line before insertAt has no line end
};

Place Locate(std::string_view text, std::string_view section, std::string_view key) {
  section = Trim(UpToNul(section));
  key = Trim(UpToNul(key));
  Place place;
  place.sectionFound = section.empty();  // lines before the first header
  for (std::size_t at = 0; at < text.size();) {
    const Line line = ParseLine(text, at);
    at = line.next;
    if (line.kind == Line::kHeader) {
      if (place.sectionFound) return place;  // a later copy of the section is never searched
      if (!SameName(line.name, section)) continue;
      place.sectionFound = true;
    } else if (!place.sectionFound || line.kind == Line::kBlank) {
      continue;
    } else if (SameName(line.name, key)) {
      place.key = line;
      return place;
    }
    place.insertAt = line.next;
    place.insertNeedsEnd = !line.hasEnd;
  }
  if (!place.sectionFound) {
    place.insertAt = text.size();
    place.insertNeedsEnd = !text.empty() && !IsLineEnd(text.back());
  }
  return place;
}

std::string_view ValueOf(std::string_view text, const Line& line) {
  return UpToNul(text.substr(line.valueBegin, line.valueEnd - line.valueBegin));
}

}  // namespace

std::string ProfileGetStringFromText(std::string_view text, std::string_view section,
                                     std::string_view key) {
  const Place place = Locate(text, section, key);
  if (!place.key || !place.key->hasValue) return {};
  std::string_view value = ValueOf(text, *place.key);
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, kIniValueLimit));
}

std::optional<std::string> ProfileWriteStringToText(std::string_view text, std::string_view section,
                                                    std::string_view key, std::string_view value) {
  value = Trim(UpToNul(value));
  const Place place = Locate(text, section, key);
  std::string result;
  if (place.key) {
    const Line& line = *place.key;
    if (line.hasValue && ValueOf(text, line) == value) return std::nullopt;
    // Only the value changes: the key's spelling, the blanks and the line
    // end stay as they were.
    result.append(text.substr(0, line.valueBegin));
    if (!line.hasValue) result += '=';
    result.append(value);
    result.append(text.substr(line.valueEnd));
    return result;
  }
  result.append(text.substr(0, place.insertAt));
  if (place.insertNeedsEnd) result += "\r\n";
  if (!place.sectionFound) {
    result.append("[").append(TrimLeft(UpToNul(section))).append("]\r\n");
  }
  result.append(TrimLeft(UpToNul(key))).append("=").append(value).append("\r\n");
  result.append(text.substr(place.insertAt));
  return result;
}

std::string ProfileGetString(std::string_view section, std::string_view key,
                             const std::filesystem::path& file) {
  const std::optional<std::string> text = ReadFileBytes(file);
  return text ? ProfileGetStringFromText(*text, section, key) : std::string();
}

bool ProfileWriteString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& file) {
  std::error_code ec;
  const bool exists = std::filesystem::exists(file, ec);
  if (ec) return false;
  const std::optional<std::string> text = exists ? ReadFileBytes(file) : std::string();
  if (!text) return false;
  const std::optional<std::string> edited = ProfileWriteStringToText(*text, section, key, value);
  if (!edited) return true;
  // The rename of an atomic write would replace even a read-only file.
  if (exists && ::access(file.c_str(), W_OK) != 0) return false;
  return WriteFileAtomic(file, *edited);
}

std::string ReadIniValue(std::string_view section, std::string_view key,
                         const std::filesystem::path& file) {
  std::string lower(key);
  for (char& c : lower) c = AsciiLower(c);
  return ProfileGetString(section, lower, file);
}

void WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file) {
  std::string upper(key);
  for (char& c : upper) c = AsciiUpper(c);
  ProfileWriteString(section, upper, value, file);
}

}  // namespace voxmire
