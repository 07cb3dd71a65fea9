// What the calendar screen's files share: the view (calendar_view.cpp),
// the mouse and drag handling (calendar_drag.cpp) and the screen loop with
// the keys and navigation (calendar_screen.cpp). Nothing outside them uses it.
#pragma once

#include <string>

#include "calendar/calendar_grid.h"
#include "calendar/dates.h"
#include "health/units.h"
#include "screens/screen_layout.h"
#include "ui/controls.h"

namespace kal {

struct Application;

namespace calendar_parts {

// The captions of the previous and next buttons: their built-in arrows.
inline constexpr char kPreviousCaption[] = {CaptionBigLeft, '\0'};
inline constexpr char kNextCaption[] = {CaptionBigRight, '\0'};

UnitModes Units(const Application& app);
PackedDate DisplayPacked(const Application& app);
// Re-predicts the cycles after a cycle record moved or was deleted: the
// installed hook, else PredictCycles on the screen's units.
RepredictCyclesHook Repredict(Application& app);
Ymd StepDays(Ymd d, int days);
std::string KeyOf(const Ymd& d);
// The selected grid item, or null.
const GridItem* Selected(const Application& app);
// The last item under the point, so that an entry box wins over the day cell
// below it; with dayCellsOnly the day cell itself. -1 when none.
int HitItem(const CalendarGrid& grid, int x, int y, bool dayCellsOnly);

// The title of the selected day and every grid item, into the off-screen surface.
void DrawGridItems(Application& app, const CalendarLayout& l);
// Presents the title strip and the calendar area.
void PresentGrid(Application& app, const CalendarLayout& l);

// A press in the calendar area: select, then open on release, or drag. False
// when the mouse was not pressed in the area.
bool HandleMouse(Application& app, const CalendarLayout& l);

}  // namespace calendar_parts
}  // namespace kal
