// The list chooser: a modal pop-up list of texts opened at a given place,
// typically below a choice field. The user picks an item with the mouse, the
// arrow and page keys, Enter, or the first letter of an item; any other
// character cancels.
//
// The caller owns the PopupItems and fills them before opening the list.
// PopupList runs its own loop: it saves the off-screen surface, sets
// ModalActive, and on the way out puts both back and waits until input is
// released. Nothing outlives the call.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

// The texts of a pop-up list: slot i at byte 82 * i, a length byte followed
// by up to 81 characters (Windows-1252).
class PopupItems {
 public:
  static constexpr int SlotBytes = 82;
  static constexpr int MaxChars = 81;

  PopupItems() = default;
  PopupItems(std::initializer_list<std::string_view> texts);

  // Sets slot i (growing the list as needed); longer texts are cut to 81 characters.
  void Set(int index, std::string_view text);
  // Slot i's text; empty for a slot never set.
  std::string_view Get(int index) const;
  int size() const { return static_cast<int>(slots_.size() / SlotBytes); }
  void Clear() { slots_.clear(); }
  const std::vector<std::uint8_t>& bytes() const { return slots_; }

 private:
  std::vector<std::uint8_t> slots_;
};

// Where an open list lies after the automatic sizing and the moves that keep
// it inside the window. Rows are LineHeight tall from (x, y); the text area is
// textWidth wide; with a scroll bar, the bar's box is barX1..barX2, barY1..barY2.
struct PopupLayout {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int rows = 0;
  int textWidth = 0;
  bool scrollBar = false;
  int barX1 = 0;
  int barY1 = 0;
  int barX2 = 0;
  int barY2 = 0;
};

// Width 0: the widest item in EditFont plus 10. Height 0: one row per item,
// or, when that does not fit above the bottom edge, a short list (under 10
// items) moves up and a long one shows as many rows as fit (at least 5) with
// a scroll bar. Then the list moves left and up to stay 10 pixels from the
// right edge and 30 from the bottom.
PopupLayout LayOutPopupList(Gfx& gfx, const PopupItems& items, int clientWidth, int clientHeight, int x, int y,
                            int width, int height, int count);

// The list's frame, rows and scroll bar, as the open list shows them.
void DrawPopupList(Gfx& gfx, const PopupLayout& layout, const PopupItems& items, int count, int top, int current);

// Opens the list and runs it until the user chooses or cancels. `selected`
// is the item current at the start, and receives the chosen index, -1 when
// cancelled by a typed character, or stays as it was when the window closes.
// Does nothing when count <= 0.
void PopupList(UiContext& ui, const PopupItems& items, int x, int y, int width, int height, int count,
               int& selected);

}  // namespace kal
