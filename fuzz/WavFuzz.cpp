// The WAV header check on arbitrary bytes: it never reads past the buffer
// and always gives a reason for anything it doesn't take as it is.
#include <cstdlib>

#include "sounds/WavInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const voxmire::WavVerdict verdict =
      voxmire::InspectWavBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  const bool needsReason = verdict.kind != voxmire::WavVerdictKind::Importable;
  if (needsReason == verdict.reason.empty()) std::abort();
  return 0;
}
