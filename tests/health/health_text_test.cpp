#include "health/health_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/record_builder.h"

namespace kal {
namespace {

using test::AddWeight;
using test::Measures;

constexpr UnitModes kImperial{0, 0};
constexpr UnitModes kMetric{1, 1};
const std::int32_t kDay = test::Packed(2024, 5, 5);
constexpr HealthTextForm kList = HealthTextForm::kEventList;
constexpr HealthTextForm kCalendar = HealthTextForm::kCalendar;

TEST(HealthListText, WeightShowsLabelledMeasurementsInTheListAndHeightOnlyOnTheCalendar) {
  EventStore s;
  const auto all = AddWeight(s, kDay, "Me", 68039, Measures{1778, 1000, 800, 950});
  const auto heightOnly = AddWeight(s, kDay, "Me", 0, Measures{1700, 0, 0, 0});
  const auto chestOnly = AddWeight(s, kDay, "Me", 0, Measures{0, 1000, 0, 0});
  const auto weightAndChest = AddWeight(s, kDay, "Me", 68300, Measures{0, 1000, 0, 0});
  const auto nothing = AddWeight(s, kDay, "Me", 0);
  struct Row {
    std::uint32_t offset;
    UnitModes units;
    HealthTextForm form;
    const char* text;
  };
  const std::vector<Row> rows = {
      {all, kImperial, kList, "Me - 150 pounds, Height: 70 in, Chest: 39.4 in, Waist: 31.5 in, Hips: 37.4 in"},
      {all, kMetric, kList, "Me - 68 kg, Height: 177.8 cm, Chest: 100 cm, Waist: 80 cm, Hips: 95 cm"},
      // Without a weight the separator after it goes too.
      {heightOnly, kImperial, kList, "Me - Height: 66.9 in"},
      {heightOnly, kMetric, kList, "Me - Height: 170 cm"},
      {chestOnly, kImperial, kList, "Me - Chest: 39.4 in"},
      {weightAndChest, kImperial, kList, "Me - 150.6 pounds, Chest: 39.4 in"},
      {nothing, kImperial, kList, "Me - "},
      {all, kImperial, kCalendar, "Me - 150 pounds, 70 in"},
      {all, kMetric, kCalendar, "Me - 68 kg, 177.8 cm"},
      {heightOnly, kImperial, kCalendar, "Me - 66.9 in"},
      {weightAndChest, kImperial, kCalendar, "Me - 150.6 pounds"},
      {chestOnly, kImperial, kCalendar, "Me - "},
  };
  for (const Row& r : rows) EXPECT_EQ(HealthListText(s, r.offset, r.units, r.form), r.text) << r.text;
}

TEST(HealthListText, OtherKindsAndBloodPressureSeparators) {
  EventStore s;
  const auto cycle = test::AddCycle(s, kDay, "Cycle", 0);
  const auto predicted = test::AddCycle(s, kDay, "Cycle", 2);
  const auto pressure = test::AddPressure(s, kDay, "Home", "Morning", 120, 80);
  const auto noLocation = test::AddPressure(s, kDay, "", "Evening", 118, 76);
  // Only the location, no zero byte at all: the description is empty.
  const auto noZero = test::AppendTo(s, test::RecordBytes(kKindBloodPressure, kDay, rec::kPressureFixed)
                                            .Word(rec::kSystolic, 130)
                                            .Word(rec::kDiastolic, 85)
                                            .Text("Clinic")
                                            .Finish());
  const auto cholesterol = test::AddCholesterol(s, kDay, "Lab", 190);
  const auto glucose = test::AddGlucose(s, kDay, "Fasting", 95);
  const auto generic = test::AddGeneric(s, kDay, "Dentist");
  const auto deleted = test::AddGlucose(s, kDay, "Old", 100);
  SetByte(s.store, deleted + rec::kKind, kKindDeleted);
  const std::vector<std::pair<std::uint32_t, const char*>> rows = {
      {cycle, "Cycle"},         {predicted, "Cycle [predicted]"}, {pressure, "Morning - 120/80"},
      {noLocation, "Evening - 118/76"}, {noZero, " - 130/85"},   {cholesterol, "Lab - 190"},
      {glucose, "Fasting - 95"}, {generic, ""},                   {deleted, ""},
  };
  for (HealthTextForm form : {kList, kCalendar})
    for (const auto& [offset, text] : rows) EXPECT_EQ(HealthListText(s, offset, kImperial, form), text) << text;
}

TEST(HealthListText, DamagedLengthsNeverReadOutsideTheStore) {
  EventStore s;
  const auto shortLength = test::AddGlucose(s, kDay, "Fasting", 95);
  for (const std::int32_t length : {20, -5}) {  // below the fixed part
    SetLong(s.store, shortLength + rec::kLength, length);
    EXPECT_EQ(HealthListText(s, shortLength, kImperial, kList), " - 95") << length;
  }
  const auto huge = test::AddCholesterol(s, kDay, "Lab", 190);
  SetLong(s.store, huge + rec::kLength, 0x7FFFFFFF);
  const std::string text = HealthListText(s, huge, kImperial, kList);
  // The text runs to the end of the store (the end marker included) and no further.
  EXPECT_EQ(text.size(), s.storeSize - huge - rec::kCholesterolText + std::string(" - 190").size());
  EXPECT_EQ(text.substr(0, 3), "Lab");
  EXPECT_EQ(HealthListText(s, s.storeSize + 100, kImperial, kList), "");  // past the store: no record
}

}  // namespace
}  // namespace kal
