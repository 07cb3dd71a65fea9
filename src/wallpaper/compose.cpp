#include "wallpaper/compose.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "platform/images.h"

namespace kal {

namespace {

int RoundEven(double v) { return static_cast<int>(std::lrint(v)); }

int FloorHalf(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

PlacedCopy CentredCopy(int w, int h, int sw, int sh) { return PlacedCopy{-FloorHalf(w - sw), -FloorHalf(h - sh), w, h}; }

}  // namespace

std::vector<PlacedCopy> PlacePicture(WallpaperPlacement placement, int pw, int ph, int sw, int sh) {
  if (pw <= 0 || ph <= 0 || sw <= 0 || sh <= 0) return {};
  const double sx = static_cast<double>(sw) / pw;
  const double sy = static_cast<double>(sh) / ph;
  switch (placement) {
    case WallpaperPlacement::Filled:
    case WallpaperPlacement::Spanned:
    case WallpaperPlacement::Fitted: {
      const bool fill = placement != WallpaperPlacement::Fitted;
      const double s = fill ? std::max(sx, sy) : std::min(sx, sy);
      return {CentredCopy(RoundEven(s * pw), RoundEven(s * ph), sw, sh)};
    }
    case WallpaperPlacement::Stretched:
      return {PlacedCopy{0, 0, RoundEven(sx * pw), RoundEven(sy * ph)}};
    case WallpaperPlacement::Tiled: {
      std::vector<PlacedCopy> copies;
      for (int y = 0; y < sh; y += ph) {
        for (int x = 0; x < sw; x += pw) copies.push_back(PlacedCopy{x, y, pw, ph});
      }
      return copies;
    }
    case WallpaperPlacement::Centred:
      // Rounded towards the top-left, where a scaled copy's overhang is cut from it.
      return {PlacedCopy{FloorHalf(sw - pw), FloorHalf(sh - ph), pw, ph}};
    case WallpaperPlacement::NoPicture:
      break;
  }
  return {};
}

void DrawPictureScaled(Surface& target, const Surface& picture, const PlacedCopy& copy) {
  if (copy.width <= 0 || copy.height <= 0 || picture.width() <= 0 || picture.height() <= 0) return;
  const Rect area = Rect{copy.x, copy.y, copy.x + copy.width, copy.y + copy.height}.Intersect(target.clip());
  if (area.Empty()) return;
  // Source column of every target column, computed once: the inner loop is a copy.
  std::vector<int> columns(static_cast<std::size_t>(area.Width()));
  for (int x = area.left; x < area.right; ++x) {
    columns[static_cast<std::size_t>(x - area.left)] =
        static_cast<int>((static_cast<long long>(x - copy.x) * picture.width()) / copy.width);
  }
  const bool sameWidth = copy.width == picture.width();
  for (int y = area.top; y < area.bottom; ++y) {
    const int sy = static_cast<int>((static_cast<long long>(y - copy.y) * picture.height()) / copy.height);
    const Colour* src = picture.Row(sy);
    Colour* dst = target.Row(y) + area.left;
    if (sameWidth) {
      std::copy_n(src + (area.left - copy.x), area.Width(), dst);
    } else {
      for (std::size_t i = 0; i < columns.size(); ++i) dst[i] = src[columns[i]];
    }
  }
}

ComposeOutcome ComposeUserWallpaper(const std::string& userFile, const std::string& ownFile,
                                    WallpaperPlacement placement, Colour desktopColour, int sw, int sh, Surface& out) {
  out.Resize(sw, sh, desktopColour);
  std::error_code ec;
  if (userFile.empty() || userFile == ownFile || !std::filesystem::is_regular_file(userFile, ec)) {
    return ComposeOutcome::kPlain;
  }
  Surface picture;
  if (!LoadImageFile(userFile, picture)) return ComposeOutcome::kUnsupported;
  const std::vector<PlacedCopy> copies = PlacePicture(placement, picture.width(), picture.height(), sw, sh);
  if (copies.size() == 1 && copies.front() == PlacedCopy{0, 0, sw, sh} && picture.width() == sw &&
      picture.height() == sh) {
    // A picture made for this screen covers it exactly: it is the result.
    out = std::move(picture);
    return ComposeOutcome::kPicture;
  }
  for (const PlacedCopy& copy : copies) {
    DrawPictureScaled(out, picture, copy);
  }
  return ComposeOutcome::kPicture;
}

}  // namespace kal
