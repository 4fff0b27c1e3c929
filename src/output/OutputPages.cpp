#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "output/CompilePage.h"
#include "output/IntFilePage.h"

namespace voxmire {

void RegisterOutputPages(AppContext& ctx) {
  ctx.nav.Register(PageId::IntFile, [&ctx] { return new IntFilePage(ctx); });
  ctx.nav.Register(PageId::Compile, [&ctx] { return new CompilePage(ctx); });
}

}  // namespace voxmire
