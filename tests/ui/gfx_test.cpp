#include "ui/gfx.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/block_text.h"
#include "ui/images.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

using test::ExpectPixels;
using Rows = std::vector<std::string>;
using Span = std::pair<int, int>;

constexpr Colour kRed = Rgb(255, 0, 0);
constexpr Colour kBack = Rgb(9, 9, 9);
Colour Grey(int v) { return Rgb(v, v, v); }

// Characters are solid blocks 5 × 8 pixels.
struct FakeText : test::BlockText {
  FakeText() : BlockText(5, 8) {}
};

// The surface as rows of '#' (ink) and '.' (anything else).
Rows Picture(const Surface& s, Colour ink) {
  Rows rows(static_cast<std::size_t>(s.height()));
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) rows[static_cast<std::size_t>(y)] += s.At(x, y) == ink ? '#' : '.';
  return rows;
}

int CountOf(const Surface& s, Colour c) {
  return static_cast<int>(std::count(s.pixels().begin(), s.pixels().end(), c));
}

TEST(Primitives, FillBoxCornersAreInclusiveAndEverythingIsCut) {
  Surface s(6, 5, kBack);
  FillBox(s, kRed, 2, 2, 2, 2);
  EXPECT_EQ(CountOf(s, kRed), 1);
  EXPECT_EQ(s.At(2, 2), kRed);
  FillBox(s, kRed, 1, 1, 3, 2);
  EXPECT_EQ(Picture(s, kRed), (Rows{"......", ".###..", ".###..", "......", "......"}));
  // Reversed or outside boxes draw nothing; huge ones are cut, not overflowed.
  Surface t(4, 4, kBack);
  FillBox(t, kRed, 3, 1, 1, 2);
  FillBox(t, kRed, -10, -10, -1, -1);
  FillBox(t, kRed, 4, 0, 100, 3);
  EXPECT_EQ(CountOf(t, kRed), 0);
  FillBox(t, 0xFF000000u | kRed, -2147483647, 0, 2147483647, 0);  // the colour's high byte is ignored
  EXPECT_EQ(Picture(t, kRed), (Rows{"####", "....", "....", "...."}));
}

TEST(Primitives, DrawBoxIsOnePixelFurtherRightAndDownWithTheWidePenCentred) {
  Surface s(8, 7, kBack);
  DrawBox(s, kRed, 1, 1, 1, 4, 3);
  EXPECT_EQ(Picture(s, kRed),
            (Rows{"........", ".#####..", ".#...#..", ".#...#..", ".#####..", "........", "........"}));
  Surface w(10, 10, kBack);
  DrawBox(w, kRed, 3, 2, 2, 6, 6);  // lines along 2 and 7, three pixels thick
  EXPECT_EQ(Picture(w, kRed), (Rows{"..........", ".########.", ".########.", ".########.", ".###..###.",
                                    ".###..###.", ".########.", ".########.", ".########.", ".........."}));
  Surface t(4, 4, kBack);
  DrawBox(t, kRed, 0, 0, 0, 1, 1);  // no pen width still draws one pixel
  EXPECT_EQ(Picture(t, kRed), (Rows{"###.", "#.#.", "###.", "...."}));
}

TEST(Primitives, ClipIsHalfOpenHonouredByEveryPrimitiveAndLiftedByTheWholeArea) {
  Surface s(6, 6, kBack);
  SetClip(s, 1, 2, 4, 4);
  FillBox(s, kRed, 0, 0, 5, 5);
  EXPECT_EQ(Picture(s, kRed), (Rows{"......", "......", ".###..", ".###..", "......", "......"}));
  SetClip(s, 0, 0, 6, 6);
  FillBox(s, kRed, 0, 0, 5, 5);
  EXPECT_EQ(CountOf(s, kRed), 36);

  Surface t(20, 20, kBack);
  SetClip(t, 5, 5, 6, 6);
  DrawBox(t, kRed, 1, 0, 0, 18, 18);
  BlendRow(t, 0, 10, 20, kRed, 255);
  BlendColumn(t, 10, 0, 20, kRed, 255);
  BlendMask(t, 0, 0, std::vector<std::uint8_t>(400, 255).data(), 4, 4, 20, kRed);
  EXPECT_EQ(CountOf(t, kRed), 0);
}

TEST(Primitives, BlendsRoundHalfUpPerChannel) {
  Surface s(5, 3, Grey(100));
  BlendRow(s, 1, 1, 3, ColourWhite, 160);    // (255·160 + 100·95 + 127) / 255 = 197
  BlendColumn(s, 0, 0, 3, ColourBlack, 40);  // (100·215 + 127) / 255 = 84
  ExpectPixels(s, {{1, 1, Grey(197)}, {3, 1, Grey(197)}, {4, 1, Grey(100)}, {0, 0, Grey(84)}, {0, 1, Grey(84)},
                   {0, 2, Grey(84)}, {1, 0, Grey(100)}});
  // Zero and negative lengths or alpha draw nothing.
  const Surface before = s;
  BlendRow(s, 0, 0, 0, ColourBlack, 200);
  BlendColumn(s, 0, 0, -3, ColourBlack, 200);
  BlendRow(s, 0, 0, 5, ColourBlack, 0);
  EXPECT_EQ(s.pixels(), before.pixels());

  EXPECT_EQ(RgbClamped(-5, 300, 128), Rgb(0, 255, 128));
  // The packed arithmetic against the per-channel formula for every source,
  // alpha and many destinations, each channel in a different position.
  auto ref = [](int s, int d, int a) { return (s * a + d * (255 - a) + 127) / 255; };
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c)
      for (int d = 0; d < 256; d += 3)
        ASSERT_EQ(BlendPixel(Rgb(d, 255 - d, d ^ 0xA5), Rgb(c, c ^ 0x5A, 255 - c), a),
                  Rgb(ref(c, d, a), ref(c ^ 0x5A, 255 - d, a), ref(255 - c, d ^ 0xA5, a)))
            << c << " " << d << " " << a;
}

// A 100 × 100 tile whose pixel tells where in the tile it came from.
Surface CoordinateTile() {
  Surface t(100, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) t.Row(y)[x] = Rgb(x, y, 1);
  return t;
}

TEST(Primitives, TilesAlignToTheSurfaceOriginAndJoinWithoutSeams) {
  const Surface tile = CoordinateTile();
  Surface s(300, 130, kBack);
  SetClip(s, 0, 0, 10, 10);
  TileImage(s, tile, 150, 20, 260, 125);
  // The first tile starts at x 100, so x 150 shows column 50; right and
  // bottom edges are open.
  ExpectPixels(s, {{150, 20, Rgb(50, 20, 1)}, {199, 99, Rgb(99, 99, 1)}, {200, 100, Rgb(0, 0, 1)},
                   {259, 124, Rgb(59, 24, 1)}, {149, 50, kBack}, {260, 50, kBack}, {200, 19, kBack},
                   {200, 125, kBack}});
  EXPECT_EQ(s.clip(), s.Bounds());  // the earlier clip is replaced, then lifted

  Surface once(260, 90, kBack), twice(260, 90, kBack);
  TileImage(once, tile, 0, 0, 260, 90);
  TileImage(twice, tile, 0, 0, 137, 41);
  TileImage(twice, tile, 137, 0, 260, 41);
  TileImage(twice, tile, 0, 41, 260, 90);
  EXPECT_EQ(once.pixels(), twice.pixels());

  Surface e(10, 10, kBack);
  TileImage(e, Surface(), 0, 0, 10, 10);
  TileImage(e, tile, 5, 5, 5, 9);
  EXPECT_EQ(CountOf(e, kBack), 100);
}

// The smallest rectangle holding every pixel of colour `ink`.
Rect InkBox(const Surface& s, Colour ink) {
  Rect r{s.width(), s.height(), 0, 0};
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x)
      if (s.At(x, y) == ink) r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1), y + 1};
  return r;
}

struct TextFixture : ::testing::Test {
  TextFixture() {
    gfx.surface = &s;
    gfx.text = &fake;
    gfx.clientWidth = s.width();
    gfx.clientHeight = s.height();
  }
  FakeText fake;
  Surface s{80, 40, kBack};
  Gfx gfx;
  FontDescription font{"Arial", 15, 400, false};
};

TEST_F(TextFixture, AlignmentMeasureOnlyAndTheTextLimits) {
  for (int align : {AlignMeasure, 7, -1}) {
    gfx.lastTextWidth = gfx.lastTextHeight = -1;
    gfx.DrawTextAligned(s, 10, 10, align, kRed, font, "abcd");
    EXPECT_EQ(Span(gfx.lastTextWidth, gfx.lastTextHeight), Span(20, 8));
  }
  EXPECT_EQ(CountOf(s, kBack), 80 * 40);
  // The top edge is y; odd width 15 centred at 50 starts at 50 − (15 − 1) / 2.
  const std::tuple<int, int, const char*, Rect> cases[] = {
      {AlignLeft, 30, "ab", {30, 2, 40, 10}}, {AlignRight, 30, "ab", {20, 2, 30, 10}},
      {AlignCentre, 50, "abc", {43, 2, 58, 10}}};
  for (const auto& [align, x, text, box] : cases) {
    Surface t(80, 40, kBack);
    gfx.DrawTextAligned(t, x, 2, align, kRed, font, text);
    EXPECT_EQ(InkBox(t, kRed), box) << text;
    EXPECT_EQ(CountOf(t, kRed), box.Width() * 8) << text;
    EXPECT_EQ(gfx.lastTextWidth, box.Width()) << text;
  }
  // At most 159 characters, and nothing after a NUL.
  fake.advance = 1;
  Surface wide(400, 10, kBack);
  gfx.DrawTextAligned(wide, 0, 0, AlignLeft, kRed, font, std::string(200, 'x'));
  EXPECT_EQ(gfx.lastTextWidth, 159);
  EXPECT_EQ(InkBox(wide, kRed), (Rect{0, 0, 159, 8}));
  gfx.DrawTextAligned(wide, 0, 0, AlignMeasure, kRed, font, std::string("ab\0cd", 5));
  EXPECT_EQ(gfx.lastTextWidth, 2);
}

TEST_F(TextFixture, CoverageBlendsAndTheClipCuts) {
  Surface white(20, 10, ColourWhite);
  gfx.DrawTextAligned(white, 0, 0, AlignLeft, ColourBlack, font, "~ a");
  // (0·128 + 255·127 + 127) / 255 = 127; the blank between stays.
  ExpectPixels(white, {{2, 3, Grey(127)}, {7, 3, ColourWhite}, {12, 3, ColourBlack}});
  SetClip(s, 12, 0, 17, 5);
  gfx.DrawTextAligned(s, 10, 2, AlignLeft, kRed, font, "abcd");
  EXPECT_EQ(CountOf(s, kRed), 5 * 3);
  EXPECT_EQ(InkBox(s, kRed), (Rect{12, 2, 17, 5}));
}

TEST_F(TextFixture, RecordTextIsCentredVerticallyWithShadowAndLabelsEndTenLeft) {
  constexpr Colour kBlue = Rgb(0, 0, 255);
  TextRecord r{&s, 10, 10, 0, 29, kRed, static_cast<std::int32_t>(kBlue), &font, AlignRight, "abc"};
  gfx.DrawTextRecord(r);
  // x2 = 0 becomes x1 + width, so right alignment starts at x1; the top is
  // 10 + floor(19 / 2) − floor(8 / 2) = 15. The shadow is one right and down.
  EXPECT_EQ(InkBox(s, kRed), (Rect{10, 15, 25, 23}));
  EXPECT_EQ(CountOf(s, kRed), 15 * 8);
  EXPECT_EQ(InkBox(s, kBlue), (Rect{11, 16, 26, 24}));
  EXPECT_EQ(gfx.lastTextWidth, 15);

  const Surface before = s;
  Surface plain(80, 40, kBack);
  r.surface = &plain;
  r.shadowColour = -1;
  r.align = AlignCentre;
  r.x2 = 60;
  gfx.DrawTextRecord(r);
  EXPECT_EQ(s.pixels(), before.pixels());  // only the record's surface
  EXPECT_EQ(CountOf(plain, kRed), 15 * 8);
  EXPECT_EQ(InkBox(plain, kRed), (Rect{3, 15, 18, 23}));  // centred at x1: 10 − 7

  Surface label(80, 40, kBack);
  gfx.surface = &label;
  gfx.LabelFont = font;
  gfx.DrawFieldLabel(50, 10, 20, "ab");  // top = 10 + 5 − 4
  EXPECT_EQ(InkBox(label, ColourLabelText), (Rect{30, 11, 40, 19}));
}

TEST_F(TextFixture, BitmapsDropWhiteIconsBlendAlphaUnknownNamesDrawNothing) {
  // The expected pictures, built from the images: bitmap white is see-through,
  // icons blend with their own alpha.
  const Image* x = FindImage("SMALL_X");
  const Image* icon = FindImage("PROGRAM");
  Surface wantX = s, t(40, 40, Grey(50)), wantIcon = t;
  for (int y = 0; y < 32; ++y) {
    for (int px = 0; px < 32; ++px) {
      if (px < 8 && y < 8 && x->pixels.At(px, y) != ColourWhite) wantX.Row(5 + y)[16 + px] = x->pixels.At(px, y);
      const int a = icon->alpha[static_cast<std::size_t>(y) * 32 + px];
      wantIcon.Row(4 + y)[4 + px] = BlendPixel(Grey(50), icon->pixels.At(px, y), a);
    }
  }
  gfx.DrawResourceImage("SMALL_X", ImageKindBitmap, s, 20, 5, AlignCentre);  // from 20 − 4
  EXPECT_EQ(Span(gfx.lastTextWidth, gfx.lastTextHeight), Span(8, 8));
  EXPECT_TRUE(s.pixels() == wantX.pixels());
  gfx.DrawResourceImage("PROGRAM", ImageKindIcon, t, 36, 4, AlignRight);
  EXPECT_EQ(Span(gfx.lastTextWidth, gfx.lastTextHeight), Span(32, 32));
  EXPECT_TRUE(t.pixels() == wantIcon.pixels());

  Surface m(80, 40, kBack);
  gfx.DrawResourceImage("TITLE", ImageKindBitmap, m, 0, 0, AlignMeasure);
  EXPECT_EQ(Span(gfx.lastTextWidth, gfx.lastTextHeight), Span(173, 23));
  gfx.DrawResourceImage("SMALL", ImageKindIcon, m, 0, 0, AlignMeasure);
  EXPECT_EQ(gfx.lastTextWidth, 32);
  gfx.DrawResourceImage("NO_SUCH_IMAGE", ImageKindBitmap, m, 0, 0, AlignLeft);
  EXPECT_EQ(Span(gfx.lastTextWidth, gfx.lastTextHeight), Span(0, 0));
  gfx.DrawResourceImage("BOX", 5, m, 0, 0, AlignLeft);
  EXPECT_EQ(CountOf(m, kBack), 80 * 40);
}

struct PanelFixture : ::testing::Test {
  PanelFixture() {
    gfx.surface = &s;
    gfx.clientWidth = s.width();
    gfx.clientHeight = s.height();
    gfx.popupTexture = Surface(3, 3, Grey(100));
  }
  Surface s{100, 80, Grey(50)};
  Gfx gfx;
};

TEST_F(PanelFixture, PanelBevelStepsAtExactPixels) {
  gfx.DrawPanel(10, 10, 60, 50);
  ExpectPixels(s, {// Left edge along row 30: black border, then white at 160, 120, 80, 40.
                   {10, 30, ColourBlack}, {11, 30, Grey(197)}, {12, 30, Grey(173)}, {13, 30, Grey(149)},
                   {14, 30, Grey(124)}, {15, 30, Grey(100)},
                   // Right edge: the border at x2 − 1, then black at 120, 80, 40 inwards.
                   {59, 30, ColourBlack}, {58, 30, Grey(53)}, {57, 30, Grey(69)}, {56, 30, Grey(84)},
                   {55, 30, Grey(100)},
                   // Top and bottom the same way.
                   {30, 10, ColourBlack}, {30, 11, Grey(197)}, {30, 14, Grey(124)}, {30, 49, ColourBlack},
                   {30, 48, Grey(53)},
                   // A white row and column meet in one pixel blended twice: 197, then 233.
                   {11, 11, Grey(233)},
                   // Outside: the shadow, alpha 40 on its first line.
                   {60, 30, Grey(42)}, {69, 30, Grey(50)}, {9, 30, Grey(50)}});
  EXPECT_EQ(s.clip(), s.Bounds());
}

TEST_F(PanelFixture, DropShadowLinesStartFiveInFadeOutAndStopAtTheClientEdge) {
  gfx.DropShadow(10, 10, 30, 20);
  ExpectPixels(s, {// Vertical line 0 at x 30 covers y 15..19 (H − 5 pixels).
                   {30, 14, Grey(50)}, {30, 15, Grey(42)}, {30, 19, Grey(42)},
                   // Line 1 starts one lower, alpha 35: (50·220 + 127) / 255 = 43.
                   {31, 15, Grey(50)}, {31, 16, Grey(43)},
                   // Horizontal line 0 at y 20 covers x 15..30 (W − 4 pixels).
                   {14, 20, Grey(50)}, {15, 20, Grey(42)}, {30, 20, Grey(42)}, {31, 20, Grey(43)},
                   // The ninth line has alpha 0.
                   {38, 23, Grey(50)}, {25, 28, Grey(50)}});
  Surface fresh(100, 80, Grey(50));
  gfx.surface = &fresh;
  gfx.clientWidth = 60;
  gfx.DropShadow(40, 10, 80, 20);  // W = min(40, 60 − 40) = 20
  ExpectPixels(fresh, {{60, 20, Grey(42)}, {61, 20, Grey(50)}});
}

TEST_F(PanelFixture, SunkenBoxRingsAreEachBlendedOnce) {
  gfx.DrawSunkenBox(10, 10, 20, 15, kRed);
  ExpectPixels(s, {{10, 10, kRed}, {20, 15, kRed},
                   // Ring 0: white 210 below and right, black 150 above and left.
                   {9, 16, Grey(219)}, {20, 16, Grey(219)}, {21, 9, Grey(219)}, {21, 16, Grey(219)},
                   {10, 9, Grey(21)}, {20, 9, Grey(21)}, {9, 9, Grey(21)}, {9, 15, Grey(21)},
                   // Ring 1: white 140, black 100; ring 2: white 70, black 50; then nothing.
                   {22, 17, Grey(163)}, {8, 8, Grey(30)}, {23, 18, Grey(106)}, {7, 7, Grey(40)},
                   {6, 7, Grey(50)}, {24, 18, Grey(50)}, {23, 19, Grey(50)}});
  const std::set<Colour> ring{kRed, Grey(50), Grey(219), Grey(163), Grey(106), Grey(21), Grey(30), Grey(40)};
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) EXPECT_TRUE(ring.count(s.At(x, y))) << x << "," << y;
}

TEST_F(PanelFixture, PresentCutsToTheSurfaceAndRestoreOnlyTheClippedRectangle) {
  struct Recorder : Presenter {
    void Present(const Surface&, const Rect& area) override { areas.push_back(area); }
    std::vector<Rect> areas;
  } window;
  gfx.presenter = &window;
  gfx.PresentRect(10, 20, 30, 5);
  gfx.PresentRect(90, 70, 50, 50);
  gfx.PresentRect(5, 5, 0, 10);
  gfx.PresentRect(200, 5, 10, 10);
  EXPECT_EQ(window.areas, (std::vector<Rect>{{10, 20, 40, 25}, {90, 70, 100, 80}}));

  FillBox(s, kRed, 0, 0, 5, 5);
  SetClip(s, 0, 0, 50, 50);
  const Surface saved = gfx.SaveScreen();
  EXPECT_EQ(saved.clip(), saved.Bounds());
  s.ResetClip();
  FillBox(s, ColourWhite, 0, 0, 99, 79);
  SetClip(s, 0, 0, 50, 50);
  gfx.RestoreScreen(saved, 2, 3, 10, 60);  // rows 3..49 (the clip), columns 2..11
  ExpectPixels(s, {{2, 3, kRed}, {5, 5, kRed}, {6, 5, Grey(50)}, {11, 49, Grey(50)}, {1, 3, ColourWhite},
                   {12, 3, ColourWhite}, {2, 2, ColourWhite}, {2, 50, ColourWhite}});
}

TEST(SetupFonts, SizesFacesAndFallbacks) {
  FakeText fake;
  fake.installed = {"microsoft sans serif", "arial"};
  Gfx gfx;
  gfx.text = &fake;
  gfx.SetupFonts("microsoft SANS serif", 0);  // size 0 is 20 with line height 23
  EXPECT_EQ(gfx.lineHeight, 23);
  using F = FontDescription;
  EXPECT_EQ(std::vector<F>({gfx.EditFont, gfx.MessageFont, gfx.SmallFont, gfx.SmallBoldFont, gfx.TitleFont,
                            gfx.LabelFont}),
            std::vector<F>({{"microsoft SANS serif", 20, 400}, {"microsoft SANS serif", 20, 700}, {"Arial", 15, 400},
                            {"Arial", 15, 700}, {"Geneva", 24, 700}, {"Microsoft Sans Serif", 16, 700}}));
  for (const auto& [size, height, line] : {std::tuple{12, 12, 15}, std::tuple{-4, 20, 23}}) {
    gfx.SetupFonts("Arial", size);
    EXPECT_EQ(gfx.EditFont.height, height) << size;
    EXPECT_EQ(gfx.lineHeight, line) << size;
  }
  // A missing face falls back in order.
  const std::pair<std::set<std::string>, const char*> fallbacks[] = {
      {{"microsoft sans serif", "ms sans serif"}, "Microsoft Sans Serif"}, {{"ms sans serif"}, "MS Sans Serif"},
      {{}, "Arial"}};
  for (const auto& [installed, face] : fallbacks) {
    fake.installed = installed;
    gfx.SetupFonts("Comic Something", 20);
    EXPECT_EQ(gfx.EditFont.face, face);
    EXPECT_EQ(gfx.MessageFont.face, face);
  }
  EXPECT_FALSE(gfx.FontInstalled(""));
  EXPECT_FALSE(Gfx().FontInstalled("Arial"));  // no renderer: nothing is installed
}

}  // namespace
}  // namespace kal
