#include <iostream>
#include <string>
#include <vector>

#include "app/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool handled = false;
  const int status = kal::RunCommandLine(args, std::cout, std::cerr, handled);
  if (handled) return status;
  std::cerr << "kalendrina: the desktop window is not available in this build yet; see --help\n";
  return kal::kExitUsage;
}
