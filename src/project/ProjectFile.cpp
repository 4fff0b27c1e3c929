#include "project/ProjectFile.h"

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
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

// A word at a time: the tables' texts are most of a large project, and
// nearly all of them are plain ASCII.
bool IsAscii(std::string_view text) {
  std::uint64_t bits = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    bits |= word;
  }
  for (; i < text.size(); ++i) bits |= static_cast<unsigned char>(text[i]);
  return (bits & 0x8080808080808080u) == 0;
}

// --- writing: by hand, one table row a line, so that a change shows as the
// lines it touched and tens of thousands of rows stay quick.

void AppendQuoted(std::string& out, std::string_view cp1252) {
  static constexpr char kHex[] = "0123456789abcdef";
  // ASCII is the same in UTF-8.
  const std::string converted = IsAscii(cp1252) ? std::string() : Cp1252ToUtf8(cp1252);
  const std::string_view text = converted.empty() ? cp1252 : std::string_view(converted);
  out += '"';
  std::size_t plain = 0;  // where the characters not yet appended begin
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 0x20 && b != '"' && b != '\\') continue;
    out.append(text, plain, i - plain);
    plain = i + 1;
    switch (b) {
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
        out += "\\u00";
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
  }
  out.append(text, plain);
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
void AppendRow(std::string& out, const PhraseRowView& row) {
  out += '[';
  AppendQuoted(out, row.Sound);
  out += ", ";
  AppendQuoted(out, row.String);
  out += ", ";
  AppendQuoted(out, row.Abbrev);
  const auto time = row.Time;
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

// --- reading: simdjson's On-Demand parser indexes the text's structure in
// one vectorised pass, then reads each value in place as we ask for it, so
// that even the largest tables load without a document being built first.
// It checks all it reads; a value passed over (a field of a later version)
// is only checked to be balanced.

namespace od = simdjson::ondemand;

struct Problem {
  std::string text;
};

// Malformed JSON, as opposed to JSON that is no project.
struct Damaged {
  std::string what;
  std::optional<std::size_t> at;  // the byte it was found at
};

// A parser error in the words of someone looking at the file.
std::string DamageText(simdjson::error_code error) {
  switch (error) {
    case simdjson::INCOMPLETE_ARRAY_OR_OBJECT:
      return "the text ends early";
    case simdjson::UNCLOSED_STRING:
      return "a text is not closed";
    case simdjson::UNESCAPED_CHARS:
      return "a control character inside a text";
    case simdjson::STRING_ERROR:
      return "a bad escape in a text";
    case simdjson::UTF8_ERROR:
      return "a byte that is no UTF-8";
    case simdjson::NUMBER_ERROR:
      return "a malformed number";
    case simdjson::INCORRECT_TYPE:  // a word that is not quite true, false or null
    case simdjson::T_ATOM_ERROR:
    case simdjson::F_ATOM_ERROR:
    case simdjson::N_ATOM_ERROR:
      return "a value expected";
    case simdjson::TAPE_ERROR:
      return "a comma, colon or bracket missing or out of place";
    default:
      return simdjson::error_message(error);
  }
}

// Where the damage the parser's first pass reports lies: it only says what
// it found, and in a file of megabytes the byte matters.
std::optional<std::size_t> FirstPassDamageAt(std::string_view text, simdjson::error_code error) {
  if (error == simdjson::UTF8_ERROR) {
    for (std::size_t i = 0; i < text.size();) {
      const auto b = static_cast<unsigned char>(text[i]);
      const std::size_t length = b < 0x80   ? 1
                                 : b < 0xC2 ? 0
                                 : b < 0xE0 ? 2
                                 : b < 0xF0 ? 3
                                 : b < 0xF5 ? 4
                                            : 0;
      if (length == 0 || i + length > text.size()) return i;
      // The second byte's range shuts out overlong forms, surrogates and
      // code points past U+10FFFF.
      const auto second = static_cast<unsigned char>(text[i + (length > 1)]);
      const unsigned low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
      const unsigned high = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
      if (length > 1 && (second < low || second > high)) return i;
      for (std::size_t k = 2; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return i;
      }
      i += length;
    }
    return std::nullopt;
  }
  if (error == simdjson::UNESCAPED_CHARS || error == simdjson::UNCLOSED_STRING) {
    std::optional<std::size_t> open;  // the quote of the text we are in
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (!open) {
        if (c == '"') open = i;
      } else if (c == '\\') {
        ++i;
      } else if (c == '"') {
        open.reset();
      } else if (static_cast<unsigned char>(c) < 0x20 && error == simdjson::UNESCAPED_CHARS) {
        return i;
      }
    }
    return open;
  }
  return std::nullopt;
}

// Walks the document; a parser error becomes Damaged at the byte the
// parser stood on.
class Reader {
 public:
  Reader(od::document& doc, const char* begin) : doc_(doc), begin_(begin) {}

  template <typename T>
  T Take(simdjson::simdjson_result<T>&& result) {
    T value{};
    if (const simdjson::error_code error = std::move(result).get(value)) Fail(error);
    return value;
  }

  [[noreturn]] void Fail(simdjson::error_code error) { throw Damaged{DamageText(error), Here()}; }

  // The byte the parser stands on; nothing past the text's end.
  std::optional<std::size_t> Here() {
    const char* at = nullptr;
    if (doc_.current_location().get(at) != simdjson::SUCCESS) return std::nullopt;
    return static_cast<std::size_t>(at - begin_);
  }

  od::json_type Type(od::value& value) { return Take(value.type()); }

  // Calls `member(key, value)` for each member of an object; it reads the value.
  template <typename F>
  void Members(od::object& object, F&& member) {
    for (auto result : object) {
      od::field field = Take(std::move(result));
      const std::string_view key = Take(field.unescaped_key());
      member(key, field.value());
    }
  }

  // Calls `item(value)` for each item of an array; it reads the value.
  template <typename F>
  void Items(od::array& array, F&& item) {
    for (auto result : array) {
      od::value value = Take(std::move(result));
      item(value);
    }
  }

 private:
  od::document& doc_;
  const char* begin_;
};

// The Windows-1252 text of a JSON text value: a view of the parser's own
// text, or of `converted` where the text had to be converted. `where` names
// it in a problem; it is only called then, so that reading stays cheap.
template <typename Where>
std::string_view TextViewAt(Reader& in, od::value& value, const Where& where,
                            std::string& converted) {
  std::string_view utf8;
  if (const simdjson::error_code error = value.get_string().get(utf8)) {
    if (error == simdjson::INCORRECT_TYPE) throw Problem{where() + " should be a text"};
    in.Fail(error);
  }
  // Plain ASCII, by far the most common, is the same in both.
  if (IsAscii(utf8)) return utf8;
  if (!FitsCp1252(utf8)) {
    throw Problem{where() + " holds characters that Windows-1252 can't store"};
  }
  converted = Utf8ToCp1252(utf8);
  return converted;
}

template <typename Where>
std::string TextAt(Reader& in, od::value& value, const Where& where) {
  std::string converted;
  return std::string(TextViewAt(in, value, where, converted));
}

std::string Text(Reader& in, od::value& value, const std::string& where) {
  return TextAt(in, value, [&] { return where; });
}

bool IsNull(Reader& in, od::value& value) {
  if (in.Type(value) != od::json_type::null) return false;
  if (!in.Take(value.is_null())) in.Fail(simdjson::N_ATOM_ERROR);
  return true;
}

// A text or null (nothing).
std::optional<std::string> OptionalText(Reader& in, od::value& value, const std::string& where) {
  if (IsNull(in, value)) return std::nullopt;
  return Text(in, value, where);
}

bool Flag(Reader& in, od::value& value, const std::string& where) {
  if (in.Type(value) != od::json_type::boolean) throw Problem{where + " should be true or false"};
  return in.Take(value.get_bool());
}

// A time in seconds: a number, not below 0.
template <typename Where>
double SecondsAt(Reader& in, od::value& value, const Where& where) {
  double seconds = -1;
  if (in.Type(value) != od::json_type::number || value.get_double().get(seconds)) seconds = -1;
  if (!(seconds >= 0 && seconds < 1e9)) throw Problem{where() + " should be a time in seconds"};
  return seconds;
}

// The format version: a whole number of up to nine digits, so that no
// version a file can name overflows.
long long VersionOf(Reader& in, od::value& value) {
  std::string_view digits;
  if (in.Type(value) == od::json_type::number) {
    digits = value.raw_json_token();
    digits = digits.substr(0, digits.find_last_not_of(" \t\r\n") + 1);
  }
  long long version = 0;
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string_view::npos) {
    throw Problem{"it has no format version"};
  }
  std::from_chars(digits.data(), digits.data() + digits.size(), version);
  return version;
}

template <typename F>
void ObjectOf(Reader& in, od::value& value, const std::string& where, F&& member) {
  if (in.Type(value) != od::json_type::object) throw Problem{where + " should be an object"};
  od::object object = in.Take(value.get_object());
  in.Members(object, member);
}

template <typename F>
void ArrayOf(Reader& in, od::value& value, const std::string& where, F&& item) {
  if (in.Type(value) != od::json_type::array) throw Problem{where + " should be a list"};
  od::array array = in.Take(value.get_array());
  in.Items(array, item);
}

// A row as read: views of the parser's texts, or of `converted` where a
// text was converted; they hold until the next row is read into it.
struct ReadRow {
  PhraseRowView Cells;
  std::array<std::string, 3> Converted;
};

// A row: a list of Sound, String and Abbrev, and an object with its time
// and mature flag, read into `row`. `where` names it in a problem.
template <typename Where>
void RowAt(Reader& in, od::value& value, const Where& where, ReadRow& row) {
  const auto shape = [&] {
    return Problem{where() +
                   " should be a list of three texts (Sound, String, Abbrev) and its time and "
                   "mature flag"};
  };
  od::array cells;
  if (const simdjson::error_code error = value.get_array().get(cells)) {
    if (error == simdjson::INCORRECT_TYPE) throw shape();
    in.Fail(error);
  }
  row.Cells = {};
  int count = 0;
  in.Items(cells, [&](od::value& cell) {
    switch (count++) {
      case 0:
        row.Cells.Sound = TextViewAt(
            in, cell, [&] { return where() + " Sound"; }, row.Converted[0]);
        break;
      case 1:
        row.Cells.String = TextViewAt(
            in, cell, [&] { return where() + " String"; }, row.Converted[1]);
        break;
      case 2:
        row.Cells.Abbrev = TextViewAt(
            in, cell, [&] { return where() + " Abbrev"; }, row.Converted[2]);
        break;
      case 3: {
        if (in.Type(cell) != od::json_type::object) throw shape();
        od::object extras = in.Take(cell.get_object());
        in.Members(extras, [&](std::string_view member, od::value& field) {
          if (member == "time") {
            row.Cells.Time = SecondsAt(in, field, [&] { return where() + " time"; });
          } else if (member == "mature") {
            row.Cells.Mature = Flag(in, field, where() + " mature");
          }
        });
        break;
      }
      default:
        throw shape();
    }
  });
  if (count != 3 && count != 4) throw shape();
}

// An order's row.
void Row(Reader& in, od::value& value, const std::string& where, PhraseRow& row) {
  ReadRow read;
  RowAt(
      in, value, [&] { return where; }, read);
  const PhraseRowView& cells = read.Cells;
  row = PhraseRow{std::string(cells.Sound), std::string(cells.String), std::string(cells.Abbrev),
                  std::nullopt, cells.Mature};
  if (cells.Time) row.Time = FixedTime{*cells.Time, row.Sound};
}

void ReadTakes(Reader& in, od::value& value, std::vector<LineTakes>& takes) {
  takes.clear();
  ArrayOf(in, value, "takes", [&](od::value& item) {
    const std::string where = "takes " + std::to_string(takes.size() + 1);
    LineTakes& line = takes.emplace_back();
    ObjectOf(in, item, where, [&](std::string_view member, od::value& field) {
      if (member == "line") {
        line.Line = Text(in, field, where + " line");
      } else if (member == "files") {
        ArrayOf(in, field, where + " files",
                [&](od::value& file) { line.Files.push_back(Text(in, file, where + " files")); });
      } else if (member == "used") {
        line.Used = Text(in, field, where + " used");
      } else if (member == "sound") {
        line.Sound = Text(in, field, where + " sound");
      }
    });
  });
}

void ReadTable(Reader& in, od::value& value, const std::string& key, PhraseTable& table) {
  table = PhraseTable();
  bool adding = false;
  ObjectOf(in, value, key, [&](std::string_view member, od::value& field) {
    if (member == "addRows") {
      adding = Flag(in, field, key + " addRows");
    } else if (member == "rows") {
      if (in.Type(field) != od::json_type::array) throw Problem{key + " rows should be a list"};
      od::array list = in.Take(field.get_array());
      table = PhraseTable();
      ReadRow row;
      in.Items(list, [&](od::value& item) {
        const int k = table.Count() + 1;
        RowAt(
            in, item, [&] { return key + " row " + std::to_string(k); }, row);
        if (!table.AppendRow(row.Cells)) {
          throw Problem{key + " has more than " + std::to_string(PhraseTable::kMaxRows) +
                        " rows; a table holds at most " + std::to_string(PhraseTable::kMaxRows)};
        }
      });
    }
  });
  // A table that never had its first "Create Rows..." keeps asking for a count.
  if (!table.Empty() || adding) table.SetAddNewRowMode();
}

ProjectState StateFrom(Reader& in, od::document& doc) {
  od::object root = in.Take(doc.get_object());
  ProjectState state;
  bool marked = false;
  std::optional<long long> version;
  std::string base;
  std::array<std::optional<double>, 4> leaderTimes;
  in.Members(root, [&](std::string_view key, od::value& value) {
    if (key == "format") {
      marked =
          in.Type(value) == od::json_type::string && in.Take(value.get_string()) == kFormatMark;
      if (!marked) throw Problem{"it is not a Voxmire voice pack project"};
    } else if (key == "version") {
      version = VersionOf(in, value);
      if (*version > kProjectFormatVersion) {
        throw Problem{"it was made by a newer version of Voxmire (format " +
                      std::to_string(*version) + "; this version reads format " +
                      std::to_string(kProjectFormatVersion) + ")"};
      }
    } else if (key == "pack") {
      ObjectOf(in, value, "pack", [&](std::string_view member, od::value& field) {
        for (const FieldSlot& slot : kPackFields) {
          if (member == slot.key) {
            state.*slot.field = Text(in, field, "pack " + std::string(member));
            return;
          }
        }
      });
    } else if (key == "baseVoice") {
      base = Text(in, value, " baseVoice");
    } else if (key == "soundDir") {
      state.SoundDir = Text(in, value, " soundDir");
    } else if (key == "soundDrive") {
      state.SoundDrive = Text(in, value, " soundDrive");
    } else if (key == "sounds" || key == "convertedSounds") {
      const std::string name(key);
      auto& list = key == "sounds" ? state.Sounds : state.ConvertedSounds;
      list.clear();
      ArrayOf(in, value, name, [&](od::value& item) {
        const std::string where = name + " " + std::to_string(list.size() + 1);
        list.push_back(Text(in, item, where));
        // The pack's folder, the script and the references are built from
        // these names: only what the sound page could have made is one.
        if (!IsGameSoundName(list.back())) {
          throw Damaged{where + ", \"" + list.back() + "\", is no sound name", std::nullopt};
        }
      });
    } else if (key == "takes") {
      ReadTakes(in, value, state.Takes);
    } else if (key == "scriptHead") {
      state.ScriptHead = OptionalText(in, value, "scriptHead");
    } else if (key == "tables") {
      ObjectOf(in, value, "tables", [&](std::string_view member, od::value& field) {
        for (const TableSlot& slot : kTableSlots) {
          if (member == slot.key) {
            ReadTable(in, field, slot.key, state.Tables.*slot.table);
            return;
          }
        }
      });
    } else if (key == "orders") {
      std::size_t i = 0;
      ArrayOf(in, value, "orders", [&](od::value& item) {
        if (i >= kOrderSlots.size()) throw Problem{"orders should list the seven orders"};
        Row(in, item, "order " + std::string(kOrderSlots[i].Label), state.Tables.Orders[i]);
        ++i;
      });
      if (i != 0 && i != kOrderSlots.size()) throw Problem{"orders should list the seven orders"};
    } else if (key == "leaders") {
      std::size_t i = 0;
      ArrayOf(in, value, "leaders", [&](od::value& item) {
        if (i >= kLeaderLabels.size()) throw Problem{"leaders should list the four team leaders"};
        state.Tables.Names[i] = Text(in, item, std::string(kLeaderLabels[i]));
        ++i;
      });
      if (i != 0 && i != kLeaderLabels.size()) {
        throw Problem{"leaders should list the four team leaders"};
      }
    } else if (key == "leaderTimes") {
      std::size_t i = 0;
      ArrayOf(in, value, "leaderTimes", [&](od::value& item) {
        if (i >= kLeaderLabels.size()) throw Problem{"leaderTimes should list four times"};
        const std::string where = std::string(kLeaderLabels[i]) + " time";
        if (IsNull(in, item)) {
          leaderTimes[i] = std::nullopt;
        } else {
          leaderTimes[i] = SecondsAt(in, item, [&] { return where; });
        }
        ++i;
      });
    } else if (key == "description") {
      state.Description = OptionalText(in, value, "description");
    } else if (key == "generateUmod") {
      state.GenerateUmod = Flag(in, value, "generateUmod");
    }
    // Anything else was written by a later version, or by hand: not ours to
    // judge, and passed over.
  });
  // The parser stands nowhere once it has read the whole text.
  if (const auto more = in.Here()) throw Damaged{"more follows the project", more};
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

// What reading keeps for the next read on its thread: the parser's index
// and the text's buffer. Fresh pages for a large project cost more than
// parsing it, and a pack is read more than once (loaded, then continued
// from the information page).
struct Reading {
  od::parser parser;
  std::string bytes;  // the text, then the padding the parser reads past its end
};

Reading& ThisThreadsReading() {
  thread_local Reading reading;
  return reading;
}

// Reads the text in `reading.bytes`.
ProjectRead ReadPadded(Reading& reading) {
  std::string& bytes = reading.bytes;
  const std::size_t size = bytes.size();
  bytes.append(simdjson::SIMDJSON_PADDING, '\0');
  const std::string_view text(bytes.data(), size);
  ProjectRead read;
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    read.problem = "the file is empty";
    return read;
  }
  try {
    if (text[text.find_first_not_of(" \t\r\n")] != '{') {
      throw Problem{"it is not a Voxmire voice pack project"};
    }
    od::document doc;
    if (const auto error = reading.parser.iterate(bytes.data(), size, bytes.size()).get(doc)) {
      throw Damaged{DamageText(error), FirstPassDamageAt(text, error)};
    }
    Reader in(doc, bytes.data());
    read.state = StateFrom(in, doc);
  } catch (const Problem& p) {
    read.problem = p.text;
  } catch (const Damaged& d) {
    read.problem = "it is not a complete project file (cut short or damaged: " + d.what +
                   (d.at ? " at byte " + std::to_string(*d.at) : std::string()) + ")";
  }
  if (read.state) read.problem.clear();
  return read;
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
    AppendRow(out, ViewOf(state.Tables.Orders[i]));
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
  Reading& reading = ThisThreadsReading();
  reading.bytes.reserve(text.size() + simdjson::SIMDJSON_PADDING);
  reading.bytes.assign(text);
  return ReadPadded(reading);
}

ProjectRead ReadProjectFile(const fs::path& file) {
  Reading& reading = ThisThreadsReading();
  std::error_code ec;
  if (!ReadFileInto(file, reading.bytes, ec, simdjson::SIMDJSON_PADDING)) {
    ProjectRead read;
    read.problem = "it can't be read: " + ec.message();
    return read;
  }
  return ReadPadded(reading);
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
  // Rows the state still shares with the last save compare without a look.
  if (lastSaved_ && *lastSaved_ == state && WriteProblem().empty()) return Outcome::Unchanged;

  std::error_code ec;
  fs::create_directories(ProjectFolder(places_), ec);
  if (ec) {
    problem_ = "The folder " + PathText(ProjectFolder(places_)) +
               " could not be created: " + ec.message() + ".";
    lastSaved_.reset();
    return Outcome::Failed;
  }
  lastSaved_ = std::make_shared<const ProjectState>(state);
  {
    std::lock_guard lock(mutex_);
    // A write not yet begun is out of date: only the newest state matters.
    pending_.emplace(ProjectFilePath(places_, name), lastSaved_);
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
    auto [file, state] = std::move(*pending_);
    pending_.reset();
    writing_ = true;
    lock.unlock();
    std::error_code ec;
    const bool written = WriteFileAtomic(file, ProjectFileText(*state), ec);
    state.reset();  // let go of it outside the lock
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
  lastSaved_.reset();
  return true;
}

void ProjectStore::Unbind() {
  bound_.clear();
  lastSaved_.reset();
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
  if (bound_ == voicePackName) lastSaved_.reset();
  return aside;
}

}  // namespace voxmire
