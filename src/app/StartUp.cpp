#include "StartUp.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "app/StartPage.h"
#include "core/Files.h"
#include "output/CompileSequence.h"

namespace voxmire {

namespace fs = std::filesystem;

CommandLine ReadCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QObject::tr("Builds a custom voice pack for Unreal Tournament."));
  // "-reverse" must not read as -r -e -v...: one dash, one word.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  // Not addHelpOption(): its --help-all needs the application to exist.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QObject::tr("Displays this help."));
  parser.addOption(help);
  const QCommandLineOption version = parser.addVersionOption();
  parser.addPositionalArgument(
      QObject::tr("FILE"), QObject::tr("A VoicePack (.voxmire) or a voice class (.uc) to open."),
      QObject::tr("[FILE]"));
  const bool understood = parser.parse(arguments);

  CommandLine line;
  if (parser.isSet(help)) {
    line.exitCode = 0;
    line.output = parser.helpText();
    // Read before the application exists, the text can't know its name.
    line.output.replace(QStringLiteral("<executable_name>"),
                        QFileInfo(arguments.value(0, QStringLiteral("voxmire"))).fileName());
  } else if (parser.isSet(version)) {
    line.exitCode = 0;
    line.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                  QCoreApplication::applicationVersion() + QLatin1Char('\n');
  } else if (!understood || parser.positionalArguments().size() > 1) {
    line.exitCode = 1;
    line.output = (understood ? QObject::tr("Give one file at most.") : parser.errorText()) +
                  QLatin1Char('\n') + QObject::tr("Try --help for how to start Voxmire.") +
                  QLatin1Char('\n');
  } else if (!parser.positionalArguments().isEmpty()) {
    // Relative to the folder the program was started from.
    line.file = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
  }
  return line;
}

QStringList ArgumentsOf(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

int PrintAnswer(const CommandLine& line) {
  const int status = line.exitCode.value_or(0);
  std::fputs(line.output.toLocal8Bit().constData(), status == 0 ? stdout : stderr);
  return status;
}

namespace {

// A path as the file system spells it, whatever the characters.
fs::path NativePath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }

// Qt's answer for the kind, else the standard's default under the home.
fs::path StandardFolder(QStandardPaths::StandardLocation kind, const fs::path& home,
                        std::string_view fallback) {
  const QString folder = QStandardPaths::writableLocation(kind);
  const fs::path path = NativePath(folder);
  return !folder.isEmpty() && path.is_absolute() ? path : home / fallback;
}

}  // namespace

Surroundings DesktopSurroundings(const fs::path& programDir) {
  const fs::path home = NativePath(QDir::homePath());
  Surroundings around;
  around.programDir = programDir;
  around.configHome = StandardFolder(QStandardPaths::GenericConfigLocation, home, ".config");
  around.dataHome = StandardFolder(QStandardPaths::GenericDataLocation, home, ".local/share");
  // Qt knows no state folder (before 6.7).
  around.stateHome = XdgHome(qgetenv("XDG_STATE_HOME").constData(), home, ".local/state");
  return around;
}

void SettleFolders(const Places& places, const fs::path& home, Dialogs& dialogs) {
  if (places == Places::InOneFolder(places.config)) return;  // portable: all beside the program
  if (const std::string problem = MakeFolders(places); !problem.empty()) {
    dialogs.Message(nullptr, QObject::tr("Voxmire's folders"), ToQt(problem),
                    MessageIcon::Critical);
    return;
  }
  for (const fs::path& folder : EarlierInstallFolders(places, home)) {
    const auto earlier = FindEarlierInstall(folder, places);
    if (!earlier) continue;
    // A compile cut short there left the game's settings edited, and its
    // journal names the backup by where it lies now: mend that first.
    if (const std::string repair = RepairInterruptedCompile(Places::InOneFolder(folder));
        !repair.empty()) {
      dialogs.Message(nullptr, QObject::tr("Interrupted compile"), ToQt(repair),
                      MessageIcon::Critical);
    }
    const auto again = FindEarlierInstall(folder, places);  // the repair took its journal
    if (!again) return;
    const MoveReport report = MoveEarlierInstall(*again, places);
    dialogs.Message(nullptr, QObject::tr("Your files have moved"), ToQt(report.text),
                    report.moved ? MessageIcon::Information : MessageIcon::Critical);
    return;
  }
}

void OpenFirstWindow(AppContext& ctx, const QString& file) {
  if (file.isEmpty()) {
    ctx.nav.Open(PageId::Splash);
    return;
  }
  // Opened from a file manager or a terminal: the file at once, no splash.
  auto* start = qobject_cast<StartPage*>(ctx.nav.Open(PageId::Start));
  if (start != nullptr) start->LoadGiven(NativePath(file));
}

}  // namespace voxmire
