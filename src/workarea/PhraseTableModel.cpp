#include "workarea/PhraseTableModel.h"

#include <QLineEdit>
#include <QMimeData>
#include <algorithm>

#include "app/Qt1252.h"

namespace voxmire {
namespace {

const QString kPlainText = QStringLiteral("text/plain");

// A sound reference is one line; a source that sends a trailing line break
// or several lines gives its first line.
QString FirstLine(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n')) return text.left(i);
  }
  return text;
}

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

PhraseTableModel::PhraseTableModel(PhraseTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int PhraseTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.Count();
}

int PhraseTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PhraseTableModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  return ToQt(table_.Cell(index.row() + 1, CellOf(index.column())));
}

bool PhraseTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return false;
  const int k = index.row() + 1;
  const PhraseCell cell = CellOf(index.column());
  const std::string text = FromQt(value.toString());
  if (table_.Cell(k, cell) == text) return true;
  table_.SetCell(k, cell, text);
  Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
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

QVariant PhraseTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return section >= 0 && section < kColumnCount ? QVariant(ColumnCaption(section)) : QVariant();
}

Qt::ItemFlags PhraseTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
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
  return setData(parent, FirstLine(data->text()), Qt::EditRole);
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
  const PhraseCell cell = PhraseTableModel::CellOf(index.column());
  if (cell == PhraseCell::Abbrev) editor->setMaxLength(static_cast<int>(PhraseTable::kAbbrevLimit));
  editor->setAcceptDrops(CellAcceptsDrop(cell));
  connect(editor, &QLineEdit::textEdited, this,
          [this, editor] { Q_EMIT const_cast<PhraseCellDelegate*>(this)->commitData(editor); });
  return editor;
}

void PhraseCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  // Committing every keystroke echoes the text back here; setting it again
  // would throw the cursor to the end of the line.
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    const QString text = index.data(Qt::EditRole).toString();
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
