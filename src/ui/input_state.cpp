#include "ui/input_state.h"

#include <algorithm>

#include "store/log.h"
#include "ui/images.h"

namespace kal {

namespace {

std::int32_t ButtonBit(MouseButton b) { return b == MouseButton::Left ? 1 : 2; }

void Present(Program& p, const Surface& surface, const Rect& area) {
  if (p.window != nullptr) p.window->Present(surface, area);
}

void SaveHeader(Program& p) {
  Surface& saved = p.shell.savedHeader;
  if (p.offscreen == nullptr) {
    saved = Surface();
    return;
  }
  const int width = std::min(p.ClientWidth, p.offscreen->width());
  const int height = std::min(p.HeaderHeight, p.offscreen->height());
  saved.Resize(std::max(0, width), std::max(0, height));
  for (int y = 0; y < saved.height(); ++y) {
    std::copy(p.offscreen->Row(y), p.offscreen->Row(y) + saved.width(), saved.Row(y));
  }
}

void Resized(Program& p, const PlatformEvent& e) {
  const bool shown = e.sizeState == SizeState::Restored || e.sizeState == SizeState::Maximized;
  // A minimised window keeps its geometry; a modal loop keeps the size it
  // laid itself out for.
  if (!shown || e.width <= 0 || e.height <= 0 || p.ModalActive != 0 || p.window == nullptr) return;
  const WindowRect outer = p.window->OuterRect();
  const std::int32_t oldWidth = p.ClientWidth;
  const std::int32_t oldHeight = p.ClientHeight;
  p.WindowX = outer.x;
  p.WindowY = outer.y;
  p.ClientWidth = outer.width - 2 * p.window->FrameWidth();
  p.ClientHeight = outer.height - 2 * p.window->FrameHeight();
  p.CentreX = p.ClientWidth / 2;
  p.input.layoutChanged = 1;
  if (e.sizeState == SizeState::Maximized) {
    // Only a window manager maximises this way; remember it as the program's own maximised state.
    p.WindowMaximized = 1;
  } else if (p.ClientWidth != oldWidth || p.ClientHeight != oldHeight) {
    p.WindowMaximized = 0;
  }
  if (p.saveSettings) p.saveSettings();
  if (p.log) p.log(WindowSizeLogLine(p.ClientWidth, p.ClientHeight));
}

}  // namespace

std::string WindowSizeLogLine(std::int32_t width, std::int32_t height) {
  return "Window Size: " + LogNumber(width) + " x " + LogNumber(height);
}

void RepaintWindow(Program& p) {
  if (p.offscreen == nullptr) return;
  const Rect whole{0, 0, p.ClientWidth, p.ClientHeight};
  const Surface& saved = p.shell.savedHeader;
  if (p.input.activeWindow != 0 || saved.height() == 0) {
    Present(p, *p.offscreen, whole);
    return;
  }
  Present(p, saved, saved.Bounds());
  Present(p, *p.offscreen, Rect{0, saved.height(), p.ClientWidth, p.ClientHeight});
}

void ShowFromTray(Program& p) {
  if (p.window == nullptr) return;
  p.window->SetTrayIcon(false);
  p.window->Show();
  p.window->Raise();
}

std::vector<IconPixels> TrayIconImages() {
  std::vector<IconPixels> images;
  for (const int size : {16, 22, 24, 32, 48, 64}) {
    const Image icon = ProgramIcon(size);
    IconPixels& out = images.emplace_back();
    out.width = icon.pixels.width();
    out.height = icon.pixels.height();
    out.argb.reserve(icon.pixels.pixels().size());
    for (std::size_t i = 0; i < icon.pixels.pixels().size(); ++i) {
      const Colour c = icon.pixels.pixels()[i];
      const std::uint32_t alpha = i < icon.alpha.size() ? icon.alpha[i] : 255;
      out.argb.push_back((alpha << 24) | (static_cast<std::uint32_t>(RedOf(c)) << 16) |
                         (static_cast<std::uint32_t>(GreenOf(c)) << 8) | static_cast<std::uint32_t>(BlueOf(c)));
    }
  }
  return images;
}

void HideToTray(Program& p) {
  if (p.window == nullptr) return;
  if (!p.shell.trayImagesGiven) {
    // Drawn at the first use, not at start-up: most runs never hide the window.
    p.window->SetTrayImages(TrayIconImages());
    p.shell.trayImagesGiven = true;
  }
  if (p.window->SetTrayIcon(true)) {
    p.window->Hide();
    return;
  }
  // No notification area to come back from: a hidden window would be lost.
  if (p.log) p.log("No tray icon host found: window minimized instead");
  p.window->Show();
  p.window->Minimize();
}

void StartDayTimer(Program& p) {
  if (p.window != nullptr) p.window->StartTimer(DayTimerId, DayTimerPeriodMs);
}

void StartCaretTimer(Program& p) {
  if (p.window != nullptr) p.window->StartTimer(CaretTimerId, CaretTimerPeriodMs);
}

void StopCaretTimer(Program& p) {
  if (p.window != nullptr) p.window->KillTimer(CaretTimerId);
}

void ApplyEvent(Program& p, const PlatformEvent& e) {
  InputState& in = p.input;
  in.wheelLines = 0;
  switch (e.type) {
    case EventType::None:
      return;
    case EventType::Activate:
      in.activeWindow = e.active ? 1 : 0;
      if (p.drawHeader) p.drawHeader();
      if (e.active) {
        p.shell.savedHeader = Surface();
      } else {
        SaveHeader(p);
      }
      RepaintWindow(p);
      break;
    case EventType::Expose:
      RepaintWindow(p);
      break;
    case EventType::Char:
      in.lastChar = e.ch;
      break;
    case EventType::KeyDown:
      if (const int code = ProgramKeyCode(e.key); code != 0) in.lastKey = code;
      in.caretPhase = 1;
      break;
    case EventType::KeyUp:
      in.lastKey = 0;
      in.lastChar = 0;
      break;
    case EventType::MouseDown:
    case EventType::DoubleClick:
      // A set of held buttons: a second press without a release (one lost
      // outside the window) must not turn "left" into "right".
      in.mouseButton |= ButtonBit(e.button);
      in.mouseX = e.x;
      in.mouseY = e.y;
      in.caretPhase = 1;
      break;
    case EventType::MouseUp:
      in.mouseButton &= ~ButtonBit(e.button);
      in.shiftDown = 0;
      in.ctrlDown = 0;
      break;
    case EventType::MouseMove:
      in.mouseX = e.x;
      in.mouseY = e.y;
      break;
    case EventType::Wheel: {
      const std::int32_t n = e.ctrl ? 1 : p.wheelScrollLines;
      if (e.steps > 0) in.wheelLines = n;
      if (e.steps < 0) in.wheelLines = -n;
      in.caretPhase = 1;
      break;
    }
    case EventType::Resize:
      Resized(p, e);
      break;
    case EventType::Move:
      // The user moved the window through the window manager (the header
      // band): the same outcome as the program's own header drag.
      p.WindowX = e.x;
      p.WindowY = e.y;
      p.WindowMaximized = 0;
      if (p.saveSettings) p.saveSettings();
      break;
    case EventType::Timer:
      if (e.id == CaretTimerId) in.caretPhase = (in.caretPhase + 1) & 1;
      if (e.id == DayTimerId && p.clock != nullptr) in.currentDay = p.clock->Now().day;
      break;
    case EventType::Close:
      in.quitRequested = 1;
      break;
    case EventType::Command:
      if (e.id == CommandShow) {
        // The icon lives only while the window is hidden, whichever way it comes back.
        ShowFromTray(p);
      } else if (e.id == CommandExit) {
        if (p.window != nullptr) p.window->SetTrayIcon(false);
        in.quitRequested = 1;
      } else if (e.id == 2) {
        in.quitRequested = 1;
      }
      break;
    case EventType::TrayClick:
      if (p.window == nullptr || p.window->Visible()) break;
      if (e.button == MouseButton::Left) {
        ShowFromTray(p);
      } else {
        p.window->ShowTrayMenu();
      }
      break;
    case EventType::ShowRequest:
      // A second copy was started: come to the front, active.
      ShowFromTray(p);
      in.activeWindow = 1;
      break;
  }
  in.shiftDown = e.shift ? 1 : 0;
  in.ctrlDown = e.ctrl ? 1 : 0;
}

void PumpMessages(Program& p, int wait) {
  InputState& in = p.input;
  if (p.window != nullptr) {
    // The size limits follow ModalActive: frozen at the current size while a
    // modal loop runs, else the smallest usable size and no maximum.
    const bool frozen = p.ModalActive != 0;
    if (!p.shell.limitsApplied || frozen != p.shell.limitsFrozen ||
        (frozen && (p.shell.limitsWidth != p.ClientWidth || p.shell.limitsHeight != p.ClientHeight))) {
      const int fw = 2 * p.window->FrameWidth();
      const int fh = 2 * p.window->FrameHeight();
      if (frozen) {
        p.window->SetSizeLimits(p.ClientWidth + fw, p.ClientHeight + fh, p.ClientWidth + fw, p.ClientHeight + fh);
      } else {
        p.window->SetSizeLimits(MinClientWidth + fw, MinClientHeight + fh, 0, 0);
      }
      p.shell.limitsApplied = true;
      p.shell.limitsFrozen = frozen;
      p.shell.limitsWidth = p.ClientWidth;
      p.shell.limitsHeight = p.ClientHeight;
    }
  }
  if (in.quitRequested == 0 && p.window != nullptr) {
    PlatformEvent e;
    if (wait != 0) {
      in.lastChar = 0;
      in.lastKey = 0;
      e = p.window->NextEvent(true);
    } else {
      in.wheelLines = 0;
      e = p.window->NextEvent(false);
    }
    ApplyEvent(p, e);
  }
  UpdateMouseCapture(p);
}

void UpdateMouseCapture(Program& p) {
  if (p.window == nullptr) return;
  if (p.input.mouseButton > 0 && !p.shell.mouseCaptured) {
    p.window->SetMouseCapture(true);
    p.shell.mouseCaptured = true;
  } else if (p.input.mouseButton <= 0 && p.shell.mouseCaptured) {
    p.window->SetMouseCapture(false);
    p.shell.mouseCaptured = false;
  }
}

}  // namespace kal
