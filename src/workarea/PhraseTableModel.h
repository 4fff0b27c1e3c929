#pragma once
// A growable phrase table as a Qt table model: three editable text columns
// over a core PhraseTable (and the acknowledgements' Time or the taunts'
// Mature column), row numbers 1..N in the vertical header, and text drops on
// the Sound column only.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>

#include "workarea/GameVoice.h"
#include "workarea/PhraseTable.h"

namespace voxmire {

class PhraseTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Columns in the order the table shows them; kExtra is the Time or the
  // Mature column of the tables that have one.
  enum Column { kSound = 0, kString = 1, kAbbrev = 2, kColumnCount = 3, kExtra = 3 };
  enum class Extra { None, Time, Mature };
  static PhraseCell CellOf(int column);
  // "Sound:", "String: " or "Abbreviation (for menu):".
  static QString ColumnCaption(int column);
  // This table's caption of a column: "Time (s):" or "Mature" for kExtra.
  QString Caption(int column) const;

  // The model edits `table` in place; the table must outlive the model.
  explicit PhraseTableModel(PhraseTable& table, QObject* parent = nullptr,
                            Extra extra = Extra::None);

  Extra ExtraColumn() const { return extra_; }
  // Where a time that follows its sound comes from, and the base voice's
  // times for rows whose sound has no known length. Both must outlive the
  // model; without them such a time shows nothing.
  void SetTimeSource(SoundLengths* lengths, const VoiceDefaults* base);

  PhraseTable& Table() { return table_; }
  const PhraseTable& Table() const { return table_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  // Abbrev cells keep at most PhraseTable::kAbbrevLimit characters.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  QStringList mimeTypes() const override;
  Qt::DropActions supportedDropActions() const override;
  // Only plain text dropped onto a Sound cell itself.
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  // The dropped text replaces the cell's text.
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

  // The row operations of the page's buttons, announced to the views.
  void CreateRows(int n);
  bool AddRow();
  bool RemoveLastRow();
  // Cells changed behind the model's back (no row came or went): the views
  // show them anew.
  void CellsChanged();
  // Brackets a change made to the table behind the model's back.
  void BeginExternalChange() { beginResetModel(); }
  void EndExternalChange() { endResetModel(); }

 Q_SIGNALS:
  // A typed time was refused; `reason` says why (the cell keeps its time).
  void TimeRefused(const QString& reason);

 private:
  QVariant TimeData(int k, int role) const;
  QVariant MatureData(int k, int role) const;

  PhraseTable& table_;
  Extra extra_;
  SoundLengths* lengths_ = nullptr;
  const VoiceDefaults* base_ = nullptr;
};

// The cell editor: a line edit that stops at the Abbrev limit, takes drops
// only in the Sound column, and hands every keystroke to the model so that
// the table is current even while a cell is being edited.
class PhraseCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
};

}  // namespace voxmire
