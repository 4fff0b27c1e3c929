#pragma once
// What makes a voice pack name usable. The information page checks a typed
// name with it; a loaded project or an imported class is checked the same way.
#include <string>
#include <string_view>

namespace voxmire {

// A voice pack name becomes a file name, a directory in the game and the
// script's class name, so it must be an UnrealScript identifier: a letter or
// an underscore first, then letters, digits or underscores.
bool IsValidPackName(std::string_view name);

inline constexpr std::string_view kInvalidPackNameTitle = "Invalid name";

// The refusal of a name IsValidPackName rejects; lines are separated by CR.
std::string InvalidPackNameText(std::string_view name);

}  // namespace voxmire
