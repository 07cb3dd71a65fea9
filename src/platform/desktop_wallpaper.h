// The desktop's wallpaper setting: which picture the desktop shows, how it
// places it, its background colour, and installing another picture.
//
// Linux has no single wallpaper call: each desktop keeps the setting in its
// own store. One backend per desktop talks to that store through the
// desktop's own command-line tools (never by editing its files), through a
// ProcessRunner that tests can replace; a bare X11 session gets the root
// window's pixmap. ChooseDesktopWallpaper picks the backend for the running
// session. A backend is used from one thread and keeps no state that
// outlives it except what it wrote into the desktop's store.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/process.h"
#include "platform/surface.h"

namespace kal {

// How the desktop lays its picture over the screen.
enum class WallpaperPlacement : std::uint8_t {
  Centred,    // natural size, centred
  Tiled,      // natural size, repeated from the top-left corner
  Stretched,  // each axis scaled to the screen
  Fitted,     // scaled by the smaller ratio, centred, the rest in the desktop colour
  Filled,     // scaled by the larger ratio, centred, cropped
  Spanned,    // across every monitor; one picture of the whole desktop: as Filled
  NoPicture,  // no picture, only the desktop colour
};

// The colour a desktop shows where no picture covers it, when it does not say.
inline constexpr Colour DefaultDesktopColour = Rgb(58, 110, 165);

struct DesktopBackground {
  // The picture's file name as the desktop holds it (a plain path, not a
  // URI); empty when the desktop shows no picture; nullopt when the store
  // could not be read or names something that is not a local file.
  std::optional<std::string> picture;
  WallpaperPlacement placement = WallpaperPlacement::Filled;
  Colour colour = DefaultDesktopColour;
};

class DesktopWallpaper {
 public:
  virtual ~DesktopWallpaper() = default;
  // "gnome", "cinnamon", "mate", "xfce", "kde", "x11" or "none".
  virtual std::string Name() const = 0;
  virtual DesktopBackground Read() = 0;
  // Makes `file` the desktop's picture; an empty name leaves only the
  // colour. False when the store refused or could not be reached.
  virtual bool SetPicture(const std::string& file) = 0;
};

// The backend named "gnome" ... "x11"; "none" (or an unknown name) gives one
// that reads nothing and installs nothing. `runner` must outlive it.
std::unique_ptr<DesktopWallpaper> MakeDesktopWallpaper(std::string_view name, ProcessRunner& runner);

// The desktop of this session: `override` when not empty, else from
// XDG_CURRENT_DESKTOP (the first name this program knows), then from which
// settings tool is installed, then "x11" when DISPLAY is set, else "none".
std::string DetectDesktop(std::string_view override, std::string_view xdgCurrentDesktop, std::string_view display,
                          bool (*installed)(const std::string&) = ProgramInPath);

// The session's values: `configured` (the settings' choice) when not empty,
// else KALENDRINA_DESKTOP, then as above.
std::string DetectSessionDesktop(const std::string& configured = {});

// "file:///a%20b.jpg" for "/a b.jpg" and back; FileFromUri gives nullopt for
// anything but a local file URI.
std::string FileUri(const std::string& path);
std::optional<std::string> FileFromUri(std::string_view uri);

// The X11 backend (x11_root_pixmap.cpp): the root window of `display` (empty:
// $DISPLAY).
std::unique_ptr<DesktopWallpaper> MakeX11RootPixmap(const std::string& display = {});

}  // namespace kal
