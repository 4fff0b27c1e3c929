#pragma once
// The defaultproperties block and the comment block that complete the voice
// pack's class script.
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/Places.h"
#include "project/ProjectState.h"
#include "workarea/PhraseTable.h"

namespace voxmire {

inline constexpr std::string_view kGenerationCompleteTitle = "Generation Complete";
inline constexpr std::string_view kGenerationCompleteText = "Generation Complete...";
// Title of the critical message for a refusal or a script that can't be opened.
inline constexpr std::string_view kGenerationFailedTitle = "Cannot Generate Script";

// How many entries the game's voice class has room for in each table.
inline constexpr int kMaxAcks = 16;
inline constexpr int kMaxFFires = 16;
inline constexpr int kMaxTaunts = 32;
inline constexpr int kMaxOthers = 32;

// Why the tables can't be written, or an empty text when they can: a table
// with more rows than the game holds, or a '"' in a String or Abbrev (the
// game's compiler has no way to store one). The first problem in writing
// order is named, with its tab and row or order.
std::string CheckGeneratable(const WorkAreaTables& tables);

// `text` as a quoted value of the game's defaultproperties: each backslash
// doubled, the only escape the compiler knows.
std::string EscapeQuotedValue(std::string_view text);

struct DefaultPropertiesBlock {
  std::string Text;   // every line ended by CR LF; empty when refused
  std::string Error;  // CheckGeneratable's message; empty on success
  bool Ok() const { return Error.empty(); }
};

// The lines appended to the script, from "defaultproperties" to the contact
// line, stamped with `now` (local time).
DefaultPropertiesBlock BuildDefaultProperties(const WorkAreaTables& tables,
                                              const ProjectState& state, const std::tm& now);

// The computer's local date and time, for the stamp.
std::tm LocalNow();

// <state folder>/<VoicePackName>.uc, the script the review page wrote.
std::filesystem::path ScriptPath(const Places& places, const ProjectState& state);

struct GenerationResult {
  enum class Kind {
    Written,     // show kGenerationCompleteText, then move on
    Refused,     // nothing written: show Message, keep the work area open
    CannotOpen,  // the script could not be opened or written: show Message
  };
  Kind Result = Kind::Written;
  std::string Message;
};

// Writes the whole class script to ScriptPath: `head` as the script page
// saves it (the text and one CR LF), then the block. The file is replaced as
// a whole, so a failed write leaves the old one and generating again after a
// trip back to the tables never stacks a second block. A refusal writes
// nothing at all.
GenerationResult WriteClassScript(const Places& places, const WorkAreaTables& tables,
                                  const ProjectState& state, std::string_view head,
                                  const std::tm& now);

}  // namespace voxmire
