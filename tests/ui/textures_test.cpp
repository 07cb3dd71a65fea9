#include "ui/textures.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "ui/images.h"

namespace kal {
namespace {

enum class Decoded { kPicture, kFail, kEmpty };

// Stands in for the picture decoder: counts calls and yields a 2 × 3 picture,
// fails, or yields nothing.
ImageFileLoader FakeLoader(const Decoded& mode, int& calls) {
  return [&](const std::string&, Surface& out) {
    ++calls;
    if (mode == Decoded::kFail) return false;
    out = mode == Decoded::kEmpty ? Surface() : Surface(2, 3, Rgb(1, 2, 3));
    return true;
  };
}

TEST(Textures, DecodableBmpFilesReplaceTheBuiltInsAndAnythingElseFallsBack) {
  test::TempDir dir;
  const std::string folder = dir.path().string() + "/";
  Decoded mode = Decoded::kPicture;
  int calls = 0;
  test::WriteAll(dir.File("background.bmp"), {'B', 'M', 0, 0});
  Gfx gfx;
  LoadTextures(gfx, folder, FakeLoader(mode, calls));
  EXPECT_EQ(calls, 1);  // popup.bmp is missing: the built-in panel texture
  EXPECT_EQ(gfx.backgroundTexture.width(), 2);
  EXPECT_EQ(gfx.backgroundTexture.At(1, 2), Rgb(1, 2, 3));
  EXPECT_EQ(gfx.popupTexture.pixels(), FindImage(PopupTextureImage)->pixels.pixels());

  const auto& builtin = FindImage(BackgroundImage)->pixels.pixels();
  const std::string file = folder + "background.bmp";
  calls = 0;
  test::WriteAll(file, {'P', 'N', 'G'});
  EXPECT_EQ(LoadTexture(file, BackgroundImage, FakeLoader(mode, calls)).pixels(), builtin);
  EXPECT_EQ(calls, 0);  // not even offered to the decoder
  test::WriteAll(file, {'B'});
  EXPECT_FALSE(IsBmpFile(file));
  EXPECT_FALSE(IsBmpFile(folder + "missing.bmp"));
  test::WriteAll(file, {'B', 'M'});
  EXPECT_TRUE(IsBmpFile(file));
  for (Decoded failure : {Decoded::kFail, Decoded::kEmpty}) {
    mode = failure;
    EXPECT_EQ(LoadTexture(file, BackgroundImage, FakeLoader(mode, calls)).pixels(), builtin);
  }
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace kal
