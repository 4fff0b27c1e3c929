#pragma once
// The temporary edit of the game's UnrealTournament.ini that puts the new
// package on the compiler's EditPackages list.
#include <string>
#include <string_view>

namespace voxmire {

// `text` with CR LF, "EditPackages=" + name and CR LF inserted right after the
// first "EditPackages=UTBrowser" (ASCII letter case ignored, even inside a
// longer line), or at the very start when there is none; then one more CR LF
// at the end. Every other byte is kept as it was.
std::string InsertEditPackage(std::string_view text, std::string_view voicePackName);

// True when `current` is exactly what InsertEditPackage made of `original`
// for some package name: the game's file still holds the edit of a compile
// that never got to put it back (the program was killed while the compiler
// ran), and `original` is what belongs there.
bool IsUnrestoredEdit(std::string_view current, std::string_view original);

}  // namespace voxmire
