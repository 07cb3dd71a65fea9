#include "ui/images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kal {
namespace {

struct Expected {
  const char* name;
  int width;
  int height;
};

const Expected kImages[] = {
    {"ARROW_UP", 8, 8},         {"ARROW_DOWN", 8, 8},     {"ARROW_LEFT", 8, 8},     {"ARROW_RIGHT", 8, 8},
    {"RETURN", 8, 8},           {"SMALL_X", 8, 8},        {"BIG_LEFT", 8, 16},      {"BIG_RIGHT", 8, 16},
    {"BOX", 15, 15},            {"RED_X", 15, 15},        {"CHECKED_BOX", 16, 16},  {"UNCHECKED_BOX", 16, 16},
    {"FOLDER_OPEN", 16, 16},    {"FOLDER_CLOSED", 16, 16}, {"POPUP", 16, 16},       {"DRIVE_ICON", 16, 16},
    {"FILE_ICON", 16, 16},      {"FOLDER_ICON", 15, 13},  {"UPFOLDER_ICON", 15, 13}, {"TITLE", 173, 23},
};

TEST(ImagesTest, EveryBitmapHasItsSizeInkAndTransparency) {
  for (const Expected& e : kImages) {
    SCOPED_TRACE(e.name);
    const Image* image = FindImage(e.name);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels.width(), e.width);
    EXPECT_EQ(image->pixels.height(), e.height);
    EXPECT_TRUE(image->alpha.empty());
    const auto& px = image->pixels.pixels();
    const auto white = std::count(px.begin(), px.end(), Rgb(255, 255, 255));
    EXPECT_GT(white, 0);                                   // a transparent surround
    EXPECT_LT(white, static_cast<long>(px.size()) * 9 / 10);  // and real ink
  }
}

TEST(ImagesTest, IconsAre32SquareWithOpacity) {
  for (const char* name : {"PROGRAM", "LARGE", "SMALL"}) {
    SCOPED_TRACE(name);
    const Image* icon = FindImage(name);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->pixels.width(), 32);
    EXPECT_EQ(icon->pixels.height(), 32);
    ASSERT_EQ(icon->alpha.size(), 32u * 32u);
    EXPECT_EQ(icon->alpha[0], 0);  // rounded corners are see-through
    EXPECT_EQ(icon->alpha[16 * 32 + 16], 255);
  }
}

TEST(ImagesTest, ArrowsPointTheirWay) {
  // The ink of each arrow is wider (or taller) on the side it points away from.
  auto inkIn = [](const char* name, int x0, int y0, int x1, int y1) {
    const Image* image = FindImage(name);
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += image->pixels.At(x, y) != Rgb(255, 255, 255);
    return n;
  };
  EXPECT_GT(inkIn("ARROW_UP", 0, 4, 8, 8), inkIn("ARROW_UP", 0, 0, 8, 4));
  EXPECT_GT(inkIn("ARROW_DOWN", 0, 0, 8, 4), inkIn("ARROW_DOWN", 0, 4, 8, 8));
  EXPECT_GT(inkIn("ARROW_LEFT", 4, 0, 8, 8), inkIn("ARROW_LEFT", 0, 0, 4, 8));
  EXPECT_GT(inkIn("ARROW_RIGHT", 0, 0, 4, 8), inkIn("ARROW_RIGHT", 4, 0, 8, 8));
  EXPECT_GT(inkIn("BIG_LEFT", 4, 0, 8, 16), inkIn("BIG_LEFT", 0, 0, 4, 16));
  EXPECT_GT(inkIn("BIG_RIGHT", 0, 0, 4, 16), inkIn("BIG_RIGHT", 4, 0, 8, 16));
}

// A texture tiles without a seam when the step across its wrap edge is no
// bigger than the steps between neighbouring pixels inside it.
void ExpectSeamless(const Surface& t) {
  auto diff = [](Colour a, Colour b) {
    return std::abs(RedOf(a) - RedOf(b)) + std::abs(GreenOf(a) - GreenOf(b)) + std::abs(BlueOf(a) - BlueOf(b));
  };
  const int w = t.width(), h = t.height();
  int inside = 0, across = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x + 1 < w; ++x) inside = std::max(inside, diff(t.At(x, y), t.At(x + 1, y)));
    across = std::max(across, diff(t.At(w - 1, y), t.At(0, y)));
  }
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y + 1 < h; ++y) inside = std::max(inside, diff(t.At(x, y), t.At(x, y + 1)));
    across = std::max(across, diff(t.At(x, h - 1), t.At(x, 0)));
  }
  EXPECT_LE(across, inside);
  EXPECT_LE(inside, 24);  // calm: no hard edges anywhere
}

TEST(ImagesTest, TexturesAreSeamlessOpaqueAndLight) {
  for (std::string_view name : {BackgroundImage, PopupTextureImage}) {
    SCOPED_TRACE(std::string(name));
    const Image* t = FindImage(name);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->pixels.width(), 100);
    EXPECT_EQ(t->pixels.height(), 100);
    ExpectSeamless(t->pixels);
    long sum = 0;
    for (Colour c : t->pixels.pixels()) {
      EXPECT_NE(c, Rgb(255, 255, 255));
      sum += RedOf(c) + GreenOf(c) + BlueOf(c);
    }
    // Light enough for black labels.
    EXPECT_GT(sum / (3 * 100 * 100), 160);
  }
}

TEST(ImagesTest, NamesAreExactAndListed) {
  EXPECT_EQ(FindImage("arrow_up"), nullptr);
  EXPECT_EQ(FindImage(""), nullptr);
  EXPECT_EQ(ImageNames().size(), std::size(kImages) + 5);
  for (std::string_view name : ImageNames()) EXPECT_NE(FindImage(name), nullptr) << name;
  // The same image every time: callers may keep the pointer.
  EXPECT_EQ(FindImage("TITLE"), FindImage("TITLE"));
}

}  // namespace
}  // namespace kal
