#pragma once
// A label that reports mouse presses, releases and clicks. As a link it also
// takes the keyboard focus and answers Enter and Space, so that it can be
// reached without a mouse.
#include <QLabel>

namespace voxmire {

class ClickableLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ClickableLabel(const QString& text = QString(), QWidget* parent = nullptr);
  void SetLink(bool link);

 Q_SIGNALS:
  void pressed();
  void released();
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

// Flips a widget's background between navy and black, the blink of the
// splash and about box address labels: navy becomes black, anything else navy.
void FlipNavyBlack(QWidget* widget);
QColor Navy();

// The splash and the about box: white text on black, with the product
// picture in a label that answers clicks.
void PaintBlack(QWidget* window);
ClickableLabel* ProductPicture(const QString& objectName);

}  // namespace voxmire
