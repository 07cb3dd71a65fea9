// The labelled boxes the record editors share: a right-aligned label, a value
// box that opens a picker, and the "Category:" box filled with the
// category's colour. All draw into the off-screen surface; nothing is
// presented. Boxes are half-open rectangles.
#pragma once

#include <string>
#include <string_view>

#include "store/categories.h"
#include "ui/gfx.h"

namespace kal {

// The label in the label font, its right end at rightX, in the box's row.
void DrawEditorLabel(Gfx& gfx, int rightX, const Rect& row, std::string_view text);
// A choice field showing the caption.
void DrawValueBox(Gfx& gfx, const Rect& box, Colour back, Colour textColour, const std::string& caption);
// The category's colour with its name in the contrasting text colour; a long
// name steps down to the small font before it is cut at the box's edge. The
// category is the record's byte, as CategoryOfByte reads it.
void DrawCategoryBox(Gfx& gfx, const CategoryTable& categories, const Rect& box, int categoryByte);

}  // namespace kal
