// The single-line input field: its record, how it is drawn and how it reacts
// to the mouse, the keyboard and the clipboard.
//
// An EditFieldRecord is a plain value owned by whoever shows the field (a
// dialog, an editor); the functions here only read or change the record they
// are given. Its stored form is the 200-byte record of the dialog transfer
// block (LoadEditField / StoreEditField). The caller owns the input loop: on
// each pass it hands the focused field to EditFieldInput and redraws the
// fields when the caret phase changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/mem_buffer.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

// Stored layout: eight little-endian 32-bit integers, two colours, then the
// zero-terminated text.
constexpr std::size_t EditFieldRecordSize = 200;
constexpr std::size_t EditFieldX1Offset = 0;
constexpr std::size_t EditFieldY1Offset = 4;
constexpr std::size_t EditFieldX2Offset = 8;
constexpr std::size_t EditFieldY2Offset = 12;
constexpr std::size_t EditFieldMaxLengthOffset = 16;
constexpr std::size_t EditFieldCaretOffset = 20;
constexpr std::size_t EditFieldSelStartOffset = 24;
constexpr std::size_t EditFieldSelEndOffset = 28;
constexpr std::size_t EditFieldBackColourOffset = 32;
constexpr std::size_t EditFieldTextColourOffset = 36;
constexpr std::size_t EditFieldTextOffset = 40;
constexpr std::size_t EditFieldTextBytes = 160;  // including the terminating zero
// The most characters a field can ever hold, whatever its maxLength says.
constexpr std::int32_t EditFieldMaxChars = static_cast<std::int32_t>(EditFieldTextBytes) - 1;

struct EditFieldRecord {
  std::int32_t x1 = 0;  // the field box
  std::int32_t y1 = 0;
  std::int32_t x2 = 0;
  std::int32_t y2 = 0;
  std::int32_t maxLength = 0;  // most characters accepted (never more than EditFieldMaxChars)
  // Positions count characters, 0 = before the first one. The selection is
  // the range between selStart (the anchor) and selEnd, in either order;
  // after every key the caret equals selEnd.
  std::int32_t caret = 0;
  std::int32_t selStart = 0;
  std::int32_t selEnd = 0;
  Colour backColour = ColourFieldBack;
  Colour textColour = ColourFieldText;
  std::string text;  // Windows-1252, no zero bytes, at most EditFieldMaxChars
};

// Reads the record stored at `offset`; the text ends at its first zero byte
// and is cut to EditFieldMaxChars. Bytes outside the buffer read as 0.
void LoadEditField(const MemBuffer& buffer, std::size_t offset, EditFieldRecord& record);
// Writes the record at `offset`; the text area is zero-filled behind the
// text. Bytes outside the buffer are not written.
void StoreEditField(const EditFieldRecord& record, MemBuffer& buffer, std::size_t offset);

// Draws the field: with drawFrame 1 the soft sunken frame as well (draw it
// once; the frame is blended, so drawing it again darkens it), else only the
// box. The caret shows when caretVisible is 1. Nothing is presented.
void DrawEditField(Gfx& gfx, int drawFrame, const EditFieldRecord& record, int caretVisible);

// Applies the pending mouse and key input of the program to the field: a
// press in the box places the caret and drags a selection until the button
// is released (pumping messages, redrawing and presenting the field); keys
// move, select, delete, cut, copy, paste and type. Sets changed to -1 when
// the text, the caret or the selection moved.
void EditFieldInput(UiContext& ui, EditFieldRecord& record, int& changed);

// The largest k (0..text length) whose first k characters measure at most d
// pixels in EditFont; 0 when d is negative.
int EditFieldPositionAt(Gfx& gfx, std::string_view text, int d);

}  // namespace kal
