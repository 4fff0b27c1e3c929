#include "workarea/PhraseTable.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <stdexcept>
#include <utility>

namespace voxmire {

std::string_view CreateButtonCaption(CreateButtonMode mode) {
  return mode == CreateButtonMode::CreateRows ? kCreateRowsCaption : kAddNewRowCaption;
}

PhraseTable::PhraseTable(PhraseTable&& other) noexcept
    : chunks_(std::move(other.chunks_)),
      count_(std::exchange(other.count_, 0)),
      mode_(std::exchange(other.mode_, CreateButtonMode::CreateRows)) {}

PhraseTable& PhraseTable::operator=(PhraseTable&& other) noexcept {
  chunks_ = std::move(other.chunks_);
  other.chunks_.clear();
  count_ = std::exchange(other.count_, 0);
  mode_ = std::exchange(other.mode_, CreateButtonMode::CreateRows);
  return *this;
}

bool PhraseTable::operator==(const PhraseTable& other) const {
  if (mode_ != other.mode_ || Count() != other.Count()) return false;
  for (std::size_t c = 0; c < chunks_.size(); ++c) {
    // A chunk still shared with the other table is equal without a look.
    if (chunks_[c] == other.chunks_[c]) continue;
    const int first = static_cast<int>(c) * kChunkRows + 1;
    for (int k = first; k < first + kChunkRows && k <= Count(); ++k) {
      if (!(Row(k) == other.Row(k))) return false;
    }
  }
  return true;
}

const PhraseRow& PhraseTable::Row(int k) const {
  static const PhraseRow kEmptyRow;
  if (k < 1 || k > Count()) throw std::out_of_range("phrase table row out of range");
  const auto& chunk = chunks_[static_cast<std::size_t>((k - 1) / kChunkRows)];
  return chunk ? (*chunk)[static_cast<std::size_t>((k - 1) % kChunkRows)] : kEmptyRow;
}

bool PhraseTable::CreateRow(int i) {
  if (i != Count() + 1 || i > kMaxRows) return false;
  count_ = i;
  if (chunks_.size() * kChunkRows < static_cast<std::size_t>(i)) chunks_.emplace_back();
  return true;
}

void PhraseTable::CreateRows(int n) {
  n = std::min(n, kMaxRows);
  if (n > Count()) {
    count_ = n;
    chunks_.resize(static_cast<std::size_t>((n + kChunkRows - 1) / kChunkRows));
  }
  mode_ = CreateButtonMode::AddNewRow;
}

bool PhraseTable::RemoveLastRow() {
  if (Empty()) return false;
  // The rows past the end stay empty, for a row created there later.
  if (!(Row(count_) == PhraseRow())) Writable(count_) = PhraseRow();
  --count_;
  chunks_.resize(static_cast<std::size_t>((count_ + kChunkRows - 1) / kChunkRows));
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
  auto& chunk = chunks_[static_cast<std::size_t>((k - 1) / kChunkRows)];
  if (!chunk) {
    chunk = std::make_shared<Chunk>();
  } else if (chunk.use_count() > 1) {
    chunk = std::make_shared<Chunk>(*chunk);
  } else {
    // The chunk is ours alone now, but a copy on another thread may have
    // read it until just before: its reads come before our writes. (Other
    // tables only ever let go of a chunk, so a count of one stays one.)
    std::atomic_thread_fence(std::memory_order_acquire);
  }
  return (*chunk)[static_cast<std::size_t>((k - 1) % kChunkRows)];
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

PhraseRow* PhraseTable::AppendRow() {
  if (!CreateRow(Count() + 1)) return nullptr;
  return &Writable(Count());
}

void PhraseTable::ReleaseEmptyRows() {
  static const PhraseRow kEmptyRow;
  for (auto& chunk : chunks_) {
    if (chunk && std::all_of(chunk->begin(), chunk->end(),
                             [](const PhraseRow& row) { return row == kEmptyRow; })) {
      chunk.reset();
    }
  }
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
