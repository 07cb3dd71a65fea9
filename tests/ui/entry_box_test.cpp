#include "ui/entry_box.h"

#include <gtest/gtest.h>

#include "calendar/calendar_grid.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

constexpr Colour kOutside = Rgb(1, 2, 3);

struct Painter {
  Painter(int w, int h) : surface(w, h, kOutside) {
    gfx.surface = &surface;
    gfx.text = &test::SharedTextRenderer();
    gfx.SetupFonts("Arial", 0);
  }
  // Pixels of `ink` inside the box, and pixels changed outside it.
  std::pair<int, int> InkAndStray(int x1, int y1, int x2, int y2, Colour ink) const {
    std::pair<int, int> n{0, 0};
    for (int y = 0; y < surface.height(); ++y) {
      for (int x = 0; x < surface.width(); ++x) {
        const bool inside = x >= x1 && x <= x2 && y >= y1 && y <= y2;
        if (inside) {
          n.first += surface.At(x, y) == ink ? 1 : 0;
        } else {
          n.second += surface.At(x, y) != kOutside ? 1 : 0;
        }
      }
    }
    return n;
  }
  Surface surface;
  Gfx gfx;
};

TEST(EntryBox, EdgeAndGradientColoursRoundHalvesToEven) {
  // 101 * 1.5 = 151.5 -> 152; 3 * 1.5 = 4.5 -> 4; 255 * 1.5 clamps.
  EXPECT_EQ(EntryBoxLightEdge(Rgb(101, 3, 255)), Rgb(152, 4, 255));
  // 101 / 2 = 50.5 -> 50; 3 / 2 = 1.5 -> 2; 255 / 2 = 127.5 -> 128.
  EXPECT_EQ(EntryBoxDarkEdge(Rgb(101, 3, 255)), Rgb(50, 2, 128));
  // Fifteen lighter at the top, then one darker every round(height / 25) rows;
  // under 13 rows that rounds to 0: no drop at all.
  const Colour c = Rgb(100, 150, 245);
  const std::tuple<int, int, Colour> rows[] = {{0, 24, Rgb(115, 165, 255)},  {1, 49, Rgb(115, 165, 255)},
                                                {2, 49, Rgb(114, 164, 255)},  {20, 49, Rgb(105, 155, 250)},
                                                {49, 49, Rgb(91, 141, 236)}, {12, 12, Rgb(115, 165, 255)}};
  for (const auto& [row, height, expected] : rows) EXPECT_EQ(EntryBoxRowColour(c, row, height), expected) << row;
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
  EXPECT_EQ(p.surface.At(30, 15), Rgb(105, 155, 205));  // row 10 of a 29-high box, n = 1
  EXPECT_EQ(p.InkAndStray(10, 5, 69, 34, ColourBlack), std::make_pair(0, 0));
}

TEST(EntryBox, TextWrapsInTheTextColourAndNeverLeavesTheBox) {
  Painter p(200, 80);
  const Colour ink = Rgb(255, 255, 0);
  // Two words that cannot share a 40-pixel line, and a box too short for both lines.
  DrawEntryBox(p.gfx, p.surface, Rgb(0, 0, 128), ink, 20, 10, 60, 30, "Dentist appointment", 40);
  const auto [inkInside, stray] = p.InkAndStray(20, 10, 60, 30, ink);
  EXPECT_GT(inkInside, 10);
  EXPECT_EQ(stray, 0);
  // The first line starts 2 pixels in: nothing drawn left of x1 + 2 but the edge.
  for (int y = 11; y < 30; ++y) EXPECT_NE(p.surface.At(21, y), ink);
}

}  // namespace
}  // namespace kal
