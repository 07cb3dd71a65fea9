#include "screens/event_display_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/record_builder.h"

namespace kal {
namespace {

constexpr UnitModes kImperial{0, 0};

TEST(EventDisplayText, GenericEventCarriesDateAndStartTime) {
  EventStore s;
  const auto off = test::AddGeneric(s, test::Packed(2024, 5, 5), "Dentist\rsecond line", 9, 30, 10, 45);
  const DisplayText d = EventDisplayText(s, off, 170, kImperial);
  EXPECT_EQ(d.year, 2024);
  EXPECT_EQ(d.month, 5);
  EXPECT_EQ(d.day, 5);
  EXPECT_EQ(d.startHour, 9);
  EXPECT_EQ(d.startMinute, 30);
  EXPECT_EQ(d.text, "9:30 am to 10:45 am - Dentist");

  const auto untimed = test::AddGeneric(s, test::Packed(2023, 12, 31), "New Year's Eve", 255, 0, 99, 0, 2);
  const DisplayText u = EventDisplayText(s, untimed, 170, kImperial);
  EXPECT_EQ(u.startHour, 255);
  EXPECT_EQ(u.startMinute, 0);
  EXPECT_EQ(u.text, "New Year's Eve (2 yrs)");
}

TEST(EventDisplayText, MaximumDescriptionLength) {
  EventStore s;
  const std::string longText(300, 'x');
  const auto off = test::AddGeneric(s, test::Packed(2024, 5, 5), longText, 255, 0, 99, 0, 4);
  EXPECT_EQ(EventDisplayText(s, off, 170, kImperial).text, std::string(170, 'x') + " (4 yrs)");
  EXPECT_EQ(EventDisplayText(s, off, 65000, kImperial).text, longText + " (4 yrs)");
  EXPECT_EQ(EventDisplayText(s, off, 5, kImperial).text, "xxxxx (4 yrs)");
  EXPECT_EQ(EventDisplayText(s, off, -3, kImperial).text, " (4 yrs)");
}

TEST(EventDisplayText, HealthRecordsUseTheListFormAndNoTime) {
  EventStore s;
  const auto weight = test::AddWeight(s, test::Packed(2024, 2, 29), "desc", 0, test::Measures{1700, 0, 0, 0});
  const auto pressure = test::AddPressure(s, test::Packed(2024, 3, 1), "Home", "Morning", 120, 80);
  SetByte(s.store, pressure + rec::kReadingHour, 9);  // a reading time is not a start time
  const DisplayText w = EventDisplayText(s, weight, 170, kImperial);
  EXPECT_EQ(w.text, "desc - Height: 66.9 in");
  EXPECT_EQ(w.month, 2);
  EXPECT_EQ(w.day, 29);
  EXPECT_EQ(w.startHour, 255);
  EXPECT_EQ(w.startMinute, 255);
  const DisplayText p = EventDisplayText(s, pressure, 170, kImperial);
  EXPECT_EQ(p.text, "Morning - 120/80");
  EXPECT_EQ(p.startHour, 255);
}

TEST(EventDisplayText, DeletedRecordKeepsItsDateButHasNoText) {
  EventStore s;
  const auto off = test::AddGeneric(s, test::Packed(2024, 4, 31), "Gone", 8, 0);
  SetByte(s.store, off + rec::kKind, kKindDeleted);
  const DisplayText d = EventDisplayText(s, off, 170, kImperial);
  EXPECT_EQ(d.text, "");
  EXPECT_EQ(d.day, 31);
  EXPECT_EQ(d.startHour, 255);
}

}  // namespace
}  // namespace kal
