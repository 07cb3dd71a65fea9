// The desktop window backend on SDL2 (X11 and Wayland).
//
// One borderless, resizable window; the program draws everything inside it,
// including the header band that moves it (through SDL's hit test, which is
// the only portable way to move a window on Wayland). Timers run on SDL's
// timer thread and arrive as events, at most one pending per timer, as
// window-system timers do.
//
// The backend owns SDL: it initialises the video and timer subsystems in its
// constructor and shuts them down in its destructor, so at most one SdlWindow
// may exist at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/window.h"

struct SDL_Window;
union SDL_Event;

namespace kal {

class TrayIcon;

class SdlWindow : public WindowBackend {
 public:
  SdlWindow();
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // False when SDL could not start (no display); error() says why.
  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }
  // SDL's id of the window (0 before Create), for tests that look behind the backend.
  std::uint32_t windowId() const;

  bool Create(std::string_view title, int x, int y, int width, int height, bool hidden) override;
  void Show() override;
  void Hide() override;
  bool Visible() const override;
  void Raise() override;
  void MoveResize(int x, int y, int width, int height) override;
  void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) override;
  WindowRect OuterRect() const override;
  int FrameWidth() const override { return 0; }
  int FrameHeight() const override { return 0; }
  WindowRect ScreenRect() const override;
  WindowRect WorkArea() const override;
  PlatformEvent NextEvent(bool wait, int timeoutMs = -1) override;
  void PostShowRequest() override;
  void Present(const Surface& surface, const Rect& area) override;
  void StartTimer(int id, int periodMs) override;
  void KillTimer(int id) override;
  void SetMouseCapture(bool on) override;
  ModifierState Modifiers() const override;
  bool GetClipboardText(std::string& cp1252) override;
  void SetClipboardText(std::string_view cp1252) override;
  void ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) override;
  void SetDragBand(int height, const std::vector<Rect>& exclusions) override;
  void Minimize() override;
  void SetTrayImages(std::vector<IconPixels> images) override;
  bool SetTrayIcon(bool shown) override;
  void ShowTrayMenu() override;
  Clock& clock() override { return SystemClock(); }

  // Used by the hit-test callback: what a point of the client area is for.
  int HitTestAt(int x, int y) const;

  // A timer's shared state; lives until the backend goes, because SDL's timer
  // thread may still be inside the callback when the timer is removed.
  struct TimerSlot {
    std::uint32_t eventType = 0;
    int id = 0;
    int sdlId = 0;
    std::atomic<bool> active{false};
    std::atomic<bool> pending{false};
  };

 private:
  void Translate(const SDL_Event& ev);
  void Queue(PlatformEvent e);
  int DisplayIndex() const;

  bool ok_ = false;
  std::string error_;
  SDL_Window* window_ = nullptr;
  // Three event types of our own: timer ticks, show requests, tray input.
  std::uint32_t userEventBase_ = 0;
  std::deque<PlatformEvent> pending_;
  std::map<int, std::unique_ptr<TimerSlot>> timers_;
  int dragBand_ = 0;
  std::vector<Rect> dragExclusions_;
  bool frozenSize_ = false;
  // Where the program last put the window, so that its own moves are not
  // reported back as moves by the user.
  int setX_ = 0;
  int setY_ = 0;
  std::string title_;
  bool trayIcon_ = false;
  std::vector<IconPixels> trayImages_;
  // Started at the first icon; its worker posts the icon's clicks and menu choices as SDL events.
  std::unique_ptr<TrayIcon> tray_;
};

}  // namespace kal
