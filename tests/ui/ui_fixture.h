// A whole user interface on the headless backend, for end-to-end tests of
// controls and modal loops: a Program, a HeadlessWindow playing an input
// script, an off-screen surface, and a Gfx with the real FreeType text
// renderer. The window image (window.image()) is what the user would see.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "app/program.h"
#include "platform/freetype_text.h"
#include "platform/headless_window.h"
#include "platform/input_script.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal::test {

// One renderer for the whole test program: it caches faces and glyphs.
inline FreeTypeTextRenderer& SharedTextRenderer() {
  static FreeTypeTextRenderer renderer;
  return renderer;
}

inline std::vector<ScriptCommand> ParsedScript(std::string_view script) {
  ScriptParseResult parsed = ParseInputScript(script);
  EXPECT_TRUE(parsed.ok()) << parsed.error;
  return std::move(parsed.commands);
}

struct UiFixture {
  explicit UiFixture(std::string_view script = "")
      : window(ParsedScript(script)), presenter(&window), ui{program, gfx, {}} {
    const int w = window.startWidth();
    const int h = window.startHeight();
    window.Create("Kalendrina", 0, 0, w, h, false);
    surface.Resize(w, h, Rgb(40, 60, 90));
    program.window = &window;
    program.clock = &window.clock();
    program.offscreen = &surface;
    program.ClientWidth = w;
    program.ClientHeight = h;
    program.CentreX = w / 2;
    program.input.activeWindow = 1;
    gfx.surface = &surface;
    gfx.text = &SharedTextRenderer();
    gfx.presenter = &presenter;
    gfx.clientWidth = w;
    gfx.clientHeight = h;
    gfx.SetupFonts("Arial", 0);
  }

  // Runs one pass of a screen's loop: a waiting pump, as screens do.
  void Pump() { PumpMessages(program, 1); }

  HeadlessWindow window;
  WindowPresenter presenter;
  Surface surface;
  Gfx gfx;
  Program program;
  UiContext ui;
};

}  // namespace kal::test
