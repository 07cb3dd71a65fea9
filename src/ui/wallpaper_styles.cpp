#include "ui/wallpaper_styles.h"

#include <cmath>

namespace kal {

std::string WallpaperStyleName(std::int32_t style) {
  if (style < 0 || style >= WallpaperStyleCount) return {};
  const bool dark = style <= 10;
  const int step = dark ? style : style - 11;
  std::string name = dark ? "Dark Outlines - " : "Light Outlines - ";
  if (step == 0) return name + "No Background";
  if (step == 10) return name + (dark ? "White Background" : "Black Background");
  return name + std::to_string(10 * step) + "% Background";
}

WallpaperStyle WallpaperStyleOf(std::int32_t style) {
  if (style < 0 || style >= WallpaperStyleCount) style = 0;
  const bool dark = style <= 10;
  const int percent = dark ? 10 * style : 10 * style - 110;
  // The product is taken in double from the single-precision factor: in
  // float it would round 127.4999976 up to 127.5 and then to 128.
  constexpr double kFactor = static_cast<double>(2.55f);
  WallpaperStyle s;
  s.alpha = static_cast<int>(std::lrint(percent * kFactor));
  s.veil = dark ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
  s.line = dark ? Rgb(0, 0, 0) : Rgb(255, 255, 255);
  s.bandText = dark ? Rgb(200, 200, 200) : Rgb(0, 0, 0);
  return s;
}

}  // namespace kal
