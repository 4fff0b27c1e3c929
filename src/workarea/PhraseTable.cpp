#include "workarea/PhraseTable.h"

#include <algorithm>
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
  Row(k);  // range check
  auto& slot = rows_[static_cast<std::size_t>(k - 1)];
  if (!slot) {
    if (text.empty()) return;
    slot = std::make_unique<PhraseRow>();
  }
  PhraseRow& row = *slot;
  switch (cell) {
    case PhraseCell::Sound:
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
