// The program's window-side state: the input record, the window geometry,
// the screen selection and the services the window procedure needs.
//
// One Program exists per run (tests make as many fresh ones as they like).
// It does not own the window backend, the clock or the off-screen surface:
// start-up creates them, points the Program at them and keeps them alive
// until the exit sequence is done. Only the user-interface thread touches a
// Program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace kal {

// Everything the window procedure learns about the user's input; every
// screen and dialog loop reads it after PumpMessages. All 32-bit signed.
struct InputState {
  std::int32_t lastChar = 0;     // last character (Windows-1252), 0 = none
  std::int32_t lastKey = 0;      // last key-down in the program's key numbering, 0 = none
  std::int32_t mouseX = 0;
  std::int32_t mouseY = 0;
  std::int32_t mouseButton = 0;  // bits: 1 left, 2 right
  std::int32_t wheelLines = 0;   // > 0 wheel turned away from the user
  std::int32_t shiftDown = 0;
  std::int32_t ctrlDown = 0;
  std::int32_t caretPhase = 0;   // 1 caret visible
  std::int32_t quitRequested = 0;
  std::int32_t layoutChanged = 0;
  std::int32_t activeWindow = 0;  // nonzero while the program is the active application
  std::int32_t currentDay = 0;    // day of the month, refreshed by the day timer
};

enum ScreenId : std::int32_t { ScreenCalendar = 1, ScreenEvents = 2, ScreenOptions = 3 };

constexpr std::int32_t HeaderHeightPixels = 50;
// The smallest drawing area every screen can lay itself out in.
constexpr std::int32_t MinClientWidth = 775;
constexpr std::int32_t MinClientHeight = 575;

constexpr int DayTimerId = 5;
constexpr int DayTimerPeriodMs = 60000;
constexpr int CaretTimerId = 300;
constexpr int CaretTimerPeriodMs = 300;

// The wheel setting of the system: lines scrolled per wheel step.
constexpr std::int32_t DefaultWheelScrollLines = 3;

struct Program {
  InputState input;

  // Window geometry (persisted with the settings).
  std::int32_t WindowX = 0;
  std::int32_t WindowY = 0;
  std::int32_t ClientWidth = 0;
  std::int32_t ClientHeight = 0;
  std::uint8_t WindowMaximized = 0;
  std::int32_t CentreX = 0;
  std::int32_t HeaderHeight = HeaderHeightPixels;

  std::int32_t CurrentScreen = ScreenCalendar;
  std::int32_t NextScreen = 0;
  // Nonzero while an editor or dialog runs its own loop; the window size is frozen then.
  std::int32_t ModalActive = 0;

  std::int32_t wheelScrollLines = DefaultWheelScrollLines;

  // Services, owned by start-up (or the test).
  WindowBackend* window = nullptr;
  Clock* clock = nullptr;
  const Surface* offscreen = nullptr;  // what repaints show; null: nothing drawn yet

  // Hooks into the layers above, each optional.
  std::function<void(const std::string&)> log;  // one line for the error log
  std::function<void()> saveSettings;           // the geometry changed
  std::function<void()> drawHeader;             // activation changed: redraw the top bar off-screen

  // Kept by the pump and the window procedure between calls.
  struct {
    bool mouseCaptured = false;
    bool limitsApplied = false;
    bool limitsFrozen = false;
    std::int32_t limitsWidth = 0;
    std::int32_t limitsHeight = 0;
    Surface savedHeader;  // the top bar as it was when the program lost activation
    bool trayImagesGiven = false;
  } shell;
};

}  // namespace kal
