#include "workarea/SoundFields.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <memory>

namespace voxmire {
namespace {

QString ClipboardText() { return QGuiApplication::clipboard()->text(); }

// A reference replaces the field's text as an edit would: Ctrl+Z takes it
// back, and whoever listens to edits (the table's cell editor) hears of it.
void Replace(QLineEdit* field, const QString& reference) {
  field->selectAll();
  field->insert(FirstLineOf(reference));
}

class SoundFieldFilter : public QObject {
 public:
  explicit SoundFieldFilter(QLineEdit* field) : QObject(field), field_(field) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != field_ || field_->isReadOnly()) return false;
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!drag->mimeData()->hasText() || !IsSoundReferenceText(drag->mimeData()->text())) {
          return false;
        }
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasText() || !IsSoundReferenceText(drop->mimeData()->text())) {
          return false;
        }
        Replace(field_, drop->mimeData()->text());
        field_->setFocus();
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        return true;
      }
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) return Paste();
        return false;
      case QEvent::ContextMenu:
        ShowMenu(static_cast<QContextMenuEvent*>(event));
        return true;
      default:
        return false;
    }
  }

 private:
  bool Paste() {
    if (!IsSoundReferenceText(ClipboardText())) return false;  // as any field pastes
    Replace(field_, ClipboardText());
    return true;
  }

  // The field's own menu, with its "Paste" pasting as Ctrl+V does. Qt names
  // no action of it; "Paste" is the one that shows the paste shortcut.
  void ShowMenu(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(field_->createStandardContextMenu());
    const QString pasteKey =
        QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* action : menu->actions()) {
      if (!action->text().endsWith(pasteKey)) continue;
      disconnect(action, &QAction::triggered, nullptr, nullptr);
      connect(action, &QAction::triggered, this, [this] {
        if (!Paste()) field_->paste();
      });
    }
    menu->exec(event->globalPos());
  }

  QLineEdit* field_;
};

class CellPasteFilter : public QObject {
 public:
  explicit CellPasteFilter(QTableView* view) : QObject(view), view_(view) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != view_ || event->type() != QEvent::KeyPress) return false;
    if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) return false;
    const QModelIndex cell = view_->currentIndex();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QAbstractItemModel* model = view_->model();
    if (!cell.isValid() || data == nullptr || model == nullptr) return false;
    if (!model->canDropMimeData(data, Qt::CopyAction, -1, -1, cell)) return false;
    model->dropMimeData(data, Qt::CopyAction, -1, -1, cell);
    return true;
  }

 private:
  QTableView* view_;
};

}  // namespace

QString FirstLineOf(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n')) return text.left(i);
  }
  return text;
}

bool IsSoundReferenceText(const QString& text) {
  const QString line = FirstLineOf(text).trimmed();
  return line.size() > 7 && line.startsWith(QStringLiteral("Sound'"), Qt::CaseInsensitive) &&
         line.endsWith(QLatin1Char('\''));
}

void MakeSoundField(QLineEdit* field) {
  field->setAcceptDrops(true);
  field->installEventFilter(new SoundFieldFilter(field));
}

void PasteIntoSoundCells(QTableView* view) { view->installEventFilter(new CellPasteFilter(view)); }

}  // namespace voxmire
