// The category picker of every editor and of the event list: a panel of
// coloured rows, one per category, opened at a given place (usually just
// below the "Category:" box).
//
// CategoryDropDown runs its own modal loop: it saves the off-screen surface,
// sets ModalActive, and on the way out waits until input is released and
// puts the screen and ModalActive back. The category table belongs to the
// caller and is only read. Nothing outlives the call.
#pragma once

#include <cstdint>

#include "store/categories.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

struct Application;

// The value of the optional first row "All Categories" (the event list's filter).
inline constexpr int kAllCategories = 99;
inline constexpr const char* AllCategoriesCaption = "All Categories";

struct CategoryDropDownOptions {
  int width = 0;                // panel width; 0: the widest name plus room
  bool allCategories = false;   // a first row "All Categories" chosen as kAllCategories
};

// Where an open drop-down lies once moved inside the window: the panel
// (half-open) and its rows, each rowHeight (LineHeight + 2) high from rowsTop
// between rowsLeft and rowsRight (half-open).
struct CategoryDropDownLayout {
  Rect panel;
  int rowsLeft = 0;
  int rowsRight = 0;
  int rowsTop = 0;
  int rowHeight = 0;
  int rowCount = 0;

  // The row under a point, -1 when the point is not on a row.
  int RowAt(int px, int py) const;
  // The category a row stands for (kAllCategories for the extra first row).
  int CategoryOfRow(int row, bool allCategories) const;
};

CategoryDropDownLayout LayOutCategoryDropDown(Gfx& gfx, const CategoryTable& categories, int clientWidth,
                                              int clientHeight, int x, int y, const CategoryDropDownOptions& options);

// The panel with every row, `highlighted` drawn as the row under the pointer
// (-1 none). Draws into the off-screen surface; nothing is presented.
void DrawCategoryDropDown(Gfx& gfx, const CategoryTable& categories, const CategoryDropDownLayout& layout,
                          bool allCategories, int highlighted);

// Opens the picker with its top-left corner at (x, y) and runs it. A click on
// a row chooses that row's category; a click anywhere else cancels. Up and
// Down move the highlight, Enter chooses it, Escape cancels. Returns the
// chosen category (0-11, or kAllCategories), or -1 when nothing was chosen
// (cancelled, or the window is closing). `current` is highlighted at first.
int CategoryDropDown(UiContext& ui, const CategoryTable& categories, int x, int y, int current,
                     const CategoryDropDownOptions& options = {});
// The same with the application's own input state, drawing and categories.
int CategoryDropDown(Application& app, int x, int y, int current, const CategoryDropDownOptions& options = {});

}  // namespace kal
