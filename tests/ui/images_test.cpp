#include "ui/images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kal {
namespace {

constexpr Colour kWhite = Rgb(255, 255, 255);

struct Expected {
  const char* name;
  int width, height;
};

const Expected kImages[] = {
    {"ARROW_UP", 8, 8},      {"ARROW_DOWN", 8, 8},     {"ARROW_LEFT", 8, 8},       {"ARROW_RIGHT", 8, 8},
    {"RETURN", 8, 8},        {"SMALL_X", 8, 8},        {"BIG_LEFT", 8, 16},        {"BIG_RIGHT", 8, 16},
    {"BOX", 15, 15},         {"RED_X", 15, 15},        {"CHECKED_BOX", 16, 16},    {"UNCHECKED_BOX", 16, 16},
    {"FOLDER_OPEN", 16, 16}, {"FOLDER_CLOSED", 16, 16}, {"POPUP", 16, 16},         {"DRIVE_ICON", 16, 16},
    {"FILE_ICON", 16, 16},   {"FOLDER_ICON", 15, 13},  {"UPFOLDER_ICON", 15, 13}, {"TITLE", 173, 23},
};

// Pixels that are not white in x0 <= x < x1, y0 <= y < y1.
int InkIn(const char* name, int x0, int y0, int x1, int y1) {
  const Image* image = FindImage(name);
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += image->pixels.At(x, y) != kWhite;
  return n;
}

TEST(Images, BitmapsHaveTheirSizeInkAndTransparencyIconsTheirOpacity) {
  for (const Expected& e : kImages) {
    SCOPED_TRACE(e.name);
    const Image* image = FindImage(e.name);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels.width(), e.width);
    EXPECT_EQ(image->pixels.height(), e.height);
    EXPECT_TRUE(image->alpha.empty());
    const int ink = InkIn(e.name, 0, 0, e.width, e.height);
    EXPECT_LT(ink, e.width * e.height);                 // a transparent surround
    EXPECT_GT(ink * 10, e.width * e.height);            // and real ink
  }
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
  // Each arrow has more ink on the side it points away from.
  EXPECT_GT(InkIn("ARROW_UP", 0, 4, 8, 8), InkIn("ARROW_UP", 0, 0, 8, 4));
  EXPECT_GT(InkIn("ARROW_DOWN", 0, 0, 8, 4), InkIn("ARROW_DOWN", 0, 4, 8, 8));
  EXPECT_GT(InkIn("ARROW_LEFT", 4, 0, 8, 8), InkIn("ARROW_LEFT", 0, 0, 4, 8));
  EXPECT_GT(InkIn("ARROW_RIGHT", 0, 0, 4, 8), InkIn("ARROW_RIGHT", 4, 0, 8, 8));
  EXPECT_GT(InkIn("BIG_LEFT", 4, 0, 8, 16), InkIn("BIG_LEFT", 0, 0, 4, 16));
  EXPECT_GT(InkIn("BIG_RIGHT", 0, 0, 4, 16), InkIn("BIG_RIGHT", 4, 0, 8, 16));

  EXPECT_EQ(FindImage("arrow_up"), nullptr);
  EXPECT_EQ(FindImage(""), nullptr);
  EXPECT_EQ(ImageNames().size(), std::size(kImages) + 5);
  for (std::string_view name : ImageNames()) EXPECT_NE(FindImage(name), nullptr) << name;
  EXPECT_EQ(FindImage("TITLE"), FindImage("TITLE"));  // callers may keep the pointer
}

TEST(Images, TexturesAreSeamlessCalmOpaqueAndLight) {
  auto diff = [](Colour a, Colour b) {
    return std::abs(RedOf(a) - RedOf(b)) + std::abs(GreenOf(a) - GreenOf(b)) + std::abs(BlueOf(a) - BlueOf(b));
  };
  for (std::string_view name : {BackgroundImage, PopupTextureImage}) {
    SCOPED_TRACE(std::string(name));
    const Image* image = FindImage(name);
    ASSERT_NE(image, nullptr);
    const Surface& t = image->pixels;
    ASSERT_EQ(t.width(), 100);
    ASSERT_EQ(t.height(), 100);
    // Seamless: the step across the wrap edge is no bigger than the steps
    // between neighbours inside, and those are small.
    int inside = 0, across = 0;
    long sum = 0;
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) {
        const Colour c = t.At(x, y);
        int& right = x == 99 ? across : inside;
        right = std::max(right, diff(c, t.At((x + 1) % 100, y)));
        int& below = y == 99 ? across : inside;
        below = std::max(below, diff(c, t.At(x, (y + 1) % 100)));
        EXPECT_NE(c, kWhite);
        sum += RedOf(c) + GreenOf(c) + BlueOf(c);
      }
    }
    EXPECT_LE(across, inside);
    EXPECT_LE(inside, 24);
    EXPECT_GT(sum / (3 * 100 * 100), 160);  // light enough for black labels
  }
}

}  // namespace
}  // namespace kal
