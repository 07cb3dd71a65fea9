#include "screens/entry_box.h"

#include <gtest/gtest.h>

#include "calendar/calendar_grid.h"
#include "platform/freetype_text.h"

namespace kal {
namespace {

FreeTypeTextRenderer& Text() {
  static FreeTypeTextRenderer renderer;
  return renderer;
}

struct Painter {
  Painter(int w, int h) : surface(w, h, kOutside) {
    gfx.surface = &surface;
    gfx.text = &Text();
    gfx.SetupFonts("Arial", 0);
  }
  static constexpr Colour kOutside = Rgb(1, 2, 3);
  Surface surface;
  Gfx gfx;
};

TEST(EntryBox, EdgesScaleEachComponentRoundingHalvesToEven) {
  // 101 * 1.5 = 151.5 -> 152; 3 * 1.5 = 4.5 -> 4; 255 * 1.5 clamps.
  EXPECT_EQ(EntryBoxLightEdge(Rgb(101, 3, 255)), Rgb(152, 4, 255));
  // 101 / 2 = 50.5 -> 50; 3 / 2 = 1.5 -> 2; 255 / 2 = 127.5 -> 128.
  EXPECT_EQ(EntryBoxDarkEdge(Rgb(101, 3, 255)), Rgb(50, 2, 128));
}

TEST(EntryBox, GradientStartsFifteenLighterAndDropsEveryTwentyFifthOfTheHeight) {
  const Colour c = Rgb(100, 150, 245);
  EXPECT_EQ(EntryBoxRowColour(c, 0, 24), Rgb(115, 165, 255));  // clamped
  // A box 49 rows tall: n = round(49 / 25) = 2, so the colour drops every second row.
  EXPECT_EQ(EntryBoxRowColour(c, 1, 49), Rgb(115, 165, 255));
  EXPECT_EQ(EntryBoxRowColour(c, 2, 49), Rgb(114, 164, 255));
  EXPECT_EQ(EntryBoxRowColour(c, 20, 49), Rgb(105, 155, 250));
  EXPECT_EQ(EntryBoxRowColour(c, 49, 49), Rgb(91, 141, 236));
  // Under 13 rows n rounds to 0: no drop at all.
  EXPECT_EQ(EntryBoxRowColour(c, 12, 12), Rgb(115, 165, 255));
}

TEST(EntryBox, PaintsGradientAndEdgesInsideTheBoxOnly) {
  Painter p(80, 50);
  const Colour c = Rgb(100, 150, 200);
  DrawEntryBox(p.gfx, p.surface, c, ColourBlack, 10, 5, 69, 34, "", 50);
  // Light top row and left column, dark bottom row and right column; the
  // dark edges are drawn last and own the corners they share.
  EXPECT_EQ(p.surface.At(30, 5), EntryBoxLightEdge(c));
  EXPECT_EQ(p.surface.At(10, 20), EntryBoxLightEdge(c));
  EXPECT_EQ(p.surface.At(10, 34), EntryBoxDarkEdge(c));
  EXPECT_EQ(p.surface.At(69, 5), EntryBoxDarkEdge(c));
  EXPECT_EQ(p.surface.At(30, 34), EntryBoxDarkEdge(c));
  // Inside: row 10 of a 29-high box, n = 1.
  EXPECT_EQ(p.surface.At(30, 15), Rgb(105, 155, 205));
  for (int x = 0; x < 80; ++x) {
    EXPECT_EQ(p.surface.At(x, 4), Painter::kOutside);
    EXPECT_EQ(p.surface.At(x, 35), Painter::kOutside);
  }
  for (int y = 0; y < 50; ++y) {
    EXPECT_EQ(p.surface.At(9, y), Painter::kOutside);
    EXPECT_EQ(p.surface.At(70, y), Painter::kOutside);
  }
}

TEST(EntryBox, TextWrapsInTheTextColourAndNeverLeavesTheBox) {
  Painter p(200, 80);
  const Colour back = Rgb(0, 0, 128);
  const Colour ink = Rgb(255, 255, 0);
  // Two words that cannot share a 40-pixel line, and a box too short for both lines.
  DrawEntryBox(p.gfx, p.surface, back, ink, 20, 10, 60, 30, "Dentist appointment", 40);
  int inkInside = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 200; ++x) {
      const bool inside = x >= 20 && x <= 60 && y >= 10 && y <= 30;
      if (!inside) {
        ASSERT_EQ(p.surface.At(x, y), Painter::kOutside) << x << "," << y;
      } else if (p.surface.At(x, y) == ink) {
        ++inkInside;
      }
    }
  }
  EXPECT_GT(inkInside, 10);
  // The first line starts 2 pixels in: nothing drawn left of x1 + 2 but the edge.
  for (int y = 11; y < 30; ++y) EXPECT_NE(p.surface.At(21, y), ink);
}

}  // namespace
}  // namespace kal
