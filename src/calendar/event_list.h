// The event list: which records the events screen shows, where its cursor is,
// and the rules by which the cursor keys, clicks and Ctrl+A set the marks.
//
// An EventList holds offsets into one EventStore and is valid only until the
// next SaveEvents or LoadEvents of that store; whoever saves rebuilds the list.
// Marks are not kept here but in the records themselves (bit 0 of the
// selection-mark byte), so they are written to the file with the record at
// the next save. Nothing here draws or waits for input: the screen owns the
// loop and the progress panel, and hands BuildEventList a callback.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "health/units.h"
#include "store/event_store.h"

namespace kal {

// The category filter that lets every category through.
inline constexpr std::int32_t kListAllCategories = 99;

enum DisplayMode : std::int32_t {
  kModeAllRecords = 0,
  kModeSearchResults = 1,
  // Modes 2 to 7 list one record kind each: the mode number is the kind.
  kModeGenericEvents = 2,
  kModeGlucose = 7,
};
inline constexpr int kDisplayModeCount = 8;
inline constexpr const char* kDisplayModeLabels =
    "All Records,Search Results,Generic Events,Weight and Body Measurements,Menstrual Cycles,Blood Pressure,"
    "Cholesterol,Blood Sugar (Glucose)";
// The label of mode 0-7; empty for any other number.
std::string DisplayModeLabel(std::int32_t mode);

struct EventList {
  std::vector<std::uint32_t> offsets;  // in EventIndex order, which is the file's order
  std::int32_t cursor = -1;            // -1 while the list is empty
  std::int32_t top = 0;                // first visible row
  std::int32_t category = kListAllCategories;
  std::int32_t mode = kModeAllRecords;
  std::string searchText;              // the confirmed query, trimmed

  std::int32_t count() const { return static_cast<std::int32_t>(offsets.size()); }
  bool empty() const { return offsets.empty(); }
};

// Told how far a build has come: records scanned, records in the index and
// matches so far. Returning false stops the scan where it is (the window is
// closing); the list then holds the matches found until then.
using ListProgress = std::function<bool(std::uint32_t done, std::uint32_t total, std::uint32_t matches)>;
// How many records are scanned between two progress calls.
inline constexpr std::uint32_t kListProgressStep = 512;

// Refills the list for its category filter, display mode and search text;
// the cursor becomes -1 and the first visible row 0. Deleted records are
// never listed; "Search Results" with a query of no terms lists nothing.
void BuildEventList(EventList& list, const EventStore& store, const UnitModes& units,
                    const ListProgress& progress = {});

// Marks.
bool IsMarked(const EventStore& store, std::uint32_t offset);
void SetMarked(EventStore& store, std::uint32_t offset, bool marked);
// Clears the mark of every record in the store, listed or not.
void ClearAllMarks(EventStore& store);
// The listed records whose mark is set, in list order.
std::vector<std::uint32_t> MarkedOffsets(const EventList& list, const EventStore& store);
bool AnyMarked(const EventList& list, const EventStore& store);

// What a cursor move does to the marks.
enum class MarkRule {
  kOnly,        // the record reached becomes the only marked record
  kKeep,        // marks stay as they are (Ctrl)
  kAddReached,  // the record reached is marked as well (Shift with Up and Down)
  kAddRange,    // every record from the old cursor to the new one is marked (Shift with the page keys)
};
// The rule of a move with these modifiers; `range` for the page keys, Home and End.
MarkRule RuleFor(bool shift, bool ctrl, bool range);

// Moves the cursor to `row` (kept inside the list), applies the rule and
// scrolls so that the cursor is one of the `rows` visible rows. Does nothing
// on an empty list.
void MoveCursor(EventList& list, EventStore& store, std::int32_t row, MarkRule rule, std::int32_t rows);
// Page Up and Page Down: the first visible row and the cursor move by
// `pages` pages of `rows` rows, neither before the first record nor past the last.
void PageCursor(EventList& list, EventStore& store, std::int32_t pages, MarkRule rule, std::int32_t rows);
// Ctrl+A: when every listed record is marked, clears them all; otherwise marks all.
void ToggleAllMarks(const EventList& list, EventStore& store);

// Keeps `top` between 0 and count - rows (0 when everything fits).
void LimitTop(EventList& list, std::int32_t rows);

// The row of the record with that id, or -1.
std::int32_t RowOfRecordId(const EventList& list, const EventStore& store, std::int32_t recordId);
// The last row dated on or before the packed date, or -1 when every record is later.
std::int32_t LastRowOnOrBefore(const EventList& list, const EventStore& store, std::int32_t packedDate);

}  // namespace kal
