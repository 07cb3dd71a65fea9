#include "screens/event_list_screen.h"

#include <algorithm>
#include <chrono>

#include "calendar/calendar_grid.h"
#include "calendar/dates.h"
#include "calendar/event_display_text.h"
#include "calendar/sort_key.h"
#include "platform/key_codes.h"
#include "screens/application.h"
#include "screens/calendar_screen.h"
#include "screens/category_drop_down.h"
#include "screens/find_dialog.h"
#include "screens/main_frame.h"
#include "screens/options_screen.h"
#include "store/event_record.h"
#include "ui/controls.h"
#include "ui/input_state.h"
#include "ui/message_dialog.h"
#include "ui/popup_list.h"
#include "ui/progress_panel.h"
#include "ui/scroll_bar.h"
#include "ui/ui_host.h"

namespace kal {

namespace {

constexpr int kListDescriptionChars = 170;
constexpr int kCheckColumnWidth = 25;
constexpr int kCheckImageSize = 16;
// The pace of scrolling while a drag holds the pointer above or below the rows.
constexpr int kDragScrollDelayMode = 0;  // DelayUnlessInput's 25 ms

UnitModes Units(const Application& app) { return UnitModes{app.settings.weightMode, app.settings.measureMode}; }

int Rows(const Application& app) { return std::max(app.layout.events.visibleRows, 1); }

std::uint32_t CursorOffset(const EventList& list) { return list.offsets[static_cast<std::size_t>(list.cursor)]; }

std::int32_t RecordIdAt(const Application& app, std::uint32_t offset) {
  return Long(app.events.store, offset + rec::kRecordId);
}

ControlRecord FieldAt(const Rect& r, std::string caption, Colour back, Colour text, const FontDescription* font) {
  ControlRecord c;
  c.x1 = r.left;
  c.y1 = r.top;
  c.x2 = r.right - 1;
  c.y2 = r.bottom - 1;
  c.text = std::move(caption);
  c.backColour = back;
  c.colour = text;
  c.font = font;
  c.setState(0);
  return c;
}

ControlRecord CategoryField(Application& app, const EventList& list) {
  const Rect& r = app.layout.events.categoryBox;
  if (list.category == kListAllCategories) {
    return FieldAt(r, AllCategoriesCaption, ColourFieldBack, ColourFieldText, &app.gfx.EditFont);
  }
  return FieldAt(r, CategoryName(app.categories, list.category), CategoryColour(app.categories, list.category),
                 CategoryTextColour(app.categories, list.category), &app.gfx.EditFont);
}

ControlRecord ModeField(Application& app, const EventList& list) {
  return FieldAt(app.layout.events.modeBox, DisplayModeLabel(list.mode), ColourFieldBack, ColourFieldText,
                 &app.gfx.EditFont);
}

void PresentField(Gfx& g, const ControlRecord& f) { g.PresentRect(f.x1, f.y1, f.x2 - f.x1 + 2, f.y2 - f.y1 + 2); }

std::string RowDate(std::int32_t year, std::int32_t month, std::int32_t day) {
  return MonthAbbreviation(month) + " " + std::to_string(day) + ", " + std::to_string(year);
}

// The rows and the scroll bar, with the first visible row at `top`; presented.
void DrawRows(Application& app, const EventList& list, int top, std::int32_t barState) {
  Gfx& g = app.gfx;
  Surface& s = *g.surface;
  const EventsLayout& e = app.layout.events;
  const int lh = g.lineHeight;
  const Rect oldClip = s.clip();
  const UnitModes units = Units(app);
  for (int r = 0; r < e.visibleRows; ++r) {
    const int row = top + r;
    const int y = e.list.top + r * lh;
    const bool isCursor = row == list.cursor;
    FillBox(s, isCursor ? ColourNavy : ColourWhite, e.list.left, y, e.list.right - 1, y + lh - 1);
    if (row < 0 || row >= list.count()) continue;
    const std::uint32_t offset = list.offsets[static_cast<std::size_t>(row)];
    const Colour ink = isCursor ? ColourWhite1 : ColourListText;
    const DisplayText shown = EventDisplayText(app.events, offset, kListDescriptionChars, units);
    s.SetClipRect(Rect{e.list.left, y, e.list.right, y + lh}.Intersect(oldClip));
    g.DrawTextAligned(s, e.list.left + e.dateColumnWidth, y + 1, AlignRight, ink, g.EditFont,
                      RowDate(shown.year, shown.month, shown.day));
    g.DrawResourceImage(IsMarked(app.events, offset) ? "CHECKED_BOX" : "UNCHECKED_BOX", ImageKindBitmap, s,
                        e.checkColumnLeft + (kCheckColumnWidth - kCheckImageSize) / 2, y + (lh - kCheckImageSize) / 2,
                        AlignLeft);
    g.DrawTextAligned(s, e.textColumnLeft, y + 1, AlignLeft, ink, g.EditFont, shown.text);
    s.SetClipRect(oldClip);
  }
  const Rect& b = e.scrollBar;
  DrawScrollBar(g, b.left, b.top, b.right - 1, b.bottom - 1, e.visibleRows, list.count(), top, barState);
  g.PresentRect(e.list.left, e.list.top, b.right - e.list.left, e.list.Height());
}

void DrawList(Application& app, const EventList& list) { DrawRows(app, list, list.top, ScrollIdle); }

void PutCursorAtFirst(Application& app, EventList& list) {
  list.top = 0;
  list.cursor = list.empty() ? -1 : 0;
  ClearAllMarks(app.events);
  if (!list.empty()) SetMarked(app.events, CursorOffset(list), true);
}

// After a save or an editor: the list anew, the cursor on the same record
// when it still exists, else near the row it was on.
void RebuildKeepingCursor(Application& app, EventList& list, std::int32_t recordId, std::int32_t oldRow) {
  const std::int32_t top = list.top;
  RebuildEventList(app, list);
  if (list.empty()) return;
  std::int32_t row = RowOfRecordId(list, app.events, recordId);
  if (row < 0) row = std::clamp(oldRow, 0, list.count() - 1);
  list.top = top;
  LimitTop(list, Rows(app));
  MoveCursor(list, app.events, row, MarkRule::kKeep, Rows(app));
}

void EditAndKeepCursor(Application& app, EventList& list) {
  const std::uint32_t offset = CursorOffset(list);
  const std::int32_t id = RecordIdAt(app, offset);
  const std::int32_t row = list.cursor;
  EditRecord(app, static_cast<std::int32_t>(offset));
  RebuildKeepingCursor(app, list, id, row);
  DrawEventListScreen(app, list);
}

void DeleteMarked(Application& app, EventList& list) {
  const std::vector<std::uint32_t> marked = MarkedOffsets(list, app.events);
  if (marked.empty()) {
    MessageDialog(app.ui, "No events are selected for deletion", "OK");
    return;
  }
  if (MessageDialog(app.ui, "Are you sure you want to|delete the selected events?", "OK|Cancel") != 1) return;
  const auto first = std::find(list.offsets.begin(), list.offsets.end(), marked.front());
  const auto firstRow = static_cast<std::int32_t>(first - list.offsets.begin());
  for (const std::uint32_t offset : marked) DeleteRecord(app.events, offset);
  {
    UiHost host(app.ui);
    SaveEvents(app.events, RecordSortKeys(Units(app)), host);
  }
  const std::int32_t top = list.top;
  RebuildEventList(app, list);
  if (!list.empty()) {
    list.top = top;
    LimitTop(list, Rows(app));
    MoveCursor(list, app.events, std::min(firstRow, list.count() - 1), MarkRule::kOnly, Rows(app));
  }
  RebuildCalendarGrid(app, "");
  app.grid.selected = app.grid.count() > 0 ? 0 : -1;
}

void MoveMarkedToCategory(Application& app, EventList& list) {
  if (!MoveSelectedToCategory(app, list.offsets)) return;
  RebuildEventList(app, list);
  list.top = 0;
  list.cursor = list.empty() ? -1 : 0;
}

void PrintMarked(Application& app, const EventList& list) {
  const std::vector<std::uint32_t> marked = MarkedOffsets(list, app.events);
  if (marked.empty()) {
    MessageDialog(app.ui, "No events are selected for printing", "OK");
  } else if (EventListScreenHooks().printEvents) {
    EventListScreenHooks().printEvents(app, marked);
  } else {
    // Printing not plugged in (a test that runs the screen alone).
    MessageDialog(app.ui, kPrintingUnavailableMessage, "OK");
  }
}

void ChooseCategory(Application& app, EventList& list) {
  const ControlRecord field = CategoryField(app, list);
  DrawChoiceField(app.gfx, 0, 1, field);
  PresentField(app.gfx, field);
  CategoryDropDownOptions options;
  options.allCategories = true;
  options.width = field.x2 - field.x1 + 1;
  const int chosen = CategoryDropDown(app.ui, app.categories, field.x1, field.y2 + 2, list.category, options);
  if (chosen >= 0) {
    list.category = chosen;
    RebuildEventList(app, list);
    PutCursorAtFirst(app, list);
  }
  DrawEventListScreen(app, list);
}

void ChooseMode(Application& app, EventList& list) {
  const ControlRecord field = ModeField(app, list);
  DrawChoiceField(app.gfx, 0, 1, field);
  PresentField(app.gfx, field);
  PopupItems items;
  for (int i = 0; i < kDisplayModeCount; ++i) items.Set(i, DisplayModeLabel(i));
  int chosen = list.mode;
  PopupList(app.ui, items, field.x1 + 4, field.y2 + 7, (field.x2 - field.x1) - 5, 0, kDisplayModeCount, chosen);
  if (app.program.input.quitRequested == 0 && chosen >= 0 && chosen < kDisplayModeCount) {
    list.mode = chosen;
    RebuildEventList(app, list);
    PutCursorAtFirst(app, list);
  }
  DrawEventListScreen(app, list);
}

// The row under the pointer, or -1 when the pointer is below the last record.
std::int32_t RowAt(const Application& app, const EventList& list, int y) {
  const EventsLayout& e = app.layout.events;
  const std::int32_t row = list.top + (y - e.list.top) / app.gfx.lineHeight;
  return row < list.count() ? row : -1;
}

// While the left button stays down after a press on a row, the cursor follows
// the pointer and every record it passes is marked; above or below the rows
// the list scrolls a row at a time.
void DragOverRows(Application& app, EventList& list) {
  Program& p = app.program;
  InputState& in = p.input;
  const EventsLayout& e = app.layout.events;
  while (in.mouseButton != 0 && in.quitRequested == 0) {
    std::int32_t target = list.cursor;
    const bool outside = in.mouseY < e.list.top || in.mouseY >= e.list.bottom;
    if (in.mouseY < e.list.top) {
      target = list.cursor - 1;
    } else if (in.mouseY >= e.list.bottom) {
      target = list.cursor + 1;
    } else if (const std::int32_t row = RowAt(app, list, in.mouseY); row >= 0) {
      target = row;
    }
    if (target != list.cursor && target >= 0 && target < list.count()) {
      MoveCursor(list, app.events, target, MarkRule::kAddRange, Rows(app));
      DrawList(app, list);
    }
    if (outside) {
      DelayUnlessInput(p, kDragScrollDelayMode);
    } else {
      PumpMessages(p, 1);
    }
  }
}

bool HandleListMouse(Application& app, EventList& list) {
  Program& p = app.program;
  InputState& in = p.input;
  const EventsLayout& e = app.layout.events;
  if (MouseDownIn(in, e.list.left, e.list.top, e.list.right, e.list.bottom) == 0) return false;
  const std::int32_t row = RowAt(app, list, in.mouseY);
  if (row < 0) {
    WaitInputRelease(p);
    return true;
  }
  if ((in.mouseButton & 1) == 0) {
    MoveCursor(list, app.events, row, MarkRule::kOnly, Rows(app));
    DrawList(app, list);
    WaitInputRelease(p);
    EditAndKeepCursor(app, list);
    return true;
  }
  const bool checkColumn = in.mouseX >= e.checkColumnLeft && in.mouseX < e.checkColumnLeft + kCheckColumnWidth;
  if (checkColumn || in.ctrlDown != 0) {
    const std::uint32_t offset = list.offsets[static_cast<std::size_t>(row)];
    SetMarked(app.events, offset, !IsMarked(app.events, offset));
    MoveCursor(list, app.events, row, MarkRule::kKeep, Rows(app));
    DrawList(app, list);
    WaitInputRelease(p);
    return true;
  }
  MoveCursor(list, app.events, row, in.shiftDown != 0 ? MarkRule::kAddRange : MarkRule::kOnly, Rows(app));
  DrawList(app, list);
  DragOverRows(app, list);
  return true;
}

bool HandleScrolling(Application& app, EventList& list) {
  Program& p = app.program;
  InputState& in = p.input;
  const EventsLayout& e = app.layout.events;
  const Rect& b = e.scrollBar;
  if (TrackScrollBar(app.ui, b.left, b.top, b.right - 1, b.bottom - 1, e.visibleRows, list.count(), list.top,
                     [&](int top, std::int32_t state) { DrawRows(app, list, top, state); })) {
    return true;
  }
  if (in.wheelLines == 0) return false;
  // The pump has already turned wheel steps into lines.
  list.top -= in.wheelLines;
  in.wheelLines = 0;
  LimitTop(list, Rows(app));
  DrawList(app, list);
  return true;
}

// Up and Down: one step now, then again while the key stays down, 300 ms
// after the first step and 25 ms after each further one.
void RepeatStep(Application& app, EventList& list, std::int32_t key, std::int32_t direction) {
  Program& p = app.program;
  InputState& in = p.input;
  const MarkRule rule = RuleFor(in.shiftDown != 0, in.ctrlDown != 0, false);
  MoveCursor(list, app.events, list.cursor + direction, rule, Rows(app));
  DrawList(app, list);
  DelayUnlessInput(p, 1);
  while (in.quitRequested == 0 && in.lastKey == key) {
    MoveCursor(list, app.events, list.cursor + direction, rule, Rows(app));
    DrawList(app, list);
    DelayUnlessInput(p, 0);
  }
}

// The keys that work on the list; an empty list ignores them all.
bool HandleListKeys(Application& app, EventList& list) {
  Program& p = app.program;
  InputState& in = p.input;
  if (list.empty()) return false;
  const bool shift = in.shiftDown != 0;
  const bool ctrl = in.ctrlDown != 0;
  if (in.lastKey == KeyUp || in.lastKey == KeyDown) {
    RepeatStep(app, list, in.lastKey, in.lastKey == KeyUp ? -1 : 1);
    return true;
  }
  if (in.lastKey == KeyPageUp || in.lastKey == KeyPageDown) {
    PageCursor(list, app.events, in.lastKey == KeyPageUp ? -1 : 1, RuleFor(shift, ctrl, true), Rows(app));
  } else if (in.lastKey == KeyHome || in.lastKey == KeyEnd) {
    MoveCursor(list, app.events, in.lastKey == KeyHome ? 0 : list.count() - 1, RuleFor(shift, ctrl, true), Rows(app));
  } else if (in.lastChar == CharSpace) {
    const std::uint32_t offset = CursorOffset(list);
    SetMarked(app.events, offset, !IsMarked(app.events, offset));
  } else if (in.lastChar == CharSelectAll) {
    ToggleAllMarks(list, app.events);
  } else if (in.lastChar == CharEnter) {
    // Taken here, so that the calendar does not also open its selected day with it.
    in.lastChar = 0;
    p.NextScreen = ScreenCalendar;
    return true;
  } else {
    return false;
  }
  DrawList(app, list);
  return true;
}

bool Clicked(Application& app, const Rect& r, const char* caption) {
  return ButtonClicked(app.ui, r.left, r.top, r.right, r.bottom, caption, 0) != 0;
}

void HandleInput(Application& app, EventList& list) {
  Program& p = app.program;
  InputState& in = p.input;
  const EventsLayout& e = app.layout.events;
  if (HandleScrolling(app, list) || HandleListMouse(app, list)) return;
  if (MouseDownIn(in, e.categoryBox.left, e.categoryBox.top, e.categoryBox.right, e.categoryBox.bottom) != 0) {
    ChooseCategory(app, list);
  } else if (MouseDownIn(in, e.modeBox.left, e.modeBox.top, e.modeBox.right, e.modeBox.bottom) != 0) {
    ChooseMode(app, list);
  } else if (Clicked(app, e.find, "Find")) {
    std::string query;
    if (FindDialog(app.ui, query)) {
      ApplySearch(app, list, query);
      DrawEventListScreen(app, list);
    }
  } else if (Clicked(app, e.edit, "Edit")) {
    if (!list.empty()) EditAndKeepCursor(app, list);
  } else if (in.lastKey == KeyDelete || Clicked(app, e.remove, "Delete")) {
    DeleteMarked(app, list);
    DrawEventListScreen(app, list);
    WaitInputRelease(p);
  } else if (Clicked(app, e.moveCategory, "Move Category")) {
    MoveMarkedToCategory(app, list);
    DrawEventListScreen(app, list);
  } else if (Clicked(app, e.print, "Print")) {
    PrintMarked(app, list);
    DrawEventListScreen(app, list);
  } else {
    HandleListKeys(app, list);
  }
}

}  // namespace

EventListHooks& EventListScreenHooks() {
  static EventListHooks hooks;
  return hooks;
}

void RebuildEventList(Application& app, EventList& list) {
  Program& p = app.program;
  ProgressPanel panel;
  const auto start = std::chrono::steady_clock::now();
  auto lastPump = start;
  BuildEventList(list, app.events, Units(app), [&](std::uint32_t done, std::uint32_t total, std::uint32_t matches) {
    std::int64_t all = total;
    ShowProgress(app.gfx, panel, "Searching Events", std::to_string(matches) + " Matches", done, all);
    // Only a long search keeps the window alive: a pump takes the next input
    // event, and a key taken here would be lost to the screen's own loop.
    const auto now = std::chrono::steady_clock::now();
    if (now - start >= std::chrono::milliseconds(100) && now - lastPump >= std::chrono::milliseconds(5)) {
      PumpMessages(p, 0);
      lastPump = now;
    }
    return p.input.quitRequested == 0;
  });
  if (!panel.hasSavedScreen) return;
  CloseProgress(app.gfx, panel);
  const ProgressGeometry geometry = ProgressPanelGeometry(app.gfx.clientWidth, app.gfx.clientHeight);
  app.gfx.PresentRect(geometry.panel.left, geometry.panel.top, geometry.panel.Width() + 10,
                      geometry.panel.Height() + 10);
}

void ApplySearch(Application& app, EventList& list, const std::string& query) {
  list.searchText = query;
  list.mode = kModeSearchResults;
  list.category = kListAllCategories;
  RebuildEventList(app, list);
  PutCursorAtFirst(app, list);
}

void OpenEventList(Application& app, EventList& list) {
  list.category = kListAllCategories;
  list.mode = kModeAllRecords;
  list.searchText.clear();
  RebuildEventList(app, list);
  ClearAllMarks(app.events);
  if (list.empty()) return;
  std::int32_t row = -1;
  const CalendarGrid& grid = app.grid;
  if (grid.selected >= 0 && grid.selected < grid.count()) {
    const GridItem& item = grid.items[static_cast<std::size_t>(grid.selected)];
    if (!item.IsDayCell() && item.record >= 0 && static_cast<std::uint32_t>(item.record) < app.events.storeSize) {
      row = RowOfRecordId(list, app.events, RecordIdAt(app, static_cast<std::uint32_t>(item.record)));
    }
    if (row < 0) row = LastRowOnOrBefore(list, app.events, PackDate(KeyDate(item.key)));
  }
  list.cursor = std::max(row, 0);
  list.top = std::max(0, std::min(list.cursor, list.count() - Rows(app)));
  SetMarked(app.events, CursorOffset(list), true);
}

void LeaveEventList(Application& app, EventList& list) {
  if (!list.empty() && list.cursor >= 0 && list.cursor < list.count()) {
    const Ymd day = UnpackDate(Long(app.events.store, CursorOffset(list) + rec::kDate));
    app.dates.display = day;
    BackToSunday(app.dates);
    LoadEvents(app.events);
    RebuildCalendarGrid(app, DayKey(day.year, day.month, day.day));
  }
  list.offsets.clear();
  list.cursor = -1;
  list.top = 0;
}

void DrawEventListScreen(Application& app, const EventList& list) {
  Program& p = app.program;
  Gfx& g = app.gfx;
  Surface& s = *g.surface;
  const EventsLayout& e = app.layout.events;
  g.TileImage(g.backgroundTexture, 0, 0, p.ClientWidth, p.ClientHeight);
  DrawFrame(app);

  const ControlRecord category = CategoryField(app, list);
  const ControlRecord mode = ModeField(app, list);
  g.DrawFieldLabel(e.categoryBox.left, e.categoryBox.top, e.categoryBox.bottom, "Category:");
  g.DrawFieldLabel(e.modeBox.left, e.modeBox.top, e.modeBox.bottom, "Display Mode:");
  DrawChoiceField(g, 1, 0, category);
  DrawChoiceField(g, 1, 0, mode);

  const int titleTop = e.list.top - g.lineHeight - 2;
  g.DrawTextAligned(s, e.list.left + e.dateColumnWidth, titleTop, AlignRight, ColourLabelText, g.LabelFont, "Date");
  g.DrawTextAligned(s, e.textColumnLeft, titleTop, AlignLeft, ColourLabelText, g.LabelFont, "Event");
  g.DrawSunkenBox(e.list.left, e.list.top, e.scrollBar.right - 1, e.list.bottom - 1, ColourWhite);

  DrawPushButton(g, 0, e.find.left, e.find.top, e.find.right, e.find.bottom, "Find", 0);
  DrawPushButton(g, 0, e.edit.left, e.edit.top, e.edit.right, e.edit.bottom, "Edit", 0);
  DrawPushButton(g, 0, e.remove.left, e.remove.top, e.remove.right, e.remove.bottom, "Delete", 0);
  DrawPushButton(g, 0, e.moveCategory.left, e.moveCategory.top, e.moveCategory.right, e.moveCategory.bottom,
                 "Move Category", 0);
  DrawPushButton(g, 0, e.print.left, e.print.top, e.print.right, e.print.bottom, "Print", 0);
  DrawRows(app, list, list.top, ScrollIdle);
  g.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
}

void EventListScreen(Application& app, EventList& list) {
  Program& p = app.program;
  bool opened = false;
  RunScreenLoop(
      app,
      [&] {
        LimitTop(list, Rows(app));
        DrawEventListScreen(app, list);
        if (!opened) {
          opened = true;
          OpenEventList(app, list);
          DrawEventListScreen(app, list);
        }
      },
      [&] { HandleInput(app, list); });
  if (p.input.quitRequested == 0) LeaveEventList(app, list);
}

void EventListScreen(Application& app) {
  EventList list;
  EventListScreen(app, list);
}

}  // namespace kal
