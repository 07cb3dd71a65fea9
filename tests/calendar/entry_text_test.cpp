#include "calendar/entry_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/record_builder.h"

namespace kal {
namespace {

using test::AddGeneric;

constexpr UnitModes kImperial{0, 0};
const std::int32_t kDay = test::Packed(2024, 5, 5);

TEST(EntryText, TimesYearCountsFirstLineAndLengthLimit) {
  EventStore s;
  const std::string a200(200, 'a');
  const std::vector<std::pair<std::uint32_t, std::string>> rows = {
      {AddGeneric(s, kDay, "Dentist", 9, 0, 10, 30), "9:00 am to 10:30 am - Dentist"},
      {AddGeneric(s, kDay, "Dentist", 9, 0, 99, 0), "9:00 am - Dentist"},
      {AddGeneric(s, kDay, "Dentist", 255, 0, 99, 0), "Dentist"},
      {AddGeneric(s, kDay, "Tea", 15, 5, 0, 0), "3:05 pm to 12:00 am - Tea"},
      {AddGeneric(s, kDay, "Birthday", 255, 0, 99, 0, 0), "Birthday"},
      {AddGeneric(s, kDay, "Birthday", 255, 0, 99, 0, 3), "Birthday (3 yrs)"},
      {AddGeneric(s, kDay, "Party", 18, 0, 99, 0, 12), "6:00 pm - Party (12 yrs)"},
      {AddGeneric(s, kDay, "Dentist\r\nBring the insurance card"), "Dentist"},
      {AddGeneric(s, kDay, a200), std::string(170, 'a')},
      // The year count is cut away with the rest.
      {AddGeneric(s, kDay, a200, 9, 0, 99, 0, 3), "9:00 am - " + std::string(160, 'a')},
      {AddGeneric(s, kDay, std::string(175, 'b') + "\rsecond"), std::string(170, 'b')},
  };
  for (const auto& [offset, text] : rows) EXPECT_EQ(EntryText(s, offset, kImperial), text) << offset;
}

TEST(EntryText, HealthRecordsUseTheCalendarForm) {
  EventStore s;
  const auto weight = test::AddWeight(s, kDay, "Me", 68039, test::Measures{1700, 1000, 0, 0});
  const auto pressure = test::AddPressure(s, kDay, "Home", "Morning", 120, 80);
  const auto longCycle = test::AddCycle(s, kDay, std::string(300, 'c'), 1);
  EXPECT_EQ(EntryText(s, weight, kImperial), "Me - 150 pounds, 66.9 in");
  EXPECT_EQ(EntryText(s, pressure, kImperial), "Morning - 120/80");
  EXPECT_EQ(EntryText(s, longCycle, kImperial), std::string(170, 'c'));
}

TEST(EntryText, DeletedDamagedAndMissingRecords) {
  EventStore s;
  const auto deleted = AddGeneric(s, kDay, "Gone");
  SetByte(s.store, deleted + rec::kKind, kKindDeleted);
  EXPECT_EQ(EntryText(s, deleted, kImperial), "");
  const auto damaged = AddGeneric(s, kDay, "Dentist", 9, 0, 99, 0);
  for (const std::int32_t length : {31, -1000}) {  // 31: one byte short of an empty text
    SetLong(s.store, damaged + rec::kLength, length);
    EXPECT_EQ(EntryText(s, damaged, kImperial), "9:00 am - ") << length;
  }
  SetLong(s.store, damaged + rec::kLength, 1000000);
  EXPECT_LE(EntryText(s, damaged, kImperial).size(), kEntryTextMax);
  EXPECT_EQ(EntryText(s, s.storeSize + 8, kImperial), "");
  EXPECT_EQ(EntryText(EventStore{}, 0, kImperial), "");
}

}  // namespace
}  // namespace kal
