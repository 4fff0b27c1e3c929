#pragma once
// The Sound cells and fields of the work area and the four leader names
// each hold one sound. A sound reference dropped or pasted onto one
// replaces what it holds (a reference inside another is never what was
// meant); other text goes in as into any text field. The tables' cells that
// are not being edited take a drop or Ctrl+V whole, through their model.
#include <QString>

class QLineEdit;
class QTableView;

namespace voxmire {

// A sound reference is one line: a source that sends a trailing line break
// or several lines gives its first line.
QString FirstLineOf(const QString& text);

// True when the first line of `text` is a sound reference, Sound'...'.
bool IsSoundReferenceText(const QString& text);

// Makes `field` a sound field: it takes drops, and a dropped or pasted
// reference replaces its text (undoable, and announced as an edit).
void MakeSoundField(QLineEdit* field);

// Ctrl+V on a cell of the view that takes drops (a Sound cell), while no
// editor is open, puts the clipboard's text in the cell as a drop would.
void PasteIntoSoundCells(QTableView* view);

}  // namespace voxmire
