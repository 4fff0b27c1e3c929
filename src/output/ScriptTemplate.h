#pragma once
// The head of the pack's class script: the template defaultscript.txt with
// the pack's name, the base voice's class and sound package and one import
// statement per sound filled in.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Places.h"
#include "project/ProjectState.h"

namespace voxmire {

inline constexpr std::string_view kTemplateFileName = "defaultscript.txt";
inline constexpr std::string_view kDefaultPackName = "DEFAULT";

// Replaces the first occurrence of `word` in `text`, letter case ignored and
// also inside a longer word, with `value`. False (text unchanged) when the
// word isn't there.
bool ReplaceFirstIgnoringCase(std::string& text, std::string_view word, std::string_view value);

// One #exec AUDIO IMPORT statement for a sound name, without a line end. Its
// FILE is Sounds\<name>.wav, relative to the package's folder in the game.
std::string ImportStatement(std::string_view soundName, const ProjectState& state);

// CR LF and an import statement for every sound; empty for no sounds.
std::string ImportBlock(const std::vector<std::string>& soundNames, const ProjectState& state);

// The template, each of its lines ended by CR LF, with the placeholders
// filled in: the name three times, the base class, the base package and the
// import block, each at the first occurrence left. A placeholder the
// template lacks is skipped.
std::string ExpandTemplate(std::string_view templateBytes,
                           const std::vector<std::string>& soundListLines,
                           const ProjectState& state);

// The template: the user's own copy in the config folder when there is one,
// else the one the program ships.
std::filesystem::path TemplatePath(const Places& places);

// The template's bytes; nothing when it is missing or can't be read.
std::optional<std::string> ReadTemplate(const Places& places);

// Text from a widget, whose line breaks may be LF, CR or CR LF, with every
// line break made CR LF.
std::string WithCrLfLineEnds(std::string_view text);

// An empty pack name becomes "DEFAULT" from the moment the script is saved.
void ApplyDefaultPackName(ProjectState& state);

std::filesystem::path ScriptFilePath(const Places& places, std::string_view voicePackName);

// What the script file holds: the text and one CR LF.
std::string ScriptFileBytes(std::string_view text);

// The head of the pack's script: the one the user edited on the script page,
// or else the template's expansion with `soundNames`; nothing when there is
// no template to expand.
std::optional<std::string> ScriptHeadFor(const Places& places, const ProjectState& state,
                                         const std::vector<std::string>& soundNames);

// Replaces <program dir>/<name>.uc as a whole with the text and one CR LF.
// False when it can't be written; an old file is then left as it was.
bool WriteScriptFile(const Places& places, std::string_view voicePackName, std::string_view text);

}  // namespace voxmire
