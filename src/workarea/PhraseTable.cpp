#include "workarea/PhraseTable.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <functional>
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

bool PhraseRowView::operator==(const PhraseRow& row) const {
  return Sound == row.Sound && String == row.String && Abbrev == row.Abbrev &&
         Time == FixedSeconds(row.Time, row.Sound) && Mature == row.Mature;
}

namespace {

constexpr std::size_t CellIndex(PhraseCell cell) { return static_cast<std::size_t>(cell); }
constexpr std::array<PhraseCell, 3> kCells = {PhraseCell::Sound, PhraseCell::String,
                                              PhraseCell::Abbrev};

std::string_view CellOf(const PhraseRowView& row, PhraseCell cell) {
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

}  // namespace

// A copy keeps only the texts its rows show.
PhraseTable::Chunk::Chunk(const Chunk& other) : Rows(other.Rows), Text(other.KeptText(Rows)) {}

std::string_view PhraseTable::Chunk::CellText(const StoredRow& row, PhraseCell cell) const {
  const std::size_t c = CellIndex(cell);
  return std::string_view(Text).substr(row.At[c], row.Size[c]);
}

PhraseRowView PhraseTable::Chunk::View(const StoredRow& row) const {
  return {CellText(row, PhraseCell::Sound), CellText(row, PhraseCell::String),
          CellText(row, PhraseCell::Abbrev), row.Time, row.Mature};
}

void PhraseTable::Chunk::Put(StoredRow& row, PhraseCell cell, std::string_view text) {
  const std::size_t c = CellIndex(cell);
  const std::size_t old = row.Size[c];
  if (text.size() <= old) {
    // Over the old text.
    if (!text.empty()) std::memcpy(Text.data() + row.At[c], text.data(), text.size());
    row.Size[c] = static_cast<std::uint32_t>(text.size());
    Unused += old - text.size();
  } else {
    if (Text.size() - Unused + text.size() > UINT32_MAX) {
      throw std::length_error("the texts of 256 table rows exceed 4 GiB");
    }
    row.Size[c] = 0;
    Unused += old;
    if (Text.size() + text.size() > UINT32_MAX) Compact();
    row.At[c] = static_cast<std::uint32_t>(Text.size());
    row.Size[c] = static_cast<std::uint32_t>(text.size());
    Text.append(text);
  }
  Settle();
}

void PhraseTable::Chunk::Clear(StoredRow& row) {
  for (const std::uint32_t size : row.Size) Unused += size;
  row = StoredRow();
  Settle();
}

void PhraseTable::Chunk::Settle() {
  // Each rewrite follows at least half as many bytes of edits as it keeps.
  if (Unused > Text.size() / 2) Compact();
}

std::string PhraseTable::Chunk::KeptText(std::array<StoredRow, kChunkRows>& rows) const {
  std::string kept;
  kept.reserve(Text.size() - Unused);
  for (StoredRow& row : rows) {
    for (const PhraseCell cell : kCells) {
      const std::string_view text = CellText(row, cell);
      row.At[CellIndex(cell)] = static_cast<std::uint32_t>(kept.size());
      kept.append(text);
    }
  }
  return kept;
}

void PhraseTable::Chunk::Compact() {
  Text = KeptText(Rows);
  Unused = 0;
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

PhraseRowView PhraseTable::Row(int k) const {
  if (k < 1 || k > Count()) throw std::out_of_range("phrase table row out of range");
  const auto& chunk = chunks_[static_cast<std::size_t>((k - 1) / kChunkRows)];
  if (!chunk) return {};
  return chunk->View(chunk->Rows[static_cast<std::size_t>((k - 1) % kChunkRows)]);
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
  if (!(Row(count_) == PhraseRowView())) {
    const auto [chunk, row] = Writable(count_);
    chunk->Clear(*row);
  }
  --count_;
  chunks_.resize(static_cast<std::size_t>((count_ + kChunkRows - 1) / kChunkRows));
  return true;
}

void PhraseTable::SetCell(int k, PhraseCell cell, std::string_view text) {
  SetCellUnclamped(k, cell, cell == PhraseCell::Abbrev ? ClampAbbrev(text) : text);
}

void PhraseTable::SetCellUnclamped(int k, PhraseCell cell, std::string_view text) {
  // The same text changes nothing, and an untouched row stays unallocated.
  if (Cell(k, cell) == text) return;
  // `text` may be a view of the very texts this edit moves, or lets go of
  // when it copies a shared chunk.
  std::string copy;
  if (const auto& chunk = chunks_[static_cast<std::size_t>((k - 1) / kChunkRows)];
      chunk && !text.empty() && std::less_equal<const char*>()(chunk->Text.data(), text.data()) &&
      std::less<const char*>()(text.data(), chunk->Text.data() + chunk->Text.size())) {
    copy = text;
    text = copy;
  }
  const auto [chunk, row] = Writable(k);
  chunk->Put(*row, cell, text);
  // A new sound has a length of its own: the time follows it again.
  if (cell == PhraseCell::Sound) row->Time.reset();
}

std::pair<PhraseTable::Chunk*, PhraseTable::StoredRow*> PhraseTable::Writable(int k) {
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
  return {chunk.get(), &chunk->Rows[static_cast<std::size_t>((k - 1) % kChunkRows)]};
}

void PhraseTable::SetTime(int k, std::optional<double> seconds) {
  if (Row(k).Time == seconds) return;
  Writable(k).second->Time = seconds;
}

void PhraseTable::SetMature(int k, bool mature) {
  if (Row(k).Mature != mature) Writable(k).second->Mature = mature;
}

bool PhraseTable::AppendRow(const PhraseRowView& read) {
  if (!CreateRow(Count() + 1)) return false;
  if (read == PhraseRowView()) return true;  // an empty row needs no storage
  const auto [chunk, row] = Writable(Count());
  if (chunk->Text.empty()) {
    // Rows read together tend to be alike: room for a block of this one,
    // rather than growing the store a dozen times on the way.
    const std::size_t bytes = read.Sound.size() + read.String.size() + read.Abbrev.size();
    chunk->Text.reserve(std::min<std::size_t>(bytes * kChunkRows, 64 * 1024));
  }
  for (const PhraseCell cell : kCells) chunk->Put(*row, cell, CellOf(read, cell));
  row->Time = read.Time;
  row->Mature = read.Mature;
  return true;
}

std::size_t PhraseTable::StoredTextBytes() const {
  std::size_t bytes = 0;
  for (const auto& chunk : chunks_) bytes += chunk ? chunk->Text.size() : 0;
  return bytes;
}

std::string_view PhraseTable::Cell(int k, PhraseCell cell) const { return CellOf(Row(k), cell); }

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
