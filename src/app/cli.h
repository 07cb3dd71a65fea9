// The command line: headless commands that work on the same data as the
// desktop program. Exit status 0 on success, 1 on a usage error, 2 when the
// data cannot be read or written; every failure is one line on standard error.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kal {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitData = 2;

// Runs the command named by args[0] (the arguments after the program name).
// Returns false in `handled` when args name no command, so the caller starts
// the desktop program instead.
// The `wallpaper` command (cli_wallpaper.cpp).
int WallpaperCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool& handled);

}  // namespace kal
