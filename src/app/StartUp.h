#pragma once
// The first moments of a run: the command line, the folders the desktop
// keeps the user's files in, the move of an earlier per-user install, and
// the first window.
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>

#include "app/Folders.h"

namespace voxmire {

struct AppContext;
class Dialogs;

struct CommandLine {
  std::optional<int> exitCode;  // set when the program ends at once
  QString output;               // what it prints then (stdout on 0, else stderr)
  QString file;                 // a VoicePack or a voice class to open, or empty
};

// Reads the arguments (the program's name first). --help and --version are
// answered before anything else, so they work without a display.
CommandLine ReadCommandLine(const QStringList& arguments);

// The arguments as main() receives them, for the reading above before the
// application exists.
QStringList ArgumentsOf(int argc, char** argv);

// Prints what the command line asked for and returns its exit status.
int PrintAnswer(const CommandLine& line);

// The desktop's folders as Qt and the environment give them.
Surroundings DesktopSurroundings(const std::filesystem::path& programDir);

// Makes the folders of this run and moves the settings and voice packs of an
// earlier per-user install into them (telling the user once where they
// went). Nothing happens to a portable program's folder.
void SettleFolders(const Places& places, const std::filesystem::path& home, Dialogs& dialogs);

// The splash, or, for a file given on the command line, the start page
// loading it as "Load exisiting VoicePack" does.
void OpenFirstWindow(AppContext& ctx, const QString& file);

}  // namespace voxmire
