// The 22 styles of the desktop calendar: dark lines on a white veil (0-10)
// or light lines on a black veil (11-21), the veil from none to solid.
// The style number is the "wallpaper_color" setting. The options screen lists
// the names; the desktop calendar draws with the colours and the alpha.
#pragma once

#include <cstdint>
#include <string>

#include "platform/surface.h"

namespace kal {

inline constexpr int WallpaperStyleCount = 22;

// "Dark Outlines - 50% Background" ...; empty outside 0-21.
std::string WallpaperStyleName(std::int32_t style);

struct WallpaperStyle {
  Colour veil = 0;       // blended over the picture inside the day grid
  int alpha = 0;         // 0..255, the veil's opacity
  Colour line = 0;       // outlines, day labels, the weekday band's fill
  Colour bandText = 0;   // weekday names and separators in the band
};

// The style's colours and veil opacity. The opacity is the percentage times
// 2.55 held in single precision (2.5499999523), rounded half to even, so 50 %
// gives 127. A number outside 0-21 is drawn as style 0.
WallpaperStyle WallpaperStyleOf(std::int32_t style);

}  // namespace kal
