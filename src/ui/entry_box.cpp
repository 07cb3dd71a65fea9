#include "ui/entry_box.h"

#include <algorithm>
#include <cmath>

#include "calendar/calendar_grid.h"
#include "ui/surface_canvas.h"

namespace kal {

namespace {

// Scales each component, rounding to nearest with halves to even (the
// default rounding mode), then clamps.
Colour Scaled(Colour c, double factor) {
  auto one = [factor](int component) { return static_cast<int>(std::lrint(component * factor)); };
  return RgbClamped(one(RedOf(c)), one(GreenOf(c)), one(BlueOf(c)));
}

}  // namespace

Colour EntryBoxLightEdge(Colour colour) { return Scaled(colour, 1.5); }

Colour EntryBoxDarkEdge(Colour colour) { return Scaled(colour, 0.5); }

Colour EntryBoxRowColour(Colour colour, int row, int boxHeight) {
  // One step darker after every n rows, n about a 25th of the height.
  const int n = static_cast<int>(std::lrint(boxHeight / 25.0));
  const int shift = 15 - (n > 0 ? row / n : 0);
  return RgbClamped(RedOf(colour) + shift, GreenOf(colour) + shift, BlueOf(colour) + shift);
}

void DrawEntryBox(Gfx& gfx, Surface& surface, Colour colour, Colour textColour, int x1, int y1, int x2, int y2,
                  std::string_view text, int wrapWidth) {
  SurfaceCanvas canvas(gfx, surface);
  // Without a renderer there is nothing to measure with: the box alone.
  DrawEntryBox(canvas, colour, textColour, x1, y1, x2, y2, gfx.text != nullptr ? text : std::string_view(), wrapWidth);
}

void DrawEntryBox(PageCanvas& canvas, Colour colour, Colour textColour, int x1, int y1, int x2, int y2,
                  std::string_view text, int wrapWidth) {
  if (x2 < x1 || y2 < y1) return;
  // Rows of one colour are filled as one band: a printed box is hundreds of
  // rows high but has only a few dozen shades.
  for (int y = y1; y <= y2;) {
    const Colour c = EntryBoxRowColour(colour, y - y1, y2 - y1);
    int end = y;
    while (end < y2 && EntryBoxRowColour(colour, end + 1 - y1, y2 - y1) == c) ++end;
    canvas.Fill(c, x1, y, x2, end);
    y = end + 1;
  }

  const Colour light = EntryBoxLightEdge(colour);
  const Colour dark = EntryBoxDarkEdge(colour);
  canvas.Fill(light, x1, y1, x2 - 1, y1);
  canvas.Fill(light, x1, y1, x1, y2);
  canvas.Fill(dark, x1, y2, x2, y2);
  canvas.Fill(dark, x2, y1, x2, y2);

  if (text.empty()) return;
  // A character wider than the whole box still gets a line of its own; it
  // must not spill into the neighbouring day.
  const Rect oldClip = canvas.Clip();
  canvas.SetClip(Rect{x1, y1, x2 + 1, y2 + 1}.Intersect(oldClip));
  const FontDescription font = EntryFont();
  WrapText(canvas.Measurer(), WrapMode::kDraw, x1 + 2, y1 + 2, wrapWidth, text, [&](int x, int y, std::string_view line) {
    canvas.Text(x, y, AlignLeft, textColour, font, line);
  });
  canvas.SetClip(oldClip);
}

}  // namespace kal
