// Built into the desktop executable only: it is the whole program, and finds
// its entry points in itself.
#include <cstdio>

#include "app/desktop_module.h"
#include "platform/file_system.h"
#include "platform/process_image.h"

namespace kal {

void PrepareProgram(char**) {
  // Started by the command line, this run belongs to the command line's
  // folder: the portable data folder and the help file are beside it.
  const std::string launcher = TakeEnvironment(kLauncherFolderVariable);
  if (!launcher.empty()) SetProgramFolder(launcher);
}

bool HandsOver(const std::vector<std::string>&) { return false; }

int HandOver() { return 2; }

void* DesktopEntry(const char* symbol) {
  std::string error;
  void* entry = FindOwnSymbol(symbol, error);
  if (entry == nullptr) std::fprintf(stderr, "kalendrina: %s\n", error.c_str());
  return entry;
}

}  // namespace kal
