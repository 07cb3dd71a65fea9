#include "ui/scroll_bar.h"

#include <algorithm>
#include <cmath>

namespace kal {

namespace {

int LimitTop(int top, int rows, int count) { return std::max(0, std::min(top, count - rows)); }

int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

// The first visible item that puts the thumb's top `grab` pixels above y.
int TopForThumbAt(const ScrollBarLayout& g, int y, int grab) {
  if (g.ratio <= 0) return 0;
  return static_cast<int>(std::floor((y - g.trackTop - grab + 1) / g.ratio));
}

}  // namespace

ScrollBarLayout LayOutScrollBar(int y1, int y2, int rows, int count, int top) {
  ScrollBarLayout g;
  g.trackTop = y1 + 17;
  g.trackBottom = y2 - 17;
  g.top = LimitTop(top, rows, count);
  const int trackLen = g.trackBottom - g.trackTop;
  if (rows >= count || count <= 0 || trackLen <= 0) {
    g.thumbStart = g.trackTop;
    g.thumbEnd = g.trackBottom + 1;
    return g;
  }
  g.ratio = static_cast<double>(trackLen) / count;
  const double start = std::min<double>(g.trackBottom - 8, g.trackTop + g.ratio * g.top);
  const double end = std::min<double>(g.trackBottom + 1, start + std::max(8.0, g.ratio * rows + 2));
  g.thumbStart = Round(start);
  g.thumbEnd = Round(end);
  return g;
}

void DrawScrollBar(Gfx& gfx, int x1, int y1, int x2, int y2, int rows, int count, int top, std::int32_t state) {
  if (gfx.surface == nullptr) return;
  const ScrollBarLayout g = LayOutScrollBar(y1, y2, rows, count, top);
  FillBox(*gfx.surface, ColourDarkGrey, x1, g.trackTop, x2, g.trackBottom);
  DrawPushButton(gfx, 0, x1, g.thumbStart, x2 + 1, g.thumbEnd, "", 0);
  const char up[] = {CaptionArrowUp, '\0'};
  const char down[] = {CaptionArrowDown, '\0'};
  DrawPushButton(gfx, state == ScrollArrowUp ? 1 : 0, x1, y1, x2 + 1, g.trackTop, up, 0);
  DrawPushButton(gfx, state == ScrollArrowDown ? 1 : 0, x1, g.trackBottom + 1, x2 + 1, y2 + 1, down, 0);
}

void DrawScrollBarRecord(Gfx& gfx, const ControlRecord& r, int rows, int count, int top, std::int32_t state) {
  DrawScrollBar(gfx, r.x1, r.y1, r.x2, r.y2, rows, count, top, state);
}

void ScrollBarInput(const InputState& in, int x1, int y1, int x2, int y2, int rows, int count, int& top, int& grab,
                    int& repeatDelay, std::int32_t& state) {
  repeatDelay = -1;
  if (in.mouseButton == 0) {
    state = ScrollIdle;
    return;
  }
  const ScrollBarLayout g = LayOutScrollBar(y1, y2, rows, count, top);
  top = g.top;
  const int y = in.mouseY;
  if (state == ScrollIdle) {
    if (in.mouseX > x1 && in.mouseX < x2) {
      if (y >= g.trackTop && y < g.thumbStart) {
        top -= rows;
        grab = 0;
        state = ScrollPageUp;
        repeatDelay = 1;
      } else if (y >= g.thumbEnd && y < g.trackBottom) {
        top += rows;
        grab = 0;
        state = ScrollPageDown;
        repeatDelay = 1;
      } else if (y > g.thumbStart && y < g.thumbEnd) {
        grab = y - g.thumbStart;
        top = TopForThumbAt(g, y, grab);
        state = ScrollThumb;
      } else if (y > y1 && y < g.trackTop) {
        top -= 1;
        state = ScrollArrowUp;
        repeatDelay = 1;
      } else if (y >= g.trackBottom && y < y2) {
        top += 1;
        state = ScrollArrowDown;
        repeatDelay = 1;
      }
    }
  } else {
    switch (state) {
      case ScrollThumb:
        top = TopForThumbAt(g, y, grab);
        break;
      case ScrollArrowUp:
        top -= 1;
        repeatDelay = 0;
        break;
      case ScrollArrowDown:
        top += 1;
        repeatDelay = 0;
        break;
      case ScrollPageUp:
        if (y > g.thumbStart) {
          // The thumb has come up to the pointer: from here on it follows it.
          grab = y - g.thumbStart;
          top = TopForThumbAt(g, y, grab);
          state = ScrollThumb;
        } else {
          top -= rows;
          repeatDelay = 0;
        }
        break;
      case ScrollPageDown:
        if (y < g.thumbEnd) {
          grab = y - g.thumbStart;
          top = TopForThumbAt(g, y, grab);
          state = ScrollThumb;
        } else {
          top += rows;
          repeatDelay = 0;
        }
        break;
      default:
        state = ScrollIdle;
        break;
    }
  }
  top = LimitTop(top, rows, count);
}

void ScrollBarInputRecord(const InputState& in, ControlRecord& r, int rows, int count, int& top, int& grab,
                          int& repeatDelay) {
  std::int32_t state = r.state();
  ScrollBarInput(in, r.x1, r.y1, r.x2, r.y2, rows, count, top, grab, repeatDelay, state);
  r.setState(state);
}

bool TrackScrollBar(UiContext& ui, int x1, int y1, int x2, int y2, int rows, int count, int& top,
                    const std::function<void(int top, std::int32_t state)>& redraw) {
  Program& p = ui.program;
  std::int32_t state = ScrollIdle;
  int grab = 0;
  int repeatDelay = -1;
  bool engaged = false;
  while (p.input.quitRequested == 0) {
    ScrollBarInput(p.input, x1, y1, x2, y2, rows, count, top, grab, repeatDelay, state);
    if (state == ScrollIdle) break;
    engaged = true;
    redraw(top, state);
    if (repeatDelay >= 0) {
      DelayUnlessInput(p, repeatDelay);
    } else {
      // Dragging: nothing changes until the pointer moves or the button goes up.
      PumpFor(p, 1000);
    }
  }
  // The arrows come back up.
  if (engaged) redraw(top, ScrollIdle);
  return engaged;
}

}  // namespace kal
