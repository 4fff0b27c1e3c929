#pragma once
// frmSplash: shown at start-up; opens the start page after four ticks of its
// 400 ms timer, at a click or at a key press; Escape ends the program.
#include <QTimer>
#include <QWidget>

namespace voxmire {

struct AppContext;
class ClickableLabel;

class SplashWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SplashWindow(AppContext& ctx);
  int Ticks() const { return ticks_; }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Tick();
  void OpenStartPage();

  AppContext& ctx_;
  QTimer timer_;
  int ticks_ = 0;
  ClickableLabel* address_;
};

}  // namespace voxmire
