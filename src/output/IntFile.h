#pragma once
// The pack's int file: the two lines that make the game list the new voice.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/Places.h"

namespace voxmire {

// The description the int file page proposes: "<name> by <author>".
std::string DefaultDescription(std::string_view voicePackName, std::string_view authorName);

// The metaclass the game lists a voice under for players of this gender
// ("Male", "Female", "Boss"): "BotPack.Voice" + gender. The player setup menu
// only offers a voice whose metaclass matches the model's exactly.
std::string MetaClassFor(std::string_view voiceGender);

// "[Public]", CR LF and the Object= line, with no line end after it (the
// writer adds that).
std::string IntFileText(std::string_view voicePackName, std::string_view metaClass,
                        std::string_view description);

// Why the description can't go into the int file, or nothing when it can.
// A double quote would end the quoted value early and nothing can escape it.
std::optional<std::string> DescriptionProblem(std::string_view description);

// The generated int file, <state folder>/<name>.int.
std::filesystem::path IntFilePath(const Places& places, std::string_view voicePackName);

// Writes `text` followed by CR LF to IntFilePath, replacing any earlier
// file as a whole. False when it can't be written.
bool WriteIntFile(const Places& places, std::string_view voicePackName, std::string_view text);

}  // namespace voxmire
