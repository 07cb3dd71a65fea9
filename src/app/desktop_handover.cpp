// Built into the command line only: every run that draws goes to the desktop
// executable.
#include <cstdio>
#include <filesystem>

#include "app/desktop_module.h"
#include "platform/file_system.h"
#include "platform/process_image.h"

namespace kal {

namespace {

char** arguments = nullptr;

}  // namespace

void PrepareProgram(char** argv) { arguments = argv; }

bool HandsOver(const std::vector<std::string>& args) {
  // Without a command (or with only the desktop's own options) the window
  // opens. The commands that draw are handed over before they do anything, so
  // nothing they prepare (a temporary script) is left behind by the handover.
  if (args.empty() || args[0] == "--data" || args[0].rfind('/', 0) == 0) return true;
  for (const char* command : {"screenshot", "run-script", "chart", "wallpaper", "print", "export-ics", "import-ics",
                              "import"}) {
    if (args[0] == command) return true;
  }
  return false;
}

int HandOver() {
  const std::string folder = ProgramFolder();
  std::error_code ec;
  std::string path = folder + KALENDRINA_MODULE_DIR + "/" + kDesktopProgramFile;
  if (!std::filesystem::exists(path, ec)) path = folder + kDesktopProgramFile;
  if (!std::filesystem::exists(path, ec)) {
    std::fprintf(stderr, "kalendrina: the desktop part %s is missing from %s%s and from %s\n", kDesktopProgramFile,
                 folder.c_str(), KALENDRINA_MODULE_DIR, folder.c_str());
    return 2;
  }
  if (arguments == nullptr) {
    std::fprintf(stderr, "kalendrina: cannot start the desktop part: no arguments\n");
    return 2;
  }
  std::string error;
  ReplaceProcess(path, arguments, kLauncherFolderVariable, folder, error);
  std::fprintf(stderr, "kalendrina: cannot start the desktop part %s: %s\n", path.c_str(), error.c_str());
  return 2;
}

void* DesktopEntry(const char*) {
  HandOver();
  return nullptr;
}

}  // namespace kal
