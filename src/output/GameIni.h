#pragma once
// The temporary edit of the game's UnrealTournament.ini that puts the new
// package on the compiler's EditPackages list.
#include <string>
#include <string_view>

namespace voxmire {

// `text` with the line "EditPackages=" + name added where the compiler reads
// it, then one more CR LF at the end; every other byte is kept as it was.
// The line goes, in this order of preference:
//  - right after the first "EditPackages=UTBrowser" (ASCII letter case
//    ignored, even inside a longer line), as CR LF, the line, CR LF;
//  - after the last EditPackages= line of [Editor.EditorEngine];
//  - after the last line of that section when it lists no package;
//  - in a new [Editor.EditorEngine] section at the end of the file.
std::string InsertEditPackage(std::string_view text, std::string_view voicePackName);

// True when `current` is exactly what InsertEditPackage made of `original`
// for some package name: the game's file still holds the edit of a compile
// that never got to put it back (the program was killed while the compiler
// ran), and `original` is what belongs there.
bool IsUnrestoredEdit(std::string_view current, std::string_view original);

}  // namespace voxmire
