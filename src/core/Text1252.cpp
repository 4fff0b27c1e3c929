#include "Text1252.h"

#include <array>
#include <cstdint>

namespace voxmire {
namespace {

// Code points of bytes 0x80..0x9F; the unassigned ones keep their C1 value.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

int ByteFor(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

// Decodes one UTF-8 sequence at text[pos]; returns the code point, or -1 for
// an invalid sequence, and advances pos past what it consumed.
long DecodeUtf8(std::string_view text, std::size_t& pos) {
  const auto b0 = static_cast<std::uint8_t>(text[pos]);
  int len = 0;
  char32_t cp = 0;
  if (b0 < 0x80) {
    ++pos;
    return b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    ++pos;
    return -1;
  }
  if (pos + static_cast<std::size_t>(len) > text.size()) {
    ++pos;
    return -1;
  }
  for (int i = 1; i < len; ++i) {
    const auto b = static_cast<std::uint8_t>(text[pos + static_cast<std::size_t>(i)]);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return -1;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  // An overlong form (C0 AF for '/', C0 80 for NUL) would let a checked name
  // turn into another one after conversion; surrogates and code points past
  // U+10FFFF are no characters at all.
  static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kShortest[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    ++pos;
    return -1;
  }
  pos += static_cast<std::size_t>(len);
  return static_cast<long>(cp);
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b >= 0x80 && b < 0xA0) {
      AppendUtf8(out, kHigh[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const long cp = DecodeUtf8(text, pos);
    const int byte = cp < 0 ? -1 : ByteFor(static_cast<char32_t>(cp));
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

bool FitsCp1252(std::string_view utf8) {
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const long cp = DecodeUtf8(utf8, pos);
    if (cp < 0 || ByteFor(static_cast<char32_t>(cp)) < 0) return false;
  }
  return true;
}

}  // namespace voxmire
