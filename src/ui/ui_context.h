// What every drawn control and dialog works with: the program's input state
// and window, the drawing context, and the main frame's input pass.
//
// A UiContext only refers to objects that start-up (or a test) owns and keeps
// alive for as long as controls use the context; it owns nothing itself.
#pragma once

#include <cstdint>
#include <functional>

#include "app/program.h"
#include "ui/gfx.h"

namespace kal {

struct UiContext {
  Program& program;  // input state, geometry, ModalActive, the window backend (clipboard)
  Gfx& gfx;          // surface, fonts, textures, presenter
  // One pass of the main frame's input handling (header tabs, day change ...). Screens
  // install the real one later; the default just pumps messages without waiting.
  std::function<void(int wait, std::int32_t& requestedScreen)> frameInput;
};

}  // namespace kal
