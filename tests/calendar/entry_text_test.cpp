#include "calendar/entry_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/record_builder.h"

namespace kal {
namespace {

using test::AddGeneric;

constexpr UnitModes kImperial{0, 0};
const std::int32_t kDay = test::Packed(2024, 5, 5);

TEST(EntryText, GenericEventTimeSpan) {
  EventStore s;
  const auto span = AddGeneric(s, kDay, "Dentist", 9, 0, 10, 30);
  const auto startOnly = AddGeneric(s, kDay, "Dentist", 9, 0, 99, 0);
  const auto allDay = AddGeneric(s, kDay, "Dentist", 255, 0, 99, 0);
  const auto afternoon = AddGeneric(s, kDay, "Tea", 15, 5, 0, 0);
  EXPECT_EQ(EntryText(s, span, kImperial), "9:00 am to 10:30 am - Dentist");
  EXPECT_EQ(EntryText(s, startOnly, kImperial), "9:00 am - Dentist");
  EXPECT_EQ(EntryText(s, allDay, kImperial), "Dentist");
  EXPECT_EQ(EntryText(s, afternoon, kImperial), "3:05 pm to 12:00 am - Tea");
}

TEST(EntryText, YearCount) {
  EventStore s;
  const auto first = AddGeneric(s, kDay, "Birthday", 255, 0, 99, 0, 0);
  const auto fourth = AddGeneric(s, kDay, "Birthday", 255, 0, 99, 0, 3);
  const auto timed = AddGeneric(s, kDay, "Party", 18, 0, 99, 0, 12);
  EXPECT_EQ(EntryText(s, first, kImperial), "Birthday");
  EXPECT_EQ(EntryText(s, fourth, kImperial), "Birthday (3 yrs)");
  EXPECT_EQ(EntryText(s, timed, kImperial), "6:00 pm - Party (12 yrs)");
}

TEST(EntryText, OnlyTheFirstLineAndAtMost170Characters) {
  EventStore s;
  const auto lines = AddGeneric(s, kDay, "Dentist\r\nBring the insurance card");
  const std::string longText(200, 'a');
  const auto untimed = AddGeneric(s, kDay, longText);
  const auto timed = AddGeneric(s, kDay, longText, 9, 0, 99, 0, 3);
  const auto lateBreak = AddGeneric(s, kDay, std::string(175, 'b') + "\rsecond");
  EXPECT_EQ(EntryText(s, lines, kImperial), "Dentist");
  EXPECT_EQ(EntryText(s, untimed, kImperial), std::string(170, 'a'));
  const std::string t = EntryText(s, timed, kImperial);
  EXPECT_EQ(t.size(), 170u);
  EXPECT_EQ(t.substr(0, 12), "9:00 am - aa");
  EXPECT_EQ(t.find("yrs"), std::string::npos);  // cut away with the rest
  EXPECT_EQ(EntryText(s, lateBreak, kImperial), std::string(170, 'b'));
}

TEST(EntryText, HealthRecordsUseTheCalendarForm) {
  EventStore s;
  const auto weight = test::AddWeight(s, kDay, "Me", 68039, test::Measures{1700, 1000, 0, 0});
  const auto pressure = test::AddPressure(s, kDay, "Home", "Morning", 120, 80);
  EXPECT_EQ(EntryText(s, weight, kImperial), "Me - 150 pounds, 66.9 in");
  EXPECT_EQ(EntryText(s, pressure, kImperial), "Morning - 120/80");
  const auto longCycle = test::AddCycle(s, kDay, std::string(300, 'c'), 1);
  EXPECT_EQ(EntryText(s, longCycle, kImperial), std::string(170, 'c'));
}

TEST(EntryText, DeletedDamagedAndMissingRecords) {
  EventStore s;
  const auto deleted = AddGeneric(s, kDay, "Gone");
  SetByte(s.store, deleted + rec::kKind, kKindDeleted);
  EXPECT_EQ(EntryText(s, deleted, kImperial), "");

  const auto damaged = AddGeneric(s, kDay, "Dentist", 9, 0, 99, 0);
  SetLong(s.store, damaged + rec::kLength, 31);  // one byte short of an empty text
  EXPECT_EQ(EntryText(s, damaged, kImperial), "9:00 am - ");
  SetLong(s.store, damaged + rec::kLength, -1000);
  EXPECT_EQ(EntryText(s, damaged, kImperial), "9:00 am - ");
  SetLong(s.store, damaged + rec::kLength, 1000000);
  EXPECT_LE(EntryText(s, damaged, kImperial).size(), kEntryTextMax);

  EXPECT_EQ(EntryText(s, s.storeSize + 8, kImperial), "");
  EventStore empty;
  EXPECT_EQ(EntryText(empty, 0, kImperial), "");
}

}  // namespace
}  // namespace kal
