// Script template expansion with an arbitrary template, sound list and values.
#include <cstdlib>

#include "FuzzInput.h"
#include "core/Files.h"
#include "output/ScriptTemplate.h"
#include "project/ProjectState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = voxmire::fuzz::Parts(data, size, 6);
  voxmire::ProjectState state;
  state.VoicePackName = parts[1].substr(0, 15);  // the name field holds 15 characters
  state.BaseVoiceClass = parts[2];
  state.BaseVoicePackage = parts[3];
  state.SoundDir = parts[4];
  const auto sounds = voxmire::SplitLines(parts[5]);

  const std::string text = voxmire::ExpandTemplate(parts[0], sounds, state);
  // Every line of the expansion ends with CR LF, as the template's lines do.
  if (!parts[0].empty() && (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)) {
    std::abort();
  }
  const std::string bytes = voxmire::ScriptFileBytes(text);
  if (bytes.size() != text.size() + 2) std::abort();
  return 0;
}
