// The calendar screen's drawing: the panel, the weekday strip, the title and the grid items.
#include <algorithm>
#include <string>

#include "screens/application.h"
#include "screens/calendar_parts.h"
#include "screens/calendar_screen.h"
#include "ui/entry_box.h"
#include "screens/main_frame.h"
#include "ui/controls.h"

namespace kal {

using namespace calendar_parts;

namespace {

constexpr Colour kCellFrame = Rgb(100, 100, 100);
constexpr Colour kLabelGrey = Rgb(120, 120, 120);
constexpr Colour kTodayFrame = Rgb(160, 0, 0);
constexpr Colour kTodayText = Rgb(255, 0, 0);
// Pure red on the navy of a selected cell is hard to read; a lighter red keeps the meaning.
constexpr Colour kTodaySelectedText = Rgb(255, 110, 110);
constexpr Colour kStripLine = Rgb(200, 200, 200);
// The weekday strip above the grid: 15 pixels of text and 2 of margin.
constexpr int kStripHeight = 17;

// The strip the title is drawn in: at least the layout's, wide enough for the
// longest title, never over the buttons beside it.
Rect TitleClearRect(Application& app, const CalendarLayout& l) {
  const Program& p = app.program;
  int half = (l.titleStrip.right - l.titleStrip.left) / 2;
  if (app.gfx.text != nullptr) {
    const int widest = app.gfx.text->Measure(app.gfx.TitleFont, "September 30, 8888").width;
    half = std::max(half, widest / 2 + 4);
  }
  const int left = std::max(p.CentreX - half, l.next.right + 4);
  const int right = std::min(p.CentreX + half, l.print.left - 4);
  return Rect{left, l.titleStrip.top, std::max(left, right), l.titleStrip.bottom};
}

std::string TitleText(const Ymd& d) {
  return MonthName(d.month) + " " + std::to_string(d.day) + ", " + std::to_string(d.year);
}

void DrawTitle(Application& app, const CalendarLayout& l) {
  Gfx& g = app.gfx;
  const Rect strip = TitleClearRect(app, l);
  g.TileImage(g.backgroundTexture, strip.left, strip.top, strip.right, strip.bottom);
  const GridItem* item = Selected(app);
  if (item == nullptr) return;
  const std::string title = TitleText(KeyDate(item->key));
  const int x = app.program.CentreX;
  g.DrawTextAligned(*g.surface, x + 1, l.titleTop + 1, AlignCentre, ColourBlack, g.TitleFont, title);
  g.DrawTextAligned(*g.surface, x, l.titleTop, AlignCentre, ColourWhite, g.TitleFont, title);
}

void DrawDayCell(Application& app, const GridItem& item, bool selected, const std::string& todayKey) {
  Gfx& g = app.gfx;
  Surface& s = *g.surface;
  FillBox(s, selected ? ColourNavy : item.colour, item.left, item.top, item.right, item.bottom);
  DrawBox(s, kCellFrame, 1, item.left, item.top, item.right - 1, item.bottom - 1);
  const Ymd d = KeyDate(item.key);
  std::string label = MonthAbbreviation(d.month) + " " + std::to_string(d.day);
  Colour colour = kLabelGrey;
  const FontDescription* font = &g.SmallFont;
  if (selected) {
    colour = ColourWhite;
  } else if (d.day == 1) {
    colour = ColourBlack;
    font = &g.SmallBoldFont;
  }
  if (item.key == todayKey) {
    label = "Today is " + label;
    colour = selected ? kTodaySelectedText : kTodayText;
    font = &g.SmallBoldFont;
  }
  // The label stays inside its cell however narrow the window.
  const Rect oldClip = s.clip();
  s.SetClipRect(Rect{item.left + 1, item.top + 1, item.right, item.bottom}.Intersect(oldClip));
  g.DrawTextAligned(s, item.left + 4, item.top + 4, AlignLeft, colour, *font, label);
  s.SetClipRect(oldClip);
}

// Two pixels of dark red just inside today's cell, drawn after the entries so
// that they frame them too.
void DrawTodayFrame(Surface& s, const GridItem& cell) {
  DrawBox(s, kTodayFrame, 1, cell.left + 1, cell.top + 1, cell.right - 2, cell.bottom - 2);
  DrawBox(s, kTodayFrame, 1, cell.left + 2, cell.top + 2, cell.right - 3, cell.bottom - 3);
}

}  // namespace

namespace calendar_parts {

void DrawGridItems(Application& app, const CalendarLayout& l) {
  DrawTitle(app, l);
  const Ymd& t = app.dates.today;
  const std::string todayKey = DayKey(t.year, t.month, t.day);
  Gfx& g = app.gfx;
  const CalendarGrid& grid = app.grid;
  for (int i = 0; i < grid.count(); ++i) {
    const GridItem& item = grid.items[static_cast<std::size_t>(i)];
    const bool selected = i == grid.selected;
    if (item.IsDayCell()) {
      DrawDayCell(app, item, selected, todayKey);
    } else {
      const Colour back = selected ? ColourNavy : item.colour;
      const Colour text = selected ? ColourWhite : ContrastTextColor(item.colour);
      DrawEntryBox(g, *g.surface, back, text, item.left, item.top, item.right, item.bottom - 1,
                   std::string_view(item.key).substr(kDayKeyLength), l.cellWidth - 8);
    }
  }
  if (const int today = FindDayCell(grid, todayKey); today >= 0) {
    DrawTodayFrame(*g.surface, grid.items[static_cast<std::size_t>(today)]);
  }
}

void PresentGrid(Application& app, const CalendarLayout& l) {
  const Rect strip = TitleClearRect(app, l);
  app.gfx.PresentRect(strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top);
  app.gfx.PresentRect(l.area.left, l.area.top, l.area.right - l.area.left, l.area.bottom - l.area.top);
}

}  // namespace calendar_parts

void DrawCalendarGrid(Application& app) {
  const CalendarLayout l = app.layout.calendar;
  DrawGridItems(app, l);
  PresentGrid(app, l);
}

void DrawCalendarScreen(Application& app) {
  Program& p = app.program;
  Gfx& g = app.gfx;
  Surface& s = *g.surface;
  const CalendarLayout l = app.layout.calendar;
  g.TileImage(g.backgroundTexture, 0, 0, p.ClientWidth, p.ClientHeight);
  DrawFrame(app);

  const Rect& a = l.area;
  g.DrawSunkenBox(a.left, a.top - kStripHeight, a.right - 1, a.bottom - 1, ColourBlack);
  DrawPushButton(g, 0, l.previous.left, l.previous.top, l.previous.right, l.previous.bottom, kPreviousCaption, 0);
  DrawPushButton(g, 0, l.today.left, l.today.top, l.today.right, l.today.bottom, "Today", 0);
  DrawPushButton(g, 0, l.next.left, l.next.top, l.next.right, l.next.bottom, kNextCaption, 0);
  DrawPushButton(g, 0, l.print.left, l.print.top, l.print.right, l.print.bottom, "Print", 0);

  FillBox(s, ColourBlack, a.left, a.top - kStripHeight, a.right - 1, a.top - 1);
  for (int i = 0; i < 7; ++i) {
    const int x = a.left + i * l.cellWidth;
    if (i > 0) FillBox(s, kStripLine, x, a.top - kStripHeight, x, a.top - 1);
    g.DrawTextAligned(s, x + l.cellWidth / 2, a.top - kStripHeight + 1, AlignCentre, ColourWhite, g.SmallBoldFont,
                      WeekdayName(i));
  }
  DrawGridItems(app, l);
  g.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
}

}  // namespace kal
