#include <gtest/gtest.h>

#include "core/Files.h"
#include "output/Release.h"
#include "support/UmodReader.h"
#include "support/ZipReader.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;
using Members = std::vector<std::pair<std::string, std::string>>;

class ReleaseTest : public ::testing::Test {
 protected:
  static fs::path FreshRoot() {
    const fs::path root =
        fs::path(::testing::TempDir()) /
        ("release-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root);
    return root;
  }

  void SetUp() override {
    Put(package_, package);
    Put(int_, intText);
    Put(readme_, readme);
    state_.VoicePackName = "MyPack";
    state_.AuthorName = "Zo\xEB Doe";
    state_.AuthorURL = "mailto:zoe@example.org";
    state_.ProductURL = "http://example.org/mypack";
    state_.ReadmeLocation = PathText(readme_);
  }

  static void Put(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(WriteFileAtomic(file, bytes));
  }
  ReleaseOutcome Write() {
    return WriteReleaseFiles(state_, Places::InOneFolder(program_), package_, int_);
  }
  std::string Read(const fs::path& file) { return ReadFileBytes(file).value_or("<missing>"); }
  test::UmodReading Umod() { return test::ReadUmod(Read(umod_)); }
  std::vector<std::string> UmodNames() {
    std::vector<std::string> names;
    for (const auto& file : Umod().files) names.push_back(file.name);
    return names;
  }

  const std::string package = std::string("\xC1\x83\x2A\x9E\0\0\x01", 7) + std::string(5000, 'u');
  const std::string intText = "[Public]\r\nObject=(Name=MyPack.MyPack,Class=Class)\r\n";
  const std::string readme = "Read me first.\r\n";
  fs::path root_ = FreshRoot(), program_ = root_ / "prog", release_ = program_ / "Release";
  fs::path package_ = root_ / "home/.utpg/System/MyPack.u", int_ = root_ / "game/System/MyPack.int";
  fs::path readme_ = root_ / "docs" / FsPath("Lisez-moi \xE9t\xE9.txt");
  fs::path zip_ = release_ / "MyPack.zip", umod_ = release_ / "MyPack.umod";
  ProjectState state_;
};

TEST_F(ReleaseTest, ZipIsLaidOutLikeTheGameFolderAndReplacesTheEarlierOne) {
  const ReleaseOutcome first = Write();
  EXPECT_EQ(first.error, "");
  EXPECT_EQ(first.lines, std::vector<std::string>{PathText(zip_) +
                                                  "  -  To share: unzips into the game folder"});
  const test::ZipReading reading = test::ReadZip(zip_);
  EXPECT_EQ(reading.problem, "");
  EXPECT_EQ(reading.members, (Members{{"System/MyPack.u", package},
                                      {"System/MyPack.int", intText},
                                      {"Help/Lisez-moi \xC3\xA9t\xC3\xA9.txt", readme}}));
  EXPECT_FALSE(fs::exists(umod_));

  Put(package_, "rebuilt");
  EXPECT_EQ(Write().error, "");
  ASSERT_EQ(test::ReadZip(zip_).members.at(0),
            (std::pair<std::string, std::string>{"System/MyPack.u", "rebuilt"}));
  // Nothing but the archive is left behind in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(release_), fs::directory_iterator()), 1);
}

TEST_F(ReleaseTest, UmodHoldsTheManifestsThenEveryFileWithSizesThatMatch) {
  state_.GenerateUmod = true;
  const ReleaseOutcome outcome = Write();
  EXPECT_EQ(outcome.error, "");
  ASSERT_EQ(outcome.lines.size(), 2u);
  EXPECT_EQ(outcome.lines[1], PathText(umod_) + "  -  To share: the game's installer");

  const test::UmodReading reading = Umod();
  ASSERT_EQ(reading.problem, "");
  const std::string readmeName = "Help\\Lisez-moi \xE9t\xE9.txt";
  ASSERT_EQ(UmodNames(),
            (std::vector<std::string>{"System\\Manifest.ini", "System\\Manifest.int",
                                      "System\\MyPack.u", "System\\MyPack.int", readmeName}));
  const auto& files = reading.files;
  const std::string payloads[] = {package, intText, readme};
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(files[i].flags, i < 2 ? 3u : 0u) << files[i].name;
    if (i >= 2) {
      EXPECT_EQ(files[i].bytes, payloads[i - 2]) << files[i].name;
    }
  }

  // The setup group's sizes are those of the files as stored.
  const std::string& ini = files[0].bytes;
  for (const auto& file : files) {
    const std::string size = ",Size=" + std::to_string(file.size);
    const std::string entry =
        file.flags == 3 ? "Copy=(Src=" + file.name + ",Master=" + file.name + size + ",Flags=3)\r\n"
                        : "File=(Src=" + file.name + size + ")\r\n";
    EXPECT_NE(ini.find(entry), std::string::npos) << entry;
  }
  const std::string& intManifest = files[1].bytes;
  for (const std::string& line :
       {"\r\nReadMe=" + readmeName + "\r\n", std::string("\r\nDeveloper=Zo\xEB Doe\r\n"),
        std::string("\r\nDeveloperURL=mailto:zoe@example.org\r\n"),
        std::string("\r\nProductURL=http://example.org/mypack\r\n")}) {
    EXPECT_NE(intManifest.find(line), std::string::npos) << line;
  }
}

TEST_F(ReleaseTest, AReadmeThatCantBeReadIsLeftOutAndReported) {
  state_.GenerateUmod = true;
  for (const fs::path& location : {root_ / "docs" / "gone.txt", root_ / "docs"}) {
    SCOPED_TRACE(location);
    state_.ReadmeLocation = PathText(location);
    const ReleaseOutcome outcome = Write();
    EXPECT_EQ(outcome.error, "");
    ASSERT_EQ(outcome.lines.size(), 3u);
    EXPECT_EQ(outcome.lines[0], "The readme file " + PathText(location) +
                                    " could not be read; the release files were made without it.");
    EXPECT_EQ(test::ReadZip(zip_).members.size(), 2u);
    EXPECT_EQ(UmodNames().size(), 4u);
    EXPECT_EQ(Umod().files.at(1).bytes.find("ReadMe="), std::string::npos);
  }
}

TEST_F(ReleaseTest, RefusalsNameTheCauseAndKeepEarlierFiles) {
  state_.GenerateUmod = true;
  ASSERT_EQ(Write().error, "");
  const std::string earlierZip = Read(zip_), earlierUmod = Read(umod_);
  Put(package_, "new build");

  struct Case {
    const char* what;
    std::function<void(ProjectState&)> change;
    std::string error;
    bool zipWritten;
  } cases[] = {
      {"line break in a manifest value", [](ProjectState& s) { s.AuthorURL = "x\r\nVersion=0"; },
       "MyPack.umod was not made: the author URL holds character 0x0D, which the game's "
       "installer can't take.",
       true},
      {"readme name that ends an entry",
       [this](ProjectState& s) {
         Put(root_ / "docs/a,b.txt", "x");
         s.ReadmeLocation = PathText(root_ / "docs/a,b.txt");
       },
       "MyPack.umod was not made: the readme's file name holds \",\"; rename the file without it.",
       true},
      // An extractor that reads "\\" as a separator would write above Help/:
      // neither archive takes the name.
      {"readme name that climbs out of Help",
       [this](ProjectState& s) {
         Put(root_ / "docs" / "..\\..\\evil.txt", "x");
         s.ReadmeLocation = PathText(root_ / "docs" / "..\\..\\evil.txt");
       },
       "MyPack.zip was not made: the readme's file name holds \"\\\"; rename the file without "
       "it.\rMyPack.umod was not made: the readme's file name holds \"\\\"; rename the file "
       "without it.",
       false},
      {"pack name that is no file name", [](ProjectState& s) { s.VoicePackName = "../MyPack"; },
       "No release files were made: \"../MyPack\" can't name a file.", false},
      {"no compiled package", [this](ProjectState&) { fs::remove(package_); },
       "Could not read " + PathText(package_) + "; no release files were made.", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProjectState state = state_;
    c.change(state);
    const ReleaseOutcome outcome =
        WriteReleaseFiles(state, Places::InOneFolder(program_), package_, int_);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(Read(umod_), earlierUmod);
    EXPECT_EQ(Read(zip_) != earlierZip, c.zipWritten);
    ASSERT_TRUE(WriteFileAtomic(zip_, earlierZip));
  }
}

TEST_F(ReleaseTest, AReleasePathThatIsNoFolderIsNamedAndNothingIsWritten) {
  Put(release_, "a file in the way");
  const ReleaseOutcome outcome = Write();
  EXPECT_TRUE(outcome.error.starts_with("The folder " + PathText(release_) + " could not be made"))
      << outcome.error;
  EXPECT_TRUE(outcome.lines.empty());
  EXPECT_EQ(Read(release_), "a file in the way");
}

TEST_F(ReleaseTest, AnUmodLeftFromAnEarlierCompileIsKeptAndPointedOut) {
  Put(umod_, "earlier");
  const ReleaseOutcome outcome = Write();
  ASSERT_EQ(outcome.lines.size(), 2u);
  EXPECT_EQ(outcome.lines[1],
            PathText(umod_) + " is left from an earlier compile: it doesn't hold this build");
  EXPECT_EQ(Read(umod_), "earlier");
}

TEST(CompiledFilesFromReport, FindsThePackageAndIntFileTheReportNames) {
  const std::string report =
      "The following has been created: \r"
      "/games/Unreal Tournament/System/My\xE9Pack.int  -  Your int file\r"
      "/home/p/.utpg/System/My\xE9Pack.u  -  The Script file\r"
      "/games/Unreal Tournament/My\xE9Pack/Classes/My\xE9Pack.uc  -  The unreal class file. Safe "
      "to delete\r"
      "Thanks for using Harkline.";
  const auto files = CompiledFilesFromReport(report);
  ASSERT_TRUE(files);
  EXPECT_EQ(files->package, FsPath("/home/p/.utpg/System/My\xE9Pack.u"));
  EXPECT_EQ(files->intFile, FsPath("/games/Unreal Tournament/System/My\xE9Pack.int"));

  EXPECT_FALSE(CompiledFilesFromReport("The compile of MyPack failed.\rThe Script file"));
  ProjectState state;
  state.VoicePackName = "MyPack";
  EXPECT_NE(
      WriteReleaseAfterCompile(state, Places::InOneFolder(::testing::TempDir()), "failed").error,
      "");
}

}  // namespace
}  // namespace voxmire
