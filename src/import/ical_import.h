// iCalendar files into the event store. Each VEVENT (with its RRULE, RDATEs,
// EXDATEs and time zone already applied by the reader) becomes a group of its
// own: up to GroupSize records on the dates the file gives, in local time,
// carrying the repeat mode closest to the file's rule so that the editor's
// "Save All" treats them as one series.
#pragma once

#include <string>
#include <string_view>

#include "health/units.h"
#include "platform/ical_file.h"
#include "store/categories.h"
#include "store/event_store.h"
#include "store/host.h"

namespace kal {

struct IcsImportResult {
  bool readable = false;  // the file was read and holds a calendar
  int events = 0;         // events and series imported, one group each
  int records = 0;        // records appended
  int skipped = 0;        // parts left out as unsupported
  std::string error;      // set when nothing could be imported or saved
};

// The repeat mode nearest to an iCalendar rule; RepeatOnce without a rule.
int ClosestRepeatMode(const IcsRule& rule);

// Appends the events of the text to the store. Does not save.
IcsImportResult AddIcsEvents(EventStore& s, const CategoryTable& categories, std::string_view text,
                             Host& host = SilentHost());

// Reads the file, appends its events and saves; failures are in `error`.
IcsImportResult ImportIcsFile(EventStore& s, const CategoryTable& categories, const UnitModes& units,
                              const std::string& path, Host& host);

// The closing message, lines split by "|" as the message dialog takes them.
std::string IcsImportMessage(const IcsImportResult& result, const std::string& path);

}  // namespace kal
