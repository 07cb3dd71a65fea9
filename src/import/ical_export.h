// Generic events out as an iCalendar file. The records of a group that share
// everything but their dates make one VEVENT: with an RRULE when the rule the
// group was made with gives exactly those dates (leaving out, as EXDATEs,
// occurrences deleted since), else with the dates as RDATEs. Health records
// are not events and stay out.
#pragma once

#include <optional>
#include <string>

#include "calendar/dates.h"
#include "store/categories.h"
#include "store/event_store.h"

namespace kal {

struct IcsExportFilter {
  std::optional<PackedDate> from;
  std::optional<PackedDate> to;
  std::optional<int> category;
};

struct IcsExport {
  std::string text;
  int events = 0;   // VEVENTs written
  int records = 0;  // records they hold
};

// The RRULE (without COUNT) of a repeat mode for a group starting on
// `first`; empty for the modes iCalendar cannot say (working-day shifts, the
// last full week, one-time events).
std::string RuleForRepeatMode(int mode, const Ymd& first);

IcsExport ExportIcs(const EventStore& s, const CategoryTable& categories, const IcsExportFilter& filter,
                    const std::string& stamp);

}  // namespace kal
