// Voxmire: builds a custom voice pack for Unreal Tournament.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <filesystem>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Pages.h"
#include "app/Qt1252.h"
#include "app/Shell.h"
#include "app/StartUp.h"
#include "core/Drives.h"
#include "output/CompileSequence.h"
#include "output/RunAndWait.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"
#include "sounds/SoundPlayer.h"

int main(int argc, char* argv[]) {
  QApplication::setApplicationName(QStringLiteral("Voxmire"));
  QApplication::setApplicationVersion(QStringLiteral(VOXMIRE_VERSION));
  // --help and --version answer on a terminal without a display.
  if (const auto early = voxmire::ReadCommandLine(voxmire::ArgumentsOf(argc, argv));
      early.exitCode == 0) {
    return voxmire::PrintAnswer(early);
  }
  QApplication app(argc, argv);
  // Qt has taken its own options (-platform, ...) out by now.
  const auto commandLine = voxmire::ReadCommandLine(QApplication::arguments());
  if (commandLine.exitCode) return voxmire::PrintAnswer(commandLine);
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
  // The desktop's folders, or the program's own when it is portable.
  const auto places = voxmire::ChoosePlaces(voxmire::DesktopSurroundings(std::filesystem::path(
      QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString())));
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
  voxmire::SettleFolders(places, ctx.home, dialogs);
  // A compile cut short by the program's death left the game's settings
  // file edited: put it right before anything else happens.
  if (const std::string repair = voxmire::RepairInterruptedCompile(ctx.places); !repair.empty()) {
    dialogs.Message(nullptr, QObject::tr("Interrupted compile"), voxmire::ToQt(repair),
                    voxmire::MessageIcon::Critical);
  }
  voxmire::RegisterPages(ctx);
  voxmire::OpenFirstWindow(ctx, commandLine.file);
  const int status = QApplication::exec();
  // Whatever ended the program, the last edits go to the project file.
  keeper.Flush();
  // The pages hold references into ctx, which goes first on the way out:
  // they must be gone before it (a compile page still running puts the game
  // back from its destructor).
  nav.DestroyAll();
  return status;
}
