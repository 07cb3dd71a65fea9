// The desktop calendar as a feature of the running program: remembering the
// user's own wallpaper, composing it with the calendar of today's weeks,
// writing "wallpaper.bmp", installing it, and putting the user's picture
// back.
//
// A DesktopCalendar works on the program state it is given (settings,
// events, categories, the drawing context) and on one desktop backend; all of
// them belong to the caller and must outlive it. The program installs its
// operations as the main frame's feature hooks.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/desktop_wallpaper.h"
#include "platform/window.h"
#include "store/settings.h"
#include "wallpaper/compose.h"
#include "wallpaper/wallpaper_calendar.h"

namespace kal {

// A remembered wallpaper name longer than this is not used: the setting
// could not hold it whole.
inline constexpr std::size_t kMaxWallpaperName = 254;

struct DesktopCalendarSetup {
  Settings* settings = nullptr;
  WallpaperContent content;      // today is asked for at each drawing
  Gfx* gfx = nullptr;            // fonts and text renderer
  std::string ownFile;           // "wallpaper.bmp" in the data folder
  std::function<Ymd()> today;
  std::function<WindowRect()> screen;  // the size of the picture to make
  std::function<void()> saveSettings;
  // Tells the user about a picture that cannot be decoded.
  std::function<void(const std::string&)> showMessage;
};

class DesktopCalendar {
 public:
  DesktopCalendar(DesktopCalendarSetup setup, DesktopWallpaper& desktop);

  // The picture the desktop shows, as a usable name: "" when it shows none;
  // nullopt when the desktop cannot tell, the name is too long, or it names
  // no readable file (other than our own), so that the user's remembered
  // wallpaper is left as it is.
  std::optional<std::string> ReadDesktopWallpaperName();
  void SetDesktopWallpaper(const std::string& file);
  // Puts the remembered wallpaper back, but only where the desktop shows our
  // picture: one this run installed, or one a crashed run left behind.
  void RestoreUserWallpaper();
  // The user's wallpaper at sw x sh in the desktop's placement and colour.
  ComposeOutcome ComposeUserWallpaper(int sw, int sh, Surface& out);
  // Composes, draws, writes and installs. False when switched off, the block
  // is empty, or the picture could not be written (nothing is installed then).
  bool UpdateWallpaperCalendar();

  // Start-up: remembers the desktop's picture as the user's, or, when it is
  // still ours after a crash, puts the user's back.
  void RememberUserWallpaper();
  // The picture name the options screen stores when the switch goes on.
  std::string CurrentUserWallpaper();
  // Checks whether the user chose another picture outside the program; if
  // so it becomes "wallpaper_file", the settings are saved and the calendar
  // is drawn over it. True when a change was taken.
  bool NoticeOutsideChange();
  // The options changed the switch, style or place: draw or restore.
  void OptionsChanged();
  // The user's wallpaper composed at sw x sh and scaled to w x h for a
  // preview; false when there is no picture to show.
  bool PreviewPicture(int sw, int sh, int w, int h, Surface& out);
  void SetUnits(UnitModes units) { setup_.content.units = units; }

 private:
  DesktopCalendarSetup setup_;
  DesktopWallpaper& desktop_;
  bool installed_ = false;  // this run made our picture the wallpaper
  CalendarGrid grid_;
};

}  // namespace kal
