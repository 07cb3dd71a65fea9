#include "ui/gfx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/fake_text.h"
#include "ui/images.h"

namespace kal {
namespace {

constexpr Colour kRed = Rgb(255, 0, 0);
constexpr Colour kBack = Rgb(9, 9, 9);

Colour Grey(int v) { return Rgb(v, v, v); }

// Every pixel of the surface as a picture row per line, '#' for `ink` and
// '.' for anything else, to state small pixel rules readably.
std::vector<std::string> Picture(const Surface& s, Colour ink) {
  std::vector<std::string> rows;
  for (int y = 0; y < s.height(); ++y) {
    std::string row;
    for (int x = 0; x < s.width(); ++x) row += s.At(x, y) == ink ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

int CountOf(const Surface& s, Colour c) {
  return static_cast<int>(std::count(s.pixels().begin(), s.pixels().end(), c));
}

// ---------------------------------------------------------------------------
// Boxes and clipping

TEST(FillBoxTest, CornersAreInclusive) {
  Surface s(6, 5, kBack);
  FillBox(s, kRed, 2, 2, 2, 2);
  EXPECT_EQ(CountOf(s, kRed), 1);
  EXPECT_EQ(s.At(2, 2), kRed);

  FillBox(s, kRed, 1, 1, 3, 2);
  EXPECT_EQ(Picture(s, kRed), (std::vector<std::string>{"......", ".###..", ".###..", "......", "......"}));
}

TEST(FillBoxTest, ReversedOrOutsideBoxesDrawNothing) {
  Surface s(4, 4, kBack);
  FillBox(s, kRed, 3, 1, 1, 2);
  FillBox(s, kRed, -10, -10, -1, -1);
  FillBox(s, kRed, 4, 0, 100, 3);
  EXPECT_EQ(CountOf(s, kRed), 0);
  // Huge coordinates are cut to the surface instead of overflowing.
  FillBox(s, kRed, -2147483647, 0, 2147483647, 0);
  EXPECT_EQ(CountOf(s, kRed), 4);
}

TEST(FillBoxTest, ColourHighByteIsIgnored) {
  Surface s(1, 1, kBack);
  FillBox(s, 0xFF000000u | kRed, 0, 0, 0, 0);
  EXPECT_EQ(s.At(0, 0), kRed);
}

TEST(DrawBoxTest, OutlineIsOnePixelFurtherRightAndDown) {
  Surface s(8, 7, kBack);
  DrawBox(s, kRed, 1, 1, 1, 4, 3);
  EXPECT_EQ(Picture(s, kRed), (std::vector<std::string>{"........",  //
                                                        ".#####..",  //
                                                        ".#...#..",  //
                                                        ".#...#..",  //
                                                        ".#####..",  //
                                                        "........",  //
                                                        "........"}));
}

TEST(DrawBoxTest, WidePenIsCentredOnTheOutline) {
  Surface s(10, 10, kBack);
  DrawBox(s, kRed, 3, 2, 2, 6, 6);  // lines along 2 and 7, three pixels thick
  EXPECT_EQ(Picture(s, kRed), (std::vector<std::string>{"..........",  //
                                                        ".########.",  //
                                                        ".########.",  //
                                                        ".########.",  //
                                                        ".###..###.",  //
                                                        ".###..###.",  //
                                                        ".########.",  //
                                                        ".########.",  //
                                                        ".########.",  //
                                                        ".........."}));
  Surface t(4, 4, kBack);
  DrawBox(t, kRed, 0, 0, 0, 1, 1);  // no pen width still draws one pixel
  EXPECT_EQ(Picture(t, kRed), (std::vector<std::string>{"###.", "#.#.", "###.", "...."}));
}

TEST(SetClipTest, ClipIsHalfOpenAndWholeAreaLiftsIt) {
  Surface s(6, 6, kBack);
  SetClip(s, 1, 2, 4, 4);
  FillBox(s, kRed, 0, 0, 5, 5);
  EXPECT_EQ(Picture(s, kRed), (std::vector<std::string>{"......", "......", ".###..", ".###..", "......", "......"}));

  SetClip(s, 0, 0, 6, 6);
  FillBox(s, kRed, 0, 0, 5, 5);
  EXPECT_EQ(CountOf(s, kRed), 36);
}

TEST(SetClipTest, EveryPrimitiveHonoursTheClip) {
  Surface s(20, 20, kBack);
  SetClip(s, 5, 5, 6, 6);
  DrawBox(s, kRed, 1, 0, 0, 18, 18);
  BlendRow(s, 0, 10, 20, kRed, 255);
  BlendColumn(s, 10, 0, 20, kRed, 255);
  BlendMask(s, 0, 0, std::vector<std::uint8_t>(400, 255).data(), 4, 4, 20, kRed);
  EXPECT_EQ(CountOf(s, kRed), 0);
}

TEST(BlendLineTest, ConstantAlphaUsesRoundedBlend) {
  Surface s(5, 3, Grey(100));
  BlendRow(s, 1, 1, 3, ColourWhite, 160);
  // (255·160 + 100·95 + 127) / 255 = 197
  EXPECT_EQ(s.At(0, 1), Grey(100));
  EXPECT_EQ(s.At(1, 1), Grey(197));
  EXPECT_EQ(s.At(3, 1), Grey(197));
  EXPECT_EQ(s.At(4, 1), Grey(100));
  BlendColumn(s, 0, 0, 3, ColourBlack, 40);
  // (100·215 + 127) / 255 = 84
  EXPECT_EQ(s.At(0, 0), Grey(84));
  EXPECT_EQ(s.At(0, 2), Grey(84));
  // Zero and negative lengths or alpha draw nothing.
  const Surface before = s;
  BlendRow(s, 0, 0, 0, ColourBlack, 200);
  BlendColumn(s, 0, 0, -3, ColourBlack, 200);
  BlendRow(s, 0, 0, 5, ColourBlack, 0);
  EXPECT_EQ(s.pixels(), before.pixels());
}

TEST(BlendPixelTest, ChannelsRoundHalfUp) {
  EXPECT_EQ(BlendPixel(Rgb(0, 255, 10), Rgb(255, 0, 20), 128), Rgb(128, 127, 15));
  EXPECT_EQ(BlendPixel(Rgb(1, 2, 3), Rgb(200, 100, 50), 0), Rgb(1, 2, 3));
  EXPECT_EQ(BlendPixel(Rgb(1, 2, 3), Rgb(200, 100, 50), 255), Rgb(200, 100, 50));
}

TEST(BlendPixelTest, PackedArithmeticMatchesTheFormulaEverywhere) {
  // Every source, destination and alpha value, each channel in a different
  // position, against the plain per-channel formula.
  auto ref = [](int s, int d, int a) { return (s * a + d * (255 - a) + 127) / 255; };
  for (int a = 0; a < 256; ++a) {
    for (int c = 0; c < 256; ++c) {
      for (int d = 0; d < 256; d += 3) {
        const Colour got = BlendPixel(Rgb(d, 255 - d, d ^ 0xA5), Rgb(c, c ^ 0x5A, 255 - c), a);
        ASSERT_EQ(got, Rgb(ref(c, d, a), ref(c ^ 0x5A, 255 - d, a), ref(255 - c, d ^ 0xA5, a)))
            << c << " " << d << " " << a;
      }
    }
  }
}

TEST(RgbClampedTest, ComponentsClampToByteRange) {
  EXPECT_EQ(RgbClamped(-5, 300, 128), Rgb(0, 255, 128));
}

// ---------------------------------------------------------------------------
// Tiling

// A 100 × 100 tile whose pixel tells where in the tile it came from.
Surface CoordinateTile() {
  Surface t(100, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) t.Row(y)[x] = Rgb(x, y, 1);
  return t;
}

TEST(TileImageTest, TilesAreAlignedToTheSurfaceOrigin) {
  const Surface tile = CoordinateTile();
  Surface s(300, 130, kBack);
  SetClip(s, 0, 0, 10, 10);
  TileImage(s, tile, 150, 20, 260, 125);
  // The first tile starts at x 100, so x 150 shows the tile's column 50.
  EXPECT_EQ(s.At(150, 20), Rgb(50, 20, 1));
  EXPECT_EQ(s.At(199, 99), Rgb(99, 99, 1));
  EXPECT_EQ(s.At(200, 100), Rgb(0, 0, 1));
  EXPECT_EQ(s.At(259, 124), Rgb(59, 24, 1));
  // Half-open: the right and bottom edges stay untouched.
  EXPECT_EQ(s.At(149, 50), kBack);
  EXPECT_EQ(s.At(260, 50), kBack);
  EXPECT_EQ(s.At(200, 19), kBack);
  EXPECT_EQ(s.At(200, 125), kBack);
  // The earlier clip was replaced while tiling and is lifted afterwards.
  EXPECT_EQ(s.clip(), s.Bounds());
}

TEST(TileImageTest, NeighbouringAreasJoinWithoutSeams) {
  const Surface tile = CoordinateTile();
  Surface once(260, 90, kBack), twice(260, 90, kBack);
  TileImage(once, tile, 0, 0, 260, 90);
  TileImage(twice, tile, 0, 0, 137, 41);
  TileImage(twice, tile, 137, 0, 260, 41);
  TileImage(twice, tile, 0, 41, 260, 90);
  EXPECT_EQ(once.pixels(), twice.pixels());
}

TEST(TileImageTest, EmptyTileOrRectangleDrawsNothing) {
  Surface s(10, 10, kBack);
  TileImage(s, Surface(), 0, 0, 10, 10);
  TileImage(s, CoordinateTile(), 5, 5, 5, 9);
  EXPECT_EQ(CountOf(s, kBack), 100);
}

// ---------------------------------------------------------------------------
// Text

struct TextFixture : ::testing::Test {
  TextFixture() : s(80, 40, kBack) {
    gfx.surface = &s;
    gfx.text = &fake;
    gfx.clientWidth = s.width();
    gfx.clientHeight = s.height();
  }
  // Leftmost and rightmost columns that hold `ink` in row y, or -1.
  int FirstInk(int y, Colour ink) const {
    for (int x = 0; x < s.width(); ++x)
      if (s.At(x, y) == ink) return x;
    return -1;
  }
  int LastInk(int y, Colour ink) const {
    for (int x = s.width() - 1; x >= 0; --x)
      if (s.At(x, y) == ink) return x;
    return -1;
  }
  test::FakeText fake;
  Surface s;
  Gfx gfx;
  FontDescription font{"Arial", 15, 400, false};
};

TEST_F(TextFixture, AlignmentPlacesTheLeftEdge) {
  gfx.DrawTextAligned(s, 30, 2, AlignLeft, kRed, font, "ab");
  EXPECT_EQ(FirstInk(2, kRed), 30);
  EXPECT_EQ(LastInk(2, kRed), 39);
  EXPECT_EQ(gfx.lastTextWidth, 10);
  EXPECT_EQ(gfx.lastTextHeight, 8);

  gfx.DrawTextAligned(s, 30, 12, AlignRight, kRed, font, "ab");
  EXPECT_EQ(FirstInk(12, kRed), 20);
  EXPECT_EQ(LastInk(12, kRed), 29);

  // Odd width 15 centred at 50 starts at 50 − (15 − 1) / 2 = 43.
  gfx.DrawTextAligned(s, 50, 22, AlignCentre, kRed, font, "abc");
  EXPECT_EQ(FirstInk(22, kRed), 43);
  EXPECT_EQ(LastInk(22, kRed), 57);
  // The top edge is y and the text is lastTextHeight tall.
  EXPECT_EQ(s.At(45, 21), kBack);
  EXPECT_EQ(s.At(45, 29), kRed);
  EXPECT_EQ(s.At(45, 30), kBack);
}

TEST_F(TextFixture, MeasureOnlyAlignsLeaveThePixels) {
  for (int align : {AlignMeasure, 7, -1}) {
    gfx.lastTextWidth = gfx.lastTextHeight = -1;
    gfx.DrawTextAligned(s, 10, 10, align, kRed, font, "abcd");
    EXPECT_EQ(gfx.lastTextWidth, 20);
    EXPECT_EQ(gfx.lastTextHeight, 8);
  }
  EXPECT_EQ(CountOf(s, kBack), 80 * 40);
  EXPECT_EQ(fake.layouts, 0);
}

TEST_F(TextFixture, LongTextIsCutTo159Characters) {
  fake.advance = 1;
  Surface wide(400, 10, kBack);
  const std::string text(200, 'x');
  gfx.DrawTextAligned(wide, 0, 0, AlignLeft, kRed, font, text);
  EXPECT_EQ(gfx.lastTextWidth, 159);
  EXPECT_EQ(fake.lastMeasured.size(), 159u);
  EXPECT_EQ(fake.lastLaidOut.size(), 159u);
  EXPECT_EQ(wide.At(158, 0), kRed);
  EXPECT_EQ(wide.At(159, 0), kBack);
  // The text also ends at its first NUL, as a zero-terminated text would.
  gfx.DrawTextAligned(wide, 0, 0, AlignMeasure, kRed, font, std::string("ab\0cd", 5));
  EXPECT_EQ(gfx.lastTextWidth, 2);
}

TEST_F(TextFixture, CoverageIsBlendedAndTheGapsUntouched) {
  Surface white(20, 10, ColourWhite);
  gfx.DrawTextAligned(white, 0, 0, AlignLeft, ColourBlack, font, "~ a");
  // (0·128 + 255·127 + 127) / 255 = 127
  EXPECT_EQ(white.At(2, 3), Grey(127));
  EXPECT_EQ(white.At(7, 3), ColourWhite);  // the blank between
  EXPECT_EQ(white.At(12, 3), ColourBlack);
}

TEST_F(TextFixture, TextHonoursTheClip) {
  SetClip(s, 12, 0, 17, 5);
  gfx.DrawTextAligned(s, 10, 2, AlignLeft, kRed, font, "abcd");
  EXPECT_EQ(CountOf(s, kRed), 5 * 3);
  EXPECT_EQ(FirstInk(2, kRed), 12);
  EXPECT_EQ(LastInk(4, kRed), 16);
  EXPECT_EQ(s.At(12, 5), kBack);
}

TEST_F(TextFixture, RecordTextIsCentredVerticallyWithShadow) {
  TextRecord r;
  r.surface = &s;
  r.x1 = 10;
  r.y1 = 10;
  r.x2 = 0;
  r.y2 = 29;
  r.colour = kRed;
  r.shadowColour = static_cast<std::int32_t>(Rgb(0, 0, 255));
  r.font = &font;
  r.align = AlignRight;
  r.text = "abc";
  gfx.DrawTextRecord(r);
  // x2 = 0 becomes x1 + width, so right alignment starts at x1; the top is
  // 10 + floor(19 / 2) − floor(8 / 2) = 15.
  EXPECT_EQ(FirstInk(15, kRed), 10);
  EXPECT_EQ(LastInk(15, kRed), 24);
  EXPECT_EQ(FirstInk(14, kRed), -1);
  EXPECT_EQ(FirstInk(22, kRed), 10);
  EXPECT_EQ(FirstInk(23, kRed), -1);
  // The shadow shows one pixel right of and below the text.
  EXPECT_EQ(s.At(25, 16), Rgb(0, 0, 255));
  EXPECT_EQ(s.At(11, 23), Rgb(0, 0, 255));
  EXPECT_EQ(s.At(25, 15), kBack);
  EXPECT_EQ(gfx.lastTextWidth, 15);

  const Surface before = s;
  Surface plain(80, 40, kBack);
  r.surface = &plain;
  r.shadowColour = -1;
  r.align = AlignCentre;
  r.x2 = 60;
  gfx.DrawTextRecord(r);
  EXPECT_EQ(s.pixels(), before.pixels());  // drawn on the record's surface only
  EXPECT_EQ(CountOf(plain, kRed), 15 * 8);
  EXPECT_EQ(plain.At(3, 15), kRed);  // centred at x1: 10 − 7
  EXPECT_EQ(plain.At(2, 15), kBack);
}

TEST_F(TextFixture, FieldLabelEndsTenPixelsLeftOfX) {
  gfx.LabelFont = font;
  gfx.DrawFieldLabel(50, 10, 20, "ab");
  // top = 10 + 5 − 4 = 11
  EXPECT_EQ(LastInk(11, ColourLabelText), 39);
  EXPECT_EQ(FirstInk(11, ColourLabelText), 30);
  EXPECT_EQ(FirstInk(10, ColourLabelText), -1);
  EXPECT_EQ(FirstInk(18, ColourLabelText), 30);
  EXPECT_EQ(FirstInk(19, ColourLabelText), -1);
}

// ---------------------------------------------------------------------------
// Images

TEST_F(TextFixture, BitmapWhitePixelsAreTransparent) {
  const Image* x = FindImage("SMALL_X");
  ASSERT_NE(x, nullptr);
  gfx.DrawResourceImage("SMALL_X", ImageKindBitmap, s, 20, 5, AlignCentre);
  EXPECT_EQ(gfx.lastTextWidth, 8);
  EXPECT_EQ(gfx.lastTextHeight, 8);
  int transparent = 0;
  for (int y = 0; y < 8; ++y) {
    for (int px = 0; px < 8; ++px) {
      const Colour src = x->pixels.At(px, y);
      if (src == ColourWhite) ++transparent;
      EXPECT_EQ(s.At(16 + px, 5 + y), src == ColourWhite ? kBack : src) << px << "," << y;
    }
  }
  EXPECT_GT(transparent, 0);
  EXPECT_LT(transparent, 64);
  EXPECT_EQ(s.At(15, 8), kBack);
  EXPECT_EQ(s.At(24, 8), kBack);
}

TEST_F(TextFixture, IconsBlendTheirOwnAlpha) {
  const Image* icon = FindImage("PROGRAM");
  ASSERT_NE(icon, nullptr);
  ASSERT_FALSE(icon->alpha.empty());
  Surface t(40, 40, Grey(50));
  gfx.DrawResourceImage("PROGRAM", ImageKindIcon, t, 36, 4, AlignRight);
  EXPECT_EQ(gfx.lastTextWidth, 32);
  EXPECT_EQ(gfx.lastTextHeight, 32);
  int clear = 0, solid = 0, partial = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const int a = icon->alpha[static_cast<std::size_t>(y) * 32 + x];
      const Colour c = icon->pixels.At(x, y);
      const Colour want = a == 0 ? Grey(50) : a == 255 ? c : BlendPixel(Grey(50), c, a);
      ASSERT_EQ(t.At(4 + x, 4 + y), want) << x << "," << y;
      (a == 0 ? clear : a == 255 ? solid : partial) += 1;
    }
  }
  EXPECT_GT(clear, 0);
  EXPECT_GT(solid, 0);
  EXPECT_GT(partial, 0);
}

TEST_F(TextFixture, ImageMeasureOnlyAndUnknownNames) {
  gfx.DrawResourceImage("TITLE", ImageKindBitmap, s, 0, 0, AlignMeasure);
  EXPECT_EQ(gfx.lastTextWidth, 173);
  EXPECT_EQ(gfx.lastTextHeight, 23);
  gfx.DrawResourceImage("SMALL", ImageKindIcon, s, 0, 0, AlignMeasure);
  EXPECT_EQ(gfx.lastTextWidth, 32);
  EXPECT_EQ(CountOf(s, kBack), 80 * 40);
  gfx.DrawResourceImage("NO_SUCH_IMAGE", ImageKindBitmap, s, 0, 0, AlignLeft);
  EXPECT_EQ(gfx.lastTextWidth, 0);
  EXPECT_EQ(gfx.lastTextHeight, 0);
  gfx.DrawResourceImage("BOX", 5, s, 0, 0, AlignLeft);
  EXPECT_EQ(CountOf(s, kBack), 80 * 40);
}

// ---------------------------------------------------------------------------
// Panels, shadows and sunken boxes

struct PanelFixture : ::testing::Test {
  PanelFixture() : s(100, 80, Grey(50)) {
    gfx.surface = &s;
    gfx.clientWidth = s.width();
    gfx.clientHeight = s.height();
    gfx.popupTexture = Surface(3, 3, Grey(100));
  }
  Surface s;
  Gfx gfx;
};

TEST_F(PanelFixture, PanelBevelStepsAtExactPixels) {
  gfx.DrawPanel(10, 10, 60, 50);
  // Left edge along row 30: black border, then white at 160, 120, 80, 40.
  EXPECT_EQ(s.At(10, 30), ColourBlack);
  EXPECT_EQ(s.At(11, 30), Grey(197));
  EXPECT_EQ(s.At(12, 30), Grey(173));
  EXPECT_EQ(s.At(13, 30), Grey(149));
  EXPECT_EQ(s.At(14, 30), Grey(124));
  EXPECT_EQ(s.At(15, 30), Grey(100));
  // Right edge: the border column x2 − 1, then black at 120, 80, 40 inwards.
  EXPECT_EQ(s.At(59, 30), ColourBlack);
  EXPECT_EQ(s.At(58, 30), Grey(53));
  EXPECT_EQ(s.At(57, 30), Grey(69));
  EXPECT_EQ(s.At(56, 30), Grey(84));
  EXPECT_EQ(s.At(55, 30), Grey(100));
  // Top and bottom the same way.
  EXPECT_EQ(s.At(30, 10), ColourBlack);
  EXPECT_EQ(s.At(30, 11), Grey(197));
  EXPECT_EQ(s.At(30, 14), Grey(124));
  EXPECT_EQ(s.At(30, 49), ColourBlack);
  EXPECT_EQ(s.At(30, 48), Grey(53));
  // The white row and column of a step meet in one pixel blended twice:
  // 197, then (255·160 + 197·95 + 127) / 255 = 233.
  EXPECT_EQ(s.At(11, 11), Grey(233));
  // Outside the panel: the shadow, alpha 40 on its first line.
  EXPECT_EQ(s.At(60, 30), Grey(42));
  EXPECT_EQ(s.At(69, 30), Grey(50));
  EXPECT_EQ(s.At(9, 30), Grey(50));
  EXPECT_EQ(s.clip(), s.Bounds());
}

TEST_F(PanelFixture, DropShadowLinesStartFiveInAndFadeOut) {
  gfx.DropShadow(10, 10, 30, 20);
  // Vertical line i = 0 at x 30 covers y 15..19 (H − 5 = 5 pixels).
  EXPECT_EQ(s.At(30, 14), Grey(50));
  EXPECT_EQ(s.At(30, 15), Grey(42));
  EXPECT_EQ(s.At(30, 19), Grey(42));
  // Line i = 1 starts one lower, alpha 35: (50·220 + 127) / 255 = 43.
  EXPECT_EQ(s.At(31, 15), Grey(50));
  EXPECT_EQ(s.At(31, 16), Grey(43));
  // Horizontal line i = 0 at y 20 covers x 15..30 (W − 4 = 16 pixels).
  EXPECT_EQ(s.At(14, 20), Grey(50));
  EXPECT_EQ(s.At(15, 20), Grey(42));
  EXPECT_EQ(s.At(30, 20), Grey(42));
  EXPECT_EQ(s.At(31, 20), Grey(43));  // only the vertical line i = 1
  // The ninth line has alpha 0.
  EXPECT_EQ(s.At(38, 23), Grey(50));
  EXPECT_EQ(s.At(25, 28), Grey(50));
}

TEST_F(PanelFixture, DropShadowIsLimitedByTheClientArea) {
  gfx.clientWidth = 60;
  gfx.DropShadow(40, 10, 80, 20);
  // W = min(40, 60 − 40) = 20, so the first horizontal line ends at x 60.
  EXPECT_EQ(s.At(60, 20), Grey(42));
  EXPECT_EQ(s.At(61, 20), Grey(50));
}

TEST_F(PanelFixture, SunkenBoxRingsAndFill) {
  gfx.DrawSunkenBox(10, 10, 20, 15, kRed);
  EXPECT_EQ(s.At(10, 10), kRed);
  EXPECT_EQ(s.At(20, 15), kRed);
  // Ring 0: white 210 below and right, black 150 above and left.
  EXPECT_EQ(s.At(9, 16), Grey(219));
  EXPECT_EQ(s.At(20, 16), Grey(219));
  EXPECT_EQ(s.At(21, 9), Grey(219));
  EXPECT_EQ(s.At(21, 16), Grey(219));
  EXPECT_EQ(s.At(10, 9), Grey(21));
  EXPECT_EQ(s.At(20, 9), Grey(21));
  EXPECT_EQ(s.At(9, 9), Grey(21));
  EXPECT_EQ(s.At(9, 15), Grey(21));
  // Ring 1: white 140, black 100.
  EXPECT_EQ(s.At(22, 17), Grey(163));
  EXPECT_EQ(s.At(8, 8), Grey(30));
  // Ring 2: white 70, black 50, and nothing beyond.
  EXPECT_EQ(s.At(23, 18), Grey(106));
  EXPECT_EQ(s.At(7, 7), Grey(40));
  EXPECT_EQ(s.At(6, 7), Grey(50));
  EXPECT_EQ(s.At(24, 18), Grey(50));
  EXPECT_EQ(s.At(23, 19), Grey(50));
  // No pixel is blended twice: every changed pixel has one of the ring values.
  for (int y = 0; y < s.height(); ++y) {
    for (int x = 0; x < s.width(); ++x) {
      const Colour c = s.At(x, y);
      EXPECT_TRUE(c == kRed || c == Grey(50) || c == Grey(219) || c == Grey(163) || c == Grey(106) ||
                  c == Grey(21) || c == Grey(30) || c == Grey(40))
          << x << "," << y;
    }
  }
}

// ---------------------------------------------------------------------------
// Copies to and from the screen

class RecordingPresenter : public Presenter {
 public:
  void Present(const Surface&, const Rect& area) override { areas.push_back(area); }
  std::vector<Rect> areas;
};

TEST_F(PanelFixture, PresentRectHandsOverTheRectangleCutToTheSurface) {
  RecordingPresenter window;
  gfx.presenter = &window;
  gfx.PresentRect(10, 20, 30, 5);
  gfx.PresentRect(90, 70, 50, 50);
  gfx.PresentRect(5, 5, 0, 10);
  gfx.PresentRect(200, 5, 10, 10);
  ASSERT_EQ(window.areas.size(), 2u);
  EXPECT_EQ(window.areas[0], (Rect{10, 20, 40, 25}));
  EXPECT_EQ(window.areas[1], (Rect{90, 70, 100, 80}));
}

TEST_F(PanelFixture, RestoreScreenPutsBackOnlyTheRectangle) {
  FillBox(s, kRed, 0, 0, 5, 5);
  SetClip(s, 0, 0, 50, 50);
  const Surface saved = gfx.SaveScreen();
  EXPECT_EQ(saved.clip(), saved.Bounds());
  s.ResetClip();
  FillBox(s, ColourWhite, 0, 0, 99, 79);
  SetClip(s, 0, 0, 50, 50);
  gfx.RestoreScreen(saved, 2, 3, 10, 60);
  // Rows 3..49 only (the clip), columns 2..11.
  EXPECT_EQ(s.At(2, 3), kRed);
  EXPECT_EQ(s.At(5, 5), kRed);
  EXPECT_EQ(s.At(6, 5), Grey(50));
  EXPECT_EQ(s.At(11, 49), Grey(50));
  EXPECT_EQ(s.At(1, 3), ColourWhite);
  EXPECT_EQ(s.At(12, 3), ColourWhite);
  EXPECT_EQ(s.At(2, 2), ColourWhite);
  EXPECT_EQ(s.At(2, 50), ColourWhite);
}

// ---------------------------------------------------------------------------
// Fonts

TEST(SetupFontsTest, SizeZeroGivesTwentyAndLineHeight23) {
  test::FakeText fake;
  fake.installed = {"microsoft sans serif", "arial"};
  Gfx gfx;
  gfx.text = &fake;
  gfx.SetupFonts("microsoft SANS serif", 0);
  EXPECT_EQ(gfx.lineHeight, 23);
  EXPECT_EQ(gfx.EditFont, (FontDescription{"microsoft SANS serif", 20, 400, false}));
  EXPECT_EQ(gfx.MessageFont, (FontDescription{"microsoft SANS serif", 20, 700, false}));
  EXPECT_EQ(gfx.SmallFont, (FontDescription{"Arial", 15, 400, false}));
  EXPECT_EQ(gfx.SmallBoldFont, (FontDescription{"Arial", 15, 700, false}));
  EXPECT_EQ(gfx.TitleFont, (FontDescription{"Geneva", 24, 700, false}));
  EXPECT_EQ(gfx.LabelFont, (FontDescription{"Microsoft Sans Serif", 16, 700, false}));
  gfx.SetupFonts("Arial", 12);
  EXPECT_EQ(gfx.lineHeight, 15);
  EXPECT_EQ(gfx.EditFont.height, 12);
  gfx.SetupFonts("Arial", -4);
  EXPECT_EQ(gfx.lineHeight, 23);
}

TEST(SetupFontsTest, MissingFacesFallBackInOrder) {
  test::FakeText fake;
  Gfx gfx;
  gfx.text = &fake;
  fake.installed = {"microsoft sans serif", "ms sans serif"};
  gfx.SetupFonts("Comic Something", 20);
  EXPECT_EQ(gfx.EditFont.face, "Microsoft Sans Serif");
  fake.installed = {"ms sans serif"};
  gfx.SetupFonts("Comic Something", 20);
  EXPECT_EQ(gfx.MessageFont.face, "MS Sans Serif");
  fake.installed = {};
  gfx.SetupFonts("Comic Something", 20);
  EXPECT_EQ(gfx.EditFont.face, "Arial");
  EXPECT_FALSE(gfx.FontInstalled(""));
  Gfx none;  // without a renderer nothing counts as installed
  EXPECT_FALSE(none.FontInstalled("Arial"));
}

}  // namespace
}  // namespace kal
