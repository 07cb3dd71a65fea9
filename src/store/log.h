// The diagnostics log, "error.log" in the data folder.
//
// One line per entry, each ended by CR LF, without time stamps. Every line
// opens the file, appends and closes it again, so the log survives a crash up
// to its last line. The path is set once at start-up, before the first line;
// until then (and in tests that never set it) LogLine does nothing. Lines from
// the user-interface and the update thread never interleave.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kal {

void SetErrorLogFile(const std::string& path);
std::string ErrorLogFile();

// Appends text + CR LF; creates the log when it is missing.
void LogLine(std::string_view text);
// Deletes the log so that each run starts a new one.
void DeleteErrorLog();

// A number as log lines show it: decimal with a leading blank when not
// negative (" 1024"), with a minus sign otherwise ("-5").
std::string LogNumber(std::int64_t value);

}  // namespace kal
