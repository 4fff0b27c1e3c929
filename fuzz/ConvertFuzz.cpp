// Arbitrary bytes as a recording, the first byte choosing the options: a
// result is either refused with a reason or a file the game imports, and
// a copy is the recording byte for byte. Also the name made of the bytes
// taken as a file name is always one the game can hold.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/Files.h"
#include "sounds/Convert.h"
#include "sounds/PackSounds.h"
#include "sounds/WavInfo.h"

namespace {

namespace fs = std::filesystem;

const fs::path& WorkDir() {
  static const fs::path dir = [] {
    std::string pattern = (fs::temp_directory_path() / "voxmire-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return fs::path(pattern);
  }();
  return dir;
}

bool GameCanHold(const std::string& name) {
  if (name.empty() || name.size() > 63) return false;
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (!letter(name.front())) return false;
  for (char c : name) {
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!GameCanHold(voxmire::GameSoundName(bytes))) std::abort();
  if (size == 0) return 0;

  const fs::path source = WorkDir() / "in.wav";
  const fs::path target = WorkDir() / "out.wav";
  std::error_code ec;
  fs::remove(target, ec);
  if (!voxmire::WriteFileAtomic(source, bytes.substr(1))) std::abort();
  const voxmire::ConvertOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0};
  const voxmire::PrepareResult result = voxmire::PrepareSound(source, target, options);
  switch (result.outcome) {
    case voxmire::PrepareOutcome::Refused:
      if (result.reason.empty() || fs::exists(target)) std::abort();
      break;
    case voxmire::PrepareOutcome::Copied:
      if (voxmire::ReadFileBytes(target) != bytes.substr(1)) std::abort();
      break;
    case voxmire::PrepareOutcome::Converted:
      if (voxmire::InspectWavFile(target).kind != voxmire::WavVerdictKind::Importable) std::abort();
      break;
    default:
      std::abort();
  }
  return 0;
}
