// The health readings as CSV for other programs (a spreadsheet, a doctor's
// software): RFC 4180 quoting, CRLF line ends, UTF-8, one header row.
//
// Columns: the ISO date, the category's name, with no kind chosen the record
// kind's number, then one column per field of the chosen kind (or of every
// health kind) in the units the options show: weights in pounds or kg,
// lengths in inches or cm, readings as typed. A field a record does not have
// or did not fill in is an empty cell.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "health/units.h"
#include "store/categories.h"
#include "store/event_store.h"

namespace kal {

struct CsvFilter {
  std::optional<std::uint32_t> kind;      // 3-7; none: every health kind
  std::optional<int> category;
  std::optional<std::int32_t> from, to;   // packed dates, inclusive
};

// Appends the header row and one row per live health record that passes the
// filter, in file (date) order.
void WriteHealthCsv(const EventStore& s, const CategoryTable& categories, const UnitModes& units,
                    const CsvFilter& filter, std::string& out);

// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

}  // namespace kal
