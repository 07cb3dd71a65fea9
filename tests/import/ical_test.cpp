#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "calendar/repeat.h"
#include "calendar/sort_key.h"
#include "import/ical_export.h"
#include "import/ical_import.h"
#include "support/test_support.h"

namespace kal {
namespace {

// What a record says, as the user sees it.
struct Entry {
  std::string date;
  int startHour, startMinute, endHour, endMinute;
  std::string text;
  int category, holiday;
  std::int32_t group;
  int mode;
  auto Key() const { return std::tie(date, startHour, startMinute, endHour, endMinute, text, category, holiday); }
  bool operator<(const Entry& o) const { return Key() < o.Key(); }
};

std::vector<Entry> Entries(const EventStore& s) {
  std::vector<Entry> out;
  ForEachRecord(s, s.storeSize, [&](std::uint32_t off, std::uint32_t length) {
    if (RecordKindAt(s, off) != kKindGeneric) return;
    std::string text;
    GetBytes(s.store, off + rec::kGenericText, length - rec::kGenericFixed, text);
    const auto b = [&](std::uint32_t at) { return static_cast<int>(Byte(s.store, off + at)); };
    out.push_back({IsoDateText(Long(s.store, off + rec::kDate)), b(rec::kStartHour), b(rec::kStartMinute),
                   b(rec::kEndHour), b(rec::kEndMinute), text, b(rec::kCategory), b(rec::kHoliday),
                   Long(s.store, off + rec::kGroupId), b(rec::kRepeatMode)});
  });
  std::sort(out.begin(), out.end());
  return out;
}

// Sets the local time zone for one test and puts the old one back.
class LocalZone {
 public:
  explicit LocalZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~LocalZone() {
    if (old_.empty()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", old_.c_str(), 1);
    }
    tzset();
  }

 private:
  std::string old_;
};

CategoryTable Categories() {
  CategoryTable table;
  BuildCategoryTable(table, "|Work|Family|Pay Days|Birthdays");
  return table;
}

// Adds a group as the editor's Save of a new event does.
void AddGroup(EventStore& s, Ymd date, int mode, const std::string& text, int category = 0, int start = 99,
              int end = 99, bool holiday = false) {
  PrepareWorkRecord(s, kKindGeneric, static_cast<std::uint8_t>(category), PackDate(date));
  const auto length = static_cast<std::uint32_t>(rec::kGenericFixed + text.size());
  SetLong(s.workRecord, rec::kLength, static_cast<std::int32_t>(length));
  SetLong(s.workRecord, rec::kRecordId, NextRecordId(s));
  SetLong(s.workRecord, rec::kGroupId, NextGroupId(s));
  SetByte(s.workRecord, rec::kHoliday, holiday ? 1 : 0);
  SetByte(s.workRecord, rec::kRepeatMode, mode);
  SetByte(s.workRecord, rec::kStartHour, start == 99 ? 99 : start / 100);
  SetByte(s.workRecord, rec::kStartMinute, start == 99 ? 0 : start % 100);
  SetByte(s.workRecord, rec::kEndHour, end == 99 ? 99 : end / 100);
  SetByte(s.workRecord, rec::kEndMinute, end == 99 ? 0 : end % 100);
  PutBytes(s.workRecord, rec::kGenericText, text);
  SetWord(s.workRecord, length - 2, kEndMarker);
  GenerateGroup(s, GroupSize);
}

TEST(IcalImport, ClosestRepeatModeOfRules) {
  struct Case {
    IcsRule rule;
    int mode;
  };
  const Case cases[] = {
      {{}, RepeatOnce},
      {{"WEEKLY", 1, {}, {}, {}, {}}, RepeatEveryWeek},
      {{"WEEKLY", 3, {{0, 2}}, {}, {}, {}}, 3},
      {{"WEEKLY", 9, {}, {}, {}, {}}, RepeatEveryFourWeeks},
      {{"DAILY", 14, {}, {}, {}, {}}, 2},
      {{"DAILY", 1, {}, {}, {}, {}}, RepeatEveryWeek},
      {{"MONTHLY", 1, {}, {15}, {}, {}}, RepeatEveryMonth},
      {{"MONTHLY", 2, {}, {}, {}, {}}, RepeatEveryTwoMonths},
      {{"MONTHLY", 3, {}, {}, {}, {}}, RepeatEveryThreeMonths},
      {{"MONTHLY", 12, {}, {}, {}, {}}, RepeatEveryYear},
      {{"MONTHLY", 1, {{2, 2}}, {}, {}, {}}, RepeatMonthlyNthWeekday + 1},
      {{"MONTHLY", 1, {{-1, 5}}, {}, {}, {}}, RepeatMonthlyNthWeekday + 4},
      {{"MONTHLY", 1, {{0, 4}}, {}, {}, {3}}, RepeatMonthlyNthWeekday + 2},
      {{"YEARLY", 1, {}, {}, {}, {}}, RepeatEveryYear},
      {{"YEARLY", 1, {{4, 4}}, {}, {11}, {}}, RepeatYearlyNthWeekday + 3},
      {{"YEARLY", 1, {{-1, 1}}, {}, {5}, {}}, RepeatYearlyNthWeekday + 4},
      {{"HOURLY", 1, {}, {}, {}, {}}, RepeatEveryWeek},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule.freq + " " + std::to_string(c.rule.interval));
    EXPECT_EQ(ClosestRepeatMode(c.rule), c.mode);
  }
}

// Every repeat mode goes out and comes back with the same entries; the modes
// iCalendar can say go out as one RRULE, the rest as RDATEs.
TEST(IcalRoundTrip, EveryRepeatModeComesBackOnTheSameDates) {
  struct Case {
    int mode;
    Ymd start;
    const char* rule;  // expected RRULE start, "" for RDATEs
  };
  const Case cases[] = {
      {RepeatOnce, {2024, 5, 6}, ""},
      {RepeatEveryWeek, {2024, 5, 6}, "FREQ=WEEKLY;COUNT=150"},
      {3, {2024, 5, 6}, "FREQ=WEEKLY;COUNT=150;INTERVAL=3"},
      {RepeatEveryMonth, {2024, 1, 15}, "FREQ=MONTHLY;COUNT=150"},
      {RepeatEveryMonth, {2024, 1, 31}, "FREQ=MONTHLY;COUNT=150;BYMONTHDAY=-1"},
      {RepeatEveryMonth, {2024, 1, 30}, ""},
      {RepeatMonthClosestWeekday, {2024, 6, 15}, ""},
      {RepeatEveryThreeMonths, {2024, 2, 10}, "FREQ=MONTHLY;COUNT=150;INTERVAL=3"},
      {RepeatEveryYear, {2024, 3, 1}, "FREQ=YEARLY;COUNT=150"},
      {RepeatEveryYear, {2024, 2, 29}, ""},
      {RepeatYearlyNthWeekday + 3, {2024, 11, 28}, "FREQ=YEARLY;COUNT=150;BYDAY=4TH;BYMONTH=11"},
      {RepeatYearlyNthWeekday + 4, {2024, 5, 27}, "FREQ=YEARLY;COUNT=150;BYDAY=-1MO;BYMONTH=5"},
      {RepeatYearlyLastFullWeek, {2024, 5, 27}, ""},
      {RepeatMonthlyNthWeekday + 1, {2024, 5, 14}, "FREQ=MONTHLY;COUNT=150;BYDAY=2TU"},
      {RepeatMonthlyNthWeekday + 4, {2024, 5, 31}, "FREQ=MONTHLY;COUNT=150;BYDAY=-1FR"},
      // libical neither builds date values nor expands rules after the year
      // 3000: such a group goes out as RDATEs written from their text.
      {RepeatEveryWeek, {6995, 11, 14}, ""},
  };
  const CategoryTable categories = Categories();
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + " from " + IsoDateText(PackDate(c.start)));
    EventStore out;
    AddGroup(out, c.start, c.mode, "Meeting\rRoom 4, floor 2; bring notes", 2, 930, 1015, c.mode == 0);
    const IcsExport ics = ExportIcs(out, categories, {}, "20230101T000000Z");
    ASSERT_EQ(ics.events, 1);
    const auto rrule = ics.text.find("RRULE:");
    if (*c.rule == '\0') {
      EXPECT_EQ(rrule, std::string::npos) << ics.text.substr(0, 600);
    } else {
      ASSERT_NE(rrule, std::string::npos) << ics.text.substr(0, 600);
      EXPECT_EQ(ics.text.substr(rrule + 6, ics.text.find('\r', rrule) - rrule - 6), c.rule);
    }
    EventStore in;
    const IcsImportResult result = AddIcsEvents(in, categories, ics.text);
    EXPECT_EQ(result.events, 1);
    EXPECT_EQ(result.skipped, 0);
    std::vector<Entry> before = Entries(out), after = Entries(in);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(after[i].Key(), before[i].Key()) << before[i].date;
    }
  }
}

TEST(IcalExport, LeavesOutDeletedOccurrencesAndHonoursTheFilter) {
  EventStore s;
  AddGroup(s, {2024, 1, 1}, RepeatEveryWeek, "Gym", 1);
  AddGroup(s, {2024, 1, 3}, RepeatOnce, "Call", 3);
  // One occurrence deleted from the group: an EXDATE, not a new rule.
  ForEachRecord(s, s.storeSize, [&](std::uint32_t off, std::uint32_t) {
    if (Long(s.store, off + rec::kDate) == PackDate(2024, 1, 15)) DeleteRecord(s, off);
  });
  const CategoryTable categories = Categories();
  struct Case {
    IcsExportFilter filter;
    int events, records;
    std::vector<const char*> present, absent;
  };
  const Case cases[] = {
      {{}, 2, 150, {"EXDATE;VALUE=DATE:20240115", "COUNT=150", "CATEGORIES:Work"}, {}},
      {{PackDate(2024, 1, 2), PackDate(2024, 1, 31), std::nullopt}, 2, 4, {"COUNT=4", "DTSTART;VALUE=DATE:20240108"},
       {"20240101"}},
      {{std::nullopt, std::nullopt, 1}, 1, 149, {"SUMMARY:Gym"}, {"SUMMARY:Call"}},
  };
  for (const Case& c : cases) {
    const IcsExport ics = ExportIcs(s, categories, c.filter, "20230101T000000Z");
    EXPECT_EQ(ics.events, c.events);
    EXPECT_EQ(ics.records, c.records);
    for (const char* text : c.present) EXPECT_NE(ics.text.find(text), std::string::npos) << text;
    for (const char* text : c.absent) EXPECT_EQ(ics.text.find(text), std::string::npos) << text;
  }
}

constexpr const char* kBerlinZone =
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\nDTSTART:19700329T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\nDTSTART:19701025T030000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";

std::string Calendar(const std::string& body) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + body + "END:VCALENDAR\r\n";
}

// Files as other programs write them, read in a fixed local zone (UTC).
TEST(IcalImport, FilesOfOtherProgramsGiveTheRightLocalDates) {
  LocalZone utc("UTC");
  struct Case {
    const char* name;
    std::string ics;
    int events, skipped;
    std::vector<std::string> entries;  // "date start-end text"; first ones only
    std::size_t count;
  };
  const Case cases[] = {
      {"weekly in Berlin across the summer-time change, one instance left out",
       Calendar(std::string(kBerlinZone) +
                "BEGIN:VEVENT\r\nUID:a@x\r\nDTSTAMP:20240101T000000Z\r\nSUMMARY:Standup\r\n"
                "DTSTART;TZID=Europe/Berlin:20240321T090000\r\nDTEND;TZID=Europe/Berlin:20240321T093000\r\n"
                "RRULE:FREQ=WEEKLY;COUNT=4\r\nEXDATE;TZID=Europe/Berlin:20240404T090000\r\nEND:VEVENT\r\n"),
       1, 0, {"2024-03-21 0800-0830 Standup", "2024-03-28 0800-0830 Standup", "2024-04-11 0700-0730 Standup"}, 3},
      {"vdir style: one event, UTC times, a three-day all-day trip",
       Calendar("BEGIN:VEVENT\r\nUID:b@x\r\nDTSTAMP:20240101T000000Z\r\nSUMMARY:Call\r\n"
                "DTSTART:20240105T233000Z\r\nDURATION:PT1H\r\nEND:VEVENT\r\n"
                "BEGIN:VEVENT\r\nUID:c@x\r\nSUMMARY:Trip\r\nDESCRIPTION:Line one\\nLine two\r\n"
                "DTSTART;VALUE=DATE:20240710\r\nDTEND;VALUE=DATE:20240713\r\nCATEGORIES:travel,FAMILY\r\n"
                "END:VEVENT\r\n"),
       2, 0,
       {"2024-01-05 2330-99 Call", "2024-07-10 99-99 Trip\rLine one\rLine two [2]",
        "2024-07-11 99-99 Trip\rLine one\rLine two [2]", "2024-07-12 99-99 Trip\rLine one\rLine two [2]"},
       4},
      {"a moved instance replaces its date in the series",
       Calendar("BEGIN:VEVENT\r\nUID:d@x\r\nSUMMARY:Class\r\nDTSTART:20240101T180000\r\n"
                "RRULE:FREQ=MONTHLY;BYDAY=1MO;UNTIL=20240401T000000\r\nEND:VEVENT\r\n"
                "BEGIN:VEVENT\r\nUID:d@x\r\nSUMMARY:Class (moved)\r\nRECURRENCE-ID:20240205T180000\r\n"
                "DTSTART:20240207T190000\r\nEND:VEVENT\r\n"),
       2, 0,
       {"2024-01-01 1800-99 Class", "2024-02-07 1900-99 Class (moved)", "2024-03-04 1800-99 Class"}, 3},
      {"to-dos, journals and events without a start are skipped and counted",
       Calendar("BEGIN:VTODO\r\nUID:e@x\r\nSUMMARY:Todo\r\nEND:VTODO\r\nBEGIN:VJOURNAL\r\nUID:f@x\r\nEND:VJOURNAL\r\n"
                "BEGIN:VEVENT\r\nUID:g@x\r\nSUMMARY:No start\r\nEND:VEVENT\r\n"
                "BEGIN:VEVENT\r\nUID:h@x\r\nSUMMARY:Kept\r\nDTSTART;VALUE=DATE:20240301\r\n"
                "RRULE:FREQ=DAILY\r\nEXRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\n"),
       1, 4, {"2024-03-01 99-99 Kept"}, 150},
      {"a daily two-day event gives each day once",
       Calendar("BEGIN:VEVENT\r\nUID:i@x\r\nSUMMARY:Fair\r\nDTSTART;VALUE=DATE:20240501\r\n"
                "DTEND;VALUE=DATE:20240503\r\nRRULE:FREQ=DAILY;COUNT=3\r\nEND:VEVENT\r\n"),
       1, 0, {"2024-05-01 99-99 Fair", "2024-05-02 99-99 Fair", "2024-05-03 99-99 Fair", "2024-05-04 99-99 Fair"}, 4},
      {"not a calendar", "hello\r\nworld\r\n", 0, 0, {}, 0},
  };
  const CategoryTable categories = Categories();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EventStore s;
    const IcsImportResult result = AddIcsEvents(s, categories, c.ics);
    EXPECT_EQ(result.events, c.events);
    EXPECT_EQ(result.skipped, c.skipped);
    const std::vector<Entry> entries = Entries(s);
    ASSERT_EQ(entries.size(), c.count);
    std::set<std::int32_t> groups;
    for (const Entry& e : entries) groups.insert(e.group);
    EXPECT_EQ(groups.size(), static_cast<std::size_t>(c.events)) << "each event its own group";
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
      const Entry& e = entries[i];
      const auto clock = [](int h, int m) {
        char text[8];
        std::snprintf(text, sizeof text, "%02d%02d", h, m);
        return h == 99 ? std::string("99") : std::string(text);
      };
      std::string got = e.date + " " + clock(e.startHour, e.startMinute) + "-" + clock(e.endHour, e.endMinute) + " " +
                        e.text + (e.category != 0 ? " [" + std::to_string(e.category) + "]" : "");
      EXPECT_EQ(got, c.entries[i]);
    }
  }
}

// Imported records are whole records: saving keeps every one, and a second
// import of the same file adds nothing after the save's de-duplication.
TEST(IcalImport, ImportingTwiceLeavesNoDuplicates) {
  test::TempDir dir;
  const std::string file = dir.File("cal.ics");
  const std::string text = Calendar(
      "BEGIN:VEVENT\r\nUID:a@x\r\nSUMMARY:Weekly\r\nDTSTART;VALUE=DATE:20240101\r\nRRULE:FREQ=WEEKLY;COUNT=10\r\n"
      "END:VEVENT\r\n");
  test::WriteAll(file, std::vector<std::uint8_t>(text.begin(), text.end()));
  EventStore s;
  s.eventFile = dir.File("Event20.dat");
  const CategoryTable categories = Categories();
  for (int round = 0; round < 2; ++round) {
    const IcsImportResult result = ImportIcsFile(s, categories, UnitModes{}, file, SilentHost());
    EXPECT_TRUE(result.error.empty()) << result.error;
    EXPECT_EQ(result.records, 10);
    EXPECT_EQ(Entries(s).size(), 10u);
  }
  EXPECT_EQ(IcsImportMessage(ImportIcsFile(s, categories, UnitModes{}, dir.File("missing.ics"), SilentHost()),
                             dir.File("missing.ics")),
            "There is no file " + dir.File("missing.ics") + ".");
}

}  // namespace
}  // namespace kal
