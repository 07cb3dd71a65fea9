// The event editor: the modal panel in which a generic event is created or
// changed (description, category, start and end time, repeat rule, legal
// holiday), and the time and repeat pickers it opens.
//
// The caller copies the record into the store's work record first (for a new
// event, PrepareWorkRecord with the day and category) and passes the record's
// offset, or -1 for a new event. The editor edits the work record in place;
// on "Save" or "Save All" it writes through the group operations of
// calendar/repeat.h, which end with SaveEvents, so every record offset the
// caller held is stale afterwards and its views must be rebuilt. The work
// record keeps the edited values after the editor returns. The editor runs
// its own loop: it saves the screen, sets ModalActive, and puts both back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/host.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

struct Application;

// Results of EventEditor.
inline constexpr std::int32_t EditorSaved = 1;
inline constexpr std::int32_t EditorSavedAll = 2;
inline constexpr std::int32_t EditorCancelled = 3;

inline constexpr const char* EmptyDescriptionMessage = "Event cannot be saved until|you enter a description";
inline constexpr const char* StartAfterEndMessage =
    "The start time is later than the end time!|Are you sure you want to save?";
inline constexpr const char* EndWhileAllDayMessage = "End time cannot be changed|when start time is set to all day";

// Where everything of the panel lies for a window of the program's size.
// Boxes are half-open (left <= x < right).
struct EventEditorLayout {
  int lineHeight = 0;
  int visibleLines = 0;  // rows of the description
  Rect panel;
  int titleY = 0;
  Rect categoryBox;
  Rect timeBox;
  Rect endBox;
  int categoryLabelX = 0;  // right ends of the labels
  int timeLabelX = 0;
  int endLabelX = 0;
  Rect repeatBox;
  int repeatLabelX = 0;
  Rect holidayBox;   // the check box with its label
  Rect description;  // the text box, scroll bar not included
  Rect textArea;     // the text box with the scroll bar beside it
  Rect save;
  Rect saveAll;
  Rect cancel;
};
EventEditorLayout LayOutEventEditor(const Program& program, Gfx& gfx);

// Opens the editor on the store's work record. recordOffset is the offset of
// the record being changed, or -1 for a new event. On return result is
// EditorSaved, EditorSavedAll or EditorCancelled (also when the window is
// closing: nothing is written then). ui carries the frame input each pass
// runs; host shows the progress of generating and saving and the text
// area's messages ("Text Buffer Is Full..."), and asks the replace-group
// question, so it must put ReportError and Ask before the user.
void EventEditor(Application& app, UiContext& ui, Host& host, std::int32_t recordOffset, std::int32_t& result);
// The same with the window's own host: progress on the progress panel,
// messages and questions in message dialogs.
void EventEditor(Application& app, UiContext& ui, std::int32_t recordOffset, std::int32_t& result);
// The same on the application's drawing and input, without frame input.
void EventEditor(Application& app, std::int32_t recordOffset, std::int32_t& result);

// Time picker captions: 289 entries, "All Day" (start) or "No End" (end)
// first, then every 5 minutes from 6:00 am (start) or from the start time
// (end) around the clock, e.g. "12:00 pm (Noon)".
std::string TimePickerCaption(int which, int item, int startHour, int startMinute);
// Reads a caption back: hour 99 minute 0 for the first item, else the time.
void TimeFromCaption(std::string_view caption, std::int32_t& hour, std::int32_t& minute);

// The time picker on the work record's start (which 0) or end (which 1),
// with the list's top-left corner at (x, y). Refuses the end while the start
// is "All Day". Returns true when a time was chosen (the times are then
// normalised).
bool TimePicker(Application& app, UiContext& ui, int which, int x, int y);
// The repeat picker on the work record's repeat mode, labels for its date.
// Returns true when a mode was chosen.
bool RepeatPicker(Application& app, UiContext& ui, int x, int y);

}  // namespace kal
