#include "screens/category_drop_down.h"

#include <algorithm>
#include <string>

#include "platform/key_codes.h"
#include "screens/application.h"
#include "ui/controls.h"
#include "ui/input_state.h"

namespace kal {

namespace {

// Room between the panel's edge and the rows: the bevel of DrawPanel and a
// little air.
constexpr int kPanelInset = 6;
constexpr int kTextIndent = 8;
constexpr int kMinRowsWidth = 150;
// Distance kept from the window's right and bottom edges.
constexpr int kEdgeGap = 10;

std::string RowCaption(const CategoryTable& categories, int category) {
  return category == kAllCategories ? std::string(AllCategoriesCaption) : CategoryName(categories, category);
}

void DrawRow(Gfx& gfx, const CategoryTable& categories, const CategoryDropDownLayout& l, bool allCategories, int row,
             bool highlighted) {
  Surface& s = *gfx.surface;
  const int category = l.CategoryOfRow(row, allCategories);
  const int x1 = l.rowsLeft;
  const int x2 = l.rowsRight - 1;
  const int y1 = l.rowsTop + row * l.rowHeight;
  const int y2 = y1 + l.rowHeight - 1;
  const Colour back = category == kAllCategories ? ColourButtonFace : CategoryColour(categories, category);
  const Colour text = ContrastTextColor(back);
  FillBox(s, back, x1, y1, x2, y2);
  // A faint line between rows keeps neighbours of similar colour apart.
  BlendRow(s, x1, y2, x2 - x1 + 1, ColourBlack, 60);
  if (highlighted) {
    // A dark frame with a white line inside reads on light and dark colours alike.
    DrawBox(s, ColourNavy, 2, x1 + 1, y1 + 1, x2 - 2, y2 - 2);
    DrawBox(s, ColourWhite, 1, x1 + 2, y1 + 2, x2 - 3, y2 - 3);
  }
  const Rect oldClip = s.clip();
  s.SetClipRect(Rect{x1, y1, x2 + 1, y2 + 1}.Intersect(oldClip));
  const int textTop = y1 + (l.rowHeight - gfx.lineHeight) / 2;
  gfx.DrawTextAligned(s, x1 + kTextIndent, textTop, AlignLeft, text, gfx.EditFont, RowCaption(categories, category));
  s.SetClipRect(oldClip);
}

void PresentPanel(Gfx& gfx, const CategoryDropDownLayout& l) {
  // The panel with its shadow.
  gfx.PresentRect(l.panel.left, l.panel.top, l.panel.Width() + 9, l.panel.Height() + 9);
}

}  // namespace

int CategoryDropDownLayout::RowAt(int px, int py) const {
  if (rowHeight <= 0 || px < rowsLeft || px >= rowsRight || py < rowsTop) return -1;
  const int row = (py - rowsTop) / rowHeight;
  return row < rowCount ? row : -1;
}

int CategoryDropDownLayout::CategoryOfRow(int row, bool allCategories) const {
  if (allCategories) return row == 0 ? kAllCategories : row - 1;
  return row;
}

CategoryDropDownLayout LayOutCategoryDropDown(Gfx& gfx, const CategoryTable& categories, int clientWidth,
                                              int clientHeight, int x, int y, const CategoryDropDownOptions& options) {
  CategoryDropDownLayout l;
  l.rowHeight = std::max(1, gfx.lineHeight) + 2;
  l.rowCount = kCategoryCount + (options.allCategories ? 1 : 0);
  int width = options.width;
  if (width <= 0) {
    int widest = 0;
    for (int row = 0; row < l.rowCount; ++row) {
      const std::string caption = RowCaption(categories, l.CategoryOfRow(row, options.allCategories));
      if (gfx.text != nullptr) widest = std::max(widest, gfx.text->Measure(gfx.EditFont, caption).width);
    }
    width = std::max(kMinRowsWidth, widest + 2 * kTextIndent) + 2 * kPanelInset;
  }
  width = std::max(width, 2 * kPanelInset + 2 * kTextIndent);
  const int height = l.rowCount * l.rowHeight + 2 * kPanelInset;
  // Kept inside the window, never past its top-left corner.
  x = std::max(0, std::min(x, clientWidth - width - kEdgeGap));
  y = std::max(0, std::min(y, clientHeight - height - kEdgeGap));
  l.panel = Rect{x, y, x + width, y + height};
  l.rowsLeft = x + kPanelInset;
  l.rowsRight = x + width - kPanelInset;
  l.rowsTop = y + kPanelInset;
  return l;
}

void DrawCategoryDropDown(Gfx& gfx, const CategoryTable& categories, const CategoryDropDownLayout& l,
                          bool allCategories, int highlighted) {
  if (gfx.surface == nullptr) return;
  gfx.DrawPanel(l.panel.left, l.panel.top, l.panel.right, l.panel.bottom);
  for (int row = 0; row < l.rowCount; ++row) DrawRow(gfx, categories, l, allCategories, row, row == highlighted);
}

int CategoryDropDown(UiContext& ui, const CategoryTable& categories, int x, int y, int current,
                     const CategoryDropDownOptions& options) {
  Gfx& gfx = ui.gfx;
  if (gfx.surface == nullptr) return -1;
  Program& p = ui.program;
  InputState& in = p.input;
  const std::int32_t oldModal = p.ModalActive;
  p.ModalActive = 1;
  const Surface saved = gfx.SaveScreen();

  const bool all = options.allCategories;
  const CategoryDropDownLayout l =
      LayOutCategoryDropDown(gfx, categories, p.ClientWidth, p.ClientHeight, x, y, options);
  int highlighted = -1;
  for (int row = 0; row < l.rowCount; ++row) {
    if (l.CategoryOfRow(row, all) == current) highlighted = row;
  }
  DrawCategoryDropDown(gfx, categories, l, all, highlighted);
  PresentPanel(gfx, l);

  auto highlight = [&](int row) {
    if (row == highlighted) return;
    if (highlighted >= 0) DrawRow(gfx, categories, l, all, highlighted, false);
    highlighted = row;
    if (highlighted >= 0) DrawRow(gfx, categories, l, all, highlighted, true);
    PresentPanel(gfx, l);
  };

  // The press that opened the picker may still be held: only a press that
  // starts while the picker is open counts as a click.
  std::int32_t heldBefore = in.mouseButton;
  int lastX = in.mouseX;
  int lastY = in.mouseY;
  int chosen = -1;
  while (true) {
    PumpMessages(p, 1);
    if (in.quitRequested != 0) break;

    const int row = l.RowAt(in.mouseX, in.mouseY);
    if (in.mouseX != lastX || in.mouseY != lastY) {
      // The pointer leads while it moves; off the rows it lights nothing.
      highlight(row);
      lastX = in.mouseX;
      lastY = in.mouseY;
    }
    if (in.mouseButton != 0 && heldBefore == 0) {
      if (row >= 0) chosen = l.CategoryOfRow(row, all);
      break;
    }
    heldBefore = in.mouseButton;

    if (in.lastKey == KeyUp) {
      highlight(highlighted <= 0 ? 0 : highlighted - 1);
    } else if (in.lastKey == KeyDown) {
      highlight(highlighted < 0 ? 0 : std::min(highlighted + 1, l.rowCount - 1));
    } else if (in.lastKey == KeyHome) {
      highlight(0);
    } else if (in.lastKey == KeyEnd) {
      highlight(l.rowCount - 1);
    } else if (in.lastChar == CharEnter) {
      if (highlighted >= 0) {
        chosen = l.CategoryOfRow(highlighted, all);
        break;
      }
    } else if (in.lastChar == CharEscape) {
      break;
    }
  }

  WaitInputRelease(p);
  gfx.RestoreScreen(saved, 0, 0, p.ClientWidth, p.ClientHeight);
  gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
  p.ModalActive = oldModal;
  return chosen;
}

int CategoryDropDown(Application& app, int x, int y, int current, const CategoryDropDownOptions& options) {
  UiContext ui{app.program, app.gfx, {}};
  return CategoryDropDown(ui, app.categories, x, y, current, options);
}

}  // namespace kal
