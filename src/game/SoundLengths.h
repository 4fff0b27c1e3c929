#pragma once
// How long the pack's sounds play, found where the game finds them: the
// pack's own sounds in its folder (the copies the sound page converted),
// other sounds in the game's packages, and the stock voices' sounds, when the
// game directory lacks their package or holds it without sound data, by the
// times the stock classes give them.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameSounds.h"
#include "project/ProjectState.h"
#include "workarea/GameVoice.h"

namespace voxmire {

class GameSoundLengths : public SoundLengths {
 public:
  // The pack's own sounds are those `head` imports (see OwnSoundImports) and
  // those the state lists.
  GameSoundLengths(const ProjectState& state, const Places& places,
                   const std::filesystem::path& home, std::string_view head);

  std::optional<double> Length(std::string_view sound) override;

  // The file one of the pack's own sounds plays from: its copy in the pack's
  // folder, else the one in the sound directory; nothing for any other sound.
  std::optional<std::filesystem::path> OwnSoundFile(const SoundReference& reference) const;
  PackageFinder& Finder() { return finder_; }

 private:
  std::optional<double> GameLength(const SoundReference& reference);

  const ProjectState& state_;
  Places places_;
  std::vector<AudioImport> own_;
  PackageFinder finder_;
  // Sounds in the game's packages, by lower-cased Package.Group.Name: the
  // packages don't change while the program looks.
  std::map<std::string, std::optional<double>> game_;
};

}  // namespace voxmire
