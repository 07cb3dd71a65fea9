#include "wallpaper/wallpaper_calendar.h"

#include <cmath>
#include <string>

#include "calendar/dates.h"
#include "ui/entry_box.h"
#include "ui/wallpaper_styles.h"

namespace kal {

namespace {

constexpr Colour kTodayLabel = Rgb(255, 0, 0);

// "May 5" from the eight digits at the start of a day key.
Ymd KeyDay(const std::string& key) {
  const auto number = [&key](std::size_t at, std::size_t n) { return std::stoi(key.substr(at, n)); };
  return Ymd{number(0, 4), number(4, 2), number(6, 2)};
}

}  // namespace

bool DrawWallpaperCalendar(Gfx& gfx, Surface& target, const WallpaperContent& content, const WallpaperBlock& block,
                           int style, CalendarGrid& grid) {
  if (block.width <= 0 || block.height <= 0 || gfx.text == nullptr) return false;
  const WallpaperStyle s = WallpaperStyleOf(style);
  const int x = block.x;
  const int y = block.y;
  const int cw = block.width / 7;

  AppDates dates;
  dates.today = content.today;
  dates.display = content.today;
  BackToSunday(dates);
  BuildCalendarGrid(grid, *content.events, *content.categories, content.units, *gfx.text, 5,
                    Rect{x, y, x + block.width, y + block.height}, PackDate(dates.display));

  // The veil ends at the last whole column, one row below the grid.
  if (s.alpha > 0) {
    for (int row = y; row <= y + block.height; ++row) BlendRow(target, x, row, 7 * cw, s.veil, s.alpha);
  }

  const int f = kEntryLineHeight;
  FillBox(target, s.line, x, y - f, x + 7 * cw, y - 1);
  for (int i = 1; i <= 6; ++i) FillBox(target, s.bandText, x + i * cw, y - f, x + i * cw, y - 1);
  for (int i = 0; i <= 6; ++i) {
    const int centre = x + cw * i + static_cast<int>(std::lrint(cw / 2.0));
    gfx.DrawTextAligned(target, centre, y - f + 1, AlignCentre, s.bandText, gfx.SmallBoldFont, WeekdayName(i));
  }

  const std::string todayKey = DayKey(content.today.year, content.today.month, content.today.day);
  for (const GridItem& item : grid.items) {
    if (item.IsDayCell()) {
      DrawBox(target, s.line, 1, item.left, item.top, item.right - 1, item.bottom - 1);
      const Ymd d = KeyDay(item.key);
      std::string label = MonthAbbreviation(d.month) + " " + std::to_string(d.day);
      Colour colour = s.line;
      if (item.key == todayKey) {
        label = "Today is " + label;
        colour = kTodayLabel;
      }
      // A label never runs into the next day, however narrow the block.
      const Rect oldClip = target.clip();
      target.SetClipRect(Rect{item.left + 1, item.top + 1, item.right, item.bottom}.Intersect(oldClip));
      gfx.DrawTextAligned(target, item.left + 4, item.top + 4, AlignLeft, colour, gfx.SmallFont, label);
      target.SetClipRect(oldClip);
    } else {
      DrawEntryBox(gfx, target, item.colour, ContrastTextColor(item.colour), item.left, item.top, item.right,
                   item.bottom - 1, std::string_view(item.key).substr(kDayKeyLength), cw - 8);
    }
  }
  return true;
}

}  // namespace kal
