// Handing a document or a web address to the desktop: the help page, the
// maker's web site.
//
// A Launcher starts another program and does not wait for it. The desktop's
// launcher runs "xdg-open" with the target as its one argument (never through
// a shell, so no character of the target is interpreted); tests put in a
// launcher of their own that records what was asked. Launchers are owned by
// whoever creates them; SystemLauncher lives for the whole program.
#pragma once

#include <string>
#include <string_view>

namespace kal {

struct LaunchResult {
  bool started = false;
  std::string program;  // what was started ("xdg-open")
  std::string error;    // why not, when not started
};

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Opens a local file or a web address with the desktop's default handler.
  virtual LaunchResult Open(const std::string& target) = 0;
};

// The desktop's default handler through xdg-open.
Launcher& SystemLauncher();

// Starts `program` (looked up in PATH) with one argument and reaps it in the
// background. Not started when the program cannot be run.
LaunchResult SpawnDetached(const std::string& program, const std::string& argument);

// A web address with the characters browsers do not take literally escaped:
// "%" first (so the escapes added later stay as they are), then blank < > # { }
// | \ ^ ~ [ ] and the grave accent.
std::string EscapeWebAddress(std::string_view address);

}  // namespace kal
