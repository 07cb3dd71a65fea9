// The window backend: the one window of the program and the desktop services
// that belong to it (screen, work area, timers, clipboard, message boxes).
//
// Everything above the platform sees only this interface. A backend turns the
// native input into platform-neutral events, one at a time, and shows
// rectangles of the program's off-screen Surface. The desktop backend runs on
// SDL2 (sdl_window.h); the headless backend (headless_window.h) plays an input
// script and keeps its own copy of the window image, so both show the same
// pixels.
//
// Ownership: the program owns its backend for the whole run and uses it from
// the user-interface thread only; the one exception is PostShowRequest, which
// any thread may call. The backend never keeps a reference to a Surface
// beyond a Present call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/surface.h"

namespace kal {

// Key identities the backends report. Only some keys have a number in the
// program's own key numbering (ProgramKeyCode); the others still arrive so
// that key-up and caret handling see every key.
enum class Key : std::uint8_t {
  None,
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
  Home, Up, PageUp, Left, Right, End, Down, PageDown, Insert, Delete,
  Enter, Tab, Escape, Backspace, Space,
  Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
  A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S, T, U, V, W, X, Y, Z,
  Shift, Ctrl, Other,
};

// The key's number in the program's key numbering (platform/key_codes.h);
// 0 for every key that has none.
int ProgramKeyCode(Key key);
// "Left", "F5", "A", "7" ... as input scripts write them; Key::None when unknown.
Key KeyFromName(std::string_view name);
// The character a key gives, as the system's key translation makes it:
// Enter 13, Tab 9, Escape 27, Backspace 8, Space 32; with Ctrl a letter gives
// its control character (Ctrl+A = 1 ... Ctrl+Z = 26), Ctrl+Enter 10 and
// Ctrl+Backspace 127; without Ctrl a letter gives its upper- or lower-case
// character and a digit its digit. 0 when the key gives no character.
int KeyCharacter(Key key, bool shift, bool ctrl);

enum class MouseButton : std::uint8_t { Left = 1, Right = 2 };

enum class SizeState : std::uint8_t { Restored, Maximized, Minimized };

// Command ids shared by the tray menu and the program.
constexpr int CommandShow = 1426;
constexpr int CommandExit = 1432;

enum class EventType : std::uint8_t {
  None,         // nothing arrived (a non-waiting poll or a timeout)
  MouseDown,    // button, x, y
  MouseUp,      // button, x, y
  DoubleClick,  // button, x, y: the second press of a double click, instead of MouseDown
  MouseMove,    // x, y (client pixels; may lie outside the client while the mouse is captured)
  Wheel,        // steps: > 0 turned away from the user
  KeyDown,      // key
  KeyUp,        // key
  Char,         // ch: one Windows-1252 byte
  Resize,       // width, height (client), sizeState
  Move,         // x, y: new outer position, after the user moved the window by other means than the program
  Activate,     // active
  Expose,       // the window must be repainted from the off-screen image
  Close,        // the user asked to close the window
  Timer,        // id
  TrayClick,    // button
  Command,      // id: CommandShow or CommandExit
  ShowRequest,  // a second copy of the program asked this one to show itself
};

struct PlatformEvent {
  EventType type = EventType::None;
  MouseButton button = MouseButton::Left;
  int x = 0;  // mouse position, or the new outer position of Move
  int y = 0;
  int width = 0;  // Resize
  int height = 0;
  SizeState sizeState = SizeState::Restored;
  int steps = 0;  // Wheel
  Key key = Key::None;
  std::uint8_t ch = 0;  // Char
  bool active = false;  // Activate
  int id = 0;           // Timer, Command
  // The keyboard state when the event was taken from the queue.
  bool shift = false;
  bool ctrl = false;
};

struct WindowRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowRect&) const = default;
};

struct ModifierState {
  bool shift = false;
  bool ctrl = false;
};

enum class MessageIcon : std::uint8_t { None, Stop };

// A picture for the desktop outside the window: straight-alpha 0xAARRGGBB
// pixels, row by row.
struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  // Creates the program window (once), hidden when asked. Position and size
  // are the outer rectangle; false when the window cannot be created.
  virtual bool Create(std::string_view title, int x, int y, int width, int height, bool hidden) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  // Brings the window to the top and asks for the input focus.
  virtual void Raise() = 0;
  virtual void MoveResize(int x, int y, int width, int height) = 0;
  // The limits the user can resize to (outer size). maxWidth/maxHeight 0:
  // no upper limit.
  virtual void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) = 0;
  virtual WindowRect OuterRect() const = 0;
  // Width of the resizing frame on each side; the program's window has none
  // of its own, so 0 on every backend so far.
  virtual int FrameWidth() const = 0;
  virtual int FrameHeight() const = 0;

  // Size of the screen the window is (or will be) on, and the part of it not
  // covered by panels and task bars.
  virtual WindowRect ScreenRect() const = 0;
  virtual WindowRect WorkArea() const = 0;

  // The next event. Without wait: EventType::None when nothing is pending.
  // With wait: blocks until an event arrives, or, when timeoutMs >= 0, until
  // that many milliseconds have passed (then EventType::None).
  virtual PlatformEvent NextEvent(bool wait, int timeoutMs = -1) = 0;
  // Wakes a waiting NextEvent with a ShowRequest event. Any thread.
  virtual void PostShowRequest() = 0;

  // Copies a rectangle of the surface to the same place in the window; the
  // part outside the surface or the window is ignored.
  virtual void Present(const Surface& surface, const Rect& area) = 0;

  // Periodic timer delivering EventType::Timer with its id; starting an id
  // that runs restarts it with the new period.
  virtual void StartTimer(int id, int periodMs) = 0;
  virtual void KillTimer(int id) = 0;

  // While captured, mouse moves and releases outside the window still arrive.
  virtual void SetMouseCapture(bool on) = 0;
  virtual ModifierState Modifiers() const = 0;

  // Clipboard text in Windows-1252. False when the clipboard holds no text.
  virtual bool GetClipboardText(std::string& cp1252) = 0;
  virtual void SetClipboardText(std::string_view cp1252) = 0;

  // A message box of the system, for conditions where the program cannot
  // draw its own. Text and title are Windows-1252 with CR LF line breaks.
  virtual void ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) = 0;

  // The band of this height at the top of the client area moves the window
  // when dragged with the left button, except over the given rectangles
  // (buttons and tabs), which keep their clicks. Height 0 turns it off.
  virtual void SetDragBand(int height, const std::vector<Rect>& exclusions) = 0;

  // Minimises the window to the task bar (shown windows only).
  virtual void Minimize() = 0;

  // The pictures of the notification-area icon, in as many sizes as there
  // are; the host picks the one that fits.
  virtual void SetTrayImages(std::vector<IconPixels> images) = 0;
  // The notification-area icon; a hidden window can only be reached through
  // it. Showing returns false when the desktop has no notification area to
  // put it in, so that the caller can keep the window reachable another way.
  virtual bool SetTrayIcon(bool shown) = 0;
  // The icon's menu ("Show", "Exit") at the pointer; the chosen item arrives
  // as a Command event.
  virtual void ShowTrayMenu() = 0;

  // The clock the program runs on: the system's, or the script's fixed clock.
  virtual Clock& clock() = 0;
};

}  // namespace kal
