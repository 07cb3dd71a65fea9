#include "screens/calendar_screen.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "screens/application.h"
#include "screens/entry_box.h"
#include "screens/event_editor.h"
#include "screens/main_frame.h"
#include "store/event_record.h"
#include "ui/controls.h"
#include "ui/dialog_host.h"
#include "ui/input_state.h"
#include "ui/message_dialog.h"
#include "ui/popup_list.h"
#include "ui/ui_host.h"

namespace kal {

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
// A press turns into a drag once the pointer has moved this far.
constexpr int kDragSlop = 5;
constexpr std::size_t kDragLabelChars = 50;

constexpr char kPreviousCaption[] = {CaptionBigLeft, '\0'};
constexpr char kNextCaption[] = {CaptionBigRight, '\0'};

constexpr std::int32_t KeyDelete = 83;
constexpr std::int32_t CharEnter = 13;

constexpr const char* kRecordKinds[] = {"Generic Event",  "Weight and Measurements", "Menstrual Cycle",
                                        "Blood Pressure", "Cholesterol",             "Blood Sugar (Glucose)"};
constexpr RecordKind kChooserKinds[] = {kKindGeneric,       kKindWeight,       kKindCycle,
                                        kKindBloodPressure, kKindCholesterol, kKindGlucose};

UnitModes Units(const Application& app) { return UnitModes{app.settings.weightMode, app.settings.measureMode}; }

PackedDate DisplayPacked(const Application& app) { return PackDate(app.dates.display); }

Ymd StepDays(Ymd d, int days) {
  for (; days > 0; --days) NextDay(d);
  for (; days < 0; ++days) PreviousDay(d);
  return d;
}

std::string KeyOf(const Ymd& d) { return DayKey(d.year, d.month, d.day); }

const GridItem* Selected(const Application& app) {
  const CalendarGrid& g = app.grid;
  if (g.selected < 0 || g.selected >= g.count()) return nullptr;
  return &g.items[static_cast<std::size_t>(g.selected)];
}

bool Contains(const GridItem& item, int x, int y) {
  return x >= item.left && x <= item.right && y >= item.top && y <= item.bottom;
}

// The last item under the point, so that an entry box wins over the day cell
// below it; with dayCellsOnly the day cell itself.
int HitItem(const CalendarGrid& grid, int x, int y, bool dayCellsOnly) {
  for (int i = grid.count() - 1; i >= 0; --i) {
    const GridItem& item = grid.items[static_cast<std::size_t>(i)];
    if (dayCellsOnly && !item.IsDayCell()) continue;
    if (Contains(item, x, y)) return i;
  }
  return -1;
}

// Day keys hold four-digit years: a day outside them could never be selected.
bool ShowableYear(const Ymd& d) { return d.year >= 1 && d.year <= 9999; }

void ShowDisplayFrom(Application& app, const Ymd& first) {
  app.dates.display = first;
  BackToSunday(app.dates);
}

// Selects the day cell of `date`, scrolling the view a week at a time in the
// direction given until the day is on screen.
void SelectDayScrolling(Application& app, const Ymd& date, int weekStep) {
  if (!ShowableYear(date)) return;
  const std::string key = KeyOf(date);
  int index = FindDayCell(app.grid, key);
  // One week's scroll brings a neighbouring day into view; the bound only
  // guards against a grid that cannot show the day at all.
  for (int tries = 0; index < 0 && tries < 2; ++tries) {
    app.dates.display = StepDays(app.dates.display, weekStep);
    RebuildCalendarGrid(app, "");
    index = FindDayCell(app.grid, key);
  }
  app.grid.selected = index;
}

// The day the month keys and buttons count from: the selected item's, or,
// with nothing selected, the middle of the weeks shown.
Ymd ReferenceDate(const Application& app) {
  if (const GridItem* item = Selected(app)) return KeyDate(item->key);
  return StepDays(app.dates.display, 17);
}

void GoToMonthStart(Application& app, const Ymd& target) {
  if (!ShowableYear(target)) return;
  ShowDisplayFrom(app, target);
  RebuildCalendarGrid(app, "");
  app.grid.selected = FindDayCell(app.grid, KeyOf(target));
}

void PageBack(Application& app, bool ctrl) {
  const Ymd d = ReferenceDate(app);
  Ymd target{d.year, d.month, 1};
  if (ctrl) {
    target.year -= 1;
  } else if (d.day == 1) {
    target.month -= 1;
    if (target.month < 1) {
      target.month = 12;
      target.year -= 1;
    }
  }
  GoToMonthStart(app, target);
}

void PageForward(Application& app, bool ctrl) {
  const Ymd d = ReferenceDate(app);
  Ymd target{d.year, d.month, 1};
  if (ctrl) {
    target.year += 1;
  } else {
    target.month += 1;
    if (target.month > 12) {
      target.month = 1;
      target.year += 1;
    }
  }
  GoToMonthStart(app, target);
}

void GoToToday(Application& app) {
  AppDates& dates = app.dates;
  dates.dayChanged = false;
  // Only the frame's day-change check moves the remembered day: going to
  // today early must not hide midnight from it.
  const std::int32_t remembered = dates.rememberedDay;
  const std::int32_t current = dates.currentDay;
  SetTodayFromClock(dates, *app.program.clock);
  dates.rememberedDay = remembered;
  dates.currentDay = current;
  RebuildCalendarGrid(app, "");
  app.grid.selected = FindDayCell(app.grid, KeyOf(app.dates.today));
}

// Left and Right: the day cell one day away, scrolling a week when needed.
void StepDay(Application& app, int days) {
  const GridItem* item = Selected(app);
  if (item == nullptr) return;
  SelectDayScrolling(app, StepDays(KeyDate(item->key), days), days < 0 ? -7 : 7);
}

// Up and Down: a week away on a day cell, the neighbouring item on an entry.
void StepVertical(Application& app, int direction) {
  const GridItem* item = Selected(app);
  if (item == nullptr) return;
  if (item->IsDayCell()) {
    SelectDayScrolling(app, StepDays(KeyDate(item->key), 7 * direction), 7 * direction);
    return;
  }
  const int next = app.grid.selected + direction;
  if (next >= 0 && next < app.grid.count()) app.grid.selected = next;
}

// ---------------------------------------------------------------------------
// Drawing

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

// ---------------------------------------------------------------------------
// Input

// Waits up to ms of the program's clock, ending early when the mouse moves or
// is released: the pace of scrolling while an entry is dragged off the grid.
void WaitForMouseChange(Program& p, int ms) {
  InputState& in = p.input;
  if (p.window == nullptr || p.clock == nullptr) return;
  const std::uint64_t start = p.clock->TickMs();
  const std::int32_t x = in.mouseX;
  const std::int32_t y = in.mouseY;
  p.window->StartTimer(HoldTimerId, ms);
  while (in.quitRequested == 0 && in.mouseButton != 0 && in.mouseX == x && in.mouseY == y) {
    const std::uint64_t spent = p.clock->TickMs() - start;
    if (spent >= static_cast<std::uint64_t>(ms)) break;
    PumpFor(p, static_cast<int>(static_cast<std::uint64_t>(ms) - spent));
  }
  p.window->KillTimer(HoldTimerId);
}

// One step now, then again while the key stays down: 300 ms after the first
// step, 25 ms after each further one.
template <typename Step>
void RepeatWhileKeyHeld(Application& app, const CalendarLayout& l, std::int32_t key, Step step) {
  Program& p = app.program;
  step();
  DrawGridItems(app, l);
  PresentGrid(app, l);
  DelayUnlessInput(p, 1);
  while (p.input.quitRequested == 0 && p.input.lastKey == key) {
    step();
    DrawGridItems(app, l);
    PresentGrid(app, l);
    DelayUnlessInput(p, 0);
  }
}

// The previous and next buttons: shown pressed while held, repeating like the keys.
template <typename Step>
bool RepeatButton(Application& app, const CalendarLayout& l, const Rect& r, const char* caption, Step step) {
  Program& p = app.program;
  Gfx& g = app.gfx;
  if (MouseDownIn(p.input, r.left, r.top, r.right, r.bottom) == 0) return false;
  auto show = [&](std::int32_t state) {
    DrawPushButton(g, state, r.left, r.top, r.right, r.bottom, caption, 0);
    g.PresentRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
  };
  show(1);
  step();
  DrawGridItems(app, l);
  PresentGrid(app, l);
  DelayUnlessInput(p, 1);
  while (p.input.quitRequested == 0 && p.input.mouseButton != 0) {
    step();
    DrawGridItems(app, l);
    PresentGrid(app, l);
    DelayUnlessInput(p, 0);
  }
  show(0);
  return true;
}

// The dragged entry's record appended on the drop day; a move also retires
// the original. A copy gets ids of its own, so that editing or deleting its
// group never reaches the records it was copied from.
void DropEntry(Application& app, const GridItem& dragged, const Ymd& day, bool move) {
  EventStore& store = app.events;
  const auto offset = static_cast<std::uint32_t>(dragged.record);
  const std::uint32_t length = RecordLength(store, offset);
  if (length < rec::kHeaderSize + 2 || std::size_t{offset} + length > store.storeSize) return;
  std::vector<std::uint8_t> bytes(length);
  for (std::uint32_t i = 0; i < length; ++i) bytes[i] = Byte(store.store, std::size_t{offset} + i);
  auto put32 = [&bytes](std::uint32_t at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int k = 0; k < 4; ++k) bytes[at + static_cast<std::uint32_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
  };
  put32(rec::kDate, PackDate(day));
  if (!move) {
    put32(rec::kRecordId, NextRecordId(store));
    put32(rec::kGroupId, NextGroupId(store));
  }
  const std::uint32_t kind = RecordKindAt(store, offset);
  AppendRecordBytes(store, bytes.data(), length);
  if (move) DeleteRecord(store, offset);
  UiHost host(app.ui);
  SaveEvents(store, Units(app), host);
  if (kind == kKindCycle && CalendarScreenHooks().repredictCycles) CalendarScreenHooks().repredictCycles(store);
}

void DragItem(Application& app, const CalendarLayout& l, int button) {
  Program& p = app.program;
  InputState& in = p.input;
  Gfx& g = app.gfx;
  const GridItem dragged = app.grid.items[static_cast<std::size_t>(app.grid.selected)];
  std::string label;
  if (!dragged.IsDayCell()) {
    label = dragged.key.substr(kDayKeyLength);
    if (label.size() > kDragLabelChars) label = label.substr(0, kDragLabelChars) + "...";
  }

  Surface under = g.SaveScreen();
  Rect shown;
  auto hideLabel = [&] {
    if (shown.Empty()) return;
    g.RestoreScreen(under, shown.left, shown.top, shown.Width(), shown.Height());
    g.PresentRect(shown.left, shown.top, shown.Width(), shown.Height());
    shown = Rect{};
  };
  auto showLabel = [&] {
    if (label.empty()) return;
    Surface& s = *g.surface;
    const TextExtent e = g.text != nullptr ? g.text->Measure(g.SmallFont, label) : TextExtent{};
    const int x = in.mouseX;
    const int y = in.mouseY;
    const int w = e.width + 20;
    const int h = e.height + 4;
    FillBox(s, dragged.colour, x, y, x + w - 1, y + h - 1);
    DrawBox(s, ColourBlack, 1, x, y, x + w - 2, y + h - 2);
    // Black text would vanish on the darker category colours.
    g.DrawTextAligned(s, x + 15, y + 2, AlignLeft, ContrastTextColor(dragged.colour), g.SmallFont, label);
    shown = Rect{x, y, x + w, y + h};
    g.PresentRect(x, y, w, h);
  };
  auto redrawUnderLabel = [&] {
    hideLabel();
    DrawGridItems(app, l);
    PresentGrid(app, l);
    under = g.SaveScreen();
    showLabel();
  };

  showLabel();
  while (in.mouseButton != 0 && in.quitRequested == 0) {
    if (in.mouseY < l.area.top || in.mouseY >= l.area.bottom) {
      const int step = in.mouseY < l.area.top ? -7 : 7;
      const GridItem* target = Selected(app);
      const Ymd moved = StepDays(target != nullptr ? KeyDate(target->key) : app.dates.display, step);
      app.dates.display = StepDays(app.dates.display, step);
      RebuildCalendarGrid(app, "");
      app.grid.selected = FindDayCell(app.grid, KeyOf(moved));
      redrawUnderLabel();
      WaitForMouseChange(p, 100);
      continue;
    }
    const int cell = HitItem(app.grid, in.mouseX, in.mouseY, true);
    if (cell >= 0 && cell != app.grid.selected) {
      app.grid.selected = cell;
      redrawUnderLabel();
    }
    if (shown.left != in.mouseX || shown.top != in.mouseY) {
      hideLabel();
      showLabel();
    }
    PumpMessages(p, 1);
  }
  hideLabel();
  if (in.quitRequested != 0) return;

  const GridItem* target = Selected(app);
  std::string keep = SelectedKey(app);
  if (!dragged.IsDayCell() && target != nullptr && target->IsDayCell()) {
    DropEntry(app, dragged, KeyDate(target->key), button == 1);
  }
  RebuildCalendarGrid(app, keep);
  DrawCalendarScreen(app);
}

// A press in the calendar area: select, then open on release, or drag.
bool HandleMouse(Application& app, const CalendarLayout& l) {
  Program& p = app.program;
  InputState& in = p.input;
  if (MouseDownIn(in, l.area.left, l.area.top, l.area.right, l.area.bottom) == 0) return false;
  const int button = (in.mouseButton & 1) != 0 ? 1 : 2;
  const int remembered = app.grid.selected;
  const int hit = HitItem(app.grid, in.mouseX, in.mouseY, false);
  if (hit < 0) {
    WaitInputRelease(p);
    return true;
  }
  app.grid.selected = hit;
  DrawCalendarGrid(app);

  const std::int32_t downX = in.mouseX;
  const std::int32_t downY = in.mouseY;
  while (in.mouseButton != 0 && in.quitRequested == 0 && std::abs(in.mouseX - downX) <= kDragSlop &&
         std::abs(in.mouseY - downY) <= kDragSlop) {
    PumpMessages(p, 1);
  }
  if (in.quitRequested != 0) return true;
  if (in.mouseButton != 0) {
    DragItem(app, l, button);
    return true;
  }

  const GridItem item = app.grid.items[static_cast<std::size_t>(hit)];
  if (button == 2) {
    if (!item.IsDayCell()) EditRecord(app, item.record);
  } else if (hit == remembered) {
    OpenGridItem(app, hit);
  }
  RebuildCalendarGrid(app, item.key);
  DrawCalendarScreen(app);
  return true;
}

void ShowPlaceholder(Application& app, const char* message) { MessageDialog(app.ui, message, "OK"); }

void OpenEventEditor(Application& app, std::int32_t offset) {
  std::int32_t result = 0;
  EventEditor(app, app.ui, offset, result);
}

void FirstDraw(Application& app) {
  Program& p = app.program;
  if (app.firstDrawDone) return;
  app.firstDrawDone = true;
  if (app.CommandLine.rfind("/silent", 0) == 0) {
    if (app.hooks.restoreUserWallpaper) app.hooks.restoreUserWallpaper();
    if (app.hooks.updateWallpaperCalendar) app.hooks.updateWallpaperCalendar();
    HideToTray(p);
    app.CommandLine.clear();
  } else if (p.window != nullptr) {
    p.window->Show();
  }
}

}  // namespace

CalendarHooks& CalendarScreenHooks() {
  static CalendarHooks hooks;
  return hooks;
}

Ymd KeyDate(std::string_view key) {
  auto digits = [key](std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count && i < key.size(); ++i) {
      if (key[i] < '0' || key[i] > '9') return 0;
      value = value * 10 + (key[i] - '0');
    }
    return value;
  };
  return Ymd{digits(0, 4), digits(4, 2), digits(6, 2)};
}

std::string SelectedKey(const Application& app) {
  const GridItem* item = Selected(app);
  return item != nullptr ? item->key : std::string();
}

void RebuildCalendarGrid(Application& app, std::string_view selectKey) {
  if (app.gfx.text == nullptr) return;
  // Two entries of a day may read the same: the one at the old place wins.
  const int oldIndex = app.grid.selected;
  BuildCalendarGrid(app.grid, app.events, app.categories, Units(app), *app.gfx.text, 5, app.layout.calendar.area,
                    DisplayPacked(app));
  if (selectKey.empty()) return;
  if (oldIndex >= 0 && oldIndex < app.grid.count() &&
      app.grid.items[static_cast<std::size_t>(oldIndex)].key == selectKey) {
    app.grid.selected = oldIndex;
    return;
  }
  for (int i = 0; i < app.grid.count(); ++i) {
    if (app.grid.items[static_cast<std::size_t>(i)].key == selectKey) {
      app.grid.selected = i;
      return;
    }
  }
  app.grid.selected = FindDayCell(app.grid, selectKey);
}

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

void OpenGridItem(Application& app, int index) {
  if (index < 0 || index >= app.grid.count()) return;
  const GridItem item = app.grid.items[static_cast<std::size_t>(index)];
  if (item.IsDayCell()) {
    NewRecordChooser(app, item.key);
  } else {
    EditRecord(app, item.record);
  }
}

void NewRecordChooser(Application& app, std::string_view dayKey) {
  Program& p = app.program;
  UiContext& ui = app.ui;
  PopupItems items;
  for (int i = 0; i < 6; ++i) items.Set(i, kRecordKinds[i]);
  // The list opens below the day's label, or in the middle when the day is not shown.
  int x = p.CentreX - 100;
  int y = p.ClientHeight / 2;
  if (const int cell = FindDayCell(app.grid, dayKey); cell >= 0) {
    const GridItem& item = app.grid.items[static_cast<std::size_t>(cell)];
    x = item.left + 8;
    y = item.top + kEntryLineHeight + 8;
  }
  int chosen = 0;
  PopupList(ui, items, x, y, 0, 0, 6, chosen);
  // Closing the window leaves the choice as it was: that is no choice.
  if (p.input.quitRequested != 0 || chosen < 0 || chosen > 5) return;

  const RecordKind kind = kChooserKinds[chosen];
  EventStore& store = app.events;
  PrepareWorkRecord(store, kind, 0, PackDate(KeyDate(dayKey)));
  SetLong(store.workRecord, rec::kRecordId, NextRecordId(store));
  SetLong(store.workRecord, rec::kGroupId, NextGroupId(store));
  if (kind == kKindGeneric) {
    OpenEventEditor(app, -1);
  } else {
    // FIXME: the health editors, once they are part of the build.
    ShowPlaceholder(app, kLaterKindMessage);
  }
}

void EditRecord(Application& app, std::int32_t offset) {
  EventStore& store = app.events;
  if (offset < 0 || static_cast<std::uint32_t>(offset) >= store.storeSize) return;
  const auto off = static_cast<std::uint32_t>(offset);
  const std::uint32_t kind = RecordKindAt(store, off);
  if (kind == kKindCycle && Byte(store.store, std::size_t{off} + rec::kPredicted) > 0) {
    ShowPlaceholder(app, kPredictedCycleMessage);
    return;
  }
  EnsureWorkRecord(store);
  const std::uint32_t length = std::min({RecordLength(store, off), kWorkRecordSize, store.storeSize - off});
  MoveBytes(store.store, off, store.workRecord, 0, length);
  if (kind == kKindGeneric) {
    OpenEventEditor(app, offset);
  } else if (kind >= kKindWeight && kind <= kKindGlucose) {
    // FIXME: the health editors, once they are part of the build.
    ShowPlaceholder(app, kLaterKindMessage);
  }
}

void CalendarScreen(Application& app) {
  Program& p = app.program;
  InputState& in = p.input;
  UiContext& ui = app.ui;
  in.layoutChanged = 1;
  for (;;) {
    FrameInput(app, 1, p.NextScreen);
    if (in.layoutChanged != 0) {
      in.layoutChanged = 0;
      LayoutScreens(app);
      RebuildCalendarGrid(app, SelectedKey(app));
      DrawCalendarScreen(app);
      FirstDraw(app);
    }
    if (in.quitRequested != 0 || (p.NextScreen > 0 && p.NextScreen != p.CurrentScreen)) return;
    const CalendarLayout& l = app.layout.calendar;

    if (HandleMouse(app, l)) {
      // handled
    } else if (in.lastChar == CharEnter) {
      if (Selected(app) != nullptr) {
        const std::string keep = SelectedKey(app);
        OpenGridItem(app, app.grid.selected);
        RebuildCalendarGrid(app, keep);
        DrawCalendarScreen(app);
        WaitInputRelease(p);
      }
    } else if (in.lastKey == KeyLeft) {
      RepeatWhileKeyHeld(app, l, KeyLeft, [&] { StepDay(app, -1); });
    } else if (in.lastKey == KeyRight) {
      RepeatWhileKeyHeld(app, l, KeyRight, [&] { StepDay(app, 1); });
    } else if (in.lastKey == KeyUp) {
      RepeatWhileKeyHeld(app, l, KeyUp, [&] { StepVertical(app, -1); });
    } else if (in.lastKey == KeyDown) {
      RepeatWhileKeyHeld(app, l, KeyDown, [&] { StepVertical(app, 1); });
    } else if (in.lastKey == KeyPageUp) {
      const bool ctrl = in.ctrlDown != 0;
      RepeatWhileKeyHeld(app, l, KeyPageUp, [&] { PageBack(app, ctrl); });
    } else if (RepeatButton(app, l, l.previous, kPreviousCaption, [&] { PageBack(app, false); })) {
      // handled
    } else if (in.lastKey == KeyPageDown) {
      const bool ctrl = in.ctrlDown != 0;
      RepeatWhileKeyHeld(app, l, KeyPageDown, [&] { PageForward(app, ctrl); });
    } else if (RepeatButton(app, l, l.next, kNextCaption, [&] { PageForward(app, false); })) {
      // handled
    } else if (in.lastKey == KeyHome || app.dates.dayChanged ||
               ButtonClicked(ui, l.today.left, l.today.top, l.today.right, l.today.bottom, "Today", 0) != 0) {
      GoToToday(app);
      DrawCalendarGrid(app);
    } else if (in.lastKey == KeyDelete) {
      UiHost host(ui);
      if (DeleteSelectedEntry(app.grid, app.events, app.categories, Units(app), *app.gfx.text, host, l.area,
                              DisplayPacked(app), CalendarScreenHooks().repredictCycles) != 0) {
        DrawCalendarScreen(app);
        WaitInputRelease(p);
      }
    } else if (ButtonClicked(ui, l.print.left, l.print.top, l.print.right, l.print.bottom, "Print", 0) != 0) {
      const std::string keep = SelectedKey(app);
      if (CalendarScreenHooks().printCalendar) {
        CalendarScreenHooks().printCalendar(app);
        // Printing builds the grid for its page; the screen's weeks start at its first day.
        if (app.grid.count() > 0) app.dates.display = KeyDate(app.grid.items.front().key);
      } else {
        // FIXME: printing, once it is part of the build.
        ShowPlaceholder(app, "Printing is not available in this version.");
      }
      RebuildCalendarGrid(app, keep);
      DrawCalendarScreen(app);
    }
    if (in.quitRequested != 0 || (p.NextScreen > 0 && p.NextScreen != p.CurrentScreen)) return;
  }
}

}  // namespace kal
