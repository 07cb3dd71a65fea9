// Start-up, main loop and exit sequence: one whole run of the desktop program.
//
// Tests and the command line create an Application, hand it to RunProgram
// with the backend and text renderer to use, and may inspect it afterwards
// (the buffers are freed by then; geometry, settings and flags remain). The
// backend and the renderer belong to the caller and must outlive the run.
#pragma once

#include <string>

#include "platform/desktop_wallpaper.h"
#include "platform/text.h"
#include "platform/window.h"
#include "screens/application.h"

namespace kal {

struct StartupOptions {
  WindowBackend* window = nullptr;  // required
  TextRenderer* text = nullptr;     // required
  std::string dataFolder;           // "--data DIR"; empty: the usual place
  std::string commandLine;          // the program's arguments as given ("/silent")
  std::string instanceFolder;       // where the single-instance marker lives; empty: the usual place
  std::string lockHolder = "the desktop program";  // what the locks tell a refused start
  // When set, the window opens with exactly this drawing area (the headless
  // backend's script size) instead of the remembered one.
  int forcedClientWidth = 0;
  int forcedClientHeight = 0;
  // The desktop whose wallpaper the calendar goes on; null: none is touched
  // ("wallpaper.bmp" is still written). Must outlive the run.
  DesktopWallpaper* desktopWallpaper = nullptr;
};

// Start-up, the main loop and the exit sequence. Returns the exit status: 0,
// also after a fatal start-up condition (its message box was shown); 2 when
// the data-folder lock could not be taken, so nothing was written.
int RunProgram(Application& app, const StartupOptions& options);

// The desktop run on SDL2 with FreeType text, and a headless run of an input
// script; both return the exit status and print problems to standard error.
int RunDesktop(const std::string& dataFolder, const std::string& commandLine);
int RunScript(const std::string& scriptPath, const std::string& dataFolder);

}  // namespace kal
