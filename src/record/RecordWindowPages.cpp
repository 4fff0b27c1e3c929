#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "record/RecordWindow.h"

namespace voxmire {

void RegisterRecordWindow(AppContext& ctx) {
  ctx.nav.Register(PageId::Recorder, [&ctx] { return new RecordWindow(ctx); });
}

}  // namespace voxmire
