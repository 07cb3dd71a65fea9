// The two textures of the user interface: "background.bmp" fills screens and
// "popup.bmp" fills panels. A user may put either file into the data folder
// to replace the built-in artwork.
//
// LoadTextures fills the Gfx's backgroundTexture and popupTexture, which the
// Gfx owns from then on; it is called once at start-up.
#pragma once

#include <functional>
#include <string>

#include "platform/images.h"
#include "platform/surface.h"
#include "ui/gfx.h"

namespace kal {

// Decodes a picture file into a surface; false when it cannot.
using ImageFileLoader = std::function<bool(const std::string& path, Surface& out)>;

// True when the file exists and its first two bytes are "BM".
bool IsBmpFile(const std::string& path);

// The texture from `path` when that file is a BMP that `load` decodes into a
// non-empty picture, else the built-in image `builtinName`.
Surface LoadTexture(const std::string& path, std::string_view builtinName, const ImageFileLoader& load);

// Both textures, from `dataFolder` (ending with '/') or built in.
void LoadTextures(Gfx& gfx, const std::string& dataFolder, const ImageFileLoader& load);
inline void LoadTextures(Gfx& gfx, const std::string& dataFolder) { LoadTextures(gfx, dataFolder, LoadImageFile); }

}  // namespace kal
