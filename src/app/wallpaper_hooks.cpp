#include "app/wallpaper_hooks.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/freetype_text.h"
#include "platform/images.h"

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

int WriteWallpaperPicture(const WallpaperRequest& request) {
  static constexpr std::pair<const char*, WallpaperPlacement> kPlacements[] = {
      {"centre", WallpaperPlacement::Centred},     {"tile", WallpaperPlacement::Tiled},
      {"stretch", WallpaperPlacement::Stretched},  {"fit", WallpaperPlacement::Fitted},
      {"fill", WallpaperPlacement::Filled},        {"span", WallpaperPlacement::Spanned}};
  WallpaperPlacement placement = WallpaperPlacement::Filled;
  for (const auto& [name, value] : kPlacements) {
    if (request.placement == name) placement = value;
  }
  Settings settings;
  std::string error;
  if (!LoadSettings(settings, request.dataFolder + "config20.dat", &error)) {
    std::fprintf(stderr, "kalendrina: %s\n", error.c_str());
    return 2;
  }
  EventStore events;
  events.eventFile = request.dataFolder + "Event20.dat";
  if (!LoadEvents(events)) {
    std::fprintf(stderr, "kalendrina: %s\n", events.loadError.c_str());
    return 2;
  }
  CategoryTable categories;
  BuildCategoryTable(categories, settings.categories);
  FreeTypeTextRenderer text;
  Gfx gfx;
  gfx.text = &text;
  gfx.SetupFonts("Microsoft Sans Serif", 20);

  const std::string picture = request.picture.empty() ? settings.wallpaperFile : request.picture;
  Surface out;
  if (ComposeUserWallpaper(picture, request.dataFolder + "wallpaper.bmp", placement, DefaultDesktopColour,
                           request.width, request.height, out) == ComposeOutcome::kUnsupported) {
    std::fprintf(stderr, "kalendrina: Unsupported Image Type: %s\n", picture.c_str());
  }
  // A block never placed on the options screen sits where a new user's would:
  // the size of the calendar area of a 1024 x 768 window, near the top left.
  WallpaperBlock block{settings.calendarX, settings.calendarY, settings.calendarWide, settings.calendarHigh};
  if (block.width <= 0 || block.height <= 0) {
    block = WallpaperBlock{request.width / 20, request.height / 10 + 15, std::min(979, request.width * 2 / 3),
                           std::min(629, request.height * 2 / 3)};
  }
  WallpaperContent content;
  content.events = &events;
  content.categories = &categories;
  content.units = UnitModes{settings.weightMode, settings.measureMode};
  if (request.year > 0) {
    content.today = Ymd{request.year, request.month, request.day};
  } else {
    const LocalDateTime now = SystemClock().Now();
    content.today = Ymd{now.year, now.month, now.day};
  }
  CalendarGrid grid;
  DrawWallpaperCalendar(gfx, out, content, block, request.style >= 0 ? request.style : settings.wallpaperColor, grid);
  if (WritePng(out, request.outputPath)) return 0;
  std::fprintf(stderr, "kalendrina: cannot write %s\n", request.outputPath.c_str());
  return 2;
}

}  // namespace kal
