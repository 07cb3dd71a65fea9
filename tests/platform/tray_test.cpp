#include "platform/tray.h"

#include <gtest/gtest.h>

namespace kal {
namespace {

// A square image whose every pixel carries its width, so the test sees which one was used.
IconPixels Marked(int width, int height) {
  IconPixels image;
  image.width = width;
  image.height = height;
  image.argb.assign(static_cast<std::size_t>(width * height), 0xFF000000u | static_cast<std::uint32_t>(width));
  return image;
}

TEST(Tray, FitIconTakesTheSmallestLargeEnoughElseTheLargestAndCentresIt) {
  struct Case {
    std::vector<int> sizes;
    int want;
    int picked;  // width of the image used; 0: nothing drawn
  };
  const Case cases[] = {
      {{16, 22, 32, 48}, 22, 22},
      {{48, 16, 32}, 24, 32},
      {{16, 22}, 64, 22},
      {{16}, 8, 16},
      {{}, 22, 0},
  };
  for (const Case& c : cases) {
    std::vector<IconPixels> images;
    for (const int s : c.sizes) images.push_back(Marked(s, s));
    const std::vector<std::uint32_t> out = FitIcon(images, c.want);
    ASSERT_EQ(out.size(), static_cast<std::size_t>(c.want * c.want));
    for (const std::uint32_t p : out) ASSERT_EQ(p, c.picked == 0 ? 0u : 0xFF000000u | c.picked) << c.want;
  }

  // A wide image keeps its shape: centred with empty rows above and below.
  std::vector<std::uint32_t> wide = FitIcon({Marked(20, 10)}, 20);
  EXPECT_EQ(wide[0], 0u);
  EXPECT_EQ(wide[5 * 20], 0xFF000014u);
  EXPECT_EQ(wide[14 * 20 + 19], 0xFF000014u);
  EXPECT_EQ(wide[15 * 20], 0u);
  // A broken image (pixel count not matching its size) is never read.
  IconPixels broken = Marked(4, 4);
  broken.argb.resize(3);
  EXPECT_EQ(FitIcon({broken}, 4), std::vector<std::uint32_t>(16, 0));
}

}  // namespace
}  // namespace kal
