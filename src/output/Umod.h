#pragma once
// The game's installer archive (.umod): the files' bytes one after another,
// a directory of names, offsets, sizes and flags, and a 20-byte trailer that
// carries the engine's CRC of everything before it. The game's own Setup
// checks all of it, so every byte here follows the engine's serialisation.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace voxmire {

inline constexpr std::uint32_t kUmodMagic = 0x9FE3C5A3;
inline constexpr std::uint32_t kUmodVersion = 1;
inline constexpr std::size_t kUmodTrailerSize = 20;
// The flags the game's installers give their two manifests.
inline constexpr std::uint32_t kUmodManifestFlags = 3;
inline constexpr std::string_view kManifestIniName = "System\\Manifest.ini";
inline constexpr std::string_view kManifestIntName = "System\\Manifest.int";

// The engine's memory CRC: polynomial 0x04C11DB7 taken most significant bit
// first, register and result inverted (CRC-32/BZIP2, not zlib's CRC-32).
// `crc` continues a CRC over earlier bytes.
std::uint32_t MemCrc(std::string_view bytes, std::uint32_t crc = 0);

// The engine's compact index: a sign bit, a "more" bit and six value bits
// in the first byte, then seven value bits and a "more" bit per byte, at
// most five bytes. Every int32 has one, INT32_MIN included.
void AppendCompactIndex(std::string& out, std::int32_t value);

// An 8-bit FString: the compact-index length counting the closing NUL, the
// text, the NUL. Texts holding a NUL would not read back, so they are
// refused (false, nothing appended).
bool AppendFString(std::string& out, std::string_view cp1252);

struct UmodEntry {
  std::string name;  // from the game's folder, with backslashes: System\MyPack.u
  std::string bytes;
  std::uint32_t flags = 0;
};

// The whole archive, entries in the order given, no padding between them.
// Nothing when a name can't be stored or the archive would outgrow the
// format's 32-bit offsets and sizes.
std::optional<std::string> BuildUmod(const std::vector<UmodEntry>& entries);

// What the two manifests say about the pack.
struct UmodManifest {
  std::string product;  // the pack's name
  std::string productUrl;
  std::string developer;
  std::string developerUrl;
  std::string readme;  // an entry name (Help\...), or empty for none
  // The installed files (not the manifests) with their sizes, in order.
  std::vector<std::pair<std::string, std::uint64_t>> files;
};

// System\Manifest.ini: the setup group that lists every file. Its Copy line
// for itself carries its own size, so the text is settled by trying sizes
// until the number written matches the text's length.
std::string ManifestIni(const UmodManifest& manifest, std::uint64_t manifestIntSize);

// System\Manifest.int: the texts the game's Setup shows.
std::string ManifestInt(const UmodManifest& manifest);

// The first character of a manifest value that the game's Setup can't take,
// or nothing: line breaks and other control characters would start new
// lines of the manifest, and five bytes are no character of Windows-1252.
std::optional<unsigned char> UnfitForManifest(std::string_view cp1252);

// The same for a file name that becomes part of an entry name: besides the
// above, path separators, the characters Windows refuses in file names, and
// the commas and brackets that would end a File=(Src=...) entry early.
std::optional<unsigned char> UnfitForEntryName(std::string_view cp1252);

}  // namespace voxmire
