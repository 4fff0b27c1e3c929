#include "project/ProjectFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>

#include "core/Files.h"
#include "core/Text1252.h"
#include "project/BaseVoices.h"
#include "project/PackName.h"
#include "project/ScriptHead.h"
#include "sounds/PackSounds.h"
#include "workarea/GameVoice.h"

namespace voxmire {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFormatMark = "Voxmire voice pack";

// The growable tables under the names the file gives them, in tab order.
struct TableSlot {
  const char* key;
  PhraseTable WorkAreaTables::*table;
};
constexpr std::array<TableSlot, 4> kTableSlots = {{{"Acknowledgements", &WorkAreaTables::Acks},
                                                   {"FriendlyFire", &WorkAreaTables::FFire},
                                                   {"Taunts", &WorkAreaTables::Taunts},
                                                   {"Others", &WorkAreaTables::Others}}};

// The identity fields, in the information page's order.
struct FieldSlot {
  const char* key;
  std::string ProjectState::*field;
};
constexpr std::array<FieldSlot, 7> kPackFields = {{
    {"VoicePackName", &ProjectState::VoicePackName},
    {"UTDir", &ProjectState::UTDir},
    {"AuthorName", &ProjectState::AuthorName},
    {"AuthorURL", &ProjectState::AuthorURL},
    {"ProductName", &ProjectState::ProductName},
    {"ProductURL", &ProjectState::ProductURL},
    {"ReadmeLocation", &ProjectState::ReadmeLocation},
}};

// --- writing: by hand, one table row a line, so that a change shows as the
// lines it touched and tens of thousands of rows stay quick.

void AppendQuoted(std::string& out, std::string_view cp1252) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : Cp1252ToUtf8(cp1252)) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (b < 0x20) {
          out += "\\u00";
          out += kHex[b >> 4];
          out += kHex[b & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

// A number as JSON writes it: the shortest text that reads back the same.
void AppendNumber(std::string& out, double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value);
  out.append(text, end.ptr);
}

void AppendTime(std::string& out, std::optional<double> seconds) {
  if (seconds) {
    AppendNumber(out, *seconds);
  } else {
    out += "null";
  }
}

// A row is its three texts; a fixed time (one that doesn't follow the
// sound) and a mature flag follow in an object of their own, so that rows
// without them read as they always did.
void AppendRow(std::string& out, const PhraseRow& row) {
  out += '[';
  AppendQuoted(out, row.Sound);
  out += ", ";
  AppendQuoted(out, row.String);
  out += ", ";
  AppendQuoted(out, row.Abbrev);
  const auto time = FixedSeconds(row.Time, row.Sound);
  if (time || row.Mature) {
    out += ", {";
    if (time) {
      out += "\"time\": ";
      AppendNumber(out, *time);
    }
    if (row.Mature) out += time ? ", \"mature\": true" : "\"mature\": true";
    out += '}';
  }
  out += ']';
}

// A list of texts under `key`, one a line, followed by a comma.
void AppendList(std::string& out, const char* key, const std::vector<std::string>& texts) {
  out += "  \"";
  out += key;
  out += "\": [";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    out += i == 0 ? "\n    " : ",\n    ";
    AppendQuoted(out, texts[i]);
  }
  out += texts.empty() ? "],\n" : "\n  ],\n";
}

// The takes of the recording window, one line each.
void AppendTakes(std::string& out, const std::vector<LineTakes>& takes) {
  out += "  \"takes\": [";
  for (std::size_t i = 0; i < takes.size(); ++i) {
    const LineTakes& line = takes[i];
    out += i == 0 ? "\n    {\"line\": " : ",\n    {\"line\": ";
    AppendQuoted(out, line.Line);
    out += ", \"files\": [";
    for (std::size_t k = 0; k < line.Files.size(); ++k) {
      if (k != 0) out += ", ";
      AppendQuoted(out, line.Files[k]);
    }
    out += "], \"used\": ";
    AppendQuoted(out, line.Used);
    out += ", \"sound\": ";
    AppendQuoted(out, line.Sound);
    out += '}';
  }
  out += takes.empty() ? "],\n" : "\n  ],\n";
}

void AppendOptional(std::string& out, const std::optional<std::string>& text) {
  if (text) {
    AppendQuoted(out, *text);
  } else {
    out += "null";
  }
}

// --- reading: a pull reader over the text, so that even the largest
// tables load without building a document first.

struct Problem {
  std::string text;
};

// Malformed JSON, as opposed to JSON that is no project.
struct Damaged {
  std::string what;
  std::size_t at;
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  char Peek() {
    SkipBlanks();
    if (pos_ >= text_.size()) throw Damaged{"the text ends early", pos_};
    return text_[pos_];
  }
  void Expect(char c) {
    if (Peek() != c) throw Damaged{std::string("'") + c + "' expected", pos_};
    ++pos_;
  }
  bool AtEnd() {
    SkipBlanks();
    return pos_ >= text_.size();
  }

  // A string, decoded to UTF-8.
  std::string String() {
    Expect('"');
    std::string out;
    for (;;) {
      const std::size_t run = pos_;
      while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != '\\' &&
             static_cast<unsigned char>(text_[pos_]) >= 0x20) {
        ++pos_;
      }
      out.append(text_.substr(run, pos_ - run));
      if (pos_ >= text_.size()) throw Damaged{"a text is not closed", pos_};
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (c != '\\') throw Damaged{"a control character inside a text", pos_ - 1};
      if (pos_ >= text_.size()) throw Damaged{"a text is not closed", pos_};
      const char e = text_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u':
          AppendCodePoint(out, Escaped());
          break;
        default:
          throw Damaged{"an unknown escape in a text", pos_ - 1};
      }
    }
  }

  // true, false or null: the word; throws on anything else.
  std::string_view Word() {
    SkipBlanks();
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && text_[pos_] >= 'a' && text_[pos_] <= 'z') ++pos_;
    const std::string_view word = text_.substr(begin, pos_ - begin);
    if (word != "true" && word != "false" && word != "null") {
      throw Damaged{"a value expected", begin};
    }
    return word;
  }

  // A number as its text.
  std::string_view Number() {
    SkipBlanks();
    const std::size_t begin = pos_;
    while (pos_ < text_.size() &&
           std::string_view("+-0123456789.eE").find(text_[pos_]) != std::string_view::npos) {
      ++pos_;
    }
    if (begin == pos_) throw Damaged{"a value expected", begin};
    return text_.substr(begin, pos_ - begin);
  }

  // Calls `member(key)` for each member of an object; it reads the value.
  template <typename F>
  void Object(F&& member) {
    Expect('{');
    if (Peek() == '}') {
      ++pos_;
      return;
    }
    for (;;) {
      const std::string key = String();
      Expect(':');
      member(key);
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      Expect('}');
      return;
    }
  }

  // Calls `item()` for each item of an array; it reads the value.
  template <typename F>
  void Array(F&& item) {
    Expect('[');
    if (Peek() == ']') {
      ++pos_;
      return;
    }
    for (;;) {
      item();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      Expect(']');
      return;
    }
  }

  // Passes over a value of any kind, nested as deep as it likes, without
  // recursion.
  void Skip() {
    std::vector<char> open;
    do {
      const char c = Peek();
      if (c == '{' || c == '[') {
        ++pos_;
        open.push_back(c == '{' ? '}' : ']');
        if (Peek() == open.back()) {
          ++pos_;
          open.pop_back();
        } else if (open.back() == '}') {
          String();
          Expect(':');
          continue;
        } else {
          continue;
        }
      } else if (c == '"') {
        String();
      } else if (c == 't' || c == 'f' || c == 'n') {
        Word();
      } else {
        Number();
      }
      // After a value: the next member or item, or the end of its container.
      while (!open.empty()) {
        const char next = Peek();
        if (next == ',') {
          ++pos_;
          if (open.back() == '}') {
            String();
            Expect(':');
          }
          break;
        }
        Expect(open.back());
        open.pop_back();
      }
    } while (!open.empty());
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\t')) {
      ++pos_;
    }
  }

  unsigned Hex4() {
    if (pos_ + 4 > text_.size()) throw Damaged{"a \\u escape is cut short", pos_};
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_++];
      value <<= 4;
      if (c >= '0' && c <= '9') {
        value |= static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        value |= static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        value |= static_cast<unsigned>(c - 'A' + 10);
      } else {
        throw Damaged{"a \\u escape holds a non-hex digit", pos_ - 1};
      }
    }
    return value;
  }

  // The code point of a \u escape (its "\u" read), a surrogate pair joined.
  char32_t Escaped() {
    const unsigned first = Hex4();
    if (first < 0xD800 || first > 0xDFFF) return first;
    if (first > 0xDBFF || pos_ + 2 > text_.size() || text_[pos_] != '\\' ||
        text_[pos_ + 1] != 'u') {
      throw Damaged{"a lone surrogate in a text", pos_};
    }
    pos_ += 2;
    const unsigned second = Hex4();
    if (second < 0xDC00 || second > 0xDFFF) throw Damaged{"a lone surrogate in a text", pos_};
    return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
  }

  static void AppendCodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// The Windows-1252 text of a JSON text value. `where` names it in a
// problem; it is only called then, so that reading stays cheap.
template <typename Where>
std::string TextAt(JsonReader& in, const Where& where) {
  if (in.Peek() != '"') throw Problem{where() + " should be a text"};
  std::string utf8 = in.String();
  // Plain ASCII, by far the most common, is the same in both.
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) return utf8;
  if (!FitsCp1252(utf8)) {
    throw Problem{where() + " holds characters that Windows-1252 can't store"};
  }
  return Utf8ToCp1252(utf8);
}

std::string Text(JsonReader& in, const std::string& where) {
  return TextAt(in, [&] { return where; });
}

// A text or null (nothing).
std::optional<std::string> OptionalText(JsonReader& in, const std::string& where) {
  if (in.Peek() == 'n' && in.Word() == "null") return std::nullopt;
  return Text(in, where);
}

bool Flag(JsonReader& in, const std::string& where) {
  const char c = in.Peek();
  if (c != 't' && c != 'f') throw Problem{where + " should be true or false"};
  return in.Word() == "true";
}

// A time in seconds: a number, not below 0.
template <typename Where>
double SecondsAt(JsonReader& in, const Where& where) {
  const char c = in.Peek();
  double seconds = -1;
  if (c == '-' || (c >= '0' && c <= '9')) {
    const std::string_view number = in.Number();
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), seconds);
    if (ec != std::errc() || end != number.data() + number.size()) seconds = -1;
  }
  if (!(seconds >= 0 && seconds < 1e9)) throw Problem{where() + " should be a time in seconds"};
  return seconds;
}

template <typename F>
void ObjectOf(JsonReader& in, const std::string& where, F&& member) {
  if (in.Peek() != '{') throw Problem{where + " should be an object"};
  in.Object(member);
}

template <typename F>
void ArrayOf(JsonReader& in, const std::string& where, F&& item) {
  if (in.Peek() != '[') throw Problem{where + " should be a list"};
  in.Array(item);
}

// A row: a list of Sound, String and Abbrev, set into `row`. `where` names
// it in a problem.
template <typename Where>
void RowAt(JsonReader& in, const Where& where, PhraseRow& row) {
  const auto shape = [&] {
    return Problem{where() +
                   " should be a list of three texts (Sound, String, Abbrev) and its time and "
                   "mature flag"};
  };
  if (in.Peek() != '[') throw shape();
  int cells = 0;
  in.Array([&] {
    switch (cells++) {
      case 0:
        row.Sound = TextAt(in, [&] { return where() + " Sound"; });
        break;
      case 1:
        row.String = TextAt(in, [&] { return where() + " String"; });
        break;
      case 2:
        row.Abbrev = TextAt(in, [&] { return where() + " Abbrev"; });
        break;
      case 3:
        if (in.Peek() != '{') throw shape();
        in.Object([&](const std::string& member) {
          if (member == "time") {
            row.Time = FixedTime{SecondsAt(in, [&] { return where() + " time"; }), row.Sound};
          } else if (member == "mature") {
            row.Mature = Flag(in, where() + " mature");
          } else {
            in.Skip();
          }
        });
        break;
      default:
        throw shape();
    }
  });
  if (cells != 3 && cells != 4) throw shape();
}

void Row(JsonReader& in, const std::string& where, PhraseRow& row) {
  RowAt(
      in, [&] { return where; }, row);
}

void ReadTakes(JsonReader& in, std::vector<LineTakes>& takes) {
  takes.clear();
  ArrayOf(in, "takes", [&] {
    const std::string where = "takes " + std::to_string(takes.size() + 1);
    LineTakes& line = takes.emplace_back();
    ObjectOf(in, where, [&](const std::string& member) {
      if (member == "line") {
        line.Line = Text(in, where + " line");
      } else if (member == "files") {
        ArrayOf(in, where + " files", [&] { line.Files.push_back(Text(in, where + " files")); });
      } else if (member == "used") {
        line.Used = Text(in, where + " used");
      } else if (member == "sound") {
        line.Sound = Text(in, where + " sound");
      } else {
        in.Skip();
      }
    });
  });
}

void ReadTable(JsonReader& in, const std::string& key, PhraseTable& table) {
  std::vector<PhraseRow> rows;
  bool adding = false;
  ObjectOf(in, key, [&](const std::string& member) {
    if (member == "addRows") {
      adding = Flag(in, key + " addRows");
    } else if (member == "rows") {
      rows.clear();
      ArrayOf(in, key + " rows", [&] {
        if (rows.size() >= static_cast<std::size_t>(PhraseTable::kMaxRows)) {
          throw Problem{key + " has more than " + std::to_string(PhraseTable::kMaxRows) +
                        " rows; a table holds at most " + std::to_string(PhraseTable::kMaxRows)};
        }
        rows.emplace_back();
        const std::size_t number = rows.size();
        RowAt(
            in, [&] { return key + " row " + std::to_string(number); }, rows.back());
      });
    } else {
      in.Skip();
    }
  });
  table = PhraseTable();
  // A table that never had its first "Create Rows..." keeps asking for a count.
  if (rows.empty() && !adding) return;
  table.CreateRows(static_cast<int>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    table.SetCellUnclamped(k, PhraseCell::Sound, rows[i].Sound);
    table.SetCellUnclamped(k, PhraseCell::String, rows[i].String);
    table.SetCellUnclamped(k, PhraseCell::Abbrev, rows[i].Abbrev);
    table.SetTime(k, FixedSeconds(rows[i].Time, rows[i].Sound));
    table.SetMature(k, rows[i].Mature);
    rows[i] = PhraseRow();  // the table holds its own copy now
  }
}

ProjectState StateFrom(JsonReader& in) {
  if (in.Peek() != '{') throw Problem{"it is not a Voxmire voice pack project"};
  ProjectState state;
  bool marked = false;
  std::optional<long long> version;
  std::string base;
  std::array<std::optional<double>, 4> leaderTimes;
  in.Object([&](const std::string& key) {
    if (key == "format") {
      marked = in.Peek() == '"' && in.String() == kFormatMark;
      if (!marked) throw Problem{"it is not a Voxmire voice pack project"};
    } else if (key == "version") {
      const char c = in.Peek();
      const std::string_view number = c == '-' || (c >= '0' && c <= '9') ? in.Number() : "";
      if (number.empty() || number.size() > 9 ||
          number.find_first_not_of("0123456789") != std::string_view::npos) {
        throw Problem{"it has no format version"};
      }
      long long value = 0;
      if (std::from_chars(number.data(), number.data() + number.size(), value).ec != std::errc()) {
        throw Problem{"it has no format version"};
      }
      version = value;
      if (*version > kProjectFormatVersion) {
        throw Problem{"it was made by a newer version of Voxmire (format " +
                      std::to_string(*version) + "; this version reads format " +
                      std::to_string(kProjectFormatVersion) + ")"};
      }
    } else if (key == "pack") {
      ObjectOf(in, "pack", [&](const std::string& member) {
        for (const FieldSlot& slot : kPackFields) {
          if (member == slot.key) {
            state.*slot.field = Text(in, "pack " + member);
            return;
          }
        }
        in.Skip();
      });
    } else if (key == "baseVoice") {
      base = Text(in, " baseVoice");
    } else if (key == "soundDir") {
      state.SoundDir = Text(in, " soundDir");
    } else if (key == "soundDrive") {
      state.SoundDrive = Text(in, " soundDrive");
    } else if (key == "sounds" || key == "convertedSounds") {
      auto& list = key == "sounds" ? state.Sounds : state.ConvertedSounds;
      list.clear();
      ArrayOf(in, key, [&] {
        const std::string where = key + " " + std::to_string(list.size() + 1);
        list.push_back(Text(in, where));
        // The pack's folder, the script and the references are built from
        // these names: only what the sound page could have made is one.
        if (!IsGameSoundName(list.back())) {
          throw Damaged{where + ", \"" + list.back() + "\", is no sound name", 0};
        }
      });
    } else if (key == "takes") {
      ReadTakes(in, state.Takes);
    } else if (key == "scriptHead") {
      state.ScriptHead = OptionalText(in, "scriptHead");
    } else if (key == "tables") {
      ObjectOf(in, "tables", [&](const std::string& member) {
        for (const TableSlot& slot : kTableSlots) {
          if (member == slot.key) {
            ReadTable(in, member, state.Tables.*slot.table);
            return;
          }
        }
        in.Skip();
      });
    } else if (key == "orders") {
      std::size_t i = 0;
      ArrayOf(in, "orders", [&] {
        if (i >= kOrderSlots.size()) throw Problem{"orders should list the seven orders"};
        Row(in, "order " + std::string(kOrderSlots[i].Label), state.Tables.Orders[i]);
        ++i;
      });
      if (i != 0 && i != kOrderSlots.size()) throw Problem{"orders should list the seven orders"};
    } else if (key == "leaders") {
      std::size_t i = 0;
      ArrayOf(in, "leaders", [&] {
        if (i >= kLeaderLabels.size()) throw Problem{"leaders should list the four team leaders"};
        state.Tables.Names[i] = Text(in, std::string(kLeaderLabels[i]));
        ++i;
      });
      if (i != 0 && i != kLeaderLabels.size()) {
        throw Problem{"leaders should list the four team leaders"};
      }
    } else if (key == "leaderTimes") {
      std::size_t i = 0;
      ArrayOf(in, "leaderTimes", [&] {
        if (i >= kLeaderLabels.size()) throw Problem{"leaderTimes should list four times"};
        const std::string where = std::string(kLeaderLabels[i]) + " time";
        if (in.Peek() == 'n' && in.Word() == "null") {
          leaderTimes[i] = std::nullopt;
        } else {
          leaderTimes[i] = SecondsAt(in, [&] { return where; });
        }
        ++i;
      });
    } else if (key == "description") {
      state.Description = OptionalText(in, "description");
    } else if (key == "generateUmod") {
      state.GenerateUmod = Flag(in, "generateUmod");
    } else {
      in.Skip();  // written by a later version, or by hand: not ours to judge
    }
  });
  if (!in.AtEnd()) throw Damaged{"more follows the project", 0};
  if (!marked) throw Problem{"it is not a Voxmire voice pack project"};
  if (!version) throw Problem{"it has no format version"};
  if (!IsValidPackName(state.VoicePackName)) {
    throw Problem{InvalidPackNameText(state.VoicePackName)};
  }
  DeriveGameFolders(state);
  if (!base.empty()) {
    const auto found = FindBaseVoice(base);
    if (!found) throw Problem{"its base voice \"" + base + "\" is none of the game's voices"};
    ApplyBaseVoice(kBaseVoices[*found], state);
  }
  for (std::size_t i = 0; i < leaderTimes.size(); ++i) {
    if (leaderTimes[i])
      state.Tables.NameTimes[i] = FixedTime{*leaderTimes[i], state.Tables.Names[i]};
  }
  // Before mature flags were kept, the game used the base voice's for every
  // taunt: the project keeps doing what its pack did.
  if (*version < 2) {
    const VoiceDefaults& defaults =
        BaseDefaults(state.ScriptHead ? ParentClassOf(*state.ScriptHead) : state.BaseVoiceClass);
    PhraseTable& taunts = state.Tables.Taunts;
    for (int k = 1; k <= taunts.Count(); ++k) {
      taunts.SetMature(k, defaults.At(VoiceCategory::Taunt, k - 1).Mature > 0);
    }
  }
  return state;
}

}  // namespace

fs::path ProjectFolder(const Places& places) {
  return places.data / std::string(kProjectFolderName);
}

fs::path ProjectFilePath(const Places& places, std::string_view voicePackName) {
  return Join(ProjectFolder(places), std::string(voicePackName) + std::string(kProjectExtension));
}

void DeriveGameFolders(ProjectState& state) {
  state.UTSystemDir = state.UTDir + "/System";
  state.UTSoundsDir = state.UTDir + "/Sounds";
}

std::string ProjectFileText(const ProjectState& state) {
  std::string out;
  std::size_t rows = 0;
  for (const TableSlot& slot : kTableSlots) rows += (state.Tables.*slot.table).Count();
  out.reserve(1024 + rows * 24);

  out += "{\n  \"format\": ";
  AppendQuoted(out, kFormatMark);
  out += ",\n  \"version\": " + std::to_string(kProjectFormatVersion) + ",\n  \"pack\": {";
  for (std::size_t i = 0; i < kPackFields.size(); ++i) {
    out += i == 0 ? "\n    \"" : ",\n    \"";
    out += kPackFields[i].key;
    out += "\": ";
    AppendQuoted(out, state.*kPackFields[i].field);
  }
  out += "\n  },\n  \"baseVoice\": ";
  AppendQuoted(out, state.BaseVoice);
  out += ",\n  \"soundDir\": ";
  AppendQuoted(out, state.SoundDir);
  out += ",\n  \"soundDrive\": ";
  AppendQuoted(out, state.SoundDrive);
  out += ",\n";
  AppendList(out, "sounds", state.Sounds);
  AppendList(out, "convertedSounds", state.ConvertedSounds);
  AppendTakes(out, state.Takes);
  out += "  \"scriptHead\": ";
  AppendOptional(out, state.ScriptHead);

  out += ",\n  \"tables\": {";
  for (std::size_t t = 0; t < kTableSlots.size(); ++t) {
    const PhraseTable& table = state.Tables.*kTableSlots[t].table;
    out += t == 0 ? "\n    \"" : ",\n    \"";
    out += kTableSlots[t].key;
    out += "\": {\n      \"addRows\": ";
    out += table.CreateMode() == CreateButtonMode::AddNewRow ? "true" : "false";
    out += ",\n      \"rows\": [";
    for (int k = 1; k <= table.Count(); ++k) {
      out += k == 1 ? "\n        " : ",\n        ";
      AppendRow(out, table.Row(k));
    }
    out += table.Empty() ? "]\n    }" : "\n      ]\n    }";
  }
  out += "\n  },\n  \"orders\": [";
  for (std::size_t i = 0; i < state.Tables.Orders.size(); ++i) {
    out += i == 0 ? "\n    " : ",\n    ";
    AppendRow(out, state.Tables.Orders[i]);
  }
  out += "\n  ],\n  \"leaders\": [";
  for (std::size_t i = 0; i < state.Tables.Names.size(); ++i) {
    out += i == 0 ? "\n    " : ",\n    ";
    AppendQuoted(out, state.Tables.Names[i]);
  }
  out += "\n  ],\n  \"leaderTimes\": [";
  for (std::size_t i = 0; i < state.Tables.Names.size(); ++i) {
    if (i > 0) out += ", ";
    AppendTime(out, FixedSeconds(state.Tables.NameTimes[i], state.Tables.Names[i]));
  }
  out += "],\n  \"description\": ";
  AppendOptional(out, state.Description);
  out += ",\n  \"generateUmod\": ";
  out += state.GenerateUmod ? "true" : "false";
  out += "\n}\n";
  return out;
}

ProjectRead ReadProjectText(std::string_view text) {
  ProjectRead read;
  JsonReader in(text);
  try {
    if (in.AtEnd()) {
      read.problem = "the file is empty";
      return read;
    }
    read.state = StateFrom(in);
  } catch (const Problem& p) {
    read.problem = p.text;
  } catch (const Damaged& d) {
    read.problem = "it is not a complete project file (cut short or damaged: " + d.what +
                   (d.at != 0 ? " at byte " + std::to_string(d.at) : std::string()) + ")";
  }
  if (read.state) read.problem.clear();
  return read;
}

ProjectRead ReadProjectFile(const fs::path& file) {
  const auto bytes = ReadFileBytes(file);
  if (!bytes) {
    ProjectRead read;
    read.problem = std::string("it can't be read: ") + std::strerror(errno);
    return read;
  }
  return ReadProjectText(*bytes);
}

std::string OpenElsewhereText(std::string_view voicePackName) {
  const std::string name(voicePackName);
  return "The VoicePack " + name +
         " is open in another window of Voxmire, so it can't be opened here.\rA pack is worked "
         "on in one window at a time: go on with " +
         name + " in that window, or close it there first.";
}

std::string SaveFailureText(const fs::path& file, int error) {
  const std::string folder = PathText(file.parent_path());
  std::string cause;
  switch (error) {
    case ENOSPC:
      cause = "the disk holding " + folder + " is full";
      break;
    case EDQUOT:
      cause = "your disk quota for " + folder + " is used up";
      break;
    case EROFS:
      cause = folder + " is on a disk that can only be read";
      break;
    case EACCES:
    case EPERM:
      cause = "you may not write in " + folder;
      break;
    case EFBIG:
      cause = "it would be larger than this system lets a program write";
      break;
    default:
      cause = error != 0 ? std::string(std::strerror(error)) : std::string("unknown error");
  }
  return PathText(file) + " could not be written: " + cause + ".";
}

ProjectStore::~ProjectStore() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (writer_.joinable()) writer_.join();
}

ProjectStore::Outcome ProjectStore::Save(const ProjectState& state) {
  const std::string& name = state.VoicePackName;
  if (name.empty()) return Outcome::NoName;
  if (name != bound_) {
    if (WouldClash(name)) return Outcome::Taken;
    if (!Bind(name)) return Outcome::OpenElsewhere;
  }
  std::string text = ProjectFileText(state);
  if (text == lastText_ && WriteProblem().empty()) return Outcome::Unchanged;

  std::error_code ec;
  fs::create_directories(ProjectFolder(places_), ec);
  if (ec) {
    problem_ = "The folder " + PathText(ProjectFolder(places_)) +
               " could not be created: " + ec.message() + ".";
    lastText_.clear();
    return Outcome::Failed;
  }
  lastText_ = text;
  {
    std::lock_guard lock(mutex_);
    // A write not yet begun is out of date: only the newest text matters.
    pending_.emplace(ProjectFilePath(places_, name), std::move(text));
    if (!writer_.joinable()) writer_ = std::thread(&ProjectStore::WriterLoop, this);
  }
  wake_.notify_all();
  problem_.clear();
  return Outcome::Saved;
}

bool ProjectStore::Flush() {
  {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return !pending_ && !writing_; });
  }
  std::string failed = WriteProblem();
  if (failed.empty()) return true;
  problem_ = std::move(failed);
  return false;
}

std::string ProjectStore::WriteProblem() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

void ProjectStore::OnWriteEnded(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  writeEnded_ = std::move(listener);
}

void ProjectStore::WriterLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ || stopping_; });
    if (!pending_) return;  // stopping, with nothing left to write
    auto [file, text] = std::move(*pending_);
    pending_.reset();
    writing_ = true;
    lock.unlock();
    std::error_code ec;
    const bool written = WriteFileAtomic(file, text, ec);
    lock.lock();
    writing_ = false;
    failure_ = written ? std::string() : SaveFailureText(file, ec.value());
    const std::function<void()> ended = writeEnded_;
    wake_.notify_all();
    lock.unlock();
    if (ended) ended();
    lock.lock();
  }
}

bool ProjectStore::Bind(std::string_view voicePackName) {
  if (bound_ == voicePackName) return true;
  PackLock lock;
  if (lock.Take(PackLockPath(places_, voicePackName)) == PackLock::Outcome::Busy) return false;
  lock_ = std::move(lock);
  bound_ = std::string(voicePackName);
  lastText_.clear();
  return true;
}

void ProjectStore::Unbind() {
  bound_.clear();
  lastText_.clear();
  lock_.Release();
}

bool ProjectStore::WouldClash(std::string_view voicePackName) const {
  if (voicePackName == bound_) return false;
  std::error_code ec;
  return fs::exists(ProjectFilePath(places_, voicePackName), ec);
}

bool ProjectStore::OpenElsewhere(std::string_view voicePackName) const {
  if (voicePackName == bound_) return false;
  // Taken and let go at once: only a lock someone else holds stands in the way.
  PackLock probe;
  return probe.Take(PackLockPath(places_, voicePackName)) == PackLock::Outcome::Busy;
}

std::optional<fs::path> ProjectStore::SetAside(std::string_view voicePackName) {
  Flush();  // a write still under way must not land after the move
  const fs::path file = ProjectFilePath(places_, voicePackName);
  fs::path aside = file;
  aside += ".bak";
  std::error_code ec;
  for (int n = 2; fs::exists(aside, ec); ++n) {
    aside = file;
    aside += ".bak" + std::to_string(n);
  }
  fs::rename(file, aside, ec);
  if (ec) {
    problem_ = "The earlier project " + PathText(file) + " could not be kept as " +
               PathText(aside) + ": " + ec.message() + ".";
    return std::nullopt;
  }
  // A store bound to the pack keeps its lock: the pack starts afresh here.
  if (bound_ == voicePackName) lastText_.clear();
  return aside;
}

}  // namespace voxmire
