// The multi-line, word-wrapping text area (the event editor's description).
//
// The text is a std::string of Windows-1252 bytes owned by the caller; line
// breaks are single carriage returns (13) and line feeds are never stored.
// The TextAreaRecord holds the area's box, limits, caret, marked block and
// the table of wrapped line starts; the caller owns it too and keeps it
// beside the text for as long as the area is edited. Every operation keeps
// `length` equal to the text's size and the text below `capacity` bytes.
//
// The caller owns the loop: each pass it hands the input to TextAreaKeys (and
// a press in the box to TextAreaMouse, a right click to TextAreaMenu) and
// redraws when the caret phase changes. Messages ("Text Buffer Is Full...",
// "No Block Marked" ...) and the progress of joining lines go to the Host the
// caller passes, so the editor decides how they are shown.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/host.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

// Size of the description buffer of the event editor.
constexpr std::int32_t TextAreaCapacity = 65000;
// The line table is 8000 bytes of 32-bit starts. Wrapping records one start
// beyond the line limit (so that an overflow can be cut there) and the end
// entry after it, which leaves room for this many lines.
constexpr std::int32_t TextAreaLineTableBytes = 8000;
constexpr std::int32_t TextAreaLineSlots = TextAreaLineTableBytes / 4;
constexpr std::int32_t TextAreaMaxLines = TextAreaLineSlots - 2;

// Horizontal layout inside the box: the scroll bar takes the right edge and
// the wrap width leaves 10 pixels more before it.
constexpr int TextAreaScrollBarWidth = 16;
constexpr int TextAreaWrapReserve = 26;
constexpr int TextAreaTextIndent = 3;

constexpr const char* TextBufferFullMessage = "Text Buffer Is Full...";
constexpr const char* NoBlockMarkedMessage = "No Block Marked";
constexpr const char* NoClipboardTextMessage = "No text on the clipboard!";
constexpr const char* JoiningLinesCaption = "Deleting Carriage Returns";

struct TextAreaRecord {
  std::int32_t x1 = 0;  // the area's box, scroll bar included
  std::int32_t y1 = 0;
  std::int32_t x2 = 0;
  std::int32_t y2 = 0;
  std::int32_t capacity = TextAreaCapacity;  // the text holds at most capacity - 1 characters
  std::int32_t maxLines = TextAreaMaxLines;  // most wrapped lines the text may occupy
  std::int32_t caret = 0;
  std::int32_t length = 0;
  std::int32_t topLine = 0;
  std::int32_t lineCount = 0;  // set by WrapTextArea
  std::int32_t selStart = 0;   // block ends: equal, or either -1, means no block
  std::int32_t selEnd = 0;
  std::int32_t visibleRows = 1;
  // Start of each wrapped line; entry lineCount is one past the end of the
  // text (length + 1), later entries 0.
  std::array<std::int32_t, TextAreaLineSlots> lines{};
};

// Sets the box, the limits (maxLines is kept to 1..TextAreaMaxLines) and the
// rows that fit (visibleRows 0: as many as the box holds), puts the caret at
// the start, marks nothing and wraps. Text beyond capacity - 1 is cut.
void OpenTextArea(Gfx& gfx, std::string& text, TextAreaRecord& area, int x1, int y1, int x2, int y2,
                  std::int32_t capacity, std::int32_t maxLines, std::int32_t visibleRows = 0);

// Rebuilds the line table and lineCount from the text (EditFont widths).
void WrapTextArea(Gfx& gfx, const std::string& text, TextAreaRecord& area);
// Draws the visible lines, the marked block, the caret (caretVisible 1) and,
// when the area has more than one line, the scroll bar, into the off-screen
// surface. Nothing is presented.
void DrawTextArea(Gfx& gfx, const std::string& text, const TextAreaRecord& area, int caretVisible);
// The same with the scroll bar drawn in a state of its own (ScrollBarState).
void DrawTextAreaWithBar(Gfx& gfx, const std::string& text, const TextAreaRecord& area, int caretVisible,
                         std::int32_t barState);
// Presents the area's box.
void PresentTextArea(Gfx& gfx, const TextAreaRecord& area);

// Inserts at the caret after deleting the marked block; line feeds and zero
// bytes are skipped. Returns how many characters went in: what would pass
// capacity - 1 or push the text beyond maxLines is left out, and the text
// already in the area is never cut for it.
std::int32_t TextAreaInsert(Gfx& gfx, std::string& text, TextAreaRecord& area, std::string_view insertion);
// Deletes the marked block (nothing when none is marked).
void TextAreaDeleteBlock(Gfx& gfx, std::string& text, TextAreaRecord& area);
// Puts the marked block on the clipboard with CR LF line ends; nothing when
// no block is marked. Returns true when something was copied.
bool TextAreaCopy(UiContext& ui, const std::string& text, const TextAreaRecord& area);
// Inserts the clipboard's text (CR LF and lone LF become CR). Without text on
// the clipboard, reports "No text on the clipboard!".
void TextAreaPaste(UiContext& ui, Host& host, std::string& text, TextAreaRecord& area);

// The right-click menu at (x, y): "Delete", "Cut", "Copy", "Paste" of the
// marked block; the first three report "No Block Marked" without one.
void TextAreaMenu(UiContext& ui, Host& host, std::string& text, TextAreaRecord& area, int x, int y);

// The wrapped line that holds a position (the last line for the end of the text).
std::int32_t LineOfPosition(const TextAreaRecord& area, std::int32_t position);

// Block marking with the mouse: when a mouse button is down over the text
// part of the box, puts the caret there and follows the pointer (scrolling
// past the top and bottom edges) until the button is released. Returns true
// when it handled a press.
bool TextAreaMouse(UiContext& ui, const std::string& text, TextAreaRecord& area);

// Runs the scroll bar while a press on it lasts: scrolls the lines (the
// caret stays where it is) and redraws. Returns true when the press was on
// the bar.
bool TextAreaScrollBar(UiContext& ui, const std::string& text, TextAreaRecord& area);

// One key or typed character of editing and caret movement, read from the
// input state (lastKey, lastChar, shiftDown, ctrlDown). A handled key is
// consumed (lastKey and lastChar cleared), the caret shown and the area
// redrawn and presented. Typed characters of code 32 and above, and Ctrl+D as
// the degree sign (176), are inserted; one that does not fit reports
// "Text Buffer Is Full..." and is dropped. Ctrl+Enter joins lines with
// progress on the host. Returns true when the key was the area's.
bool TextAreaKeys(UiContext& ui, Host& host, std::string& text, TextAreaRecord& area);

// The pieces of TextAreaKeys that the editor also reaches by other ways.
// Joins the lines of the whole text (see text_area.cpp for the rule).
void TextAreaJoinLines(Gfx& gfx, Host& host, std::string& text, TextAreaRecord& area);
// Upper case, and sentence case, of the marked block.
void TextAreaUpperCase(Gfx& gfx, std::string& text, TextAreaRecord& area);
void TextAreaSentenceCase(Gfx& gfx, std::string& text, TextAreaRecord& area);

}  // namespace kal
