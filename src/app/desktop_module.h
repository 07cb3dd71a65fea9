// The desktop half of the program: the window, the screens, fonts and
// pictures, in the module "kalendrina-desktop.so". The executable holds the
// storage and calendar code and the command line, and loads the module only
// to open the window or to render screens headlessly (screenshot,
// run-script), so those commands alone pay for the display, font and image
// libraries. The module uses the executable's own storage and calendar code.
//
// The module is looked for in the library folder of an installed program
// (KALENDRINA_MODULE_DIR, relative to the executable's folder), then beside
// the executable, where the build puts it.
#pragma once

#include <cstdint>
#include <string>

#include "health/trends.h"
#include "store/event_store.h"
#include "store/host.h"
#include "health/units.h"

namespace kal {

inline constexpr const char* kDesktopModuleFile = "kalendrina-desktop.so";

// The module's entry points, C functions so that the loader finds them by
// plain name. Both return the exit status and report problems on standard
// error, as RunDesktop and RunScript do.
// Defined in the module only.
// A trend chart to draw and write as a PNG; the command line has read the
// readings, the module has the fonts and the picture writer.
struct ChartRequest {
  const TrendSeries* series = nullptr;
  UnitModes units;
  std::uint32_t kind = 0;
  std::string categoryName;
  int width = 0;
  int height = 0;
  std::string outputPath;
};

// An import file to read into the loaded event store and save; the command
// line holds the data-folder lock. format: 0 "event10.dat", 1 "corvit10.dat".
struct ImportRequest {
  int format = 0;
  std::string source;
  EventStore* events = nullptr;
  UnitModes units;
  Host* host = nullptr;
  // Filled in by the module.
  std::uint32_t imported = 0;
  std::uint32_t skipped = 0;
  std::uint64_t damagedBytes = 0;
  std::string error;
};

extern "C" {
int kalendrina_run_desktop(const char* dataFolder, const char* commandLine);
int kalendrina_run_script(const char* scriptPath, const char* dataFolder);
int kalendrina_write_chart(const ChartRequest* request);
int kalendrina_import(ImportRequest* request);
}
using RunDesktopEntry = decltype(&kalendrina_run_desktop);
using RunScriptEntry = decltype(&kalendrina_run_script);
using WriteChartEntry = decltype(&kalendrina_write_chart);
using ImportEntry = decltype(&kalendrina_import);
inline constexpr const char* kRunDesktopSymbol = "kalendrina_run_desktop";
inline constexpr const char* kRunScriptSymbol = "kalendrina_run_script";
inline constexpr const char* kWriteChartSymbol = "kalendrina_write_chart";
inline constexpr const char* kImportSymbol = "kalendrina_import";

// In the executable: load the module on first use and run the desktop program
// or an input script in it. When the module cannot be loaded they say why on
// standard error and return 2.
int StartDesktop(const std::string& dataFolder, const std::string& commandLine);
int StartScript(const std::string& scriptPath, const std::string& dataFolder);
int WriteChart(const ChartRequest& request);
// 0 when the import ran (request.error empty), 2 when it could not.
int RunImport(ImportRequest& request);

}  // namespace kal
