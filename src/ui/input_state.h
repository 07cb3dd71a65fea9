// The window procedure and the message pump: how platform events become the
// InputState and the window geometry of a Program.
//
// ApplyEvent is the portable window procedure: the backends only translate
// native events into PlatformEvents, and every rule about what an event does
// to the input state lives here. PumpMessages is the one step that every
// screen, editor and dialog loop takes before it reads the input state.
#pragma once

#include <vector>

#include "ui/program.h"

namespace kal {

// Applies one event to the program: input fields, geometry, timers, close
// requests, repaints and the tray icon.
void ApplyEvent(Program& program, const PlatformEvent& event);

// One step of event handling. With wait, clears lastChar and lastKey and
// blocks until an event arrives; without, clears wheelLines and takes at most
// one pending event. Once quitRequested is set no event is taken (so no loop
// can block). Always keeps the mouse captured exactly while a button is held.
void PumpMessages(Program& program, int wait);
// The capture rule of the pump: the mouse is captured exactly while a button is held.
void UpdateMouseCapture(Program& program);

// Shows the icon in the notification area and hides the window. Where the
// desktop has no notification area the window is minimised instead (and
// logged), so that it can always be brought back.
void HideToTray(Program& program);
// The program icon in the sizes notification areas use, for the backend.
std::vector<IconPixels> TrayIconImages();
// Shows the window again from the tray, on top.
void ShowFromTray(Program& program);

void StartDayTimer(Program& program);
void StartCaretTimer(Program& program);
void StopCaretTimer(Program& program);

// Presents the whole off-screen image (or, while the program is inactive,
// the saved top bar and the image below it).
void RepaintWindow(Program& program);

// "Window Size:  1024 x  768": numbers with a leading blank unless negative.
std::string WindowSizeLogLine(std::int32_t width, std::int32_t height);

}  // namespace kal
