#include "output/Umod.h"

#include <array>
#include <limits>

namespace voxmire {
namespace {

constexpr std::uint32_t kCrcPolynomial = 0x04C11DB7;
// Entries carry their offsets and sizes as uint32, and so does the trailer.
constexpr std::uint64_t kMaxArchiveSize = std::numeric_limits<std::uint32_t>::max();

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t crc = i << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ kCrcPolynomial : crc << 1;
    }
    table[i] = crc;
  }
  return table;
}
constexpr auto kCrcTable = MakeCrcTable();

void AppendU32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out += static_cast<char>((value >> shift) & 0xFF);
  }
}

bool IsControlOrUndefined(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

const char* const kLineEnd = "\r\n";

}  // namespace

std::uint32_t MemCrc(std::string_view bytes, std::uint32_t crc) {
  crc = ~crc;
  for (const char c : bytes) {
    crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ static_cast<unsigned char>(c)) & 0xFF];
  }
  return ~crc;
}

void AppendCompactIndex(std::string& out, std::int32_t value) {
  // The magnitude as unsigned, so that INT32_MIN has one too.
  std::uint32_t rest =
      value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  unsigned char first = static_cast<unsigned char>((value < 0 ? 0x80 : 0) | (rest & 0x3F));
  rest >>= 6;
  if (rest != 0) first |= 0x40;
  out += static_cast<char>(first);
  while (rest != 0) {
    unsigned char next = static_cast<unsigned char>(rest & 0x7F);
    rest >>= 7;
    if (rest != 0) next |= 0x80;
    out += static_cast<char>(next);
  }
}

bool AppendFString(std::string& out, std::string_view cp1252) {
  if (cp1252.find('\0') != std::string_view::npos) return false;
  if (cp1252.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return false;
  }
  AppendCompactIndex(out, static_cast<std::int32_t>(cp1252.size() + 1));
  out += cp1252;
  out += '\0';
  return true;
}

std::optional<std::string> BuildUmod(const std::vector<UmodEntry>& entries) {
  std::uint64_t payloadSize = 0;
  for (const auto& entry : entries) payloadSize += entry.bytes.size();
  if (payloadSize > kMaxArchiveSize) return std::nullopt;

  std::string out;
  out.reserve(payloadSize);
  std::vector<std::uint32_t> offsets;
  for (const auto& entry : entries) {
    offsets.push_back(static_cast<std::uint32_t>(out.size()));
    out += entry.bytes;
  }

  const auto tableOffset = static_cast<std::uint32_t>(out.size());
  AppendCompactIndex(out, static_cast<std::int32_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].name.empty() || !AppendFString(out, entries[i].name)) return std::nullopt;
    AppendU32(out, offsets[i]);
    AppendU32(out, static_cast<std::uint32_t>(entries[i].bytes.size()));
    AppendU32(out, entries[i].flags);
  }

  const std::uint64_t fileSize = out.size() + kUmodTrailerSize;
  if (fileSize > kMaxArchiveSize) return std::nullopt;
  const std::uint32_t crc = MemCrc(out);
  AppendU32(out, kUmodMagic);
  AppendU32(out, tableOffset);
  AppendU32(out, static_cast<std::uint32_t>(fileSize));
  AppendU32(out, kUmodVersion);
  AppendU32(out, crc);
  return out;
}

std::string ManifestIni(const UmodManifest& manifest, std::uint64_t manifestIntSize) {
  const auto compose = [&](std::uint64_t ownSize) {
    std::string text;
    const auto line = [&text](const std::string& s) { text += s + kLineEnd; };
    line("[Setup]");
    line("Product=" + manifest.product);
    // The installer stops on a missing or zero version.
    line("Version=100");
    line("Archive=" + manifest.product + ".umod");
    line("SrcPath=.");
    line("MasterPath=..");
    line("Requires=UnrealTournamentRequirement");
    line("Group=SetupGroup");
    line("");
    line("[UnrealTournamentRequirement]");
    line("Product=UnrealTournament");
    line("Version=400");
    line("");
    line("[SetupGroup]");
    line("Copy=(Src=" + std::string(kManifestIniName) + ",Master=" + std::string(kManifestIniName) +
         ",Size=" + std::to_string(ownSize) + ",Flags=3)");
    line("Copy=(Src=" + std::string(kManifestIntName) + ",Master=" + std::string(kManifestIntName) +
         ",Size=" + std::to_string(manifestIntSize) + ",Flags=3)");
    for (const auto& [name, size] : manifest.files) {
      line("File=(Src=" + name + ",Size=" + std::to_string(size) + ")");
    }
    return text;
  };
  // The text's length depends on its own size only through that number's
  // digits, so this settles within a few rounds.
  std::uint64_t size = 0;
  std::string text = compose(size);
  while (text.size() != size) {
    size = text.size();
    text = compose(size);
  }
  return text;
}

std::string ManifestInt(const UmodManifest& manifest) {
  std::string text;
  const auto line = [&text](const std::string& s) { text += s + kLineEnd; };
  line("[Setup]");
  line("LocalProduct=" + manifest.product);
  if (!manifest.readme.empty()) line("ReadMe=" + manifest.readme);
  line("SetupWindowTitle=" + manifest.product + " Setup");
  line("ProductURL=" + manifest.productUrl);
  line("Developer=" + manifest.developer);
  line("DeveloperURL=" + manifest.developerUrl);
  line("");
  line("[UnrealTournamentRequirement]");
  line("LocalProduct=Unreal Tournament");
  line("ProductURL=");
  line("VersionURL=");
  line("Developer=");
  line("DeveloperURL=");
  line("");
  line("[SetupGroup]");
  line("Caption=" + manifest.product);
  line("Description=Voice pack");
  return text;
}

std::optional<unsigned char> UnfitForManifest(std::string_view cp1252) {
  for (const char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsControlOrUndefined(byte)) return byte;
  }
  return std::nullopt;
}

std::optional<unsigned char> UnfitForEntryName(std::string_view cp1252) {
  static constexpr std::string_view kRefused = "\\/:*?\"<>|,()";
  for (const char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsControlOrUndefined(byte) || kRefused.find(c) != std::string_view::npos) return byte;
  }
  return std::nullopt;
}

}  // namespace voxmire
