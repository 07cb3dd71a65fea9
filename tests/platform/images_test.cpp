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
  s.Row(0)[0] = Rgb(255, 0, 0);
  s.Row(h - 1)[w - 1] = Rgb(0, 0, 255);
  return s;
}

TEST(ImagesTest, PngRoundTripIsPixelExact) {
  test::TempDir dir;
  const Surface original = Pattern(37, 23);
  const std::string path = dir.File("shot.png");
  ASSERT_TRUE(WritePng(original, path));
  const auto bytes = test::ReadAll(path);
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes[1], 'P');
  EXPECT_EQ(bytes[2], 'N');
  EXPECT_EQ(bytes[3], 'G');

  Surface loaded;
  ASSERT_TRUE(LoadImageFile(path, loaded));
  ASSERT_EQ(loaded.width(), 37);
  ASSERT_EQ(loaded.height(), 23);
  EXPECT_EQ(loaded.pixels(), original.pixels());
  EXPECT_EQ(loaded.At(0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(loaded.At(36, 22), Rgb(0, 0, 255));
}

TEST(ImagesTest, WritePngReplacesTheFileAndLeavesNoTemporaryFile) {
  test::TempDir dir;
  const std::string path = dir.File("shot.png");
  test::WriteAll(path, {'o', 'l', 'd'});
  ASSERT_TRUE(WritePng(Pattern(4, 3), path));
  Surface loaded;
  ASSERT_TRUE(LoadImageFile(path, loaded));
  EXPECT_EQ(loaded.width(), 4);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++files;
    EXPECT_EQ(entry.path().filename(), "shot.png");
  }
  EXPECT_EQ(files, 1);
}

TEST(ImagesTest, FailuresLeaveTheTargetAlone) {
  test::TempDir dir;
  EXPECT_FALSE(WritePng(Surface(), dir.File("empty.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("empty.png")));
  EXPECT_FALSE(WritePng(Pattern(2, 2), dir.File("no/such/folder/x.png")));

  Surface out(3, 3, Rgb(1, 2, 3));
  EXPECT_FALSE(LoadImageFile(dir.File("missing.png"), out));
  const std::string garbage = dir.File("garbage.png");
  test::WriteAll(garbage, {0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_FALSE(LoadImageFile(garbage, out));
  const std::string text = dir.File("notes.jpg");
  test::WriteAll(text, {'h', 'e', 'l', 'l', 'o'});
  EXPECT_FALSE(LoadImageFile(text, out));
  EXPECT_EQ(out.width(), 3);
  EXPECT_EQ(out.At(1, 1), Rgb(1, 2, 3));
}

TEST(ImagesTest, ReadsBitmapFiles) {
  // A 2 × 2, 24-bit bottom-up BMP written byte by byte: rows are padded to
  // four bytes and stored blue, green, red.
  std::vector<std::uint8_t> bmp = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                                   40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,
                                   0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,
                                   0, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<std::uint8_t> bottom = {0, 0, 255, 0, 255, 0, 0, 0};   // red, green, pad
  const std::vector<std::uint8_t> top = {255, 0, 0, 10, 20, 30, 0, 0};     // blue, (30,20,10), pad
  bmp.insert(bmp.end(), bottom.begin(), bottom.end());
  bmp.insert(bmp.end(), top.begin(), top.end());
  test::TempDir dir;
  test::WriteAll(dir.File("p.bmp"), bmp);
  Surface s;
  ASSERT_TRUE(LoadImageFile(dir.File("p.bmp"), s));
  ASSERT_EQ(s.width(), 2);
  ASSERT_EQ(s.height(), 2);
  EXPECT_EQ(s.At(0, 0), Rgb(0, 0, 255));
  EXPECT_EQ(s.At(1, 0), Rgb(30, 20, 10));
  EXPECT_EQ(s.At(0, 1), Rgb(255, 0, 0));
  EXPECT_EQ(s.At(1, 1), Rgb(0, 255, 0));
}

}  // namespace
}  // namespace kal
