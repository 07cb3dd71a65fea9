#include <gtest/gtest.h>

#include "platform/images.h"
#include "store/settings.h"
#include "support/test_support.h"
#include "ui/ui_fixture.h"
#include "ui/wallpaper_styles.h"
#include "wallpaper/bmp_file.h"
#include "wallpaper/compose.h"
#include "wallpaper/wallpaper_calendar.h"

namespace kal {
namespace {

TEST(WallpaperStyles, VeilAlphaAndColoursFollowTheStyleNumber) {
  constexpr Colour kWhite = Rgb(255, 255, 255), kBlack = Rgb(0, 0, 0), kGrey = Rgb(200, 200, 200);
  struct Row {
    int style;
    const char* name;
    int alpha;
    Colour veil, line, bandText;
  };
  // 50 % is 127, not 128: the factor 2.55 is held in single precision.
  const Row rows[] = {
      {0, "Dark Outlines - No Background", 0, kWhite, kBlack, kGrey},
      {5, "Dark Outlines - 50% Background", 127, kWhite, kBlack, kGrey},
      {10, "Dark Outlines - White Background", 255, kWhite, kBlack, kGrey},
      {11, "Light Outlines - No Background", 0, kBlack, kWhite, kBlack},
      {16, "Light Outlines - 50% Background", 127, kBlack, kWhite, kBlack},
      {21, "Light Outlines - Black Background", 255, kBlack, kWhite, kBlack},
      {3, "Dark Outlines - 30% Background", 76, kWhite, kBlack, kGrey},
      {19, "Light Outlines - 80% Background", 204, kBlack, kWhite, kBlack},
  };
  for (const Row& r : rows) {
    const WallpaperStyle s = WallpaperStyleOf(r.style);
    EXPECT_EQ(WallpaperStyleName(r.style), r.name);
    EXPECT_EQ(s.alpha, r.alpha) << r.style;
    EXPECT_EQ(s.veil, r.veil) << r.style;
    EXPECT_EQ(s.line, r.line) << r.style;
    EXPECT_EQ(s.bandText, r.bandText) << r.style;
  }
  EXPECT_EQ(WallpaperStyleName(22), "");
  EXPECT_EQ(WallpaperStyleName(-1), "");
}

TEST(PlacePicture, EachPlacementPutsThePictureWhereTheDesktopDoes) {
  using P = WallpaperPlacement;
  struct Row {
    P placement;
    int pw, ph, sw, sh;
    PlacedCopy first;
    std::size_t copies;
  };
  const Row rows[] = {
      {P::Filled, 1000, 500, 1280, 1024, {-384, 0, 2048, 1024}, 1},
      {P::Fitted, 1000, 500, 1280, 1024, {0, 192, 1280, 640}, 1},
      {P::Spanned, 1000, 500, 1280, 1024, {-384, 0, 2048, 1024}, 1},
      {P::Stretched, 1000, 500, 1280, 1024, {0, 0, 1280, 1024}, 1},
      {P::Centred, 1600, 1200, 1280, 1024, {-160, -88, 1600, 1200}, 1},
      // An odd overhang: the centred copy rounds towards the top-left.
      {P::Centred, 101, 51, 100, 100, {-1, 24, 101, 51}, 1},
      {P::Tiled, 300, 400, 1280, 1024, {0, 0, 300, 400}, 15},  // 5 columns, 3 rows
      {P::NoPicture, 300, 400, 1280, 1024, {}, 0},
  };
  for (const Row& r : rows) {
    const auto copies = PlacePicture(r.placement, r.pw, r.ph, r.sw, r.sh);
    ASSERT_EQ(copies.size(), r.copies) << static_cast<int>(r.placement);
    if (!copies.empty()) {
      EXPECT_EQ(copies.front(), r.first) << static_cast<int>(r.placement);
    }
  }
  const auto tiles = PlacePicture(P::Tiled, 300, 400, 1280, 1024);
  EXPECT_EQ(tiles.back(), (PlacedCopy{1200, 800, 300, 400}));
}

TEST(ComposeUserWallpaper, ScalesTheDecodedPictureAndFallsBackToTheDesktopColour) {
  test::TempDir temp;
  // A 2 x 1 picture, left red and right blue, filled onto 4 x 4: each half
  // becomes 4 columns wide, of which the middle 4 show.
  Surface two(2, 1);
  two.Row(0)[0] = Rgb(255, 0, 0);
  two.Row(0)[1] = Rgb(0, 0, 255);
  ASSERT_TRUE(WritePng(two, temp.File("two.png")));
  test::WriteAll(temp.File("junk.jpg"), {'n', 'o', 't'});
  const Colour desk = Rgb(9, 8, 7);
  Surface out;
  EXPECT_EQ(ComposeUserWallpaper(temp.File("two.png"), "", WallpaperPlacement::Filled, desk, 4, 4, out),
            ComposeOutcome::kPicture);
  EXPECT_EQ(out.At(1, 3), Rgb(255, 0, 0));
  EXPECT_EQ(out.At(2, 0), Rgb(0, 0, 255));
  EXPECT_EQ(ComposeUserWallpaper(temp.File("two.png"), "", WallpaperPlacement::Fitted, desk, 4, 4, out),
            ComposeOutcome::kPicture);
  EXPECT_EQ(out.At(0, 0), desk);  // fitted 4 x 2 at y 1
  EXPECT_EQ(out.At(0, 1), Rgb(255, 0, 0));
  struct Row {
    std::string file, own;
    ComposeOutcome outcome;
  };
  const Row plain[] = {{"", "", ComposeOutcome::kPlain},
                       {temp.File("missing.png"), "", ComposeOutcome::kPlain},
                       {temp.File("two.png"), temp.File("two.png"), ComposeOutcome::kPlain},
                       {temp.File("junk.jpg"), "", ComposeOutcome::kUnsupported}};
  for (const Row& r : plain) {
    EXPECT_EQ(ComposeUserWallpaper(r.file, r.own, WallpaperPlacement::Filled, desk, 3, 2, out), r.outcome) << r.file;
    EXPECT_EQ(out.width(), 3);
    EXPECT_EQ(out.At(2, 1), desk) << r.file;
  }
}

TEST(SaveBitmapAsBmp, WritesTheHeaderAndPaddedBottomUpRows) {
  test::TempDir temp;
  struct Row {
    int width, stride;
  };
  for (const Row r : {Row{1023, 3072}, Row{1, 4}, Row{4, 12}, Row{5, 16}}) EXPECT_EQ(BmpRowStride(r.width), r.stride);
  Surface s(3, 2, Rgb(1, 2, 3));
  s.Row(1)[0] = Rgb(10, 20, 30);  // the bottom row comes first in the file
  const std::string path = temp.File("wallpaper.bmp");
  ASSERT_TRUE(SaveBitmapAsBmp(path, s));
  const auto b = test::ReadAll(path);
  ASSERT_EQ(b.size(), 54u + 2 * 12);
  const auto u32 = [&b](std::size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24; };
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  const std::pair<std::size_t, unsigned> fields[] = {{2, 78}, {6, 0}, {10, 54}, {14, 40}, {18, 3},
                                                     {22, 2}, {30, 0}, {34, 24}, {38, 0}};
  for (const auto& [at, value] : fields) EXPECT_EQ(static_cast<unsigned>(u32(at)), value) << at;
  EXPECT_EQ(b[26] | b[27] << 8, 1);
  EXPECT_EQ(b[28] | b[29] << 8, 24);
  EXPECT_EQ((std::vector<int>{b[54], b[55], b[56], b[57], b[63], b[64], b[65]}),
            (std::vector<int>{30, 20, 10, 3, 0, 0, 0}));
  EXPECT_EQ(b[66], 3);  // the top row starts after the padded first one
  // No temporary file is left beside it.
  EXPECT_EQ(test::Names(temp.path().string()), std::vector<std::string>{"wallpaper.bmp"});
}

// The block drawn over a picture of known pixels: the veil blends its colour
// with the style's alpha, the band and the outlines are solid.
class WallpaperDrawing : public ::testing::Test {
 protected:
  WallpaperDrawing() {
    gfx.text = &test::SharedTextRenderer();
    gfx.SetupFonts("Microsoft Sans Serif", 20);
    BuildCategoryTable(categories, kDefaultCategories);
    content.events = &events;
    content.categories = &categories;
    content.today = Ymd{2024, 5, 15};
  }
  static Colour Background(int x, int y) { return Rgb(x % 256, y % 256, (x + y) % 256); }
  Surface Picture(int w, int h) const {
    Surface s(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) s.Row(y)[x] = Background(x, y);
    }
    return s;
  }
  Gfx gfx;
  EventStore events;
  CategoryTable categories;
  WallpaperContent content;
  CalendarGrid grid;
};

TEST_F(WallpaperDrawing, VeilBandOutlinesAndLabelsMatchTheGoldenPicture) {
  // A block 703 wide has columns of 100: the veil ends 3 pixels early.
  const WallpaperBlock block{20, 40, 703, 400};
  Surface pic = Picture(760, 460);
  ASSERT_TRUE(DrawWallpaperCalendar(gfx, pic, content, block, 5, grid));
  // The week block starts on the Sunday on or before today.
  ASSERT_EQ(grid.items.front().key, "202405129999");
  const std::pair<int, int> veiled[] = {{60, 100}, {350, 330}, {719, 440}};
  for (const auto& [x, y] : veiled) {
    const Colour o = Background(x, y);
    const auto blend = [](int c) { return (255 * 127 + c * 128 + 127) / 255; };
    EXPECT_EQ(pic.At(x, y), Rgb(blend(RedOf(o)), blend(GreenOf(o)), blend(BlueOf(o)))) << x << "," << y;
  }
  const std::pair<int, int> untouched[] = {{720, 100}, {722, 300}, {60, 441}, {5, 100}};
  for (const auto& [x, y] : untouched) EXPECT_EQ(pic.At(x, y), Background(x, y)) << x << "," << y;
  EXPECT_EQ(pic.At(21, 26), Rgb(0, 0, 0));      // the band, solid line colour
  EXPECT_EQ(pic.At(120, 30), Rgb(200, 200, 200));  // a separator at x + cw
  EXPECT_EQ(pic.At(20, 200), Rgb(0, 0, 0));     // the first column's outline

  // The whole picture against the one kept beside the tests.
  const std::string golden = std::string(KALENDRINA_SOURCE_DIR) + "/tests/wallpaper/golden/style5_block.png";
  Surface expected;
  test::TempDir temp;
  if (!LoadImageFile(golden, expected)) {
    const std::string actual = GalleryPath(temp, "style5_block_actual.png");
    WritePng(pic, actual);
    FAIL() << "no golden picture at " << golden << "; the picture drawn is " << actual;
  }
  ASSERT_EQ(expected.width(), pic.width());
  int differing = 0;
  for (std::size_t i = 0; i < pic.pixels().size(); ++i) differing += pic.pixels()[i] != expected.pixels()[i] ? 1 : 0;
  if (differing != 0) {
    const std::string actual = GalleryPath(temp, "style5_block_actual.png");
    WritePng(pic, actual);
    ADD_FAILURE() << differing << " pixels differ from " << golden << "; the picture drawn is " << actual;
  }
}

TEST_F(WallpaperDrawing, TodayIsRedAndStylesWithoutVeilLeaveThePicture) {
  const WallpaperBlock block{0, 15, 700, 300};
  struct Row {
    int style;
    Colour line;
  };
  for (const Row r : {Row{0, Rgb(0, 0, 0)}, Row{11, Rgb(255, 255, 255)}}) {
    Surface pic = Picture(700, 320);
    ASSERT_TRUE(DrawWallpaperCalendar(gfx, pic, content, block, r.style, grid));
    // Inside a cell, away from its label, nothing changed.
    EXPECT_EQ(pic.At(150, 80), Background(150, 80)) << r.style;
    EXPECT_EQ(pic.At(0, 100), r.line) << r.style;
    // Wednesday the 15th is in the first row, fourth column: red ink in its
    // label (the picture's own red stays below 144 there).
    int red = 0;
    for (int y = 19; y < 34; ++y) {
      for (int x = 304; x < 399; ++x) red += RedOf(pic.At(x, y)) >= 200 && GreenOf(pic.At(x, y)) < 100 ? 1 : 0;
    }
    EXPECT_GT(red, 20) << r.style;
  }
  Surface pic = Picture(100, 100);
  const Surface before = pic;
  EXPECT_FALSE(DrawWallpaperCalendar(gfx, pic, content, WallpaperBlock{0, 20, 0, 50}, 5, grid));
  EXPECT_FALSE(DrawWallpaperCalendar(gfx, pic, content, WallpaperBlock{0, 20, 50, -1}, 5, grid));
  EXPECT_EQ(pic.pixels(), before.pixels());
}

}  // namespace
}  // namespace kal
