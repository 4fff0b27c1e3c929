#include "UTDirChooser.h"

#include "app/AppContext.h"
#include "app/DirectoryLists.h"
#include "app/Navigator.h"
#include "project/InfoPage.h"
#include "project/PreferencesPage.h"

namespace voxmire {

UTDirChooser::UTDirChooser(AppContext& ctx)
    : DirChooser(ctx, QStringLiteral("frmChooseUTDir"), tr("Choose your UT directory")) {}

void UTDirChooser::Select() {
  // The choice goes into the information page's field; it is only stored
  // when that page moves on. With the page gone there is nowhere to put it.
  if (auto* info = ctx_.nav.WindowAs<InfoPage>(PageId::Info)) {
    info->SetGameDirectory(Directories()->Path());
  } else if (auto* prefs = ctx_.nav.WindowAs<PreferencesPage>(PageId::Preferences)) {
    prefs->SetGameDirectory(Directories()->Path());
  }
  ctx_.nav.Close(PageId::ChooseUTDir);
}

}  // namespace voxmire
