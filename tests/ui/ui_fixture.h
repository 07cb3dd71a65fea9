// A program on the headless backend with real text rendering, for driving
// controls and modal loops through input scripts.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/input_state.h"
#include "platform/freetype_text.h"
#include "platform/headless_window.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal::test {

// Shows presented rectangles in the backend's window.
class BackendPresenter : public Presenter {
 public:
  explicit BackendPresenter(WindowBackend& window) : window_(window) {}
  void Present(const Surface& surface, const Rect& area) override { window_.Present(surface, area); }

 private:
  WindowBackend& window_;
};

// One renderer for the whole test program: fonts are found and cached once.
inline FreeTypeTextRenderer& SharedRenderer() {
  static FreeTypeTextRenderer renderer;
  return renderer;
}

struct UiRig {
  explicit UiRig(const std::string& script) {
    ScriptParseResult parsed = ParseInputScript(script);
    EXPECT_TRUE(parsed.ok()) << parsed.error;
    window = std::make_unique<HeadlessWindow>(std::move(parsed.commands));
    const int w = window->startWidth();
    const int h = window->startHeight();
    window->Create("Kalendrina", 0, 0, w, h, false);
    program.window = window.get();
    program.clock = &window->clock();
    program.ClientWidth = w;
    program.ClientHeight = h;
    program.CentreX = w / 2;
    program.input.activeWindow = 1;
    surface.Resize(w, h, Rgb(40, 90, 140));
    program.offscreen = &surface;
    presenter = std::make_unique<BackendPresenter>(*window);
    gfx.surface = &surface;
    gfx.text = &SharedRenderer();
    gfx.presenter = presenter.get();
    gfx.clientWidth = w;
    gfx.clientHeight = h;
    gfx.SetupFonts("Microsoft Sans Serif", 20);
  }

  int TextWidth(std::string_view text) { return gfx.text->Measure(gfx.EditFont, text).width; }

  std::unique_ptr<HeadlessWindow> window;
  Program program;
  Surface surface;
  std::unique_ptr<BackendPresenter> presenter;
  Gfx gfx;
  UiContext ui{program, gfx, {}};
};

}  // namespace kal::test
