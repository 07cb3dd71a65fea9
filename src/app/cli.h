// The command line: headless commands that work on the same data as the
// desktop program. Exit status 0 on success, 1 on a usage error, 2 when the
// data cannot be read or written; every failure is one line on standard error.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "health/units.h"
#include "store/event_store.h"
#include "store/host.h"

namespace kal {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitData = 2;

// Runs the command named by args[0] (the arguments after the program name).
// Returns false in `handled` when args name no command, so the caller starts
// the desktop program instead.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool& handled);

// For commands in files of their own (cli_<name>.cpp): loads the event store
// of the data folder (dataFolder, or the default when empty) under the
// data-folder lock, as "add" does, and runs `work` on it with the units of the
// settings and a host that keeps the last error. Called from a command that
// RunCommandLine runs: failures to get there end the command as its own
// usage and data errors do (status 1 or 2, one line on standard error).
int WithLockedEvents(const std::string& dataFolder, const char* holder,
                     const std::function<int(EventStore&, const UnitModes&, Host&)>& work);

// kalendrina import event10|corvit10 FILE [--data DIR] (cli_import.cpp).
int ImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kal
