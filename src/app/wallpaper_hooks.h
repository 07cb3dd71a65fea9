// Plugs the desktop calendar into the program: its operations become the
// main frame's wallpaper hooks. Hooks a test has set already are kept.
#pragma once

#include "app/desktop_module.h"
#include "platform/desktop_wallpaper.h"
#include "screens/application.h"

namespace kal {

// `desktop` is the session's wallpaper backend; it must outlive the run.
void InstallDesktopCalendar(Application& app, DesktopWallpaper& desktop);

// The `wallpaper` command's drawing: the data folder's events over the
// picture, written as a PNG. Returns the exit status; problems go to
// standard error.
int WriteWallpaperPicture(const WallpaperRequest& request);

}  // namespace kal
