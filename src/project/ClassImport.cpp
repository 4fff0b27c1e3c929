#include "project/ClassImport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "core/Ascii.h"
#include "core/Files.h"
#include "game/GameSounds.h"
#include "project/BaseVoices.h"
#include "project/PackName.h"
#include "project/ScriptHead.h"
#include "sounds/PackSounds.h"
#include "workarea/GameVoice.h"

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

bool SameIgnoringCase(std::string_view a, std::string_view b) { return SameAscii(a, b); }

bool IdentifierChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
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

// The game's other well-known classes, which no voice extends: a class built
// on one of them is something else, and a pack made of it would be broken.
// Each with what it is, as the refusal says it.
constexpr std::string_view kWeapon = "one of the game's weapons";
constexpr std::string_view kItem = "one of the game's pickup items";
constexpr std::string_view kPlayer = "one of the game's player classes";
constexpr std::string_view kBot = "one of the game's bot classes";
constexpr std::string_view kGameType = "one of the game's game types";
constexpr std::string_view kLevelActor = "one of the things placed in a level";
constexpr std::pair<std::string_view, std::string_view> kOtherClasses[] = {
    {"Object", "the root of all classes"},
    {"Actor", "the root of everything in a level"},
    {"Info", "an information holder of the game"},
    {"ReplicationInfo", "an information holder of the game"},
    {"PlayerReplicationInfo", "an information holder of the game"},
    {"GameReplicationInfo", "an information holder of the game"},
    {"TournamentGameReplicationInfo", "an information holder of the game"},
    {"Weapon", kWeapon},
    {"TournamentWeapon", kWeapon},
    {"Enforcer", kWeapon},
    {"DoubleEnforcer", kWeapon},
    {"ImpactHammer", kWeapon},
    {"Translocator", kWeapon},
    {"ut_biorifle", kWeapon},
    {"ShockRifle", kWeapon},
    {"SuperShockRifle", kWeapon},
    {"PulseGun", kWeapon},
    {"ripper", kWeapon},
    {"minigun2", kWeapon},
    {"UT_FlakCannon", kWeapon},
    {"UT_Eightball", kWeapon},
    {"SniperRifle", kWeapon},
    {"WarheadLauncher", kWeapon},
    {"ChainSaw", kWeapon},
    {"Ammo", "one of the game's ammunition classes"},
    {"TournamentAmmo", "one of the game's ammunition classes"},
    {"Inventory", kItem},
    {"Pickup", kItem},
    {"TournamentPickup", kItem},
    {"TournamentHealth", kItem},
    {"HealthPack", kItem},
    {"MedBox", kItem},
    {"HealthVial", kItem},
    {"Armor2", kItem},
    {"ThighPads", kItem},
    {"UT_ShieldBelt", kItem},
    {"UDamage", kItem},
    {"UT_JumpBoots", kItem},
    {"UT_Invisibility", kItem},
    {"Projectile", "one of the game's projectiles"},
    {"Pawn", kPlayer},
    {"PlayerPawn", kPlayer},
    {"Spectator", kPlayer},
    {"TournamentPlayer", kPlayer},
    {"TournamentMale", kPlayer},
    {"TournamentFemale", kPlayer},
    {"TMale1", kPlayer},
    {"TMale2", kPlayer},
    {"TFemale1", kPlayer},
    {"TFemale2", kPlayer},
    {"TBoss", kPlayer},
    {"Bot", kBot},
    {"HumanBotPlus", kBot},
    {"MaleBotPlus", kBot},
    {"FemaleBotPlus", kBot},
    {"TMale1Bot", kBot},
    {"TMale2Bot", kBot},
    {"TFemale1Bot", kBot},
    {"TFemale2Bot", kBot},
    {"TBossBot", kBot},
    {"GameInfo", kGameType},
    {"TournamentGameInfo", kGameType},
    {"DeathMatchPlus", kGameType},
    {"TeamGamePlus", kGameType},
    {"CTFGame", kGameType},
    {"Domination", kGameType},
    {"Assault", kGameType},
    {"LastManStanding", kGameType},
    {"Mutator", "one of the game's mutators"},
    {"Arena", "one of the game's mutators"},
    {"HUD", "one of the game's HUDs"},
    {"ChallengeHUD", "one of the game's HUDs"},
    {"ChallengeTeamHUD", "one of the game's HUDs"},
    {"ScoreBoard", "one of the game's scoreboards"},
    {"TournamentScoreBoard", "one of the game's scoreboards"},
    {"TeamScoreBoard", "one of the game's scoreboards"},
    {"LocalMessage", "one of the game's message classes"},
    {"LocalMessagePlus", "one of the game's message classes"},
    {"CriticalEventPlus", "one of the game's message classes"},
    {"Console", "the game's console"},
    {"Menu", "one of the game's menus"},
    {"Commandlet", "one of the game's commandlets"},
    {"Decoration", kLevelActor},
    {"Effects", kLevelActor},
    {"Light", kLevelActor},
    {"Mover", kLevelActor},
    {"Brush", kLevelActor},
    {"Keypoint", kLevelActor},
    {"Triggers", kLevelActor},
    {"Trigger", kLevelActor},
    {"NavigationPoint", kLevelActor},
    {"PathNode", kLevelActor},
    {"PlayerStart", kLevelActor},
    {"Teleporter", kLevelActor},
    {"ZoneInfo", kLevelActor},
    {"SkyZoneInfo", kLevelActor},
};

constexpr std::string_view kWhatAVoiceIs =
    "A voice pack is made from a voice class, one that extends one of the game's voices "
    "(VoiceMaleOne, VoiceFemaleTwo, VoiceBoss, ...) or another voice.";

// Why the class is no voice, judged by its parent; empty when it may be one.
std::string NoVoiceBecause(const ClassLine& line) {
  if (line.parent.empty()) {
    return "The class line of " + line.name + " names no parent class, so " + line.name +
           " is no voice. " + std::string(kWhatAVoiceIs);
  }
  for (const auto& [cls, kind] : kOtherClasses) {
    if (SameIgnoringCase(line.parent, cls)) {
      return line.name + " is no voice: its parent class " + line.parent + " is " +
             std::string(kind) + ". " + std::string(kWhatAVoiceIs);
    }
  }
  return {};
}

// ---- Sound imports ----------------------------------------------------------

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

// A time or a flag: a number the game's compiler takes, or nothing.
std::optional<double> NumberValue(std::string_view raw) {
  std::string_view value = Trim(raw);
  if (!value.empty() && value.back() == ';') value = Trim(value.substr(0, value.size() - 1));
  double number = 0;
  const auto end = value.data() + value.size();
  const auto [ptr, ec] = std::from_chars(value.data(), end, number);
  // Times are seconds and flags bytes: anything far outside is no setting.
  if (value.empty() || ec != std::errc() || ptr != end || !(number >= 0 && number <= 1e6)) {
    return std::nullopt;
  }
  return number;
}

// The growable tables as the game's class names them.
struct GrowableLayout {
  VoiceCategory category;
  PhraseTable WorkAreaTables::*table;
};

constexpr std::array<GrowableLayout, 4> kGrowables = {{
    {VoiceCategory::Ack, &WorkAreaTables::Acks},
    {VoiceCategory::FFire, &WorkAreaTables::FFire},
    {VoiceCategory::Taunt, &WorkAreaTables::Taunts},
    {VoiceCategory::Other, &WorkAreaTables::Others},
}};

// The place of an order number on the Orders tab, if it has one.
std::optional<std::size_t> OrderPlace(int number) {
  for (std::size_t i = 0; i < kOrderSlots.size(); ++i) {
    if (kOrderSlots[i].Number == number) return i;
  }
  return std::nullopt;
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
    const std::optional<ClassLine> classLine = FindClassLine(lines_, blockLine);
    if (!classLine) {
      return Failure(
          "This file has no class line (\"class <Name> extends <voice class>;\"), so it is not a "
          "voice class.");
    }
    const ClassLine& cls = *classLine;
    if (!IsValidPackName(cls.name)) return Failure(InvalidPackNameText(cls.name));
    if (std::string why = NoVoiceBecause(cls); !why.empty()) return Failure(std::move(why));
    if (blockLine >= lines_.size()) {
      return Failure("The class " + cls.name +
                     " has no defaultproperties block, so there are no phrases to import.");
    }

    result_.state.VoicePackName = cls.name;
    result_.head = HeadBytes(uc_, blockLine);
    ApplyParent(cls.parent);
    parent_ = cls.parent;
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
    result_.unknownParent = parent;
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

  // Takes one assignment; false when the wizard has no place for it.
  bool Place(const Key& key, std::string_view value) {
    const auto property = FindProperty(key.name);
    if (!property) return false;
    Assignment a;
    a.Category = property->Category;
    a.Field = property->Field;
    if (a.Field == VoiceField::Count) {
      if (key.indexed) return false;
      const auto count = CountValue(value);
      if (!count) {
        result_.notes.push_back(std::string(key.name) + "=" + std::string(Trim(value)) +
                                " is not a row count the work area can hold, so it was left "
                                "out.");
        return true;
      }
      a.Number = *count;
      countSet_[static_cast<std::size_t>(a.Category)] = true;
      assignments_.push_back(std::move(a));
      return true;
    }
    // Past the class's slots the compiler ignores an entry ("out of bound").
    if (!key.indexed || key.index >= static_cast<std::size_t>(SlotCount(a.Category))) return false;
    a.Index = static_cast<int>(key.index);
    if (a.Category == VoiceCategory::Order && !OrderPlace(a.Index)) return false;
    switch (a.Field) {
      case VoiceField::Sound:
        a.Text = Trim(value);
        break;
      case VoiceField::String:
      case VoiceField::Abbrev:
        a.Text = TextValue(value);
        break;
      default: {
        const auto number = NumberValue(value);
        if (!number) return false;
        a.Number = a.Field == VoiceField::Mature ? std::min(*number, 255.0) : *number;
      }
    }
    keys_[{a.Category, a.Index}].push_back(KeyText(key));
    assignments_.push_back(std::move(a));
    return true;
  }

  // The class's own assignments laid over its parent's defaults, as the
  // game's compiler stores them, and the tables made from that.
  void BuildTables() {
    VoiceDefaults merged = BaseDefaults(parent_);
    const bool parentKnown = GameClassDefaults(parent_) != nullptr;
    for (const Assignment& a : assignments_) Apply(merged, a);
    WorkAreaTables& tables = result_.state.Tables;

    for (const GrowableLayout& layout : kGrowables) {
      const VoiceCategory c = layout.category;
      PhraseTable& table = tables.*layout.table;
      const int* count = merged.Count(c);
      // A class of a parent we don't know the defaults of, or of no count
      // at all (the others), has as many rows as it has entries.
      int rows = count != nullptr && (parentKnown || countSet_[static_cast<std::size_t>(c)])
                     ? *count
                     : HighestEntry(merged, c) + 1;
      if (rows > 0) table.CreateRows(rows);
      for (int k = 1; k <= std::min(rows, SlotCount(c)); ++k) {
        const VoiceEntry& entry = merged.At(c, k - 1);
        table.SetCellUnclamped(k, PhraseCell::Sound, entry.Sound);
        table.SetCellUnclamped(k, PhraseCell::String, entry.String);
        table.SetCellUnclamped(k, PhraseCell::Abbrev, entry.Abbrev);
        // The game's time, whatever the sound lasts: importing keeps what the class does.
        if (c == VoiceCategory::Ack && (entry.Time != 0 || !IsNoSound(entry.Sound))) {
          table.SetTime(k, entry.Time);
        }
        table.SetMature(k, c == VoiceCategory::Taunt && entry.Mature > 0);
      }
      // Past the count the game never plays them; the user decides.
      for (auto& [place, keys] : keys_) {
        if (place.first != c || place.second < rows) continue;
        for (std::string& key : keys) Unplaced(std::move(key));
      }
    }

    for (std::size_t i = 0; i < kOrderSlots.size(); ++i) {
      const int number = kOrderSlots[i].Number;
      const VoiceEntry& entry = merged.Orders[static_cast<std::size_t>(number)];
      PhraseRow& order = tables.Orders[i];
      order.Sound = ExplicitSound(VoiceCategory::Order, number, entry.Sound);
      order.String = entry.String;
      order.Abbrev = entry.Abbrev;
      // An empty order text keeps the base voice's: a blank can't be kept.
      const VoiceEntry& parent = BaseDefaults(parent_).Orders[static_cast<std::size_t>(number)];
      for (const auto& [field, text, inherited] :
           {std::tuple{"String", &entry.String, &parent.String},
            std::tuple{"Abbrev", &entry.Abbrev, &parent.Abbrev}}) {
        if (!text->empty() || inherited->empty()) continue;
        result_.notes.push_back("Order" + std::string(field) + "(" + std::to_string(number) +
                                ")=\"\" blanks the base voice's text, which an empty order field "
                                "keeps: the rebuilt pack shows \"" +
                                *inherited + "\" there.");
      }
    }
    for (std::size_t i = 0; i < tables.Names.size(); ++i) {
      const VoiceEntry& entry = merged.Names[i];
      tables.Names[i] = ExplicitSound(VoiceCategory::Name, static_cast<int>(i), entry.Sound);
      if (entry.Time != 0 || !IsNoSound(entry.Sound)) {
        tables.NameTimes[i] = FixedTime{entry.Time, tables.Names[i]};
      }
    }
  }

  // An order's or a leader's sound for its field: an empty field keeps the
  // base voice's, so a sound the class sets to none is written "None".
  std::string ExplicitSound(VoiceCategory category, int index, const std::string& sound) const {
    if (!IsNoSound(sound)) return sound;
    for (const Assignment& a : assignments_) {
      if (a.Category == category && a.Field == VoiceField::Sound && a.Index == index) return "None";
    }
    return sound;
  }

  // The last entry of a category that holds anything; -1 for none.
  static int HighestEntry(const VoiceDefaults& defaults, VoiceCategory category) {
    const auto entries = defaults.Entries(category);
    for (int i = static_cast<int>(entries.size()) - 1; i >= 0; --i) {
      if (entries[static_cast<std::size_t>(i)] != VoiceEntry{}) return i;
    }
    return -1;
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
  std::string parent_;
  std::vector<Assignment> assignments_;
  std::array<bool, kVoiceCategories.size()> countSet_{};
  // The keys the class set for each entry, should the entry have no place.
  std::map<std::pair<VoiceCategory, int>, std::vector<std::string>> keys_;
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
