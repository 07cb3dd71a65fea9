#include "calendar/repeat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <string>
#include <vector>

#include "calendar/sort_key.h"
#include "store/event_record.h"
#include "support/record_builder.h"
#include "support/recording_host.h"
#include "support/test_support.h"

namespace kal {
namespace {

struct Rec {
  std::uint32_t offset, kind;
  Ymd date;
  std::int32_t recordId, groupId;
  std::uint32_t mode, yearCount;
  std::string text;
};

std::string Iso(const Ymd& d) { return IsoDateText(PackDate(d)); }
bool IsRealDate(const Ymd& d) {
  return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

class RepeatTest : public ::testing::Test {
 protected:
  void SetUp() override { s.eventFile = dir.File("Event20.dat"); }

  // Assembles a generic event in the work record as the editor leaves it.
  void Work(Ymd date, int mode, std::int32_t group = 7, const std::string& text = "Event", bool holiday = false) {
    if (s.workRecord.empty()) BufAlloc(kWorkRecordSize, s.workRecord);
    FillBytes(s.workRecord, 0, kWorkRecordSize, 0);
    const std::vector<std::uint8_t> bytes = Event(date, mode, group, text, holiday);
    PutBytes(s.workRecord, 0, std::string(bytes.begin(), bytes.end()));
  }
  // A generic event with record id 1000 + group and neither start nor end time.
  static std::vector<std::uint8_t> Event(Ymd date, int mode, std::int32_t group, const std::string& text,
                                         bool holiday) {
    return test::RecordBytes(kKindGeneric, PackDate(date), rec::kGenericFixed)
        .Byte(rec::kHoliday, holiday ? 1 : 0)
        .Long(rec::kRecordId, static_cast<std::uint32_t>(1000 + group))
        .Long(rec::kGroupId, static_cast<std::uint32_t>(group))
        .Byte(rec::kRepeatMode, static_cast<std::uint32_t>(mode))
        .Byte(rec::kStartHour, 255)
        .Byte(rec::kEndHour, 99)
        .Text(text)
        .Finish();
  }
  void SetWorkText(const std::string& text) {
    const auto length = static_cast<std::int32_t>(rec::kGenericFixed + text.size());
    SetLong(s.workRecord, rec::kLength, length);
    PutBytes(s.workRecord, rec::kGenericText, text);
    SetWord(s.workRecord, length - 2, kEndMarker);
  }
  // Appends a one-time event as it stands, record id 1000 + group.
  void AddEvent(Ymd date, bool holiday, std::int32_t group, const std::string& text = "Other") {
    test::AppendTo(s, Event(date, RepeatOnce, group, text, holiday));
  }
  std::vector<Rec> Records(bool liveOnly = true) const {
    std::vector<Rec> out;
    for (std::uint32_t p = 0, length; p + rec::kHeaderSize <= s.storeSize; p += length) {
      length = RecordLength(s, p);
      if (length < rec::kGenericFixed) break;
      Rec r{p, RecordKindAt(s, p), UnpackDate(Long(s.store, p + rec::kDate)), Long(s.store, p + rec::kRecordId),
            Long(s.store, p + rec::kGroupId), Byte(s.store, p + rec::kRepeatMode), Byte(s.store, p + rec::kYearCount),
            {}};
      GetBytes(s.store, p + rec::kGenericText, length - rec::kGenericFixed, r.text);
      if (!liveOnly || r.kind != 0) out.push_back(r);
    }
    return out;
  }
  std::vector<Ymd> Dates() const {
    std::vector<Ymd> out;
    for (const Rec& r : Records()) out.push_back(r.date);
    return out;
  }
  // Copies the group's occurrence in the year into the work record, as opening the editor does.
  std::uint32_t OpenOccurrenceIn(std::int32_t year) {
    for (const Rec& r : Records()) {
      if (r.groupId == 7 && r.kind == kKindGeneric && r.date.year == year) {
        MoveBytes(s.store, r.offset, s.workRecord, 0, RecordLength(s, r.offset));
        return r.offset;
      }
    }
    ADD_FAILURE() << "no occurrence in " << year;
    return 0;
  }

  test::TempDir dir;
  EventStore s;
  UnitModes units;
};

TEST(RepeatLabels, FixedAndComposedLabels) {
  struct Row {
    int code, day;  // of May 2024; the 6th is a Monday
    const char* label;
  };
  const std::vector<Row> rows = {
      {0, 6, "One Time Event"},         {4, 6, "Every Four Weeks"},          {6, 6, "Every Month (Closest Weekday)"},
      {10, 6, "Every Three Months"},    {14, 6, "Every Year (Weekday After)"}, {15, 6, "Every Year (Calculate Age)"},
      {16, 6, "1st Monday of May"},     {18, 6, "3rd Monday of May"},        {20, 6, "Last Monday of May"},
      {23, 6, "2nd Monday of every month"}, {25, 6, "4th Monday of every month"},
      {26, 10, "Last Friday of every month"}, {27, 11, "Saturday of the last full week of every month"},
      {28, 6, ""},                      {-1, 6, ""},
  };
  for (const Row& r : rows) EXPECT_EQ(RepeatModeLabel(r.code, 2024, 5, r.day), r.label) << r.code;
  EXPECT_EQ(RepeatModeLabel(21, 2024, 11, 28), "Thursday of the last full week of November");
}

TEST_F(RepeatTest, CopiesShareTheGroupAndTakeFreshIds) {
  AddEvent({2020, 1, 1}, false, 40);  // record id 1040 already in the store
  Work({2024, 5, 6}, 0, 7, "Dentist");
  GenerateGroup(s, GroupSize);  // a one-time event writes one copy
  Work({2024, 12, 20}, 2, 8, "Payday");
  GenerateGroup(s, GroupSize);
  const auto recs = Records();
  ASSERT_EQ(recs.size(), 152u);
  EXPECT_EQ(recs[1].date, (Ymd{2024, 5, 6}));
  EXPECT_EQ(recs[1].text, "Dentist");
  EXPECT_EQ(recs[1].groupId, 7);
  EXPECT_EQ(Word(s.store, recs[1].offset + RecordLength(s, recs[1].offset) - 2), kEndMarker);
  EXPECT_EQ(recs[3].date, (Ymd{2025, 1, 3}));
  for (std::size_t i = 1; i < recs.size(); ++i) {
    EXPECT_EQ(recs[i].recordId, 1040 + static_cast<std::int32_t>(i));
    if (i < 3) continue;
    EXPECT_EQ(DaysBetween(PackDate(recs[i - 1].date), PackDate(recs[i].date)), 14);
    EXPECT_EQ((std::vector<std::int64_t>{recs[i].groupId, recs[i].mode}), (std::vector<std::int64_t>{8, 2}));
    EXPECT_EQ(recs[i].text, "Payday");
  }
  EXPECT_EQ(NextRecordId(s), 1192);
  // The work record itself is left as it was.
  EXPECT_EQ(Long(s.workRecord, rec::kDate), PackDate(2024, 12, 20));
  EXPECT_EQ(Long(s.workRecord, rec::kRecordId), 1008);
}

TEST_F(RepeatTest, AGroupAtTheTopOfTheIdRangeTakesFreeIdsWithoutOverflow) {
  // Record ids near the largest 32-bit number: counting up from one past the
  // largest would overflow, so the copies take a free run from the bottom.
  for (const std::int32_t id : {2147483647 - 20, 5}) {
    test::AppendTo(s, test::RecordBytes(kKindGeneric, PackDate(2020, 1, 1), rec::kGenericFixed)
                          .Long(rec::kRecordId, static_cast<std::uint32_t>(id))
                          .Long(rec::kGroupId, static_cast<std::uint32_t>(id))
                          .Finish());
  }
  Work({2024, 1, 1}, 1, 6);
  GenerateGroup(s, GroupSize);
  const auto recs = Records();
  ASSERT_EQ(recs.size(), 2u + GroupSize);
  std::vector<std::int32_t> ids;
  for (const Rec& r : recs) ids.push_back(r.recordId);
  EXPECT_EQ(std::vector<std::int32_t>(ids.begin() + 2, ids.begin() + 4), (std::vector<std::int32_t>{6, 7}));
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "an id is used twice";
  EXPECT_GE(ids.front(), 0);
}

TEST_F(RepeatTest, MonthDayClampAndWeekdayAdjustments) {
  struct Row {
    Ymd start;
    int mode, count;
    std::vector<Ymd> first;
    Ymd last;
  };
  const std::vector<Row> rows = {
      // The 31st falls back to the month's last day, 29 February included.
      {{2024, 1, 31}, 5, GroupSize,
       {{2024, 1, 31}, {2024, 2, 29}, {2024, 3, 31}, {2024, 4, 30}, {2024, 5, 31}, {2024, 6, 30}, {2024, 7, 31},
        {2024, 8, 31}, {2024, 9, 30}, {2024, 10, 31}, {2024, 11, 30}, {2024, 12, 31}, {2025, 1, 31}, {2025, 2, 28}},
       {2036, 6, 30}},
      {{2024, 11, 30}, 9, 3, {{2024, 11, 30}, {2025, 1, 30}}, {2025, 3, 30}},
      {{2024, 8, 31}, 10, 3, {{2024, 8, 31}, {2024, 11, 30}}, {2025, 2, 28}},
      // Weekday after a Saturday; each month starts again from the base day.
      {{2024, 6, 15}, 8, 3, {{2024, 6, 17}, {2024, 7, 15}}, {2024, 8, 15}},
      {{2024, 6, 16}, 7, 2, {{2024, 6, 14}}, {2024, 7, 16}},  // weekday before a Sunday
      // Adjusted from the clamped day: 31 August and 30 November 2024 are Saturdays.
      {{2024, 8, 31}, 7, 4, {{2024, 8, 30}, {2024, 9, 30}, {2024, 10, 31}}, {2024, 11, 29}},
      // Closest weekday of 4 July: Thursday in 2019, Saturday in 2020, Sunday in 2021.
      {{2019, 7, 4}, 12, 3, {{2019, 7, 4}, {2020, 7, 3}}, {2021, 7, 5}},
      // Thursday of the last full week of November (30 Nov 2024 is a Saturday).
      {{2024, 11, 7}, 21, 3, {{2024, 11, 28}, {2025, 11, 27}}, {2026, 11, 26}},
      // Saturday of the last full week is the last Saturday; a Sunday is a week before it.
      {{2024, 6, 1}, 27, 3, {{2024, 6, 29}, {2024, 7, 27}}, {2024, 8, 31}},
      {{2024, 6, 2}, 27, 2, {{2024, 6, 23}}, {2024, 7, 21}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Iso(row.start) + " mode " + std::to_string(row.mode));
    s = EventStore{};
    Work(row.start, row.mode);
    GenerateGroup(s, row.count);
    const auto dates = Dates();
    ASSERT_EQ(dates.size(), static_cast<std::size_t>(row.count));
    EXPECT_EQ(std::vector<Ymd>(dates.begin(), dates.begin() + static_cast<std::ptrdiff_t>(row.first.size())),
              row.first);
    EXPECT_EQ(dates.back(), row.last);
    for (const Ymd& d : dates) EXPECT_TRUE(IsRealDate(d)) << Iso(d);
  }
}

TEST_F(RepeatTest, CalculateAgeCountsYearsUpTo255) {
  Work({1896, 2, 29}, RepeatCalculateAge);
  GenerateGroup(s, 300);
  const auto recs = Records();
  ASSERT_EQ(recs.size(), 300u);
  for (std::size_t i = 0; i < recs.size(); ++i) {
    const Ymd& d = recs[i].date;
    EXPECT_EQ(recs[i].yearCount, std::min<std::size_t>(i, 255)) << i;
    EXPECT_EQ(d, (Ymd{1896 + static_cast<std::int32_t>(i), 2, IsLeapYear(d.year) ? 29 : 28})) << i;
  }
  EXPECT_EQ(recs[4].date, (Ymd{1900, 2, 28}));
}

TEST_F(RepeatTest, GroupsStopAtTheEndOf9999) {
  // mode, start, occurrences left, the last of them
  const std::tuple<int, Ymd, std::size_t, Ymd> cases[] = {
      {1, {9999, 12, 1}, 5, {9999, 12, 29}},        // weekly
      {5, {9999, 6, 30}, 7, {9999, 12, 30}},        // monthly
      {RepeatCalculateAge, {9990, 3, 4}, 10, {9999, 3, 4}},
      {22, {9999, 1, 1}, 12, {9999, 12, 3}},        // the first Friday of every month
      {11, {9850, 1, 1}, 150, {9999, 1, 1}},        // exactly fits
  };
  for (const auto& [mode, start, count, last] : cases) {
    SCOPED_TRACE(std::to_string(mode) + " from " + Iso(start));
    s = EventStore{};
    s.eventFile = dir.File("Event20.dat");
    Work(start, mode);
    GenerateGroup(s, GroupSize);
    const auto dates = Dates();
    ASSERT_EQ(dates.size(), count);
    EXPECT_EQ(Iso(dates.back()), Iso(last));
  }
}

TEST_F(RepeatTest, NthAndLastWeekdayOfTheMonth) {
  struct Row {
    Ymd start;
    int mode, weekday, n;  // n 5: the last
    Ymd first;
  };
  const std::vector<Row> rows = {
      // 1st Tuesday of May (1 May 2024 is a Wednesday): may come before the event's own date.
      {{2024, 5, 21}, 16, 2, 1, {2024, 5, 7}},
      {{2024, 1, 1}, 25, 1, 4, {2024, 1, 22}},
      {{2024, 5, 3}, 26, 5, 5, {2024, 5, 31}},  // a five-Friday month first
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    s = EventStore{};
    Work(row.start, row.mode);
    GenerateGroup(s, GroupSize);
    const auto dates = Dates();
    ASSERT_EQ(dates.size(), 150u);
    EXPECT_EQ(dates[0], row.first);
    for (std::size_t i = 0; i < dates.size(); ++i) {
      const Ymd& d = dates[i];
      ASSERT_TRUE(IsRealDate(d)) << Iso(d);
      EXPECT_EQ(WeekdayOf(d.year, d.month, d.day), row.weekday) << Iso(d);
      // The n-th of the month, or for the last one none a week later.
      EXPECT_EQ(row.n <= 4 ? (d.day - 1) / 7 + 1 : 5 + (d.day + 7 <= DaysInMonth(d.year, d.month)), row.n) << Iso(d);
      // Yearly modes stay in the month, monthly ones step one month at a time.
      const int months = (d.year - row.start.year) * 12 + d.month - row.start.month;
      EXPECT_EQ(months, static_cast<int>(i) * (row.mode < 22 ? 12 : 1)) << Iso(d);
    }
  }
}

TEST_F(RepeatTest, LegalHolidaysAreSkippedUnlessDeletedOrUnindexed) {
  AddEvent({2024, 5, 27}, true, 50, "Memorial");  // Monday
  AddEvent({2024, 7, 12}, true, 51, "Feast");     // Friday
  AddEvent({2024, 7, 11}, false, 52, "Party");    // not a holiday
  ASSERT_TRUE(SaveEvents(s, RecordSortKeys(units), SilentHost()));
  ASSERT_TRUE(s.indexSorted);
  EXPECT_FALSE(IsWorkingDay(s, 2024, 5, 27));
  EXPECT_TRUE(IsWorkingDay(s, 2024, 5, 28));
  Ymd d{2024, 5, 25};  // Saturday
  WeekdayAfter(s, d);
  EXPECT_EQ(d, (Ymd{2024, 5, 28}));
  d = {2024, 7, 14};  // Sunday before the Friday holiday
  WeekdayBefore(s, d);
  EXPECT_EQ(d, (Ymd{2024, 7, 11}));
  const std::uint32_t before = s.storeSize;
  Work({2024, 7, 12}, 6, 60);  // closest weekday of a weekday holiday goes back
  GenerateGroup(s, 1);
  EXPECT_EQ(UnpackDate(Long(s.store, before + rec::kDate)), (Ymd{2024, 7, 11}));

  for (const bool sorted : {true, false}) {  // the same answers by scan
    s.indexSorted = sorted;
    EXPECT_TRUE(IsLegalHoliday(s, PackDate(2024, 5, 27)));
    EXPECT_TRUE(IsLegalHoliday(s, PackDate(2024, 7, 12)));
    EXPECT_FALSE(IsLegalHoliday(s, PackDate(2024, 7, 11)));
  }
  // Deleting marks only that group; a holiday appended after the save is not in the index yet.
  s.indexSorted = true;
  DeleteGroup(s, 50);
  EXPECT_FALSE(IsLegalHoliday(s, PackDate(2024, 5, 27)));
  for (const Rec& r : Records(false)) EXPECT_EQ(r.kind == kKindDeleted, r.groupId == 50) << r.groupId;
  AddEvent({2024, 6, 3}, true, 53, "New");
  EXPECT_FALSE(IsLegalHoliday(s, PackDate(2024, 6, 3)));
}

TEST_F(RepeatTest, UnknownModeOrDamagedWorkRecordWritesNothing) {
  Work({2024, 5, 6}, 28);
  GenerateGroup(s, GroupSize);
  Work({2024, 5, 6}, 1);
  for (const std::int32_t length : {10, static_cast<std::int32_t>(kWorkRecordSize + 1)}) {
    SetLong(s.workRecord, rec::kLength, length);
    GenerateGroup(s, GroupSize);
  }
  EXPECT_EQ(s.storeSize, 0u);
}

// A birthday group, then "Save" on one occurrence, "Save All", and a changed mode.
TEST_F(RepeatTest, GroupOperationsKeepDatesYearCountsAndOtherRecords) {
  AddEvent({2024, 1, 1}, false, 99, "Unrelated");
  // A weight record that shares the group number must survive untouched.
  SetLong(s.store, test::AddWeight(s, PackDate(2024, 5, 8), "", 80000) + rec::kGroupId, 7);
  Work({1990, 3, 31}, 15, 7, "Birthday");
  ASSERT_TRUE(NewEventGroup(s, units, SilentHost()));
  EXPECT_EQ(s.indexCount, 152u);
  std::vector<Ymd> dates;
  for (const Rec& r : Records())
    if (r.groupId == 7 && r.kind == kKindGeneric) dates.push_back(r.date);
  ASSERT_EQ(dates.size(), 150u);
  // Checks the group: texts, mode, dates, year counts and the other records.
  auto expectGroup = [&](const std::string& text, std::uint32_t mode, int changed) {
    std::vector<Ymd> now;
    int withText = 0;
    for (const Rec& r : Records()) {
      if (r.kind == kKindWeight) {
        EXPECT_EQ(r.date, (Ymd{2024, 5, 8}));
        EXPECT_EQ(Long(s.store, r.offset + rec::kWeight), 80000);
      } else if (r.groupId != 7) {
        EXPECT_EQ(r.text, "Unrelated");
      } else {
        now.push_back(r.date);
        withText += r.text == text;
        EXPECT_EQ(r.mode, mode);
        EXPECT_EQ(r.yearCount, mode == 15 ? static_cast<std::uint32_t>(r.date.year - 1990) : 0u);
      }
    }
    EXPECT_EQ(withText, changed);
    return now;
  };

  // "Save" ignores a changed date and repeat choice and touches one record.
  const std::uint32_t edited = OpenOccurrenceIn(2024);
  const std::int32_t editedId = Long(s.store, edited + rec::kRecordId);
  SetWorkText("Birthday!");
  SetByte(s.workRecord, rec::kRepeatMode, 5);
  SetLong(s.workRecord, rec::kDate, PackDate(2030, 1, 1));
  ASSERT_TRUE(SaveOneOccurrence(s, edited, 15, units, SilentHost()));
  EXPECT_EQ(expectGroup("Birthday!", 15, 1), dates);
  EXPECT_EQ(Long(s.store, OpenOccurrenceIn(2024) + rec::kRecordId), editedId);
  EXPECT_EQ(Records().size(), 152u);

  // "Save All" gives every occurrence the text and time, keeping its date and count.
  const std::int32_t id2025 = Long(s.store, OpenOccurrenceIn(2025) + rec::kRecordId);
  SetWorkText("Birthday of Ann");
  SetByte(s.workRecord, rec::kStartHour, 9);
  ASSERT_TRUE(SaveAllOccurrences(s, units, SilentHost()));
  EXPECT_EQ(expectGroup("Birthday of Ann", 15, 150), dates);
  for (const Rec& r : Records()) {
    if (r.kind != kKindGeneric || r.groupId != 7) continue;
    EXPECT_EQ(Byte(s.store, r.offset + rec::kStartHour), 9u);
    EXPECT_EQ(r.recordId, id2025);
  }

  // A changed mode asks first: Cancel keeps the file, OK regenerates from the opened date.
  const auto before = test::ReadAll(s.eventFile);
  OpenOccurrenceIn(2024);
  SetByte(s.workRecord, rec::kRepeatMode, 5);
  test::RecordingHost cancel(2);
  ASSERT_TRUE(ReplaceGroup(s, units, cancel));
  EXPECT_EQ(cancel.asked, std::vector<std::string>{
                              "The repeat mode has changed for this event.||Are you sure you want to replace all "
                              "occurances of this event|with a new event group starting Sunday, March 31, "
                              "2024?#OK|Cancel"});
  EXPECT_EQ(test::ReadAll(s.eventFile), before);
  test::RecordingHost ok(1);
  ASSERT_TRUE(ReplaceGroup(s, units, ok));
  const auto monthly = expectGroup("Birthday of Ann", 5, 150);
  ASSERT_EQ(monthly.size(), 150u);
  EXPECT_EQ(monthly[0], (Ymd{2024, 3, 31}));
  EXPECT_EQ(monthly[1], (Ymd{2024, 4, 30}));
  EXPECT_EQ(monthly[149], (Ymd{2036, 8, 31}));
}

}  // namespace
}  // namespace kal
