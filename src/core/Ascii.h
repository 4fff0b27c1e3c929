#pragma once
// Letter case as the game and the settings files ignore it: ASCII letters
// only, so that Windows-1252 bytes above 0x7F are never changed.
namespace voxmire {

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace voxmire
