#pragma once
// On Linux the "drives" of a drive list are the mount points of real file
// systems, "/" first. A drive's root is its mount path.
#include <string>
#include <string_view>
#include <vector>

namespace voxmire {

// Mount points from the text of /proc/mounts (or /etc/mtab): "/" first, then
// the others in name order; pseudo file systems and system areas left out.
std::vector<std::string> ParseMountPoints(std::string_view mountsText);

// The mount points of this machine, from /proc/mounts; just "/" when that
// can't be read.
std::vector<std::string> ListDrives();

// The drive (from `drives`) that holds `path`: the longest mount point that
// is `path` itself or one of its parents; "/" when none is.
std::string DriveOf(std::string_view path, const std::vector<std::string>& drives);

}  // namespace voxmire
