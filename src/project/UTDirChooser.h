#pragma once
// frmChooseUTDir: picks the game directory for the information page.
#include "app/DirChooser.h"

namespace voxmire {

class UTDirChooser : public DirChooser {
  Q_OBJECT
 public:
  explicit UTDirChooser(AppContext& ctx);

 protected:
  void Select() override;
};

}  // namespace voxmire
