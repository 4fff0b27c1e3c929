#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "sounds/SoundDirChooser.h"

namespace voxmire {

void RegisterSoundPages(AppContext& ctx) {
  ctx.nav.Register(PageId::ChooseSoundDir, [&ctx] { return new SoundDirChooser(ctx); });
}

}  // namespace voxmire
