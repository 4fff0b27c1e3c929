#pragma once
// Form1, the start page: start a new voice pack (the other two options are
// not there yet) or quit.
#include "app/Page.h"

class QRadioButton;
class QPushButton;

namespace voxmire {

class StartPage : public Page {
  Q_OBJECT
 public:
  explicit StartPage(AppContext& ctx);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Next();

  QRadioButton* newPack_;
  QRadioButton* loadPack_;
  QRadioButton* preferences_;
};

}  // namespace voxmire
