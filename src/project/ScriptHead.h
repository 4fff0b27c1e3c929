#pragma once
// Reading the head of a voice class script (what precedes its
// defaultproperties): its class line and its sound imports. The class
// import, the reference check and the generator all read a head this one
// way, so that they agree on the parent class and on where the pack's own
// sounds are.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voxmire {

// The text with its // and /* */ comments taken out. Every line break stays
// where it was, so a line of the result is the same line of the original;
// a "//" inside a double-quoted string is text, not a comment.
std::string WithoutComments(std::string_view text);

// `text` begins with `word` (letter case ignored) and the word ends there.
bool StartsWithWord(std::string_view text, std::string_view word);

struct ClassLine {
  std::string name;
  std::string parent;  // without a package ("Botpack.VoiceMaleOne" gives "VoiceMaleOne")
};

// The first "class <Name> extends <Parent> ...;" among lines[0..end) of a
// text without comments; it may run over several lines. UnrealScript of the
// game's time also wrote "expands" for "extends". Nothing when there is none.
std::optional<ClassLine> FindClassLine(const std::vector<std::string>& lines, std::size_t end);

// One "#exec AUDIO IMPORT FILE=... NAME=... PACKAGE=... GROUP=..." line.
struct AudioImport {
  std::string file;
  std::string name;     // the compiler's name for it: NAME, else the file's name
  std::string package;  // empty: the package being compiled
  std::string group;    // empty: none
};

// The import a line states, its keys in any order and letter case, quoted
// or not; nothing when the line is no audio import.
std::optional<AudioImport> ReadAudioImport(std::string_view line);

// The audio imports of a head, in order, commented-out ones left out.
std::vector<AudioImport> AudioImportsOf(std::string_view head);

// The parent class of a head's class line; empty when it has none.
std::string ParentClassOf(std::string_view head);

}  // namespace voxmire
