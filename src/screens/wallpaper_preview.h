// The preview of the options screen: a picture of the desktop scaled into a
// 425-pixel-wide box with the screen's aspect ratio, and, while the desktop
// calendar is switched on, the box that stands for the calendar's place.
//
// Draws from the Application's options layout and settings into the
// off-screen surface and presents the window. The user's own wallpaper comes
// scaled from the desktop calendar's hook; without it the desktop is shown as
// its plain colour.
#pragma once

namespace kal {

struct Application;

// The colour the desktop shows where no picture covers it.
inline constexpr unsigned PreviewDesktopColour = 0x00A56E3A;  // 58, 110, 165

// full = 1 also draws the screen background, the header, the options
// screen's push buttons and the preview's sunken frame; always the desktop
// picture, the wallpaper switch, the position box (when the switch is on)
// and the three choice fields.
void DrawWallpaperPreview(Application& app, int full);

}  // namespace kal
