#include "ui/textures.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "ui/images.h"

namespace kal {
namespace {

// Stands in for the picture decoder: counts calls and yields a 2 × 3 picture
// (or fails, or yields nothing) as told.
struct FakeLoader {
  enum Mode { kPicture, kFail, kEmpty } mode = kPicture;
  int calls = 0;
  ImageFileLoader Fn() {
    return [this](const std::string&, Surface& out) {
      ++calls;
      if (mode == kFail) return false;
      out = mode == kEmpty ? Surface() : Surface(2, 3, Rgb(1, 2, 3));
      return true;
    };
  }
};

TEST(TexturesTest, BmpFilesInTheDataFolderReplaceTheBuiltInTextures) {
  test::TempDir dir;
  test::WriteAll(dir.File("background.bmp"), {'B', 'M', 0, 0});
  FakeLoader loader;
  Gfx gfx;
  LoadTextures(gfx, dir.path().string() + "/", loader.Fn());
  EXPECT_EQ(loader.calls, 1);
  EXPECT_EQ(gfx.backgroundTexture.width(), 2);
  EXPECT_EQ(gfx.backgroundTexture.At(1, 2), Rgb(1, 2, 3));
  // popup.bmp is missing: the built-in panel texture.
  EXPECT_EQ(gfx.popupTexture.pixels(), FindImage(PopupTextureImage)->pixels.pixels());
}

TEST(TexturesTest, AnythingButADecodableBmpFallsBack) {
  test::TempDir dir;
  const std::string folder = dir.path().string() + "/";
  const Surface& builtin = FindImage(BackgroundImage)->pixels;
  FakeLoader loader;

  test::WriteAll(dir.File("background.bmp"), {'P', 'N', 'G'});
  EXPECT_EQ(LoadTexture(folder + "background.bmp", BackgroundImage, loader.Fn()).pixels(), builtin.pixels());
  EXPECT_EQ(loader.calls, 0);  // not even offered to the decoder

  test::WriteAll(dir.File("background.bmp"), {'B'});
  EXPECT_FALSE(IsBmpFile(folder + "background.bmp"));
  EXPECT_FALSE(IsBmpFile(folder + "missing.bmp"));

  test::WriteAll(dir.File("background.bmp"), {'B', 'M'});
  EXPECT_TRUE(IsBmpFile(folder + "background.bmp"));
  loader.mode = FakeLoader::kFail;
  EXPECT_EQ(LoadTexture(folder + "background.bmp", BackgroundImage, loader.Fn()).pixels(), builtin.pixels());
  loader.mode = FakeLoader::kEmpty;
  EXPECT_EQ(LoadTexture(folder + "background.bmp", BackgroundImage, loader.Fn()).pixels(), builtin.pixels());
  EXPECT_EQ(loader.calls, 2);
}

}  // namespace
}  // namespace kal
