#pragma once
// frmAbout: the distribution terms, the maker's contact address and the
// product web page, whose label blinks every 300 ms.
#include <QTimer>
#include <QWidget>

namespace voxmire {

struct AppContext;
class ClickableLabel;

class AboutBox : public QWidget {
  Q_OBJECT
 public:
  explicit AboutBox(AppContext& ctx);

 protected:
  void showEvent(QShowEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  AppContext& ctx_;
  QTimer timer_;
  ClickableLabel* web_;
  ClickableLabel* mail_;
};

}  // namespace voxmire
