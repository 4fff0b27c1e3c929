#pragma once
// One take as it is recorded: the samples the input hands over, the level
// meter's numbers, and when a take has to end on its own (the input went
// away, the disk would be full, it ran far longer than any line). Plain
// numbers in, plain numbers out: the window's audio input feeds it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace voxmire {

// What the meter shows: the peak and the RMS level in dBFS (kFloorDb for
// silence), and whether the take has reached the clip mark.
struct LevelReading {
  double PeakDb = -60.0;
  double RmsDb = -60.0;
  bool Clipped = false;
};

class LevelMeter {
 public:
  static constexpr double kFloorDb = -60.0;
  // A sample this loud or louder marks the take as clipped: the game's
  // sounds are made with their peaks at -1 dBFS, and a voice that reaches
  // it while recording is distorted already or will be when levelled.
  static constexpr double kClipDb = -1.0;
  // The peak falls this fast after the last louder block, so that a short
  // shout stays visible.
  static constexpr double kFallDbPerSecond = 24.0;

  void Reset();
  // One block of mono samples, arrived at `now` (seconds, any clock).
  void Add(std::span<const std::int16_t> block, double now);
  // The meter at `now`: the held peak less its fall since, the RMS of the
  // last block.
  LevelReading Reading(double now) const;

 private:
  double peakDb_ = kFloorDb;
  double peakAt_ = 0.0;
  double rmsDb_ = kFloorDb;
  bool clipped_ = false;
};

// Why a take ended.
enum class TakeEnd {
  None,        // still recording, or never started
  Stopped,     // the user stopped it
  DeviceLost,  // the input went away: what came until then is the take
  DiskFull,    // one more block would not have fitted on the disk
  TooLong,     // kMaxSeconds reached
};

class TakeRecorder {
 public:
  static constexpr int kRate = 48000;
  // Longer than any line of a voice pack: a take left running is stopped.
  static constexpr double kMaxSeconds = 300.0;
  // Left free on the disk besides the take itself: the game's copy of the
  // sound and the project file must still be written.
  static constexpr std::uintmax_t kDiskReserve = 8u << 20;

  // Starts a take with `bytesFree` on the disk that keeps the takes. The
  // take and the game's sound made from it (under half its size) must fit.
  void Start(std::uintmax_t bytesFree);
  bool Recording() const { return recording_; }
  // Takes a block from the input. A block that would pass the disk's room
  // or the longest take ends the take with what fits of it. False when the
  // take has ended (now or earlier).
  bool Add(std::span<const std::int16_t> block, double now);
  // The user's Stop, or Escape.
  void Stop() { Finish(TakeEnd::Stopped); }
  // The input vanished mid-take: what was recorded is kept.
  void DeviceLost() { Finish(TakeEnd::DeviceLost); }

  TakeEnd End() const { return end_; }
  const std::vector<std::int16_t>& Samples() const { return samples_; }
  double Seconds() const { return static_cast<double>(samples_.size()) / kRate; }
  // True when the take holds anything worth keeping.
  bool HasSound() const { return !samples_.empty(); }
  // Hands the samples over; the recorder is empty afterwards.
  std::vector<std::int16_t> TakeSamples();
  const LevelMeter& Meter() const { return meter_; }

  // The most samples a disk with `bytesFree` holds for one take.
  static std::size_t RoomFor(std::uintmax_t bytesFree);

 private:
  void Finish(TakeEnd end);

  std::vector<std::int16_t> samples_;
  std::size_t limit_ = 0;
  bool recording_ = false;
  TakeEnd end_ = TakeEnd::None;
  LevelMeter meter_;
};

}  // namespace voxmire
