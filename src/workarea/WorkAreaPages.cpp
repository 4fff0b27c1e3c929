#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "workarea/PreviewWindow.h"
#include "workarea/WorkAreaPage.h"

namespace voxmire {

void RegisterWorkAreaPages(AppContext& ctx) {
  ctx.nav.Register(PageId::WorkArea, [&ctx] { return new WorkAreaPage(ctx); });
  ctx.nav.Register(PageId::Preview, [&ctx] { return new PreviewWindow(ctx); });
}

}  // namespace voxmire
