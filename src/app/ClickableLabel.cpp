#include "ClickableLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace voxmire {

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ClickableLabel::SetLink(bool link) {
  setFocusPolicy(link ? Qt::StrongFocus : Qt::NoFocus);
  setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
  // Accepted, so that a click on the label never also counts as a click on
  // the window behind it.
  event->accept();
  if (event->button() == Qt::LeftButton) Q_EMIT pressed();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    Q_EMIT released();
    if (rect().contains(event->position().toPoint())) Q_EMIT clicked();
  }
  event->accept();
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
  if (focusPolicy() != Qt::NoFocus &&
      (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
       event->key() == Qt::Key_Space)) {
    Q_EMIT clicked();
    return;
  }
  QLabel::keyPressEvent(event);
}

QColor Navy() { return QColor(0, 0, 128); }

void FlipNavyBlack(QWidget* widget) {
  QPalette palette = widget->palette();
  const QColor now = palette.color(QPalette::Window);
  palette.setColor(QPalette::Window, now == Navy() ? QColor(Qt::black) : Navy());
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void PaintBlack(QWidget* window) {
  QPalette palette;
  palette.setColor(QPalette::Window, Qt::black);
  palette.setColor(QPalette::WindowText, Qt::white);
  window->setPalette(palette);
  window->setAutoFillBackground(true);
}

ClickableLabel* ProductPicture(const QString& objectName) {
  auto* image = new ClickableLabel;
  image->setObjectName(objectName);
  image->setAccessibleName(QStringLiteral("Voxmire"));
  image->setPixmap(QPixmap(QStringLiteral(":/voxmire/product.jpg")));
  return image;
}

}  // namespace voxmire
