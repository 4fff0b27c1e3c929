// The installer archive's encodings: every int32 must survive a compact
// index round trip in at most five bytes, every NUL-free text an FString
// round trip, and a whole archive must read back as written, with the CRC
// the engine would compute.
#include <cstdlib>
#include <cstring>

#include "FuzzInput.h"
#include "output/Umod.h"
#include "support/UmodReader.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CompactIndexRoundTrip(std::int32_t value) {
  std::string bytes;
  voxmire::AppendCompactIndex(bytes, value);
  Check(!bytes.empty() && bytes.size() <= 5);
  std::size_t pos = 0;
  Check(voxmire::test::ReadCompactIndex(bytes, pos) == value && pos == bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  if (size >= 4) {
    std::int32_t value;
    std::memcpy(&value, data, sizeof value);
    CompactIndexRoundTrip(value);
  }
  // Whatever the bytes decode to must encode and decode to the same value.
  std::size_t pos = 0;
  if (const auto decoded = voxmire::test::ReadCompactIndex(input, pos)) {
    CompactIndexRoundTrip(*decoded);
  }

  const auto parts = voxmire::fuzz::Parts(data, size, 4);
  std::string text = parts[0];
  if (voxmire::AppendFString(text, parts[1])) {
    Check(parts[1].find('\0') == std::string::npos);
    pos = parts[0].size();
    Check(voxmire::test::ReadFString(text, pos) == parts[1] && pos == text.size());
  } else {
    Check(parts[1].find('\0') != std::string::npos && text == parts[0]);
  }

  Check(voxmire::MemCrc(input) == voxmire::test::BitwiseCrc(input));

  // Two entries named by the first parts, holding the others.
  const std::vector<voxmire::UmodEntry> entries{{parts[0], parts[2], 3}, {parts[1], parts[3], 0}};
  const auto umod = voxmire::BuildUmod(entries);
  const auto nameOk = [](const std::string& n) {
    return !n.empty() && n.find('\0') == std::string::npos;
  };
  Check(umod.has_value() == (nameOk(parts[0]) && nameOk(parts[1])));
  if (umod) {
    const auto reading = voxmire::test::ReadUmod(*umod);
    Check(reading.problem.empty() && reading.files.size() == 2);
    for (std::size_t i = 0; i < 2; ++i) {
      Check(reading.files[i].name == entries[i].name &&
            reading.files[i].bytes == entries[i].bytes &&
            reading.files[i].flags == entries[i].flags);
    }
  }
  return 0;
}
