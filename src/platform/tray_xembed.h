// The icon in an XEmbed system tray of X11, with the icon's own pop-up menu.
// Used only by the tray worker thread (tray.cpp), on a display connection of
// its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace kal {

class XembedTray {
 public:
  using Post = std::function<void(const PlatformEvent&)>;
  XembedTray(Post post, std::string tip, std::string program);
  ~XembedTray();
  XembedTray(const XembedTray&) = delete;
  XembedTray& operator=(const XembedTray&) = delete;

  // Docks the icon in the tray; false when there is no X display or no tray.
  bool Show(const std::vector<IconPixels>& images);
  void Hide();
  bool shown() const { return icon_ != 0; }
  // Opens the menu at the pointer ("Show ...", a separator, "Exit ...").
  void ShowMenu();
  // The display connection's socket, or -1 before the first Show.
  int fd() const;
  // Handles every event that arrived; never blocks.
  void Dispatch();

 private:
  bool OpenDisplay();
  bool LoadFont();
  void ShowTip(int x, int y);
  void HideTip();
  void DrawIcon();
  void DrawMenu();
  void CloseMenu();
  int MenuItemAt(int y) const;
  void PostCommand(int id);

  Post post_;
  std::string tip_;
  std::string program_;
  std::vector<IconPixels> images_;
  void* display_ = nullptr;
  unsigned long manager_ = 0;
  unsigned long icon_ = 0;
  bool iconArgb_ = false;
  unsigned long menu_ = 0;
  int menuWidth_ = 0;
  int menuHot_ = -1;
  void* font_ = nullptr;
  unsigned long tipWindow_ = 0;
};

}  // namespace kal
