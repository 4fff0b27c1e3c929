#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "sounds/VoiceWindow.h"

namespace voxmire {

void RegisterVoiceWindow(AppContext& ctx) {
  ctx.nav.Register(PageId::VoiceWindow, [&ctx] { return new VoiceWindow(ctx); });
}

}  // namespace voxmire
