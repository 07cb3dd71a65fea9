#include "platform/images.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace kal {
namespace {

Surface Pattern(int w, int h) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.Row(y)[x] = Rgb(x * 37 + y, y * 11 + 5, (x ^ y) * 3);
  return s;
}

TEST(ImagesTest, PngReplacesTheFileAndRoundTripsPixelExact) {
  test::TempDir dir;
  const std::string path = dir.File("shot.png");
  test::WriteAll(path, {'o', 'l', 'd'});
  const Surface original = Pattern(37, 23);
  ASSERT_TRUE(WritePng(original, path));
  const auto bytes = test::ReadAll(path);
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
  Surface loaded;
  ASSERT_TRUE(LoadImageFile(path, loaded));
  ASSERT_EQ(loaded.width(), 37);
  ASSERT_EQ(loaded.height(), 23);
  EXPECT_EQ(loaded.pixels(), original.pixels());
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ImagesTest, PngWithOpacityKeepsIt) {
  test::TempDir dir;
  const Surface original = Pattern(9, 4);
  std::vector<std::uint8_t> alpha(original.pixels().size());
  for (std::size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<std::uint8_t>(i * 29 % 256);
  alpha[0] = 255;
  alpha[1] = 0;
  ASSERT_TRUE(WritePng(original, dir.File("icon.png"), alpha));
  // Reading shows the picture over black.
  Surface loaded;
  ASSERT_TRUE(LoadImageFile(dir.File("icon.png"), loaded));
  ASSERT_EQ(loaded.pixels().size(), alpha.size());
  for (std::size_t i = 0; i < alpha.size(); ++i) {
    const Colour c = original.pixels()[i];
    const auto over = [&](int v) { return (v * alpha[i] + 127) / 255; };
    EXPECT_EQ(loaded.pixels()[i], Rgb(over(RedOf(c)), over(GreenOf(c)), over(BlueOf(c)))) << i;
  }
  alpha.pop_back();
  EXPECT_FALSE(WritePng(original, dir.File("short.png"), alpha));
  EXPECT_FALSE(std::filesystem::exists(dir.File("short.png")));
}

TEST(ImagesTest, FailuresLeaveTheTargetAlone) {
  test::TempDir dir;
  EXPECT_FALSE(WritePng(Surface(), dir.File("empty.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("empty.png")));
  EXPECT_FALSE(WritePng(Pattern(2, 2), dir.File("no/such/folder/x.png")));

  Surface out(3, 3, Rgb(1, 2, 3));
  EXPECT_FALSE(LoadImageFile(dir.File("missing.png"), out));
  test::WriteAll(dir.File("garbage.png"), {0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_FALSE(LoadImageFile(dir.File("garbage.png"), out));
  test::WriteAll(dir.File("notes.jpg"), {'h', 'e', 'l', 'l', 'o'});
  EXPECT_FALSE(LoadImageFile(dir.File("notes.jpg"), out));
  EXPECT_EQ(out.width(), 3);
  EXPECT_EQ(out.At(1, 1), Rgb(1, 2, 3));
}

TEST(ImagesTest, ReadsBitmapFiles) {
  // A 2 x 2, 24-bit bottom-up BMP: rows padded to four bytes, stored blue, green, red.
  const std::vector<std::uint8_t> bmp = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,
      0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 255, 0, 255, 0, 0, 0,      // bottom row: red, green, pad
      255, 0, 0, 10, 20, 30, 0, 0};    // top row: blue, (30, 20, 10), pad
  test::TempDir dir;
  test::WriteAll(dir.File("p.bmp"), bmp);
  Surface s;
  ASSERT_TRUE(LoadImageFile(dir.File("p.bmp"), s));
  ASSERT_EQ(s.width(), 2);
  ASSERT_EQ(s.height(), 2);
  EXPECT_EQ(s.pixels(), (std::vector<Colour>{Rgb(0, 0, 255), Rgb(30, 20, 10), Rgb(255, 0, 0), Rgb(0, 255, 0)}));
}

}  // namespace
}  // namespace kal
