#include "app/wallpaper_hooks.h"

#include <memory>

#include "ui/message_dialog.h"
#include "wallpaper/desktop_calendar.h"

namespace kal {

namespace {

// How often the desktop's settings store is asked whether the user chose
// another picture: each question starts a settings tool.
constexpr std::uint64_t kWallpaperCheckMs = 30'000;

}  // namespace

void InstallDesktopCalendar(Application& app, DesktopWallpaper& desktop) {
  DesktopCalendarSetup setup;
  setup.settings = &app.settings;
  setup.content.events = &app.events;
  setup.content.categories = &app.categories;
  setup.gfx = &app.gfx;
  setup.ownFile = app.WallpaperFile;
  setup.today = [&app] {
    const LocalDateTime now = app.program.clock->Now();
    return Ymd{now.year, now.month, now.day};
  };
  setup.screen = [&app] { return app.program.window->ScreenRect(); };
  setup.saveSettings = [&app] { SaveGeometry(app); };
  setup.showMessage = [&app](const std::string& text) { MessageDialog(app.ui, text, "OK"); };
  auto calendar = std::make_shared<DesktopCalendar>(std::move(setup), desktop);
  // The units can change on the options screen; the content is refreshed at each use.
  auto refreshed = [&app, calendar] {
    calendar->SetUnits(UnitModes{app.settings.weightMode, app.settings.measureMode});
    return calendar;
  };

  FeatureHooks& h = app.hooks;
  if (!h.restoreUserWallpaper) h.restoreUserWallpaper = [calendar] { calendar->RestoreUserWallpaper(); };
  if (!h.updateWallpaperCalendar) h.updateWallpaperCalendar = [refreshed] { refreshed()->UpdateWallpaperCalendar(); };
  if (!h.currentDesktopWallpaper) h.currentDesktopWallpaper = [calendar] { return calendar->CurrentUserWallpaper(); };
  if (!h.rememberUserWallpaper) h.rememberUserWallpaper = [calendar] { calendar->RememberUserWallpaper(); };
  if (!h.wallpaperOptionsChanged) h.wallpaperOptionsChanged = [refreshed] { refreshed()->OptionsChanged(); };
  if (!h.checkDesktopWallpaper) {
    h.checkDesktopWallpaper = [&app, refreshed, last = std::uint64_t{0}, first = true]() mutable {
      const std::uint64_t now = app.program.clock->TickMs();
      if (!first && now - last < kWallpaperCheckMs) return;
      first = false;
      last = now;
      refreshed()->NoticeOutsideChange();
    };
  }
  if (!h.wallpaperPreview) {
    h.wallpaperPreview = [&app, calendar](int w, int h, Surface& out) {
      const WindowRect screen = app.program.window->ScreenRect();
      return calendar->PreviewPicture(screen.width, screen.height, w, h, out);
    };
  }
}

}  // namespace kal
