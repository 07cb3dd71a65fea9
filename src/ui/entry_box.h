// The painter of one calendar entry box: a soft vertical gradient in the
// entry's colour, a light top-left and a dark bottom-right edge, and the
// entry's text word-wrapped inside.
//
// The month view, the printed calendar and the desktop calendar all paint
// their boxes with it, so they look alike. It draws on the surface it is
// given and keeps nothing; the Gfx only lends its text renderer.
#pragma once

#include <string_view>

#include "platform/page_canvas.h"
#include "platform/surface.h"
#include "ui/gfx.h"

namespace kal {

// Paints the box x1..x2, y1..y2 (inclusive) on `surface`. The text is wrapped
// with the grid's rule at (x1 + 2, y1 + 2) within wrapWidth pixels (the
// grid's cell width - 8) and never drawn outside the box. Colour arithmetic
// is per component and clamped to 0..255.
void DrawEntryBox(Gfx& gfx, Surface& surface, Colour colour, Colour textColour, int x1, int y1, int x2, int y2,
                  std::string_view text, int wrapWidth);
// The same on any page (a printed page in printer pixels); the text is
// measured with the canvas's renderer in the current entry font.
void DrawEntryBox(PageCanvas& canvas, Colour colour, Colour textColour, int x1, int y1, int x2, int y2,
                  std::string_view text, int wrapWidth);

// The colours of the edges and of gradient row `row` (0 at the top) of a box
// of that height, for the painter and its tests.
Colour EntryBoxLightEdge(Colour colour);
Colour EntryBoxDarkEdge(Colour colour);
Colour EntryBoxRowColour(Colour colour, int row, int boxHeight);

}  // namespace kal
