#pragma once
// Whether the game's script compiler can import a sound file. It takes only
// uncompressed PCM .wav files of 8 or 16 bits; anything else it merely warns
// about, and the sound stays silent in the game. Stereo files and unusual
// sample rates import, but older audio code of the game won't play them.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace voxmire {

enum class WavVerdictKind { Importable, ImportableWithWarning, Refused };

struct WavVerdict {
  WavVerdictKind kind = WavVerdictKind::Importable;
  // Why it is refused or warned about: a short lower-case phrase put after
  // the file name ("not a WAV file", "compressed (ADPCM)", "stereo, 48000 Hz").
  // Windows-1252 ("compressed (µ-law)"). Empty when importable.
  std::string reason;

  friend bool operator==(const WavVerdict&, const WavVerdict&) = default;
};

// Judges a whole file held in memory. Reads nothing past the buffer,
// whatever the chunk sizes claim.
WavVerdict InspectWavBytes(std::string_view bytes);

// Judges a file on disk, reading only its chunk headers and its format.
// Refused with "can't be read" when it can't be opened.
WavVerdict InspectWavFile(const std::filesystem::path& path);

// How long a file the compiler imports plays, in seconds (its frames over its
// sample rate); nothing for a file it refuses or that can't be read.
std::optional<double> WavSecondsOfBytes(std::string_view bytes);
std::optional<double> WavFileSeconds(const std::filesystem::path& path);

}  // namespace voxmire
