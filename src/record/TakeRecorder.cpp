#include "record/TakeRecorder.h"

#include <algorithm>
#include <cmath>

namespace voxmire {
namespace {

double Decibels(double linear) {
  if (linear <= 0.0) return LevelMeter::kFloorDb;
  return std::max(LevelMeter::kFloorDb, 20.0 * std::log10(linear));
}

// Bytes on the disk per sample: the take's own two, and the game's copy at
// 22050 Hz.
constexpr double kBytesPerSample = 2.0 + 2.0 * 22050.0 / TakeRecorder::kRate;

}  // namespace

void LevelMeter::Reset() { *this = LevelMeter(); }

void LevelMeter::Add(std::span<const std::int16_t> block, double now) {
  if (block.empty()) return;
  int peak = 0;
  double sum = 0.0;
  for (const std::int16_t s : block) {
    const int magnitude = s < 0 ? -static_cast<int>(s) : s;
    peak = std::max(peak, magnitude);
    sum += static_cast<double>(s) * s;
  }
  const double peakDb = Decibels(peak / 32768.0);
  if (peakDb >= Reading(now).PeakDb) {
    peakDb_ = peakDb;
    peakAt_ = now;
  }
  rmsDb_ = Decibels(std::sqrt(sum / static_cast<double>(block.size())) / 32768.0);
  if (peakDb >= kClipDb) clipped_ = true;
}

LevelReading LevelMeter::Reading(double now) const {
  const double fallen = peakDb_ - kFallDbPerSecond * std::max(0.0, now - peakAt_);
  return {std::max({kFloorDb, fallen, rmsDb_}), rmsDb_, clipped_};
}

std::size_t TakeRecorder::RoomFor(std::uintmax_t bytesFree) {
  if (bytesFree <= kDiskReserve) return 0;
  const double samples = static_cast<double>(bytesFree - kDiskReserve) / kBytesPerSample;
  return static_cast<std::size_t>(std::min(samples, kMaxSeconds * kRate));
}

void TakeRecorder::Start(std::uintmax_t bytesFree) {
  samples_.clear();
  samples_.reserve(static_cast<std::size_t>(10 * kRate));
  limit_ = RoomFor(bytesFree);
  meter_.Reset();
  end_ = TakeEnd::None;
  recording_ = true;
  // No room at all: the take ends before it begins.
  if (limit_ == 0) Finish(TakeEnd::DiskFull);
}

bool TakeRecorder::Add(std::span<const std::int16_t> block, double now) {
  if (!recording_) return false;
  const std::size_t room = limit_ - samples_.size();
  const std::span<const std::int16_t> kept = block.first(std::min(room, block.size()));
  samples_.insert(samples_.end(), kept.begin(), kept.end());
  meter_.Add(kept, now);
  if (samples_.size() < limit_) return true;
  const bool diskFull = limit_ < static_cast<std::size_t>(kMaxSeconds * kRate);
  Finish(diskFull ? TakeEnd::DiskFull : TakeEnd::TooLong);
  return false;
}

void TakeRecorder::Finish(TakeEnd end) {
  if (!recording_) return;
  recording_ = false;
  end_ = end;
}

std::vector<std::int16_t> TakeRecorder::TakeSamples() {
  std::vector<std::int16_t> out = std::move(samples_);
  samples_.clear();
  return out;
}

}  // namespace voxmire
