#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "output/ScriptPage.h"

namespace voxmire {

void RegisterScriptPages(AppContext& ctx) {
  ctx.nav.Register(PageId::Script, [&ctx] { return new ScriptPage(ctx); });
}

}  // namespace voxmire
