// The package reader on arbitrary bytes: it never reads outside the input,
// never allocates more than the input could hold, and always says why it
// refuses.
#include <cstdlib>

#include "game/Package.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  voxmire::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
  const voxmire::PackageIndex index = voxmire::ReadPackageIndex(source);
  if (!index.Ok()) {
    if (index.Error.empty()) std::abort();
    return 0;
  }
  if (index.Objects.size() > size || index.Names.size() > size) std::abort();
  for (const voxmire::PackageObject& object : index.Objects) {
    if (!object.IsSound()) continue;
    const voxmire::SoundData sound = voxmire::ReadSoundData(source, index, object);
    if (!sound.Ok() && sound.Error.empty()) std::abort();
    if (sound.Bytes.size() > size) std::abort();
  }
  return 0;
}
