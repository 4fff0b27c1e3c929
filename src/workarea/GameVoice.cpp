#include "workarea/GameVoice.h"

#include <algorithm>
#include <map>
#include <utility>

#include "core/Ascii.h"
#include "game/GameSounds.h"
#include "workarea/BaseVoicePresets.h"

namespace voxmire {
namespace {

std::string_view Prefix(VoiceCategory category) {
  switch (category) {
    case VoiceCategory::Name:
      return "Name";
    case VoiceCategory::Ack:
      return "Ack";
    case VoiceCategory::FFire:
      return "FFire";
    case VoiceCategory::Taunt:
      return "Taunt";
    case VoiceCategory::Order:
      return "Order";
    case VoiceCategory::Other:
      break;
  }
  return "Other";
}

constexpr std::array<VoiceField, 6> kFields = {VoiceField::Sound,  VoiceField::String,
                                               VoiceField::Abbrev, VoiceField::Time,
                                               VoiceField::Mature, VoiceField::Count};

VoiceEntry StockEntry(std::string_view package, const PresetRow& row) {
  VoiceEntry entry;
  if (!row.SoundName.empty()) entry.Sound = StockSoundReference(package, row.SoundName);
  entry.String = row.String;
  entry.Abbrev = row.Abbrev;
  entry.Time = row.Time;
  entry.Mature = row.Mature ? 1 : 0;
  return entry;
}

template <std::size_t N>
int FillStock(std::array<VoiceEntry, N>& entries, std::string_view package,
              std::span<const PresetRow> rows) {
  for (std::size_t i = 0; i < rows.size() && i < N; ++i) entries[i] = StockEntry(package, rows[i]);
  return static_cast<int>(rows.size());
}

VoiceDefaults StockDefaults(const VoicePresets& voice) {
  VoiceDefaults d;
  for (std::size_t i = 0; i < d.Names.size(); ++i) {
    d.Names[i].Sound = StockSoundReference(voice.Package, voice.LeaderSounds[i]);
    d.Names[i].Time = voice.LeaderTimes[i];
  }
  d.NumAcks = FillStock(d.Acks, voice.Package, voice.Acks);
  d.NumFFires = FillStock(d.FFire, voice.Package, voice.FFire);
  d.NumTaunts = FillStock(d.Taunts, voice.Package, voice.Taunts);
  FillStock(d.Others, voice.Package, voice.Others);
  for (std::size_t i = 0; i < kOrderSlots.size(); ++i) {
    VoiceEntry& order = d.Orders[static_cast<std::size_t>(kOrderSlots[i].Number)];
    order.Sound = StockSoundReference(voice.Package, voice.OrderSounds[i]);
    order.String = kOrderPresetTexts[i].String;
    order.Abbrev = kOrderPresetTexts[i].Abbrev;
  }
  return d;
}

// The classes whose defaults are known, by lower-cased name.
const std::map<std::string, VoiceDefaults>& KnownClasses() {
  static const std::map<std::string, VoiceDefaults> classes = [] {
    std::map<std::string, VoiceDefaults> known;
    for (const VoicePresets& voice : AllVoicePresets()) {
      std::string name(voice.Class);
      for (char& c : name) c = AsciiLower(c);
      known.emplace(std::move(name), StockDefaults(voice));
    }
    // The stock voices' parents set no phrase of their own.
    for (const char* empty : {"voicemale", "voicefemale", "challengevoicepack"}) {
      known.emplace(empty, VoiceDefaults{});
    }
    return known;
  }();
  return classes;
}

Assignment Text(VoiceCategory category, VoiceField field, int index, std::string text) {
  Assignment a;
  a.Category = category;
  a.Field = field;
  a.Index = index;
  a.Text = std::move(text);
  return a;
}

Assignment Number(VoiceCategory category, VoiceField field, int index, double number) {
  Assignment a;
  a.Category = category;
  a.Field = field;
  a.Index = index;
  a.Number = number;
  return a;
}

struct Growable {
  VoiceCategory Category;
  WorkAreaTab Tab;
  std::string_view Saying;  // what the voice never says without rows
};
constexpr std::array<Growable, 4> kGrowables = {{
    {VoiceCategory::Ack, WorkAreaTab::Acknowledgements, "acknowledges an order"},
    {VoiceCategory::FFire, WorkAreaTab::FriendlyFire, "says anything when a team mate hits it"},
    {VoiceCategory::Taunt, WorkAreaTab::Taunts, "taunts"},
    {VoiceCategory::Other, WorkAreaTab::Others, "says any of the other messages"},
}};

void AddTable(std::vector<Assignment>& out, const Growable& g, const PhraseTable& table,
              const VoiceDefaults& base, SoundLengths& lengths) {
  const VoiceCategory c = g.Category;
  for (int k = 1; k <= table.Count(); ++k) {
    out.push_back(Text(c, VoiceField::Sound, k - 1, std::string(table.Row(k).Sound)));
  }
  for (int k = 1; k <= table.Count(); ++k) {
    out.push_back(Text(c, VoiceField::String, k - 1, std::string(table.Row(k).String)));
  }
  // An empty Abbrev over the base's would let the game's menu show the base's.
  for (int k = 1; k <= table.Count(); ++k) {
    const std::string_view abbrev = table.Row(k).Abbrev;
    if (abbrev.empty() && base.At(c, k - 1).Abbrev.empty()) continue;
    out.push_back(Text(c, VoiceField::Abbrev, k - 1, std::string(abbrev)));
  }
  if (c == VoiceCategory::Ack) {
    for (int k = 1; k <= table.Count(); ++k) {
      const PhraseRowView row = table.Row(k);
      const auto time = PhraseTime(row.Time, row.Sound, lengths);
      if (!time || ExportedTime(*time) == ExportedTime(base.At(c, k - 1).Time)) continue;
      out.push_back(Number(c, VoiceField::Time, k - 1, *time));
    }
  }
  if (c == VoiceCategory::Taunt) {
    for (int k = 1; k <= table.Count(); ++k) {
      const bool mature = table.Row(k).Mature;
      if (!mature && base.At(c, k - 1).Mature == 0) continue;
      out.push_back(Number(c, VoiceField::Mature, k - 1, mature ? 1 : 0));
    }
  }
  if (base.Count(c) != nullptr) out.push_back(Number(c, VoiceField::Count, 0, table.Count()));
}

void AddOrders(std::vector<Assignment>& out, const std::array<PhraseRow, 7>& orders) {
  for (VoiceField field : {VoiceField::Sound, VoiceField::String, VoiceField::Abbrev}) {
    for (std::size_t i = 0; i < orders.size(); ++i) {
      const std::string& text = field == VoiceField::Sound    ? orders[i].Sound
                                : field == VoiceField::String ? orders[i].String
                                                              : orders[i].Abbrev;
      if (!text.empty())
        out.push_back(Text(VoiceCategory::Order, field, kOrderSlots[i].Number, text));
    }
  }
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string TabPlace(int k, WorkAreaTab tab) {
  return "row " + std::to_string(k) + " on the " + Quoted(TabCaption(tab)) + " tab";
}

std::string Capitalised(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  return text;
}

// The two ways a phrase's time goes wrong before the next phrase of its
// sequence: it ends the sequence, or it cuts the phrase off.
void CheckTime(std::vector<std::string>& out, const std::string& place, double time,
               std::optional<double> length, std::string_view next) {
  if (time == 0) {
    out.push_back(Capitalised(place) + " has a time of 0: the " + std::string(next) +
                  " never follows it.");
  } else if (length && time < *length - 0.1) {
    out.push_back("The time of " + place + ", " + TimeText(time) +
                  " s, is shorter than its sound (" + TimeText(*length) + " s): the " +
                  std::string(next) + " cuts it off.");
  }
}

}  // namespace

std::span<VoiceEntry> VoiceDefaults::Entries(VoiceCategory category) {
  switch (category) {
    case VoiceCategory::Name:
      return Names;
    case VoiceCategory::Ack:
      return Acks;
    case VoiceCategory::FFire:
      return FFire;
    case VoiceCategory::Taunt:
      return Taunts;
    case VoiceCategory::Order:
      return Orders;
    case VoiceCategory::Other:
      break;
  }
  return Others;
}

std::span<const VoiceEntry> VoiceDefaults::Entries(VoiceCategory category) const {
  return const_cast<VoiceDefaults*>(this)->Entries(category);
}

const VoiceEntry& VoiceDefaults::At(VoiceCategory category, int index) const {
  static const VoiceEntry kNone;
  const auto entries = Entries(category);
  if (index < 0 || index >= static_cast<int>(entries.size())) return kNone;
  return entries[static_cast<std::size_t>(index)];
}

int* VoiceDefaults::Count(VoiceCategory category) {
  switch (category) {
    case VoiceCategory::Ack:
      return &NumAcks;
    case VoiceCategory::FFire:
      return &NumFFires;
    case VoiceCategory::Taunt:
      return &NumTaunts;
    default:
      return nullptr;
  }
}

const int* VoiceDefaults::Count(VoiceCategory category) const {
  return const_cast<VoiceDefaults*>(this)->Count(category);
}

const VoiceDefaults* GameClassDefaults(std::string_view className) {
  std::string name(className);
  for (char& c : name) c = AsciiLower(c);
  const auto& known = KnownClasses();
  const auto found = known.find(name);
  return found == known.end() ? nullptr : &found->second;
}

const VoiceDefaults& BaseDefaults(std::string_view className) {
  static const VoiceDefaults kNone;
  const VoiceDefaults* known = GameClassDefaults(className);
  return known != nullptr ? *known : kNone;
}

std::string PropertyName(VoiceCategory category, VoiceField field) {
  switch (field) {
    case VoiceField::Sound:
      return std::string(Prefix(category)) + "Sound";
    case VoiceField::String:
    case VoiceField::Abbrev:
      if (category == VoiceCategory::Name) return {};
      return std::string(Prefix(category)) + (field == VoiceField::String ? "String" : "Abbrev");
    case VoiceField::Time:
      if (category != VoiceCategory::Ack && category != VoiceCategory::Name) return {};
      return std::string(Prefix(category)) + "Time";
    case VoiceField::Mature:
      return category == VoiceCategory::Taunt ? "MatureTaunt" : "";
    case VoiceField::Count:
      if (category == VoiceCategory::Ack) return "numAcks";
      if (category == VoiceCategory::FFire) return "numFFires";
      if (category == VoiceCategory::Taunt) return "numTaunts";
      break;
  }
  return {};
}

std::optional<PropertyId> FindProperty(std::string_view name) {
  for (VoiceCategory category : kVoiceCategories) {
    for (VoiceField field : kFields) {
      const std::string known = PropertyName(category, field);
      if (!known.empty() && SameAscii(known, name)) return PropertyId{category, field};
    }
  }
  return std::nullopt;
}

void Apply(VoiceDefaults& defaults, const Assignment& a) {
  if (a.Field == VoiceField::Count) {
    if (int* count = defaults.Count(a.Category)) *count = static_cast<int>(a.Number);
    return;
  }
  const auto entries = defaults.Entries(a.Category);
  if (a.Index < 0 || a.Index >= static_cast<int>(entries.size())) return;
  VoiceEntry& entry = entries[static_cast<std::size_t>(a.Index)];
  switch (a.Field) {
    case VoiceField::Sound:
      entry.Sound = a.Text;
      break;
    case VoiceField::String:
      entry.String = a.Text;
      break;
    case VoiceField::Abbrev:
      entry.Abbrev = a.Text;
      break;
    case VoiceField::Time:
      entry.Time = a.Number;
      break;
    case VoiceField::Mature:
      entry.Mature = static_cast<int>(a.Number);
      break;
    case VoiceField::Count:
      break;
  }
}

bool SameSound(std::string_view a, std::string_view b) {
  if (IsNoSound(a) || IsNoSound(b)) return IsNoSound(a) && IsNoSound(b);
  const auto x = ParseSoundReference(a);
  const auto y = ParseSoundReference(b);
  if (!x || !y) return a == b;
  return SameAscii(x->Package, y->Package) && SameAscii(x->Name, y->Name) &&
         (x->Group.empty() || y->Group.empty() || SameAscii(x->Group, y->Group));
}

std::optional<double> PhraseTime(std::optional<double> fixed, std::string_view sound,
                                 SoundLengths& lengths) {
  if (fixed) return fixed;
  if (IsNoSound(sound)) return std::nullopt;
  return lengths.Length(sound);
}

std::string ExportedTime(double seconds) { return FixedDecimals(seconds, 6); }

std::vector<Assignment> PackAssignments(const WorkAreaTables& tables, const VoiceDefaults& base,
                                        SoundLengths& lengths) {
  std::vector<Assignment> out;
  for (std::size_t i = 0; i < tables.Names.size(); ++i) {
    if (tables.Names[i].empty()) continue;
    out.push_back(
        Text(VoiceCategory::Name, VoiceField::Sound, static_cast<int>(i), tables.Names[i]));
  }
  for (std::size_t i = 0; i < tables.Names.size(); ++i) {
    const auto time =
        PhraseTime(FixedSeconds(tables.NameTimes[i], tables.Names[i]), tables.Names[i], lengths);
    if (!time || ExportedTime(*time) == ExportedTime(base.Names[i].Time)) continue;
    out.push_back(Number(VoiceCategory::Name, VoiceField::Time, static_cast<int>(i), *time));
  }
  for (const Growable& g : kGrowables) {
    // The orders sit between the taunts and the others.
    if (g.Category == VoiceCategory::Other) AddOrders(out, tables.Orders);
    AddTable(out, g, *RowTable(tables, g.Tab), base, lengths);
  }
  return out;
}

VoiceDefaults PackDefaults(const WorkAreaTables& tables, const VoiceDefaults& base,
                           SoundLengths& lengths) {
  VoiceDefaults pack = base;
  for (const Assignment& a : PackAssignments(tables, base, lengths)) Apply(pack, a);
  return pack;
}

std::vector<std::string> PackWarnings(const WorkAreaTables& tables, const VoiceDefaults& base,
                                      SoundLengths& lengths) {
  const VoiceDefaults pack = PackDefaults(tables, base, lengths);
  std::vector<std::string> out;
  for (const Growable& g : kGrowables) {
    const PhraseTable& table = *RowTable(tables, g.Tab);
    // Without a count of their own, the others are the base's where the pack has none.
    const auto others = pack.Entries(VoiceCategory::Other);
    const bool silent = g.Category == VoiceCategory::Other
                            ? std::all_of(others.begin(), others.end(),
                                          [](const VoiceEntry& e) { return IsNoSound(e.Sound); })
                            : table.Empty();
    if (table.Empty() && silent) {
      out.push_back("The " + Quoted(TabCaption(g.Tab)) +
                    " tab has no rows: in the game the voice never " + std::string(g.Saying) + ".");
    }
    for (int k = 1; k <= table.Count(); ++k) {
      const PhraseRowView row = table.Row(k);
      if (!row.String.empty() && IsNoSound(row.Sound)) {
        out.push_back(Capitalised(TabPlace(k, g.Tab)) +
                      " has a String but no Sound: the game shows " + Quoted(row.String) +
                      " and says nothing.");
      }
      if (g.Category == VoiceCategory::Ack && !IsNoSound(row.Sound)) {
        CheckTime(out, TabPlace(k, g.Tab), pack.At(VoiceCategory::Ack, k - 1).Time,
                  lengths.Length(row.Sound), "leader's name");
      }
    }
  }
  for (std::size_t i = 0; i < tables.Names.size(); ++i) {
    // A leader left empty is the base voice's, time and all.
    if (tables.Names[i].empty() && !FixedSeconds(tables.NameTimes[i], "")) continue;
    const std::string& sound = pack.Names[i].Sound;
    if (IsNoSound(sound)) continue;
    CheckTime(out, "the " + Quoted(kLeaderLabels[i]) + " name", pack.Names[i].Time,
              lengths.Length(sound), "order");
  }
  return out;
}

}  // namespace voxmire
