#include "screens/wallpaper_styles.h"

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

}  // namespace kal
