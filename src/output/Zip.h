#pragma once
// Zip archives, built in memory. The only place that speaks to libzip, so
// the rest of the program deals in names and bytes.
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace voxmire {

struct ZipMember {
  std::string name;  // UTF-8, folders separated by '/'
  std::string bytes;
  std::time_t modified = 0;  // 0 for now
};

// The bytes of a zip file holding the members (deflated) in the order given.
// Nothing, with `error` set, when there are none, two share a name, or
// libzip fails.
std::optional<std::string> BuildZip(const std::vector<ZipMember>& members, std::string& error);

}  // namespace voxmire
