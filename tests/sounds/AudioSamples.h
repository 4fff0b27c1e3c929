#pragma once
// Recordings for the tests, made with sox, espeak-ng and libsndfile (sox
// can't write MP3 here), and a reader that opens results as the game's
// importer would have to: with libsndfile, not with our own code.
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace voxmire::testing {

inline std::string Quoted(const std::filesystem::path& path) {
  std::string text = "'";
  for (char c : path.string()) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return text + "'";
}

// Runs "sox <args>" (use Quoted() for paths); true when it succeeded.
inline bool Sox(const std::string& args) {
  return std::system(("sox -q " + args + " 2>/dev/null").c_str()) == 0;
}

// A spoken phrase, 22050 Hz mono 16-bit PCM, as espeak-ng writes it.
inline bool Speak(const std::filesystem::path& path, const std::string& words) {
  return std::system(
             ("espeak-ng -w " + Quoted(path) + " '" + words + "' >/dev/null 2>&1").c_str()) == 0;
}

// A sine of `hz` at half scale, written by libsndfile in `format`.
inline bool WriteSine(const std::filesystem::path& path, int format, int rate, int channels,
                      double seconds, double hz) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  const auto frames = static_cast<std::size_t>(std::lround(seconds * rate));
  std::vector<float> samples(frames * static_cast<std::size_t>(channels));
  for (std::size_t f = 0; f < frames; ++f) {
    const auto value = static_cast<float>(0.5 * std::sin(2 * M_PI * hz * f / rate));
    for (int c = 0; c < channels; ++c) samples[f * static_cast<std::size_t>(channels) + c] = value;
  }
  const bool ok = sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames)) ==
                  static_cast<sf_count_t>(frames);
  return sf_close(file) == 0 && ok;
}

inline bool WriteMp3(const std::filesystem::path& path, int rate, int channels, double seconds,
                     double hz) {
  return WriteSine(path, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, rate, channels, seconds, hz);
}

struct Audio {
  SF_INFO info{};
  std::vector<float> first;  // the first channel
};

inline std::optional<Audio> ReadAudio(const std::filesystem::path& path) {
  Audio audio;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &audio.info);
  if (file == nullptr) return std::nullopt;
  std::vector<float> all(static_cast<std::size_t>(audio.info.frames * audio.info.channels));
  const sf_count_t got = sf_readf_float(file, all.data(), audio.info.frames);
  sf_close(file);
  for (sf_count_t f = 0; f < got; ++f) audio.first.push_back(all[f * audio.info.channels]);
  return audio;
}

// Sign changes, a plain measure of a tone's pitch.
inline int ZeroCrossings(const std::vector<float>& samples) {
  int count = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    if ((samples[i - 1] < 0) != (samples[i] < 0)) ++count;
  }
  return count;
}

}  // namespace voxmire::testing
