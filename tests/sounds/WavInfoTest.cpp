#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "sounds/TempDir.h"
#include "sounds/WavInfo.h"

namespace voxmire {
namespace {

std::string Le(std::uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
std::string Chunk(const char* id, const std::string& body) {
  return id + Le(static_cast<std::uint32_t>(body.size()), 4) + body +
         (body.size() % 2 ? std::string(1, '\0') : "");
}
std::string Riff(const std::string& chunks) {
  return "RIFF" + Le(static_cast<std::uint32_t>(chunks.size() + 4), 4) + "WAVE" + chunks;
}
// A "fmt " chunk; a sub-format tag makes it an extensible header with that
// GUID (a foreign GUID when the tag is above 0xFFFF).
std::string Fmt(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits,
                std::uint32_t subFormat = 0) {
  std::string s = Le(subFormat ? 0xFFFE : tag, 2) + Le(channels, 2) + Le(rate, 4) +
                  Le(rate * channels * bits / 8, 4) + Le(channels * bits / 8, 2) + Le(bits, 2);
  if (subFormat) {
    s += Le(22, 2) + Le(bits, 2) + Le(4, 4) + Le(subFormat, 4) +
         std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
  }
  return Chunk("fmt ", s);
}
std::string Wav(const std::string& fmt) { return Riff(fmt + Chunk("data", "abc")); }

TEST(WavInfoTest, Verdicts) {
  const auto ok = WavVerdictKind::Importable;
  const auto warn = WavVerdictKind::ImportableWithWarning;
  const auto no = WavVerdictKind::Refused;
  const std::string pcm = Fmt(1, 1, 22050, 16), data = Chunk("data", "abc");
  const std::string list = Chunk("LIST", "INFOx");
  std::string zeroRiffSize = Wav(pcm);
  zeroRiffSize.replace(4, 4, 4, '\0');  // as streaming tools leave it
  const std::pair<std::string, WavVerdict> cases[] = {
      {Wav(Fmt(1, 1, 11025, 8)), {ok, ""}},
      {Wav(Fmt(1, 2, 22050, 16)), {warn, "stereo"}},
      {Wav(Fmt(1, 1, 48000, 16)), {warn, "48000 Hz"}},
      {Wav(Fmt(1, 6, 8000, 8)), {warn, "6 channels, 8000 Hz"}},
      {Wav(Fmt(2, 1, 22050, 4)), {no, "compressed (ADPCM)"}},
      {Wav(Fmt(6, 1, 8000, 8)), {no, "compressed (A-law)"}},
      {Wav(Fmt(7, 1, 8000, 8)), {no, "compressed (\xB5-law)"}},
      {Wav(Fmt(0x55, 2, 44100, 0)), {no, "compressed (MP3)"}},
      {Wav(Fmt(0xA1B, 1, 22050, 16)), {no, "compressed (format 0x0A1B)"}},
      {Wav(Fmt(3, 1, 22050, 32)), {no, "floating-point samples"}},
      {Wav(Fmt(1, 1, 22050, 24)), {no, "24-bit samples"}},
      {Wav(Fmt(0, 2, 44100, 16, 1)), {warn, "stereo"}},
      {Wav(Fmt(0, 1, 22050, 32, 3)), {no, "floating-point samples"}},
      {Wav(Fmt(0, 1, 22050, 16, 0x10001)), {no, "unknown sample format"}},
      // The chunk walk: odd sizes padded, any order, a missing last pad byte.
      {Riff(list + Chunk("junk", "x") + data + pcm), {ok, ""}},
      {Riff(pcm + data).substr(0, Riff(pcm + data).size() - 1), {ok, ""}},
      {zeroRiffSize, {ok, ""}},
      {Riff(pcm + list), {no, "not a WAV file"}},
      {Riff(Chunk("fmt ", pcm.substr(8, 14)) + data), {no, "not a WAV file"}},
      {Riff(Fmt(1, 0, 22050, 16) + data), {no, "not a WAV file"}},
      {"Just some text, not a sound.", {no, "not a WAV file"}},
      // Headers the importer can't use.
      {Wav(Fmt(1, 1, 0, 16)), {no, "not a WAV file"}},
      {Wav(Fmt(1, 1, 22050, 4)), {no, "4-bit samples"}},
      {Wav(Fmt(1, 1, 22050, 12)), {no, "12-bit samples"}},
      {Wav(Fmt(0, 1, 22050, 12, 1)), {no, "12-bit samples"}},
      {Riff(Chunk("fmt ", Le(0xFFFE, 2) + pcm.substr(10) + Le(0, 2)) + data),
       {no, "not a WAV file"}},  // extensible, but no room for its extension
      {Riff(Chunk("fmt ", Fmt(0, 1, 22050, 16, 1).substr(8).replace(16, 2, Le(10, 2))) + data),
       {no, "not a WAV file"}}};  // extensible, extension said to be too short
  for (const auto& [bytes, verdict] : cases) {
    EXPECT_EQ(InspectWavBytes(bytes), verdict) << verdict.reason;
  }
}

TEST(WavInfoTest, EveryCutOfAFileIsRefused) {
  const std::string whole =
      Riff(Chunk("LIST", "INFOabc") + Fmt(0, 1, 22050, 16, 1) + Chunk("data", "abcdef"));
  ASSERT_EQ(InspectWavBytes(whole), WavVerdict{});
  for (std::size_t n = 0; n < whole.size(); ++n) {
    EXPECT_EQ(InspectWavBytes(whole.substr(0, n)).reason, "not a WAV file") << n << " bytes";
  }
}

TEST(WavInfoTest, FileOnDiskGetsTheVerdictOfItsBytes) {
  testing::TempDir dir;
  for (const std::string& bytes : {Wav(Fmt(1, 2, 48000, 16)), Wav(Fmt(2, 1, 22050, 4)),
                                   Wav(Fmt(1, 1, 22050, 16)).substr(0, 40)}) {
    EXPECT_EQ(InspectWavFile(dir.Write("s.wav", bytes)), InspectWavBytes(bytes));
  }
  EXPECT_EQ(InspectWavFile(dir.path).reason, "can't be read");
}

// How long a sound plays: its frames over its rate, whatever else the file
// holds; nothing for a file the game can't import.
TEST(WavInfoTest, SecondsAreFramesOverTheRate) {
  const std::string second16 = std::string(2 * 22050, '\0');
  const struct {
    std::string bytes;
    std::optional<double> seconds;
  } cases[] = {
      {Riff(Fmt(1, 1, 22050, 16) + Chunk("data", second16)), 1.0},
      {Riff(Fmt(1, 2, 22050, 16) + Chunk("data", second16)),
       0.5},  // stereo frames are twice as big
      {Riff(Fmt(1, 1, 11025, 8) + Chunk("LIST", "INFOx") + Chunk("data", std::string(5512, 'x'))),
       5512.0 / 11025},
      {Riff(Fmt(1, 1, 22050, 16) + Chunk("data", std::string(3, 'x'))),
       1.0 / 22050},  // half a frame dropped
      {Riff(Fmt(1, 1, 22050, 16) + Chunk("data", "")), 0.0},
      {Riff(Fmt(2, 1, 22050, 4) + Chunk("data", second16)), std::nullopt},  // ADPCM
      {Riff(Fmt(1, 1, 22050, 16)), std::nullopt},                           // no data
      {"not a sound", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto seconds = WavSecondsOfBytes(c.bytes);
    ASSERT_EQ(seconds.has_value(), c.seconds.has_value());
    if (seconds) {
      EXPECT_DOUBLE_EQ(*seconds, *c.seconds);
    }
  }
  const testing::TempDir temp;
  const auto file = temp.Write("a.wav", cases[0].bytes);
  EXPECT_EQ(WavFileSeconds(file), 1.0);
  EXPECT_EQ(WavFileSeconds(temp.path / "missing.wav"), std::nullopt);
}

}  // namespace
}  // namespace voxmire
