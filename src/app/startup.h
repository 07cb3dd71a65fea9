// Start-up, main loop and exit sequence: one whole run of the desktop program.
//
// An Application is the program's state for one run: the window-side Program,
// the settings, categories, events, dates, the off-screen surface and its
// drawing context, the folders and the long-lived working buffers. Tests and
// the command line create one, hand it to RunProgram with the backend and text
// renderer to use, and may inspect it afterwards (the buffers are freed by
// then; geometry, settings and flags remain). The backend and the renderer
// belong to the caller and must outlive the run.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/program.h"
#include "calendar/calendar_grid.h"
#include "calendar/dates.h"
#include "platform/launch.h"
#include "platform/text.h"
#include "platform/window.h"
#include "screens/main_frame.h"
#include "screens/screen_layout.h"
#include "store/categories.h"
#include "store/event_store.h"
#include "store/mem_buffer.h"
#include "store/settings.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

inline constexpr const char* ProgramName = "Kalendrina";
inline constexpr const char* VersionText = "2.4";

struct StartupOptions {
  WindowBackend* window = nullptr;  // required
  TextRenderer* text = nullptr;     // required
  std::string dataFolder;           // "--data DIR"; empty: the usual place
  std::string commandLine;          // the program's arguments as given ("/silent")
  std::string instanceFolder;       // where the single-instance marker lives; empty: the usual place
  // When set, the window opens with exactly this drawing area (the headless
  // backend's script size) instead of the remembered one.
  int forcedClientWidth = 0;
  int forcedClientHeight = 0;
};

struct Application {
  Program program;
  Settings settings;
  CategoryTable categories;
  EventStore events;
  AppDates dates;
  CalendarGrid grid;  // the five weeks on screen; the calendar screen rebuilds it
  Surface offscreen;  // as large as the screen, so every window size fits
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

// Start-up, the main loop and the exit sequence. Returns the exit status: 0,
// also after a fatal start-up condition (its message box was shown).
int RunProgram(Application& app, const StartupOptions& options);

// Pieces of start-up that screens and tests use on their own.

// Copies the window geometry into the settings and saves them.
void SaveGeometry(Application& app);
// The drag band follows the header: everything but its buttons and tabs.
void UpdateDragBand(Application& app);
// Grows the off-screen surface when the window became larger than it.
void EnsureOffscreenFits(Application& app);
// Placeholder screen: background, header, screen name; the header works as
// on every screen.
void PlaceholderScreen(Application& app, std::int32_t screen);

// The desktop run on SDL2 with FreeType text, and a headless run of an input
// script; both return the exit status and print problems to standard error.
int RunDesktop(const std::string& dataFolder, const std::string& commandLine);
int RunScript(const std::string& scriptPath, const std::string& dataFolder);

}  // namespace kal
