// The progress panel of long work (saving the event file, imports, search,
// group generation, the update download): a small panel in the middle of the
// window with a title and a bar that fills left to right under a centred
// label.
//
// A ProgressPanel is application-wide state (the window's UiHost owns the
// one the program uses): the percentage drawn last and the copy of the screen
// taken when the panel first appeared. A run starts by setting lastPercent
// to -1; ShowProgress redraws only when the whole percentage changes (and on
// every call at 100 %); CloseProgress puts the screen back into the
// off-screen surface and leaves presenting it to the caller.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/surface.h"
#include "ui/gfx.h"

namespace kal {

struct ProgressPanel {
  std::int32_t lastPercent = -1;  // -1: the panel is not on screen yet in this run
  Surface savedScreen;            // the screen under the panel
  bool hasSavedScreen = false;
};

// Where the panel and its bar lie in a client area of that size; the bar's
// rectangle is half-open and 200 pixels wide.
struct ProgressGeometry {
  Rect panel;
  int titleX = 0;
  int titleY = 0;
  Rect bar;
  int labelX = 0;
};
ProgressGeometry ProgressPanelGeometry(int clientWidth, int clientHeight);

// The whole percentage of done out of total, at most 100 (and at least 0),
// exact halves to the even neighbour. A total below 1 counts as 1.
std::int32_t ProgressPercent(std::int64_t done, std::int64_t total);

// Draws or updates the panel on the off-screen surface and presents it. The
// caller's total is raised to at least 1.
void ShowProgress(Gfx& gfx, ProgressPanel& panel, std::string_view title, std::string_view label, std::int64_t done,
                  std::int64_t& total);
// Copies the saved screen back over the off-screen surface and forgets it.
void CloseProgress(Gfx& gfx, ProgressPanel& panel);

}  // namespace kal
