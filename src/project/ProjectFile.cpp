#include "project/ProjectFile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <system_error>

#include "core/Files.h"
#include "core/Text1252.h"
#include "project/BaseVoices.h"
#include "project/PackName.h"

namespace voxmire {
namespace fs = std::filesystem;

namespace {

using Json = nlohmann::json;

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

void AppendRow(std::string& out, const PhraseRow& row) {
  out += '[';
  AppendQuoted(out, row.Sound);
  out += ", ";
  AppendQuoted(out, row.String);
  out += ", ";
  AppendQuoted(out, row.Abbrev);
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

void AppendOptional(std::string& out, const std::optional<std::string>& text) {
  if (text) {
    AppendQuoted(out, *text);
  } else {
    out += "null";
  }
}

// --- reading

struct Problem {
  std::string text;
};

const Json* Member(const Json& object, const char* key) {
  const auto it = object.find(key);
  return it == object.end() || it->is_null() ? nullptr : &*it;
}

std::string Text(const Json& value, const std::string& where) {
  if (!value.is_string()) throw Problem{where + " should be a text"};
  const auto& utf8 = value.get_ref<const std::string&>();
  if (!FitsCp1252(utf8)) {
    throw Problem{where + " holds characters that Windows-1252 can't store"};
  }
  return Utf8ToCp1252(utf8);
}

std::string TextMember(const Json& object, const char* key, const std::string& where) {
  const Json* value = Member(object, key);
  return value == nullptr ? std::string() : Text(*value, where + " " + key);
}

const Json& ObjectMember(const Json& object, const char* key) {
  static const Json kEmpty = Json::object();
  const Json* value = Member(object, key);
  if (value == nullptr) return kEmpty;
  if (!value->is_object()) throw Problem{std::string(key) + " should be an object"};
  return *value;
}

const Json& ArrayMember(const Json& object, const char* key) {
  static const Json kEmpty = Json::array();
  const Json* value = Member(object, key);
  if (value == nullptr) return kEmpty;
  if (!value->is_array()) throw Problem{std::string(key) + " should be a list"};
  return *value;
}

// A row: a list of Sound, String and Abbrev.
PhraseRow Row(const Json& value, const std::string& where) {
  if (!value.is_array() || value.size() != 3) {
    throw Problem{where + " should be a list of three texts (Sound, String, Abbrev)"};
  }
  return {Text(value[0], where + " Sound"), Text(value[1], where + " String"),
          Text(value[2], where + " Abbrev")};
}

void ReadTable(const Json& object, const char* key, PhraseTable& table) {
  const Json& entry = ObjectMember(object, key);
  const Json& rows = ArrayMember(entry, "rows");
  if (rows.size() > static_cast<std::size_t>(PhraseTable::kMaxRows)) {
    throw Problem{std::string(key) + " has " + std::to_string(rows.size()) +
                  " rows; a table holds at most " + std::to_string(PhraseTable::kMaxRows)};
  }
  table = PhraseTable();
  table.CreateRows(static_cast<int>(rows.size()));
  const Json* adding = Member(entry, "addRows");
  if (adding != nullptr && !adding->is_boolean()) {
    throw Problem{std::string(key) + " addRows should be true or false"};
  }
  // A table that never had its first "Create Rows..." keeps asking for a count.
  if (rows.empty() && (adding == nullptr || !adding->get<bool>())) table = PhraseTable();
  int k = 0;
  for (const Json& value : rows) {
    ++k;
    const PhraseRow row = Row(value, std::string(key) + " row " + std::to_string(k));
    table.SetCellUnclamped(k, PhraseCell::Sound, row.Sound);
    table.SetCellUnclamped(k, PhraseCell::String, row.String);
    table.SetCellUnclamped(k, PhraseCell::Abbrev, row.Abbrev);
  }
}

ProjectState StateFrom(const Json& root) {
  if (!root.is_object() || !root.contains("format") || root["format"] != kFormatMark) {
    throw Problem{"it is not a Voxmire voice pack project"};
  }
  const Json* version = Member(root, "version");
  if (version == nullptr || !version->is_number_integer()) {
    throw Problem{"it has no format version"};
  }
  if (version->get<long long>() > kProjectFormatVersion) {
    throw Problem{"it was made by a newer version of Voxmire (format " +
                  std::to_string(version->get<long long>()) + "; this version reads format " +
                  std::to_string(kProjectFormatVersion) + ")"};
  }

  ProjectState state;
  const Json& pack = ObjectMember(root, "pack");
  for (const FieldSlot& slot : kPackFields) state.*slot.field = TextMember(pack, slot.key, "pack");
  if (!IsValidPackName(state.VoicePackName)) {
    throw Problem{InvalidPackNameText(state.VoicePackName)};
  }
  DeriveGameFolders(state);

  if (const std::string base = TextMember(root, "baseVoice", ""); !base.empty()) {
    const auto found = FindBaseVoice(base);
    if (!found) throw Problem{"its base voice \"" + base + "\" is none of the game's voices"};
    ApplyBaseVoice(kBaseVoices[*found], state);
  }
  state.SoundDir = TextMember(root, "soundDir", "");
  state.SoundDrive = TextMember(root, "soundDrive", "");
  int n = 0;
  for (const Json& sound : ArrayMember(root, "sounds")) {
    state.Sounds.push_back(Text(sound, "sound " + std::to_string(++n)));
  }
  n = 0;
  for (const Json& sound : ArrayMember(root, "convertedSounds")) {
    state.ConvertedSounds.push_back(Text(sound, "converted sound " + std::to_string(++n)));
  }
  if (const Json* head = Member(root, "scriptHead")) state.ScriptHead = Text(*head, "scriptHead");

  const Json& tables = ObjectMember(root, "tables");
  for (const TableSlot& slot : kTableSlots) ReadTable(tables, slot.key, state.Tables.*slot.table);
  const Json& orders = ArrayMember(root, "orders");
  if (!orders.empty() && orders.size() != kOrderSlots.size()) {
    throw Problem{"orders should list the seven orders"};
  }
  for (std::size_t i = 0; i < orders.size(); ++i) {
    state.Tables.Orders[i] = Row(orders[i], "order " + std::string(kOrderSlots[i].Label));
  }
  const Json& leaders = ArrayMember(root, "leaders");
  if (!leaders.empty() && leaders.size() != kLeaderLabels.size()) {
    throw Problem{"leaders should list the four team leaders"};
  }
  for (std::size_t i = 0; i < leaders.size(); ++i) {
    state.Tables.Names[i] = Text(leaders[i], std::string(kLeaderLabels[i]));
  }

  if (const Json* description = Member(root, "description")) {
    state.Description = Text(*description, "description");
  }
  if (const Json* umod = Member(root, "generateUmod")) {
    if (!umod->is_boolean()) throw Problem{"generateUmod should be true or false"};
    state.GenerateUmod = umod->get<bool>();
  }
  return state;
}

}  // namespace

fs::path ProjectFolder(const fs::path& programDir) {
  return programDir / std::string(kProjectFolderName);
}

fs::path ProjectFilePath(const fs::path& programDir, std::string_view voicePackName) {
  return Join(ProjectFolder(programDir),
              std::string(voicePackName) + std::string(kProjectExtension));
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
  out += "\n  ],\n  \"description\": ";
  AppendOptional(out, state.Description);
  out += ",\n  \"generateUmod\": ";
  out += state.GenerateUmod ? "true" : "false";
  out += "\n}\n";
  return out;
}

ProjectRead ReadProjectText(std::string_view text) {
  ProjectRead read;
  Json root;
  try {
    root = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    read.problem = text.empty() ? "the file is empty"
                                : "it is not a complete project file (cut short or damaged: " +
                                      std::string(e.what()) + ")";
    return read;
  }
  try {
    read.state = StateFrom(root);
  } catch (const Problem& p) {
    read.problem = p.text;
  } catch (const Json::exception& e) {
    read.problem = std::string("it holds something unexpected: ") + e.what();
  }
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
  if (WouldClash(name)) return Outcome::Taken;
  const std::string failed = TakeFailure();
  std::string text = ProjectFileText(state);
  if (failed.empty() && name == bound_ && text == lastText_) return Outcome::Unchanged;

  std::error_code ec;
  fs::create_directories(ProjectFolder(programDir_), ec);
  if (ec) {
    problem_ = "The folder " + PathText(ProjectFolder(programDir_)) +
               " could not be created: " + ec.message() + ".";
    lastText_.clear();
    return Outcome::Failed;
  }
  bound_ = name;
  lastText_ = text;
  {
    std::lock_guard lock(mutex_);
    // A write not yet begun is out of date: only the newest text matters.
    pending_.emplace(ProjectFilePath(programDir_, name), std::move(text));
    if (!writer_.joinable()) writer_ = std::thread(&ProjectStore::WriterLoop, this);
  }
  wake_.notify_all();
  if (!failed.empty()) {
    problem_ = failed;
    return Outcome::Failed;
  }
  problem_.clear();
  return Outcome::Saved;
}

bool ProjectStore::Flush() {
  {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return !pending_ && !writing_; });
  }
  const std::string failed = TakeFailure();
  if (failed.empty()) return true;
  problem_ = failed;
  lastText_.clear();
  return false;
}

std::string ProjectStore::TakeFailure() {
  std::lock_guard lock(mutex_);
  std::string failed = std::move(failure_);
  failure_.clear();
  return failed;
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
    errno = 0;
    const bool written = WriteFileAtomic(file, text);
    const int error = errno;
    lock.lock();
    writing_ = false;
    if (!written) {
      failure_ = PathText(file) + " could not be written: " +
                 (error != 0 ? std::string(std::strerror(error)) : std::string("unknown error")) +
                 ".";
    }
    wake_.notify_all();
  }
}

void ProjectStore::Bind(std::string_view voicePackName) {
  if (bound_ != voicePackName) lastText_.clear();
  bound_ = std::string(voicePackName);
}

void ProjectStore::Unbind() {
  bound_.clear();
  lastText_.clear();
}

bool ProjectStore::WouldClash(std::string_view voicePackName) const {
  if (voicePackName == bound_) return false;
  std::error_code ec;
  return fs::exists(ProjectFilePath(programDir_, voicePackName), ec);
}

std::optional<fs::path> ProjectStore::SetAside(std::string_view voicePackName) {
  Flush();  // a write still under way must not land after the move
  const fs::path file = ProjectFilePath(programDir_, voicePackName);
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
  if (bound_ == voicePackName) Unbind();
  return aside;
}

}  // namespace voxmire
