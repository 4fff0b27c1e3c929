#pragma once
// The program's files are 8-bit text in the Windows-1252 code page. Core code
// keeps text as std::string holding those bytes; these two functions are the
// only conversions, used where text meets the widgets or the file system.
#include <string>
#include <string_view>

namespace voxmire {

// Windows-1252 bytes to UTF-8. The five bytes with no character in the code
// page (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same
// value, so every byte survives a round trip.
std::string Cp1252ToUtf8(std::string_view text);

// UTF-8 to Windows-1252. A character the code page can't hold becomes '?';
// invalid UTF-8 bytes become '?' too.
std::string Utf8ToCp1252(std::string_view text);

// True when every character of the UTF-8 text has a Windows-1252 byte.
bool FitsCp1252(std::string_view utf8);

}  // namespace voxmire
