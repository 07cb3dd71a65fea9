// Plugs the desktop calendar into the program: its operations become the
// main frame's wallpaper hooks. Hooks a test has set already are kept.
#pragma once

#include "platform/desktop_wallpaper.h"
#include "screens/application.h"

namespace kal {

// `desktop` is the session's wallpaper backend; it must outlive the run.
void InstallDesktopCalendar(Application& app, DesktopWallpaper& desktop);

}  // namespace kal
