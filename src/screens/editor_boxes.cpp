#include "screens/editor_boxes.h"

#include "ui/controls.h"

namespace kal {

void DrawEditorLabel(Gfx& gfx, int rightX, const Rect& row, std::string_view text) {
  TextRecord r;
  r.x1 = rightX;
  r.x2 = rightX;
  r.y1 = row.top;
  r.y2 = row.bottom;
  r.colour = ColourLabelText;
  r.font = &gfx.LabelFont;
  r.align = AlignRight;
  r.text = std::string(text);
  gfx.DrawTextRecord(r);
}

void DrawValueBox(Gfx& gfx, const Rect& box, Colour back, Colour textColour, const std::string& caption) {
  ControlRecord r;
  r.x1 = box.left;
  r.y1 = box.top;
  r.x2 = box.right - 1;
  r.y2 = box.bottom - 1;
  r.colour = textColour;
  r.backColour = back;
  r.font = &gfx.EditFont;
  r.text = caption;
  DrawChoiceField(gfx, 1, 0, r);
}

void DrawCategoryBox(Gfx& gfx, const CategoryTable& categories, const Rect& b, int categoryByte) {
  const int category = CategoryOfByte(categoryByte);
  const Colour back = CategoryColour(categories, category);
  const std::string name = CategoryName(categories, category);
  // The box is the colour itself, so it carries no arrow.
  gfx.DrawSunkenBox(b.left, b.top, b.right - 1, b.bottom - 1, back);
  const FontDescription* font = &gfx.EditFont;
  if (gfx.text != nullptr && gfx.text->Measure(*font, name).width > b.Width() - 6) font = &gfx.SmallFont;
  TextRecord r;
  r.x1 = b.left + 3;
  r.y1 = b.top;
  r.x2 = b.right - 3;
  r.y2 = b.bottom - 1;
  r.colour = ContrastTextColor(back);
  r.font = font;
  r.text = name;
  Surface& s = *gfx.surface;
  const Rect oldClip = s.clip();
  s.SetClipRect(Rect{b.left, b.top, b.right - 3, b.bottom}.Intersect(oldClip));
  gfx.DrawTextRecord(r);
  s.SetClipRect(oldClip);
}

}  // namespace kal
