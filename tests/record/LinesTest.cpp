#include <gtest/gtest.h>

#include "record/Lines.h"
#include "record/TakeRecorder.h"
#include "record/TakeSamples.h"

namespace voxmire {
namespace {

WorkAreaTables SomeTables() {
  WorkAreaTables t;
  t.Acks.CreateRows(2);
  t.Acks.SetCell(1, PhraseCell::String, "Got it!");
  t.Acks.SetCell(2, PhraseCell::String, "Roger that");
  t.Acks.SetCell(2, PhraseCell::Sound, "Sound'Male1Voice.(All).M1roger'");
  t.Taunts.CreateRows(1);
  t.Taunts.SetCell(1, PhraseCell::String, "Na\xEFve   f\xFCr  dich...");
  t.Others.CreateRows(1);  // no text yet
  t.Orders[2].String = "Attack";
  t.Names[1] = "Sound'P.P.blue'";
  return t;
}

TEST(RecordLines, EveryRowOrderAndLeaderInTabOrderWithItsPromptAndName) {
  const std::vector<RecordLine> lines = RecordLines(SomeTables());
  ASSERT_EQ(lines.size(), 2u + 1 + 7 + 1 + 4);
  std::vector<std::string> keys, names, prompts;
  for (const RecordLine& line : lines) {
    keys.push_back(line.Key);
    names.push_back(line.SoundName);
    prompts.push_back(line.Prompt);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"ack 0", "ack 1", "taunt 0", "order 0", "order 1",
                                            "order 2", "order 3", "order 4", "order 10", "order 11",
                                            "other 0", "name 0", "name 1", "name 2", "name 3"}));
  EXPECT_EQ(names[0], "ack_0_got_it");
  EXPECT_EQ(names[1], "ack_1_roger_that");
  EXPECT_EQ(names[2], "taunt_0_naive_fur_dich");  // accents go, runs of blanks become one '_'
  EXPECT_EQ(names[5], "order_2_attack");
  EXPECT_EQ(names[8], "order_10");  // no text yet: the place alone
  EXPECT_EQ(names[10], "other_0");
  EXPECT_EQ(names[11], "name_red_leader");
  EXPECT_EQ(prompts[11], "Red Leader");
  EXPECT_EQ(prompts[2], "Na\xEFve   f\xFCr  dich...");

  EXPECT_FALSE(lines[0].HasSound);
  EXPECT_TRUE(lines[1].HasSound);
  EXPECT_TRUE(lines[12].HasSound);
  EXPECT_EQ(LinePlace(lines[1]), "Acknowledgements, row 2");
  EXPECT_EQ(LinePlace(lines[8]), "Orders: Take Their Flag");
  EXPECT_EQ(LinePlace(lines[14]), "Names: Gold Leader");

  // However long the text, the name stays one the game can hold.
  EXPECT_EQ(LineSoundName(WorkAreaTab::Others, 12, std::string(200, 'W')).size(), 63u);
  EXPECT_EQ(LineSoundName(WorkAreaTab::FriendlyFire, 3, "Hey!! Watch it."), "ff_3_hey_watch_it");
}

TEST(RecordLines, TheSoundCellOfEachKindOfLineAndOneDeletedMeanwhile) {
  WorkAreaTables t = SomeTables();
  const std::vector<RecordLine> lines = RecordLines(t);
  EXPECT_TRUE(SetLineSound(t, lines[1], "Sound'P.P.ack_1_roger_that'"));
  EXPECT_TRUE(SetLineSound(t, lines[8], "Sound'P.P.order_10'"));
  EXPECT_TRUE(SetLineSound(t, lines[13], "Sound'P.P.name_green_leader'"));
  EXPECT_EQ(t.Acks.Cell(2, PhraseCell::Sound), "Sound'P.P.ack_1_roger_that'");
  EXPECT_EQ(t.Orders[5].Sound, "Sound'P.P.order_10'");
  EXPECT_EQ(t.Names[2], "Sound'P.P.name_green_leader'");
  EXPECT_EQ(LineSound(t, lines[8]), "Sound'P.P.order_10'");
  EXPECT_EQ(LineSound(t, lines[13]), "Sound'P.P.name_green_leader'");

  // The row went while the window was open: nothing is written elsewhere.
  t.Acks.RemoveLastRow();
  EXPECT_FALSE(SetLineSound(t, lines[1], "Sound'P.P.x'"));
  EXPECT_EQ(LineSound(t, lines[1]), "");
  EXPECT_EQ(t.Acks.Cell(1, PhraseCell::Sound), "");
}

TEST(LevelMeter, PeakRmsClipMarkAndFall) {
  const auto meterOf = [](double db) {
    std::vector<std::int16_t> block;
    testing::AppendTone(block, 0.05, db);
    LevelMeter meter;
    meter.Add(block, 1.0);
    return meter;
  };
  const LevelReading quiet = meterOf(-20.0).Reading(1.0);
  EXPECT_NEAR(quiet.PeakDb, -20.0, 0.1);
  EXPECT_NEAR(quiet.RmsDb, -23.0, 0.1);  // a sine's RMS lies 3 dB below its peak
  EXPECT_FALSE(quiet.Clipped);
  EXPECT_FALSE(meterOf(-1.5).Reading(1.0).Clipped);
  EXPECT_TRUE(meterOf(-0.9).Reading(1.0).Clipped);

  LevelMeter meter = meterOf(-6.0);
  std::vector<std::int16_t> silence;
  testing::AppendSilence(silence, 0.05);
  meter.Add(silence, 1.5);
  const LevelReading later = meter.Reading(1.5);
  EXPECT_NEAR(later.PeakDb, -6.0 - 0.5 * LevelMeter::kFallDbPerSecond, 0.2);
  EXPECT_EQ(later.RmsDb, LevelMeter::kFloorDb);
  EXPECT_EQ(meter.Reading(60.0).PeakDb, LevelMeter::kFloorDb);
  // A louder block takes the peak back up at once.
  std::vector<std::int16_t> loud;
  testing::AppendTone(loud, 0.05, -3.0);
  meter.Add(loud, 1.6);
  EXPECT_NEAR(meter.Reading(1.6).PeakDb, -3.0, 0.1);

  // Clipping marks the take until the meter starts afresh.
  LevelMeter clipped = meterOf(0.0);
  clipped.Add(silence, 5.0);
  EXPECT_TRUE(clipped.Reading(5.0).Clipped);
  clipped.Reset();
  EXPECT_FALSE(clipped.Reading(5.0).Clipped);
}

TEST(TakeRecorder, KeepsWhatCameHoweverTheTakeEnds) {
  std::vector<std::int16_t> block;
  testing::AppendTone(block, 0.05, -12.0);
  const auto recorded = [&](std::uintmax_t free, int blocks, auto end) {
    TakeRecorder r;
    r.Start(free);
    for (int i = 0; i < blocks && r.Add(block, i * 0.05); ++i) {
    }
    end(r);
    return r;
  };
  const std::uintmax_t plenty = 1ull << 40;

  TakeRecorder stopped = recorded(plenty, 10, [](TakeRecorder& r) { r.Stop(); });
  EXPECT_EQ(stopped.End(), TakeEnd::Stopped);
  EXPECT_EQ(stopped.Samples().size(), 10 * block.size());
  EXPECT_FALSE(stopped.Recording());
  EXPECT_FALSE(stopped.Add(block, 1.0));  // nothing after the end
  EXPECT_EQ(stopped.Samples().size(), 10 * block.size());

  TakeRecorder lost = recorded(plenty, 4, [](TakeRecorder& r) { r.DeviceLost(); });
  EXPECT_EQ(lost.End(), TakeEnd::DeviceLost);
  EXPECT_EQ(lost.Seconds(), 0.2);
  EXPECT_TRUE(lost.HasSound());
  lost.Stop();  // a Stop after the loss changes nothing
  EXPECT_EQ(lost.End(), TakeEnd::DeviceLost);
  const std::vector<std::int16_t> kept = lost.TakeSamples();
  EXPECT_EQ(kept.size(), 4 * block.size());
  EXPECT_FALSE(lost.HasSound());

  TakeRecorder gone = recorded(plenty, 0, [](TakeRecorder& r) { r.DeviceLost(); });
  EXPECT_FALSE(gone.HasSound());

  // Room for 2.5 blocks: the take ends in the third, with what fits.
  const std::size_t room = block.size() * 5 / 2;
  const auto free = static_cast<std::uintmax_t>(TakeRecorder::kDiskReserve +
                                                std::ceil(room * (2.0 + 2.0 * 22050 / 48000)));
  EXPECT_EQ(TakeRecorder::RoomFor(free), room);
  TakeRecorder full = recorded(free, 10, [](TakeRecorder&) {});
  EXPECT_EQ(full.End(), TakeEnd::DiskFull);
  EXPECT_EQ(full.Samples().size(), room);

  TakeRecorder none = recorded(TakeRecorder::kDiskReserve, 10, [](TakeRecorder&) {});
  EXPECT_EQ(none.End(), TakeEnd::DiskFull);
  EXPECT_FALSE(none.HasSound());

  // A take left running stops at the longest a line could be.
  const auto longest = static_cast<std::size_t>(TakeRecorder::kMaxSeconds * TakeRecorder::kRate);
  EXPECT_EQ(TakeRecorder::RoomFor(plenty), longest);
  TakeRecorder forgotten;
  forgotten.Start(plenty);
  EXPECT_FALSE(forgotten.Add(std::vector<std::int16_t>(longest + 10), 0.0));
  EXPECT_EQ(forgotten.End(), TakeEnd::TooLong);
  EXPECT_EQ(forgotten.Samples().size(), longest);
}

}  // namespace
}  // namespace voxmire
