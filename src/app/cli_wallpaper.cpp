// The `wallpaper` command: the desktop calendar over the user's picture,
// drawn by the desktop executable into a PNG without installing anything.
#include <cstdio>
#include <ostream>

#include "app/cli.h"
#include "app/desktop_module.h"
#include "calendar/dates.h"
#include "platform/file_system.h"

namespace kal {

namespace {

constexpr const char* kWallpaperUsage =
    "usage: kalendrina wallpaper OUT.png [--style N] [--size WxH] [--today YYYY-MM-DD]\n"
    "                            [--picture FILE] [--placement centre|tile|stretch|fit|fill|span]\n"
    "                            [--data DIR]\n"
    "Draws the desktop calendar (style 0-21, default the one chosen in the options) over\n"
    "the wallpaper picture remembered in the settings, or FILE, and writes it as a PNG.\n"
    "The default size is 1920x1080. Nothing is installed as the desktop wallpaper.\n";

bool Number(const std::string& text, int low, int high, int& value) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoi(text);
  return value >= low && value <= high;
}

}  // namespace

int WallpaperCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  WallpaperRequest request;
  request.width = 1920;
  request.height = 1080;
  std::string output, dataFolder;
  const auto usage = [&err](const std::string& message) {
    err << "kalendrina: " << message << " (see 'kalendrina wallpaper --help')\n";
    return kExitUsage;
  };
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help") {
      out << kWallpaperUsage;
      return kExitOk;
    }
    if (a.rfind("--", 0) != 0) {
      if (!output.empty()) return usage("wallpaper needs one output file");
      output = a;
      continue;
    }
    if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].rfind("--", 0) == 0) {
      return usage("option " + a + " needs a value");
    }
    const std::string& v = args[++i];
    if (a == "--style") {
      if (!Number(v, 0, 21, request.style)) return usage("--style must be 0 to 21");
    } else if (a == "--size") {
      const std::size_t x = v.find('x');
      if (x == std::string::npos || !Number(v.substr(0, x), 100, 10000, request.width) ||
          !Number(v.substr(x + 1), 100, 10000, request.height)) {
        return usage("--size must be WxH, each 100 to 10000");
      }
    } else if (a == "--today") {
      Ymd d;
      if (!ParseIsoDate(v, d)) return usage("--today must be a date YYYY-MM-DD");
      request.year = d.year;
      request.month = d.month;
      request.day = d.day;
    } else if (a == "--picture") {
      request.picture = v;
    } else if (a == "--placement") {
      if (v != "centre" && v != "tile" && v != "stretch" && v != "fit" && v != "fill" && v != "span") {
        return usage("--placement must be centre, tile, stretch, fit, fill or span");
      }
      request.placement = v;
    } else if (a == "--data") {
      dataFolder = v;
    } else {
      return usage("unknown option " + a);
    }
  }
  if (output.empty()) return usage("wallpaper needs one output file");
  request.outputPath = output;
  request.dataFolder = ResolveDataFolder(dataFolder);
  if (!FolderReadable(request.dataFolder)) {
    err << "kalendrina: cannot read data folder " << request.dataFolder << '\n';
    return kExitData;
  }
  return WriteWallpaper(request);
}

}  // namespace kal
