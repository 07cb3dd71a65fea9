#include "health/trends.h"

#include <gtest/gtest.h>

#include "support/record_builder.h"

namespace kal {
namespace {

using test::Packed;

TEST(DayNumberTest, ConsecutiveDaysCountOneApartAndRoundTrip) {
  // Across month ends, a leap day and a century that is not a leap year.
  for (const auto& [date, next] : std::vector<std::pair<std::int32_t, std::int32_t>>{
           {Packed(2024, 2, 28), Packed(2024, 2, 29)}, {Packed(2024, 2, 29), Packed(2024, 3, 1)},
           {Packed(2023, 12, 31), Packed(2024, 1, 1)}, {Packed(1900, 2, 28), Packed(1900, 3, 1)},
           {Packed(2000, 2, 28), Packed(2000, 2, 29)}}) {
    EXPECT_EQ(DayNumber(next) - DayNumber(date), 1) << date;
    EXPECT_EQ(DateOfDayNumber(DayNumber(date)), date);
    EXPECT_EQ(DateOfDayNumber(DayNumber(next)), next);
  }
  EXPECT_EQ(DayNumber(Packed(2025, 1, 1)) - DayNumber(Packed(2024, 1, 1)), 366);
}

TEST(MovingAverageTest, AveragesTheLastSevenOrFewer) {
  const std::vector<double> v = {7, 14, 21, 28, 35, 42, 49, 56, 700};
  const std::vector<double> avg = MovingAverage(v, 7);
  EXPECT_EQ(avg[0], 7);
  EXPECT_EQ(avg[1], 10.5);
  EXPECT_EQ(avg[6], 28);
  EXPECT_EQ(avg[7], 35);
  EXPECT_EQ(avg[8], (21 + 28 + 35 + 42 + 49 + 56 + 700) / 7.0);
  EXPECT_TRUE(MovingAverage({}, 7).empty());
}

TEST(CollectTrendTest, TakesOnlyLiveReadingsOfThePersonInDateOrder) {
  EventStore s;
  test::AddWeight(s, Packed(2024, 3, 5), "b", 70000);
  test::AddWeight(s, Packed(2024, 3, 1), "a", 71000);
  test::AddWeight(s, Packed(2024, 3, 2), "none", 0);  // no weight: nothing to plot
  const std::uint32_t gone = test::AddWeight(s, Packed(2024, 3, 3), "deleted", 69000);
  SetByte(s.store, gone + rec::kKind, kKindDeleted);
  const std::uint32_t other = test::AddWeight(s, Packed(2024, 3, 4), "other person", 50000);
  SetByte(s.store, other + rec::kCategory, 4);
  test::AddPressure(s, Packed(2024, 3, 1), "", "bp", 130, 85);
  BuildEventIndex(s);
  const TrendSeries w = CollectTrend(s, kKindWeight, 0);
  ASSERT_EQ(w.points.size(), 2u);
  EXPECT_EQ(w.points[0].value, 71000);
  EXPECT_EQ(w.points[1].value, 70000);
  EXPECT_EQ(w.points[1].day - w.points[0].day, 4);
  EXPECT_EQ(CollectTrend(s, kKindWeight, 4).points.size(), 1u);
  const TrendSeries bp = CollectTrend(s, kKindBloodPressure, 0);
  ASSERT_EQ(bp.points.size(), 1u);
  EXPECT_EQ(bp.points[0].value, 130);
  EXPECT_EQ(bp.points[0].second, 85);
  EXPECT_TRUE(CollectTrend(s, kKindCholesterol, 0).points.empty());
}

}  // namespace
}  // namespace kal
