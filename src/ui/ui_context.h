// What every control, dialog and editor needs: the program's input state and
// geometry, and the drawing context.
//
// A UiContext only refers to the Program and the Gfx, which start-up (or a
// test) owns and keeps alive for as long as the context is used. Screens
// install their real frame handling in frameInput; until then, and in tests,
// one pass is just a message pump.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/window.h"
#include "ui/gfx.h"
#include "ui/input_state.h"
#include "ui/program.h"

namespace kal {

struct UiContext {
  Program& program;  // input state, geometry, ModalActive, the window backend (clipboard)
  Gfx& gfx;          // surface, fonts, textures, presenter
  // One pass of the main frame's input handling (header tabs, day change ...). Screens
  // install the real one later; while it is empty RunFrameInput only pumps messages.
  std::function<void(int wait, std::int32_t& requestedScreen)> frameInput;
};

// One pass of frame input: the installed handler, else one message pump
// (waiting when asked, so that a loop never spins while nothing happens).
inline void RunFrameInput(UiContext& ui, int wait, std::int32_t& requestedScreen) {
  if (ui.frameInput) {
    ui.frameInput(wait, requestedScreen);
  } else {
    PumpMessages(ui.program, wait);
  }
}

// The presenter of a Gfx that shows the off-screen surface in the program's
// window. Does not own the backend.
class WindowPresenter : public Presenter {
 public:
  explicit WindowPresenter(WindowBackend* window = nullptr) : window_(window) {}
  void Present(const Surface& surface, const Rect& area) override {
    if (window_ != nullptr) window_->Present(surface, area);
  }

 private:
  WindowBackend* window_;
};

}  // namespace kal
