// iCalendar files through libical, as plain values: reading a file gives its
// events with every occurrence already expanded (RRULE, RDATE, EXDATE and
// moved instances applied) and turned into this machine's local time;
// writing takes events as dates and times and gives the file's text. Nothing
// here knows about our records; the import layer maps between the two.
#pragma once

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kal {

struct IcsDay {
  int year = 0;
  int month = 0;
  int day = 0;
  auto operator<=>(const IcsDay&) const = default;
};

// One occurrence in local time. An all-day occurrence has startHour -1 and
// lastDay the last day it covers. A timed one ends at endHour:endMinute on
// lastDay; endHour is -1 when the event gives no end or ends when it starts.
struct IcsOccurrence {
  IcsDay day;
  int startHour = -1;
  int startMinute = 0;
  IcsDay lastDay;
  int endHour = -1;
  int endMinute = 0;
};

// The parts of an RRULE that decide which of our repeat modes is closest.
struct IcsRule {
  std::string freq;  // "WEEKLY", ...; empty when the event has no rule
  int interval = 1;
  // (position, weekday): position 0 for every such weekday, -1 for the last;
  // weekday 0 is Sunday.
  std::vector<std::pair<int, int>> byDay;
  std::vector<int> byMonthDay;
  std::vector<int> byMonth;
  std::vector<int> bySetPos;
};

struct IcsEvent {
  std::string summary;      // UTF-8
  std::string description;  // UTF-8, lines split by '\n'
  std::vector<std::string> categories;
  bool holiday = false;  // our own mark, X-KALENDRINA-HOLIDAY
  IcsRule rule;
  std::vector<IcsOccurrence> occurrences;  // in order, at most the limit asked for
};

struct IcsCalendar {
  bool parsed = false;  // false when the text holds no calendar at all
  std::vector<IcsEvent> events;
  // Components and rules that could not be taken: to-dos, journals,
  // free/busy, events without a start, rules libical cannot read, and
  // occurrences outside the years 1 to 9999.
  int skipped = 0;
};

// Parses the text and expands every event to at most maxOccurrences
// occurrences. Never throws; damaged input gives what could be read.
IcsCalendar ReadIcs(std::string_view text, std::size_t maxOccurrences);

// An event to write. With a rule, `days` holds only DTSTART and `exdates`
// the rule's dates left out; without one, days[1...] are written as RDATEs.
struct IcsOutEvent {
  std::string uid;
  std::string summary;      // UTF-8
  std::string description;  // UTF-8, may be empty
  std::string category;     // empty: no CATEGORIES
  bool holiday = false;
  int startHour = -1;  // -1: all-day, written as VALUE=DATE
  int startMinute = 0;
  int endHour = -1;  // -1: no end time
  int endMinute = 0;
  std::vector<IcsDay> days;
  std::string rrule;  // e.g. "FREQ=WEEKLY;INTERVAL=2;COUNT=10"
  std::vector<IcsDay> exdates;
};

// The text of a VCALENDAR holding the events, lines ending in CRLF. Times are
// floating (local, no time zone). `stamp` is the DTSTAMP, as 20240101T120000Z.
std::string WriteIcs(const std::vector<IcsOutEvent>& events, const std::string& stamp);

// The dates the rule (without COUNT or UNTIL) gives from `start` up to and
// including `last`, at most `max` of them; empty when libical cannot read it.
std::vector<IcsDay> ExpandIcsRule(const std::string& rrule, IcsDay start, IcsDay last, std::size_t max);

// The current time as a DTSTAMP value.
std::string IcsStampNow();

}  // namespace kal
