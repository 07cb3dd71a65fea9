#include "ui/textures.h"

#include <fstream>

#include "ui/images.h"

namespace kal {

bool IsBmpFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[2] = {0, 0};
  return in.read(magic, 2) && magic[0] == 'B' && magic[1] == 'M';
}

Surface LoadTexture(const std::string& path, std::string_view builtinName, const ImageFileLoader& load) {
  if (load && IsBmpFile(path)) {
    Surface picture;
    // An empty picture would make every tiled area stay unpainted.
    if (load(path, picture) && picture.width() > 0 && picture.height() > 0) {
      picture.ResetClip();
      return picture;
    }
  }
  const Image* builtin = FindImage(builtinName);
  return builtin != nullptr ? builtin->pixels : Surface();
}

void LoadTextures(Gfx& gfx, const std::string& dataFolder, const ImageFileLoader& load) {
  gfx.backgroundTexture = LoadTexture(dataFolder + "background.bmp", BackgroundImage, load);
  gfx.popupTexture = LoadTexture(dataFolder + "popup.bmp", PopupTextureImage, load);
}

}  // namespace kal
