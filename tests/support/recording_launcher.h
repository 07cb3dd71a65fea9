// A launcher for tests: knows the programs it is given ("xdg-open" unless
// told otherwise) and records what it is asked to start instead of starting it.
#pragma once

#include <string>
#include <vector>

#include "platform/launch.h"

namespace kal::test {

struct RecordingLauncher : Launcher {
  LaunchResult Start(const std::string& program, const std::string& argument) override {
    started.push_back(program);
    opened.push_back(argument);
    return LaunchResult{startWorks, program, startWorks ? "" : "No such file or directory"};
  }
  std::string FindProgram(const std::string& name) override {
    for (const std::string& p : programs) {
      if (p == name || p.substr(p.rfind('/') + 1) == name) return p;
    }
    return std::string();
  }
  std::string Environment(const std::string& name) override { return name == "BROWSER" ? browserVariable : ""; }
  std::vector<std::string> programs{"/usr/bin/xdg-open"};
  std::string browserVariable;
  bool startWorks = true;
  std::vector<std::string> started;  // programs
  std::vector<std::string> opened;   // their arguments
};

}  // namespace kal::test
