// Dates and times of day.
//
// The packed dates and day arithmetic live with the event file
// (store/packed_date.h); this adds weekdays, names, the texts of dates and
// times, and the application dates. Everything here is a pure function of
// integers except the application dates, which the program state owns.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "store/packed_date.h"

namespace kal {

// 0 = Sunday ... 6 = Saturday.
std::int32_t WeekdayOf(std::int32_t year, std::int32_t month, std::int32_t day);
std::string WeekdayAbbreviation(std::int32_t year, std::int32_t month, std::int32_t day);
std::string WeekdayName(std::int32_t weekday);
std::string MonthName(std::int32_t month);
std::string MonthAbbreviation(std::int32_t month);
// which: 0 start ("All Day" when no time), 1 end ("No End").
std::string FormatTime(int which, std::int32_t hour, std::int32_t minute);
// "Sunday, May 05, 2024".
std::string LongDateText(std::int32_t year, std::int32_t month, std::int32_t day);
// Parses "YYYY-MM-DD" (a real date); false when malformed.
bool ParseIsoDate(const std::string& text, Ymd& out);
std::string IsoDateText(PackedDate date);

// The two application-wide dates and the day the screens last saw.
struct AppDates {
  Ymd today;
  Ymd display;             // always a Sunday after BackToSunday
  std::int32_t currentDay = 0;     // day of the month, refreshed by the day timer
  std::int32_t rememberedDay = 0;  // day the screens last drew
  bool dayChanged = false;
};

// Moves display back to the Sunday on or before it.
void BackToSunday(AppDates& dates);
// Reads today from the clock, sets display to it and moves it back to Sunday;
// remembers the day of the month.
void SetTodayFromClock(AppDates& dates, const Clock& clock);

}  // namespace kal
