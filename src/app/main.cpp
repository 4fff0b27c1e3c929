// Voxmire: builds a custom voice pack for Unreal Tournament.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <filesystem>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "app/Qt1252.h"
#include "app/Shell.h"
#include "core/Drives.h"
#include "output/CompileSequence.h"
#include "output/RunAndWait.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"
#include "sounds/SoundPlayer.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Voxmire"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/voxmire/product.jpg")));
  // The navigator decides when the program ends: a "Back" move closes one
  // page before it opens the next.
  QApplication::setQuitOnLastWindowClosed(false);

  voxmire::ProjectState state;
  voxmire::QtDialogs dialogs;
  voxmire::DesktopShell shell;
  voxmire::QtSoundPlayer player;
  voxmire::PosixProcessRunner runner;
  voxmire::Navigator nav;
  // The program keeps everything in the folder that holds it.
  const auto places = voxmire::Places::InOneFolder(
      std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
  voxmire::ProjectKeeper keeper(state, dialogs, places);
  keeper.Watch(nav);
  voxmire::AppContext ctx{
      state,
      places,
      dialogs,
      shell,
      player,
      runner,
      nav,
      [] { return voxmire::ListDrives(); },
      std::filesystem::path(QDir::homePath().toStdString()),
      keeper,
  };
  // A compile cut short by the program's death left the game's settings
  // file edited: put it right before anything else happens.
  if (const std::string repair = voxmire::RepairInterruptedCompile(ctx.places); !repair.empty()) {
    dialogs.Message(nullptr, QObject::tr("Interrupted compile"), voxmire::ToQt(repair),
                    voxmire::MessageIcon::Critical);
  }
  voxmire::RegisterPages(ctx);
  nav.Open(voxmire::PageId::Splash);
  const int status = QApplication::exec();
  // Whatever ended the program, the last edits go to the project file.
  keeper.Flush();
  // The pages hold references into ctx, which goes first on the way out:
  // they must be gone before it (a compile page still running puts the game
  // back from its destructor).
  nav.DestroyAll();
  return status;
}
