// The program's built-in artwork: small bitmaps for buttons, lists and the
// file chooser, the title artwork, the two textures and the program icons.
//
// Every image is drawn by code in images.cpp the first time any image is
// asked for, and then lives, unchanged, until the program ends; the pointers
// handed out stay valid for that whole time and may be shared between threads.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/surface.h"

namespace kal {

struct Image {
  Surface pixels;
  // Per-pixel opacity (0..255), row by row, for icons. Empty for bitmaps,
  // which are opaque except for their pure white pixels.
  std::vector<std::uint8_t> alpha;
};

// Name of the built-in panel texture used when "popup.bmp" is missing.
constexpr std::string_view PopupTextureImage = "POPUP_TEXTURE";
// Name of the built-in screen texture used when "background.bmp" is missing.
constexpr std::string_view BackgroundImage = "BACKGROUND";

// The built-in image of that name (names are upper case, as "ARROW_UP"), or
// null when there is none.
const Image* FindImage(std::string_view name);

// Every built-in image name, in a fixed order.
const std::vector<std::string_view>& ImageNames();

// The program icon drawn afresh at size x size pixels, for the desktop's icon
// theme: the "PROGRAM" artwork from 32 pixels up, the bolder "SMALL" below.
Image ProgramIcon(int size);

}  // namespace kal
