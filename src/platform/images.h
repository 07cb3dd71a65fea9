// Reading pictures of any common format (the user's wallpaper, replacement
// textures) and writing PNG files (screenshots), through SDL_image.
//
// Works without a display: neither call needs a video driver. The image
// decoder is started on first use and stays for the life of the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/surface.h"

namespace kal {

// Decodes the file into `out` as 0x00BBGGRR pixels; transparent parts are
// shown over black. False (and `out` untouched) when the file is missing, not
// a picture SDL_image knows, or larger than 100 million pixels.
bool LoadImageFile(const std::string& path, Surface& out);

// Writes the surface as an 8-bit RGB PNG, or RGBA when `alpha` holds one
// opacity (0..255) per pixel, row by row. The picture goes to a temporary file
// in the same folder that is synced and renamed over `path`, so a crash leaves
// either the old file or the whole new one. False for an empty surface, an
// opacity count that does not match, or when any step fails.
bool WritePng(const Surface& surface, const std::string& path, const std::vector<std::uint8_t>& alpha = {});

}  // namespace kal
