#include "project/ClassImport.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "core/Ascii.h"
#include "core/Files.h"
#include "project/BaseVoices.h"
#include "project/PackName.h"
#include "sounds/PackSounds.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

std::string Lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool IdentifierChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// `text` begins with `word` (letter case ignored) and the word ends there.
bool StartsWithWord(std::string_view text, std::string_view word) {
  return text.size() >= word.size() && SameIgnoringCase(text.substr(0, word.size()), word) &&
         (text.size() == word.size() || !IdentifierChar(text[word.size()]));
}

// The text with its // and /* */ comments taken out. Every line break stays
// where it was, so a line of the result is the same line of the original;
// a "//" inside a double-quoted string is text, not a comment.
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

// ---- The class line -------------------------------------------------------

struct ClassLine {
  std::string name;
  std::string parent;  // without a package ("Botpack.VoiceMaleOne" gives "VoiceMaleOne")
};

// "class <Name> extends <Parent> ...;" starting at lines[first], which may
// run over several lines. UnrealScript of the game's time also wrote
// "expands" for "extends".
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
  if (words.size() >= 3 &&
      (SameIgnoringCase(words[1], "extends") || SameIgnoringCase(words[1], "expands"))) {
    std::string_view parent = words[2];
    if (const auto dot = parent.rfind('.'); dot != std::string_view::npos) {
      parent.remove_prefix(dot + 1);
    }
    line.parent = parent;
  }
  return line;
}

// The game's voice classes and the base each one stands for.
constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kParentBases = {{
    {"VoiceMaleOne", "Male1"},
    {"VoiceMaleTwo", "Male2"},
    {"VoiceFemaleOne", "Female1"},
    {"VoiceFemaleTwo", "Female2"},
    {"VoiceBoss", "Boss"},
    {"VoiceMale", "BlankMale"},
    {"VoiceFemale", "BlankFemale"},
}};

// ---- Sound imports ----------------------------------------------------------

struct AudioImport {
  std::string file;
  std::string name;
};

// The FILE and NAME values of "#exec AUDIO IMPORT FILE=... NAME=..." (in any
// order, quoted or not); nothing when the line is not an audio import.
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
    if (SameIgnoringCase(key, "FILE")) result.file = value;
    if (SameIgnoringCase(key, "NAME")) {
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

std::string ForwardSlashes(std::string_view path) {
  std::string out(path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

// "C:\..." or "\\server\...": a path of another system, which can't be
// looked at here.
bool WindowsAbsolute(std::string_view path) {
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive || path.substr(0, 2) == "\\\\";
}

// The game's compiler runs in System and looks for a relative FILE below
// ../<Package>/, which is the parent of the folder holding Classes.
fs::path ResolveSoundPath(std::string_view written, const fs::path& ucFolder) {
  const fs::path path = FsPath(ForwardSlashes(written));
  if (path.is_absolute()) return path;
  return (ucFolder / ".." / path).lexically_normal();
}

std::string_view DirectoryPart(std::string_view file) {
  const auto sep = file.find_last_of("/\\");
  return sep == std::string_view::npos ? std::string_view() : file.substr(0, sep + 1);
}

// The sound directory the wizard works with: a relative one is made absolute
// (the sound page lists files there), other ones stay as written.
std::string SoundDirFor(std::string_view writtenDir, const fs::path& ucFolder) {
  if (WindowsAbsolute(writtenDir) || FsPath(ForwardSlashes(writtenDir)).is_absolute()) {
    return std::string(writtenDir);
  }
  std::string dir = PathText(ResolveSoundPath(writtenDir, ucFolder));
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

// ---- defaultproperties --------------------------------------------------------

// A property name with its index as the block writes it: "AckSound(3)",
// "AckSound[3]" or "numAcks".
struct Key {
  std::string_view name;
  bool indexed = false;
  std::size_t index = 0;    // saturates: anything past kMaxRows is just "too big"
  std::string_view digits;  // the index as written, without leading zeros
  bool wellFormed = true;
};

constexpr std::size_t kIndexCap = static_cast<std::size_t>(PhraseTable::kMaxRows) + 1;

Key ReadKey(std::string_view text) {
  Key key;
  std::size_t n = 0;
  while (n < text.size() && IdentifierChar(text[n])) ++n;
  key.name = text.substr(0, n);
  std::string_view rest = Trim(text.substr(n));
  if (key.name.empty()) key.wellFormed = false;
  if (rest.empty() || !key.wellFormed) return key;
  const char close = rest.front() == '(' ? ')' : rest.front() == '[' ? ']' : '\0';
  if (close == '\0' || rest.back() != close || rest.size() < 2) {
    key.wellFormed = false;
    return key;
  }
  const std::string_view digits = Trim(rest.substr(1, rest.size() - 2));
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    key.wellFormed = false;
    return key;
  }
  key.indexed = true;
  key.digits = digits.substr(std::min(digits.find_first_not_of('0'), digits.size() - 1));
  for (char c : digits) {
    key.index = std::min(kIndexCap, key.index * 10 + static_cast<std::size_t>(c - '0'));
  }
  return key;
}

std::string KeyText(const Key& key) {
  std::string text(key.name);
  if (key.indexed) {
    text += '(';
    text += key.digits;
    text += ')';
  }
  return text;
}

// A String or Abbrev value. Quoted, it ends at the closing quote, and "\\"
// stands for one backslash; any other backslash is kept as it is. A quote
// inside the text (the game would cut the text there) keeps everything up to
// the last quote, so the user sees the whole text and the work area's check
// can point at the quote.
std::string TextValue(std::string_view raw) {
  std::string_view value = Trim(raw);
  if (value.empty() || value.front() != '"') return std::string(value);
  std::string_view body = value.substr(1);
  if (const auto close = body.find('"'); close != std::string_view::npos) {
    const std::string_view after = Trim(body.substr(close + 1));
    body = after.empty() || after == ";" ? body.substr(0, close) : body.substr(0, body.rfind('"'));
  }
  std::string text;
  text.reserve(body.size());
  for (std::size_t i = 0; i < body.size(); ++i) {
    text += body[i];
    if (body[i] == '\\' && i + 1 < body.size() && body[i + 1] == '\\') ++i;
  }
  return text;
}

// A row count: a whole number the work area can hold, or nothing.
std::optional<int> CountValue(std::string_view raw) {
  std::string_view value = Trim(raw);
  if (!value.empty() && value.back() == ';') value = Trim(value.substr(0, value.size() - 1));
  if (value.empty() || value.size() > 6) return std::nullopt;
  int count = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    count = count * 10 + (c - '0');
  }
  if (count > PhraseTable::kMaxRows) return std::nullopt;
  return count;
}

struct GrowableLayout {
  std::string_view prefix;     // "Ack" gives AckSound, AckString, AckAbbrev
  std::string_view countName;  // empty: the class keeps no count for it
  PhraseTable WorkAreaTables::*table;
};

constexpr std::array<GrowableLayout, 4> kGrowables = {{
    {"Ack", "numAcks", &WorkAreaTables::Acks},
    {"FFire", "numFFires", &WorkAreaTables::FFire},
    {"Taunt", "numTaunts", &WorkAreaTables::Taunts},
    {"Other", "", &WorkAreaTables::Others},
}};

constexpr std::array<std::pair<std::string_view, PhraseCell>, 3> kCells = {{
    {"Sound", PhraseCell::Sound},
    {"String", PhraseCell::String},
    {"Abbrev", PhraseCell::Abbrev},
}};

struct Entry {
  PhraseRow row;
  std::vector<std::string> keys;  // as reported, should the row have no place
};

struct GrowableEntries {
  std::map<std::size_t, Entry> byIndex;  // 0-based, < kMaxRows
  std::optional<int> count;
};

void SetField(PhraseRow& row, PhraseCell cell, std::string value) {
  switch (cell) {
    case PhraseCell::Sound:
      row.Sound = std::move(value);
      break;
    case PhraseCell::String:
      row.String = std::move(value);
      break;
    case PhraseCell::Abbrev:
      row.Abbrev = std::move(value);
      break;
  }
}

// The bytes of `text` before its line number `line`, counted as SplitLines
// counts them.
std::string HeadBytes(std::string_view text, std::size_t line) {
  std::size_t i = 0;
  for (std::size_t seen = 0; seen < line && i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') ++seen;
  }
  return std::string(text.substr(0, i));
}

class Importer {
 public:
  Importer(std::string_view uc, const fs::path& ucFolder)
      : uc_(uc),
        rawLines_(SplitLines(uc)),
        lines_(SplitLines(WithoutComments(uc))),
        ucFolder_(ucFolder) {}

  ClassImport Run(std::optional<std::string_view> intBytes) {
    const std::size_t blockLine = FindDefaultProperties();
    std::optional<std::size_t> classLine;
    for (std::size_t i = 0; i < std::min(blockLine, lines_.size()) && !classLine; ++i) {
      const std::string_view line = Trim(lines_[i]);
      if (StartsWithWord(line, "class") && line.size() > 5 && (line[5] == ' ' || line[5] == '\t')) {
        classLine = i;
      }
    }
    if (!classLine) {
      return Failure(
          "This file has no class line (\"class <Name> extends <voice class>;\"), so it is not a "
          "voice class.");
    }
    const ClassLine cls = ReadClassLine(lines_, *classLine);
    if (!IsValidPackName(cls.name)) return Failure(InvalidPackNameText(cls.name));
    if (blockLine >= lines_.size()) {
      return Failure("The class " + cls.name +
                     " has no defaultproperties block, so there are no phrases to import.");
    }

    result_.state.VoicePackName = cls.name;
    result_.head = HeadBytes(uc_, blockLine);
    ApplyParent(cls.parent);
    ReadBlock();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (i < blockLine || i > blockEnd_) ReadImportLine(lines_[i], i + 1);
    }
    if (!refusedName_.empty()) return Failure(refusedName_);
    ReportImportsOutsideSoundDir();
    ReadScriptInfo();
    if (intBytes) ReadDescription(*intBytes);
    return std::move(result_);
  }

 private:
  ClassImport Failure(std::string message) {
    ClassImport failed;
    failed.error = std::move(message);
    return failed;
  }

  // The line with "defaultproperties", or lines_.size() when there is none.
  // Its "{" may stand on the same line or on a later one.
  std::size_t FindDefaultProperties() {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const std::string_view line = Trim(lines_[i]);
      if (!StartsWithWord(line, "defaultproperties")) continue;
      std::string_view after = Trim(line.substr(17));
      std::size_t j = i;
      while (after.empty() && j + 1 < lines_.size()) after = Trim(lines_[++j]);
      if (!after.empty() && after.front() == '{') {
        braceLine_ = j;
        braceRest_ = after.substr(1);
        return i;
      }
    }
    return lines_.size();
  }

  void ApplyParent(std::string_view parent) {
    for (const auto& [cls, stored] : kParentBases) {
      if (!SameIgnoringCase(parent, cls)) continue;
      if (const auto base = FindBaseVoice(stored))
        ApplyBaseVoice(kBaseVoices[*base], result_.state);
      return;
    }
    result_.notes.push_back(
        parent.empty()
            ? std::string("The class line names no parent class, so no base voice was chosen.")
            : "The parent class " + std::string(parent) +
                  " is not one of the game's voices, so no base voice was chosen.");
  }

  void ReadBlock() {
    blockEnd_ = lines_.size();
    if (!AssignmentLine(braceRest_)) {
      blockEnd_ = braceLine_;
    } else {
      for (std::size_t i = braceLine_ + 1; i < lines_.size(); ++i) {
        if (!AssignmentLine(lines_[i])) {
          blockEnd_ = i;
          break;
        }
      }
    }
    if (blockEnd_ == lines_.size()) {
      result_.notes.push_back(
          "The defaultproperties block has no closing brace: the file may have been cut short.");
    }
    BuildTables();
  }

  // One line of the block; false at the closing brace.
  bool AssignmentLine(std::string_view text) {
    const std::string_view line = Trim(text);
    if (line.empty()) return true;
    if (line.front() == '}') return false;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) {
      Unplaced(std::string(line));
      return true;
    }
    const std::string_view keyText = Trim(line.substr(0, eq));
    const Key key = ReadKey(keyText);
    if (!key.wellFormed || !Place(key, line.substr(eq + 1))) {
      Unplaced(key.wellFormed ? KeyText(key) : std::string(keyText));
    }
    return true;
  }

  // Stores one assignment; false when the wizard has no place for it.
  bool Place(const Key& key, std::string_view value) {
    for (std::size_t t = 0; t < kGrowables.size(); ++t) {
      const GrowableLayout& layout = kGrowables[t];
      if (!layout.countName.empty() && SameIgnoringCase(key.name, layout.countName)) {
        if (key.indexed) return false;
        tables_[t].count = CountValue(value);
        if (!tables_[t].count) {
          result_.notes.push_back(std::string(layout.countName) + "=" + std::string(Trim(value)) +
                                  " is not a row count the work area can hold; the rows were "
                                  "counted from the entries instead.");
        }
        return true;
      }
      const auto cell = CellOf(key.name, layout.prefix);
      if (!cell) continue;
      if (!key.indexed || key.index >= static_cast<std::size_t>(PhraseTable::kMaxRows)) {
        return false;
      }
      Entry& entry = tables_[t].byIndex[key.index];
      SetField(entry.row, *cell,
               *cell == PhraseCell::Sound ? std::string(Trim(value)) : TextValue(value));
      entry.keys.push_back(KeyText(key));
      return true;
    }
    if (const auto cell = CellOf(key.name, "Order")) {
      if (!key.indexed) return false;
      for (std::size_t i = 0; i < kOrderSlots.size(); ++i) {
        if (static_cast<std::size_t>(kOrderSlots[i].Number) != key.index) continue;
        SetField(result_.state.Tables.Orders[i], *cell,
                 *cell == PhraseCell::Sound ? std::string(Trim(value)) : TextValue(value));
        return true;
      }
      return false;
    }
    if (SameIgnoringCase(key.name, "NameSound")) {
      if (!key.indexed || key.index >= result_.state.Tables.Names.size()) return false;
      result_.state.Tables.Names[key.index] = Trim(value);
      return true;
    }
    return false;
  }

  // The cell that "<prefix>Sound", "<prefix>String" or "<prefix>Abbrev" names.
  static std::optional<PhraseCell> CellOf(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || !SameIgnoringCase(name.substr(0, prefix.size()), prefix)) {
      return std::nullopt;
    }
    for (const auto& [suffix, cell] : kCells) {
      if (SameIgnoringCase(name.substr(prefix.size()), suffix)) return cell;
    }
    return std::nullopt;
  }

  void BuildTables() {
    for (std::size_t t = 0; t < kGrowables.size(); ++t) {
      GrowableEntries& entries = tables_[t];
      PhraseTable& table = result_.state.Tables.*kGrowables[t].table;
      int rows = 0;
      if (entries.count) {
        rows = *entries.count;
      } else if (!entries.byIndex.empty()) {
        rows = static_cast<int>(entries.byIndex.rbegin()->first) + 1;
      }
      if (rows > 0) table.CreateRows(rows);
      for (auto& [index, entry] : entries.byIndex) {
        if (index >= static_cast<std::size_t>(rows)) {
          // Past the count the game never plays them; the user decides.
          for (std::string& key : entry.keys) Unplaced(std::move(key));
          continue;
        }
        const int k = static_cast<int>(index) + 1;
        table.SetCellUnclamped(k, PhraseCell::Sound, entry.row.Sound);
        table.SetCellUnclamped(k, PhraseCell::String, entry.row.String);
        table.SetCellUnclamped(k, PhraseCell::Abbrev, entry.row.Abbrev);
      }
    }
  }

  void Unplaced(std::string key) {
    if (reported_.insert(Lowered(key)).second) result_.unplacedProperties.push_back(std::move(key));
  }

  void ReadImportLine(std::string_view line, std::size_t number) {
    const auto audio = ReadAudioImport(line);
    if (!audio || audio->name.empty() || !AcceptSoundName(audio->name, number)) return;
    if (!soundNames_.insert(Lowered(audio->name)).second) return;  // the compiler keeps one
    ProjectState& state = result_.state;
    if (state.Sounds.empty()) {
      writtenSoundDir_ = DirectoryPart(audio->file);
      state.SoundDir = SoundDirFor(writtenSoundDir_, ucFolder_);
    }
    state.Sounds.push_back(audio->name);
    if (audio->file != writtenSoundDir_ + audio->name + ".wav") {
      elsewhere_.push_back(audio->file);
    }

    std::string missing;
    if (WindowsAbsolute(audio->file)) {
      missing = audio->file;
    } else {
      const fs::path path = ResolveSoundPath(audio->file, ucFolder_);
      std::error_code ec;
      if (!fs::is_regular_file(path, ec)) {
        missing = FsPath(ForwardSlashes(audio->file)).is_absolute() ? audio->file : PathText(path);
      }
    }
    if (!missing.empty() && missingSeen_.insert(missing).second) {
      result_.missingSoundFiles.push_back(std::move(missing));
    }
  }

  // A sound name is taken only when the sound page could have made it: the
  // pack's folder, the script and the references are built from it. The
  // first that isn't refuses the class.
  bool AcceptSoundName(std::string_view name, std::size_t lineNumber) {
    if (IsGameSoundName(name)) return true;
    if (refusedName_.empty()) {
      refusedName_ = "Line " + std::to_string(lineNumber) + " imports a sound named \"" +
                     std::string(name) +
                     "\", which is no name the game can hold (letters, digits and _, starting "
                     "with a letter, at most 63). Rename it there and import the class again.";
    }
    return false;
  }

  // The rebuilt script imports every sound as <SoundDir><Name>.wav.
  void ReportImportsOutsideSoundDir() {
    if (elsewhere_.empty()) return;
    std::string note =
        "The script made from this project looks for every sound in the sound directory, named "
        "after the sound (<name>.wav), which these imports are not: ";
    for (std::size_t i = 0; i < elsewhere_.size(); ++i) {
      if (i > 0) note += ", ";
      note += elsewhere_[i];
    }
    note += '.';
    result_.notes.push_back(std::move(note));
  }

  // The comment block this program writes after the defaultproperties holds
  // the information page's product and author fields.
  void ReadScriptInfo() {
    constexpr std::array<std::pair<std::string_view, std::string ProjectState::*>, 4> kFields = {{
        {"// Product: ", &ProjectState::ProductName},
        {"// Product URL: ", &ProjectState::ProductURL},
        {"// Author: ", &ProjectState::AuthorName},
        {"// Author URL: ", &ProjectState::AuthorURL},
    }};
    std::array<bool, kFields.size()> found{};
    bool inInfo = false;
    for (std::size_t i = std::min(blockEnd_, rawLines_.size()); i < rawLines_.size(); ++i) {
      const std::string_view line = rawLines_[i];
      if (line == "// Script Info:") inInfo = true;
      if (!inInfo) continue;
      for (std::size_t f = 0; f < kFields.size(); ++f) {
        if (found[f] || line.substr(0, kFields[f].first.size()) != kFields[f].first) continue;
        result_.state.*kFields[f].second = line.substr(kFields[f].first.size());
        found[f] = true;
      }
    }
  }

  // Object=(Name=<Package>.<Class>,...,Description="...") for this class.
  void ReadDescription(std::string_view intBytes) {
    for (const std::string& text : SplitLines(intBytes)) {
      std::string_view line = Trim(text);
      if (!StartsWithWord(line, "Object")) continue;
      line = Trim(line.substr(6));
      if (line.empty() || line.front() != '=') continue;
      line = Trim(line.substr(1));
      if (line.empty() || line.front() != '(') continue;
      line.remove_prefix(1);

      std::optional<std::string> name;
      std::optional<std::string> description;
      while (!line.empty() && line.front() != ')') {
        const auto eq = line.find_first_of("=,)");
        const std::string_view key = Trim(line.substr(0, eq));
        line.remove_prefix(std::min(eq, line.size()));
        std::string_view value;
        if (!line.empty() && line.front() == '=') {
          line = Trim(line.substr(1));
          if (!line.empty() && line.front() == '"') {
            const auto close = line.find('"', 1);
            value = line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            line.remove_prefix(close == std::string_view::npos ? line.size() : close + 1);
          } else {
            const auto end = line.find_first_of(",)");
            value = Trim(line.substr(0, end));
            line.remove_prefix(std::min(end, line.size()));
          }
        }
        line = Trim(line);
        if (!line.empty() && line.front() == ',') line = Trim(line.substr(1));
        if (SameIgnoringCase(key, "Name")) name = value;
        if (SameIgnoringCase(key, "Description")) description = value;
      }
      if (!name || !description) continue;
      const auto dot = name->rfind('.');
      const std::string_view cls = dot == std::string::npos
                                       ? std::string_view(*name)
                                       : std::string_view(*name).substr(dot + 1);
      if (SameIgnoringCase(cls, result_.state.VoicePackName)) {
        result_.state.Description = std::move(description);
        return;
      }
    }
  }

  std::string_view uc_;
  std::vector<std::string> rawLines_;
  std::vector<std::string> lines_;  // without comments
  fs::path ucFolder_;
  ClassImport result_;

  std::size_t braceLine_ = 0;
  std::string_view braceRest_;  // what follows "{" on its line
  std::size_t blockEnd_ = 0;    // the line of the closing brace, or lines_.size()
  std::array<GrowableEntries, kGrowables.size()> tables_;
  std::set<std::string> reported_;

  std::set<std::string> soundNames_;
  std::string refusedName_;
  std::string writtenSoundDir_;
  std::vector<std::string> elsewhere_;
  std::set<std::string> missingSeen_;
};

}  // namespace

ClassImport ImportVoiceClass(std::string_view ucBytes, std::optional<std::string_view> intBytes,
                             const std::filesystem::path& ucFolder) {
  return Importer(ucBytes, ucFolder).Run(intBytes);
}

ClassImport ImportVoiceClassFile(const std::filesystem::path& ucPath) {
  // A voice class is a few dozen kilobytes; something far bigger picked by
  // mistake (a sound archive, a disk image) is not read into memory at all.
  constexpr std::uintmax_t kLargestClass = 16u << 20;
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(ucPath, ec);
  if (!ec && size > kLargestClass) {
    ClassImport failed;
    failed.error = "The file \"" + PathText(ucPath) + "\" is far too large to be a voice class.";
    return failed;
  }
  const std::optional<std::string> uc = ReadFileBytes(ucPath);
  if (!uc) {
    ClassImport failed;
    failed.error = "The class file \"" + PathText(ucPath) + "\" could not be read.";
    return failed;
  }
  const fs::path folder = ucPath.parent_path();
  std::optional<std::string> intFile = ReadFileBytes(fs::path(ucPath).replace_extension(".int"));
  if (!intFile && SameIgnoringCase(PathText(folder.filename()), "Classes")) {
    const fs::path package = folder.parent_path();
    intFile =
        ReadFileBytes(package.parent_path() / "System" / (package.filename().native() + ".int"));
  }
  return ImportVoiceClass(*uc, intFile ? std::optional<std::string_view>(*intFile) : std::nullopt,
                          folder);
}

}  // namespace voxmire
