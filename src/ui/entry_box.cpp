#include "ui/entry_box.h"

#include <algorithm>
#include <cmath>

#include "calendar/calendar_grid.h"

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
  if (x2 < x1 || y2 < y1) return;
  for (int y = y1; y <= y2; ++y) FillBox(surface, EntryBoxRowColour(colour, y - y1, y2 - y1), x1, y, x2, y);

  const Colour light = EntryBoxLightEdge(colour);
  const Colour dark = EntryBoxDarkEdge(colour);
  FillBox(surface, light, x1, y1, x2 - 1, y1);
  FillBox(surface, light, x1, y1, x1, y2);
  FillBox(surface, dark, x1, y2, x2, y2);
  FillBox(surface, dark, x2, y1, x2, y2);

  if (text.empty() || gfx.text == nullptr) return;
  // A character wider than the whole box still gets a line of its own; it
  // must not spill into the neighbouring day.
  const Rect oldClip = surface.clip();
  surface.SetClipRect(Rect{x1, y1, x2 + 1, y2 + 1}.Intersect(oldClip));
  const FontDescription font = EntryFont();
  WrapText(*gfx.text, WrapMode::kDraw, x1 + 2, y1 + 2, wrapWidth, text, [&](int x, int y, std::string_view line) {
    gfx.DrawTextAligned(surface, x, y, AlignLeft, textColour, font, line);
  });
  surface.SetClipRect(oldClip);
}

}  // namespace kal
