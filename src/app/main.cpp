#include <iostream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/desktop_module.h"

int main(int argc, char** argv) {
  kal::PrepareProgram(argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (kal::HandsOver(args)) return kal::HandOver();
  bool handled = false;
  const int status = kal::RunCommandLine(args, std::cout, std::cerr, handled);
  if (handled) return status;

  // The desktop program: "--data DIR" chooses the data folder; everything
  // else is the command line it interprets itself ("/silent").
  std::string dataFolder;
  std::string commandLine;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--data" && i + 1 < args.size()) {
      dataFolder = args[++i];
    } else {
      if (!commandLine.empty()) commandLine += ' ';
      commandLine += args[i];
    }
  }
  return kal::StartDesktop(dataFolder, commandLine);
}
