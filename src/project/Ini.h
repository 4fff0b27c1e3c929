#pragma once
// The settings files (prefs.ini, steps.ini): plain INI text, read and edited
// one value at a time. Every call opens, reads or rewrites, and closes the
// file; nothing is cached, so a value written is seen by the next read.
// Texts are Windows-1252 bytes.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace voxmire {

// The longest value a read returns: a 750-byte buffer less its terminator.
inline constexpr std::size_t kIniValueLimit = 749;

// The value of `key` (lower-cased first) in `section` of `file`; empty when
// the file, the section or the key is missing.
std::string ReadIniValue(std::string_view section, std::string_view key,
                         const std::filesystem::path& file);

// Stores `value` under `key` in `section` of `file`. A line the call adds
// carries the key upper-cased. A write that cannot be done goes unnoticed.
void WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file);

// The layer beneath, with keys used as given. Its rules:
// - section and key names are trimmed and match ignoring ASCII case; only the
//   first section of a name and the first key in it count; lines before the
//   first header form the section "";
// - a value is what follows the first "=", trimmed; a pair of like quotes
//   around it is dropped, a NUL ends it, and at most kIniValueLimit bytes come
//   back;
// - a write touches one line only: it replaces the value of the key's line
//   (keeping the rest of that line), or adds "key=value" after the last
//   non-blank line of the section, or adds the section and the key at the end
//   of the file. Added lines end in CR LF; every other byte stays.
std::string ProfileGetString(std::string_view section, std::string_view key,
                             const std::filesystem::path& file);
// True when the file holds the value afterwards. A missing folder, a file we
// may not write or cannot read: false, and nothing changes.
bool ProfileWriteString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& file);

// The same over a file's bytes ("" for a missing file).
std::string ProfileGetStringFromText(std::string_view text, std::string_view section,
                                     std::string_view key);
// The file's new bytes, or nothing when it already holds that value.
std::optional<std::string> ProfileWriteStringToText(std::string_view text, std::string_view section,
                                                    std::string_view key, std::string_view value);

}  // namespace voxmire
