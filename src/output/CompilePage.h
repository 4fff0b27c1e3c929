#pragma once
// Form8: the wizard's last page. "Compile!" installs the pack into the game,
// runs the game's compiler and reports.
#include "app/Page.h"

class QLineEdit;

namespace voxmire {

class CompilePage : public Page {
  Q_OBJECT
 public:
  explicit CompilePage(AppContext& ctx);

 private:
  void Compile();

  QLineEdit* status_;
};

}  // namespace voxmire
