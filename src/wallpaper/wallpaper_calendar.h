// The desktop calendar drawn onto a screen-size picture: a translucent veil
// over five weeks starting on the Sunday on or before today, a solid weekday
// band above them, an outline and a date label per day, and the entries in
// the same boxes the month view paints.
#pragma once

#include <cstdint>

#include "calendar/calendar_grid.h"
#include "health/units.h"
#include "store/categories.h"
#include "store/event_store.h"
#include "ui/gfx.h"

namespace kal {

// The block on the screen, as the settings keep it: left, top of the day
// grid (the band goes above), width and height of the grid.
struct WallpaperBlock {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// What the block shows: the store's entries in the category colours.
struct WallpaperContent {
  const EventStore* events = nullptr;
  const CategoryTable* categories = nullptr;
  UnitModes units;
  Ymd today;
};

// Draws the block in `style` (0-21) onto `target` with gfx's fonts and text
// renderer, building its own grid into `grid`. Draws nothing and returns
// false when the width or height is 0 or less.
bool DrawWallpaperCalendar(Gfx& gfx, Surface& target, const WallpaperContent& content, const WallpaperBlock& block,
                           int style, CalendarGrid& grid);

}  // namespace kal
