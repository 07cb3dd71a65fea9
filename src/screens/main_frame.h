// The main frame: the header shared by every screen (title group, "About",
// "Help", "Minimize To Tray", the update notice and the three tabs), the
// layout of all screens, and FrameInput, the one pass of header handling that
// every screen loop and every modal loop runs.
//
// The frame's remembered values (FrameState) and the features it hands work
// to (FeatureHooks) belong to the Application and live for the whole run.
// A hook that is not set does nothing: the update check, the update offer,
// the desktop wallpaper and the two imports are provided by their own
// components and plugged in here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "screens/screen_layout.h"
#include "platform/surface.h"
#include "store/settings.h"

namespace kal {

struct Application;

inline constexpr const char* ReleaseDateText = "Feb 18, 2011";
// Deployment values of the maker.
inline constexpr const char* MakerWebSite = "www.kalendrina.example";
inline constexpr const char* MakerSupportContact = "support@kalendrina.example";
inline constexpr const char* HelpPagePath = "kalendrina_help.htm?source=program";

struct FeatureHooks {
  // The background update check; started when (day of month AND 8) changes.
  std::function<void()> startUpdateCheck;
  // The download and installation offer (update notice, About box).
  std::function<void()> updateOffer;
  // Called on every pass: sets `version` to the newest version the update
  // check found (empty: none) and returns true when it changed.
  std::function<bool(std::string& version)> pollNewVersion;
  // At exit: ends the update check (waiting at most a second) and installs a
  // downloaded update.
  std::function<void()> finishUpdate;
  // Asks the user for the web browser when none is found; empty: no asking.
  std::function<std::string()> chooseBrowser;
  // Puts the user's own desktop wallpaper back.
  std::function<void()> restoreUserWallpaper;
  // Composes and installs the wallpaper with the calendar of today's weeks.
  std::function<void()> updateWallpaperCalendar;
  // The file name of the user's current desktop wallpaper.
  std::function<std::string()> currentDesktopWallpaper;
  // Start-up: remember the desktop's picture as the user's wallpaper.
  std::function<void()> rememberUserWallpaper;
  // Called on every frame pass; looks for a wallpaper the user changed
  // outside the program now and then.
  std::function<void()> checkDesktopWallpaper;
  // The options changed the wallpaper switch, style or place.
  std::function<void()> wallpaperOptionsChanged;
  // The user's wallpaper as the desktop shows it, scaled to w x h; false
  // (and `out` untouched) when there is nothing to show.
  std::function<bool(int w, int h, Surface& out)> wallpaperPreview;
  // The options screen's two imports.
  std::function<void()> importPreviousVersion;
  std::function<void()> importHealthDiary;
  // "Import iCalendar File": choose a file, import it, say what came in.
  std::function<void()> importIcalendar;
};

struct FrameState {
  // (day of month AND 8) when the update check last started; -1 before start-up.
  std::int32_t updateCheckBits = -1;
  // Set while an update is being downloaded: no About box, no second offer.
  bool downloadRunning = false;
  // Non-empty once the update check found a newer version: the header shows the notice.
  std::string newVersion;
  bool aboutOpen = false;
};

// Recomputes every rectangle of the header and the three screens from the
// window size, and fits the desktop-calendar box of the options screen into
// its preview (writing the fitted box back into the settings, in memory).
// Also grows the off-screen surface to the window and keeps the window
// backend's header drag band in step with the header.
void LayoutScreens(Application& app);

// Writes the options screen's desktop-calendar box back into the settings
// ("calendar_x", "calendar_y", "calendar_wide", "calendar_high"), scaled from
// the preview to the screen.
void StoreCalendarBox(const OptionsLayout& options, Settings& settings);

// Draws the header into the off-screen surface (not presented).
void DrawFrame(Application& app);

// One pass of frame handling; sets requestedScreen to 1, 2 or 3 when a tab
// was chosen and leaves it unchanged otherwise.
void FrameInput(Application& app, int wait, std::int32_t& requestedScreen);

// Makes FrameInput the UI context's frame pass and DrawFrame the header drawn
// on activation changes. Called once at start-up.
void InstallFrame(Application& app);

// The pieces of FrameInput that can be run on their own.
void ToggleMaximized(Application& app);
void OpenHelp(Application& app);
void AboutBox(Application& app);
// Opens a local file or web address in the browser and logs the outcome.
void OpenDocument(Application& app, const std::string& target);

// "2.4 - Released Feb 18, 2011" as the About box says it, after "Version ".
std::string AboutVersionLine();

}  // namespace kal
