#include "project/ScriptHead.h"

#include <algorithm>

#include "core/Ascii.h"
#include "core/Files.h"

namespace voxmire {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool IdentifierChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

ClassLine ReadClassLine(const std::vector<std::string>& lines, std::size_t first) {
  std::vector<std::string> words;
  bool ended = false;
  for (std::size_t i = first; i < lines.size() && !ended && words.size() < 4; ++i) {
    std::string_view rest = lines[i];
    if (i == first) rest = Trim(rest).substr(5);  // after "class"
    std::string word;
    for (char c : rest) {
      if (c == ';' || c == '{') ended = true;
      if (ended || c == ' ' || c == '\t') {
        if (!word.empty()) words.push_back(std::move(word));
        word.clear();
        if (ended) break;
      } else {
        word += c;
      }
    }
    if (!word.empty()) words.push_back(std::move(word));
  }
  ClassLine line;
  if (!words.empty()) line.name = words[0];
  if (words.size() >= 3 && (SameAscii(words[1], "extends") || SameAscii(words[1], "expands"))) {
    std::string_view parent = words[2];
    if (const auto dot = parent.rfind('.'); dot != std::string_view::npos) {
      parent.remove_prefix(dot + 1);
    }
    line.parent = parent;
  }
  return line;
}

}  // namespace

std::string WithoutComments(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool inString = false;
  bool inBlock = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '\r' || c == '\n') {
      inString = false;  // strings never span lines
      out += c;
    } else if (inBlock) {
      if (c == '*' && next == '/') {
        inBlock = false;
        ++i;
      }
    } else if (inString) {
      if (c == '"') inString = false;
      out += c;
    } else if (c == '"') {
      inString = true;
      out += c;
    } else if (c == '/' && next == '/') {
      while (i + 1 < text.size() && text[i + 1] != '\r' && text[i + 1] != '\n') ++i;
    } else if (c == '/' && next == '*') {
      inBlock = true;
      out += ' ';  // a comment separates words as a blank does
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

bool StartsWithWord(std::string_view text, std::string_view word) {
  return text.size() >= word.size() && SameAscii(text.substr(0, word.size()), word) &&
         (text.size() == word.size() || !IdentifierChar(text[word.size()]));
}

std::optional<ClassLine> FindClassLine(const std::vector<std::string>& lines, std::size_t end) {
  for (std::size_t i = 0; i < std::min(end, lines.size()); ++i) {
    const std::string_view line = Trim(lines[i]);
    if (StartsWithWord(line, "class") && line.size() > 5 && (line[5] == ' ' || line[5] == '\t')) {
      return ReadClassLine(lines, i);
    }
  }
  return std::nullopt;
}

std::optional<AudioImport> ReadAudioImport(std::string_view line) {
  std::string_view rest = Trim(line);
  for (std::string_view word : {"#exec", "audio", "import"}) {
    if (!StartsWithWord(rest, word)) return std::nullopt;
    rest = Trim(rest.substr(word.size()));
  }
  AudioImport result;
  bool hasName = false;
  while (!rest.empty()) {
    const auto keyEnd = rest.find_first_of(" \t=");
    const std::string_view key = rest.substr(0, keyEnd);
    rest.remove_prefix(std::min(keyEnd, rest.size()));
    if (rest.empty() || rest.front() != '=') {
      rest = Trim(rest);
      continue;  // a flag without a value
    }
    rest.remove_prefix(1);
    std::string_view value;
    if (!rest.empty() && rest.front() == '"') {
      const auto close = rest.find('"', 1);
      value = rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
      rest.remove_prefix(close == std::string_view::npos ? rest.size() : close + 1);
    } else {
      const auto end = rest.find_first_of(kBlanks);
      value = rest.substr(0, end);
      rest.remove_prefix(std::min(end, rest.size()));
    }
    rest = Trim(rest);
    if (SameAscii(key, "FILE")) result.file = value;
    if (SameAscii(key, "PACKAGE")) result.package = value;
    if (SameAscii(key, "GROUP")) result.group = value;
    if (SameAscii(key, "NAME")) {
      result.name = value;
      hasName = true;
    }
  }
  if (!hasName || result.name.empty()) {
    // Without NAME the compiler names the sound after its file.
    std::string_view file = result.file;
    if (const auto sep = file.find_last_of("/\\"); sep != std::string_view::npos) {
      file.remove_prefix(sep + 1);
    }
    result.name = file.substr(0, file.rfind('.'));
  }
  return result;
}

std::vector<AudioImport> AudioImportsOf(std::string_view head) {
  std::vector<AudioImport> imports;
  for (const std::string& line : SplitLines(WithoutComments(head))) {
    if (auto audio = ReadAudioImport(line); audio && !audio->name.empty()) {
      imports.push_back(std::move(*audio));
    }
  }
  return imports;
}

std::string ParentClassOf(std::string_view head) {
  const std::vector<std::string> lines = SplitLines(WithoutComments(head));
  const auto line = FindClassLine(lines, lines.size());
  return line ? line->parent : std::string();
}

}  // namespace voxmire
