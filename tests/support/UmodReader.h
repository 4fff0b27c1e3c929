#pragma once
// A reader for the game's installer archives (.umod), written from the
// format's description rather than from our writer, so that the tests and
// the fuzz target check the writer against an independent reading.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voxmire::test {

// CRC-32/BZIP2 bit by bit: polynomial 0x04C11DB7, MSB first, inverted in and out.
inline std::uint32_t BitwiseCrc(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
  }
  return ~crc;
}

// First byte: sign 0x80, more 0x40, six value bits; then more 0x80 and seven
// value bits; five bytes at most. Nothing for a truncated or oversized one.
inline std::optional<std::int32_t> ReadCompactIndex(std::string_view bytes, std::size_t& pos) {
  if (pos >= bytes.size()) return std::nullopt;
  const auto first = static_cast<unsigned char>(bytes[pos++]);
  std::uint64_t magnitude = first & 0x3F;
  bool more = (first & 0x40) != 0;
  for (int shift = 6; more; shift += 7) {
    if (shift > 6 + 7 * 3 || pos >= bytes.size()) return std::nullopt;
    const auto next = static_cast<unsigned char>(bytes[pos++]);
    magnitude |= static_cast<std::uint64_t>(next & 0x7F) << shift;
    more = (next & 0x80) != 0;
  }
  const bool negative = (first & 0x80) != 0;
  if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return std::nullopt;
  return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                  : static_cast<std::int32_t>(magnitude);
}

// Length counting the closing NUL, the 8-bit text, the NUL. Length 0 is an
// empty text; a negative one would be UTF-16, which we never write.
inline std::optional<std::string> ReadFString(std::string_view bytes, std::size_t& pos) {
  const auto length = ReadCompactIndex(bytes, pos);
  if (!length || *length < 0) return std::nullopt;
  if (*length == 0) return std::string();
  const auto size = static_cast<std::size_t>(*length);
  if (bytes.size() - pos < size || bytes[pos + size - 1] != '\0') return std::nullopt;
  std::string text(bytes.substr(pos, size - 1));
  pos += size;
  return text;
}

inline std::uint32_t ReadU32(std::string_view bytes, std::size_t pos) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[pos + static_cast<std::size_t>(i)]);
  }
  return value;
}

struct UmodFile {
  std::string name;
  std::uint32_t offset = 0, size = 0, flags = 0;
  std::string bytes;
};

struct UmodReading {
  std::vector<UmodFile> files;
  std::string problem;  // empty when the archive is sound
};

// Trailer (magic, directory offset, file size, version, CRC), then the
// directory, then each file's bytes from where the directory says.
inline UmodReading ReadUmod(std::string_view bytes) {
  UmodReading reading;
  const auto fail = [&reading](std::string problem) {
    reading.problem = std::move(problem);
    return reading;
  };
  if (bytes.size() < 20) return fail("shorter than the trailer");
  const std::size_t trailer = bytes.size() - 20;
  if (ReadU32(bytes, trailer) != 0x9FE3C5A3u) return fail("bad magic");
  const std::uint32_t table = ReadU32(bytes, trailer + 4);
  if (ReadU32(bytes, trailer + 8) != bytes.size()) return fail("file size differs");
  if (ReadU32(bytes, trailer + 12) != 1) return fail("version is not 1");
  if (ReadU32(bytes, trailer + 16) != BitwiseCrc(bytes.substr(0, trailer))) return fail("bad CRC");
  if (table > trailer) return fail("directory past the trailer");

  std::size_t pos = table;
  const auto count = ReadCompactIndex(bytes, pos);
  if (!count || *count < 0) return fail("bad file count");
  for (std::int32_t i = 0; i < *count; ++i) {
    UmodFile file;
    const auto name = ReadFString(bytes, pos);
    if (!name || trailer - pos < 12) return fail("directory entry " + std::to_string(i) + " cut");
    file.name = *name;
    file.offset = ReadU32(bytes, pos);
    file.size = ReadU32(bytes, pos + 4);
    file.flags = ReadU32(bytes, pos + 8);
    pos += 12;
    if (file.offset > table || file.size > table - file.offset) {
      return fail(file.name + " lies outside the payloads");
    }
    file.bytes = std::string(bytes.substr(file.offset, file.size));
    reading.files.push_back(std::move(file));
  }
  if (pos != trailer) return fail("bytes between the directory and the trailer");
  return reading;
}

}  // namespace voxmire::test
