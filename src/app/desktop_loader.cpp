// Reaching the desktop entry points (see desktop_module.h).
#include "app/desktop_module.h"

namespace kal {

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

int WriteWallpaper(const WallpaperRequest& request) {
  const auto run = reinterpret_cast<WriteWallpaperEntry>(DesktopEntry(kWriteWallpaperSymbol));
  return run != nullptr ? run(&request) : 2;
}

int WritePrint(const PrintRequest& request) {
  const auto run = reinterpret_cast<WritePrintEntry>(DesktopEntry(kWritePrintSymbol));
  return run != nullptr ? run(&request) : 2;
}

int ImportIcs(IcsImportRequest& request) {
  const auto run = reinterpret_cast<ImportIcsEntry>(DesktopEntry(kImportIcsSymbol));
  return run != nullptr ? run(&request) : 2;
}

int ExportIcs(IcsExportRequest& request) {
  const auto run = reinterpret_cast<ExportIcsEntry>(DesktopEntry(kExportIcsSymbol));
  return run != nullptr ? run(&request) : 2;
}

int RunImport(ImportRequest& request) {
  const auto run = reinterpret_cast<ImportEntry>(DesktopEntry(kImportSymbol));
  return run != nullptr ? run(&request) : 2;
}

}  // namespace kal
