#pragma once
// frmChooseSoundDir: picks the directory that holds the pack's .wav files.
#include "app/DirChooser.h"

namespace voxmire {

class SoundDirChooser : public DirChooser {
  Q_OBJECT
 public:
  explicit SoundDirChooser(AppContext& ctx);

 protected:
  void Select() override;
};

}  // namespace voxmire
