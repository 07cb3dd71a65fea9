#include "calendar/event_display_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/record_builder.h"

namespace kal {
namespace {

constexpr UnitModes kImperial{0, 0};

// The date, the start time (255: none) and the list text of each kind.
TEST(EventDisplayText, DateStartTimeAndText) {
  EventStore s;
  const auto timed = test::AddGeneric(s, test::Packed(2024, 5, 5), "Dentist\rsecond line", 9, 30, 10, 45);
  const auto untimed = test::AddGeneric(s, test::Packed(2023, 12, 31), "New Year's Eve", 255, 0, 99, 0, 2);
  const auto weight = test::AddWeight(s, test::Packed(2024, 2, 29), "desc", 0, test::Measures{1700, 0, 0, 0});
  const auto pressure = test::AddPressure(s, test::Packed(2024, 3, 1), "Home", "Morning", 120, 80);
  SetByte(s.store, pressure + rec::kReadingHour, 9);  // a reading time is not a start time
  const auto deleted = test::AddGeneric(s, test::Packed(2024, 4, 31), "Gone", 8, 0);
  SetByte(s.store, deleted + rec::kKind, kKindDeleted);  // keeps its date, loses its text
  struct Case {
    std::uint32_t offset;
    int year, month, day, startHour, startMinute;
    std::string text;
  };
  const Case cases[] = {
      {timed, 2024, 5, 5, 9, 30, "9:30 am to 10:45 am - Dentist"},
      {untimed, 2023, 12, 31, 255, 0, "New Year's Eve (2 yrs)"},
      {weight, 2024, 2, 29, 255, 255, "desc - Height: 66.9 in"},
      {pressure, 2024, 3, 1, 255, 255, "Morning - 120/80"},
      {deleted, 2024, 4, 31, 255, 255, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const DisplayText d = EventDisplayText(s, c.offset, 170, kImperial);
    EXPECT_EQ(std::vector<int>({d.year, d.month, d.day, d.startHour, d.startMinute}),
              std::vector<int>({c.year, c.month, c.day, c.startHour, c.startMinute}));
    EXPECT_EQ(d.text, c.text);
  }
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

}  // namespace
}  // namespace kal
