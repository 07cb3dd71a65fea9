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

// The desktop calendar drawn over the user's wallpaper, written as a PNG and
// not installed. The module reads the data folder itself.
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

extern "C" {
int kalendrina_run_desktop(const char* dataFolder, const char* commandLine);
int kalendrina_run_script(const char* scriptPath, const char* dataFolder);
int kalendrina_write_chart(const ChartRequest* request);
int kalendrina_write_wallpaper(const WallpaperRequest* request);
}
using RunDesktopEntry = decltype(&kalendrina_run_desktop);
using RunScriptEntry = decltype(&kalendrina_run_script);
using WriteChartEntry = decltype(&kalendrina_write_chart);
using WriteWallpaperEntry = decltype(&kalendrina_write_wallpaper);
inline constexpr const char* kRunDesktopSymbol = "kalendrina_run_desktop";
inline constexpr const char* kRunScriptSymbol = "kalendrina_run_script";
inline constexpr const char* kWriteChartSymbol = "kalendrina_write_chart";
inline constexpr const char* kWriteWallpaperSymbol = "kalendrina_write_wallpaper";

// In the executable: load the module on first use and run the desktop program
// or an input script in it. When the module cannot be loaded they say why on
// standard error and return 2.
int StartDesktop(const std::string& dataFolder, const std::string& commandLine);
int StartScript(const std::string& scriptPath, const std::string& dataFolder);
int WriteChart(const ChartRequest& request);
int WriteWallpaper(const WallpaperRequest& request);

}  // namespace kal
