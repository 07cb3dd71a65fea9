// The calendar screen (ScreenId 1): five weeks of day cells, Sunday to
// Saturday, with each day's records as coloured entry boxes. The user selects
// days and entries with mouse or keyboard, opens them, creates records on a
// day, drags entries to other days (left button moves, right button copies),
// deletes them, scrolls by week, month and year, jumps to today and prints.
//
// The screen draws from and hit-tests the Application's CalendarGrid and
// rebuilds it after every change of the displayed weeks (app.dates.display,
// always a Sunday) or of the store; record offsets in the grid die with each
// save, so every action that saves ends with a rebuild. The selected item is
// carried across rebuilds by its key (the entry's text, else its day).
// Everything runs on the user-interface thread inside the main loop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "calendar/calendar_grid.h"
#include "calendar/dates.h"

namespace kal {

struct Application;

// Features of other parts of the program that the screen hands work to.
// Start-up (or a test) fills them; an empty one falls back to what its
// comment says. The desktop wallpaper steps of a "/silent" start are the
// Application's FeatureHooks.
struct CalendarHooks {
  // "Print": the print setup and, when confirmed, the printed calendar.
  // Empty: a message that printing is not available in this version.
  std::function<void(Application&)> printCalendar;
  // Re-predicts menstrual cycles after a cycle record moved or was deleted.
  // Empty: PredictCycles.
  RepredictCyclesHook repredictCycles;
};
// One set for the whole process, filled before the screen runs.
CalendarHooks& CalendarScreenHooks();

// The screen loop; returns when the program quits or another screen is chosen.
void CalendarScreen(Application& app);

// Background, header, calendar panel, buttons, weekday strip and grid; presents the window.
void DrawCalendarScreen(Application& app);
// The title of the selected day and every grid item; presents the calendar area and the title.
void DrawCalendarGrid(Application& app);

// A day cell opens NewRecordChooser, an entry EditRecord.
void OpenGridItem(Application& app, int index);
// Lets the user choose the kind of a new record on the day of the key and
// opens its editor; cancelling does nothing.
void NewRecordChooser(Application& app, std::string_view dayKey);
// Copies the record into the work record and opens the editor of its kind.
void EditRecord(Application& app, std::int32_t offset);

// Rebuilds the grid for five weeks from app.dates.display and selects the
// item with `selectKey` (the same entry, else the day cell of its date,
// else nothing).
void RebuildCalendarGrid(Application& app, std::string_view selectKey);
// The key of the selected item, empty when nothing is selected.
std::string SelectedKey(const Application& app);
// The date of a grid key's first eight digits.
Ymd KeyDate(std::string_view key);

// Shown instead of an editor when a predicted cycle is opened.
inline constexpr const char* kPredictedCycleMessage = "Predicted menstrual cycles can not be edited.";

}  // namespace kal
