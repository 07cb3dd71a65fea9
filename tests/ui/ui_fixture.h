// A whole user interface on the headless backend, for end-to-end tests of
// controls and modal loops: a Program, a HeadlessWindow playing an input
// script, an off-screen surface, and a Gfx with the real FreeType text
// renderer. The window image (window.image()) is what the user would see.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/freetype_text.h"
#include "platform/headless_window.h"
#include "support/test_support.h"
#include "ui/controls.h"
#include "ui/gfx.h"
#include "ui/program.h"
#include "ui/ui_context.h"

namespace kal::test {

// One renderer for the whole test program: it caches faces and glyphs.
inline FreeTypeTextRenderer& SharedTextRenderer() {
  static FreeTypeTextRenderer renderer;
  return renderer;
}

// "x y" for input scripts.
inline std::string Xy(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

// Pixel (x, y) of a surface should be c.
struct Px {
  int x, y;
  Colour c;
};
inline void ExpectPixels(const Surface& s, std::initializer_list<Px> want) {
  for (const Px& p : want) EXPECT_EQ(s.At(p.x, p.y), p.c) << "at " << p.x << "," << p.y;
}

// How many pixels of x1 <= x < x2, y1 <= y < y2 are c.
inline int CountIn(const Surface& s, Colour c, int x1, int y1, int x2, int y2) {
  int n = 0;
  for (int y = y1; y < y2; ++y)
    for (int x = x1; x < x2; ++x) n += s.At(x, y) == c;
  return n;
}

// A control record in black on white.
inline ControlRecord MakeControl(int x1, int y1, int x2, int y2, std::string caption) {
  ControlRecord r;
  r.x1 = x1;
  r.y1 = y1;
  r.x2 = x2;
  r.y2 = y2;
  r.text = std::move(caption);
  r.colour = ColourBlack;
  r.backColour = ColourWhite;
  return r;
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
  // Pumps and calls `pass` until the script has run out (the backend then
  // closes the window) or `pass` returns non-zero, which is returned.
  template <typename Pass>
  auto Loop(Pass pass) {
    decltype(pass()) r{};
    while (program.input.quitRequested == 0) {
      Pump();
      if ((r = pass()) != decltype(r){}) break;
    }
    return r;
  }
  int TextWidth(std::string_view text) { return gfx.text->Measure(gfx.EditFont, text).width; }

  HeadlessWindow window;
  WindowPresenter presenter;
  Surface surface;
  Gfx gfx;
  Program program;
  UiContext ui;
};

}  // namespace kal::test
