#include "calendar/dates.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace kal {
namespace {

TEST(Dates, PackOrdersChronologicallyAndKeepsImpossibleTriples) {
  EXPECT_EQ(PackDate(2024, 5, 5), 0x07E80505);
  EXPECT_LT(PackDate(2023, 12, 31), PackDate(2024, 1, 1));
  EXPECT_EQ(UnpackDate(PackDate(2024, 4, 31)), (Ymd{2024, 4, 31}));
  EXPECT_EQ(UnpackDate(PackDate(9999, 12, 31)), (Ymd{9999, 12, 31}));
  // Leap years by the Gregorian rule, also before 1582.
  for (const auto& [year, days] : std::vector<std::pair<int, int>>{{2000, 29}, {1900, 28}, {2024, 29}, {1500, 28}})
    EXPECT_EQ(DaysInMonth(year, 2), days) << year;
  const int expected[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(DaysInMonth(2023, m), expected[m - 1]) << m;
}

TEST(Dates, NextAndPreviousDay) {
  // {from, next, previous}; an impossible day rolls over by one step only.
  const std::vector<std::vector<Ymd>> rows = {
      {{2023, 12, 31}, {2024, 1, 1}, {2023, 12, 30}}, {{2024, 3, 1}, {2024, 3, 2}, {2024, 2, 29}},
      {{2023, 3, 1}, {2023, 3, 2}, {2023, 2, 28}},    {{2024, 2, 28}, {2024, 2, 29}, {2024, 2, 27}},
      {{2024, 1, 1}, {2024, 1, 2}, {2023, 12, 31}},   {{2024, 4, 31}, {2024, 5, 1}, {2024, 4, 30}},
      {{2023, 2, 29}, {2023, 3, 1}, {2023, 2, 28}},
  };
  for (const auto& row : rows) {
    Ymd next = row[0];
    Ymd previous = row[0];
    NextDay(next);
    PreviousDay(previous);
    EXPECT_EQ(next, row[1]) << IsoDateText(PackDate(row[0]));
    EXPECT_EQ(previous, row[2]) << IsoDateText(PackDate(row[0]));
  }
}

TEST(Dates, WeekdayMatchesTheSystemCalendar) {
  // Walk ten years day by day against the C library's own calendar.
  Ymd d{2019, 1, 1};
  for (int i = 0; i < 3700; ++i, NextDay(d)) {
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_hour = 12;
    timegm(&tm);
    ASSERT_EQ(WeekdayOf(d.year, d.month, d.day), tm.tm_wday) << IsoDateText(PackDate(d));
  }
  EXPECT_EQ(WeekdayOf(2000, 2, 29), 2);
  // Floor division keeps the weekday cycle going below year 1.
  EXPECT_EQ((WeekdayOf(1, 1, 1) + 6) % 7, WeekdayOf(0, 12, 31));
}

TEST(Dates, NamesTextsAndDaysBetween) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {WeekdayAbbreviation(2024, 6, 15), "Sat"}, {WeekdayName(3), "Wednesday"}, {WeekdayName(42), "Saturday"},
      {MonthName(0), "Every Month"}, {MonthName(9), "September"}, {MonthName(13) + MonthName(-1), ""},
      {MonthAbbreviation(12), "Dec"}, {MonthAbbreviation(0) + MonthAbbreviation(13), ""},
      {FormatTime(0, 0, 5), "12:05 am"}, {FormatTime(0, 9, 0), "9:00 am"}, {FormatTime(0, 12, 0), "12:00 pm"},
      {FormatTime(1, 23, 55), "11:55 pm"}, {FormatTime(0, 99, 0), "All Day"}, {FormatTime(1, 255, 0), "No End"},
      {FormatTime(1, 24, 0), "No End"}, {LongDateText(2024, 5, 5), "Sunday, May 05, 2024"},
      {LongDateText(987, 11, 28), "Wednesday, November 28, 0987"}, {IsoDateText(PackDate(12, 4, 31)), "0012-04-31"},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].first, rows[i].second) << i;
  const std::vector<std::pair<std::pair<PackedDate, PackedDate>, int>> between = {
      {{PackDate(2024, 5, 6), PackDate(2024, 5, 5)}, 0}, {{PackDate(2024, 2, 28), PackDate(2024, 3, 1)}, 2},
      {{PackDate(2023, 2, 28), PackDate(2023, 3, 1)}, 1}, {{PackDate(2000, 1, 1), PackDate(2100, 1, 1)}, 36525},
      {{PackDate(2024, 4, 29), PackDate(2024, 4, 31)}, 2},  // an impossible target ends the walk
  };
  for (const auto& [dates, days] : between) EXPECT_EQ(DaysBetween(dates.first, dates.second), days) << dates.second;
}

TEST(Dates, ParseIsoDateIsStrict) {
  Ymd d{1, 2, 3};
  ASSERT_TRUE(ParseIsoDate("2024-02-29", d));
  EXPECT_EQ(d, (Ymd{2024, 2, 29}));
  ASSERT_TRUE(ParseIsoDate("0001-01-01", d));
  EXPECT_EQ(d, (Ymd{1, 1, 1}));
  for (const char* bad : {"2023-02-29", "2024-04-31", "2024-13-01", "2024-00-10", "2024-01-00", "0000-01-01",
                          "2024-1-01", "24-01-01", "2024/01/01", "2024-01-01 ", " 2024-01-01", "2024-01-1x",
                          "+024-01-01", "2024-0a-01", "", "20240101"}) {
    EXPECT_FALSE(ParseIsoDate(bad, d)) << bad;
  }
  EXPECT_EQ(d, (Ymd{1, 1, 1}));  // a failed parse leaves the output alone
}

TEST(Dates, BackToSundayAndToday) {
  AppDates dates;
  for (const auto& [from, sunday] : std::vector<std::pair<Ymd, Ymd>>{
           {{2024, 5, 5}, {2024, 5, 5}}, {{2024, 5, 11}, {2024, 5, 5}}, {{2024, 3, 2}, {2024, 2, 25}}}) {
    dates.display = from;
    BackToSunday(dates);
    EXPECT_EQ(dates.display, sunday) << IsoDateText(PackDate(from));
  }
  FixedClock clock(LocalDateTime{2024, 1, 3, 23, 59, 0});  // a Wednesday
  SetTodayFromClock(dates, clock);
  EXPECT_EQ(dates.today, (Ymd{2024, 1, 3}));
  EXPECT_EQ(dates.display, (Ymd{2023, 12, 31}));
  EXPECT_EQ(dates.rememberedDay, 3);
  EXPECT_EQ(dates.currentDay, 3);
}

}  // namespace
}  // namespace kal
