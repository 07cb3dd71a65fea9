#include "platform/ical_file.h"

#include <libical/ical.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <strings.h>

namespace kal {

namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr const char* kHolidayProperty = "X-KALENDRINA-HOLIDAY";

void QuietErrors() {
  // A damaged file must come back as "nothing readable", never as an abort
  // inside the library.
  static const bool once = [] {
    icalerror_set_errors_are_fatal(0);
    return true;
  }();
  (void)once;
}

bool InRange(const icaltimetype& t) {
  return !icaltime_is_null_time(t) && t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= icaltime_days_in_month(t.month, t.year);
}

bool Floating(const icaltimetype& t) { return !t.is_date && t.zone == nullptr && !icaltime_is_utc(t); }

// Seconds on one scale for comparing and measuring: zoned and UTC times as
// UTC, floating times and dates by their wall clock read as UTC.
long long Seconds(const icaltimetype& t) {
  if (t.is_date || Floating(t)) {
    icaltimetype wall = t;
    wall.zone = nullptr;
    return static_cast<long long>(icaltime_as_timet(wall));
  }
  // icaltime_as_timet_with_zone(t, utc) gives the wall clock unconverted for
  // zones read from a VTIMEZONE; converting first gives the real instant.
  icaltimetype utc = icaltime_convert_to_zone(t, icaltimezone_get_utc_timezone());
  utc.zone = nullptr;
  return static_cast<long long>(icaltime_as_timet(utc));
}

// A date or time property's value with its TZID resolved: from the file's
// own VTIMEZONE, else from the system's zone database by name.
icaltimetype TimeOf(icalproperty* p, icalcomponent* owner) {
  icaltimetype t = icalproperty_get_datetime_with_component(p, owner);
  if (icaltime_is_null_time(t) || t.is_date || t.zone != nullptr || icaltime_is_utc(t)) return t;
  if (icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER)) {
    const char* name = icalparameter_get_tzid(tzid);
    if (name != nullptr) {
      if (icaltimezone* zone = icaltimezone_get_builtin_timezone(name)) icaltime_set_timezone(&t, zone);
    }
  }
  return t;
}

// The local wall clock of a time shifted by `offset` seconds.
bool LocalOf(const icaltimetype& t, long long offset, IcsDay& day, int& hour, int& minute) {
  if (t.is_date || Floating(t)) {
    const long long s = Seconds(t) + offset;
    icaltimetype wall = icaltime_from_timet_with_zone(static_cast<time_t>(s), t.is_date, nullptr);
    day = {wall.year, wall.month, wall.day};
    hour = wall.hour;
    minute = wall.minute;
  } else {
    const time_t s = static_cast<time_t>(Seconds(t) + offset);
    struct tm local {};
    if (localtime_r(&s, &local) == nullptr) return false;
    day = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    hour = local.tm_hour;
    minute = local.tm_min;
  }
  return day.year >= 1 && day.year <= 9999;
}

std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string(); }

std::string Trim(std::string s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

IcsRule RuleOf(const icalrecurrencetype& r) {
  IcsRule rule;
  rule.freq = Text(icalrecur_freq_to_string(r.freq));
  rule.interval = r.interval > 0 ? r.interval : 1;
  for (int i = 0; i < ICAL_BY_DAY_SIZE && r.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    const int weekday = static_cast<int>(icalrecurrencetype_day_day_of_week(r.by_day[i])) - 1;
    if (weekday >= 0) rule.byDay.emplace_back(icalrecurrencetype_day_position(r.by_day[i]), weekday);
  }
  for (int i = 0; i < ICAL_BY_MONTHDAY_SIZE && r.by_month_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    rule.byMonthDay.push_back(r.by_month_day[i]);
  }
  for (int i = 0; i < ICAL_BY_MONTH_SIZE && r.by_month[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    rule.byMonth.push_back(icalrecurrencetype_month_month(r.by_month[i]));
  }
  for (int i = 0; i < ICAL_BY_SETPOS_SIZE && r.by_set_pos[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    rule.bySetPos.push_back(r.by_set_pos[i]);
  }
  return rule;
}

// Dates left out of a series: by day for DATE values, by instant otherwise.
struct Exclusions {
  std::set<IcsDay> days;
  std::set<long long> instants;
  void Add(const icaltimetype& t) {
    if (icaltime_is_null_time(t)) return;
    if (t.is_date) {
      days.insert({t.year, t.month, t.day});
    } else {
      instants.insert(Seconds(t));
    }
  }
  bool Excludes(const icaltimetype& t) const {
    return days.count({t.year, t.month, t.day}) != 0 || instants.count(Seconds(t)) != 0;
  }
  std::size_t size() const { return days.size() + instants.size(); }
};

using MovedInstances = std::map<std::string, std::vector<icaltimetype>>;

std::string UidOf(icalcomponent* ev) { return Text(icalcomponent_get_uid(ev)); }

class Reader {
 public:
  explicit Reader(std::size_t maxOccurrences) : max_(maxOccurrences) {}

  void Calendar(icalcomponent* cal) {
    // Instances moved by a RECURRENCE-ID stand as events of their own and
    // leave a gap in their series.
    MovedInstances moved;
    for (icalcomponent* c = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); c != nullptr;
         c = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
      if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) {
        moved[UidOf(c)].push_back(TimeOf(p, c));
      }
    }
    for (icalcomponent* c = icalcomponent_get_first_component(cal, ICAL_ANY_COMPONENT); c != nullptr;
         c = icalcomponent_get_next_component(cal, ICAL_ANY_COMPONENT)) {
      const icalcomponent_kind kind = icalcomponent_isa(c);
      if (kind == ICAL_VEVENT_COMPONENT) {
        Event(c, moved);
      } else if (kind != ICAL_VTIMEZONE_COMPONENT) {
        ++out.skipped;
      }
    }
  }

  void Event(icalcomponent* ev, const MovedInstances& moved) {
    icalproperty* startProperty = icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY);
    const icaltimetype start = startProperty != nullptr ? TimeOf(startProperty, ev) : icaltime_null_time();
    if (!InRange(start)) {
      ++out.skipped;
      return;
    }
    IcsEvent e;
    e.summary = Text(icalcomponent_get_summary(ev));
    e.description = Text(icalcomponent_get_description(ev));
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_CATEGORIES_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(ev, ICAL_CATEGORIES_PROPERTY)) {
      std::string list = Text(icalproperty_get_categories(p));
      std::size_t from = 0;
      while (from <= list.size()) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        if (std::string name = Trim(list.substr(from, comma - from)); !name.empty()) e.categories.push_back(name);
        from = comma + 1;
      }
    }
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_X_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(ev, ICAL_X_PROPERTY)) {
      const char* name = icalproperty_get_x_name(p);
      const char* value = icalproperty_get_value_as_string(p);
      if (name != nullptr && value != nullptr && strcasecmp(name, kHolidayProperty) == 0) {
        e.holiday = strcasecmp(value, "TRUE") == 0;
      }
    }

    const long long length = Length(ev, start);
    Exclusions excluded;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(ev, ICAL_EXDATE_PROPERTY)) {
      excluded.Add(TimeOf(p, ev));
    }
    if (icalcomponent_get_first_property(ev, ICAL_RECURRENCEID_PROPERTY) == nullptr) {
      if (auto it = moved.find(UidOf(ev)); it != moved.end()) {
        for (const icaltimetype& t : it->second) excluded.Add(t);
      }
    }

    std::vector<icaltimetype> starts{start};
    Recur(ev, start, max_ + excluded.size(), e.rule, starts);
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(ev, ICAL_RDATE_PROPERTY)) {
      icaltimetype t = TimeOf(p, ev);
      if (icaltime_is_null_time(t)) t = icalproperty_get_rdate(p).period.start;
      if (InRange(t)) {
        // An RDATE of another kind than DTSTART would change the event's length.
        t.is_date = start.is_date;
        starts.push_back(t);
      } else {
        ++out.skipped;
      }
    }
    std::stable_sort(starts.begin(), starts.end(),
                     [](const icaltimetype& a, const icaltimetype& b) { return Seconds(a) < Seconds(b); });
    long long last = 0;
    for (const icaltimetype& t : starts) {
      if (e.occurrences.size() >= max_) break;
      if ((!e.occurrences.empty() && Seconds(t) == last) || excluded.Excludes(t)) continue;
      last = Seconds(t);
      IcsOccurrence o;
      int hour = 0, minute = 0;
      if (!LocalOf(t, 0, o.day, hour, minute)) {
        ++out.skipped;
        continue;
      }
      if (t.is_date) {
        int h = 0, m = 0;
        const long long days = std::max(1LL, (length + kSecondsPerDay - 1) / kSecondsPerDay);
        LocalOf(t, (days - 1) * kSecondsPerDay, o.lastDay, h, m);
      } else {
        o.startHour = hour;
        o.startMinute = minute;
        o.lastDay = o.day;
        if (length > 0 && !LocalOf(t, length, o.lastDay, o.endHour, o.endMinute)) o.endHour = -1;
      }
      e.occurrences.push_back(o);
    }
    if (!e.occurrences.empty()) out.events.push_back(std::move(e));
  }

  IcsCalendar out;

 private:
  // The event's length in seconds: DTEND, else DURATION, else a day for a
  // date and nothing for a time.
  static long long Length(icalcomponent* ev, const icaltimetype& start) {
    long long length = start.is_date ? kSecondsPerDay : 0;
    if (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_DTEND_PROPERTY)) {
      const icaltimetype end = TimeOf(p, ev);
      if (InRange(end)) length = Seconds(end) - Seconds(start);
    } else if (icalproperty* d = icalcomponent_get_first_property(ev, ICAL_DURATION_PROPERTY)) {
      length = icaldurationtype_as_int(icalproperty_get_duration(d));
    }
    // A negative length is a mistake in the file; a year-long one is not
    // something a day's entry can show.
    return std::clamp(length, 0LL, 366 * kSecondsPerDay);
  }

  void Recur(icalcomponent* ev, const icaltimetype& start, std::size_t budget, IcsRule& rule,
             std::vector<icaltimetype>& starts) {
    bool first = true;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(ev, ICAL_RRULE_PROPERTY)) {
      const icalrecurrencetype r = icalproperty_get_rrule(p);
      icalrecur_iterator* it = first && r.freq != ICAL_NO_RECURRENCE ? icalrecur_iterator_new(r, start) : nullptr;
      if (it == nullptr) {
        // A second rule, or one libical cannot read, is left out.
        ++out.skipped;
        continue;
      }
      first = false;
      rule = RuleOf(r);
      for (std::size_t n = 0; n < budget; ++n) {
        icaltimetype t = icalrecur_iterator_next(it);
        if (icaltime_is_null_time(t) || t.year > 9999) break;
        icaltime_set_timezone(&t, start.zone);
        if (InRange(t)) starts.push_back(t);
      }
      icalrecur_iterator_free(it);
    }
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_EXRULE_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(ev, ICAL_EXRULE_PROPERTY)) {
      ++out.skipped;
    }
  }

  std::size_t max_;
};

icaltimetype MakeTime(const IcsDay& d, int hour, int minute) {
  icaltimetype t = icaltime_null_time();
  t.year = d.year;
  t.month = d.month;
  t.day = d.day;
  if (hour < 0) {
    t.is_date = 1;
  } else {
    t.hour = hour;
    t.minute = minute;
  }
  return t;
}

// A date or date-time property made from its text: libical's value
// constructors write a year after 3000 as 00000000, its parser keeps it.
icalproperty* DateProperty(const char* name, const IcsDay& d, int hour, int minute) {
  char value[32];
  if (hour < 0) {
    std::snprintf(value, sizeof value, ";VALUE=DATE:%04d%02d%02d", d.year, d.month, d.day);
  } else {
    std::snprintf(value, sizeof value, ":%04d%02d%02dT%02d%02d00", d.year, d.month, d.day, hour, minute);
  }
  return icalproperty_new_from_string((std::string(name) + value).c_str());
}

void AddDate(icalcomponent* ev, const char* name, const IcsDay& d, int hour, int minute) {
  if (icalproperty* p = DateProperty(name, d, hour, minute)) icalcomponent_add_property(ev, p);
}

IcsDay NextDayOf(const IcsDay& d) {
  if (d.day < icaltime_days_in_month(d.month, d.year)) return {d.year, d.month, d.day + 1};
  if (d.month < 12) return {d.year, d.month + 1, 1};
  return {d.year + 1, 1, 1};
}

}  // namespace

IcsCalendar ReadIcs(std::string_view text, std::size_t maxOccurrences) {
  QuietErrors();
  Reader reader(maxOccurrences);
  const std::string copy(text);
  icalcomponent* root = icalparser_parse_string(copy.c_str());
  if (root == nullptr) return reader.out;
  reader.out.parsed = true;
  switch (icalcomponent_isa(root)) {
    case ICAL_VCALENDAR_COMPONENT:
      reader.Calendar(root);
      break;
    case ICAL_XROOT_COMPONENT:
      // Several calendars one after the other, as concatenated files are.
      for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_ANY_COMPONENT); c != nullptr;
           c = icalcomponent_get_next_component(root, ICAL_ANY_COMPONENT)) {
        if (icalcomponent_isa(c) == ICAL_VCALENDAR_COMPONENT) {
          reader.Calendar(c);
        } else {
          ++reader.out.skipped;
        }
      }
      break;
    case ICAL_VEVENT_COMPONENT:
      reader.Event(root, {});
      break;
    default:
      reader.out.parsed = false;
      break;
  }
  icalcomponent_free(root);
  return reader.out;
}

std::string WriteIcs(const std::vector<IcsOutEvent>& events, const std::string& stamp) {
  QuietErrors();
  icalcomponent* cal = icalcomponent_new_vcalendar();
  icalcomponent_add_property(cal, icalproperty_new_version("2.0"));
  icalcomponent_add_property(cal, icalproperty_new_prodid("-//Kalendrina//Kalendrina//EN"));
  const icaltimetype dtstamp = icaltime_from_string(stamp.c_str());
  for (const IcsOutEvent& e : events) {
    if (e.days.empty()) continue;
    icalcomponent* ev = icalcomponent_new_vevent();
    icalcomponent_add_property(ev, icalproperty_new_uid(e.uid.c_str()));
    icalcomponent_add_property(ev, icalproperty_new_dtstamp(dtstamp));
    AddDate(ev, "DTSTART", e.days[0], e.startHour, e.startMinute);
    if (e.startHour < 0) {
      AddDate(ev, "DTEND", NextDayOf(e.days[0]), -1, 0);
    } else if (e.endHour >= 0) {
      AddDate(ev, "DTEND", e.days[0], e.endHour, e.endMinute);
    }
    icalcomponent_add_property(ev, icalproperty_new_summary(e.summary.c_str()));
    if (!e.description.empty()) icalcomponent_add_property(ev, icalproperty_new_description(e.description.c_str()));
    if (!e.category.empty()) icalcomponent_add_property(ev, icalproperty_new_categories(e.category.c_str()));
    if (e.holiday) {
      icalproperty* mark = icalproperty_new_x("TRUE");
      icalproperty_set_x_name(mark, kHolidayProperty);
      icalcomponent_add_property(ev, mark);
    }
    if (!e.rrule.empty()) {
      icalcomponent_add_property(ev, icalproperty_new_rrule(icalrecurrencetype_from_string(e.rrule.c_str())));
      for (const IcsDay& d : e.exdates) AddDate(ev, "EXDATE", d, e.startHour, e.startMinute);
    } else {
      for (std::size_t i = 1; i < e.days.size(); ++i) AddDate(ev, "RDATE", e.days[i], e.startHour, e.startMinute);
    }
    icalcomponent_add_component(cal, ev);
  }
  char* text = icalcomponent_as_ical_string_r(cal);
  std::string out = text != nullptr ? text : "";
  icalmemory_free_buffer(text);
  icalcomponent_free(cal);
  return out;
}

std::vector<IcsDay> ExpandIcsRule(const std::string& rrule, IcsDay start, IcsDay last, std::size_t max) {
  QuietErrors();
  std::vector<IcsDay> days;
  const icalrecurrencetype r = icalrecurrencetype_from_string(rrule.c_str());
  if (r.freq == ICAL_NO_RECURRENCE) return days;
  icalrecur_iterator* it = icalrecur_iterator_new(r, MakeTime(start, -1, 0));
  if (it == nullptr) return days;
  while (days.size() < max) {
    const icaltimetype t = icalrecur_iterator_next(it);
    if (icaltime_is_null_time(t)) break;
    const IcsDay d{t.year, t.month, t.day};
    if (last < d) break;
    days.push_back(d);
  }
  icalrecur_iterator_free(it);
  return days;
}

std::string IcsStampNow() {
  char* text = icaltime_as_ical_string_r(icaltime_current_time_with_zone(icaltimezone_get_utc_timezone()));
  std::string out = text != nullptr ? text : "";
  icalmemory_free_buffer(text);
  return out;
}

}  // namespace kal
