#include "workarea/PhraseTableModel.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPalette>
#include <algorithm>

#include "app/Qt1252.h"
#include "workarea/SoundFields.h"

namespace voxmire {
namespace {

const QString kPlainText = QStringLiteral("text/plain");

}  // namespace

PhraseCell PhraseTableModel::CellOf(int column) {
  switch (column) {
    case kSound:
      return PhraseCell::Sound;
    case kString:
      return PhraseCell::String;
    default:
      return PhraseCell::Abbrev;
  }
}

PhraseTableModel::PhraseTableModel(PhraseTable& table, QObject* parent, Extra extra)
    : QAbstractTableModel(parent), table_(table), extra_(extra) {}

void PhraseTableModel::SetTimeSource(SoundLengths* lengths, const VoiceDefaults* base) {
  lengths_ = lengths;
  base_ = base;
}

int PhraseTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.Count();
}

int PhraseTableModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return extra_ == Extra::None ? kColumnCount : kColumnCount + 1;
}

QVariant PhraseTableModel::TimeData(int k, int role) const {
  const PhraseRowView row = table_.Row(k);
  const auto fixed = table_.Time(k);
  std::optional<double> measured;
  if (!fixed && lengths_ != nullptr) measured = PhraseTime(std::nullopt, row.Sound, *lengths_);
  switch (role) {
    case Qt::EditRole:
      return fixed ? ToQt(TimeText(*fixed)) : QString();
    case Qt::DisplayRole:
      if (fixed || measured) return ToQt(TimeText(fixed ? *fixed : *measured));
      if (base_ != nullptr) return ToQt(TimeText(base_->At(VoiceCategory::Ack, k - 1).Time));
      return {};
    case Qt::ForegroundRole:
      // Grey, like a placeholder: nothing typed, the cell shows what the game will use.
      if (fixed) return {};
      return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
      if (fixed)
        return tr("A time of its own; empty the cell to use the length of the row's sound");
      if (measured) return tr("The length of the row's sound");
      return tr("The base voice's time: the length of the row's sound is not known");
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant PhraseTableModel::MatureData(int k, int role) const {
  switch (role) {
    case Qt::CheckStateRole:
      return table_.Row(k).Mature ? Qt::Checked : Qt::Unchecked;
    case Qt::AccessibleTextRole:
      return Caption(kExtra);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
      return tr("Mature language: the game skips this taunt for players who turned it off");
    default:
      return {};
  }
}

QVariant PhraseTableModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const int k = index.row() + 1;
  if (index.column() == kExtra)
    return extra_ == Extra::Time ? TimeData(k, role) : MatureData(k, role);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  return ToQt(table_.Cell(k, CellOf(index.column())));
}

bool PhraseTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return false;
  const int k = index.row() + 1;
  if (index.column() == kExtra && extra_ == Extra::Mature) {
    if (role != Qt::CheckStateRole) return false;
    table_.SetMature(k, value.toInt() == Qt::Checked);
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
  }
  if (role != Qt::EditRole) return false;
  if (index.column() == kExtra) {
    const TimeEntry entry = ParseTimeEntry(FromQt(value.toString()));
    if (!entry.Ok()) {
      Q_EMIT TimeRefused(ToQt(entry.Problem));
      return false;
    }
    table_.SetTime(k, entry.Seconds);
    Q_EMIT dataChanged(index, index);
    return true;
  }
  const PhraseCell cell = CellOf(index.column());
  const std::string text = FromQt(value.toString());
  if (table_.Cell(k, cell) == text) return true;
  table_.SetCell(k, cell, text);
  // A row's time follows its sound: the Time cell changes with it.
  const QModelIndex last =
      cell == PhraseCell::Sound && extra_ == Extra::Time ? this->index(index.row(), kExtra) : index;
  Q_EMIT dataChanged(index, last);
  return true;
}

QString PhraseTableModel::ColumnCaption(int column) {
  switch (column) {
    case kSound:
      return QStringLiteral("Sound:");
    case kString:
      return QStringLiteral("String: ");
    default:
      return QStringLiteral("Abbreviation (for menu):");
  }
}

QString PhraseTableModel::Caption(int column) const {
  if (column != kExtra) return ColumnCaption(column);
  return extra_ == Extra::Time ? tr("Time (s):") : tr("Mature");
}

QVariant PhraseTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return section >= 0 && section < columnCount() ? QVariant(Caption(section)) : QVariant();
}

Qt::ItemFlags PhraseTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.column() == kExtra && extra_ == Extra::Mature) {
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
  }
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
  if (index.column() == kExtra) return flags;
  if (CellAcceptsDrop(CellOf(index.column()))) flags |= Qt::ItemIsDropEnabled;
  return flags;
}

QStringList PhraseTableModel::mimeTypes() const { return {kPlainText}; }

// Copy only: a source that sees a move accepted would delete its entry.
Qt::DropActions PhraseTableModel::supportedDropActions() const { return Qt::CopyAction; }

bool PhraseTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                       int column, const QModelIndex& parent) const {
  // A drop between or beside cells arrives with a row or column and no
  // parent cell; only a drop onto the cell itself lands in it.
  if (data == nullptr || !data->hasFormat(kPlainText) || row >= 0 || column >= 0) return false;
  if (!(action & supportedDropActions())) return false;
  return parent.isValid() && parent.model() == this && (flags(parent) & Qt::ItemIsDropEnabled);
}

bool PhraseTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                    int column, const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, column, parent)) return false;
  return setData(parent, FirstLineOf(data->text()), Qt::EditRole);
}

void PhraseTableModel::CreateRows(int n) {
  const int before = table_.Count();
  const int after = std::min(n, PhraseTable::kMaxRows);
  if (after <= before) {
    table_.CreateRows(n);  // only switches the create button's mode
    return;
  }
  // One notice for the lot: the views insert all rows at once.
  beginInsertRows(QModelIndex(), before, after - 1);
  table_.CreateRows(n);
  endInsertRows();
}

bool PhraseTableModel::AddRow() {
  const int row = table_.Count();
  if (row >= PhraseTable::kMaxRows) return false;
  beginInsertRows(QModelIndex(), row, row);
  table_.AddRow();
  endInsertRows();
  return true;
}

bool PhraseTableModel::RemoveLastRow() {
  if (table_.Empty()) return false;
  const int row = table_.Count() - 1;
  beginRemoveRows(QModelIndex(), row, row);
  table_.RemoveLastRow();
  endRemoveRows();
  return true;
}

QWidget* PhraseCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
  auto* editor = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
  if (editor == nullptr) return nullptr;
  // A time is judged whole, when the cell is left: "0." on the way to "0.5"
  // is no mistake.
  if (index.column() == PhraseTableModel::kExtra) {
    editor->setPlaceholderText(index.data(Qt::DisplayRole).toString());
    return editor;
  }
  const PhraseCell cell = PhraseTableModel::CellOf(index.column());
  if (cell == PhraseCell::Abbrev) editor->setMaxLength(static_cast<int>(PhraseTable::kAbbrevLimit));
  if (CellAcceptsDrop(cell)) {
    MakeSoundField(editor);
  } else {
    editor->setAcceptDrops(false);
  }
  connect(editor, &QLineEdit::textEdited, this,
          [this, editor] { Q_EMIT const_cast<PhraseCellDelegate*>(this)->commitData(editor); });
  return editor;
}

void PhraseCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  // Committing every keystroke echoes the text back here; setting it again
  // would throw the cursor to the end of the line.
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    const QString text = index.data(Qt::EditRole).toString();
    if (index.column() == PhraseTableModel::kExtra) {
      line->setText(text);
      return;
    }
    // A longer stock abbreviation must survive being opened; it only can't grow.
    if (PhraseTableModel::CellOf(index.column()) == PhraseCell::Abbrev) {
      line->setMaxLength(
          std::max(static_cast<int>(PhraseTable::kAbbrevLimit), static_cast<int>(text.size())));
    }
    if (line->text() != text) line->setText(text);
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

void PhraseTableModel::CellsChanged() {
  if (rowCount() > 0) Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

}  // namespace voxmire
