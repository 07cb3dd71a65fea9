// The user's own wallpaper laid out at screen size the way the desktop shows
// it: centred, tiled, stretched, fitted or filled over the desktop colour.
// The desktop calendar is drawn on the result; the options screen shows it
// scaled down as its preview.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop_wallpaper.h"
#include "platform/surface.h"

namespace kal {

// Where one copy of a pw x ph picture goes on a sw x sh screen, at the size
// it is drawn.
struct PlacedCopy {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PlacedCopy&) const = default;
};

// Every copy the placement draws (tiling gives one per position inside the
// screen; None gives none). Scales are screen / picture per axis; sizes are
// rounded half to even and a centred copy's offset is -floor(overhang / 2).
std::vector<PlacedCopy> PlacePicture(WallpaperPlacement placement, int pw, int ph, int sw, int sh);

// Draws `picture` scaled to the copy's size, nearest pixel (colour on colour,
// no smoothing), clipped to the target.
void DrawPictureScaled(Surface& target, const Surface& picture, const PlacedCopy& copy);

enum class ComposeOutcome {
  kPicture,      // the picture is placed over the desktop colour
  kPlain,        // no usable file name: the plain desktop colour, no message
  kUnsupported,  // the file is there but could not be decoded
};

// A sw x sh picture of the user's wallpaper. A file name that is empty,
// missing or the program's own output gives the plain colour.
ComposeOutcome ComposeUserWallpaper(const std::string& userFile, const std::string& ownFile,
                                    WallpaperPlacement placement, Colour desktopColour, int sw, int sh, Surface& out);

}  // namespace kal
