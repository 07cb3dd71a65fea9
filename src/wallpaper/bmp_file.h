// "wallpaper.bmp": the composed wallpaper as a 24-bit bottom-up BMP, the
// form every desktop reads.
#pragma once

#include <string>

#include "platform/surface.h"

namespace kal {

// Bytes per pixel row of a 24-bit BMP: three per pixel, padded to a multiple of 4.
int BmpRowStride(int width);

// The whole file: 14-byte file header, 40-byte information header, then the
// rows bottom first as blue, green, red bytes.
std::string EncodeBmp24(const Surface& surface);

// Writes the file through a temporary file in the same folder that is synced
// and renamed over `path`, so a desktop that reloads the picture never reads
// half of it. False, with the reason in *error, when any step failed; the old
// file is then untouched.
bool SaveBitmapAsBmp(const std::string& path, const Surface& surface, std::string* error = nullptr);

}  // namespace kal
