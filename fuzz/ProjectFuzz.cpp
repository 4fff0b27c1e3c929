// Project files: any bytes either give a clear problem or a state that
// writes back to a file reading as the very same state.
#include <cstdlib>
#include <string_view>

#include "project/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const voxmire::ProjectRead read = voxmire::ReadProjectText(text);
  if (!read.state) {
    if (read.problem.empty()) std::abort();
    return 0;
  }
  const std::string written = voxmire::ProjectFileText(*read.state);
  const voxmire::ProjectRead again = voxmire::ReadProjectText(written);
  if (!again.state || !(*again.state == *read.state)) std::abort();
  if (voxmire::ProjectFileText(*again.state) != written) std::abort();
  return 0;
}
