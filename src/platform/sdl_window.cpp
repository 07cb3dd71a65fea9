#include "platform/sdl_window.h"

#include <SDL.h>

#include <algorithm>

#include "platform/encoding.h"
#include "platform/tray.h"

namespace kal {

namespace {

// The window starts with the smallest size the program can lay itself out in.
constexpr int kMinClientWidth = 775;
constexpr int kMinClientHeight = 575;
// "No upper limit": SDL needs a number.
constexpr int kNoMaximum = 32767;
// Width of the invisible resizing edge inside the borderless window.
constexpr int kResizeEdge = 4;
constexpr int kMinTimerPeriodMs = 10;

SDL_HitTestResult HitTestCallback(SDL_Window*, const SDL_Point* point, void* data) {
  return static_cast<SDL_HitTestResult>(static_cast<const SdlWindow*>(data)->HitTestAt(point->x, point->y));
}

Uint32 TimerCallback(Uint32 interval, void* param) {
  auto* slot = static_cast<SdlWindow::TimerSlot*>(param);
  if (!slot->active.load()) return 0;
  // Like window-system timers, at most one tick waits in the queue.
  if (!slot->pending.exchange(true)) {
    SDL_Event ev{};
    ev.type = slot->eventType;
    ev.user.data1 = slot;
    if (SDL_PushEvent(&ev) <= 0) slot->pending.store(false);
  }
  return interval;
}

Key MapKey(SDL_Keycode sym) {
  if (sym >= SDLK_a && sym <= SDLK_z) return static_cast<Key>(static_cast<int>(Key::A) + (sym - SDLK_a));
  if (sym >= SDLK_0 && sym <= SDLK_9) return static_cast<Key>(static_cast<int>(Key::Digit0) + (sym - SDLK_0));
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return static_cast<Key>(static_cast<int>(Key::F1) + (sym - SDLK_F1));
  switch (sym) {
    case SDLK_HOME: return Key::Home;
    case SDLK_UP: return Key::Up;
    case SDLK_PAGEUP: return Key::PageUp;
    case SDLK_LEFT: return Key::Left;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_END: return Key::End;
    case SDLK_DOWN: return Key::Down;
    case SDLK_PAGEDOWN: return Key::PageDown;
    case SDLK_INSERT: return Key::Insert;
    case SDLK_DELETE: return Key::Delete;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Key::Enter;
    case SDLK_TAB: return Key::Tab;
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_BACKSPACE: return Key::Backspace;
    case SDLK_SPACE: return Key::Space;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return Key::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return Key::Ctrl;
    default: return Key::Other;
  }
}

void SetModifiers(PlatformEvent& e, Uint16 mod) {
  e.shift = (mod & KMOD_SHIFT) != 0;
  e.ctrl = (mod & KMOD_CTRL) != 0;
}

std::string ToDesktopText(std::string_view cp1252) {
  std::string utf8 = Cp1252ToUtf8(cp1252);
  // Message texts use CR LF; desktop dialogs want plain line feeds.
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    out.push_back(utf8[i]);
  }
  return out;
}

}  // namespace

SdlWindow::SdlWindow() {
  // A click on the inactive window both activates it and reaches the program.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // The window shows a CPU-drawn image: the window system's own shared-memory
  // images do that without starting an OpenGL driver.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
    error_ = SDL_GetError();
    return;
  }
  userEventBase_ = SDL_RegisterEvents(3);
  if (userEventBase_ == static_cast<std::uint32_t>(-1)) {
    error_ = "no SDL user events left";
    SDL_Quit();
    return;
  }
  ok_ = true;
}

SdlWindow::~SdlWindow() {
  tray_.reset();  // its worker posts SDL events
  for (auto& [id, slot] : timers_) {
    slot->active.store(false);
    if (slot->sdlId != 0) SDL_RemoveTimer(slot->sdlId);
  }
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  if (ok_) SDL_Quit();  // waits for the timer thread, after which the slots may go
}

bool SdlWindow::Create(std::string_view title, int x, int y, int width, int height, bool hidden) {
  if (!ok_ || window_ != nullptr) return false;
  Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE;
  flags |= hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
  const std::string utf8Title = Cp1252ToUtf8(title);
  title_ = utf8Title;
  window_ = SDL_CreateWindow(utf8Title.c_str(), x, y, width, height, flags);
  if (window_ == nullptr) {
    error_ = SDL_GetError();
    return false;
  }
  setX_ = x;
  setY_ = y;
  SDL_SetWindowMinimumSize(window_, kMinClientWidth, kMinClientHeight);
  SDL_SetWindowHitTest(window_, HitTestCallback, this);
  SDL_StartTextInput();
  return true;
}

std::uint32_t SdlWindow::windowId() const { return window_ == nullptr ? 0 : SDL_GetWindowID(window_); }

void SdlWindow::Show() {
  if (window_ == nullptr) return;
  SDL_ShowWindow(window_);
  if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0) SDL_RestoreWindow(window_);
}

void SdlWindow::Minimize() {
  if (window_ != nullptr) SDL_MinimizeWindow(window_);
}

void SdlWindow::Hide() {
  if (window_ != nullptr) SDL_HideWindow(window_);
}

bool SdlWindow::Visible() const {
  return window_ != nullptr && (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0 &&
         (SDL_GetWindowFlags(window_) & SDL_WINDOW_HIDDEN) == 0;
}

void SdlWindow::Raise() {
  if (window_ != nullptr) SDL_RaiseWindow(window_);
}

void SdlWindow::MoveResize(int x, int y, int width, int height) {
  if (window_ == nullptr) return;
  setX_ = x;
  setY_ = y;
  SDL_SetWindowPosition(window_, x, y);
  SDL_SetWindowSize(window_, width, height);
}

void SdlWindow::SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) {
  if (window_ == nullptr) return;
  // SDL refuses a maximum below the current minimum and the other way round,
  // so open the maximum first, then set the minimum, then the real maximum.
  SDL_SetWindowMaximumSize(window_, kNoMaximum, kNoMaximum);
  SDL_SetWindowMinimumSize(window_, std::max(1, minWidth), std::max(1, minHeight));
  SDL_SetWindowMaximumSize(window_, maxWidth > 0 ? std::max(maxWidth, minWidth) : kNoMaximum,
                           maxHeight > 0 ? std::max(maxHeight, minHeight) : kNoMaximum);
  frozenSize_ = maxWidth > 0 && maxHeight > 0 && maxWidth <= minWidth && maxHeight <= minHeight;
}

WindowRect SdlWindow::OuterRect() const {
  WindowRect r;
  if (window_ == nullptr) return r;
  SDL_GetWindowPosition(window_, &r.x, &r.y);
  SDL_GetWindowSize(window_, &r.width, &r.height);
  return r;
}

int SdlWindow::DisplayIndex() const {
  if (window_ == nullptr) return 0;
  const int index = SDL_GetWindowDisplayIndex(window_);
  return index < 0 ? 0 : index;
}

WindowRect SdlWindow::ScreenRect() const {
  SDL_Rect r{};
  if (!ok_ || SDL_GetDisplayBounds(DisplayIndex(), &r) != 0) return {};
  return WindowRect{r.x, r.y, r.w, r.h};
}

WindowRect SdlWindow::WorkArea() const {
  SDL_Rect r{};
  if (!ok_ || SDL_GetDisplayUsableBounds(DisplayIndex(), &r) != 0) return ScreenRect();
  return WindowRect{r.x, r.y, r.w, r.h};
}

void SdlWindow::Queue(PlatformEvent e) { pending_.push_back(e); }

PlatformEvent SdlWindow::NextEvent(bool wait, int timeoutMs) {
  const Uint32 start = SDL_GetTicks();
  while (pending_.empty()) {
    SDL_Event ev;
    int got = 0;
    if (!ok_) {
      break;
    } else if (!wait) {
      got = SDL_PollEvent(&ev);
    } else if (timeoutMs >= 0) {
      const Uint32 spent = SDL_GetTicks() - start;
      if (spent >= static_cast<Uint32>(timeoutMs)) break;
      got = SDL_WaitEventTimeout(&ev, timeoutMs - static_cast<int>(spent));
    } else {
      got = SDL_WaitEvent(&ev);
    }
    if (got == 0) break;
    Translate(ev);
  }
  if (pending_.empty()) return PlatformEvent{};
  const PlatformEvent e = pending_.front();
  pending_.pop_front();
  return e;
}

void SdlWindow::Translate(const SDL_Event& ev) {
  PlatformEvent e;
  SetModifiers(e, static_cast<Uint16>(SDL_GetModState()));
  switch (ev.type) {
    case SDL_QUIT:
      e.type = EventType::Close;
      Queue(e);
      return;
    case SDL_WINDOWEVENT:
      switch (ev.window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
          e.type = EventType::Expose;
          break;
        case SDL_WINDOWEVENT_MOVED:
          if (ev.window.data1 == setX_ && ev.window.data2 == setY_) return;
          setX_ = ev.window.data1;
          setY_ = ev.window.data2;
          e.type = EventType::Move;
          e.x = ev.window.data1;
          e.y = ev.window.data2;
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          e.type = EventType::Resize;
          e.width = ev.window.data1;
          e.height = ev.window.data2;
          e.sizeState = (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) != 0 ? SizeState::Maximized
                                                                                 : SizeState::Restored;
          break;
        case SDL_WINDOWEVENT_MINIMIZED:
          e.type = EventType::Resize;
          e.sizeState = SizeState::Minimized;
          break;
        case SDL_WINDOWEVENT_RESTORED: {
          // Coming back from the task bar: the size is unchanged but the
          // program must draw again, as after any restore.
          e.type = EventType::Resize;
          SDL_GetWindowSize(window_, &e.width, &e.height);
          e.sizeState = SizeState::Restored;
          break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
          e.type = EventType::Activate;
          e.active = ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
          break;
        case SDL_WINDOWEVENT_CLOSE:
          e.type = EventType::Close;
          break;
        default:
          return;
      }
      Queue(e);
      return;
    case SDL_MOUSEMOTION:
      e.type = EventType::MouseMove;
      e.x = ev.motion.x;
      e.y = ev.motion.y;
      Queue(e);
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (ev.button.button != SDL_BUTTON_LEFT && ev.button.button != SDL_BUTTON_RIGHT) return;
      e.button = ev.button.button == SDL_BUTTON_LEFT ? MouseButton::Left : MouseButton::Right;
      e.x = ev.button.x;
      e.y = ev.button.y;
      if (ev.type == SDL_MOUSEBUTTONUP) {
        e.type = EventType::MouseUp;
      } else {
        // Every second press of a quick series is a double click; the third starts over.
        e.type = ev.button.clicks >= 2 && ev.button.clicks % 2 == 0 ? EventType::DoubleClick : EventType::MouseDown;
      }
      Queue(e);
      return;
    case SDL_MOUSEWHEEL: {
      int steps = ev.wheel.y;
      if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
      if (steps == 0) return;
      e.type = EventType::Wheel;
      e.steps = steps;
      SDL_GetMouseState(&e.x, &e.y);
      Queue(e);
      return;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      SetModifiers(e, ev.key.keysym.mod);
      e.key = MapKey(ev.key.keysym.sym);
      e.type = ev.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
      Queue(e);
      if (ev.type == SDL_KEYUP) return;
      // Keys that never produce text input still give their character, as
      // the system's key translation does; so do Ctrl+letters.
      const bool alt = (ev.key.keysym.mod & KMOD_ALT) != 0;
      const bool controlKey =
          e.key == Key::Enter || e.key == Key::Tab || e.key == Key::Escape || e.key == Key::Backspace;
      const bool ctrlLetter = e.ctrl && !alt && e.key >= Key::A && e.key <= Key::Z;
      if (controlKey || ctrlLetter || (e.ctrl && e.key == Key::Space)) {
        const int ch = KeyCharacter(e.key, e.shift, e.ctrl);
        if (ch != 0) {
          e.type = EventType::Char;
          e.ch = static_cast<std::uint8_t>(ch);
          Queue(e);
        }
      }
      return;
    }
    case SDL_TEXTINPUT: {
      // With Ctrl (but not AltGr) held the key already gave its control character.
      if (e.ctrl && (SDL_GetModState() & KMOD_ALT) == 0) return;
      e.type = EventType::Char;
      for (const char c : Utf8ToCp1252(ev.text.text)) {
        e.ch = static_cast<std::uint8_t>(c);
        Queue(e);
      }
      return;
    }
    default:
      break;
  }
  if (ev.type == userEventBase_) {
    auto* slot = static_cast<TimerSlot*>(ev.user.data1);
    slot->pending.store(false);
    if (!slot->active.load()) return;
    e.type = EventType::Timer;
    e.id = slot->id;
    Queue(e);
  } else if (ev.type == userEventBase_ + 1) {
    e.type = EventType::ShowRequest;
    Queue(e);
  } else if (ev.type == userEventBase_ + 2) {
    const int value = static_cast<int>(reinterpret_cast<std::intptr_t>(ev.user.data1));
    e.type = static_cast<EventType>(ev.user.code);
    if (e.type == EventType::Command) e.id = value;
    if (e.type == EventType::TrayClick) e.button = static_cast<MouseButton>(value);
    Queue(e);
  }
}

void SdlWindow::PostShowRequest() {
  if (!ok_) return;
  SDL_Event ev{};
  ev.type = userEventBase_ + 1;
  SDL_PushEvent(&ev);
}

void SdlWindow::Present(const Surface& surface, const Rect& area) {
  if (window_ == nullptr || surface.width() == 0 || surface.height() == 0) return;
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (target == nullptr) return;
  const Rect r = area.Intersect(surface.Bounds()).Intersect(Rect{0, 0, target->w, target->h});
  if (r.Empty()) return;
  // Wraps the program's pixels without copying; SDL converts while blitting.
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<Colour*>(surface.Row(0)), surface.width(), surface.height(), 32, surface.width() * 4,
      SDL_PIXELFORMAT_XBGR8888);
  if (source == nullptr) return;
  SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
  SDL_Rect from{r.left, r.top, r.Width(), r.Height()};
  SDL_Rect to = from;
  SDL_BlitSurface(source, &from, target, &to);
  SDL_FreeSurface(source);
  SDL_UpdateWindowSurfaceRects(window_, &to, 1);
}

void SdlWindow::StartTimer(int id, int periodMs) {
  if (!ok_) return;
  std::unique_ptr<TimerSlot>& slot = timers_[id];
  if (!slot) {
    slot = std::make_unique<TimerSlot>();
    slot->eventType = userEventBase_;
    slot->id = id;
  }
  if (slot->sdlId != 0) SDL_RemoveTimer(slot->sdlId);
  slot->active.store(true);
  slot->sdlId = SDL_AddTimer(static_cast<Uint32>(std::max(periodMs, kMinTimerPeriodMs)), TimerCallback, slot.get());
}

void SdlWindow::KillTimer(int id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->active.store(false);
  if (it->second->sdlId != 0) SDL_RemoveTimer(it->second->sdlId);
  it->second->sdlId = 0;
}

void SdlWindow::SetMouseCapture(bool on) {
  if (window_ != nullptr) SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

ModifierState SdlWindow::Modifiers() const {
  const SDL_Keymod mod = SDL_GetModState();
  return ModifierState{(mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0};
}

bool SdlWindow::GetClipboardText(std::string& cp1252) {
  if (!ok_ || SDL_HasClipboardText() != SDL_TRUE) return false;
  char* text = SDL_GetClipboardText();
  if (text == nullptr) return false;
  cp1252 = Utf8ToCp1252(text);
  SDL_free(text);
  return true;
}

void SdlWindow::SetClipboardText(std::string_view cp1252) {
  if (!ok_) return;
  SDL_SetClipboardText(Cp1252ToUtf8(cp1252).c_str());
}

void SdlWindow::ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) {
  const Uint32 flags = icon == MessageIcon::Stop ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  if (SDL_ShowSimpleMessageBox(flags, ToDesktopText(title).c_str(), ToDesktopText(text).c_str(), window_) != 0) {
    // No desktop to show it on: the terminal is the last place it can go.
    SDL_Log("%s: %s", ToDesktopText(title).c_str(), ToDesktopText(text).c_str());
  }
}

void SdlWindow::SetDragBand(int height, const std::vector<Rect>& exclusions) {
  dragBand_ = std::max(0, height);
  dragExclusions_ = exclusions;
}

void SdlWindow::SetTrayImages(std::vector<IconPixels> images) {
  trayImages_ = std::move(images);
  if (tray_) tray_->SetImages(trayImages_);
}

bool SdlWindow::SetTrayIcon(bool shown) {
  if (!shown) {
    if (tray_ && trayIcon_) tray_->Hide();
    trayIcon_ = false;
    return true;
  }
  if (!ok_) return false;
  if (!tray_) {
    const std::uint32_t type = userEventBase_ + 2;
    // Runs on the tray's worker thread; SDL's event queue takes events from any thread.
    auto post = [type](const PlatformEvent& e) {
      SDL_Event ev{};
      ev.type = type;
      ev.user.code = static_cast<Sint32>(e.type);
      ev.user.data1 = reinterpret_cast<void*>(static_cast<std::intptr_t>(e.type == EventType::Command ? e.id
                                                                          : static_cast<int>(e.button)));
      SDL_PushEvent(&ev);
    };
    // The icon's tip and its menu carry the window's title, the program's name.
    tray_ = std::make_unique<TrayIcon>(post, title_, title_);
    tray_->SetImages(trayImages_);
  }
  trayIcon_ = tray_->Show() != TrayHost::None;
  return trayIcon_;
}

void SdlWindow::ShowTrayMenu() {
  if (tray_ && trayIcon_) tray_->ShowMenu();
}

int SdlWindow::HitTestAt(int x, int y) const {
  if (window_ == nullptr) return SDL_HITTEST_NORMAL;
  int w = 0;
  int h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  if (!frozenSize_) {
    const bool left = x < kResizeEdge;
    const bool right = x >= w - kResizeEdge;
    const bool top = y < kResizeEdge;
    const bool bottom = y >= h - kResizeEdge;
    if (top && left) return SDL_HITTEST_RESIZE_TOPLEFT;
    if (top && right) return SDL_HITTEST_RESIZE_TOPRIGHT;
    if (bottom && left) return SDL_HITTEST_RESIZE_BOTTOMLEFT;
    if (bottom && right) return SDL_HITTEST_RESIZE_BOTTOMRIGHT;
    if (top) return SDL_HITTEST_RESIZE_TOP;
    if (bottom) return SDL_HITTEST_RESIZE_BOTTOM;
    if (left) return SDL_HITTEST_RESIZE_LEFT;
    if (right) return SDL_HITTEST_RESIZE_RIGHT;
  }
  if (y >= 0 && y < dragBand_ && x >= 0 && x < w) {
    for (const Rect& r : dragExclusions_) {
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return SDL_HITTEST_NORMAL;
    }
    return SDL_HITTEST_DRAGGABLE;
  }
  return SDL_HITTEST_NORMAL;
}

}  // namespace kal
