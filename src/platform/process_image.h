// The running program's own image: its entry points found by name, and
// handing the process over to another of the program's executables.
//
// The program is two executables. The command line ("kalendrina") holds the
// storage and calendar code only, so it starts without the display, font and
// image libraries; it hands every run that draws over to the desktop
// executable, which finds its entry points by name in itself.
#pragma once

#include <string>

namespace kal {

// The address of an entry point the executable exports, or null with the
// loader's reason in `error`.
void* FindOwnSymbol(const char* symbol, std::string& error);

// Replaces the process with the executable at `path`, given `argv` (argv[0]
// included, null-terminated) and the environment, with `name`=`value` added.
// Returns only when that fails, with the reason in `error`.
void ReplaceProcess(const std::string& path, char* const* argv, const char* name, const std::string& value,
                    std::string& error);

// Takes the value of the environment variable `name` out of the environment
// (so programs started later do not inherit it); empty when it is not set.
std::string TakeEnvironment(const char* name);

}  // namespace kal
