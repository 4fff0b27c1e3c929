#include "workarea/PhraseTable.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <utility>

namespace voxmire {

std::string_view CreateButtonCaption(CreateButtonMode mode) {
  return mode == CreateButtonMode::CreateRows ? kCreateRowsCaption : kAddNewRowCaption;
}

PhraseTable::PhraseTable(const PhraseTable& other) : mode_(other.mode_) {
  rows_.reserve(other.rows_.size());
  for (const auto& row : other.rows_) {
    rows_.push_back(row ? std::make_unique<PhraseRow>(*row) : nullptr);
  }
}

PhraseTable& PhraseTable::operator=(const PhraseTable& other) {
  if (this != &other) *this = PhraseTable(other);
  return *this;
}

bool PhraseTable::operator==(const PhraseTable& other) const {
  if (mode_ != other.mode_ || Count() != other.Count()) return false;
  for (int k = 1; k <= Count(); ++k) {
    if (!(Row(k) == other.Row(k))) return false;
  }
  return true;
}

const PhraseRow& PhraseTable::Row(int k) const {
  static const PhraseRow kEmptyRow;
  if (k < 1 || k > Count()) throw std::out_of_range("phrase table row out of range");
  const auto& row = rows_[static_cast<std::size_t>(k - 1)];
  return row ? *row : kEmptyRow;
}

bool PhraseTable::CreateRow(int i) {
  if (i != Count() + 1 || i > kMaxRows) return false;
  rows_.emplace_back();
  return true;
}

void PhraseTable::CreateRows(int n) {
  n = std::min(n, kMaxRows);
  // One allocation for the lot: tens of thousands of rows stay instant.
  if (n > Count()) rows_.reserve(static_cast<std::size_t>(n));
  for (int i = Count() + 1; i <= n; ++i) CreateRow(i);
  mode_ = CreateButtonMode::AddNewRow;
}

bool PhraseTable::RemoveLastRow() {
  if (rows_.empty()) return false;
  rows_.pop_back();
  return true;
}

void PhraseTable::SetCell(int k, PhraseCell cell, std::string_view text) {
  SetCellUnclamped(k, cell, cell == PhraseCell::Abbrev ? ClampAbbrev(text) : text);
}

void PhraseTable::SetCellUnclamped(int k, PhraseCell cell, std::string_view text) {
  if (text.empty() && Row(k) == PhraseRow()) return;  // an untouched row stays unallocated
  PhraseRow& row = Writable(k);
  switch (cell) {
    case PhraseCell::Sound:
      // A new sound has a length of its own: the time follows it again.
      if (row.Sound != text) row.Time.reset();
      row.Sound = text;
      break;
    case PhraseCell::String:
      row.String = text;
      break;
    case PhraseCell::Abbrev:
      row.Abbrev = text;
      break;
  }
}

PhraseRow& PhraseTable::Writable(int k) {
  Row(k);  // range check
  auto& slot = rows_[static_cast<std::size_t>(k - 1)];
  if (!slot) slot = std::make_unique<PhraseRow>();
  return *slot;
}

void PhraseTable::SetTime(int k, std::optional<double> seconds) {
  if (!seconds) {
    if (Row(k).Time) Writable(k).Time.reset();
    return;
  }
  PhraseRow& row = Writable(k);
  row.Time = FixedTime{*seconds, row.Sound};
}

void PhraseTable::SetMature(int k, bool mature) {
  if (Row(k).Mature != mature) Writable(k).Mature = mature;
}

const std::string& PhraseTable::Cell(int k, PhraseCell cell) const {
  const PhraseRow& row = Row(k);
  switch (cell) {
    case PhraseCell::Sound:
      return row.Sound;
    case PhraseCell::String:
      return row.String;
    case PhraseCell::Abbrev:
      break;
  }
  return row.Abbrev;
}

TimeEntry ParseTimeEntry(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::string_view typed = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  std::string number(typed);
  std::replace(number.begin(), number.end(), ',', '.');
  const bool plain = std::all_of(number.begin(), number.end(),
                                 [](char c) { return (c >= '0' && c <= '9') || c == '.'; }) &&
                     std::count(number.begin(), number.end(), '.') <= 1 && number != ".";
  TimeEntry entry;
  if (!plain) {
    entry.Problem = "\"" + std::string(typed) +
                    "\" is not a time. Type the seconds the game waits before the next phrase, "
                    "such as 0.96, or leave the cell empty to use the length of the row's sound.";
    return entry;
  }
  double seconds = 0;
  std::from_chars(number.data(), number.data() + number.size(), seconds);
  if (seconds < kMinTime || seconds > kMaxTime) {
    entry.Problem = std::string(typed) +
                    " s is outside the times the game can use: type between 0.05 and 10 seconds, "
                    "or leave the cell empty to use the length of the row's sound.";
    return entry;
  }
  entry.Seconds = seconds;
  return entry;
}

std::string TimeText(double seconds) { return FixedDecimals(seconds, 2); }

std::string FixedDecimals(double value, int decimals) {
  // to_chars, unlike printf, ignores the locale Qt sets from the environment.
  char text[64];
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return std::string(text, end.ec == std::errc() ? end.ptr : text);
}

const PhraseTable* RowTable(const WorkAreaTables& tables, WorkAreaTab tab) {
  switch (tab) {
    case WorkAreaTab::Acknowledgements:
      return &tables.Acks;
    case WorkAreaTab::FriendlyFire:
      return &tables.FFire;
    case WorkAreaTab::Taunts:
      return &tables.Taunts;
    case WorkAreaTab::Others:
      return &tables.Others;
    case WorkAreaTab::Orders:
    case WorkAreaTab::Names:
    case WorkAreaTab::Tools:
      break;
  }
  return nullptr;
}

PhraseTable* RowTable(WorkAreaTables& tables, WorkAreaTab tab) {
  return const_cast<PhraseTable*>(RowTable(std::as_const(tables), tab));
}

}  // namespace voxmire
