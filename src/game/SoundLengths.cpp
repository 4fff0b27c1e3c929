#include "game/SoundLengths.h"

#include <system_error>

#include "core/Ascii.h"
#include "core/Files.h"
#include "sounds/PackSounds.h"
#include "sounds/WavInfo.h"
#include "workarea/BaseVoicePresets.h"

namespace voxmire {
namespace fs = std::filesystem;

GameSoundLengths::GameSoundLengths(const ProjectState& state, const Places& places,
                                   const fs::path& home, std::string_view head)
    : state_(state),
      places_(places),
      own_(OwnSoundImports(head, state.VoicePackName)),
      finder_(GamePackagePaths(state, home)) {}

std::optional<fs::path> GameSoundLengths::OwnSoundFile(const SoundReference& reference) const {
  if (state_.VoicePackName.empty() || !SameAscii(reference.Package, state_.VoicePackName)) {
    return std::nullopt;
  }
  // The head's imports, and the pack's sounds as the template imports them
  // (a sound added since the head was read among them).
  std::optional<std::string> name;
  for (const AudioImport& sound : own_) {
    if (SameAscii(sound.name, reference.Name)) name = sound.name;
  }
  for (const std::string& sound : state_.Sounds) {
    if (!name && SameAscii(sound, reference.Name)) name = sound;
  }
  if (!name) return std::nullopt;
  const fs::path copy = PackSoundFile(places_, state_.VoicePackName, *name);
  std::error_code ec;
  if (fs::is_regular_file(copy, ec)) return copy;
  return FsPath(state_.SoundDir + *name + ".wav");
}

std::optional<double> GameSoundLengths::Length(std::string_view sound) {
  if (IsNoSound(sound)) return std::nullopt;
  const auto reference = ParseSoundReference(sound);
  if (!reference) return std::nullopt;
  // A recording may be replaced under the same name at any time: never kept.
  if (const auto own = OwnSoundFile(*reference)) return WavFileSeconds(*own);
  if (SameAscii(reference->Package, state_.VoicePackName)) return std::nullopt;
  std::string key = reference->Package + "." + reference->Group + "." + reference->Name;
  for (char& c : key) c = AsciiLower(c);
  const auto cached = game_.find(key);
  if (cached != game_.end()) return cached->second;
  return game_[key] = GameLength(*reference);
}

std::optional<double> GameSoundLengths::GameLength(const SoundReference& reference) {
  if (const PackageIndex* index = finder_.Index(reference.Package); index && index->Ok()) {
    if (const PackageObject* object = FindSound(*index, reference)) {
      FileSource source(*finder_.Find(reference.Package));
      const SoundData data = ReadSoundData(source, *index, *object);
      if (data.Ok() && !data.Bytes.empty()) return WavSecondsOfBytes(data.Bytes);
    }
  }
  // Stripped or missing: what the stock classes know of their own sounds.
  return StockSoundTime(reference.Package, reference.Name);
}

}  // namespace voxmire
