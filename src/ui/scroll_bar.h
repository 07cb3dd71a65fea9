// The vertical scroll bar beside lists: its drawing, one step of its mouse
// handling, and the loop that runs while it is held.
//
// A scroll bar keeps no state of its own. The caller keeps `top` (first
// visible item), `grab` (pointer distance from the thumb's top while
// dragging) and `state` between calls: 0 idle, 1 up arrow held, 2 paging up,
// 3 thumb dragged, 4 paging down, 5 down arrow held. The box is x1..x2,
// y1..y2 inclusive; lists use it 16 pixels wide.
#pragma once

#include <cstdint>
#include <functional>

#include "ui/controls.h"
#include "ui/gfx.h"
#include "ui/program.h"
#include "ui/ui_context.h"

namespace kal {

enum ScrollBarState : std::int32_t {
  ScrollIdle = 0,
  ScrollArrowUp = 1,
  ScrollPageUp = 2,
  ScrollThumb = 3,
  ScrollPageDown = 4,
  ScrollArrowDown = 5,
};

// Where the parts of a bar lie for a list of `count` items with `rows`
// visible from `top` (already limited to 0..count - rows).
struct ScrollBarLayout {
  int trackTop = 0;     // y1 + 17, below the up arrow
  int trackBottom = 0;  // y2 - 17, above the down arrow
  int top = 0;
  double ratio = 0;     // track pixels per item; 0 when everything fits
  int thumbStart = 0;
  int thumbEnd = 0;     // exclusive
};
ScrollBarLayout LayOutScrollBar(int y1, int y2, int rows, int count, int top);

void DrawScrollBar(Gfx& gfx, int x1, int y1, int x2, int y2, int rows, int count, int top, std::int32_t state);
void DrawScrollBarRecord(Gfx& gfx, const ControlRecord& record, int rows, int count, int top, std::int32_t state);

// One step of mouse handling, once per pass of the caller's loop. Sets
// repeatDelay to the DelayUnlessInput mode the caller should wait with
// before the next step (1 after the first step of a press, 0 between
// repeats), or -1 for no wait.
void ScrollBarInput(const InputState& input, int x1, int y1, int x2, int y2, int rows, int count, int& top,
                    int& grab, int& repeatDelay, std::int32_t& state);
// The same with the box from the record and the state kept in its state field.
void ScrollBarInputRecord(const InputState& input, ControlRecord& record, int rows, int count, int& top, int& grab,
                          int& repeatDelay);

// Runs the bar while a press on it lasts: steps, calls `redraw(top, state)`
// after every step while the bar is engaged (the caller draws its rows and
// the bar and presents them), and waits as each step asks. Returns at once
// when the current press is not on the bar; ends with the release, or when
// quitRequested is set. Returns true when the bar was engaged.
bool TrackScrollBar(UiContext& ui, int x1, int y1, int x2, int y2, int rows, int count, int& top,
                    const std::function<void(int top, std::int32_t state)>& redraw);

}  // namespace kal
