#include "calendar/repeat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/event_record.h"
#include "support/record_builder.h"
#include "support/test_support.h"

namespace kal {
namespace {

// A Host whose questions get scripted answers and are remembered.
class ScriptedHost : public Host {
 public:
  explicit ScriptedHost(int answer) : answer_(answer) {}
  int Ask(const std::string& message, const std::string& buttons) override {
    messages.push_back(message);
    lastButtons = buttons;
    return answer_;
  }
  std::vector<std::string> messages;
  std::string lastButtons;

 private:
  int answer_;
};

struct Rec {
  std::uint32_t offset;
  std::uint32_t kind;
  Ymd date;
  std::int32_t recordId;
  std::int32_t groupId;
  std::uint32_t mode;
  std::uint32_t yearCount;
  bool holiday;
  std::string text;
};

class RepeatTest : public ::testing::Test {
 protected:
  void SetUp() override { s.eventFile = dir.File("Event20.dat"); }

  // Assembles a generic event in the work record as the editor leaves it.
  void Work(Ymd date, int mode, std::int32_t group = 7, std::int32_t id = 3, const std::string& text = "Event",
            bool holiday = false) {
    if (s.workRecord.empty()) BufAlloc(kWorkRecordSize, s.workRecord);
    FillBytes(s.workRecord, 0, kWorkRecordSize, 0);
    const std::int32_t length = static_cast<std::int32_t>(rec::kGenericFixed + text.size());
    SetLong(s.workRecord, rec::kLength, length);
    SetByte(s.workRecord, rec::kKind, kKindGeneric);
    SetByte(s.workRecord, rec::kHoliday, holiday ? 1 : 0);
    SetLong(s.workRecord, rec::kDate, PackDate(date));
    SetLong(s.workRecord, rec::kRecordId, id);
    SetLong(s.workRecord, rec::kGroupId, group);
    SetByte(s.workRecord, rec::kRepeatMode, mode);
    SetByte(s.workRecord, rec::kStartHour, 255);
    SetByte(s.workRecord, rec::kEndHour, 99);
    PutBytes(s.workRecord, rec::kGenericText, text);
    SetWord(s.workRecord, length - 2, kEndMarker);
  }

  void SetWorkText(const std::string& text) {
    const std::int32_t length = static_cast<std::int32_t>(rec::kGenericFixed + text.size());
    SetLong(s.workRecord, rec::kLength, length);
    PutBytes(s.workRecord, rec::kGenericText, text);
    SetWord(s.workRecord, length - 2, kEndMarker);
  }

  std::uint32_t RecordLengthOfWork() const { return static_cast<std::uint32_t>(Long(s.workRecord, rec::kLength)); }

  // Copies a stored record into the work record, as opening the editor does.
  void OpenInEditor(std::uint32_t offset) {
    MoveBytes(s.store, offset, s.workRecord, 0, RecordLength(s, offset));
  }

  // Appends a one-time event as it stands, record id 1000 + group.
  void AddEvent(Ymd date, bool holiday, std::int32_t group, const std::string& text = "Other") {
    Work(date, 0, group, 1000 + group, text, holiday);
    AppendRecordBytes(s, s.workRecord.data(), RecordLengthOfWork());
  }

  std::vector<Rec> Records(bool liveOnly = true) const {
    std::vector<Rec> out;
    std::uint32_t p = 0;
    while (p + rec::kHeaderSize <= s.storeSize) {
      const std::uint32_t length = RecordLength(s, p);
      if (length < rec::kGenericFixed) break;
      Rec r{p,
            RecordKindAt(s, p),
            UnpackDate(Long(s.store, p + rec::kDate)),
            Long(s.store, p + rec::kRecordId),
            Long(s.store, p + rec::kGroupId),
            Byte(s.store, p + rec::kRepeatMode),
            Byte(s.store, p + rec::kYearCount),
            Byte(s.store, p + rec::kHoliday) == 1,
            {}};
      GetBytes(s.store, p + rec::kGenericText, length - rec::kGenericFixed, r.text);
      if (!liveOnly || r.kind != 0) out.push_back(r);
      p += length;
    }
    return out;
  }

  std::vector<Ymd> Dates() const {
    std::vector<Ymd> out;
    for (const Rec& r : Records()) out.push_back(r.date);
    return out;
  }

  bool Save() { return SaveEvents(s, units, SilentHost()); }

  test::TempDir dir;
  EventStore s;
  UnitModes units;
};

bool IsRealDate(const Ymd& d) {
  return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

TEST(RepeatLabels, FixedAndComposedLabels) {
  // 6 May 2024 is a Monday.
  EXPECT_EQ(RepeatModeLabel(0, 2024, 5, 6), "One Time Event");
  EXPECT_EQ(RepeatModeLabel(4, 2024, 5, 6), "Every Four Weeks");
  EXPECT_EQ(RepeatModeLabel(6, 2024, 5, 6), "Every Month (Closest Weekday)");
  EXPECT_EQ(RepeatModeLabel(10, 2024, 5, 6), "Every Three Months");
  EXPECT_EQ(RepeatModeLabel(14, 2024, 5, 6), "Every Year (Weekday After)");
  EXPECT_EQ(RepeatModeLabel(15, 2024, 5, 6), "Every Year (Calculate Age)");
  EXPECT_EQ(RepeatModeLabel(16, 2024, 5, 6), "1st Monday of May");
  EXPECT_EQ(RepeatModeLabel(18, 2024, 5, 6), "3rd Monday of May");
  EXPECT_EQ(RepeatModeLabel(20, 2024, 5, 6), "Last Monday of May");
  EXPECT_EQ(RepeatModeLabel(21, 2024, 11, 28), "Thursday of the last full week of November");
  EXPECT_EQ(RepeatModeLabel(23, 2024, 5, 6), "2nd Monday of every month");
  EXPECT_EQ(RepeatModeLabel(25, 2024, 5, 6), "4th Monday of every month");
  EXPECT_EQ(RepeatModeLabel(26, 2024, 5, 10), "Last Friday of every month");
  EXPECT_EQ(RepeatModeLabel(27, 2024, 5, 11), "Saturday of the last full week of every month");
  EXPECT_EQ(RepeatModeLabel(28, 2024, 5, 6), "");
  EXPECT_EQ(RepeatModeLabel(-1, 2024, 5, 6), "");
}

TEST_F(RepeatTest, OneTimeEventWritesOneCopyWithFreshId) {
  AddEvent({2020, 1, 1}, false, 40);  // record id 1040 already in the store
  Work({2024, 5, 6}, 0, 7, 3, "Dentist");
  GenerateGroup(s, GroupSize);
  const auto recs = Records();
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[1].date, (Ymd{2024, 5, 6}));
  EXPECT_EQ(recs[1].recordId, 1041);
  EXPECT_EQ(recs[1].groupId, 7);
  EXPECT_EQ(recs[1].text, "Dentist");
  EXPECT_EQ(Word(s.store, recs[1].offset + RecordLength(s, recs[1].offset) - 2), kEndMarker);
}

TEST_F(RepeatTest, WeeklyCopiesShareTheGroupAndCountIdsUp) {
  AddEvent({2020, 1, 1}, false, 40);
  Work({2024, 12, 20}, 2, 7, 3, "Payday");
  GenerateGroup(s, GroupSize);
  const auto recs = Records();
  ASSERT_EQ(recs.size(), 151u);
  for (std::size_t i = 1; i < recs.size(); ++i) {
    EXPECT_EQ(recs[i].recordId, 1040 + static_cast<std::int32_t>(i));
    EXPECT_EQ(recs[i].groupId, 7);
    EXPECT_EQ(recs[i].text, "Payday");
    EXPECT_EQ(recs[i].mode, 2u);
    if (i > 1) {
      EXPECT_EQ(DaysBetween(PackDate(recs[i - 1].date), PackDate(recs[i].date)), 14);
    }
  }
  EXPECT_EQ(recs[2].date, (Ymd{2025, 1, 3}));
  EXPECT_EQ(NextRecordId(s), 1191);
  // The work record itself is left as it was.
  EXPECT_EQ(Long(s.workRecord, rec::kDate), PackDate(2024, 12, 20));
  EXPECT_EQ(Long(s.workRecord, rec::kRecordId), 3);
}

TEST_F(RepeatTest, MonthlyOnTheThirtyFirstUsesTheMonthsLastDay) {
  Work({2024, 1, 31}, 5);
  GenerateGroup(s, GroupSize);
  const auto dates = Dates();
  ASSERT_EQ(dates.size(), 150u);
  const std::vector<Ymd> first = {{2024, 1, 31}, {2024, 2, 29}, {2024, 3, 31}, {2024, 4, 30}, {2024, 5, 31},
                                  {2024, 6, 30}, {2024, 7, 31}};
  for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(dates[i], first[i]) << i;
  EXPECT_EQ(dates[13], (Ymd{2025, 2, 28}));
  EXPECT_EQ(dates[149], (Ymd{2036, 6, 30}));
  for (const Ymd& d : dates) EXPECT_TRUE(IsRealDate(d)) << IsoDateText(PackDate(d));
}

TEST_F(RepeatTest, MonthStepsOfTwoAndThree) {
  Work({2024, 11, 30}, 9);
  GenerateGroup(s, 3);
  EXPECT_EQ(Dates(), (std::vector<Ymd>{{2024, 11, 30}, {2025, 1, 30}, {2025, 3, 30}}));
  s = EventStore{};
  Work({2024, 8, 31}, 10);
  GenerateGroup(s, 3);
  EXPECT_EQ(Dates(), (std::vector<Ymd>{{2024, 8, 31}, {2024, 11, 30}, {2025, 2, 28}}));
}

TEST_F(RepeatTest, YearlyOnLeapDayAndAgeCount) {
  Work({2024, 2, 29}, 15);
  GenerateGroup(s, GroupSize);
  const auto recs = Records();
  ASSERT_EQ(recs.size(), 150u);
  for (std::size_t i = 0; i < recs.size(); ++i) {
    EXPECT_EQ(recs[i].yearCount, i) << i;
    EXPECT_EQ(recs[i].date.year, 2024 + static_cast<std::int32_t>(i));
    EXPECT_EQ(recs[i].date.month, 2);
    EXPECT_EQ(recs[i].date.day, IsLeapYear(recs[i].date.year) ? 29 : 28);
  }
}

TEST_F(RepeatTest, AgeCountStopsAt255) {
  Work({1800, 3, 1}, 15);
  GenerateGroup(s, 300);
  const auto recs = Records();
  ASSERT_EQ(recs.size(), 300u);
  EXPECT_EQ(recs[254].yearCount, 254u);
  EXPECT_EQ(recs[255].yearCount, 255u);
  EXPECT_EQ(recs[299].yearCount, 255u);
}

TEST_F(RepeatTest, WeekdayAfterStartsAgainFromTheBaseDay) {
  Work({2024, 6, 15}, 8);  // a Saturday
  GenerateGroup(s, 3);
  EXPECT_EQ(Dates(), (std::vector<Ymd>{{2024, 6, 17}, {2024, 7, 15}, {2024, 8, 15}}));
}

TEST_F(RepeatTest, WeekdayBeforeAndClosestWeekday) {
  Work({2024, 6, 16}, 7);  // Sunday 16 June -> Friday 14 June
  GenerateGroup(s, 2);
  EXPECT_EQ(Dates(), (std::vector<Ymd>{{2024, 6, 14}, {2024, 7, 16}}));

  s = EventStore{};
  // 4 July: Thursday in 2019, Saturday in 2020, Sunday in 2021.
  Work({2019, 7, 4}, 12);
  GenerateGroup(s, 3);
  EXPECT_EQ(Dates(), (std::vector<Ymd>{{2019, 7, 4}, {2020, 7, 3}, {2021, 7, 5}}));
}

TEST_F(RepeatTest, ClampedDayIsAdjustedFromTheRealDate) {
  // 31 August 2024 is a Saturday; 30 September 2024 a Monday; 30 November 2024 a Saturday.
  Work({2024, 8, 31}, 7);
  GenerateGroup(s, 4);
  EXPECT_EQ(Dates(), (std::vector<Ymd>{{2024, 8, 30}, {2024, 9, 30}, {2024, 10, 31}, {2024, 11, 29}}));
}

TEST_F(RepeatTest, LegalHolidaysAreSkippedByTheAdjustments) {
  AddEvent({2024, 5, 27}, true, 50, "Memorial");  // Monday
  AddEvent({2024, 7, 12}, true, 51, "Feast");     // Friday
  AddEvent({2024, 7, 11}, false, 52, "Party");    // not a holiday
  ASSERT_TRUE(Save());
  ASSERT_TRUE(s.indexSorted);
  EXPECT_TRUE(IsLegalHoliday(s, PackDate(2024, 5, 27)));
  EXPECT_FALSE(IsLegalHoliday(s, PackDate(2024, 7, 11)));
  EXPECT_FALSE(IsWorkingDay(s, 2024, 5, 27));
  EXPECT_TRUE(IsWorkingDay(s, 2024, 5, 28));

  Ymd d{2024, 5, 25};  // Saturday
  WeekdayAfter(s, d);
  EXPECT_EQ(d, (Ymd{2024, 5, 28}));
  d = {2024, 7, 14};  // Sunday before the Friday holiday
  WeekdayBefore(s, d);
  EXPECT_EQ(d, (Ymd{2024, 7, 11}));
  d = {2024, 7, 12};  // closest weekday of a weekday holiday goes back
  const std::uint32_t before = s.storeSize;
  Work(d, 6, 60);
  GenerateGroup(s, 1);
  EXPECT_EQ(UnpackDate(Long(s.store, before + rec::kDate)), (Ymd{2024, 7, 11}));

  // The same answers without the sorted index.
  s.indexSorted = false;
  EXPECT_TRUE(IsLegalHoliday(s, PackDate(2024, 5, 27)));
  EXPECT_TRUE(IsLegalHoliday(s, PackDate(2024, 7, 12)));
  EXPECT_FALSE(IsLegalHoliday(s, PackDate(2024, 7, 11)));
}

TEST_F(RepeatTest, DeletedOrUnindexedHolidaysDoNotCount) {
  AddEvent({2024, 5, 27}, true, 50, "Memorial");
  ASSERT_TRUE(Save());
  DeleteGroup(s, 50);
  EXPECT_FALSE(IsLegalHoliday(s, PackDate(2024, 5, 27)));
  // Appended after the last save: not in the index yet.
  AddEvent({2024, 6, 3}, true, 51, "New");
  EXPECT_FALSE(IsLegalHoliday(s, PackDate(2024, 6, 3)));
}

// For each record: weekday T and which T of the month it is.
void ExpectNthWeekday(const std::vector<Ymd>& dates, int weekday, int n) {
  for (const Ymd& d : dates) {
    ASSERT_TRUE(IsRealDate(d)) << IsoDateText(PackDate(d));
    EXPECT_EQ(WeekdayOf(d.year, d.month, d.day), weekday) << IsoDateText(PackDate(d));
    if (n <= 4) {
      EXPECT_EQ((d.day - 1) / 7 + 1, n) << IsoDateText(PackDate(d));
    } else {
      EXPECT_GT(d.day + 7, DaysInMonth(d.year, d.month)) << IsoDateText(PackDate(d));
    }
  }
}

TEST_F(RepeatTest, NthWeekdayOfTheMonth) {
  Work({2024, 5, 21}, 16);  // a Tuesday; 1 May 2024 is a Wednesday
  GenerateGroup(s, GroupSize);
  auto dates = Dates();
  ASSERT_EQ(dates.size(), 150u);
  EXPECT_EQ(dates[0], (Ymd{2024, 5, 7}));  // may come before the event's own date
  EXPECT_EQ(dates[1], (Ymd{2025, 5, 6}));
  for (std::size_t i = 0; i < dates.size(); ++i) EXPECT_EQ(dates[i].month, 5);
  ExpectNthWeekday(dates, 2, 1);

  s = EventStore{};
  Work({2024, 1, 1}, 25);  // 4th Monday of every month
  GenerateGroup(s, GroupSize);
  dates = Dates();
  EXPECT_EQ(dates[0], (Ymd{2024, 1, 22}));
  EXPECT_EQ(dates[12], (Ymd{2025, 1, 27}));
  ExpectNthWeekday(dates, 1, 4);
}

TEST_F(RepeatTest, LastFridayOfEveryMonth) {
  Work({2024, 5, 3}, 26);
  GenerateGroup(s, GroupSize);
  const auto dates = Dates();
  ASSERT_EQ(dates.size(), 150u);
  EXPECT_EQ(dates[0], (Ymd{2024, 5, 31}));  // a five-Friday month
  EXPECT_EQ(dates[1], (Ymd{2024, 6, 28}));
  EXPECT_EQ(dates[9], (Ymd{2025, 2, 28}));
  ExpectNthWeekday(dates, 5, 5);
  for (std::size_t i = 1; i < dates.size(); ++i) {
    EXPECT_EQ((dates[i].year * 12 + dates[i].month) - (dates[i - 1].year * 12 + dates[i - 1].month), 1);
  }
}

TEST_F(RepeatTest, LastFullWeek) {
  Work({2024, 11, 7}, 21);  // Thursday
  GenerateGroup(s, 3);
  // 30 Nov 2024 is a Saturday; in 2025 the last Saturday is the 29th; in 2026 the 28th.
  EXPECT_EQ(Dates(), (std::vector<Ymd>{{2024, 11, 28}, {2025, 11, 27}, {2026, 11, 26}}));

  s = EventStore{};
  Work({2024, 6, 1}, 27);  // Saturday of the last full week: the last Saturday
  GenerateGroup(s, 3);
  EXPECT_EQ(Dates(), (std::vector<Ymd>{{2024, 6, 29}, {2024, 7, 27}, {2024, 8, 31}}));

  s = EventStore{};
  Work({2024, 6, 2}, 27);  // Sunday: a whole week before the last Saturday
  GenerateGroup(s, 2);
  // June 2024 ends on Sunday 30; the last Saturday is the 29th.
  EXPECT_EQ(Dates(), (std::vector<Ymd>{{2024, 6, 23}, {2024, 7, 21}}));
}

TEST_F(RepeatTest, UnknownModeOrDamagedWorkRecordWritesNothing) {
  Work({2024, 5, 6}, 28);
  GenerateGroup(s, GroupSize);
  EXPECT_EQ(s.storeSize, 0u);
  Work({2024, 5, 6}, 1);
  SetLong(s.workRecord, rec::kLength, 10);
  GenerateGroup(s, GroupSize);
  EXPECT_EQ(s.storeSize, 0u);
  SetLong(s.workRecord, rec::kLength, static_cast<std::int32_t>(kWorkRecordSize + 1));
  GenerateGroup(s, GroupSize);
  EXPECT_EQ(s.storeSize, 0u);
}

TEST_F(RepeatTest, NewEventGroupSavesTheGroup) {
  Work({2024, 5, 6}, 1, 7, 3, "Gym");
  ASSERT_TRUE(NewEventGroup(s, units, SilentHost()));
  EXPECT_EQ(s.indexCount, 150u);
  const auto bytes = test::ReadAll(s.eventFile);
  EXPECT_EQ(bytes.size(), 150u * (rec::kGenericFixed + 3));
}

TEST_F(RepeatTest, SaveOneOccurrenceKeepsTheOthers) {
  AddEvent({2024, 1, 1}, false, 99, "Unrelated");
  Work({2024, 5, 6}, 1, 7, 3, "Gym");
  ASSERT_TRUE(NewEventGroup(s, units, SilentHost()));
  std::uint32_t edited = 0;
  for (const Rec& r : Records()) {
    if (r.date == Ymd{2024, 5, 20}) edited = r.offset;
  }
  ASSERT_NE(edited, 0u);
  const std::int32_t editedId = Long(s.store, edited + rec::kRecordId);
  OpenInEditor(edited);
  SetWorkText("Gym with Ann");
  SetByte(s.workRecord, rec::kRepeatMode, 5);  // a changed repeat choice is ignored by "Save"
  SetLong(s.workRecord, rec::kDate, PackDate(2030, 1, 1));
  ASSERT_TRUE(SaveOneOccurrence(s, edited, 1, units, SilentHost()));

  const auto recs = Records();
  ASSERT_EQ(recs.size(), 151u);
  int changed = 0;
  for (const Rec& r : recs) {
    if (r.groupId != 7) continue;
    EXPECT_EQ(r.mode, 1u);
    if (r.text == "Gym with Ann") {
      ++changed;
      EXPECT_EQ(r.date, (Ymd{2024, 5, 20}));
      EXPECT_EQ(r.recordId, editedId);
    } else {
      EXPECT_EQ(r.text, "Gym");
    }
  }
  EXPECT_EQ(changed, 1);
}

TEST_F(RepeatTest, SaveAllKeepsDatesAndYearCounts) {
  AddEvent({2024, 1, 1}, false, 99, "Unrelated");
  Work({1990, 3, 31}, 15, 7, 3, "Birthday");
  ASSERT_TRUE(NewEventGroup(s, units, SilentHost()));
  std::vector<Ymd> datesBefore;
  std::uint32_t edited = 0;
  for (const Rec& r : Records()) {
    if (r.groupId != 7) continue;
    datesBefore.push_back(r.date);
    if (r.date.year == 2024) edited = r.offset;
  }
  ASSERT_EQ(datesBefore.size(), 150u);
  const std::int32_t editedId = Long(s.store, edited + rec::kRecordId);
  OpenInEditor(edited);
  SetWorkText("Birthday of Ann");
  SetByte(s.workRecord, rec::kStartHour, 9);
  ASSERT_TRUE(SaveAllOccurrences(s, units, SilentHost()));

  const auto recs = Records();
  ASSERT_EQ(recs.size(), 151u);
  std::vector<Ymd> datesAfter;
  for (const Rec& r : recs) {
    if (r.groupId != 7) {
      EXPECT_EQ(r.text, "Unrelated");
      continue;
    }
    datesAfter.push_back(r.date);
    EXPECT_EQ(r.text, "Birthday of Ann");
    EXPECT_EQ(r.yearCount, static_cast<std::uint32_t>(r.date.year - 1990));
    EXPECT_EQ(r.recordId, editedId);
    EXPECT_EQ(Byte(s.store, r.offset + rec::kStartHour), 9u);
  }
  EXPECT_EQ(datesAfter, datesBefore);
}

TEST_F(RepeatTest, SaveAllLeavesOtherKindsOfTheSameNumberAlone) {
  Work({2024, 5, 6}, 1, 7, 3, "Gym");
  GenerateGroup(s, 2);
  // A weight record that shares the number must survive untouched.
  const std::uint32_t weight = test::AddWeight(s, PackDate(2024, 5, 8), "", 80000);
  SetLong(s.store, weight + rec::kGroupId, 7);

  Work({2024, 5, 6}, 1, 7, 3, "Gym!");
  ASSERT_TRUE(SaveAllOccurrences(s, units, SilentHost()));
  int weights = 0;
  int generic = 0;
  for (const Rec& r : Records()) {
    if (r.kind == kKindWeight) {
      ++weights;
      EXPECT_EQ(r.date, (Ymd{2024, 5, 8}));
      EXPECT_EQ(Long(s.store, r.offset + rec::kWeight), 80000);
    } else {
      ++generic;
      EXPECT_EQ(r.text, "Gym!");
    }
  }
  EXPECT_EQ(weights, 1);
  EXPECT_EQ(generic, 2);
}

TEST_F(RepeatTest, ReplaceGroupAsksAndHonoursCancel) {
  Work({2024, 5, 5}, 1, 7, 3, "Walk");
  ASSERT_TRUE(NewEventGroup(s, units, SilentHost()));
  const auto before = test::ReadAll(s.eventFile);
  OpenInEditor(Records()[0].offset);
  SetByte(s.workRecord, rec::kRepeatMode, 5);
  ScriptedHost cancel(2);
  ASSERT_TRUE(ReplaceGroup(s, units, cancel));
  ASSERT_EQ(cancel.messages.size(), 1u);
  EXPECT_EQ(cancel.messages[0],
            "The repeat mode has changed for this event.||Are you sure you want to replace all occurances of this "
            "event|with a new event group starting Sunday, May 05, 2024?");
  EXPECT_EQ(cancel.lastButtons, "OK|Cancel");
  EXPECT_EQ(test::ReadAll(s.eventFile), before);
  const auto recs = Records();
  ASSERT_EQ(recs.size(), 150u);
  for (const Rec& r : recs) EXPECT_EQ(r.mode, 1u);
  EXPECT_EQ(recs[1].date, (Ymd{2024, 5, 12}));
}

TEST_F(RepeatTest, ReplaceGroupRegeneratesWithTheNewMode) {
  AddEvent({2024, 1, 1}, false, 99, "Unrelated");
  Work({2023, 1, 1}, 15, 7, 3, "Walk");
  ASSERT_TRUE(NewEventGroup(s, units, SilentHost()));
  std::uint32_t edited = 0;
  for (const Rec& r : Records()) {
    if (r.groupId == 7 && r.date.year == 2024) edited = r.offset;
  }
  OpenInEditor(edited);
  ASSERT_EQ(Byte(s.workRecord, rec::kYearCount), 1u);
  SetByte(s.workRecord, rec::kRepeatMode, 5);
  ScriptedHost ok(1);
  ASSERT_TRUE(ReplaceGroup(s, units, ok));
  EXPECT_NE(ok.messages.at(0).find("starting Monday, January 01, 2024?"), std::string::npos);

  std::vector<Ymd> group;
  for (const Rec& r : Records()) {
    if (r.groupId != 7) continue;
    group.push_back(r.date);
    EXPECT_EQ(r.mode, 5u);
    EXPECT_EQ(r.yearCount, 0u);
  }
  ASSERT_EQ(group.size(), 150u);
  EXPECT_EQ(group[0], (Ymd{2024, 1, 1}));
  EXPECT_EQ(group[1], (Ymd{2024, 2, 1}));
  EXPECT_EQ(group[149], (Ymd{2036, 6, 1}));
  EXPECT_EQ(Records().size(), 151u);
}

TEST_F(RepeatTest, DeleteGroupMarksOnlyThatGroup) {
  AddEvent({2024, 1, 1}, false, 99, "Unrelated");
  Work({2024, 5, 6}, 1, 7, 3, "Gym");
  GenerateGroup(s, 5);
  DeleteGroup(s, 7);
  const auto all = Records(false);
  ASSERT_EQ(all.size(), 6u);
  for (const Rec& r : all) EXPECT_EQ(r.kind, r.groupId == 7 ? 0u : static_cast<std::uint32_t>(kKindGeneric));
  ASSERT_TRUE(Save());
  EXPECT_EQ(Records().size(), 1u);
}

}  // namespace
}  // namespace kal
