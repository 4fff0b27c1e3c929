#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/Pages.h"

namespace voxmire {

void RegisterVoiceWindow(AppContext& ctx) {
  (void)ctx;
}

}  // namespace voxmire
