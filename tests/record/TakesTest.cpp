#include <gtest/gtest.h>

#include "core/Files.h"
#include "project/ProjectFile.h"
#include "record/TakeSamples.h"
#include "record/Takes.h"
#include "sounds/AudioSamples.h"
#include "sounds/PackSounds.h"
#include "sounds/SoundList.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) { return ReadFileBytes(path).value_or(std::string()); }

class TakesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.VoicePackName = "MyPack";
    state_.Tables.Acks.CreateRows(2);
    state_.Tables.Acks.SetCell(1, PhraseCell::String, "Got it");
    state_.Tables.Orders[2].String = "Attack";
    lines_ = RecordLines(state_.Tables);
    // Half a second of silence around a second of tone: what a take holds.
    testing::AppendSilence(take_, 0.5);
    testing::AppendTone(take_, 1.0, -12.0);
    testing::AppendSilence(take_, 0.5);
  }
  const RecordLine& Ack() const { return lines_[0]; }
  const RecordLine& Attack() const { return lines_[4]; }
  fs::path Takes() const { return PackTakesDir(places_, "MyPack"); }
  fs::path Sound(const std::string& name) const { return PackSoundFile(places_, "MyPack", name); }

  testing::TempDir dir_;
  Places places_ = Places::InOneFolder(dir_.path);
  ProjectState state_;
  std::vector<RecordLine> lines_;
  std::vector<std::int16_t> take_;
};

TEST_F(TakesTest, ATakeIsKeptAsRecordedAndMakesTheRowsSoundTrimmedForTheGame) {
  const TakeResult result = KeepTake(state_, places_, Ack(), take_, false);
  ASSERT_TRUE(result.Ok) << result.Problem;
  EXPECT_EQ(result.Take, "ack_0_got_it_take1.wav");
  EXPECT_EQ(result.Sound, "ack_0_got_it");

  // The take: every sample as it came, at 48 kHz.
  const auto original = testing::ReadAudio(Takes() / result.Take);
  ASSERT_TRUE(original);
  EXPECT_EQ(original->info.samplerate, 48000);
  EXPECT_EQ(original->info.channels, 1);
  EXPECT_EQ(original->info.frames, static_cast<sf_count_t>(take_.size()));
  EXPECT_NEAR(original->first[24000 + 27], take_[24000 + 27] / 32768.0, 1e-6);

  // The pack's sound: the tone with 20 ms either side, for the game.
  const auto sound = testing::ReadAudio(Sound("ack_0_got_it"));
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->info.samplerate, 22050);
  EXPECT_EQ(sound->info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_NEAR(static_cast<double>(sound->info.frames) / 22050, 1.04, 0.005);

  EXPECT_EQ(state_.Tables.Acks.Cell(1, PhraseCell::Sound), "Sound'MyPack.MyPack.ack_0_got_it'");
  EXPECT_EQ(state_.Sounds, (std::vector<std::string>{"ack_0_got_it"}));
  EXPECT_EQ(state_.ConvertedSounds, (std::vector<std::string>{"ack_0_got_it"}));
  EXPECT_EQ(ReadTextLines(SoundListPath(places_)), state_.Sounds);
  ASSERT_EQ(state_.Takes.size(), 1u);
  EXPECT_EQ(
      state_.Takes[0],
      (LineTakes{"ack 0", {"ack_0_got_it_take1.wav"}, "ack_0_got_it_take1.wav", "ack_0_got_it"}));

  // The takes and the sound come back with the project.
  const ProjectRead read = ReadProjectText(ProjectFileText(state_));
  ASSERT_TRUE(read.state) << read.problem;
  EXPECT_EQ(read.state->Takes, state_.Takes);
}

TEST_F(TakesTest, ARetakeKeepsTheFirstAndPickingTheFirstAgainRemakesTheSound) {
  ASSERT_TRUE(KeepTake(state_, places_, Attack(), take_, false).Ok);
  const std::string firstSound = Bytes(Sound("order_2_attack"));

  std::vector<std::int16_t> shorter;
  testing::AppendTone(shorter, 0.4, -20.0);
  const TakeResult again = KeepTake(state_, places_, Attack(), shorter, true);
  ASSERT_TRUE(again.Ok) << again.Problem;
  EXPECT_EQ(again.Take, "order_2_attack_take2.wav");
  EXPECT_EQ(again.Sound, "order_2_attack");  // the same sound, made anew
  EXPECT_TRUE(fs::exists(Takes() / "order_2_attack_take1.wav"));
  EXPECT_NE(Bytes(Sound("order_2_attack")), firstSound);
  EXPECT_EQ(state_.Sounds.size(), 1u);
  EXPECT_EQ(state_.Tables.Orders[2].Sound, "Sound'MyPack.MyPack.order_2_attack'");
  const LineTakes* takes = FindTakes(state_, "order 2");
  ASSERT_NE(takes, nullptr);
  EXPECT_EQ(takes->Files.size(), 2u);
  EXPECT_EQ(takes->Used, "order_2_attack_take2.wav");

  const TakeResult back = UseTake(state_, places_, Attack(), "order_2_attack_take1.wav", false);
  ASSERT_TRUE(back.Ok) << back.Problem;
  EXPECT_EQ(Bytes(Sound("order_2_attack")), firstSound);
  EXPECT_EQ(FindTakes(state_, "order 2")->Used, "order_2_attack_take1.wav");

  // Deleting the take in use: its file goes, the pack's sound and the row
  // stay, and the next take is numbered on.
  std::string problem;
  ASSERT_TRUE(DeleteTake(state_, places_, "order 2", "order_2_attack_take1.wav", problem));
  EXPECT_FALSE(fs::exists(Takes() / "order_2_attack_take1.wav"));
  EXPECT_EQ(FindTakes(state_, "order 2")->Used, "");
  EXPECT_EQ(Bytes(Sound("order_2_attack")), firstSound);
  EXPECT_EQ(state_.Tables.Orders[2].Sound, "Sound'MyPack.MyPack.order_2_attack'");
  EXPECT_EQ(KeepTake(state_, places_, Attack(), take_, false).Take, "order_2_attack_take3.wav");
}

TEST_F(TakesTest, NamesNeverTakeAnotherSoundOrFileAndTakesStayInTheirFolder) {
  // The sound page brought a recording of the same name (in another case).
  state_.Sounds = {"ACK_0_GOT_IT", "ack_0_got_it_2"};
  // A take file of that name lies there already, from an earlier pack of
  // the same name.
  fs::create_directories(Takes());
  ASSERT_TRUE(testing::WriteSine(Takes() / "ack_0_got_it_take1.wav",
                                 SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, 0.1, 440));
  const std::string before = Bytes(Takes() / "ack_0_got_it_take1.wav");

  const TakeResult result = KeepTake(state_, places_, Ack(), take_, false);
  ASSERT_TRUE(result.Ok) << result.Problem;
  EXPECT_EQ(result.Sound, "ack_0_got_it_3");
  EXPECT_EQ(result.Take, "ack_0_got_it_take2.wav");
  EXPECT_EQ(Bytes(Takes() / "ack_0_got_it_take1.wav"), before);
  EXPECT_EQ(state_.Sounds,
            (std::vector<std::string>{"ACK_0_GOT_IT", "ack_0_got_it_2", "ack_0_got_it_3"}));

  // A project file edited by hand can't make the program touch other files.
  const fs::path outside = dir_.Write("precious.wav", "keep me");
  state_.Takes[0].Files.push_back("../../precious.wav");
  EXPECT_FALSE(TakeFile(places_, state_, "../../precious.wav"));
  EXPECT_FALSE(TakeFile(places_, state_, ".."));
  EXPECT_FALSE(UseTake(state_, places_, Ack(), "../../precious.wav", false).Ok);
  std::string problem;
  EXPECT_TRUE(DeleteTake(state_, places_, "ack 0", "../../precious.wav", problem));
  EXPECT_EQ(Bytes(outside), "keep me");
  EXPECT_EQ(state_.Takes[0].Files, (std::vector<std::string>{"ack_0_got_it_take2.wav"}));
}

TEST_F(TakesTest, ATakeThatCantBeWrittenChangesNothing) {
  // Where the Takes folder should be, a file is in the way.
  fs::create_directories(Takes().parent_path());
  dir_.Write(fs::relative(Takes(), dir_.path), "in the way");
  const ProjectState before = state_;
  const TakeResult result = KeepTake(state_, places_, Ack(), take_, false);
  EXPECT_FALSE(result.Ok);
  EXPECT_NE(result.Problem.find("Takes"), std::string::npos) << result.Problem;
  EXPECT_EQ(state_, before);
  EXPECT_FALSE(fs::exists(SoundListPath(places_)));
}

}  // namespace
}  // namespace voxmire
