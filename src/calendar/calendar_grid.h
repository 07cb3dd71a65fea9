// The calendar grid: day cells and entry boxes for a block of whole weeks.
//
// Every occurrence of an event is already a record in the EventStore, so the
// grid is a flat list of rectangles built from the store: for each day its day
// cell, then one entry box per record of that day that fits in the cell. The
// calendar screen draws and hit-tests it, the wallpaper and the printed
// calendar draw from it, each building it for their own area (5 week rows on
// screen and wallpaper, 6 in print).
//
// The grid belongs to the program state and is rebuilt from scratch whenever
// the weeks shown, the area or the store change. Entry boxes carry byte
// offsets into the store, which are valid only until the next SaveEvents, so
// every save is followed by a rebuild. Nothing here draws: measuring goes
// through the TextRenderer, drawing through a callback of the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/dates.h"
#include "health/units.h"
#include "platform/surface.h"
#include "platform/text.h"
#include "store/categories.h"
#include "store/event_store.h"
#include "store/host.h"

namespace kal {

inline constexpr int kGridCapacity = 1000;
// Height of one line of the entry font, and of a day cell's day-number line.
inline constexpr int kEntryLineHeight = 15;
inline constexpr std::size_t kDayKeyLength = 12;

// Day cell or entry box. Edges are inclusive pixels. The key starts with the
// 12-character DayKey; an entry box's key continues with its EntryText (at
// most 170 characters, so a key never exceeds the 183 characters a stored
// 200-byte item can hold).
struct GridItem {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  std::int32_t record = -1;  // -1 for a day cell, else the record's offset in the EventStore
  Colour colour = 0;
  std::string key;

  bool IsDayCell() const { return record < 0; }
  bool operator==(const GridItem&) const = default;
};

struct CalendarGrid {
  std::vector<GridItem> items;  // never more than kGridCapacity, in creation order
  int selected = -1;            // index into items, -1 for none

  int count() const { return static_cast<int>(items.size()); }
};

// The font of the entry texts: a copy of the small regular font (Arial 15),
// unless a print job has put its own font in place. The grid's line height
// follows the font's height, so a grid built under a print font is measured
// in printer pixels.
FontDescription EntryFont();
int EntryLineHeight();

// Puts a print font in place of the entry font for as long as it lives, and
// the previous one back afterwards. The user-interface thread only.
class ScopedEntryFont {
 public:
  explicit ScopedEntryFont(const FontDescription& font);
  ~ScopedEntryFont();
  ScopedEntryFont(const ScopedEntryFont&) = delete;
  ScopedEntryFont& operator=(const ScopedEntryFont&) = delete;

 private:
  FontDescription previous_;
};

// "YYYYMMDD9999", always 12 characters (a year beyond four digits keeps only
// its last four).
std::string DayKey(std::int32_t year, std::int32_t month, std::int32_t day);

// White for odd months, light grey for even ones, so neighbouring months alternate.
Colour DayCellColour(std::int32_t month);

// Rebuilds the grid for `rows` weeks starting at the Sunday `firstSunday`
// inside `area` (half-open: the last row ends on area.bottom - 1). Rows take
// the room their entries need, earlier rows first, while every later row
// keeps at least one line height. The selection is reset to none. Every day
// cell is present however many entries the store holds: entry boxes stop
// early enough to leave room for the day cells still to come.
void BuildCalendarGrid(CalendarGrid& grid, const EventStore& store, const CategoryTable& categories,
                       const UnitModes& units, TextRenderer& measurer, int rows, Rect area, PackedDate firstSunday);

// Appends the entry boxes of the day named by `key` to a cell at x of the
// given width whose row starts at y and is rowHeight pixels high. y moves
// down past the day-number line and every box added. Entries are taken in
// index order; deleted records are skipped, and an entry that does not fit
// in the rest of the row is left out (a later, shorter one may still fit).
// Boxes are added only while the grid holds fewer than
// kGridCapacity - reservedItems items.
void AddDayEntries(CalendarGrid& grid, const EventStore& store, const CategoryTable& categories, const UnitModes& units,
                   TextRenderer& measurer, const std::string& key, int x, int& y, int cellWidth, int rowHeight,
                   int reservedItems = 0);

// Calls `visit` with the offset of every live record dated `date`, in index
// order: a binary search when the index is sorted, a full scan otherwise.
void ForEachRecordOnDay(const EventStore& store, PackedDate date, const std::function<void(std::uint32_t)>& visit);
// The same, always scanning the whole index (the fallback, kept callable for
// tests and the benchmark).
void ForEachRecordOnDayByScan(const EventStore& store, PackedDate date,
                              const std::function<void(std::uint32_t)>& visit);

enum class WrapMode { kMeasure = 0, kDraw = 1 };
using WrapDrawFn = std::function<void(int x, int y, std::string_view line)>;

// Greedy word wrap in the entry font. A line ends when the text from its
// start to the current character measures `width` or more: at the last space
// in it (which the line keeps), or, without a space, just before the current
// character (a lone character wider than the width still makes a line of
// its own). Each line adds the entry font's height; 2 is added at the end. In draw
// mode every non-empty line goes to `draw` at (x, y + height so far); the
// text colour is the callback's business. Returns the height used.
int WrapText(TextRenderer& measurer, WrapMode mode, int x, int y, int width, std::string_view text,
             const WrapDrawFn& draw = {});

// Re-predicts the menstrual cycles after a cycle record was deleted; the
// cycle feature installs it. Left empty, nothing is re-predicted.
using RepredictCyclesHook = std::function<void(EventStore&)>;

// The calendar's "Delete": when an entry box is selected, asks whether to
// delete that record or its whole group ("Delete|Group|Cancel"), marks the
// record(s) deleted and saves, then rebuilds the grid for 5 rows from
// displayDate and selects the day cell of the entry's date (none when that
// day is no longer shown). Returns the button chosen (1, 2, 3), or 0 when no
// entry was selected and nothing was asked.
int DeleteSelectedEntry(CalendarGrid& grid, EventStore& store, const CategoryTable& categories, const UnitModes& units,
                        TextRenderer& measurer, Host& host, Rect area, PackedDate displayDate,
                        const RepredictCyclesHook& repredictCycles = {});

// The index of the day cell whose key starts with the eight digits of `key`, or -1.
int FindDayCell(const CalendarGrid& grid, std::string_view key);

}  // namespace kal
