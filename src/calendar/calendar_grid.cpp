#include "calendar/calendar_grid.h"

#include <algorithm>
#include <cstdio>

#include "calendar/entry_text.h"
#include "calendar/sort_key.h"
#include "store/event_record.h"

namespace kal {

namespace {

// n / d (d > 0) rounded to nearest, a value exactly halfway to the even neighbour.
int RoundDivHalfEven(int n, int d) {
  int q = n / d;
  int r = n % d;
  if (r < 0) {  // make the remainder non-negative so q is the floor
    r += d;
    --q;
  }
  if (2 * r > d || (2 * r == d && (q & 1) != 0)) ++q;
  return q;
}

int Digits(std::string_view text, std::size_t from, std::size_t count) {
  int value = 0;
  for (std::size_t i = from; i < from + count && i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

void AppendItem(CalendarGrid& grid, GridItem item) {
  if (grid.count() < kGridCapacity) grid.items.push_back(std::move(item));
}

}  // namespace

namespace {
FontDescription& CurrentEntryFont() {
  static FontDescription font{"Arial", kEntryLineHeight, 400, false};
  return font;
}
}  // namespace

FontDescription EntryFont() { return CurrentEntryFont(); }
int EntryLineHeight() { return CurrentEntryFont().height; }

ScopedEntryFont::ScopedEntryFont(const FontDescription& font) : previous_(CurrentEntryFont()) {
  CurrentEntryFont() = font;
}
ScopedEntryFont::~ScopedEntryFont() { CurrentEntryFont() = previous_; }

std::string DayKey(std::int32_t year, std::int32_t month, std::int32_t day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d9999", static_cast<int>(((year % 10000) + 10000) % 10000),
                static_cast<int>(((month % 100) + 100) % 100), static_cast<int>(((day % 100) + 100) % 100));
  return text;
}

Colour DayCellColour(std::int32_t month) { return (month % 2 != 0) ? Rgb(255, 255, 255) : Rgb(230, 230, 230); }

void ForEachRecordOnDayByScan(const EventStore& store, PackedDate date,
                              const std::function<void(std::uint32_t)>& visit) {
  for (std::uint32_t i = 0; i < store.indexCount; ++i) {
    if (IndexDate(store, i) != date) continue;
    const std::uint32_t offset = IndexOffset(store, i);
    if (RecordKindAt(store, offset) != kKindDeleted) visit(offset);
  }
}

void ForEachRecordOnDay(const EventStore& store, PackedDate date, const std::function<void(std::uint32_t)>& visit) {
  if (!store.indexSorted) {
    ForEachRecordOnDayByScan(store, date, visit);
    return;
  }
  for (std::uint32_t i = FirstIndexFrom(store, date); i < store.indexCount && IndexDate(store, i) == date; ++i) {
    const std::uint32_t offset = IndexOffset(store, i);
    if (RecordKindAt(store, offset) != kKindDeleted) visit(offset);
  }
}

int WrapText(TextRenderer& measurer, WrapMode mode, int x, int y, int width, std::string_view text,
             const WrapDrawFn& draw) {
  const FontDescription font = EntryFont();
  const int lineHeight = font.height;
  int height = 0;
  auto emit = [&](std::string_view line) {
    if (mode == WrapMode::kDraw && draw && !line.empty()) draw(x, y + height, line);
    height += lineHeight;
  };

  std::size_t start = 0;
  std::size_t lastSpace = std::string_view::npos;  // only ever a position inside the current line
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') lastSpace = i;
    if (measurer.Measure(font, text.substr(start, i - start + 1)).width < width) {
      ++i;
      continue;
    }
    std::size_t next;
    if (lastSpace != std::string_view::npos) {
      next = lastSpace + 1;  // the line keeps its space
    } else if (i > start) {
      next = i;
    } else {
      next = i + 1;  // a lone character wider than the line: it still has to go somewhere
    }
    emit(text.substr(start, next - start));
    start = next;
    lastSpace = std::string_view::npos;
    // Characters already walked past the break belong to the new line.
    for (std::size_t k = start; k < i; ++k) {
      if (text[k] == ' ') lastSpace = k;
    }
    // Broken after the current character: carry on behind it. Otherwise the
    // current character is measured again against the new line.
    if (start > i) i = start;
  }
  if (start < text.size()) emit(text.substr(start));
  return height + 2;
}

void AddDayEntries(CalendarGrid& grid, const EventStore& store, const CategoryTable& categories, const UnitModes& units,
                   TextRenderer& measurer, const std::string& key, int x, int& y, int cellWidth, int rowHeight,
                   int reservedItems) {
  const int limit = y + rowHeight;
  y += EntryLineHeight() + 6;  // the day-number line
  const PackedDate date = PackDate(Digits(key, 0, 4), Digits(key, 4, 2), Digits(key, 6, 2));
  const int room = kGridCapacity - std::max(0, reservedItems);

  ForEachRecordOnDay(store, date, [&](std::uint32_t offset) {
    if (grid.count() >= room) return;
    std::string text = EntryText(store, offset, units);
    const int h = WrapText(measurer, WrapMode::kMeasure, x + 3, y + 2, cellWidth - 8, text) + 2;
    if (y + h >= limit) return;  // does not fit; a later, shorter entry may
    const auto category = static_cast<int>(Byte(store.store, std::size_t{offset} + rec::kCategory));
    AppendItem(grid, GridItem{x + 3, y, x + cellWidth - 3, y + h, static_cast<std::int32_t>(offset),
                              CategoryColour(categories, category), key + text});
    y += h;
  });
}

void BuildCalendarGrid(CalendarGrid& grid, const EventStore& store, const CategoryTable& categories,
                       const UnitModes& units, TextRenderer& measurer, int rows, Rect area, PackedDate firstSunday) {
  grid.items.clear();
  grid.items.reserve(kGridCapacity);
  grid.selected = -1;
  if (rows <= 0) return;

  Ymd day = UnpackDate(firstSunday);
  const int cellWidth = (area.right - area.left) / 7;  // floor for the non-negative widths that occur
  const int lineHeight = EntryLineHeight();
  const int totalCells = rows * 7;
  int cellsDone = 0;

  int y = area.top;
  for (int r = 0; r < rows; ++r) {
    const int rowHeight = area.bottom - (rows - r - 1) * lineHeight - y;
    const int cellBottom = y + rowHeight - 1;
    const std::size_t rowFirstItem = grid.items.size();
    int used = 0;

    int x = area.left;
    for (int d = 0; d < 7; ++d) {
      const std::string key = DayKey(day.year, day.month, day.day);
      AppendItem(grid, GridItem{x, y, x + cellWidth - 1, cellBottom, -1, DayCellColour(day.month), key});
      ++cellsDone;
      int runningY = y;
      AddDayEntries(grid, store, categories, units, measurer, key, x, runningY, cellWidth, rowHeight,
                    totalCells - cellsDone);
      used = std::max(used, runningY - y);
      NextDay(day);
      x += cellWidth;
    }

    const int share = RoundDivHalfEven(area.bottom - y, rows - r);
    const int need = std::max(used, share) + 2;
    if (rowHeight > need) {
      const int nextY = y + need;
      for (std::size_t i = rowFirstItem; i < grid.items.size(); ++i) {
        if (grid.items[i].bottom == cellBottom) grid.items[i].bottom = nextY - 1;
      }
      y = nextY;
    } else {
      y += rowHeight;
    }
  }
}

int FindDayCell(const CalendarGrid& grid, std::string_view key) {
  const std::string_view date = key.substr(0, 8);
  for (int i = 0; i < grid.count(); ++i) {
    const GridItem& item = grid.items[static_cast<std::size_t>(i)];
    if (item.key.size() == kDayKeyLength && std::string_view(item.key).substr(0, 8) == date) return i;
  }
  return -1;
}

int DeleteSelectedEntry(CalendarGrid& grid, EventStore& store, const CategoryTable& categories, const UnitModes& units,
                        TextRenderer& measurer, Host& host, Rect area, PackedDate displayDate,
                        const RepredictCyclesHook& repredictCycles) {
  if (grid.selected < 0 || grid.selected >= grid.count()) return 0;
  const GridItem item = grid.items[static_cast<std::size_t>(grid.selected)];
  if (item.IsDayCell()) return 0;

  std::string text = item.key.size() > kDayKeyLength ? item.key.substr(kDayKeyLength, 50) : std::string();
  text = text.substr(0, text.find('\r'));
  const int choice =
      host.Ask("Do you want to delete this event|or all events in the group?||" + LiteralDialogText(text),
               "Delete|Group|Cancel");

  // Everything needed after the save is read now: SaveEvents reloads the
  // store and the offset stops meaning anything.
  const auto offset = static_cast<std::uint32_t>(item.record);
  const std::uint32_t kind = RecordKindAt(store, offset);
  bool deleted = false;
  if (choice == 1) {
    DeleteRecord(store, offset);
    deleted = true;
  } else if (choice == 2) {
    const std::int32_t group = Long(store.store, std::size_t{offset} + rec::kGroupId);
    for (std::uint32_t i = 0; i < store.indexCount; ++i) {
      const std::uint32_t other = IndexOffset(store, i);
      if (Long(store.store, std::size_t{other} + rec::kGroupId) == group) DeleteRecord(store, other);
    }
    deleted = true;
  }
  if (deleted) {
    SaveEvents(store, RecordSortKeys(units), host);
    if (kind == kKindCycle && repredictCycles) repredictCycles(store);
  }

  BuildCalendarGrid(grid, store, categories, units, measurer, 5, area, displayDate);
  grid.selected = FindDayCell(grid, item.key);
  return choice;
}

}  // namespace kal
