// What every control and dialog works with: the program's input state and
// window, the drawing primitives, and the one pass of main-frame input that
// modal loops run.
//
// A UiContext only refers to things owned elsewhere (start-up or a test keeps
// the Program and the Gfx alive for as long as the context is used). Screens
// install the real frameInput once the main frame exists; until then modal
// loops fall back to the plain message pump.
#pragma once

#include <cstdint>
#include <functional>

#include "app/input_state.h"
#include "app/program.h"
#include "ui/gfx.h"

namespace kal {

struct UiContext {
  Program& program;  // input state, geometry, ModalActive, the window backend (clipboard)
  Gfx& gfx;          // surface, fonts, textures, presenter
  // One pass of the main frame's input handling (header tabs, day change ...). Screens
  // install the real one later; the default just pumps messages.
  std::function<void(int wait, std::int32_t& requestedScreen)> frameInput;
};

// One pass of frame input: the installed frameInput, else PumpMessages with
// the same wait flag.
inline void FrameInput(UiContext& ui, int wait, std::int32_t& requestedScreen) {
  if (ui.frameInput) {
    ui.frameInput(wait, requestedScreen);
  } else {
    PumpMessages(ui.program, wait);
  }
}

}  // namespace kal
