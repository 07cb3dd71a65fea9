// The 22 styles of the desktop calendar: dark lines on a white veil (0-10)
// or light lines on a black veil (11-21), the veil from none to solid.
// The style number is the "wallpaper_color" setting.
#pragma once

#include <cstdint>
#include <string>

namespace kal {

inline constexpr int WallpaperStyleCount = 22;

// "Dark Outlines - 50% Background" ...; empty outside 0-21.
std::string WallpaperStyleName(std::int32_t style);

}  // namespace kal
