// The universal message box and prompt: a panel in the middle of the window
// with "|"-separated message lines, optional labelled input fields and a row
// of push buttons, run as a modal loop until a button, Enter or the window's
// closing ends it. The screen underneath is put back exactly as it was.
//
// Fields travel through the dialog transfer buffer, one 4000-byte MemBuffer
// per program (start-up allocates it with AllocDialogTransferBuffer and frees
// it at exit): record i at byte 200 * i in the EditFieldRecord layout, the
// text of field i at 200 * i + 40. A preloaded call takes the fields' initial
// texts and colours from it; every call writes the final records back into
// it, whichever button ended the dialog. There is one buffer, so a caller
// reads the texts before it opens the next dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/host.h"
#include "store/mem_buffer.h"
#include "ui/ui_context.h"

namespace kal {

constexpr std::size_t DialogTransferBufferSize = 4000;
constexpr int DialogTransferRecords = 20;
// A field specification of this much or more preloads the fields; the rest is the width.
constexpr std::int32_t PreloadFields = 100;

// Allocates the transfer buffer, zero-filled.
void AllocDialogTransferBuffer(MemBuffer& buffer);

// "a||b|" -> "a", "", "b", ""; an empty text gives no parts. LiteralBar
// (store/host.h) does not split and comes out as "|".
std::vector<std::string> SplitBars(std::string_view text);

// Where everything of a dialog goes, worked out from the texts and the
// window size. The panel never outgrows the window: a message line wider
// than the window is cut and ends in "...", and when the lines would make
// the panel taller than the area below the header, the last ones that fit
// give way to a "..." line.
struct MessageDialogLayout {
  std::vector<std::string> lines;     // message lines
  std::vector<std::string> labels;    // field labels
  std::vector<std::string> captions;  // button captions, at least one
  std::int32_t width = 0;             // field width in characters; 0 no fields
  bool preloaded = false;
  int fieldCount = 0;
  int cx = 0;
  int cy = 0;
  int msgW = 0;
  int labelW = 0;
  int editW = 0;
  int labelX = 0;
  int boxW = 0;
  int boxH = 0;
  int left = 0;
  int top = 0;
  int fieldsTop = 0;
  int buttonsLeft = 0;
  int buttonsTop = 0;
};

MessageDialogLayout LayoutMessageDialog(UiContext& ui, std::string_view message, std::string_view labels,
                                        std::string_view buttons, std::int32_t fieldSpec);

// The modal dialog. fieldSpec is the field width in characters (0 none),
// plus PreloadFields to start the fields from the transfer buffer. On return
// result holds the 1-based number of the chosen button, or enterResult when
// Enter completed it; it keeps its value when the window is closing.
void MessageDialog(UiContext& ui, MemBuffer& transferBuffer, std::string_view message, std::string_view labels,
                   std::int32_t enterResult, std::string_view buttons, std::int32_t fieldSpec,
                   std::int32_t& result);

// A message or question without fields: the chosen button's number, Enter
// choosing the first; 0 when the window is closing.
std::int32_t MessageDialog(UiContext& ui, std::string_view message, std::string_view buttons);

}  // namespace kal
