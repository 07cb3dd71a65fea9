#include "calendar/repeat.h"

#include <algorithm>
#include <vector>

#include "calendar/sort_key.h"
#include "store/event_record.h"
#include "store/mem_buffer.h"

namespace kal {

namespace {

// Length of the record assembled in the work record, or 0 when its length
// field cannot describe a record (no buffer, too short, longer than the buffer).
std::uint32_t WorkLength(const EventStore& s) {
  const std::uint32_t length = static_cast<std::uint32_t>(Long(s.workRecord, rec::kLength));
  if (length < kMinRecordLength || length > kWorkRecordSize || !s.workRecord.Holds(0, length)) return 0;
  return length;
}

// Appends copies of the work record with their own date and record id. The
// ids are a run of `count` free ones found once; each copy normally is then
// the largest id in the store, so counting up gives what NextRecordId would
// give before every copy. Without a free run nothing is written.
class OccurrenceWriter {
 public:
  OccurrenceWriter(EventStore& s, int count) : store_(s) {
    const std::uint32_t length = WorkLength(s);
    if (length == 0 || count <= 0) return;
    nextId_ = NextRecordIds(s, static_cast<std::uint32_t>(count));
    if (nextId_ == kNoFreeId) return;
    bytes_.assign(s.workRecord.data(), s.workRecord.data() + length);
  }

  bool ok() const { return !bytes_.empty(); }
  PackedDate workDate() const { return static_cast<PackedDate>(Get32(rec::kDate)); }

  void Append(const Ymd& date, int yearCount = -1) {
    if (!ok() || date.year > LastGroupYear) return;
    Put32(rec::kDate, static_cast<std::uint32_t>(PackDate(date)));
    Put32(rec::kRecordId, static_cast<std::uint32_t>(nextId_));
    if (yearCount >= 0) bytes_[rec::kYearCount] = static_cast<std::uint8_t>(yearCount);
    AppendRecordBytes(store_, bytes_.data(), static_cast<std::uint32_t>(bytes_.size()));
    ++nextId_;
  }

 private:
  std::uint32_t Get32(std::size_t at) const {
    return bytes_[at] | (bytes_[at + 1] << 8) | (bytes_[at + 2] << 16) | (static_cast<std::uint32_t>(bytes_[at + 3]) << 24);
  }
  void Put32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }

  EventStore& store_;
  std::vector<std::uint8_t> bytes_;
  std::int32_t nextId_ = 0;
};

void AdvanceMonth(Ymd& d) {
  ++d.month;
  if (d.month > 12) {
    d.month = 1;
    ++d.year;
  }
}

bool HolidayAt(const EventStore& s, std::uint32_t entry) {
  const std::uint32_t offset = IndexOffset(s, entry);
  if (static_cast<std::uint64_t>(offset) + kMinRecordLength > s.storeSize) return false;
  return RecordKindAt(s, offset) == kKindGeneric && Byte(s.store, offset + rec::kHoliday) == 1;
}

}  // namespace

std::string RepeatModeLabel(int code, std::int32_t year, std::int32_t month, std::int32_t day) {
  static const char* const kFixed[] = {
      "One Time Event",
      "Every Week",
      "Every Two Weeks",
      "Every Three Weeks",
      "Every Four Weeks",
      "Every Month",
      "Every Month (Closest Weekday)",
      "Every Month (Weekday Before)",
      "Every Month (Weekday After)",
      "Every Two Months",
      "Every Three Months",
      "Every Year",
      "Every Year (Closest Weekday)",
      "Every Year (Weekday Before)",
      "Every Year (Weekday After)",
      "Every Year (Calculate Age)",
  };
  static const char* const kOrdinals[] = {"1st ", "2nd ", "3rd ", "4th ", "Last "};
  if (code < 0 || code >= RepeatModeCount) return "";
  if (code <= RepeatCalculateAge) return kFixed[code];
  const std::string weekday = WeekdayName(WeekdayOf(year, month, day));
  const bool yearly = code <= RepeatYearlyLastFullWeek;
  const int n = code - (yearly ? RepeatYearlyNthWeekday : RepeatMonthlyNthWeekday) + 1;
  const std::string tail = yearly ? MonthName(month) : std::string("every month");
  if (n == 6) return weekday + " of the last full week of " + tail;
  return kOrdinals[n - 1] + weekday + " of " + tail;
}

bool IsLegalHoliday(const EventStore& s, PackedDate date) {
  const std::uint32_t count =
      static_cast<std::uint32_t>(std::min<std::size_t>(s.indexCount, s.index.size() / 8));
  if (s.indexSorted) {
    for (std::uint32_t i = FirstIndexFrom(s, date); i < count && IndexDate(s, i) == date; ++i) {
      if (HolidayAt(s, i)) return true;
    }
    return false;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    if (IndexDate(s, i) == date && HolidayAt(s, i)) return true;
  }
  return false;
}

bool IsWorkingDay(const EventStore& s, std::int32_t year, std::int32_t month, std::int32_t day) {
  const std::int32_t weekday = WeekdayOf(year, month, day);
  if (weekday == 0 || weekday == 6) return false;
  return !IsLegalHoliday(s, PackDate(year, month, day));
}

void WeekdayBefore(const EventStore& s, std::int32_t& year, std::int32_t& month, std::int32_t& day) {
  while (!IsWorkingDay(s, year, month, day)) PreviousDay(year, month, day);
}

void WeekdayAfter(const EventStore& s, std::int32_t& year, std::int32_t& month, std::int32_t& day) {
  while (!IsWorkingDay(s, year, month, day)) NextDay(year, month, day);
}

void GenerateGroup(EventStore& s, int count) {
  const int code = static_cast<int>(Byte(s.workRecord, rec::kRepeatMode));
  if (code == RepeatOnce) {
    RepeatEveryDays(s, 1, 0);
  } else if (code <= RepeatEveryFourWeeks) {
    RepeatEveryDays(s, count, 7 * (code - RepeatEveryWeek + 1));
  } else if (code <= RepeatMonthWeekdayAfter) {
    RepeatEveryMonths(s, count, 1, code);
  } else if (code == RepeatEveryTwoMonths) {
    RepeatEveryMonths(s, count, 2, code);
  } else if (code == RepeatEveryThreeMonths) {
    RepeatEveryMonths(s, count, 3, code);
  } else if (code <= RepeatCalculateAge) {
    RepeatEveryMonths(s, count, 12, code);
  } else if (code <= RepeatYearlyLastFullWeek) {
    RepeatNthWeekday(s, count, code - RepeatYearlyNthWeekday + 1, code);
  } else if (code <= RepeatMonthlyLastFullWeek) {
    RepeatNthWeekday(s, count, code - RepeatMonthlyNthWeekday + 1, code);
  }
}

void RepeatEveryDays(EventStore& s, int count, int stepDays) {
  OccurrenceWriter writer(s, count);
  if (!writer.ok()) return;
  Ymd date = UnpackDate(writer.workDate());
  for (int i = 0; i < count; ++i) {
    writer.Append(date);
    for (int k = 0; k < stepDays; ++k) NextDay(date);
  }
}

void RepeatEveryMonths(EventStore& s, int count, int stepMonths, int code) {
  OccurrenceWriter writer(s, count);
  if (!writer.ok()) return;
  Ymd base = UnpackDate(writer.workDate());
  int yearCount = 0;
  for (int i = 0; i < count; ++i) {
    // A day the month lacks (the 31st in April, 29 February in a common year)
    // falls on the month's last day, so every occurrence is a real date the
    // calendar can show. The base day stays, so longer months get it back.
    Ymd date = base;
    date.day = std::min(base.day, DaysInMonth(base.year, base.month));
    switch (code) {
      case RepeatMonthClosestWeekday:
      case RepeatYearClosestWeekday:
        if (WeekdayOf(date.year, date.month, date.day) == 0) {
          WeekdayAfter(s, date);
        } else {
          WeekdayBefore(s, date);
        }
        break;
      case RepeatMonthWeekdayBefore:
      case RepeatYearWeekdayBefore:
        WeekdayBefore(s, date);
        break;
      case RepeatMonthWeekdayAfter:
      case RepeatYearWeekdayAfter:
        WeekdayAfter(s, date);
        break;
      default:
        break;
    }
    if (code == RepeatCalculateAge) {
      writer.Append(date, yearCount);
      yearCount = std::min(yearCount + 1, 255);
    } else {
      writer.Append(date);
    }
    for (int k = 0; k < stepMonths; ++k) AdvanceMonth(base);
  }
}

void RepeatNthWeekday(EventStore& s, int count, int n, int code) {
  if (n < 1 || n > 6) return;
  OccurrenceWriter writer(s, count);
  if (!writer.ok()) return;
  const Ymd start = UnpackDate(writer.workDate());
  const std::int32_t target = WeekdayOf(start.year, start.month, start.day);
  const bool monthly = code >= RepeatMonthlyNthWeekday;
  Ymd date = start;
  for (int i = 0; i < count; ++i) {
    const std::int32_t length = DaysInMonth(date.year, date.month);
    std::int32_t day = 1;
    if (n <= 4) {
      int seen = 0;
      for (day = 1; day < 31; ++day) {
        if (WeekdayOf(date.year, date.month, day) == target && ++seen == n) break;
      }
    } else {
      day = length;
      const std::int32_t stopAt = n == 5 ? target : 6;
      while (day > 1 && WeekdayOf(date.year, date.month, day) != stopAt) --day;
      if (n == 6 && target != 6) {
        while (day > 1 && WeekdayOf(date.year, date.month, day) != target) --day;
      }
    }
    date.day = day;
    writer.Append(date);
    if (monthly) {
      AdvanceMonth(date);
    } else {
      ++date.year;
    }
  }
}

namespace {

// A group needs a run of free record ids; at the top of the id range, in a
// file that uses nearly every one, there may be none left.
bool IdsLeftForGroup(const EventStore& s, Host& host) {
  if (NextRecordIds(s, GroupSize) != kNoFreeId) return true;
  host.ReportError("Could not save events to " + s.eventFile + "|No free record numbers are left for a new event.");
  return false;
}

}  // namespace

bool NewEventGroup(EventStore& s, const UnitModes& units, Host& host) {
  if (!IdsLeftForGroup(s, host)) return false;
  GenerateGroup(s, GroupSize);
  return SaveEvents(s, RecordSortKeys(units), host);
}

bool SaveOneOccurrence(EventStore& s, std::uint32_t editedOffset, std::uint8_t originalRepeatMode,
                       const UnitModes& units, Host& host) {
  const std::uint32_t length = WorkLength(s);
  // Without a work record to append, deleting the edited record would lose it.
  if (length != 0) {
    std::uint32_t editedLength = 0;
    if (CheckRecordAt(s, editedOffset, s.storeSize, editedLength) == nullptr) {
      SetLong(s.workRecord, rec::kDate, Long(s.store, editedOffset + rec::kDate));
      SetByte(s.workRecord, rec::kYearCount, static_cast<std::int32_t>(Byte(s.store, editedOffset + rec::kYearCount)));
      DeleteRecord(s, editedOffset);
    }
    SetByte(s.workRecord, rec::kRepeatMode, originalRepeatMode);
    AppendRecordBytes(s, s.workRecord.data(), length);
  }
  return SaveEvents(s, RecordSortKeys(units), host);
}

bool SaveAllOccurrences(EventStore& s, const UnitModes& units, Host& host) {
  const std::uint32_t length = WorkLength(s);
  if (length != 0) {
    const std::int32_t group = Long(s.workRecord, rec::kGroupId);
    // Only generic events are rewritten: a record of another kind that happens
    // to share the number must not be turned into a copy of this event, and a
    // record deleted earlier must not come back.
    ForEachRecord(s, s.storeSize, [&](std::uint32_t offset, std::uint32_t) {
      if (RecordKindAt(s, offset) != kKindGeneric || Long(s.store, offset + rec::kGroupId) != group) return;
      SetLong(s.workRecord, rec::kDate, Long(s.store, offset + rec::kDate));
      SetByte(s.workRecord, rec::kYearCount, static_cast<std::int32_t>(Byte(s.store, offset + rec::kYearCount)));
      DeleteRecord(s, offset);
      AppendRecordBytes(s, s.workRecord.data(), length);
    });
  }
  return SaveEvents(s, RecordSortKeys(units), host);
}

bool ReplaceGroup(EventStore& s, const UnitModes& units, Host& host) {
  const Ymd start = UnpackDate(Long(s.workRecord, rec::kDate));
  const int answer = host.Ask(
      "The repeat mode has changed for this event.||Are you sure you want to replace all occurances of this "
      "event|with a new event group starting " +
          LongDateText(start.year, start.month, start.day) + "?",
      "OK|Cancel");
  if (answer == 1 && WorkLength(s) != 0 && IdsLeftForGroup(s, host)) {
    DeleteGroup(s, Long(s.workRecord, rec::kGroupId));
    // The edited occurrence's year count belongs to the old rule; carried into
    // every record of the new group it would show the same age on each one.
    SetByte(s.workRecord, rec::kYearCount, 0);
    GenerateGroup(s, GroupSize);
  }
  return SaveEvents(s, RecordSortKeys(units), host);
}

void DeleteGroup(EventStore& s, std::int32_t groupId) {
  ForEachRecord(s, s.storeSize, [&](std::uint32_t offset, std::uint32_t) {
    if (Long(s.store, offset + rec::kGroupId) == groupId) DeleteRecord(s, offset);
  });
}

}  // namespace kal
