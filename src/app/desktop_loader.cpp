// The executable's side of desktop_module.h.
#include <cstdio>
#include <filesystem>

#include "app/desktop_module.h"
#include "platform/file_system.h"
#include "platform/module_loader.h"

namespace kal {

namespace {

void* DesktopEntry(const char* symbol) {
  const std::string folder = ProgramFolder();
  std::error_code ec;
  std::string path = folder + KALENDRINA_MODULE_DIR + "/" + kDesktopModuleFile;
  if (!std::filesystem::exists(path, ec)) path = folder + kDesktopModuleFile;
  if (!std::filesystem::exists(path, ec)) {
    std::fprintf(stderr, "kalendrina: the desktop part %s is missing from %s%s and from %s\n", kDesktopModuleFile,
                 folder.c_str(), KALENDRINA_MODULE_DIR, folder.c_str());
    return nullptr;
  }
  std::string error;
  void* entry = LoadModuleSymbol(path, symbol, error);
  if (entry == nullptr) std::fprintf(stderr, "kalendrina: cannot load the desktop part: %s\n", error.c_str());
  return entry;
}

}  // namespace

int StartDesktop(const std::string& dataFolder, const std::string& commandLine) {
  const auto run = reinterpret_cast<RunDesktopEntry>(DesktopEntry(kRunDesktopSymbol));
  return run != nullptr ? run(dataFolder.c_str(), commandLine.c_str()) : 2;
}

int StartScript(const std::string& scriptPath, const std::string& dataFolder) {
  const auto run = reinterpret_cast<RunScriptEntry>(DesktopEntry(kRunScriptSymbol));
  return run != nullptr ? run(scriptPath.c_str(), dataFolder.c_str()) : 2;
}

int WriteChart(const ChartRequest& request) {
  const auto run = reinterpret_cast<WriteChartEntry>(DesktopEntry(kWriteChartSymbol));
  return run != nullptr ? run(&request) : 2;
}

int RunImport(ImportRequest& request) {
  const auto run = reinterpret_cast<ImportEntry>(DesktopEntry(kImportSymbol));
  return run != nullptr ? run(&request) : 2;
}

}  // namespace kal
