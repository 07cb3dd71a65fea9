// Running another program and reading what it prints: the desktop settings
// tools (gsettings, xfconf-query, dbus-send) are reached this way.
//
// A program is started from an argument vector, never through a shell, so no
// file name or setting value is ever read as shell syntax. Callers hold a
// ProcessRunner so that tests can put a recorder in its place and check the
// exact calls.
#pragma once

#include <string>
#include <vector>

namespace kal {

struct ProcessResult {
  bool started = false;   // false: the program could not be run at all
  int exitStatus = -1;    // the exit status; -1 when killed or not started
  std::string output;     // standard output, at most kMaxProcessOutput bytes
  std::string error;      // why it did not start or was stopped; empty otherwise

  bool ok() const { return started && exitStatus == 0; }
};

inline constexpr std::size_t kMaxProcessOutput = 1 << 20;

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Runs argv[0] (looked up in PATH) with the arguments and waits for it.
  virtual ProcessResult Run(const std::vector<std::string>& argv) = 0;
};

// The real runner: standard input is /dev/null, standard error is dropped,
// and a program that has not finished after `timeoutMs` is killed, so a
// settings tool waiting for a bus that never answers cannot hang the program.
class SystemProcessRunner : public ProcessRunner {
 public:
  explicit SystemProcessRunner(int timeoutMs = 5000) : timeoutMs_(timeoutMs) {}
  ProcessResult Run(const std::vector<std::string>& argv) override;

 private:
  int timeoutMs_;
};

// True when a program of that name can be found in PATH.
bool ProgramInPath(const std::string& name);

}  // namespace kal
