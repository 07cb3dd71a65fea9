#include "calendar/dates.h"

#include <cstdio>

namespace kal {

namespace {

constexpr char kWeekdayLetters[] = "SunMonTueWedThuFriSat";
constexpr char kMonthLetters[] = "JanFebMarAprMayJunJulAugSepOctNovDec";

// Division that rounds toward minus infinity, so that years before 1 and the
// month shift of January and February give the weekday a proleptic calendar
// expects.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) { return a - b * FloorDiv(a, b); }

std::string Printf2(std::int32_t value) {
  if (value >= 0 && value < 100) return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", static_cast<int>(value));
  return buf;
}

}  // namespace

std::int32_t WeekdayOf(std::int32_t year, std::int32_t month, std::int32_t day) {
  const std::int64_t a = FloorDiv(14 - static_cast<std::int64_t>(month), 12);
  const std::int64_t y = year - a;
  const std::int64_t m = month + 12 * a - 2;
  const std::int64_t sum = day + y + FloorDiv(y, 4) - FloorDiv(y, 100) + FloorDiv(y, 400) + FloorDiv(31 * m, 12);
  return static_cast<std::int32_t>(FloorMod(sum, 7));
}

std::string WeekdayAbbreviation(std::int32_t year, std::int32_t month, std::int32_t day) {
  return std::string(kWeekdayLetters + 3 * WeekdayOf(year, month, day), 3);
}

std::string WeekdayName(std::int32_t weekday) {
  switch (weekday) {
    case 0: return "Sunday";
    case 1: return "Monday";
    case 2: return "Tuesday";
    case 3: return "Wednesday";
    case 4: return "Thursday";
    case 5: return "Friday";
    default: return "Saturday";
  }
}

std::string MonthName(std::int32_t month) {
  static const char* const kNames[] = {"Every Month", "January", "February", "March",     "April",
                                       "May",         "June",    "July",     "August",    "September",
                                       "October",     "November", "December"};
  if (month < 0 || month > 12) return "";
  return kNames[month];
}

std::string MonthAbbreviation(std::int32_t month) {
  if (month < 1 || month > 12) return "";
  return std::string(kMonthLetters + 3 * (month - 1), 3);
}

std::string FormatTime(int which, std::int32_t hour, std::int32_t minute) {
  if (hour > 23) return which == 0 ? "All Day" : "No End";
  const char* suffix = hour >= 12 ? " pm" : " am";
  std::int32_t shown = hour;
  if (hour == 0) {
    shown = 12;
  } else if (hour > 12) {
    shown = hour - 12;
  }
  return std::to_string(shown) + ":" + Printf2(minute) + suffix;
}

std::string LongDateText(std::int32_t year, std::int32_t month, std::int32_t day) {
  char yearText[16];
  std::snprintf(yearText, sizeof yearText, "%04d", static_cast<int>(year));
  return WeekdayName(WeekdayOf(year, month, day)) + ", " + MonthName(month) + " " + Printf2(day) + ", " + yearText;
}

bool ParseIsoDate(const std::string& text, Ymd& out) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  auto digits = [&](std::size_t from, std::size_t count, std::int32_t& value) {
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      value = value * 10 + (text[i] - '0');
    }
    return true;
  };
  Ymd d;
  if (!digits(0, 4, d.year) || !digits(5, 2, d.month) || !digits(8, 2, d.day)) return false;
  if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month)) return false;
  out = d;
  return true;
}

std::string IsoDateText(PackedDate date) {
  const Ymd d = UnpackDate(date);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", static_cast<int>(d.year), static_cast<int>(d.month),
                static_cast<int>(d.day));
  return buf;
}

void BackToSunday(AppDates& dates) {
  while (WeekdayOf(dates.display.year, dates.display.month, dates.display.day) != 0) PreviousDay(dates.display);
}

void SetTodayFromClock(AppDates& dates, const Clock& clock) {
  const LocalDateTime now = clock.Now();
  dates.today = Ymd{now.year, now.month, now.day};
  dates.display = dates.today;
  BackToSunday(dates);
  dates.currentDay = now.day;
  dates.rememberedDay = now.day;
}

}  // namespace kal
