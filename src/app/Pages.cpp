#include "Pages.h"

#include "app/AboutBox.h"
#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/SplashWindow.h"
#include "app/StartPage.h"
#include "project/InfoPage.h"
#include "project/PreferencesPage.h"
#include "project/SelectVoicePage.h"
#include "project/UTDirChooser.h"

// The pictures are compiled into the static GUI library, whose resources
// are not registered on their own.
static void InitResources() { Q_INIT_RESOURCE(resources); }

namespace voxmire {

void RegisterPages(AppContext& ctx) {
  InitResources();
  Navigator& nav = ctx.nav;
  nav.Register(PageId::Splash, [&ctx] { return new SplashWindow(ctx); });
  nav.Register(PageId::Start, [&ctx] { return new StartPage(ctx); });
  nav.Register(PageId::About, [&ctx] { return new AboutBox(ctx); });
  nav.Register(PageId::Info, [&ctx] { return new InfoPage(ctx); });
  nav.Register(PageId::ChooseUTDir, [&ctx] { return new UTDirChooser(ctx); });
  nav.Register(PageId::Preferences, [&ctx] { return new PreferencesPage(ctx); });
  nav.Register(PageId::SelectVoice, [&ctx] { return new SelectVoicePage(ctx); });
  RegisterSoundPages(ctx);
  RegisterVoiceWindow(ctx);
  RegisterScriptPages(ctx);
  RegisterWorkAreaPages(ctx);
  RegisterOutputPages(ctx);
  RegisterRecordWindow(ctx);
}

}  // namespace voxmire
