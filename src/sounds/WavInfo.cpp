#include "sounds/WavInfo.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

namespace voxmire {
namespace {

const std::string kNotWav = "not a WAV file";

// Legitimate files hold a handful of chunks; the cap keeps a hostile file of
// millions of tiny chunks from costing millions of reads.
constexpr int kMaxChunks = 4096;

constexpr std::uint16_t kPcm = 0x0001;
constexpr std::uint16_t kFloat = 0x0003;
constexpr std::uint16_t kALaw = 0x0006;
constexpr std::uint16_t kMuLaw = 0x0007;
constexpr std::uint16_t kMp3 = 0x0055;
constexpr std::uint16_t kExtensible = 0xFFFE;

// The tail every standard sub-format GUID shares; its first two bytes are
// the format tag the GUID stands for.
constexpr std::array<unsigned char, 12> kSubFormatTail = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                                          0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool IsAdpcm(std::uint16_t tag) {
  switch (tag) {
    case 0x0002:  // Microsoft
    case 0x0010:  // OKI
    case 0x0011:  // IMA / DVI
    case 0x0012:  // MediaSpace
    case 0x0013:  // Sierra
    case 0x0017:  // Dialogic OKI
    case 0x0020:  // Yamaha
    case 0x0036:  // DigiADPCM
    case 0x0064:  // G.726
    case 0x0200:  // Creative
      return true;
    default:
      return false;
  }
}

WavVerdict Refused(std::string reason) { return {WavVerdictKind::Refused, std::move(reason)}; }

// Random access to the file's bytes: a buffer in memory or a file on disk.
class Source {
 public:
  virtual ~Source() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills `out` with `n` bytes from `offset`; false when they aren't all there.
  virtual bool Read(std::uint64_t offset, unsigned char* out, std::size_t n) = 0;
};

class MemorySource final : public Source {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
    std::memcpy(out, bytes_.data() + offset, n);
    return true;
  }

 private:
  std::string_view bytes_;
};

class FileSource final : public Source {
 public:
  FileSource(std::ifstream& in, std::uint64_t size) : in_(in), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    if (offset > size_ || n > size_ - offset) return false;
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
    return in_.gcount() == static_cast<std::streamsize>(n);
  }

 private:
  std::ifstream& in_;
  std::uint64_t size_;
};

struct Format {
  std::uint16_t tag = 0;
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint16_t bitsPerSample = 0;
  bool knownSubFormat = true;  // false: an extensible header with a GUID of its own
};

// Reads the "fmt " chunk body; false when it is too short to be one.
bool ParseFormat(Source& source, std::uint64_t body, std::uint32_t size, Format& format) {
  std::array<unsigned char, 40> b{};
  if (size < 16 || !source.Read(body, b.data(), 16)) return false;
  format.tag = U16(&b[0]);
  format.channels = U16(&b[2]);
  format.sampleRate = U32(&b[4]);
  format.bitsPerSample = U16(&b[14]);
  if (format.tag != kExtensible) return true;

  if (size < 40 || !source.Read(body + 16, b.data() + 16, 24) || U16(&b[16]) < 22) return false;
  const std::uint32_t subFormat = U32(&b[24]);
  format.knownSubFormat =
      subFormat <= 0xFFFF && std::memcmp(&b[28], kSubFormatTail.data(), kSubFormatTail.size()) == 0;
  format.tag = static_cast<std::uint16_t>(subFormat);
  return true;
}

WavVerdict Judge(const Format& format) {
  if (!format.knownSubFormat) return Refused("unknown sample format");
  switch (format.tag) {
    case kPcm:
      if (format.bitsPerSample != 8 && format.bitsPerSample != 16) {
        return Refused(std::to_string(format.bitsPerSample) + "-bit samples");
      }
      break;
    case kFloat:
      return Refused("floating-point samples");
    case kALaw:
      return Refused("compressed (A-law)");
    case kMuLaw:
      return Refused("compressed (\xB5-law)");
    case kMp3:
      return Refused("compressed (MP3)");
    default: {
      if (IsAdpcm(format.tag)) return Refused("compressed (ADPCM)");
      char text[40];
      std::snprintf(text, sizeof text, "compressed (format 0x%04X)", format.tag);
      return Refused(text);
    }
  }

  std::string warning;
  if (format.channels == 2) {
    warning = "stereo";
  } else if (format.channels > 2) {
    warning = std::to_string(format.channels) + " channels";
  }
  if (format.sampleRate != 11025 && format.sampleRate != 22050 && format.sampleRate != 44100) {
    if (!warning.empty()) warning += ", ";
    warning += std::to_string(format.sampleRate) + " Hz";
  }
  if (warning.empty()) return {};
  return {WavVerdictKind::ImportableWithWarning, std::move(warning)};
}

// `dataSize`, when given, receives the size of the sample data.
WavVerdict Inspect(Source& source, Format* formatOut = nullptr, std::uint64_t* dataSize = nullptr) {
  const std::uint64_t size = source.Size();
  std::array<unsigned char, 12> head{};
  if (!source.Read(0, head.data(), head.size()) || std::memcmp(&head[0], "RIFF", 4) != 0 ||
      std::memcmp(&head[8], "WAVE", 4) != 0) {
    return Refused(kNotWav);
  }

  // The RIFF size is often wrong in files written by streaming tools, so the
  // walk is bounded by the file's real size instead.
  Format format;
  bool haveFormat = false;
  bool haveData = false;
  std::uint64_t offset = 12;
  for (int chunks = 0; chunks < kMaxChunks && !(haveFormat && haveData); ++chunks) {
    std::array<unsigned char, 8> chunk{};
    if (!source.Read(offset, chunk.data(), chunk.size())) break;
    const std::uint32_t chunkSize = U32(&chunk[4]);
    const std::uint64_t body = offset + 8;
    const bool complete = chunkSize <= size - body;
    if (std::memcmp(&chunk[0], "fmt ", 4) == 0 && !haveFormat) {
      if (!complete || !ParseFormat(source, body, chunkSize, format)) return Refused(kNotWav);
      haveFormat = true;
    } else if (std::memcmp(&chunk[0], "data", 4) == 0 && !haveData) {
      if (!complete) return Refused(kNotWav);  // cut short: the importer would read past its end
      haveData = true;
      if (dataSize != nullptr) *dataSize = chunkSize;
    }
    if (!complete) break;
    offset = body + chunkSize + (chunkSize & 1u);  // odd sizes are padded to even
  }

  if (!haveFormat || !haveData || format.channels == 0 || format.sampleRate == 0) {
    return Refused(kNotWav);
  }
  if (formatOut != nullptr) *formatOut = format;
  return Judge(format);
}

// The playing time of the sample data, for a file the game imports.
std::optional<double> Seconds(Source& source) {
  Format format;
  std::uint64_t dataSize = 0;
  if (Inspect(source, &format, &dataSize).kind == WavVerdictKind::Refused) return std::nullopt;
  const std::uint64_t frameBytes =
      std::uint64_t{format.channels} * ((format.bitsPerSample + 7u) / 8u);
  if (frameBytes == 0) return std::nullopt;
  return static_cast<double>(dataSize / frameBytes) / format.sampleRate;
}

}  // namespace

WavVerdict InspectWavBytes(std::string_view bytes) {
  MemorySource source(bytes);
  return Inspect(source);
}

WavVerdict InspectWavFile(const std::filesystem::path& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  std::ifstream in(path, std::ios::binary);
  if (ec || !in) return Refused("can't be read");
  FileSource source(in, size);
  return Inspect(source);
}

std::optional<double> WavSecondsOfBytes(std::string_view bytes) {
  MemorySource source(bytes);
  return Seconds(source);
}

std::optional<double> WavFileSeconds(const std::filesystem::path& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  std::ifstream in(path, std::ios::binary);
  if (ec || !in) return std::nullopt;
  FileSource source(in, size);
  return Seconds(source);
}

}  // namespace voxmire
