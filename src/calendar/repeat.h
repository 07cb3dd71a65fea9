// Repeat rules and event groups.
//
// A repeating generic event is not stored as a rule: saving it writes every
// occurrence as a record of its own, all sharing the group id of the work
// record. The generators here read the store's work record and append copies
// to the store; they never save. The group operations below are what the
// event editor, group delete and the importers call; all but DeleteGroup end
// with SaveEvents, after which every record offset is stale.
//
// Working days are judged from the store's EventIndex as the last load or
// save left it, so records appended during a generation are not consulted.
#pragma once

#include <cstdint>
#include <string>

#include "calendar/dates.h"
#include "health/units.h"
#include "store/event_store.h"
#include "store/host.h"

namespace kal {

// Occurrences written for every repeating mode; RepeatOnce writes one record.
constexpr int GroupSize = 150;
// Dates carry four-digit years: a group that would run past the end of 9999
// stops there, with fewer than GroupSize records.
constexpr std::int32_t LastGroupYear = 9999;

// The repeat modes of a generic event: the byte at rec::kRepeatMode.
enum RepeatMode : std::uint8_t {
  RepeatOnce = 0,
  RepeatEveryWeek = 1,  // 1-4: every one to four weeks
  RepeatEveryFourWeeks = 4,
  RepeatEveryMonth = 5,
  RepeatMonthClosestWeekday = 6,
  RepeatMonthWeekdayBefore = 7,
  RepeatMonthWeekdayAfter = 8,
  RepeatEveryTwoMonths = 9,
  RepeatEveryThreeMonths = 10,
  RepeatEveryYear = 11,
  RepeatYearClosestWeekday = 12,
  RepeatYearWeekdayBefore = 13,
  RepeatYearWeekdayAfter = 14,
  // Yearly; the records carry the number of years since the first occurrence.
  RepeatCalculateAge = 15,
  // 16-21: the 1st, 2nd, 3rd, 4th, last or last-full-week weekday of the month, every year.
  RepeatYearlyNthWeekday = 16,
  RepeatYearlyLastFullWeek = 21,
  // 22-27: the same, every month.
  RepeatMonthlyNthWeekday = 22,
  RepeatMonthlyLastFullWeek = 27,
  RepeatModeCount = 28,
};

// The label of a mode for an event on the given date; "" for unknown codes.
std::string RepeatModeLabel(int code, std::int32_t year, std::int32_t month, std::int32_t day);

// True when a live generic event of the index is dated exactly `date` and is
// marked as a legal holiday.
bool IsLegalHoliday(const EventStore& s, PackedDate date);
// Not Saturday, not Sunday and not a legal holiday.
bool IsWorkingDay(const EventStore& s, std::int32_t year, std::int32_t month, std::int32_t day);
// Move the date back (forward) until it is a working day; a working day stays.
void WeekdayBefore(const EventStore& s, std::int32_t& year, std::int32_t& month, std::int32_t& day);
void WeekdayAfter(const EventStore& s, std::int32_t& year, std::int32_t& month, std::int32_t& day);
inline void WeekdayBefore(const EventStore& s, Ymd& d) { WeekdayBefore(s, d.year, d.month, d.day); }
inline void WeekdayAfter(const EventStore& s, Ymd& d) { WeekdayAfter(s, d.year, d.month, d.day); }

// Appends the occurrences of the work record's repeat mode (count for the
// repeating modes, one for RepeatOnce, none for an unknown mode), leaving out
// those after LastGroupYear. Each copy gets
// its own date and a fresh record id; everything else, the group id included,
// is the work record's. Does not save.
void GenerateGroup(EventStore& s, int count);
// count copies, step days apart, from the work record's date.
void RepeatEveryDays(EventStore& s, int count, int stepDays);
// count copies, stepMonths apart, on the work record's day number (cut to the
// month's last day where the month is shorter), adjusted to a working day for
// the modes that ask for it; RepeatCalculateAge also numbers the years.
void RepeatEveryMonths(EventStore& s, int count, int stepMonths, int code);
// count copies on the n-th (1-4), last (5) or last-full-week (6) weekday of
// the work record's date; every month from RepeatMonthlyNthWeekday on, else every year.
void RepeatNthWeekday(EventStore& s, int count, int n, int code);

// A new event: GenerateGroup(GroupSize) from the work record, then save.
bool NewEventGroup(EventStore& s, const UnitModes& units, Host& host);
// "Save" on one occurrence: the work record takes the edited record's date
// and year count and the mode the record had when editing began; the edited
// record is deleted and the work record appended; then save.
bool SaveOneOccurrence(EventStore& s, std::uint32_t editedOffset, std::uint8_t originalRepeatMode,
                       const UnitModes& units, Host& host);
// "Save All" with the mode unchanged: every generic event of the work record's
// group is replaced by the work record carrying that event's date and year
// count; then save.
bool SaveAllOccurrences(EventStore& s, const UnitModes& units, Host& host);
// "Save All" with a changed mode: asks the user; on "OK" the group is deleted
// and generated anew from the work record. Saves either way.
bool ReplaceGroup(EventStore& s, const UnitModes& units, Host& host);
// Marks every record of the group deleted. Does not save.
void DeleteGroup(EventStore& s, std::int32_t groupId);

}  // namespace kal
