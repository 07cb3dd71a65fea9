// The notification-area (tray) icon on Linux desktops.
//
// Two ways of hosting an icon exist and both are served: a StatusNotifierItem
// on the session D-Bus (with its menu as com.canonical.dbusmenu), which most
// panels and Wayland desktops show, and the XEmbed system tray of X11 for the
// trays that only speak that. Showing tries them in that order and reports
// which one took the icon, or that there is no host at all.
//
// A worker thread owns the D-Bus connection and the X display connection and
// serves both; what the user does with the icon arrives through the `post`
// callback, on that thread, as PlatformEvents: TrayClick (left or right
// button) and Command (CommandShow, CommandExit from the menu). The callback
// must be safe to call from another thread (SDL_PushEvent is). A host that
// goes away while the icon is shown posts CommandShow, so a hidden window is
// never left unreachable.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window.h"

namespace kal {

enum class TrayHost : std::uint8_t { None, StatusNotifier, XEmbed };

class TrayIcon {
 public:
  using Post = std::function<void(const PlatformEvent&)>;
  // `tip` is the title and tool tip, `program` the name the menu items carry.
  TrayIcon(Post post, std::string tip, std::string program);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void SetImages(std::vector<IconPixels> images);
  // Shows the icon on the first host that takes it; waits for the answer.
  TrayHost Show();
  void Hide();
  // The icon's own pop-up menu at the pointer, for hosts that leave the menu
  // to the program (XEmbed trays); nothing where there is no X display.
  void ShowMenu();

 private:
  struct Worker;
  std::unique_ptr<Worker> worker_;
};

// The menu texts as the hosts get them: "Show Kalendrina", "E_xit Kalendrina"
// (dbusmenu marks the mnemonic with "_").
std::string TrayShowLabel(const std::string& program);
std::string TrayExitLabel(const std::string& program);

// The icon picture for a square of `size` pixels: the smallest image at
// least that large, else the largest, scaled to fit and centred. Straight
// alpha 0xAARRGGBB, size x size.
std::vector<std::uint32_t> FitIcon(const std::vector<IconPixels>& images, int size);

}  // namespace kal
