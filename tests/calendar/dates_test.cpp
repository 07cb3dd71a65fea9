#include "calendar/dates.h"

#include <gtest/gtest.h>

#include <ctime>

namespace kal {
namespace {

TEST(Dates, PackOrdersChronologicallyAndKeepsImpossibleTriples) {
  EXPECT_EQ(PackDate(2024, 5, 5), 132646149);
  EXPECT_EQ(PackDate(2024, 5, 5), 0x07E80505);
  EXPECT_LT(PackDate(2024, 4, 30), PackDate(2024, 5, 1));
  EXPECT_LT(PackDate(2023, 12, 31), PackDate(2024, 1, 1));
  EXPECT_EQ(UnpackDate(PackDate(2024, 4, 31)), (Ymd{2024, 4, 31}));
  EXPECT_EQ(UnpackDate(PackDate(9999, 12, 31)), (Ymd{9999, 12, 31}));
}

TEST(Dates, MonthLengthsFollowTheGregorianRule) {
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DaysInMonth(1500, 2), 28);  // no Julian rule before 1582
  const int expected[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(DaysInMonth(2023, m), expected[m - 1]) << m;
}

TEST(Dates, NextAndPreviousDayCrossMonthAndYear) {
  Ymd d{2023, 12, 31};
  NextDay(d);
  EXPECT_EQ(d, (Ymd{2024, 1, 1}));
  PreviousDay(d);
  EXPECT_EQ(d, (Ymd{2023, 12, 31}));

  d = {2024, 3, 1};
  PreviousDay(d);
  EXPECT_EQ(d, (Ymd{2024, 2, 29}));
  d = {2023, 3, 1};
  PreviousDay(d);
  EXPECT_EQ(d, (Ymd{2023, 2, 28}));
  d = {2024, 2, 28};
  NextDay(d);
  EXPECT_EQ(d, (Ymd{2024, 2, 29}));

  // One step of overflow only: an impossible day rolls into the next month.
  d = {2024, 4, 31};
  NextDay(d);
  EXPECT_EQ(d, (Ymd{2024, 5, 1}));
  d = {2023, 2, 29};
  NextDay(d);
  EXPECT_EQ(d, (Ymd{2023, 3, 1}));
  d = {2024, 4, 31};
  PreviousDay(d);
  EXPECT_EQ(d, (Ymd{2024, 4, 30}));
}

TEST(Dates, WeekdayMatchesTheSystemCalendar) {
  EXPECT_EQ(WeekdayOf(2024, 1, 1), 1);
  EXPECT_EQ(WeekdayOf(2000, 2, 29), 2);
  EXPECT_EQ(WeekdayOf(2024, 5, 5), 0);
  EXPECT_EQ(WeekdayOf(2024, 6, 15), 6);
  // Walk ten years day by day against the C library's own calendar.
  Ymd d{2019, 1, 1};
  for (int i = 0; i < 3700; ++i) {
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_hour = 12;
    timegm(&tm);
    ASSERT_EQ(WeekdayOf(d.year, d.month, d.day), tm.tm_wday) << d.year << "-" << d.month << "-" << d.day;
    NextDay(d);
  }
  // Floor division keeps the weekday cycle going below year 1.
  EXPECT_EQ((WeekdayOf(1, 1, 1) + 6) % 7, WeekdayOf(0, 12, 31));
}

TEST(Dates, NamesAndAbbreviations) {
  EXPECT_EQ(WeekdayAbbreviation(2024, 1, 1), "Mon");
  EXPECT_EQ(WeekdayAbbreviation(2024, 6, 15), "Sat");
  EXPECT_EQ(WeekdayName(0), "Sunday");
  EXPECT_EQ(WeekdayName(3), "Wednesday");
  EXPECT_EQ(WeekdayName(6), "Saturday");
  EXPECT_EQ(WeekdayName(42), "Saturday");
  EXPECT_EQ(MonthName(0), "Every Month");
  EXPECT_EQ(MonthName(9), "September");
  EXPECT_EQ(MonthName(12), "December");
  EXPECT_EQ(MonthName(13), "");
  EXPECT_EQ(MonthName(-1), "");
  EXPECT_EQ(MonthAbbreviation(1), "Jan");
  EXPECT_EQ(MonthAbbreviation(12), "Dec");
  EXPECT_EQ(MonthAbbreviation(0), "");
  EXPECT_EQ(MonthAbbreviation(13), "");
}

TEST(Dates, DaysBetween) {
  EXPECT_EQ(DaysBetween(PackDate(2024, 5, 5), PackDate(2024, 5, 5)), 0);
  EXPECT_EQ(DaysBetween(PackDate(2024, 5, 6), PackDate(2024, 5, 5)), 0);
  EXPECT_EQ(DaysBetween(PackDate(2024, 5, 5), PackDate(2024, 5, 6)), 1);
  EXPECT_EQ(DaysBetween(PackDate(2024, 2, 28), PackDate(2024, 3, 1)), 2);
  EXPECT_EQ(DaysBetween(PackDate(2023, 2, 28), PackDate(2023, 3, 1)), 1);
  EXPECT_EQ(DaysBetween(PackDate(2024, 1, 1), PackDate(2025, 1, 1)), 366);
  EXPECT_EQ(DaysBetween(PackDate(2000, 1, 1), PackDate(2100, 1, 1)), 36525);
  // An impossible target must end the walk, not run for ever.
  EXPECT_EQ(DaysBetween(PackDate(2024, 4, 29), PackDate(2024, 4, 31)), 2);
}

TEST(Dates, FormatTime) {
  EXPECT_EQ(FormatTime(0, 0, 0), "12:00 am");
  EXPECT_EQ(FormatTime(0, 0, 5), "12:05 am");
  EXPECT_EQ(FormatTime(0, 9, 0), "9:00 am");
  EXPECT_EQ(FormatTime(0, 12, 0), "12:00 pm");
  EXPECT_EQ(FormatTime(0, 13, 30), "1:30 pm");
  EXPECT_EQ(FormatTime(1, 23, 55), "11:55 pm");
  EXPECT_EQ(FormatTime(0, 99, 0), "All Day");
  EXPECT_EQ(FormatTime(1, 255, 0), "No End");
  EXPECT_EQ(FormatTime(1, 24, 0), "No End");
}

TEST(Dates, LongAndIsoTexts) {
  EXPECT_EQ(LongDateText(2024, 5, 5), "Sunday, May 05, 2024");
  EXPECT_EQ(LongDateText(2024, 11, 28), "Thursday, November 28, 2024");
  EXPECT_EQ(LongDateText(987, 1, 1).substr(LongDateText(987, 1, 1).size() - 4), "0987");
  EXPECT_EQ(IsoDateText(PackDate(2024, 4, 30)), "2024-04-30");
  EXPECT_EQ(IsoDateText(PackDate(2024, 4, 31)), "2024-04-31");
  EXPECT_EQ(IsoDateText(PackDate(12, 1, 2)), "0012-01-02");
}

TEST(Dates, ParseIsoDateIsStrict) {
  Ymd d{1, 2, 3};
  ASSERT_TRUE(ParseIsoDate("2024-02-29", d));
  EXPECT_EQ(d, (Ymd{2024, 2, 29}));
  ASSERT_TRUE(ParseIsoDate("0001-01-01", d));
  EXPECT_EQ(d, (Ymd{1, 1, 1}));
  ASSERT_TRUE(ParseIsoDate("9999-12-31", d));

  const Ymd before = d;
  for (const char* bad : {"2023-02-29", "2024-04-31", "2024-13-01", "2024-00-10", "2024-01-00", "0000-01-01",
                          "2024-1-01", "24-01-01", "2024/01/01", "2024-01-01 ", " 2024-01-01", "2024-01-1x",
                          "+024-01-01", "2024-0a-01", "", "20240101"}) {
    EXPECT_FALSE(ParseIsoDate(bad, d)) << bad;
  }
  EXPECT_EQ(d, before);  // a failed parse leaves the output alone
}

TEST(Dates, BackToSunday) {
  AppDates dates;
  dates.display = {2024, 5, 5};  // Sunday
  BackToSunday(dates);
  EXPECT_EQ(dates.display, (Ymd{2024, 5, 5}));
  dates.display = {2024, 5, 11};  // Saturday
  BackToSunday(dates);
  EXPECT_EQ(dates.display, (Ymd{2024, 5, 5}));
  dates.display = {2024, 3, 2};  // Saturday, across February of a leap year
  BackToSunday(dates);
  EXPECT_EQ(dates.display, (Ymd{2024, 2, 25}));
}

TEST(Dates, SetTodayFromClock) {
  FixedClock clock(LocalDateTime{2024, 1, 3, 23, 59, 0});  // a Wednesday
  AppDates dates;
  SetTodayFromClock(dates, clock);
  EXPECT_EQ(dates.today, (Ymd{2024, 1, 3}));
  EXPECT_EQ(dates.display, (Ymd{2023, 12, 31}));
  EXPECT_EQ(dates.rememberedDay, 3);
  EXPECT_EQ(dates.currentDay, 3);
}

}  // namespace
}  // namespace kal
