#include "import/ical_export.h"

#include <algorithm>
#include <map>
#include <vector>

#include "calendar/repeat.h"
#include "platform/encoding.h"
#include "platform/ical_file.h"

namespace kal {

namespace {

constexpr const char* kDayCodes[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

// The records of a group that differ only in date, record id, mark and year
// count: an occurrence edited on its own ("Save") is a series of its own.
struct Series {
  std::uint32_t firstOffset = 0;
  std::vector<PackedDate> dates;
};

std::string SeriesKey(const EventStore& s, std::uint32_t offset, std::uint32_t length) {
  std::string key(reinterpret_cast<const char*>(s.store.data() + offset), length);
  for (std::uint32_t at : {rec::kDate, rec::kRecordId}) std::fill_n(key.begin() + at, 4, '\0');
  key[rec::kMark] = key[rec::kYearCount] = key[rec::kRepeatMode] = '\0';
  return key;
}

IcsDay DayOf(PackedDate date) {
  const Ymd d = UnpackDate(date);
  return {d.year, d.month, d.day};
}

// The RRULE of the candidate that gives all of `days` (its COUNT counting the
// dates left out) and those left out; false when none does.
bool FitRule(const std::string& rule, const std::vector<IcsDay>& days, IcsOutEvent& out) {
  // More than one left-out date per kept one would say less than the dates.
  const std::size_t cap = 2 * days.size() + 1;
  const std::vector<IcsDay> expanded = ExpandIcsRule(rule, days.front(), days.back(), cap);
  if (expanded.empty() || expanded.size() >= cap || expanded.back() != days.back()) return false;
  std::vector<IcsDay> missing;
  std::set_difference(expanded.begin(), expanded.end(), days.begin(), days.end(), std::back_inserter(missing));
  if (expanded.size() - missing.size() != days.size()) return false;  // a date the rule does not give
  out.rrule = rule + ";COUNT=" + std::to_string(expanded.size());
  out.exdates = std::move(missing);
  return true;
}

// Chooses RRULE with EXDATEs or RDATEs for the series' sorted dates.
void SetDates(IcsOutEvent& out, const std::vector<PackedDate>& dates, int mode) {
  for (PackedDate d : dates) out.days.push_back(DayOf(d));
  if (out.days.size() < 2) return;
  const Ymd first = UnpackDate(dates.front());
  const std::string rule = RuleForRepeatMode(mode, first);
  if (rule.empty()) return;
  std::vector<std::string> candidates{rule};
  // A monthly group from the 31st falls on every month's last day, which
  // iCalendar says as day -1 (its plain monthly rule skips shorter months).
  if (rule.starts_with("FREQ=MONTHLY") && rule.find("BYDAY") == std::string::npos &&
      first.day == DaysInMonth(first.year, first.month)) {
    candidates.push_back(rule + ";BYMONTHDAY=-1");
  }
  for (const std::string& candidate : candidates) {
    if (FitRule(candidate, out.days, out)) {
      out.days.resize(1);
      return;
    }
  }
}

}  // namespace

std::string RuleForRepeatMode(int mode, const Ymd& first) {
  const std::string weekday = kDayCodes[WeekdayOf(first.year, first.month, first.day)];
  if (mode >= RepeatEveryWeek && mode <= RepeatEveryFourWeeks) {
    return "FREQ=WEEKLY;INTERVAL=" + std::to_string(mode - RepeatEveryWeek + 1);
  }
  switch (mode) {
    case RepeatEveryMonth: return "FREQ=MONTHLY";
    case RepeatEveryTwoMonths: return "FREQ=MONTHLY;INTERVAL=2";
    case RepeatEveryThreeMonths: return "FREQ=MONTHLY;INTERVAL=3";
    case RepeatEveryYear:
    case RepeatCalculateAge: return "FREQ=YEARLY";
    default: break;
  }
  const bool yearly = mode >= RepeatYearlyNthWeekday && mode < RepeatYearlyLastFullWeek;
  const bool monthly = mode >= RepeatMonthlyNthWeekday && mode < RepeatMonthlyLastFullWeek;
  if (!yearly && !monthly) return "";
  const int n = mode - (yearly ? RepeatYearlyNthWeekday : RepeatMonthlyNthWeekday) + 1;
  const std::string byDay = "BYDAY=" + (n == 5 ? std::string("-1") : std::to_string(n)) + weekday;
  return yearly ? "FREQ=YEARLY;BYMONTH=" + std::to_string(first.month) + ";" + byDay : "FREQ=MONTHLY;" + byDay;
}

IcsExport ExportIcs(const EventStore& s, const CategoryTable& categories, const IcsExportFilter& filter,
                    const std::string& stamp) {
  std::vector<Series> series;
  std::map<std::string, std::size_t> byKey;
  ForEachRecord(s, s.storeSize, [&](std::uint32_t offset, std::uint32_t length) {
    if (RecordKindAt(s, offset) != kKindGeneric) return;
    const PackedDate date = Long(s.store, offset + rec::kDate);
    if ((filter.from && date < *filter.from) || (filter.to && date > *filter.to)) return;
    const Ymd ymd = UnpackDate(date);
    if (ymd.year < 1 || ymd.year > 9999 || ymd.month < 1 || ymd.month > 12 || ymd.day < 1 ||
        ymd.day > DaysInMonth(ymd.year, ymd.month)) {
      return;
    }
    const int category = CategoryOfByte(static_cast<int>(Byte(s.store, offset + rec::kCategory)));
    if (filter.category && category != *filter.category) return;
    const auto [it, added] = byKey.emplace(SeriesKey(s, offset, length), series.size());
    if (added) series.push_back(Series{offset, {}});
    series[it->second].dates.push_back(date);
  });

  IcsExport result;
  std::vector<IcsOutEvent> events;
  for (Series& one : series) {
    std::sort(one.dates.begin(), one.dates.end());
    one.dates.erase(std::unique(one.dates.begin(), one.dates.end()), one.dates.end());
    const std::uint32_t off = one.firstOffset;
    IcsOutEvent e;
    e.uid = std::to_string(Long(s.store, off + rec::kGroupId)) + "-" + std::to_string(Long(s.store, off + rec::kRecordId)) +
            "@kalendrina";
    std::string text;
    GetBytes(s.store, off + rec::kGenericText, RecordLength(s, off) - rec::kGenericFixed, text);
    std::replace(text.begin(), text.end(), '\0', ' ');
    const std::size_t cr = text.find('\r');
    e.summary = Cp1252ToUtf8(text.substr(0, cr));
    if (cr != std::string::npos) {
      std::string rest = text.substr(cr + 1);
      std::replace(rest.begin(), rest.end(), '\r', '\n');
      e.description = Cp1252ToUtf8(rest);
    }
    e.category = Cp1252ToUtf8(CategoryName(categories, static_cast<int>(Byte(s.store, off + rec::kCategory))));
    e.holiday = Byte(s.store, off + rec::kHoliday) == 1;
    const int startHour = static_cast<int>(Byte(s.store, off + rec::kStartHour));
    const int startMinute = static_cast<int>(Byte(s.store, off + rec::kStartMinute));
    const int endHour = static_cast<int>(Byte(s.store, off + rec::kEndHour));
    const int endMinute = static_cast<int>(Byte(s.store, off + rec::kEndMinute));
    // A time the editor could not have written (a damaged record) is no time.
    if (startHour < 24 && startMinute < 60) {
      e.startHour = startHour;
      e.startMinute = startMinute;
      if (endHour < 24 && endMinute < 60 && endHour * 60 + endMinute > startHour * 60 + startMinute) {
        e.endHour = endHour;
        e.endMinute = endMinute;
      }
    }
    SetDates(e, one.dates, static_cast<int>(Byte(s.store, off + rec::kRepeatMode)));
    result.records += static_cast<int>(one.dates.size());
    events.push_back(std::move(e));
  }
  result.events = static_cast<int>(events.size());
  result.text = WriteIcs(events, stamp);
  return result;
}

}  // namespace kal
