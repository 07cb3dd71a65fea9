#include "ui/popup_list.h"

#include <algorithm>

#include "platform/key_codes.h"
#include "store/text1252.h"
#include "ui/controls.h"
#include "ui/input_state.h"
#include "ui/scroll_bar.h"

namespace kal {

namespace {

// Room the scroll bar takes right of the text area.
constexpr int kBarRoom = 22;

int ClampIndex(int i, int count) { return std::max(0, std::min(i, count - 1)); }

// The top item that keeps `current` visible.
int TopShowing(int top, int current, int rows) {
  if (current < top) return current;
  if (current > top + rows - 1) return current - rows + 1;
  return top;
}

int LimitTop(int top, int rows, int count) { return std::max(0, std::min(top, count - rows)); }

void DrawRows(Gfx& gfx, const PopupLayout& l, const PopupItems& items, int count, int top, int current) {
  Surface& s = *gfx.surface;
  const int lh = gfx.lineHeight;
  const Rect oldClip = s.clip();
  for (int r = 0; r < l.rows; ++r) {
    const int item = top + r;
    const int rowTop = l.y + lh * r;
    const bool isCurrent = item == current;
    const Colour back = isCurrent ? ColourNavy : ColourButtonFace;
    s.SetClipRect(Rect{l.x, rowTop, l.x + l.textWidth, rowTop + lh}.Intersect(oldClip));
    FillBox(s, back, l.x, rowTop, l.x + l.textWidth - 1, rowTop + lh - 1);
    if (item < count) {
      gfx.DrawTextAligned(s, l.x + 2, rowTop + 1, AlignLeft, isCurrent ? ColourWhite : ColourBlack, gfx.EditFont,
                          items.Get(item));
    }
  }
  s.SetClipRect(oldClip);
  // A height that is not a whole number of rows leaves a strip below them.
  const int rowsBottom = l.y + lh * l.rows;
  if (rowsBottom < l.y + l.height) {
    FillBox(s, ColourButtonFace, l.x, rowsBottom, l.x + l.textWidth - 1, l.y + l.height - 1);
  }
}

void DrawBar(Gfx& gfx, const PopupLayout& l, int count, int top, std::int32_t state) {
  if (!l.scrollBar) return;
  DrawScrollBar(gfx, l.barX1, l.barY1, l.barX2, l.barY2, l.rows, count, top, state);
}

void PresentList(Gfx& gfx, const PopupLayout& l) {
  // The frame, its shadow and the bar's sunken edge.
  gfx.PresentRect(l.x - 6, l.y - 6, l.width + 12 + 9, l.height + 12 + 9);
}

enum class Place { Outside, Text, Bar };

Place PlaceOf(const PopupLayout& l, int lineHeight, int mx, int my) {
  if (mx >= l.x && mx < l.x + l.textWidth && my >= l.y && my < l.y + std::max(l.height, lineHeight)) {
    return Place::Text;
  }
  if (l.scrollBar && mx >= l.barX1 && mx <= l.barX2 && my >= l.barY1 && my <= l.barY2) return Place::Bar;
  return Place::Outside;
}

bool IsLetter(std::int32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

PopupItems::PopupItems(std::initializer_list<std::string_view> texts) {
  int i = 0;
  for (std::string_view t : texts) Set(i++, t);
}

void PopupItems::Set(int index, std::string_view text) {
  if (index < 0) return;
  const std::size_t need = static_cast<std::size_t>(index + 1) * SlotBytes;
  if (slots_.size() < need) slots_.resize(need, 0);
  const std::size_t n = std::min<std::size_t>(text.size(), MaxChars);
  std::uint8_t* slot = slots_.data() + static_cast<std::size_t>(index) * SlotBytes;
  slot[0] = static_cast<std::uint8_t>(n);
  std::copy_n(text.data(), n, slot + 1);
  std::fill(slot + 1 + n, slot + SlotBytes, 0);
}

std::string_view PopupItems::Get(int index) const {
  if (index < 0 || index >= size()) return {};
  const std::uint8_t* slot = slots_.data() + static_cast<std::size_t>(index) * SlotBytes;
  const std::size_t n = std::min<std::size_t>(slot[0], MaxChars);
  return std::string_view(reinterpret_cast<const char*>(slot + 1), n);
}

PopupLayout LayOutPopupList(Gfx& gfx, const PopupItems& items, int clientWidth, int clientHeight, int x, int y,
                            int width, int height, int count) {
  PopupLayout l;
  const int lh = std::max(1, gfx.lineHeight);
  const bool autoWidth = width <= 0;
  if (autoWidth) {
    int widest = 0;
    for (int i = 0; i < count; ++i) {
      if (gfx.text != nullptr) widest = std::max(widest, gfx.text->Measure(gfx.EditFont, items.Get(i)).width);
    }
    width = widest + 10;
  }
  int rows = count;
  if (height <= 0) {
    height = lh * count;
    if (y + height + 30 > clientHeight) {
      if (count < 10) {
        y = clientHeight - 30 - height;
      } else {
        rows = std::max(5, (clientHeight - y - 30) / lh);
        height = rows * lh;
        l.scrollBar = true;
      }
    }
  } else {
    rows = std::max(1, height / lh);
    l.scrollBar = rows < count;
  }
  rows = std::min(rows, count);
  l.textWidth = width;
  if (l.scrollBar) {
    // A list sized to its items keeps them whole beside the bar; a list of
    // a given width gives the bar part of it.
    if (autoWidth) {
      width += kBarRoom;
    } else {
      l.textWidth = std::max(0, width - kBarRoom);
    }
  }
  x = std::min(x, clientWidth - width - 10);
  y = std::min(y, clientHeight - height - 30);
  // Never past the top-left corner, where the frame could not be seen.
  x = std::max(x, 6);
  y = std::max(y, 6);
  l.x = x;
  l.y = y;
  l.width = width;
  l.height = height;
  l.rows = rows;
  if (l.scrollBar) {
    l.barX1 = x + l.textWidth + 5;
    l.barX2 = x + width - 2;
    l.barY1 = y + 1;
    l.barY2 = y + height - 2;
  }
  return l;
}

void DrawPopupList(Gfx& gfx, const PopupLayout& l, const PopupItems& items, int count, int top, int current) {
  if (gfx.surface == nullptr) return;
  Surface& s = *gfx.surface;
  gfx.DropShadow(l.x - 6, l.y - 6, l.x + l.width + 6, l.y + l.height + 6);
  FillBox(s, ColourBlack, l.x - 6, l.y - 6, l.x + l.width + 5, l.y + l.height + 5);
  DrawPushButton(gfx, 0, l.x - 5, l.y - 5, l.x + l.width + 5, l.y + l.height + 5, "", 0);
  if (l.scrollBar) gfx.DrawSunkenBox(l.x + l.textWidth + 4, l.y, l.x + l.width - 1, l.y + l.height - 1, ColourWhite);
  DrawRows(gfx, l, items, count, top, current);
  DrawBar(gfx, l, count, top, ScrollIdle);
}

void PopupList(UiContext& ui, const PopupItems& items, int x, int y, int width, int height, int count,
               int& selected) {
  if (count <= 0 || ui.gfx.surface == nullptr) return;
  Program& p = ui.program;
  InputState& in = p.input;
  Gfx& gfx = ui.gfx;
  const std::int32_t oldModal = p.ModalActive;
  p.ModalActive = 1;
  const Surface saved = gfx.SaveScreen();

  const PopupLayout l = LayOutPopupList(gfx, items, p.ClientWidth, p.ClientHeight, x, y, width, height, count);
  const int lh = std::max(1, gfx.lineHeight);
  int current = ClampIndex(selected, count);
  int top = LimitTop(TopShowing(0, current, l.rows), l.rows, count);
  DrawPopupList(gfx, l, items, count, top, current);
  PresentList(gfx, l);

  auto redraw = [&](std::int32_t barState) {
    DrawRows(gfx, l, items, count, top, current);
    DrawBar(gfx, l, count, top, barState);
    PresentList(gfx, l);
  };
  auto moveTo = [&](int item) {
    current = ClampIndex(item, count);
    top = LimitTop(TopShowing(top, current, l.rows), l.rows, count);
    redraw(ScrollIdle);
  };
  auto navigate = [&](std::int32_t key) {
    switch (key) {
      case KeyUp:
        moveTo(current - 1);
        break;
      case KeyDown:
        moveTo(current + 1);
        break;
      case KeyPageUp:
        moveTo(current - l.rows);
        break;
      case KeyPageDown:
        moveTo(current + l.rows);
        break;
      case KeyHome:
        moveTo(0);
        break;
      case KeyEnd:
        moveTo(count - 1);
        break;
      default:
        break;
    }
  };

  // A release chooses only after a press in the list, or once the pointer
  // has been outside the rows with the button held: the press that opened
  // the list may still be down over the place where the list appeared.
  bool armed = false;
  std::int32_t heldBefore = in.mouseButton;
  bool done = false;
  while (!done) {
    PumpMessages(p, 1);
    if (in.quitRequested != 0) break;

    if (in.wheelLines != 0 && l.scrollBar) {
      top = LimitTop(top - in.wheelLines, l.rows, count);
      redraw(ScrollIdle);
    }

    const Place place = PlaceOf(l, lh, in.mouseX, in.mouseY);
    if (in.mouseButton != 0) {
      if (heldBefore == 0 && place == Place::Bar) {
        TrackScrollBar(ui, l.barX1, l.barY1, l.barX2, l.barY2, l.rows, count, top, [&](int t, std::int32_t state) {
          top = t;
          redraw(state);
        });
        heldBefore = in.mouseButton;
        continue;
      }
      if (heldBefore == 0 && place == Place::Text) armed = true;
      if (place != Place::Text && place != Place::Bar) armed = true;
      if (armed && place == Place::Text) {
        const int row = std::min((in.mouseY - l.y) / lh, l.rows - 1);
        const int item = ClampIndex(top + row, count);
        if (item != current) moveTo(item);
      }
    } else if (heldBefore != 0 && armed && place == Place::Text) {
      selected = current;
      done = true;
    }
    heldBefore = in.mouseButton;
    if (done) break;

    const std::int32_t key = in.lastKey;
    if (key == KeyUp || key == KeyDown || key == KeyPageUp || key == KeyPageDown || key == KeyHome ||
        key == KeyEnd) {
      // Held keys repeat: after 300 ms, then every 25 ms, until released.
      navigate(key);
      DelayUnlessInput(p, 1);
      while (in.quitRequested == 0 && in.lastKey == key) {
        navigate(key);
        DelayUnlessInput(p, 0);
      }
      continue;
    }

    const std::int32_t ch = in.lastChar;
    if (ch == 13) {
      if (l.rows > 0) {
        selected = current;
        done = true;
      }
    } else if (IsLetter(ch)) {
      const std::uint8_t wanted = ToUpper1252(static_cast<std::uint8_t>(ch));
      for (int i = 0; i < count; ++i) {
        const std::string_view text = items.Get(i);
        if (!text.empty() && ToUpper1252(static_cast<std::uint8_t>(text[0])) == wanted) {
          moveTo(i);
          break;
        }
      }
    } else if (ch != 0) {
      selected = -1;
      done = true;
    }
  }

  gfx.RestoreScreen(saved, 0, 0, p.ClientWidth, p.ClientHeight);
  gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
  WaitInputRelease(p);
  p.ModalActive = oldModal;
}

}  // namespace kal
