// Where the program keeps its files, and the move of an earlier per-user
// install into the desktop's folders: nothing the user has may be lost.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "app/Folders.h"
#include "core/Files.h"
#include "project/ProjectFile.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

void Put(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// Every file under `dir` with its bytes, by its path relative to `dir`.
std::map<std::string, std::string> Tree(const fs::path& dir) {
  std::map<std::string, std::string> files;
  if (!fs::exists(dir)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) {
      files[entry.path().lexically_relative(dir).string()] = *ReadFileBytes(entry.path());
    }
  }
  return files;
}

struct Desktop {
  testing::TempDir temp;
  fs::path home = temp.path / "home";
  fs::path prefix = temp.path / "prefix";
  fs::path bin = prefix / "bin";
  Surroundings around{bin, home / ".config", home / ".local/share", home / ".local/state"};
  Desktop() {
    fs::create_directories(bin);
    fs::create_directories(prefix / "share/voxmire/Lib");
  }
};

TEST(XdgHome, AnAbsoluteValueWinsAndAnythingElseFallsBackUnderTheHome) {
  const fs::path home = "/home/ann";
  EXPECT_EQ(XdgHome("/xdg/state", home, ".local/state"), "/xdg/state");
  EXPECT_EQ(XdgHome(nullptr, home, ".local/state"), "/home/ann/.local/state");
  EXPECT_EQ(XdgHome("", home, ".local/state"), "/home/ann/.local/state");
  EXPECT_EQ(XdgHome("relative/state", home, ".local/state"), "/home/ann/.local/state");
}

TEST(ChoosePlaces, EachKindInTheDesktopsFolderAndTheDataBesideTheBinFolder) {
  Desktop d;
  const Places places = ChoosePlaces(d.around);
  EXPECT_EQ(places.config, d.home / ".config/voxmire");
  EXPECT_EQ(places.data, d.home / ".local/share/voxmire");
  EXPECT_EQ(places.state, d.home / ".local/state/voxmire");
  EXPECT_EQ(places.share, d.prefix / "share/voxmire");

  // Wherever the desktop's variables point.
  d.around.configHome = d.temp.path / "cfg";
  d.around.stateHome = d.temp.path / "st";
  const Places moved = ChoosePlaces(d.around);
  EXPECT_EQ(moved.config, d.temp.path / "cfg/voxmire");
  EXPECT_EQ(moved.state, d.temp.path / "st/voxmire");

  // A program without a share folder beside its bin folder reads its own.
  fs::remove_all(d.prefix / "share");
  EXPECT_EQ(ChoosePlaces(d.around).share, d.bin);
}

TEST(ChoosePlaces, APortableMarkerOrAnOldStyleFolderKeepsEverythingBesideTheProgram) {
  for (const char* beside : {"portable", "prefs.ini", "steps.ini", "Packs/"}) {
    SCOPED_TRACE(beside);
    Desktop d;
    const std::string name = beside;
    if (name.back() == '/') {
      fs::create_directories(d.bin / name);
    } else {
      Put(d.bin / name, "");
    }
    EXPECT_EQ(ChoosePlaces(d.around), Places::InOneFolder(d.bin));
  }
  Desktop d;  // files of other kinds don't count
  Put(d.bin / "soundlist.txt", "");
  Put(d.bin / "Release/x.zip", "");
  EXPECT_NE(ChoosePlaces(d.around), Places::InOneFolder(d.bin));
}

TEST(MakeFolders, MakesTheWritableFoldersOrSaysWhichCantBeMade) {
  Desktop d;
  const Places places = ChoosePlaces(d.around);
  EXPECT_EQ(MakeFolders(places), "");
  EXPECT_TRUE(fs::is_directory(places.config));
  EXPECT_TRUE(fs::is_directory(places.data));
  EXPECT_TRUE(fs::is_directory(places.state));

  Desktop blocked;
  Put(blocked.home / ".local/state", "a file where a folder should be");
  const std::string problem = MakeFolders(ChoosePlaces(blocked.around));
  EXPECT_NE(problem.find(PathText(blocked.home / ".local/state/voxmire")), std::string::npos);
}

// An earlier per-user install: the program, its data and the user's files
// all in <prefix>/share/voxmire.
struct EarlierInstallFixture : ::testing::Test {
  Desktop d;
  fs::path old = d.prefix / "share/voxmire";
  Places places;

  void SetUp() override {
    Put(old / "defaultscript.txt", "shipped template\r\n");
    Put(old / "Lib/MaleOne.vpl", "library\r\n");
    Put(old / "installed-files", "list\n");
    Put(old / "prefs.ini", "[Config]\r\nUTDIR=/games/ut\r\n");
    Put(old / "steps.ini", "[Info]\r\n");
    Put(old / "Packs/Gruff.voxmire", "{ project }");
    Put(old / "Packs/Gruff/Sounds/hello.wav", std::string(70000, 'w'));
    Put(old / "Release/Gruff.zip", "zip");
    Put(old / "soundlist.txt", "hello\r\n");
    Put(old / "Gruff.uc", "class Gruff extends VoiceMaleOne;\r\n");
    Put(old / "Gruff.int", "[Public]\r\n");
    Put(old / "ucc-make-Gruff.log", "log");
    Put(old / "ut_backup.ini", "backup");
    Put(old / "notes.txt", "not ours");
    d.around.dataHome = d.temp.path / "data";  // apart from the old folder
    places = ChoosePlaces(d.around);
    ASSERT_EQ(places.share, old);
    ASSERT_EQ(MakeFolders(places), "");
  }
};

TEST_F(EarlierInstallFixture, EveryUserFileGoesToItsKindsFolderOnceAndTheProgramsOwnStay) {
  const auto before = Tree(old);
  const auto earlier = FindEarlierInstall(old, places);
  ASSERT_TRUE(earlier);
  const MoveReport report = MoveEarlierInstall(*earlier, places);
  ASSERT_TRUE(report.moved) << report.text;

  const std::map<std::string, std::string> config{{"prefs.ini", before.at("prefs.ini")},
                                                  {"steps.ini", before.at("steps.ini")}};
  EXPECT_EQ(Tree(places.config), config);
  const std::map<std::string, std::string> data{
      {"Packs/Gruff.voxmire", before.at("Packs/Gruff.voxmire")},
      {"Packs/Gruff/Sounds/hello.wav", before.at("Packs/Gruff/Sounds/hello.wav")},
      {"Release/Gruff.zip", "zip"}};
  EXPECT_EQ(Tree(places.data), data);
  EXPECT_EQ(Tree(places.state).size(), 5u);
  EXPECT_EQ(Tree(places.state).at("Gruff.uc"), before.at("Gruff.uc"));
  // The program's own files, and what isn't known to be the user's, stay.
  const std::map<std::string, std::string> left{{"defaultscript.txt", "shipped template\r\n"},
                                                {"Lib/MaleOne.vpl", "library\r\n"},
                                                {"installed-files", "list\n"},
                                                {"notes.txt", "not ours"}};
  EXPECT_EQ(Tree(old), left);
  EXPECT_FALSE(fs::exists(old / "Packs"));

  for (const fs::path& folder : {places.config, ProjectFolder(places), places.state}) {
    EXPECT_NE(report.text.find(PathText(folder)), std::string::npos) << folder;
  }
  EXPECT_NE(report.text.find(PathText(old)), std::string::npos);
  // Said once: the next start finds nothing to move.
  EXPECT_FALSE(FindEarlierInstall(old, places));
}

TEST_F(EarlierInstallFixture, AFailureHalfWayTakesTheCopiesBackAndLosesNothing) {
  const auto before = Tree(old);
  // The settings copy, then the state folder is a file: the copies of the
  // generated files fail after the settings and projects were copied.
  fs::remove_all(places.state);
  Put(places.state, "in the way");
  const auto earlier = FindEarlierInstall(old, places);
  ASSERT_TRUE(earlier);
  const MoveReport report = MoveEarlierInstall(*earlier, places);
  EXPECT_FALSE(report.moved);
  EXPECT_NE(report.text.find("Nothing was moved"), std::string::npos);
  EXPECT_NE(report.text.find(PathText(places.state)), std::string::npos) << report.text;

  EXPECT_EQ(Tree(old), before);
  EXPECT_TRUE(Tree(places.config).empty());
  EXPECT_TRUE(Tree(places.data).empty());
  EXPECT_FALSE(fs::exists(places.data / "Packs"));  // the folders it made went too

  // Once the way is clear, the next start moves everything.
  fs::remove(places.state);
  const MoveReport again = MoveEarlierInstall(*FindEarlierInstall(old, places), places);
  EXPECT_TRUE(again.moved) << again.text;
  EXPECT_EQ(Tree(places.state).at("soundlist.txt"), "hello\r\n");
}

TEST_F(EarlierInstallFixture, AFileAlreadyThereIsNeverOverwrittenButTheSameOneCountsAsMoved) {
  Put(places.config / "prefs.ini", "[Config]\r\nUTDIR=/elsewhere\r\n");
  const auto before = Tree(old);
  const MoveReport refused = MoveEarlierInstall(*FindEarlierInstall(old, places), places);
  EXPECT_FALSE(refused.moved);
  EXPECT_NE(refused.text.find(PathText(places.config / "prefs.ini")), std::string::npos);
  EXPECT_EQ(Tree(old), before);
  EXPECT_EQ(*ReadFileBytes(places.config / "prefs.ini"), "[Config]\r\nUTDIR=/elsewhere\r\n");
  EXPECT_TRUE(Tree(places.state).empty());

  // An earlier move that got that far left the same bytes: no conflict.
  Put(places.config / "prefs.ini", before.at("prefs.ini"));
  EXPECT_TRUE(MoveEarlierInstall(*FindEarlierInstall(old, places), places).moved);
  EXPECT_FALSE(fs::exists(old / "prefs.ini"));
}

TEST_F(EarlierInstallFixture, TheEarlierProgramStillInstalledKeepsItsFiles) {
  Put(old / "voxmire", "the earlier program");
  EXPECT_FALSE(FindEarlierInstall(old, places));
}

TEST_F(EarlierInstallFixture, ProjectsAlreadyInTheDataFolderStayWhereTheyAre) {
  // ~/.local/share/voxmire was the program's folder and is the data folder now.
  d.around.dataHome = d.prefix / "share";
  places = ChoosePlaces(d.around);
  const auto earlier = FindEarlierInstall(old, places);
  ASSERT_TRUE(earlier);
  for (const FileMove& move : earlier->files) {
    EXPECT_EQ(move.from.string().find((old / "Packs").string()), std::string::npos) << move.from;
  }
  ASSERT_TRUE(MoveEarlierInstall(*earlier, places).moved);
  EXPECT_EQ(ReadFileBytes(old / "Packs/Gruff.voxmire"), "{ project }");
  EXPECT_EQ(ReadFileBytes(places.config / "prefs.ini"), "[Config]\r\nUTDIR=/games/ut\r\n");
  EXPECT_FALSE(FindEarlierInstall(old, places));
}

TEST(MoveEarlierInstall, TheEarlierFolderStaysEvenWhenNothingIsLeftInIt) {
  // It may be the data folder now, made for this run.
  Desktop d;
  const fs::path old = d.home / ".local/share/voxmire";
  Put(old / "prefs.ini", "[Config]\r\n");
  Put(old / "Release/Gruff.zip", "zip");
  d.around.dataHome = d.temp.path / "data";
  const Places places = ChoosePlaces(d.around);
  ASSERT_TRUE(MoveEarlierInstall(*FindEarlierInstall(old, places), places).moved);
  EXPECT_TRUE(fs::is_directory(old));
  EXPECT_TRUE(fs::is_empty(old));
}

TEST_F(EarlierInstallFixture, AnEditedTemplateBecomesTheUsersOwnAndTheShippedOneStays) {
  // The default folder of earlier installs, with the package's data apart.
  const fs::path byDefault = d.home / ".local/share/voxmire";
  const auto folders = EarlierInstallFolders(places, d.home);
  ASSERT_EQ(folders, (std::vector<fs::path>{old, byDefault}));
  Put(byDefault / "defaultscript.txt", "shipped template\r\n");
  Put(byDefault / "prefs.ini", "[Config]\r\n");
  auto earlier = FindEarlierInstall(byDefault, places);
  ASSERT_TRUE(earlier);
  ASSERT_EQ(earlier->files.size(), 1u);  // the same template as shipped is not the user's

  Put(byDefault / "defaultscript.txt", "my own template\r\n");
  earlier = FindEarlierInstall(byDefault, places);
  ASSERT_TRUE(MoveEarlierInstall(*earlier, places).moved);
  EXPECT_EQ(ReadFileBytes(places.config / "defaultscript.txt"), "my own template\r\n");
}

}  // namespace
}  // namespace voxmire
