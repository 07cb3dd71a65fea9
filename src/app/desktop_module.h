// The desktop half of the program: the window, the screens, fonts and
// pictures, in the executable "kalendrina-desktop". The command line
// "kalendrina" holds the storage and calendar code only, and hands every run
// that opens the window or draws (screenshot, run-script, chart) over to the
// desktop executable, replacing its own process, so those runs alone pay for
// the display, font and image libraries and the rest start at once. The
// desktop executable is the whole program: it runs the same command line, and
// finds the entry points below in itself.
//
// The desktop executable is looked for in the library folder of an installed
// program (KALENDRINA_MODULE_DIR, relative to the command line's folder), then
// beside the command line, where the build puts it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <vector>

#include "calendar/dates.h"
#include "health/trends.h"
#include "store/event_store.h"
#include "store/host.h"
#include "health/units.h"
#include "import/ical_export.h"
#include "store/categories.h"
#include "store/event_store.h"
#include "store/settings.h"

namespace kal {

inline constexpr const char* kDesktopProgramFile = "kalendrina-desktop";
// Tells the desktop executable the command line's folder (see ProgramFolder).
inline constexpr const char* kLauncherFolderVariable = "KALENDRINA_LAUNCHER_FOLDER";

// The desktop executable's entry points, C functions so that they are found
// by plain name. They return the exit status and report problems on standard
// error, as RunDesktop and RunScript do. Defined in the desktop executable
// only.
// A trend chart to draw and write as a PNG; the command line has read the
// readings, the desktop executable has the fonts and the picture writer.
struct ChartRequest {
  const TrendSeries* series = nullptr;
  UnitModes units;
  std::uint32_t kind = 0;
  std::string categoryName;
  int width = 0;
  int height = 0;
  std::string outputPath;
};

// The desktop calendar drawn over the user's wallpaper, written as a PNG and
// not installed. The desktop executable reads the data folder itself.
struct WallpaperRequest {
  std::string dataFolder;     // resolved, with its trailing slash
  std::string outputPath;
  int style = -1;             // -1: the settings' "wallpaper_color"
  int width = 0;
  int height = 0;
  std::int32_t year = 0;      // today; 0: the system's date
  std::int32_t month = 0;
  std::int32_t day = 0;
  std::string picture;        // empty: the settings' "wallpaper_file"
  std::string placement = "fill";  // centre, tile, stretch, fit, fill, span
};

// Printed pages to write as a PDF file: the calendar's six weeks or the
// marked records among `offsets`, with the job's font and margins from the
// settings (the job's defaults when none were chosen yet).
struct PrintRequest {
  bool calendar = true;
  const EventStore* store = nullptr;
  const CategoryTable* categories = nullptr;
  const Settings* settings = nullptr;
  UnitModes units;
  bool a4 = false;
  PackedDate firstSunday = 0;
  Ymd today;
  std::vector<std::uint32_t> offsets;
  std::string outputPath;
};

// An iCalendar file to read into the store (which the command line has
// loaded under the data-folder lock) and save; `message` is the closing
// message or what went wrong.
struct IcsImportRequest {
  EventStore* store = nullptr;
  const CategoryTable* categories = nullptr;
  UnitModes units;
  std::string path;
  std::string message;
};

// The store's events to write to `path` ("-": standard output) as an
// iCalendar file.
struct IcsExportRequest {
  const EventStore* store = nullptr;
  const CategoryTable* categories = nullptr;
  IcsExportFilter filter;
  std::string path;
  std::string message;
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
int kalendrina_write_wallpaper(const WallpaperRequest* request);
int kalendrina_write_print(const PrintRequest* request);
int kalendrina_import_ics(IcsImportRequest* request);
int kalendrina_export_ics(IcsExportRequest* request);
int kalendrina_import(ImportRequest* request);
}
using RunDesktopEntry = decltype(&kalendrina_run_desktop);
using RunScriptEntry = decltype(&kalendrina_run_script);
using WriteChartEntry = decltype(&kalendrina_write_chart);
using WriteWallpaperEntry = decltype(&kalendrina_write_wallpaper);
inline constexpr const char* kRunDesktopSymbol = "kalendrina_run_desktop";
inline constexpr const char* kRunScriptSymbol = "kalendrina_run_script";
inline constexpr const char* kWriteChartSymbol = "kalendrina_write_chart";
inline constexpr const char* kWriteWallpaperSymbol = "kalendrina_write_wallpaper";
using WritePrintEntry = decltype(&kalendrina_write_print);
inline constexpr const char* kWritePrintSymbol = "kalendrina_write_print";
using ImportIcsEntry = decltype(&kalendrina_import_ics);
using ExportIcsEntry = decltype(&kalendrina_export_ics);
inline constexpr const char* kImportIcsSymbol = "kalendrina_import_ics";
inline constexpr const char* kExportIcsSymbol = "kalendrina_export_ics";
using ImportEntry = decltype(&kalendrina_import);
inline constexpr const char* kImportSymbol = "kalendrina_import";

// From main, before anything else: remembers the arguments (the command line
// hands them over as they are) and, in the desktop executable, takes the
// command line's folder from the environment.
void PrepareProgram(char** argv);
// True when the command line hands this run to the desktop executable (always
// false in the desktop executable itself).
bool HandsOver(const std::vector<std::string>& args);
// Replaces the process with the desktop executable; returns 2, having said why
// on standard error, only when that cannot be done.
int HandOver();
// The address of a desktop entry point. In the command line this hands the
// run over (and returns null only when that fails); in the desktop executable
// it finds the entry point in itself.
void* DesktopEntry(const char* symbol);

// Run the desktop program, an input script or a chart through the entry
// points. When they cannot be reached they say why on standard error and
// return 2.
int StartDesktop(const std::string& dataFolder, const std::string& commandLine);
int StartScript(const std::string& scriptPath, const std::string& dataFolder);
int WriteChart(const ChartRequest& request);
int WriteWallpaper(const WallpaperRequest& request);
int WritePrint(const PrintRequest& request);
int ImportIcs(IcsImportRequest& request);
int ExportIcs(IcsExportRequest& request);
// 0 when the import ran (request.error empty), 2 when it could not.
int RunImport(ImportRequest& request);

}  // namespace kal
