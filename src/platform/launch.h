// Starting other programs: the web browser for the help page and web
// addresses, and a program after an update.
//
// A Launcher finds programs and starts them without waiting. Programs are
// started directly with their one argument, never through a shell, so no
// character of the argument is interpreted. The system's launcher looks
// programs up in PATH; tests put in one of their own that records what was
// started. Launchers are owned by whoever creates them; SystemLauncher lives
// for the whole program.
#pragma once

#include <string>
#include <string_view>

namespace kal {

struct LaunchResult {
  bool started = false;
  std::string program;  // what was started
  std::string error;    // why not, when not started
};

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts a program (a path, or a name looked up in PATH) with one argument.
  virtual LaunchResult Start(const std::string& program, const std::string& argument) = 0;
  // The path of an executable program of that name (a path, or looked up in
  // PATH); empty when there is none.
  virtual std::string FindProgram(const std::string& name) = 0;
  // An environment variable, empty when unset.
  virtual std::string Environment(const std::string& name) = 0;
};

// Starts programs with SpawnDetached and finds them in PATH.
Launcher& SystemLauncher();

// The path of the executable regular file `name` names (a path), or of the
// first one of that name in PATH ("/usr/local/bin:/usr/bin:/bin" when PATH is
// unset); empty when there is none.
std::string FindProgramInPath(const std::string& name);

// Starts `program` (looked up in PATH) with one argument and reaps it in the
// background. Not started when the program cannot be run.
LaunchResult SpawnDetached(const std::string& program, const std::string& argument);

// A web address with the characters browsers do not take literally escaped:
// "%" first (so the escapes added later stay as they are), then blank < > # { }
// | \ ^ ~ [ ] and the grave accent.
std::string EscapeWebAddress(std::string_view address);

}  // namespace kal
