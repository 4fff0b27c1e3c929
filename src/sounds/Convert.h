#pragma once
// Turns any recording into a sound the game imports: the game's compiler
// takes only uncompressed 8- or 16-bit PCM .wav files and plays mono at
// 11025, 22050 or 44100 Hz best. Anything else (MP3, OGG, FLAC, AIFF, 24-bit
// or floating-point WAV, stereo, 48 kHz) is decoded, mixed down to mono,
// resampled to 22050 Hz and written as 16-bit PCM with dither. Every file
// is written whole or not at all; the recording itself is only read.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace voxmire {

struct ConvertOptions {
  // Brings the sound to -16 LUFS integrated, with true peaks at -1 dBTP at
  // most.
  bool evenLoudness = false;
  // Cuts leading and trailing stretches below -50 dBFS, keeping 20 ms of
  // each.
  bool trimSilence = false;
};

enum class PrepareOutcome {
  Copied,       // the game imports it as it is: copied unchanged
  Converted,    // decoded and written anew
  Refused,      // not usable; `reason` says why
  WriteFailed,  // the target could not be written
  Cancelled,    // never started
};

struct PrepareResult {
  PrepareOutcome outcome = PrepareOutcome::Refused;
  // Why it was refused or not written: a short lower-case phrase to put
  // after the file's name ("not a sound file", "cut short").
  std::string reason;
};

// Puts `source` at `target` as a sound the game imports: a copy when it
// already is one and no option asks for processing, else a conversion.
PrepareResult PrepareSound(const std::filesystem::path& source, const std::filesystem::path& target,
                           const ConvertOptions& options);

// The bytes of a 16-bit PCM mono .wav file holding `samples` at `rate`.
std::string MonoWavBytes(std::span<const std::int16_t> samples, int rate);

struct SoundJob {
  std::filesystem::path source;
  std::filesystem::path target;
};

// PrepareSound for every job, on up to `threads` threads. A job not yet
// started when `cancel` turns true is left Cancelled; `done` (when given)
// counts the jobs finished. Results are in the jobs' order.
std::vector<PrepareResult> PrepareSounds(const std::vector<SoundJob>& jobs,
                                         const ConvertOptions& options, unsigned threads,
                                         const std::atomic<bool>& cancel,
                                         std::atomic<std::size_t>* done = nullptr);

}  // namespace voxmire
