#include "output/IntFile.h"

#include "core/Files.h"

namespace voxmire {

std::string DefaultDescription(std::string_view voicePackName, std::string_view authorName) {
  std::string text(voicePackName);
  text += " by ";
  text += authorName;
  return text;
}

std::string MetaClassFor(std::string_view voiceGender) {
  std::string metaClass = "BotPack.Voice";
  metaClass += voiceGender;
  return metaClass;
}

std::string IntFileText(std::string_view voicePackName, std::string_view metaClass,
                        std::string_view description) {
  std::string text = "[Public]\r\nObject=(Name=";
  text += voicePackName;
  text += '.';
  text += voicePackName;
  text += ",Class=Class,MetaClass=";
  text += metaClass;
  text += ",Description=\"";
  text += description;
  text += "\")";
  return text;
}

std::optional<std::string> DescriptionProblem(std::string_view description) {
  if (description.find('"') != std::string_view::npos) {
    return "The description can't contain a double quote (\"): the game would cut the "
           "description off there. Please remove it.";
  }
  return std::nullopt;
}

std::filesystem::path IntFilePath(const Places& places, std::string_view voicePackName) {
  return Join(places.state, std::string(voicePackName) + ".int");
}

bool WriteIntFile(const Places& places, std::string_view voicePackName, std::string_view text) {
  std::string bytes(text);
  bytes += "\r\n";
  return WriteFileAtomic(IntFilePath(places, voicePackName), bytes);
}

}  // namespace voxmire
