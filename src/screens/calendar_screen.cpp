#include "screens/calendar_screen.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "calendar/sort_key.h"
#include "health/cycles.h"
#include "platform/key_codes.h"
#include "screens/application.h"
#include "screens/calendar_parts.h"
#include "ui/entry_box.h"
#include "screens/event_editor.h"
#include "screens/health_editor.h"
#include "screens/main_frame.h"
#include "store/event_record.h"
#include "ui/controls.h"
#include "ui/input_state.h"
#include "ui/message_dialog.h"
#include "ui/popup_list.h"
#include "ui/ui_host.h"

namespace kal {

using namespace calendar_parts;

namespace {

constexpr const char* kRecordKinds[] = {"Generic Event",  "Weight and Measurements", "Menstrual Cycle",
                                        "Blood Pressure", "Cholesterol",             "Blood Sugar (Glucose)"};
constexpr RecordKind kChooserKinds[] = {kKindGeneric,       kKindWeight,       kKindCycle,
                                        kKindBloodPressure, kKindCholesterol, kKindGlucose};

bool Contains(const GridItem& item, int x, int y) {
  return x >= item.left && x <= item.right && y >= item.top && y <= item.bottom;
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

void ShowPlaceholder(Application& app, const char* message) { MessageDialog(app.ui, message, "OK"); }

void OpenEventEditor(Application& app, std::int32_t offset) {
  std::int32_t result = 0;
  EventEditor(app, app.ui, offset, result);
}

void OpenHealthEditor(Application& app, std::int32_t offset) {
  std::int32_t result = 0;
  HealthEditor(app, offset, result);
}

}  // namespace

namespace calendar_parts {

UnitModes Units(const Application& app) { return UnitModes{app.settings.weightMode, app.settings.measureMode}; }

PackedDate DisplayPacked(const Application& app) { return PackDate(app.dates.display); }

RepredictCyclesHook Repredict(Application& app) {
  if (CalendarScreenHooks().repredictCycles) return CalendarScreenHooks().repredictCycles;
  return [&app](EventStore& store) {
    UiHost host(app.ui);
    PredictCycles(store, RecordSortKeys(Units(app)), host);
  };
}

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

int HitItem(const CalendarGrid& grid, int x, int y, bool dayCellsOnly) {
  for (int i = grid.count() - 1; i >= 0; --i) {
    const GridItem& item = grid.items[static_cast<std::size_t>(i)];
    if (dayCellsOnly && !item.IsDayCell()) continue;
    if (Contains(item, x, y)) return i;
  }
  return -1;
}

}  // namespace calendar_parts

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
  const std::int32_t recordId = NextRecordId(store);
  const std::int32_t groupId = NextGroupId(store);
  if (recordId == kNoFreeId || groupId == kNoFreeId) {
    UiHost(app.ui).ReportError("Could not add a record|No free record numbers are left.");
    return;
  }
  PrepareWorkRecord(store, kind, 0, PackDate(KeyDate(dayKey)));
  SetLong(store.workRecord, rec::kRecordId, recordId);
  SetLong(store.workRecord, rec::kGroupId, groupId);
  if (kind == kKindGeneric) {
    OpenEventEditor(app, -1);
  } else {
    OpenHealthEditor(app, -1);
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
    OpenHealthEditor(app, offset);
  }
}

void CalendarScreen(Application& app) {
  Program& p = app.program;
  InputState& in = p.input;
  UiContext& ui = app.ui;
  const auto redraw = [&app] {
    RebuildCalendarGrid(app, SelectedKey(app));
    DrawCalendarScreen(app);
    ShowOnFirstDraw(app);
  };
  RunScreenLoop(app, redraw, [&] {
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
                              DisplayPacked(app), Repredict(app)) != 0) {
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
        // Printing not plugged in (a test that runs the screen alone).
        ShowPlaceholder(app, "Printing is not available in this version.");
      }
      RebuildCalendarGrid(app, keep);
      DrawCalendarScreen(app);
    }
  });
}

}  // namespace kal
