// The program's state for one run: the window-side Program, the settings,
// categories, events, dates, the off-screen surface and its drawing context,
// the folders and the long-lived working buffers. Every screen works on the
// one Application that start-up fills; tests build their own. The window
// backend and the text renderer it points at belong to whoever started the
// run and must outlive it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "calendar/calendar_grid.h"
#include "calendar/dates.h"
#include "platform/launch.h"
#include "screens/main_frame.h"
#include "screens/screen_layout.h"
#include "store/categories.h"
#include "store/event_store.h"
#include "store/mem_buffer.h"
#include "store/settings.h"
#include "ui/gfx.h"
#include "ui/program.h"
#include "ui/ui_context.h"

namespace kal {

inline constexpr const char* ProgramName = "Kalendrina";
inline constexpr const char* VersionText = "2.4";

struct Application {
  Program program;
  Settings settings;
  CategoryTable categories;
  EventStore events;
  AppDates dates;
  CalendarGrid grid;  // the five weeks on screen; the calendar screen rebuilds it
  Surface offscreen;  // as large as the screen, so every window size fits
  // The user's wallpaper scaled into the options screen's preview; made again
  // whenever the options screen is drawn whole. Empty: the plain desktop colour.
  Surface previewPicture;
  Gfx gfx;
  WindowPresenter presenter;
  // What every control and dialog works with; its frameInput is the main frame's.
  UiContext ui{program, gfx, {}};
  // Every rectangle of the header and the screens, from LayoutScreens.
  ScreenLayout layout;
  // What the header remembers between passes, and the features it hands work to.
  FrameState frame;
  FeatureHooks hooks;
  // Opens the help file and web pages; null: the desktop's own handler.
  Launcher* launcher = nullptr;
  // The web browser found by the first page opened; empty until then.
  std::string BrowserPath;

  std::string TempFolder;
  std::string ProgramFolder;
  std::string DataFolder;
  std::string EventFile;
  std::string WallpaperFile;
  std::string ConfigFile;
  std::string ErrorLogFile;
  std::string HelpFile;
  std::string UpdateInstaller;
  std::string CommandLine;  // trimmed, lower case; cleared once "/silent" has been served
  // Set when "config20.dat" was there but could not be read: it is then not
  // written over for the rest of the run.
  bool settingsReadOnly = false;

  MemBuffer DialogTransferBuffer;
  MemBuffer scratchBuffer;
  MemBuffer editorTextBuffer;
  MemBuffer editorLineBuffer;
  MemBuffer fontBuffers[2];
  MemBuffer directoryBuffer;

  // The three top-level screens, run by the main loop (index = ScreenId - 1).
  // Each returns when quitRequested is set or NextScreen names another screen.
  // Until the real screens exist they are placeholders.
  std::array<std::function<void(Application&)>, 3> screens;

  // Set once the calendar screen has drawn itself the first time.
  bool firstDrawDone = false;
  // How the run ended: false when start-up stopped at a fatal condition.
  bool started = false;
};

// Shared by start-up and the screens.

// Copies the window geometry into the settings and saves them.
void SaveGeometry(Application& app);
// The drag band follows the header: everything but its buttons and tabs.
void UpdateDragBand(Application& app);
// Grows the off-screen surface when the window became larger than it.
void EnsureOffscreenFits(Application& app);
// The loop of a top-level screen. Each pass runs the main frame's input
// pass; when the window's layout changed (and on entry) it lays the screens
// out again and calls `redraw`, on every other pass `handle`, which reads the
// input state. Returns once the program quits or another screen was chosen.
void RunScreenLoop(Application& app, const std::function<void()>& redraw, const std::function<void()>& handle = {});
// After the first screen's first full draw: shows the window, or, for a
// "/silent" start, refreshes the desktop calendar and goes to the tray.
void ShowOnFirstDraw(Application& app);
// Placeholder screen: background, header, screen name; the header works as
// on every screen.
void PlaceholderScreen(Application& app, std::int32_t screen);

}  // namespace kal
