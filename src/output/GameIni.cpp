#include "output/GameIni.h"

#include <algorithm>
#include <vector>

#include "core/Ascii.h"

namespace voxmire {
namespace {

constexpr std::string_view kKey = "EditPackages=";

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Position just past the first match of `needle`, ASCII case ignored.
std::string_view::size_type EndOfFirstMatch(std::string_view text, std::string_view needle) {
  const auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                              [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
  if (it == text.end()) return std::string_view::npos;
  return static_cast<std::string_view::size_type>(it - text.begin()) + needle.size();
}

// One line of the file: where its text begins and ends (before its break).
struct Line {
  std::size_t begin, end;
};

std::vector<Line> LinesOf(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back({start, i});
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back({start, text.size()});
  return lines;
}

// Where the package line goes and what surrounds it there.
struct Insertion {
  std::size_t at;
  std::string before;  // then "EditPackages=" + name
  std::string after;
};

Insertion PlanInsertion(std::string_view text) {
  if (const auto anchor = EndOfFirstMatch(text, "EditPackages=UTBrowser");
      anchor != std::string_view::npos) {
    return {anchor, "\r\n", "\r\n"};
  }
  // Without the anchor, the compiler still reads every EditPackages line of
  // its own section: a line elsewhere (or before the first section) would be
  // ignored and the pack silently not built.
  const auto lines = LinesOf(text);
  bool inSection = false, found = false;
  std::size_t lastPackage = 0, lastContent = 0;
  for (const auto& line : lines) {
    const std::string_view content = Trimmed(text.substr(line.begin, line.end - line.begin));
    if (!content.empty() && content.front() == '[') {
      if (found && inSection) break;
      inSection = EqualNoCase(content, "[Editor.EditorEngine]");
      if (inSection) {
        found = true;
        lastPackage = std::string_view::npos;
        lastContent = line.end;
      }
      continue;
    }
    if (!inSection) continue;
    if (!content.empty()) lastContent = line.end;
    if (content.size() >= kKey.size() && EqualNoCase(content.substr(0, kKey.size()), kKey)) {
      lastPackage = line.end;
    }
  }
  if (found) {
    return {lastPackage != std::string_view::npos ? lastPackage : lastContent, "\r\n", ""};
  }
  const bool openLine = !text.empty() && text.back() != '\n' && text.back() != '\r';
  return {text.size(), std::string(openLine ? "\r\n" : "") + "[Editor.EditorEngine]\r\n", "\r\n"};
}

}  // namespace

std::string InsertEditPackage(std::string_view text, std::string_view voicePackName) {
  const Insertion plan = PlanInsertion(text);
  std::string result;
  result.reserve(text.size() + voicePackName.size() + 48);
  result += text.substr(0, plan.at);
  result += plan.before;
  result += kKey;
  result += voicePackName;
  result += plan.after;
  result += text.substr(plan.at);
  result += "\r\n";
  return result;
}

bool IsUnrestoredEdit(std::string_view current, std::string_view original) {
  const Insertion plan = PlanInsertion(original);
  const std::size_t added = plan.before.size() + kKey.size() + plan.after.size() + 2;
  if (current.size() <= original.size() + added) return false;
  const std::size_t nameLength = current.size() - original.size() - added;
  const std::string_view name =
      current.substr(plan.at + plan.before.size() + kKey.size(), nameLength);
  return InsertEditPackage(original, name) == current;
}

}  // namespace voxmire
