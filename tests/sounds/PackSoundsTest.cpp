#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/Files.h"
#include "sounds/PackSounds.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

TEST(PackSoundsTest, FileNamesBecomeNamesTheGameCanHold) {
  const std::pair<const char*, const char*> cases[] = {
      {"hello.wav", "hello"},
      {"UPPER.WAV", "UPPER"},
      {"gr\u00FC\u00DFe mit blank.wav", "grusse_mit_blank"},
      {"with space name.mp3", "with_space_name"},
      {"\u00C6sir \u0152uvre \u0141\u00F3d\u017A.flac", "AEsir_OEuvre_Lodz"},
      {"gru\u0308n.ogg", "grun"},  // stored decomposed: the mark goes, the letter stays
      {"a.wav.wav", "a_wav"},
      {"take-2 (final).aiff", "take_2__final_"},
      {"01 intro.aif", "S01_intro"},
      {"_x.oga", "S_x"},
      {"!.mp3", "S_"},
      {"", "Sound"},
      {"\u65E5\u672C.wav", "S__"},
      {"bad\xFF\xFEutf8.wav", "bad__utf8"},
      {"cut\xE2\x82.wav", "cut__"},
      {"notes.txt", "notes_txt"},
  };
  for (const auto& [file, name] : cases) EXPECT_EQ(GameSoundName(file), name) << file;

  const std::string longName = GameSoundName(std::string(100, 'x') + ".wav");
  EXPECT_EQ(longName, std::string(63, 'x'));
}

// Names read from a class or project file are taken only when the sound
// page could have made them.
TEST(PackSoundsTest, OnlyNamesThePageMakesAreGameSoundNames) {
  for (const std::string& yes : std::vector<std::string>{
           "hello", "UPPER", "grusse_mit_blank", "S01_intro", "a", "x_1_", std::string(63, 'x')}) {
    EXPECT_TRUE(IsGameSoundName(yes)) << yes;
  }
  for (const std::string& no : std::vector<std::string>{
           "", "../../../evil", "a/b", "two\r\nlines", "with space", "caf\xE9", "1abc", "_x",
           "hello.wav", "say\"hi", std::string(64, 'x'), std::string("nul\0", 4)}) {
    EXPECT_FALSE(IsGameSoundName(no)) << no;
  }
}

TEST(PackSoundsTest, SoundFileNamesAndTheirListing) {
  for (const char* yes : {"a.wav", "a.MP3", "a.Ogg", "a.oga", "a.FLAC", "a.aif", "a.AIFF"}) {
    EXPECT_TRUE(IsSoundFileName(yes)) << yes;
  }
  for (const char* no : {"a.wav.txt", "wav", "a.aifc", "a.m4a", ".wav", ""}) {
    EXPECT_FALSE(IsSoundFileName(no)) << no;
  }

  testing::TempDir dir;
  for (const char* name :
       {"b.mp3", "A.flac", "c.txt", ".hidden.wav", "a.wav", "\u00E9t\u00E9.ogg"}) {
    dir.Write(name, "x");
  }
  fs::create_directories(dir.path / "folder.wav");
  const auto files = ListSoundFiles(dir.path);
  ASSERT_TRUE(files.has_value());
  std::vector<std::string> names;
  for (const SoundFileEntry& f : *files) {
    names.push_back(f.name);
    EXPECT_EQ(f.path, dir.path / f.name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A.flac", "a.wav", "b.mp3", "\u00E9t\u00E9.ogg"}));
  EXPECT_FALSE(ListSoundFiles(dir.path / "gone").has_value());
}

TEST(PackSoundsTest, ClashesAreFoundWithoutRegardToLetterCase) {
  EXPECT_TRUE(FindNameClashes({"a", "b", "c"}).empty());
  const auto clashes = FindNameClashes({"hello", "bye", "Hello", "BYE", "x", "HELLO"});
  ASSERT_EQ(clashes.size(), 2u);
  EXPECT_EQ(clashes[0].soundName, "hello");
  EXPECT_EQ(clashes[0].files, (std::vector<std::size_t>{0, 2, 5}));
  EXPECT_EQ(clashes[1].soundName, "bye");
  EXPECT_EQ(clashes[1].files, (std::vector<std::size_t>{1, 3}));
  EXPECT_TRUE(SameSoundName("grusse", "GRUSSE"));
  EXPECT_FALSE(SameSoundName("grusse", "grusse_"));
}

TEST(PackSoundsTest, ThePacksFolderLivesInTheDataFolder) {
  const Places vx{"/etc/vx", "/opt/vx", "/var/vx", "/usr/share/vx"};
  EXPECT_EQ(PackSoundsDir(vx, "MyPack"), fs::path("/opt/vx/Packs/MyPack/Sounds"));
  EXPECT_EQ(PackSoundsDir(vx, ""), fs::path("/opt/vx/Packs/DEFAULT/Sounds"));
  EXPECT_EQ(PackSoundFile(vx, "MyPack", "hi"), fs::path("/opt/vx/Packs/MyPack/Sounds/hi.wav"));

  testing::TempDir dir;
  EXPECT_TRUE(PrepareWritableDir(dir.path / "Packs" / "P" / "Sounds"));
  EXPECT_TRUE(fs::is_directory(dir.path / "Packs" / "P" / "Sounds"));
  // Files where the folders go: no one, root included, can write there.
  dir.Write("file", "x");
  EXPECT_FALSE(PrepareWritableDir(dir.path / "file" / "Sounds"));
  dir.Write("Packs/Q/Sounds", "a file in place of the folder");
  EXPECT_FALSE(PrepareWritableDir(dir.path / "Packs" / "Q" / "Sounds"));
  EXPECT_EQ(ReadFileBytes(dir.path / "Packs" / "Q" / "Sounds"), "a file in place of the folder");

  // A folder the user may not write: root may write anywhere, so the check
  // runs as nobody.
  fs::permissions(dir.path, fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write);
  fs::permissions(dir.path / "Packs" / "P" / "Sounds",
                  fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(PrepareWritableDir(dir.path / "Packs" / "P" / "Sounds") ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  fs::permissions(dir.path / "Packs" / "P" / "Sounds", fs::perms::owner_all);
}

// What a compile installs: the .wav files, sorted, and nothing hidden (our
// own half-written files among them). The compile records and takes back
// each copy, so this only lists them.
TEST(PackSoundsTest, TheCompileInstallsThePacksWavFilesAndNothingHidden) {
  testing::TempDir dir;
  const fs::path pack = dir.path / "Packs" / "P" / "Sounds";
  std::string problem;
  EXPECT_EQ(PackSoundsToInstall(pack, problem), std::vector<fs::path>());  // stock sounds only

  for (const char* name :
       {"hello.wav", "Bye.WAV", ".hidden.wav", ".hello.wav.tmp123", "notes.txt", "take.mp3"}) {
    dir.Write(fs::path("Packs/P/Sounds") / name, "x");
  }
  fs::create_directories(pack / "folder.wav");
  EXPECT_EQ(PackSoundsToInstall(pack, problem),
            (std::vector<fs::path>{pack / "Bye.WAV", pack / "hello.wav"}));

  dir.Write("Packs/R/Sounds", "a file in place of the folder");
  EXPECT_FALSE(PackSoundsToInstall(dir.path / "Packs" / "R" / "Sounds", problem));
  EXPECT_NE(problem.find(PathText(dir.path / "Packs" / "R" / "Sounds")), std::string::npos)
      << problem;
}

}  // namespace
}  // namespace voxmire
