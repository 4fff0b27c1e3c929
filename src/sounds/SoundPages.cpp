#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "sounds/SoundDirChooser.h"
#include "sounds/SoundsPage.h"

namespace voxmire {

void RegisterSoundPages(AppContext& ctx) {
  ctx.nav.Register(PageId::ChooseSoundDir, [&ctx] { return new SoundDirChooser(ctx); });
  ctx.nav.Register(PageId::Sounds, [&ctx] { return new SoundsPage(ctx); });
}

}  // namespace voxmire
