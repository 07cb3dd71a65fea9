// The printed pages: six weeks of the calendar on one page, and the marked
// records of the event list one line each over as many pages as they need.
//
// Both draw on a PageCanvas in printer pixels with the job's font: the
// normal print font is the chosen face at fh = round(dpiY * 0.01389 * size)
// pixels, its bold twin for titles. While the calendar is drawn the grid's
// entry font is the print font, so its boxes are measured in printer pixels;
// the screen's entry font is back when the call returns. The caller owns the
// canvas and starts nothing: these calls start and end their own pages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "calendar/calendar_grid.h"
#include "platform/page_canvas.h"
#include "print/print_settings.h"

namespace kal {

// What the printed pages are drawn from; the caller keeps it alive.
struct PrintSource {
  const EventStore* store = nullptr;
  const CategoryTable* categories = nullptr;
  UnitModes units;
};

// The normal and the bold print font: the first 31 characters of the face.
FontDescription PrintFont(const PrintSettings& print, const PageMetrics& metrics, bool bold);

// "Mar 3, 2024": the form of the title and the "Printed" date.
std::string PrintDateText(const Ymd& date);

// The calendar page of the six weeks from firstSunday. The grid built for
// the page is left in `grid` (its rectangles are printer pixels). False when
// the printer refused the page.
bool PrintCalendarPage(PageCanvas& canvas, const PageMetrics& metrics, const PrintSettings& print,
                       const PrintSource& source, PackedDate firstSunday, const Ymd& today, CalendarGrid& grid);

// The records at `offsets` whose mark is set, in that order. Returns the
// number of pages printed, or -1 when the printer refused a page.
int PrintEventListPages(PageCanvas& canvas, const PageMetrics& metrics, const PrintSettings& print,
                        const PrintSource& source, const std::vector<std::uint32_t>& offsets);

}  // namespace kal
