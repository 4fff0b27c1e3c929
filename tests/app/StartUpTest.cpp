// The first moments of a run: the desktop's folders, the move of an
// earlier install as the user meets it, the command line and the window a
// given file opens on.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "app/Qt1252.h"
#include "app/StartUp.h"
#include "core/Files.h"
#include "output/GameIni.h"
#include "project/ProjectFile.h"
#include "support/Harness.h"

namespace voxmire::test {
namespace {

namespace fs = std::filesystem;

// Sets the environment for one test and puts it back afterwards.
class Environment {
 public:
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        qputenv(name.constData(), *value);
      } else {
        qunsetenv(name.constData());
      }
    }
  }
  void Set(const char* name, const std::optional<QByteArray>& value) {
    if (saved_.find(name) == saved_.end()) {
      saved_[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    }
    if (value) {
      qputenv(name, *value);
    } else {
      qunsetenv(name);
    }
  }

 private:
  std::map<QByteArray, std::optional<QByteArray>> saved_;
};

QByteArray Bytes(const fs::path& path) { return QByteArray::fromStdString(path.string()); }

TEST(DesktopSurroundings, TheXdgVariablesWhenSetAndTheirDefaultsUnderTheHomeWhenNot) {
  Harness h;
  const fs::path home = h.TempDir("desk-home");
  Environment env;
  env.Set("HOME", Bytes(home));
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
    env.Set(name, std::nullopt);
  }
  Surroundings around = DesktopSurroundings(h.programDir);
  EXPECT_EQ(around.programDir, h.programDir);
  EXPECT_EQ(around.configHome, home / ".config");
  EXPECT_EQ(around.dataHome, home / ".local/share");
  EXPECT_EQ(around.stateHome, home / ".local/state");

  env.Set("XDG_CONFIG_HOME", Bytes(h.root / "cfg"));
  env.Set("XDG_DATA_HOME", Bytes(h.root / "dat"));
  env.Set("XDG_STATE_HOME", Bytes(h.root / "st"));
  around = DesktopSurroundings(h.programDir);
  EXPECT_EQ(around.configHome, h.root / "cfg");
  EXPECT_EQ(around.dataHome, h.root / "dat");
  EXPECT_EQ(around.stateHome, h.root / "st");

  // A relative value is no base folder.
  env.Set("XDG_STATE_HOME", "st");
  EXPECT_EQ(DesktopSurroundings(h.programDir).stateHome, home / ".local/state");
}

// An earlier per-user install in ~/.local/share/voxmire, with a compile cut
// short: the game's settings still list the pack.
struct EarlierInstallAtStart {
  Harness h;
  fs::path home = h.TempDir("start-home");
  fs::path old = home / ".local/share/voxmire";
  fs::path gameIni = h.root / "ut/System/UnrealTournament.ini";
  std::string original = "[Editor.EditorEngine]\r\nEditPackages=Core\r\n";
  Places places =
      ChoosePlaces({h.programDir, home / ".config", home / ".local/share", home / ".local/state"});

  EarlierInstallAtStart() {
    WriteFile(old / "prefs.ini", "[Config]\r\n");
    WriteFile(old / "Packs/Gruff.voxmire", "{}");
    WriteFile(old / "ut_backup.ini", original);
    WriteFile(gameIni, InsertEditPackage(original, "Gruff"));
    WriteFile(old / "compile-journal.txt", "Settings=" + PathText(gameIni) +
                                               "\r\nOriginal=" + PathText(old / "ut_backup.ini") +
                                               "\r\nPackage=Gruff\r\n");
  }
};

TEST(SettleFolders, AnEarlierInstallMovesOnceAfterItsCutShortCompileIsMended) {
  EarlierInstallAtStart s;
  SettleFolders(s.places, s.home, s.h.dialogs);
  // The journal's backup was read where it lay before anything moved.
  EXPECT_EQ(ReadFile(s.gameIni), s.original);
  EXPECT_FALSE(fs::exists(s.places.state / "compile-journal.txt"));
  EXPECT_EQ(ReadFile(s.places.config / "prefs.ini"), "[Config]\r\n");
  EXPECT_EQ(ReadFile(s.places.data / "Packs/Gruff.voxmire"), "{}");
  EXPECT_FALSE(fs::exists(s.old / "prefs.ini"));
  ASSERT_EQ(s.h.dialogs.messages.size(), 1u);
  EXPECT_EQ(s.h.dialogs.messages[0].title, QStringLiteral("Your files have moved"));
  EXPECT_EQ(s.h.dialogs.messages[0].icon, MessageIcon::Information);
  EXPECT_TRUE(s.h.dialogs.messages[0].text.contains(ToQt(PathText(s.places.config))));

  SettleFolders(s.places, s.home, s.h.dialogs);  // said once
  EXPECT_EQ(s.h.dialogs.messages.size(), 1u);
}

TEST(SettleFolders, APortableProgramsFolderIsLeftAsItIs) {
  EarlierInstallAtStart s;
  SettleFolders(Places::InOneFolder(s.h.programDir), s.home, s.h.dialogs);
  EXPECT_TRUE(s.h.dialogs.messages.empty());
  EXPECT_TRUE(fs::exists(s.old / "prefs.ini"));
  EXPECT_FALSE(fs::exists(s.home / ".config"));
}

TEST(SettleFolders, AFolderThatCantBeMadeIsSaid) {
  EarlierInstallAtStart s;
  WriteFile(s.home / ".local/state", "in the way");
  SettleFolders(s.places, s.home, s.h.dialogs);
  ASSERT_EQ(s.h.dialogs.messages.size(), 1u);
  EXPECT_EQ(s.h.dialogs.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(s.h.dialogs.messages[0].text.contains(ToQt(PathText(s.places.state))));
  EXPECT_TRUE(fs::exists(s.old / "prefs.ini"));
}

TEST(ReadCommandLine, HelpVersionAFileOrAClearRefusal) {
  QCoreApplication::setApplicationVersion(QStringLiteral("9.8"));
  const CommandLine none = ReadCommandLine({"/usr/bin/voxmire"});
  EXPECT_FALSE(none.exitCode);
  EXPECT_TRUE(none.file.isEmpty());

  for (const char* asked : {"--help", "-h"}) {
    const CommandLine help = ReadCommandLine({"/usr/bin/voxmire", asked});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.contains("[options] [FILE]")) << help.output.toStdString();
    EXPECT_TRUE(help.output.contains("--version"));
  }
  // Before the application has taken its own options out, too.
  for (const QStringList& args : {QStringList{"voxmire", "--version"},
                                  QStringList{"voxmire", "-platform", "offscreen", "-v"}}) {
    const CommandLine version = ReadCommandLine(args);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, QCoreApplication::applicationName() + " 9.8\n");
  }
  // One dash, one word: not -r -e -v ...
  EXPECT_EQ(ReadCommandLine({"voxmire", "-reverse"}).exitCode, 1);

  const CommandLine relative = ReadCommandLine({"voxmire", "packs/Gruff.voxmire"});
  EXPECT_FALSE(relative.exitCode);
  EXPECT_EQ(relative.file, QDir::current().absoluteFilePath("packs/Gruff.voxmire"));

  const CommandLine two = ReadCommandLine({"voxmire", "a.voxmire", "b.uc"});
  EXPECT_EQ(two.exitCode, 1);
  EXPECT_TRUE(two.output.contains("one file"));
  const CommandLine unknown = ReadCommandLine({"voxmire", "--frobnicate"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_TRUE(unknown.output.contains("frobnicate"));
  EXPECT_TRUE(unknown.output.contains("--help"));
}

TEST(OpenFirstWindow, TheSplashWithoutAFile) {
  Harness h;
  OpenFirstWindow(h.ctx, {});
  EXPECT_TRUE(h.nav.IsOpen(PageId::Splash));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Start));
}

ProjectState Gruff() {
  ProjectState s;
  s.VoicePackName = "Gruff";
  s.AuthorName = "Ann";
  s.Tables.Acks.CreateRows(2);
  return s;
}

TEST(OpenFirstWindow, AGivenVoicePackOrVoiceClassLoadsAsTheStartPageLoadsOne) {
  Harness h;
  const fs::path project = h.root / "download" / "Gruff.voxmire";
  WriteFile(project, ProjectFileText(Gruff()));
  OpenFirstWindow(h.ctx, ToQt(PathText(project)));
  EXPECT_TRUE(h.dialogs.fileDialogs.empty());
  EXPECT_TRUE(h.dialogs.messages.empty());
  const auto read = ReadProjectFile(project).state;
  ASSERT_TRUE(read);
  EXPECT_EQ(h.state, *read);
  EXPECT_TRUE(h.nav.IsOpen(PageId::Info));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Start));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Splash));
  // From now on it is kept in the pack's own project file.
  h.keeper.Flush();
  EXPECT_EQ(ReadProjectFile(ProjectFilePath(h.places, "Gruff")).state, *read);

  Harness imported;
  const fs::path uc = imported.root / "Gruff.UC";
  WriteFile(uc, "class Gruff extends VoiceMaleOne;\r\ndefaultproperties\r\n{\r\n}\r\n");
  OpenFirstWindow(imported.ctx, ToQt(PathText(uc)));
  EXPECT_EQ(imported.state.VoicePackName, "Gruff");
  EXPECT_TRUE(imported.nav.IsOpen(PageId::Info));
}

TEST(OpenFirstWindow, TheSameQuestionWhenThePackHasAnotherProjectFile) {
  Harness h;
  const std::string own = "the pack's own project";
  WriteFile(ProjectFilePath(h.places, "Gruff"), own);
  const fs::path copy = h.root / "Gruff.voxmire";
  WriteFile(copy, ProjectFileText(Gruff()));
  OpenFirstWindow(h.ctx, ToQt(PathText(copy)));  // Escape
  ASSERT_EQ(h.dialogs.questions.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].title, QStringLiteral("VoicePack exists"));
  EXPECT_EQ(ReadFile(ProjectFilePath(h.places, "Gruff")), own);
  EXPECT_TRUE(h.nav.IsOpen(PageId::Start));
}

TEST(OpenFirstWindow, AMissingFileOrOneOfAnotherKindIsNamedOnTheStartPage) {
  const std::pair<const char*, const char*> cases[] = {
      {"Missing.voxmire", "doesn't exist"},
      {"notes.txt", "is neither a VoicePack (.voxmire) nor a voice class (.uc)"},
      {"folder", "is neither"},
  };
  for (const auto& [name, says] : cases) {
    SCOPED_TRACE(name);
    Harness h;
    h.state.VoicePackName = "Current";
    const fs::path file = h.root / name;
    if (std::string(name) == "notes.txt") WriteFile(file, "class Gruff extends VoiceMaleOne;\r\n");
    if (std::string(name) == "folder") fs::create_directories(file);
    OpenFirstWindow(h.ctx, ToQt(PathText(file)));
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    const ShownMessage& shown = h.dialogs.messages[0];
    EXPECT_EQ(shown.title, QStringLiteral("Can't load the VoicePack"));
    EXPECT_EQ(shown.icon, MessageIcon::Critical);
    EXPECT_TRUE(shown.text.startsWith(ToQt(PathText(file)))) << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains(says)) << shown.text.toStdString();
    EXPECT_TRUE(shown.text.endsWith("\rNothing was changed."));
    EXPECT_EQ(h.state.VoicePackName, "Current");
    EXPECT_TRUE(h.nav.IsOpen(PageId::Start));
    EXPECT_FALSE(h.nav.IsOpen(PageId::Info));
  }
}

}  // namespace
}  // namespace voxmire::test
