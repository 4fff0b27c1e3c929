#include "output/ScriptTemplate.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/Ascii.h"
#include "core/Files.h"

namespace voxmire {
namespace {

constexpr char kQuote = '"';

}  // namespace

bool ReplaceFirstIgnoringCase(std::string& text, std::string_view word, std::string_view value) {
  const auto found = std::search(text.begin(), text.end(), word.begin(), word.end(),
                                 [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
  if (word.empty() || found == text.end()) return false;
  text.replace(found, found + static_cast<std::ptrdiff_t>(word.size()), value);
  return true;
}

std::string ImportStatement(std::string_view soundName, const ProjectState& state) {
  // The compile puts the pack's sounds in <UTDir>/<Name>/Sounds, next to
  // Classes, and the compiler looks for FILE relative to Classes' parent: so
  // neither the user's folder names nor ours ever reach it.
  std::string s = "#exec AUDIO IMPORT FILE=";
  s += kQuote;
  s += "Sounds\\";
  s += soundName;
  s += ".wav";
  s += kQuote;
  s += " NAME=";
  s += kQuote;
  s += soundName;
  s += kQuote;
  s += " PACKAGE=";
  s += kQuote;
  s += state.VoicePackName;
  s += kQuote;
  s += " GROUP=";
  s += kQuote;
  s += state.VoicePackName;
  s += kQuote;
  return s;
}

std::string ImportBlock(const std::vector<std::string>& soundNames, const ProjectState& state) {
  std::string block;
  for (const std::string& name : soundNames) {
    block += "\r\n";
    block += ImportStatement(name, state);
  }
  return block;
}

std::string ExpandTemplate(std::string_view templateBytes,
                           const std::vector<std::string>& soundListLines,
                           const ProjectState& state) {
  std::string text;
  for (const std::string& line : SplitLines(templateBytes)) {
    text += line;
    text += "\r\n";
  }
  // Each step takes the first occurrence left in the text as it stands,
  // values inserted by earlier steps included.
  const std::array<std::pair<std::string_view, const std::string*>, 5> steps = {{
      {"VOICEPACK_NAME", &state.VoicePackName},
      {"GENDER_OF_VOICE", &state.BaseVoiceClass},
      {"VOICE_PACK_BASE", &state.BaseVoicePackage},
      {"VOICEPACK_NAME", &state.VoicePackName},
      {"VOICEPACK_NAME", &state.VoicePackName},
  }};
  for (const auto& [word, value] : steps) ReplaceFirstIgnoringCase(text, word, *value);
  ReplaceFirstIgnoringCase(text, "OTHER_EXEC_STATEMENTS", ImportBlock(soundListLines, state));
  return text;
}

std::filesystem::path TemplatePath(const Places& places) {
  const std::filesystem::path own = Join(places.config, kTemplateFileName);
  std::error_code ec;
  return std::filesystem::exists(own, ec) ? own : Join(places.share, kTemplateFileName);
}

std::optional<std::string> ReadTemplate(const Places& places) {
  return ReadFileBytes(TemplatePath(places));
}

std::optional<std::string> ScriptHeadFor(const Places& places, const ProjectState& state,
                                         const std::vector<std::string>& soundNames) {
  if (state.ScriptHead) return state.ScriptHead;
  const auto templ = ReadTemplate(places);
  if (!templ) return std::nullopt;
  return ExpandTemplate(*templ, soundNames, state);
}

std::string WithCrLfLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

void ApplyDefaultPackName(ProjectState& state) {
  if (state.VoicePackName.empty()) state.VoicePackName = kDefaultPackName;
}

std::filesystem::path ScriptFilePath(const Places& places, std::string_view voicePackName) {
  return Join(places.state, std::string(voicePackName) + ".uc");
}

std::string ScriptFileBytes(std::string_view text) { return std::string(text) + "\r\n"; }

bool WriteScriptFile(const Places& places, std::string_view voicePackName, std::string_view text) {
  return WriteFileAtomic(ScriptFilePath(places, voicePackName), ScriptFileBytes(text));
}

}  // namespace voxmire
