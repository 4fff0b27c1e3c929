#include "Drives.h"

#include <algorithm>
#include <array>
#include <sstream>

#include "Files.h"

namespace voxmire {
namespace {

constexpr std::array<std::string_view, 27> kPseudoTypes = {
    "proc",        "sysfs",           "devpts",     "tmpfs",    "devtmpfs",   "cgroup",
    "cgroup2",     "mqueue",          "debugfs",    "tracefs",  "securityfs", "pstore",
    "bpf",         "autofs",          "hugetlbfs",  "configfs", "fusectl",    "binfmt_misc",
    "nsfs",        "ramfs",           "rpc_pipefs", "efivarfs", "overlay",    "squashfs",
    "fuse.portal", "fuse.gvfsd-fuse", "selinuxfs"};

constexpr std::array<std::string_view, 4> kSystemAreas = {"/proc", "/sys", "/dev", "/run"};

// /proc/mounts writes blanks and a few other bytes as octal escapes (\040).
std::string UnescapeMountField(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string_view digits = field.substr(i + 1, 3);
      if (digits.size() == 3 &&
          std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
        out +=
            static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

bool IsUnder(std::string_view path, std::string_view dir) {
  if (dir == "/") return true;
  return path == dir ||
         (path.size() > dir.size() && path.substr(0, dir.size()) == dir && path[dir.size()] == '/');
}

bool IsSystemArea(std::string_view mountPoint) {
  if (IsUnder(mountPoint, "/run/media")) return false;  // removable media live here
  return std::any_of(kSystemAreas.begin(), kSystemAreas.end(),
                     [&](std::string_view area) { return IsUnder(mountPoint, area); });
}

}  // namespace

std::vector<std::string> ParseMountPoints(std::string_view mountsText) {
  std::vector<std::string> drives{"/"};
  std::istringstream in{std::string(mountsText)};
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string device, mountPoint, type;
    if (!(fields >> device >> mountPoint >> type)) continue;
    mountPoint = UnescapeMountField(mountPoint);
    if (mountPoint.empty() || mountPoint.front() != '/' || mountPoint == "/") continue;
    if (std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end()) continue;
    if (IsSystemArea(mountPoint)) continue;
    if (std::find(drives.begin(), drives.end(), mountPoint) != drives.end()) continue;
    drives.push_back(mountPoint);
  }
  std::sort(drives.begin() + 1, drives.end());
  return drives;
}

std::vector<std::string> ListDrives() {
  const auto text = ReadFileBytes("/proc/mounts");
  return ParseMountPoints(text ? *text : std::string());
}

std::string DriveOf(std::string_view path, const std::vector<std::string>& drives) {
  std::string best = "/";
  for (const std::string& drive : drives) {
    if (IsUnder(path, drive) && drive.size() > best.size()) best = drive;
  }
  return best;
}

}  // namespace voxmire
