// A whole user-interface stack on the headless backend for end-to-end tests
// of controls and dialogs: a Program playing an input script, a Gfx with the
// FreeType renderer drawing into an off-screen surface of the client size,
// presented into the headless window, and the UiContext over both.
//
// The fixture owns everything; build one per test. Loops end at the latest
// when the script runs out (the backend then asks the program to close).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "app/input_state.h"
#include "platform/freetype_text.h"
#include "platform/headless_window.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

// Hands presented rectangles to the window backend.
class WindowPresenter : public Presenter {
 public:
  explicit WindowPresenter(WindowBackend* window) : window_(window) {}
  void Present(const Surface& surface, const Rect& area) override {
    if (window_ != nullptr) window_->Present(surface, area);
  }

 private:
  WindowBackend* window_;
};

class UiFixture {
 public:
  // The script's leading "size" sets the client size (1024 x 768 without).
  explicit UiFixture(std::string_view script) {
    ScriptParseResult parsed = ParseInputScript(script);
    EXPECT_TRUE(parsed.ok()) << parsed.error;
    window = std::make_unique<HeadlessWindow>(std::move(parsed.commands));
    const int width = window->startWidth();
    const int height = window->startHeight();
    window->Create("Kalendrina", 0, 0, width, height, false);
    surface.Resize(width, height, ColourButtonFace);
    presenter = std::make_unique<WindowPresenter>(window.get());
    program.window = window.get();
    program.clock = &window->clock();
    program.offscreen = &surface;
    program.ClientWidth = width;
    program.ClientHeight = height;
    program.CentreX = width / 2;
    program.input.activeWindow = 1;
    gfx.surface = &surface;
    gfx.text = &text;
    gfx.presenter = presenter.get();
    gfx.clientWidth = width;
    gfx.clientHeight = height;
    gfx.SetupFonts("Arial", 0);
  }

  // One waiting pass of the message pump, as a modal loop takes it.
  void Pump() { PumpMessages(program, 1); }
  bool Quit() const { return program.input.quitRequested != 0; }

  std::unique_ptr<HeadlessWindow> window;
  FreeTypeTextRenderer text;
  Surface surface;
  std::unique_ptr<WindowPresenter> presenter;
  Program program;
  Gfx gfx;
  UiContext ui{program, gfx, [this](int wait, std::int32_t&) { PumpMessages(program, wait); }};
};

}  // namespace kal
