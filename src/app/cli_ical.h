// The iCalendar commands of the command line; libical is reached through the
// desktop module, so the executable itself never loads it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kal {

// "usage" lines for the command list of --help.
extern const char* const kIcalUsageLines;

int ExportIcsCommand(const std::vector<std::string>& args, std::ostream& out);
int ImportIcsCommand(const std::vector<std::string>& args, std::ostream& out);

}  // namespace kal
