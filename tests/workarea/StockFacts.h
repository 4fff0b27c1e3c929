#pragma once
// Test helpers for the model of what the game does with a pack: sound
// lengths given by hand, and the game's own export of its stock voice
// classes (shared/ut99/stock-voice-defaults.tsv) read independently of the
// program's built-in copy.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Files.h"
#include "workarea/GameVoice.h"

namespace voxmire::testing {

// Lengths by the Sound cell's exact text; every other sound is unknown.
class MapLengths : public SoundLengths {
 public:
  MapLengths() = default;
  explicit MapLengths(std::map<std::string, double> lengths) : lengths_(std::move(lengths)) {}
  std::optional<double> Length(std::string_view sound) override {
    const auto found = lengths_.find(std::string(sound));
    if (found == lengths_.end()) return std::nullopt;
    return found->second;
  }
  std::map<std::string, double> lengths_;
};

// One row of the export: class, category, index, sound (Package.Name),
// string, abbrev, time, mature.
struct StockFact {
  std::string Class, Category, Index, Sound, String, Abbrev, Time, Mature;
};

inline std::vector<StockFact> ReadStockFacts() {
  std::vector<StockFact> facts;
  const auto text =
      ReadFileBytes(std::string(VOXMIRE_SHARED_DIR) + "/ut99/stock-voice-defaults.tsv");
  if (!text) return facts;
  for (const std::string& line : SplitLines(*text)) {
    if (line.empty() || line[0] == '#' || line.rfind("class\t", 0) == 0) continue;
    std::vector<std::string> cells(1);
    for (char c : line) {
      if (c == '\t') {
        cells.emplace_back();
      } else {
        cells.back() += c;
      }
    }
    cells.resize(8);
    facts.push_back(
        {cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6], cells[7]});
  }
  return facts;
}

// A voice class's defaultproperties as the game's export lists them: every
// entry of the export written out, the way the stock classes are written.
inline std::string StockClassText(const std::string& cls, const std::string& parent) {
  std::string text = "class " + cls + " extends " + parent + ";\r\n\r\ndefaultproperties\r\n{\r\n";
  static const std::map<std::string, std::string> prefixes = {
      {"name", "Name"},   {"ack", "Ack"},     {"ffire", "FFire"},
      {"taunt", "Taunt"}, {"order", "Order"}, {"other", "Other"}};
  for (const StockFact& f : ReadStockFacts()) {
    if (f.Class != cls) continue;
    if (f.Category == "counts") {
      std::string counts = f.Index.empty() ? f.Sound : f.Index;
      for (char& c : counts) c = c == ' ' ? '\n' : c;
      for (const std::string& count : SplitLines(counts)) text += "     " + count + "\r\n";
      continue;
    }
    const std::string p = prefixes.at(f.Category);
    const std::string at = "(" + f.Index + ")=";
    if (!f.Sound.empty()) text += "     " + p + "Sound" + at + "Sound'" + f.Sound + "'\r\n";
    if (!f.String.empty()) text += "     " + p + "String" + at + "\"" + f.String + "\"\r\n";
    if (!f.Abbrev.empty()) text += "     " + p + "Abbrev" + at + "\"" + f.Abbrev + "\"\r\n";
    if (!f.Time.empty()) text += "     " + p + "Time" + at + f.Time + "\r\n";
    if (!f.Mature.empty()) text += "     MatureTaunt" + at + f.Mature + "\r\n";
  }
  return text + "}\r\n";
}

// What the game stores for a sound reference, for comparing defaults: the
// package and the name, lower-cased; the group is the package's affair.
inline std::string StoredSound(std::string_view text) {
  if (text.empty() || text == "None") return "";
  std::string inner(text);
  if (inner.rfind("Sound'", 0) == 0) inner = inner.substr(6, inner.size() - 7);
  const auto first = inner.find('.');
  const auto last = inner.rfind('.');
  std::string out = inner.substr(0, first) + "." + inner.substr(last + 1);
  for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return out;
}

// `d` with every sound as StoredSound gives it.
inline VoiceDefaults Stored(VoiceDefaults d) {
  for (VoiceCategory category : kVoiceCategories) {
    for (VoiceEntry& entry : d.Entries(category)) entry.Sound = StoredSound(entry.Sound);
  }
  return d;
}

}  // namespace voxmire::testing

namespace voxmire::testing {

// What the game's compiler stores for a class over its parent's defaults,
// for the classes these tests write: one assignment a line in the
// defaultproperties block, // comments, quoted texts ending at the next
// quote with "\\" for a backslash, entries past an array's end ignored.
inline VoiceDefaults Compiled(VoiceDefaults d, std::string_view classText) {
  const auto trim = [](std::string s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
  };
  bool inBlock = false;
  for (std::string line : SplitLines(classText)) {
    line = trim(line);
    std::string lower = line;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (!inBlock) {
      inBlock = lower.rfind("defaultproperties", 0) == 0;
      continue;
    }
    if (line == "{" || line.empty()) continue;
    if (line == "}") break;
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string name = trim(line.substr(0, eq));
    std::string value = trim(line.substr(eq + 1));
    if (value.empty() || value[0] != '"') {
      if (const auto comment = value.find("//"); comment != std::string::npos) {
        value = trim(value.substr(0, comment));
      }
    }
    int index = 0;
    if (const auto open = name.find_first_of("(["); open != std::string::npos) {
      index = std::stoi(name.substr(open + 1));
      name = trim(name.substr(0, open));
    }
    const auto property = FindProperty(name);
    if (!property || index >= SlotCount(property->Category)) continue;
    Assignment a;
    a.Category = property->Category;
    a.Field = property->Field;
    a.Index = index;
    switch (a.Field) {
      case VoiceField::Sound:
        a.Text = value;
        break;
      case VoiceField::String:
      case VoiceField::Abbrev:
        for (std::size_t i = 1; i < value.size() && value[i] != '"'; ++i) {
          a.Text += value[i];
          if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == '\\') ++i;
        }
        break;
      default:
        a.Number = std::stod(value);
    }
    Apply(d, a);
  }
  return d;
}

}  // namespace voxmire::testing
