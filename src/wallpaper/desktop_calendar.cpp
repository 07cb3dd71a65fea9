#include "wallpaper/desktop_calendar.h"

#include <filesystem>

#include "store/log.h"
#include "wallpaper/bmp_file.h"

namespace kal {

DesktopCalendar::DesktopCalendar(DesktopCalendarSetup setup, DesktopWallpaper& desktop)
    : setup_(std::move(setup)), desktop_(desktop) {}

std::optional<std::string> DesktopCalendar::ReadDesktopWallpaperName() {
  std::optional<std::string> name = desktop_.Read().picture;
  if (name && name->size() > kMaxWallpaperName) name.reset();
  if (name && !name->empty() && *name != setup_.ownFile) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*name, ec)) name.reset();
  }
  LogLine("Get Wallpaper: " + name.value_or(std::string()));
  return name;
}

void DesktopCalendar::SetDesktopWallpaper(const std::string& file) {
  const bool set = desktop_.SetPicture(file);
  if (!set) LogLine("Set Wallpaper Failed: " + desktop_.Name() + ": " + file);
  if (file == setup_.ownFile) installed_ = installed_ || set;
}

void DesktopCalendar::RestoreUserWallpaper() {
  const std::string& user = setup_.settings->wallpaperFile;
  if (user == setup_.ownFile) return;
  if (!installed_) {
    // Nothing of ours to take down: the desktop shows what the user chose.
    const std::optional<std::string> shown = desktop_.Read().picture;
    if (!shown || *shown != setup_.ownFile) return;
  }
  SetDesktopWallpaper(user);
  installed_ = false;
  LogLine("");
  LogLine("Restore Wallpaper: " + user);
}

ComposeOutcome DesktopCalendar::ComposeUserWallpaper(int sw, int sh, Surface& out) {
  const std::string& user = setup_.settings->wallpaperFile;
  LogLine("Get Wallpaper Bitmap: " + user);
  const DesktopBackground shown = desktop_.Read();
  LogLine("Done: " + shown.picture.value_or(std::string()));
  LogLine("");
  return kal::ComposeUserWallpaper(user, setup_.ownFile, shown.placement, shown.colour, sw, sh, out);
}

bool DesktopCalendar::UpdateWallpaperCalendar() {
  LogLine("Update Wallpaper");
  const Settings& s = *setup_.settings;
  const WallpaperBlock block{s.calendarX, s.calendarY, s.calendarWide, s.calendarHigh};
  if (s.wallpaperFlag == 0 || block.width <= 0 || block.height <= 0) return false;
  const WindowRect screen = setup_.screen();
  if (screen.width <= 0 || screen.height <= 0) return false;
  Surface picture;
  if (ComposeUserWallpaper(screen.width, screen.height, picture) == ComposeOutcome::kUnsupported &&
      setup_.showMessage) {
    setup_.showMessage("Unsupported Image Type");
  }
  WallpaperContent content = setup_.content;
  content.today = setup_.today();
  DrawWallpaperCalendar(*setup_.gfx, picture, content, block, s.wallpaperColor, grid_);
  std::string error;
  if (!SaveBitmapAsBmp(setup_.ownFile, picture, &error)) {
    LogLine("Could not write " + setup_.ownFile + ": " + error);
    return false;
  }
  SetDesktopWallpaper(setup_.ownFile);
  return true;
}

void DesktopCalendar::RememberUserWallpaper() {
  const std::optional<std::string> name = ReadDesktopWallpaperName();
  if (!name) return;
  if (*name == setup_.ownFile) {
    // A run that ended without its exit left our picture on the desktop.
    installed_ = true;
    RestoreUserWallpaper();
    return;
  }
  setup_.settings->wallpaperFile = FitTextField(*name, kSettingsPathField);
}

std::string DesktopCalendar::CurrentUserWallpaper() {
  const std::optional<std::string> name = ReadDesktopWallpaperName();
  if (!name || *name == setup_.ownFile) return setup_.settings->wallpaperFile;
  return *name;
}

bool DesktopCalendar::NoticeOutsideChange() {
  const std::optional<std::string> name = desktop_.Read().picture;
  if (!name || name->size() > kMaxWallpaperName || *name == setup_.ownFile ||
      *name == setup_.settings->wallpaperFile) {
    return false;
  }
  std::error_code ec;
  if (!name->empty() && !std::filesystem::is_regular_file(*name, ec)) return false;
  setup_.settings->wallpaperFile = FitTextField(*name, kSettingsPathField);
  // The user's picture is on the desktop now, not ours.
  installed_ = false;
  LogLine("Wallpaper Changed: " + *name);
  if (setup_.saveSettings) setup_.saveSettings();
  UpdateWallpaperCalendar();
  return true;
}

bool DesktopCalendar::PreviewPicture(int sw, int sh, int w, int h, Surface& out) {
  if (sw <= 0 || sh <= 0 || w <= 0 || h <= 0) return false;
  Surface full;
  if (ComposeUserWallpaper(sw, sh, full) != ComposeOutcome::kPicture) return false;
  out.Resize(w, h);
  DrawPictureScaled(out, full, PlacedCopy{0, 0, w, h});
  return true;
}

void DesktopCalendar::OptionsChanged() {
  RestoreUserWallpaper();
  if (setup_.settings->wallpaperFlag == 1) UpdateWallpaperCalendar();
}

}  // namespace kal
