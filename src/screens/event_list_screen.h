// The events screen (ScreenId 2): the records of the event file one per
// line, filtered by category and display mode or by a search, with a cursor,
// check-box marks, and the buttons "Find", "Edit", "Delete", "Move Category"
// and "Print".
//
// The screen works on the Application's event store; its EventList lives
// only while the screen is shown (opening resets the filters and the search,
// leaving empties it) and is rebuilt after every save, since a save moves
// every record. Marks live in the records, so they reach the file with the
// next save. Everything runs on the user-interface thread inside the main loop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "calendar/event_list.h"

namespace kal {

struct Application;

// Features of other parts of the program the screen hands work to.
struct EventListHooks {
  // "Print" with marked records: the print setup titled "Print Events" and,
  // when confirmed, the printout of the records at these offsets.
  // Empty: a message that printing is not available in this version.
  std::function<void(Application&, const std::vector<std::uint32_t>& marked)> printEvents;
};
// One set for the whole process, filled before the screen runs.
EventListHooks& EventListScreenHooks();

// The screen loop with a list of its own; returns when the program quits or
// another screen is chosen.
void EventListScreen(Application& app);
// The same with the caller's list, which after a quit still holds the last
// state the screen showed.
void EventListScreen(Application& app, EventList& list);

// Background, header, filters, column titles, rows, scroll bar and buttons;
// presents the window.
void DrawEventListScreen(Application& app, const EventList& list);

// Resets the filters and the search, builds the list, puts the cursor on the
// calendar's selected record (or the last record on or before its selected
// day) and marks that record alone.
void OpenEventList(Application& app, EventList& list);
// Shows the cursor record's week on the calendar with its day selected, and
// empties the list.
void LeaveEventList(Application& app, EventList& list);

// Rebuilds the list for its filters with the progress panel showing.
void RebuildEventList(Application& app, EventList& list);
// The "Find" result: the query as the search text, "Search Results" over
// every category, the cursor on the first result and only that one marked.
void ApplySearch(Application& app, EventList& list, const std::string& query);

// The message shown for "Print" while no printing is plugged in.
inline constexpr const char* kPrintingUnavailableMessage = "Printing is not available in this version.";

}  // namespace kal
