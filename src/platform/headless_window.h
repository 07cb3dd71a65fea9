// The headless window backend: plays an input script instead of reading a
// real keyboard and mouse, and keeps the window image in memory.
//
// It behaves like a desktop with one window and an obliging window manager:
// a press in the drag band moves the window instead of reaching the program,
// size limits clamp script resizes, timers fire only when the script waits
// (time stands still otherwise), the clipboard lives in memory, and message
// boxes are recorded (and echoed to standard error). When the script has run
// out, or says "quit", every further NextEvent delivers a close request, so
// no program loop can hang.
//
// The backend owns its script, clock, image and clipboard. Leading "size" and
// "today" commands apply at construction: they are the start-up state.
#pragma once

#include <atomic>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/input_script.h"
#include "platform/window.h"

namespace kal {

struct HeadlessOptions {
  // Screen size; grown to hold the script's start size when it gives one.
  int screenWidth = 1280;
  int screenHeight = 1024;
};

class HeadlessWindow : public WindowBackend {
 public:
  explicit HeadlessWindow(std::vector<ScriptCommand> script, HeadlessOptions options = {});

  bool Create(std::string_view title, int x, int y, int width, int height, bool hidden) override;
  void Show() override {
    visible_ = true;
    minimized_ = false;
  }
  void Hide() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  void Raise() override {}
  void MoveResize(int x, int y, int width, int height) override;
  void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) override;
  WindowRect OuterRect() const override { return rect_; }
  int FrameWidth() const override { return 0; }
  int FrameHeight() const override { return 0; }
  WindowRect ScreenRect() const override { return screen_; }
  WindowRect WorkArea() const override { return screen_; }
  PlatformEvent NextEvent(bool wait, int timeoutMs = -1) override;
  void PostShowRequest() override;
  void Present(const Surface& surface, const Rect& area) override;
  void StartTimer(int id, int periodMs) override;
  void KillTimer(int id) override;
  void SetMouseCapture(bool on) override { captured_ = on; }
  ModifierState Modifiers() const override { return modifiers_; }
  bool GetClipboardText(std::string& cp1252) override;
  void SetClipboardText(std::string_view cp1252) override;
  void ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) override;
  void SetDragBand(int height, const std::vector<Rect>& exclusions) override;
  void Minimize() override { minimized_ = visible_; }
  void SetTrayImages(std::vector<IconPixels> images) override { trayImages_ = std::move(images); }
  // Without a tray host the icon cannot be shown, as on a desktop with no notification area.
  bool SetTrayIcon(bool shown) override {
    trayIcon_ = shown && trayHost_;
    return trayIcon_ || !shown;
  }
  void ShowTrayMenu() override { ++trayMenus_; }
  Clock& clock() override { return clock_; }

  // The client size the script asks for at start (1024 x 768 without "size").
  int startWidth() const { return startWidth_; }
  int startHeight() const { return startHeight_; }
  bool created() const { return created_; }
  // What the window shows: everything presented so far.
  const Surface& image() const { return image_; }
  bool mouseCaptured() const { return captured_; }
  bool trayIconShown() const { return trayIcon_; }
  void setTrayHost(bool present) { trayHost_ = present; }
  const std::vector<IconPixels>& trayImages() const { return trayImages_; }
  bool minimized() const { return minimized_; }
  int trayMenusShown() const { return trayMenus_; }
  bool TimerRunning(int id) const { return timers_.count(id) != 0; }
  // "title|text" of every message box shown.
  const std::vector<std::string>& messageBoxes() const { return messageBoxes_; }
  // Screenshots that could not be written, one line each.
  const std::vector<std::string>& errors() const { return errors_; }
  bool scriptFinished() const { return finished_; }

 private:
  struct Timer {
    int period = 0;
    std::uint64_t due = 0;
  };

  // Turns script commands into queued events until one is queued or the
  // script is done.
  void Refill();
  void RunCommand(const ScriptCommand& cmd);
  // One step of a running "wait": queues the next due timer, or ends the wait.
  bool StepWait();
  void Queue(PlatformEvent e);
  void PointerTo(int x, int y);
  void Press(MouseButton button, int x, int y, bool doubleClick);
  void Release(MouseButton button, int x, int y);
  void ResizeClient(int width, int height);
  void AdvanceClock(std::uint64_t ms);
  bool InDragBand(int x, int y) const;

  std::vector<ScriptCommand> script_;
  std::size_t next_ = 0;
  bool finished_ = false;
  std::atomic<bool> showRequested_{false};
  std::deque<PlatformEvent> queue_;

  FixedClock clock_;
  std::uint64_t clockMsRemainder_ = 0;
  bool waiting_ = false;
  std::uint64_t waitUntil_ = 0;
  std::map<int, Timer> timers_;

  WindowRect screen_;
  WindowRect rect_;
  int startWidth_ = 1024;
  int startHeight_ = 768;
  int minWidth_ = 0;
  int minHeight_ = 0;
  int maxWidth_ = 0;
  int maxHeight_ = 0;
  bool created_ = false;
  bool visible_ = false;
  Surface image_;

  int pointerX_ = -1;
  int pointerY_ = -1;
  int buttons_ = 0;
  bool captured_ = false;
  ModifierState modifiers_;
  int dragBand_ = 0;
  std::vector<Rect> dragExclusions_;
  bool dragging_ = false;
  int dragX_ = 0;
  int dragY_ = 0;
  int dragWindowX_ = 0;
  int dragWindowY_ = 0;

  bool trayIcon_ = false;
  bool trayHost_ = true;
  bool minimized_ = false;
  std::vector<IconPixels> trayImages_;
  int trayMenus_ = 0;
  std::string clipboard_;
  bool clipboardHasText_ = false;
  std::vector<std::string> messageBoxes_;
  std::vector<std::string> errors_;
};

}  // namespace kal
