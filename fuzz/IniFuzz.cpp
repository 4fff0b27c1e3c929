// Settings files: reads and writes on arbitrary file bytes. A write must leave
// every line it doesn't touch byte for byte, and a value written must read back.
#include <cstdlib>

#include "FuzzInput.h"
#include "project/Ini.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Whether `after` is `before` with one span replaced and possibly a CR LF
// put at the end of a last line that had none: everything up to the first
// difference and everything after the last difference must come from `before`.
bool KeepsTheRest(const std::string& before, const std::string& after) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  // The changed span lies within one line of the old text, or at its end.
  const std::string_view changed(before.data() + head, before.size() - head - tail);
  return changed.find_first_of("\r\n") == std::string_view::npos ||
         head + tail == before.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = voxmire::fuzz::Parts(data, size, 4);
  const std::string& file = parts[0];
  const std::string& section = parts[1];
  const std::string& key = parts[2];
  const std::string& value = parts[3];

  const std::string read = voxmire::ProfileGetStringFromText(file, section, key);
  Check(read.size() <= voxmire::kIniValueLimit);

  const auto written = voxmire::ProfileWriteStringToText(file, section, key, value);
  if (!written) return 0;  // nothing to change
  Check(KeepsTheRest(file, *written));

  // Names and values the program uses have no line breaks, NUL or blanks at
  // their ends; for those the value must read back exactly.
  auto plain = [](const std::string& s) {
    return !s.empty() && s.find_first_of(std::string("\r\n\0[]=;", 7)) == std::string::npos &&
           s.front() > ' ' && s.back() > ' ' && static_cast<unsigned char>(s.front()) != 0xFF;
  };
  auto quoted = [](const std::string& s) {
    return s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front();
  };
  if (plain(section) && plain(key) && plain(value) && !quoted(value) &&
      value.size() <= voxmire::kIniValueLimit) {
    Check(voxmire::ProfileGetStringFromText(*written, section, key) == value);
  }
  return 0;
}
