#include "health/health_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/record_builder.h"

namespace kal {
namespace {

using test::AddCholesterol;
using test::AddCycle;
using test::AddGeneric;
using test::AddGlucose;
using test::AddPressure;
using test::AddWeight;
using test::Measures;

constexpr UnitModes kImperial{0, 0};
constexpr UnitModes kMetric{1, 1};
const std::int32_t kDay = test::Packed(2024, 5, 5);

std::string ListText(const EventStore& s, std::uint32_t off, const UnitModes& u = kImperial) {
  return HealthListText(s, off, u, HealthTextForm::kEventList);
}
std::string CalendarText(const EventStore& s, std::uint32_t off, const UnitModes& u = kImperial) {
  return HealthListText(s, off, u, HealthTextForm::kCalendar);
}

TEST(HealthListText, WeightListFormShowsLabelledMeasurements) {
  EventStore s;
  const auto all = AddWeight(s, kDay, "Me", 68039, Measures{1778, 1000, 800, 950});
  EXPECT_EQ(ListText(s, all), "Me - 150 pounds, Height: 70 in, Chest: 39.4 in, Waist: 31.5 in, Hips: 37.4 in");
  EXPECT_EQ(ListText(s, all, kMetric),
            "Me - 68 kg, Height: 177.8 cm, Chest: 100 cm, Waist: 80 cm, Hips: 95 cm");
}

TEST(HealthListText, WeightListFormWithoutWeightDropsTheSeparator) {
  EventStore s;
  const auto heightOnly = AddWeight(s, kDay, "desc", 0, Measures{1700, 0, 0, 0});
  const auto chestOnly = AddWeight(s, kDay, "desc", 0, Measures{0, 1000, 0, 0});
  const auto nothing = AddWeight(s, kDay, "desc", 0);
  const auto weightOnly = AddWeight(s, kDay, "desc", 68300);
  EXPECT_EQ(ListText(s, heightOnly), "desc - Height: 66.9 in");
  EXPECT_EQ(ListText(s, heightOnly, kMetric), "desc - Height: 170 cm");
  EXPECT_EQ(ListText(s, chestOnly), "desc - Chest: 39.4 in");
  EXPECT_EQ(ListText(s, nothing), "desc - ");
  EXPECT_EQ(ListText(s, weightOnly), "desc - 150.6 pounds");
}

TEST(HealthListText, WeightCalendarFormShowsHeightOnly) {
  EventStore s;
  const auto all = AddWeight(s, kDay, "Me", 68039, Measures{1778, 1000, 800, 950});
  const auto heightOnly = AddWeight(s, kDay, "Me", 0, Measures{1700, 0, 0, 0});
  const auto weightOnly = AddWeight(s, kDay, "Me", 68039, Measures{0, 1000, 0, 0});
  const auto nothing = AddWeight(s, kDay, "Me", 0, Measures{0, 1000, 0, 0});
  EXPECT_EQ(CalendarText(s, all), "Me - 150 pounds, 70 in");
  EXPECT_EQ(CalendarText(s, all, kMetric), "Me - 68 kg, 177.8 cm");
  EXPECT_EQ(CalendarText(s, heightOnly), "Me - 66.9 in");
  EXPECT_EQ(CalendarText(s, weightOnly), "Me - 150 pounds");
  EXPECT_EQ(CalendarText(s, nothing), "Me - ");
}

TEST(HealthListText, OtherHealthKinds) {
  EventStore s;
  const auto cycle = AddCycle(s, kDay, "Cycle", 0);
  const auto predicted = AddCycle(s, kDay, "Cycle", 2);
  const auto pressure = AddPressure(s, kDay, "Home", "Morning", 120, 80);
  const auto cholesterol = AddCholesterol(s, kDay, "Lab", 190);
  const auto glucose = AddGlucose(s, kDay, "Fasting", 95);
  for (HealthTextForm form : {HealthTextForm::kEventList, HealthTextForm::kCalendar}) {
    EXPECT_EQ(HealthListText(s, cycle, kImperial, form), "Cycle");
    EXPECT_EQ(HealthListText(s, predicted, kImperial, form), "Cycle [predicted]");
    EXPECT_EQ(HealthListText(s, pressure, kImperial, form), "Morning - 120/80");
    EXPECT_EQ(HealthListText(s, cholesterol, kImperial, form), "Lab - 190");
    EXPECT_EQ(HealthListText(s, glucose, kImperial, form), "Fasting - 95");
  }
}

TEST(HealthListText, BloodPressureTextWithoutSeparators) {
  EventStore s;
  // Only the location, no zero byte at all: the description is empty.
  auto bytes = test::RecordBytes(kKindBloodPressure, kDay, rec::kPressureFixed)
                   .Word(rec::kSystolic, 130)
                   .Word(rec::kDiastolic, 85)
                   .Text("Clinic")
                   .Finish();
  const auto off = test::AppendTo(s, bytes);
  EXPECT_EQ(ListText(s, off), " - 130/85");
  const auto noDescriptionEnd = AddPressure(s, kDay, "", "Evening", 118, 76);
  EXPECT_EQ(ListText(s, noDescriptionEnd), "Evening - 118/76");
}

TEST(HealthListText, NonHealthKindsGiveNothing) {
  EventStore s;
  const auto generic = AddGeneric(s, kDay, "Dentist");
  const auto deleted = AddGlucose(s, kDay, "Old", 100);
  SetByte(s.store, deleted + rec::kKind, kKindDeleted);
  EXPECT_EQ(ListText(s, generic), "");
  EXPECT_EQ(ListText(s, deleted), "");
}

TEST(HealthListText, DamagedLengthsNeverReadOutsideTheStore) {
  EventStore s;
  const auto shortLength = AddGlucose(s, kDay, "Fasting", 95);
  SetLong(s.store, shortLength + rec::kLength, 20);  // below the fixed part
  EXPECT_EQ(ListText(s, shortLength), " - 95");
  SetLong(s.store, shortLength + rec::kLength, -5);
  EXPECT_EQ(ListText(s, shortLength), " - 95");

  const auto huge = AddCholesterol(s, kDay, "Lab", 190);
  SetLong(s.store, huge + rec::kLength, 0x7FFFFFFF);
  const std::string text = ListText(s, huge);
  // The text runs to the end of the store (the end marker included) and no further.
  EXPECT_EQ(text.size(), s.storeSize - huge - rec::kCholesterolText + std::string(" - 190").size());
  EXPECT_EQ(text.substr(0, 3), "Lab");

  EXPECT_EQ(ListText(s, s.storeSize + 100), "");  // offset past the store: no record
}

}  // namespace
}  // namespace kal
