#pragma once
// A voice pack name becomes a file name, a directory in the game and the
// script's class name, so it must be an UnrealScript identifier: a letter or
// an underscore first, then letters, digits or underscores.
#include <string>
#include <string_view>

namespace voxmire {

inline bool IsValidPackName(std::string_view name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!letter(name.front())) return false;
  for (char c : name) {
    if (!letter(c) && !digit(c)) return false;
  }
  return true;
}

// The refusal the information page shows for a name that isn't one.
inline std::string InvalidPackNameText(std::string_view name) {
  return "\"" + std::string(name) +
         "\" can't be used as a VoicePack name.\rThe name becomes the script's class name and a "
         "directory in the game, so it must start with a letter or an underscore and hold only "
         "letters (A-Z), digits and underscores.";
}

}  // namespace voxmire
