#pragma once
// Who makes this program and where to find them. The about box, the splash,
// the generated script's credit lines and the compile report all use these.
#include <string_view>

namespace voxmire {

inline constexpr std::string_view kProductName = "Voxmire";
inline constexpr std::string_view kMakerName = "Harkline Software";
inline constexpr std::string_view kProductWebPage = "https://voxmire.harkline.example/";
inline constexpr std::string_view kContactAddress = "voxmire@harkline.example";
inline constexpr std::string_view kVersionText = "Version 1.0 Beta";

}  // namespace voxmire
