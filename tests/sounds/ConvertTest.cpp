// Recordings of every kind the sound page offers, made afresh, converted,
// and read back with libsndfile.
#include <ebur128.h>
#include <gtest/gtest.h>

#include <atomic>

#include "core/Files.h"
#include "sounds/AudioSamples.h"
#include "sounds/Convert.h"
#include "sounds/TempDir.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;
using testing::Quoted;
using testing::ReadAudio;
using testing::Sox;

class ConvertTest : public ::testing::Test {
 protected:
  // A one-second 440 Hz sine in the given sox output options.
  fs::path SoxSine(const std::string& name, const std::string& options, double seconds = 1.0) {
    const fs::path path = dir.path / name;
    EXPECT_TRUE(Sox("-n " + options + " " + Quoted(path) + " synth " + std::to_string(seconds) +
                    " sine 440 vol 0.5"))
        << name;
    return path;
  }
  fs::path Target(const std::string& name) { return dir.path / "pack" / (name + ".wav"); }

  void SetUp() override { fs::create_directories(dir.path / "pack"); }

  testing::TempDir dir;
};

void ExpectGameSound(const fs::path& path, double seconds) {
  const auto audio = ReadAudio(path);
  ASSERT_TRUE(audio.has_value()) << path;
  EXPECT_EQ(audio->info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(audio->info.channels, 1);
  EXPECT_EQ(audio->info.samplerate, 22050);
  EXPECT_NEAR(static_cast<double>(audio->info.frames), seconds * 22050, 1.0);
}

TEST_F(ConvertTest, EveryKindOfRecordingBecomesMono16BitAt22050HzOfTheSameLengthAndPitch) {
  struct Case {
    const char* name;
    std::string options;  // for sox; empty: an MP3 written by libsndfile
  };
  const Case cases[] = {
      {"wide.wav", "-r 48000 -c 2 -b 24"},  {"float.wav", "-r 44100 -c 1 -e floating-point"},
      {"cd.wav", "-r 44100 -c 2 -b 16"},    {"ulaw.wav", "-r 8000 -c 1 -e u-law"},
      {"odd.wav", "-r 32000 -c 1 -b 16"},   {"deep.wav", "-r 22050 -c 1 -b 32"},
      {"song.flac", "-r 48000 -c 2 -b 24"}, {"talk.ogg", "-r 44100 -c 2"},
      {"talk.oga", "-r 22050 -c 1 -t ogg"}, {"take.aiff", "-r 44100 -c 2 -b 16"},
      {"take.aif", "-r 48000 -c 1 -b 24"},  {"phone.mp3", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path source = dir.path / c.name;
    if (c.options.empty()) {
      ASSERT_TRUE(testing::WriteMp3(source, 44100, 2, 1.0, 440));
    } else {
      source = SoxSine(c.name, c.options);
    }
    const auto before = ReadFileBytes(source);
    const fs::path target = Target(c.name);
    const PrepareResult result = PrepareSound(source, target, {});
    ASSERT_EQ(result.outcome, PrepareOutcome::Converted) << result.reason;
    ExpectGameSound(target, 1.0);
    EXPECT_NEAR(testing::ZeroCrossings(ReadAudio(target)->first), 880, 4);
    EXPECT_EQ(ReadFileBytes(source), before);
  }
}

TEST_F(ConvertTest, WhatTheGameImportsIsCopiedByteForByteUnlessAskedToProcessIt) {
  const fs::path spoken = dir.path / "spoken.wav";
  ASSERT_TRUE(testing::Speak(spoken, "hello there"));
  const fs::path small = SoxSine("small.wav", "-r 11025 -c 1 -b 8");
  for (const fs::path& source : {spoken, small}) {
    SCOPED_TRACE(source.filename());
    const fs::path target = Target(source.stem());
    EXPECT_EQ(PrepareSound(source, target, {}).outcome, PrepareOutcome::Copied);
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(source));
    for (const ConvertOptions options :
         {ConvertOptions{true, false}, ConvertOptions{false, true}}) {
      EXPECT_EQ(PrepareSound(source, target, options).outcome, PrepareOutcome::Converted);
      ExpectGameSound(target, static_cast<double>(ReadAudio(target)->info.frames) / 22050);
    }
  }
}

double Loudness(const std::vector<float>& samples, double* truePeak) {
  ebur128_state* st = ebur128_init(1, 22050, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
  ebur128_add_frames_float(st, samples.data(), samples.size());
  double loudness = 0;
  ebur128_loudness_global(st, &loudness);
  ebur128_true_peak(st, 0, truePeak);
  ebur128_destroy(&st);
  return loudness;
}

TEST_F(ConvertTest, EvenLoudnessMeetsTheTargetWithoutPassingTheCeiling) {
  const fs::path speech = dir.path / "speech.wav";
  ASSERT_TRUE(testing::Speak(speech, "the quick brown fox jumps over the lazy dog"));
  const fs::path quietSpeech = dir.path / "quiet.flac";
  ASSERT_TRUE(Sox(Quoted(speech) + " -r 48000 -b 24 " + Quoted(quietSpeech) + " vol 0.05"));
  // Speech peaks high above its loudness: only a limiter gets it to the
  // target under the ceiling.
  const fs::path loudTone = SoxSine("tone.wav", "-r 44100 -c 2 -b 16", 2.0);
  for (const fs::path& source : {speech, quietSpeech, loudTone}) {
    SCOPED_TRACE(source.filename());
    const fs::path target = Target(source.stem());
    ASSERT_EQ(PrepareSound(source, target, {true, false}).outcome, PrepareOutcome::Converted);
    double peak = 0;
    EXPECT_NEAR(Loudness(ReadAudio(target)->first, &peak), -16.0, 0.5);
    EXPECT_LE(20 * std::log10(peak), -1.0 + 0.05);
  }
}

TEST_F(ConvertTest, TrimCutsSilenceAtBothEndsKeeping20Milliseconds) {
  const fs::path padded = dir.path / "padded.wav";
  ASSERT_TRUE(
      Sox("-n -r 48000 -c 2 -b 16 " + Quoted(padded) + " synth 0.5 sine 440 vol 0.5 pad 1 1.5"));
  ASSERT_EQ(PrepareSound(padded, Target("padded"), {false, true}).outcome,
            PrepareOutcome::Converted);
  // The tone's first and last samples sit at zero: up to a sample of the
  // tone itself may count as silence at either end.
  const auto frames = static_cast<double>(ReadAudio(Target("padded"))->info.frames);
  EXPECT_NEAR(frames, (0.5 + 2 * 0.020) * 22050, 4.0);

  // Nothing but silence is kept whole rather than cut to nothing.
  const fs::path silent = dir.path / "silent.wav";
  ASSERT_TRUE(Sox("-n -r 22050 -c 1 -b 16 " + Quoted(silent) + " trim 0 0.5"));
  ASSERT_EQ(PrepareSound(silent, Target("silent"), {false, true}).outcome,
            PrepareOutcome::Converted);
  ExpectGameSound(Target("silent"), 0.5);
}

TEST_F(ConvertTest, UnusableFilesAreRefusedWithTheirReasonAndNothingIsWritten) {
  const fs::path wav = SoxSine("whole.wav", "-r 48000 -c 2 -b 24");
  const fs::path flac = SoxSine("whole.flac", "-r 44100 -c 1");
  const fs::path mp3 = dir.path / "whole.mp3";
  ASSERT_TRUE(testing::WriteMp3(mp3, 44100, 1, 1.0, 440));
  const fs::path importable = dir.path / "ok.wav";
  ASSERT_TRUE(testing::Speak(importable, "hi"));
  const auto cut = [&](const fs::path& from, const std::string& name) {
    const std::string bytes = *ReadFileBytes(from);
    return dir.Write(name, bytes.substr(0, bytes.size() / 2));
  };
  const fs::path empty = dir.path / "empty.wav";
  ASSERT_TRUE(Sox("-n -r 22050 -c 1 -b 16 " + Quoted(empty) + " trim 0 0"));
  const fs::path emptyWide = dir.path / "emptywide.wav";
  ASSERT_TRUE(Sox("-n -r 48000 -c 2 -b 24 " + Quoted(emptyWide) + " trim 0 0"));

  const fs::path crawl = dir.path / "crawl.aiff";  // a header saying 1 Hz
  ASSERT_TRUE(Sox("-n -r 1 -c 2 " + Quoted(crawl) + " synth 500 sine 0.1"));

  const std::pair<fs::path, const char*> cases[] = {
      {dir.Write("notes.wav", "notes, not sound\n"), "not a sound file"},
      {crawl, "1 Hz, a rate no recording uses"},
      {dir.Write("nothing.mp3", ""), "not a sound file"},
      {dir.path / "missing.flac", "can't be read"},
      {cut(wav, "cut.wav"), "cut short"},
      {cut(importable, "cutok.wav"), "cut short"},
      {cut(flac, "cut.flac"), "cut short"},
      {cut(mp3, "cut.mp3"), "cut short"},
      {empty, "zero frames"},
      {emptyWide, "zero frames"},
  };
  for (const auto& [source, reason] : cases) {
    SCOPED_TRACE(source.filename());
    for (const ConvertOptions options : {ConvertOptions{}, ConvertOptions{true, true}}) {
      const PrepareResult result = PrepareSound(source, Target("out"), options);
      EXPECT_EQ(result.outcome, PrepareOutcome::Refused);
      EXPECT_NE(result.reason.find(reason), std::string::npos) << result.reason;
      EXPECT_FALSE(fs::exists(Target("out")));
    }
  }
}

TEST_F(ConvertTest, AFolderThatCantBeWrittenIsNamedAndKeepsNoTemporaryFile) {
  const fs::path wide = SoxSine("wide.wav", "-r 48000 -c 2 -b 24");
  const fs::path spoken = dir.path / "spoken.wav";
  ASSERT_TRUE(testing::Speak(spoken, "hi"));
  const fs::path blocked = dir.Write("pack/blocked", "a file where the folder should be");
  for (const fs::path& from : {wide, spoken}) {
    const PrepareResult result = PrepareSound(from, blocked / "x.wav", {});
    EXPECT_EQ(result.outcome, PrepareOutcome::WriteFailed);
    EXPECT_NE(result.reason.find(PathText(blocked)), std::string::npos) << result.reason;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "pack"), fs::directory_iterator()), 1);
}

TEST_F(ConvertTest, BatchesKeepTheJobsOrderAndCancelledJobsNeverStart) {
  std::vector<SoundJob> jobs;
  for (int i = 0; i < 6; ++i) {
    const std::string name = "take" + std::to_string(i);
    jobs.push_back({i == 3 ? dir.Write("bad.wav", "junk") : SoxSine(name + ".flac", "-r 48000"),
                    Target(name)});
  }
  std::atomic<bool> cancel{true};
  std::atomic<std::size_t> done{0};
  for (const PrepareResult& r : PrepareSounds(jobs, {}, 2, cancel, &done)) {
    EXPECT_EQ(r.outcome, PrepareOutcome::Cancelled);
  }
  EXPECT_EQ(done, 0u);
  EXPECT_TRUE(fs::is_empty(dir.path / "pack"));

  cancel = false;
  const std::vector<PrepareResult> results = PrepareSounds(jobs, {}, 2, cancel, &done);
  ASSERT_EQ(results.size(), jobs.size());
  EXPECT_EQ(done, jobs.size());
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_EQ(results[i].outcome, i == 3 ? PrepareOutcome::Refused : PrepareOutcome::Converted);
    EXPECT_EQ(fs::exists(jobs[i].target), i != 3);
  }
}

}  // namespace
}  // namespace voxmire
