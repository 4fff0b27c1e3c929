#include "project/PackName.h"

namespace voxmire {

bool IsValidPackName(std::string_view name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!letter(name.front())) return false;
  for (char c : name) {
    if (!letter(c) && !digit(c)) return false;
  }
  return true;
}

std::string InvalidPackNameText(std::string_view name) {
  std::string text = "\"";
  text.append(name);
  text.append(
      "\" can't be used as a VoicePack name.\rThe name becomes the script's class name and a "
      "directory in the game, so it must start with a letter or an underscore and hold only "
      "letters (A-Z), digits and underscores.");
  return text;
}

}  // namespace voxmire
