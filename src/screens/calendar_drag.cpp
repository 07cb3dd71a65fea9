// The calendar screen's mouse: selecting, opening and dragging entries to
// other days (left button moves, right button copies).
#include <cstdlib>
#include <string>
#include <vector>

#include "calendar/sort_key.h"
#include "screens/application.h"
#include "screens/calendar_parts.h"
#include "screens/calendar_screen.h"
#include "store/event_record.h"
#include "ui/controls.h"
#include "ui/input_state.h"
#include "ui/ui_host.h"

namespace kal {

using namespace calendar_parts;

namespace {

// A press turns into a drag once the pointer has moved this far.
constexpr int kDragSlop = 5;
constexpr std::size_t kDragLabelChars = 50;

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

// The dragged entry's record appended on the drop day; a move also retires
// the original. A copy gets ids of its own, so that editing or deleting its
// group never reaches the records it was copied from.
void DropEntry(Application& app, const GridItem& dragged, const Ymd& day, bool move) {
  EventStore& store = app.events;
  const auto offset = static_cast<std::uint32_t>(dragged.record);
  std::uint32_t length = 0;
  if (CheckRecordAt(store, offset, store.storeSize, length) != nullptr) return;
  std::vector<std::uint8_t> bytes(length);
  for (std::uint32_t i = 0; i < length; ++i) bytes[i] = Byte(store.store, std::size_t{offset} + i);
  auto put32 = [&bytes](std::uint32_t at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int k = 0; k < 4; ++k) bytes[at + static_cast<std::uint32_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
  };
  put32(rec::kDate, PackDate(day));
  UiHost host(app.ui);
  if (!move) {
    const std::int32_t recordId = NextRecordId(store);
    const std::int32_t groupId = NextGroupId(store);
    if (recordId == kNoFreeId || groupId == kNoFreeId) {
      host.ReportError("Could not copy the event|No free record numbers are left.");
      return;
    }
    put32(rec::kRecordId, recordId);
    put32(rec::kGroupId, groupId);
  }
  const std::uint32_t kind = RecordKindAt(store, offset);
  AppendRecordBytes(store, bytes.data(), length);
  if (move) DeleteRecord(store, offset);
  SaveEvents(store, RecordSortKeys(Units(app)), host);
  if (kind == kKindCycle) Repredict(app)(store);
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

}  // namespace

namespace calendar_parts {

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

}  // namespace calendar_parts
}  // namespace kal
