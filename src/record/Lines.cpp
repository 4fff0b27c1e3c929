#include "record/Lines.h"

#include <array>

#include "core/Ascii.h"
#include "core/Text1252.h"
#include "sounds/PackSounds.h"

namespace voxmire {
namespace {

// The prefix of each tab's sound names, indexed like WorkAreaTab.
constexpr std::array<std::string_view, 6> kPrefixes = {"ack",   "ff",    "taunt",
                                                       "order", "other", "name"};

std::string_view Prefix(WorkAreaTab tab) { return kPrefixes[static_cast<std::size_t>(tab)]; }

RecordLine MakeLine(WorkAreaTab tab, int slot, int index, std::string prompt,
                    std::string_view sound) {
  RecordLine line;
  line.Tab = tab;
  line.Slot = slot;
  line.Index = index;
  line.Key = std::string(Prefix(tab)) + " " + std::to_string(index);
  line.SoundName = LineSoundName(tab, index, prompt);
  line.Prompt = std::move(prompt);
  line.HasSound = !sound.empty();
  return line;
}

void AddTable(std::vector<RecordLine>& lines, const WorkAreaTables& tables, WorkAreaTab tab) {
  const PhraseTable& table = *RowTable(tables, tab);
  for (int k = 1; k <= table.Count(); ++k) {
    const PhraseRowView row = table.Row(k);
    lines.push_back(MakeLine(tab, k, k - 1, std::string(row.String), row.Sound));
  }
}

}  // namespace

std::vector<RecordLine> RecordLines(const WorkAreaTables& tables) {
  std::vector<RecordLine> lines;
  AddTable(lines, tables, WorkAreaTab::Acknowledgements);
  AddTable(lines, tables, WorkAreaTab::FriendlyFire);
  AddTable(lines, tables, WorkAreaTab::Taunts);
  for (std::size_t i = 0; i < kOrderSlots.size(); ++i) {
    const PhraseRow& order = tables.Orders[i];
    lines.push_back(MakeLine(WorkAreaTab::Orders, static_cast<int>(i), kOrderSlots[i].Number,
                             order.String, order.Sound));
  }
  AddTable(lines, tables, WorkAreaTab::Others);
  for (std::size_t i = 0; i < kLeaderLabels.size(); ++i) {
    lines.push_back(MakeLine(WorkAreaTab::Names, static_cast<int>(i), static_cast<int>(i),
                             std::string(kLeaderLabels[i]), tables.Names[i]));
  }
  return lines;
}

namespace {

// The Sound field of an order or a leader, or nullptr for the other tabs.
std::string* FixedSoundCell(WorkAreaTables& tables, const RecordLine& line) {
  const auto slot = static_cast<std::size_t>(line.Slot);
  if (line.Slot < 0) return nullptr;
  if (line.Tab == WorkAreaTab::Orders && slot < tables.Orders.size()) {
    return &tables.Orders[slot].Sound;
  }
  if (line.Tab == WorkAreaTab::Names && slot < tables.Names.size()) return &tables.Names[slot];
  return nullptr;
}

}  // namespace

std::string_view LineSound(const WorkAreaTables& tables, const RecordLine& line) {
  if (const PhraseTable* table = RowTable(tables, line.Tab)) {
    return line.Slot >= 1 && line.Slot <= table->Count() ? table->Cell(line.Slot, PhraseCell::Sound)
                                                         : std::string_view();
  }
  // Only read through: the cast saves a second copy of the lookup.
  const std::string* cell = FixedSoundCell(const_cast<WorkAreaTables&>(tables), line);
  return cell != nullptr ? std::string_view(*cell) : std::string_view();
}

bool SetLineSound(WorkAreaTables& tables, const RecordLine& line, std::string_view sound) {
  if (PhraseTable* table = RowTable(tables, line.Tab)) {
    if (line.Slot < 1 || line.Slot > table->Count()) return false;
    table->SetCellUnclamped(line.Slot, PhraseCell::Sound, sound);
    return true;
  }
  std::string* cell = FixedSoundCell(tables, line);
  if (cell == nullptr) return false;
  *cell = std::string(sound);
  return true;
}

std::string LinePlace(const RecordLine& line) {
  const std::string tab(TabCaption(line.Tab));
  if (line.Tab == WorkAreaTab::Orders) {
    return tab + ": " + std::string(kOrderSlots[static_cast<std::size_t>(line.Slot)].Label);
  }
  if (line.Tab == WorkAreaTab::Names) return tab + ": " + line.Prompt;
  return tab + ", row " + std::to_string(line.Slot);
}

std::string LineSoundName(WorkAreaTab tab, int index, std::string_view prompt) {
  std::string text(Prefix(tab));
  if (tab != WorkAreaTab::Names) text += "_" + std::to_string(index);
  text += "_" + Cp1252ToUtf8(prompt);
  // The sound page's rules make it a name the game holds; then lower case,
  // one '_' between words and none at the end.
  const std::string held = GameSoundName(text + ".wav");
  std::string name;
  for (const char c : held) {
    if (c == '_' && (name.empty() || name.back() == '_')) continue;
    name += AsciiLower(c);
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name;
}

}  // namespace voxmire
