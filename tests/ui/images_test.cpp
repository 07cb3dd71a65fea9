// The built-in images, and the textures that BMP files in the data folder
// may replace.

#include "ui/images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/test_support.h"
#include "ui/textures.h"

namespace kal {
namespace {

constexpr Colour kWhite = Rgb(255, 255, 255);

// Pixels that are not white in x0 <= x < x1, y0 <= y < y1.
int InkIn(std::string_view name, int x0, int y0, int x1, int y1) {
  const Image* image = FindImage(name);
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += image->pixels.At(x, y) != kWhite;
  return n;
}

TEST(Images, BitmapsHaveInkAndTransparencyIconsTheirOpacityArrowsTheirWay) {
  for (std::string_view name : ImageNames()) {
    SCOPED_TRACE(std::string(name));
    const Image* image = FindImage(name);
    ASSERT_NE(image, nullptr);
    const int w = image->pixels.width(), h = image->pixels.height();
    if (!image->alpha.empty()) {  // icons: 32 square, rounded see-through corners
      EXPECT_EQ(std::pair(w, h), std::pair(32, 32));
      ASSERT_EQ(image->alpha.size(), 32u * 32u);
      EXPECT_EQ(image->alpha[0], 0);
      EXPECT_EQ(image->alpha[16 * 32 + 16], 255);
    } else if (name != BackgroundImage && name != PopupTextureImage) {
      const int ink = InkIn(name, 0, 0, w, h);
      EXPECT_LT(ink, w * h);      // a transparent surround
      EXPECT_GT(ink * 10, w * h);  // and real ink
    }
  }
  EXPECT_EQ(FindImage("BIG_LEFT")->pixels.height(), 16);
  EXPECT_EQ(FindImage("arrow_up"), nullptr);
  EXPECT_EQ(FindImage(""), nullptr);
  EXPECT_EQ(FindImage("TITLE"), FindImage("TITLE"));  // callers may keep the pointer
  // Each arrow has more ink on the side it points away from.
  EXPECT_GT(InkIn("ARROW_UP", 0, 4, 8, 8), InkIn("ARROW_UP", 0, 0, 8, 4));
  EXPECT_GT(InkIn("ARROW_DOWN", 0, 0, 8, 4), InkIn("ARROW_DOWN", 0, 4, 8, 8));
  EXPECT_GT(InkIn("ARROW_LEFT", 4, 0, 8, 8), InkIn("ARROW_LEFT", 0, 0, 4, 8));
  EXPECT_GT(InkIn("ARROW_RIGHT", 0, 0, 4, 8), InkIn("ARROW_RIGHT", 4, 0, 8, 8));
  EXPECT_GT(InkIn("BIG_LEFT", 4, 0, 8, 16), InkIn("BIG_LEFT", 0, 0, 4, 16));
  EXPECT_GT(InkIn("BIG_RIGHT", 0, 0, 4, 16), InkIn("BIG_RIGHT", 4, 0, 8, 16));
}

// The desktop's icon theme gets the same artwork at every size: the same
// share of the square inked, transparent corners, an opaque page.
TEST(Images, ProgramIconScalesTheArtwork) {
  const Image* program = FindImage("PROGRAM");
  const Image* small = FindImage("SMALL");
  ASSERT_NE(program, nullptr);
  ASSERT_NE(small, nullptr);
  const Image same = ProgramIcon(32);
  EXPECT_EQ(same.pixels.pixels(), program->pixels.pixels());
  EXPECT_EQ(same.alpha, program->alpha);
  const auto inked = [](const Image& icon) {
    double sum = 0;
    for (std::uint8_t a : icon.alpha) sum += a / 255.0;
    return sum / static_cast<double>(icon.alpha.size());
  };
  for (int size : {16, 22, 24, 48, 64, 128, 256}) {
    const Image icon = ProgramIcon(size);
    ASSERT_EQ(icon.pixels.width(), size);
    ASSERT_EQ(icon.pixels.height(), size);
    ASSERT_EQ(icon.alpha.size(), static_cast<std::size_t>(size) * size);
    EXPECT_EQ(icon.alpha[0], 0) << size;
    EXPECT_EQ(icon.alpha[static_cast<std::size_t>(size) * (size * 3 / 4) + size / 2], 255) << size;
    EXPECT_NEAR(inked(icon), inked(size < 32 ? *small : *program), 0.03) << size;
  }
}

TEST(Images, TexturesTileWithoutSeamsAndAreLight) {
  auto diff = [](Colour a, Colour b) {
    return std::abs(RedOf(a) - RedOf(b)) + std::abs(GreenOf(a) - GreenOf(b)) + std::abs(BlueOf(a) - BlueOf(b));
  };
  for (std::string_view name : {BackgroundImage, PopupTextureImage}) {
    SCOPED_TRACE(std::string(name));
    const Surface& t = FindImage(name)->pixels;
    ASSERT_EQ(std::pair(t.width(), t.height()), std::pair(100, 100));
    // The steps across the wrap edges are no bigger than those inside.
    int inside = 0, across = 0;
    long sum = 0;
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) {
        const Colour c = t.At(x, y);
        int& right = x == 99 ? across : inside;
        right = std::max(right, diff(c, t.At((x + 1) % 100, y)));
        int& below = y == 99 ? across : inside;
        below = std::max(below, diff(c, t.At(x, (y + 1) % 100)));
        sum += RedOf(c) + GreenOf(c) + BlueOf(c);
      }
    }
    EXPECT_LE(across, inside);
    EXPECT_LE(inside, 24);
    EXPECT_GT(sum / (3 * 100 * 100), 160);  // light enough for black labels
  }
}

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
  const std::string folder = dir.path().string() + "/", file = folder + "background.bmp";
  Decoded mode = Decoded::kPicture;
  int calls = 0;
  test::WriteAll(file, {'B', 'M', 0, 0});
  Gfx gfx;
  LoadTextures(gfx, folder, FakeLoader(mode, calls));
  EXPECT_EQ(calls, 1);  // popup.bmp is missing: the built-in panel texture
  EXPECT_EQ(gfx.backgroundTexture.width(), 2);
  EXPECT_EQ(gfx.backgroundTexture.At(1, 2), Rgb(1, 2, 3));
  EXPECT_EQ(gfx.popupTexture.pixels(), FindImage(PopupTextureImage)->pixels.pixels());

  const auto& builtin = FindImage(BackgroundImage)->pixels.pixels();
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
