// The "Find" dialog of the events screen: one input field for a query in the
// search language, four lines that explain it, "OK" and "Cancel".
//
// FindDialog runs its own modal loop: it saves the off-screen surface, sets
// ModalActive and runs the caret timer, and puts the screen, ModalActive and
// the timer back on the way out. It only asks; applying the query to the list
// is the caller's (the events screen's) work.
#pragma once

#include <string>
#include <vector>

#include "platform/surface.h"
#include "ui/ui_context.h"

namespace kal {

inline constexpr int kFindFieldChars = 60;

// The explaining lines, in the order shown.
const std::vector<std::string>& FindHelpLines();

// Where the dialog's parts lie in the current window.
struct FindDialogLayout {
  Rect panel;
  int titleTop = 0;
  Rect field;  // x1..x2, y1..y2 of the input field (inclusive)
  int helpTop = 0;
  Rect ok;
  Rect cancel;
};
FindDialogLayout LayOutFindDialog(UiContext& ui);

// Opens the dialog with an empty field. On "OK" (or Enter) `query` receives
// the field's text without leading and trailing spaces and true is returned;
// "Cancel", Escape or the window closing return false and leave `query` alone.
bool FindDialog(UiContext& ui, std::string& query);

}  // namespace kal
