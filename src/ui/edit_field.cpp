#include "ui/edit_field.h"

#include <algorithm>

#include "platform/key_codes.h"
#include "ui/controls.h"

namespace kal {

namespace {

// Room left in the box for typed text, for pasted text and for moving the
// caret right: the text must stay narrower than the box width less these.
constexpr int TypeMargin = 8;
constexpr int PasteMargin = 10;
constexpr int CaretMargin = 6;

int TextWidth(Gfx& gfx, std::string_view text) {
  if (gfx.text == nullptr || text.empty()) return 0;
  return gfx.text->Measure(gfx.EditFont, text).width;
}

int FloorDiv(int a, int b) {
  int q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// a / 2 to the nearest integer, a half going to the even neighbour.
int HalfRoundedEven(int a) {
  const int q = FloorDiv(a, 2);
  if (a - 2 * q == 0) return q;
  return (q % 2 == 0) ? q : q + 1;
}

std::int32_t Limit(const EditFieldRecord& r) { return std::clamp(r.maxLength, 0, EditFieldMaxChars); }

std::string_view CutText(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  return text.substr(0, std::min<std::size_t>(text.size(), EditFieldMaxChars));
}

// A record may come from a buffer anyone wrote: keep text and positions
// inside what the field can hold before working on them.
void Normalise(EditFieldRecord& r) {
  const std::string_view cut = CutText(r.text);
  if (cut.size() != r.text.size()) r.text.resize(cut.size());
  const auto len = static_cast<std::int32_t>(r.text.size());
  r.caret = std::clamp(r.caret, 0, len);
  r.selStart = std::clamp(r.selStart, 0, len);
  r.selEnd = std::clamp(r.selEnd, 0, len);
}

void PresentField(Gfx& gfx, const EditFieldRecord& r) {
  gfx.PresentRect(r.x1, r.y1, r.x2 - r.x1 + 1, r.y2 - r.y1 + 1);
}

// Places the caret under the pointer and follows it while the button is
// held; the anchor stays where the press was.
void MouseSelect(UiContext& ui, EditFieldRecord& r, int& changed) {
  InputState& in = ui.program.input;
  const int d = in.mouseX - r.x1 - 2;
  if (d <= 0) return;
  const int k = EditFieldPositionAt(ui.gfx, r.text, d);
  r.caret = r.selStart = r.selEnd = k;
  changed = -1;
  DrawEditField(ui.gfx, 0, r, 1);
  PresentField(ui.gfx, r);
  while (in.mouseButton != 0 && in.quitRequested == 0) {
    PumpMessages(ui.program, 1);
    const int at = EditFieldPositionAt(ui.gfx, r.text, in.mouseX - r.x1 - 2);
    if (at == r.caret) continue;
    r.caret = r.selEnd = at;
    DrawEditField(ui.gfx, 0, r, 1);
    PresentField(ui.gfx, r);
  }
}

}  // namespace

void LoadEditField(const MemBuffer& buffer, std::size_t offset, EditFieldRecord& record) {
  record.x1 = Long(buffer, offset + EditFieldX1Offset);
  record.y1 = Long(buffer, offset + EditFieldY1Offset);
  record.x2 = Long(buffer, offset + EditFieldX2Offset);
  record.y2 = Long(buffer, offset + EditFieldY2Offset);
  record.maxLength = Long(buffer, offset + EditFieldMaxLengthOffset);
  record.caret = Long(buffer, offset + EditFieldCaretOffset);
  record.selStart = Long(buffer, offset + EditFieldSelStartOffset);
  record.selEnd = Long(buffer, offset + EditFieldSelEndOffset);
  record.backColour = static_cast<Colour>(Long(buffer, offset + EditFieldBackColourOffset));
  record.textColour = static_cast<Colour>(Long(buffer, offset + EditFieldTextColourOffset));
  // Never read past the record's own text area, even when no zero byte ends it.
  std::string text;
  const std::size_t start = offset + EditFieldTextOffset;
  for (std::size_t i = 0; i < static_cast<std::size_t>(EditFieldMaxChars) && buffer.Holds(start + i, 1); ++i) {
    const auto c = static_cast<char>(Byte(buffer, start + i));
    if (c == '\0') break;
    text.push_back(c);
  }
  record.text = std::move(text);
}

void StoreEditField(const EditFieldRecord& record, MemBuffer& buffer, std::size_t offset) {
  SetLong(buffer, offset + EditFieldX1Offset, record.x1);
  SetLong(buffer, offset + EditFieldY1Offset, record.y1);
  SetLong(buffer, offset + EditFieldX2Offset, record.x2);
  SetLong(buffer, offset + EditFieldY2Offset, record.y2);
  SetLong(buffer, offset + EditFieldMaxLengthOffset, record.maxLength);
  SetLong(buffer, offset + EditFieldCaretOffset, record.caret);
  SetLong(buffer, offset + EditFieldSelStartOffset, record.selStart);
  SetLong(buffer, offset + EditFieldSelEndOffset, record.selEnd);
  SetLong(buffer, offset + EditFieldBackColourOffset, static_cast<std::int32_t>(record.backColour));
  SetLong(buffer, offset + EditFieldTextColourOffset, static_cast<std::int32_t>(record.textColour));
  const std::size_t start = offset + EditFieldTextOffset;
  FillBytes(buffer, start, EditFieldTextBytes, 0);
  PutBytes(buffer, start, CutText(record.text));
}

int EditFieldPositionAt(Gfx& gfx, std::string_view text, int d) {
  if (d < 0) return 0;
  text = CutText(text);
  int k = 0;
  for (std::size_t n = 1; n <= text.size(); ++n) {
    if (TextWidth(gfx, text.substr(0, n)) > d) break;
    k = static_cast<int>(n);
  }
  return k;
}

void DrawEditField(Gfx& gfx, int drawFrame, const EditFieldRecord& record, int caretVisible) {
  if (gfx.surface == nullptr) return;
  Surface& s = *gfx.surface;
  const EditFieldRecord& r = record;
  if (drawFrame == 1) {
    gfx.DrawSunkenBox(r.x1, r.y1, r.x2, r.y2, r.backColour);
  } else {
    FillBox(s, r.backColour, r.x1, r.y1, r.x2, r.y2);
  }
  SetClip(s, r.x1, r.y1, r.x2, r.y2);
  const std::string_view text = CutText(r.text);
  const auto len = static_cast<std::int32_t>(text.size());
  // The sample has an ascender and a descender, so every text sits at the
  // same height whatever its letters.
  const int sampleHeight = gfx.text != nullptr ? gfx.text->Measure(gfx.EditFont, "$y^").height : 0;
  const int tx = r.x1 + 4;
  const int ty = r.y1 + HalfRoundedEven(r.y2 - r.y1) - sampleHeight / 2;
  gfx.DrawTextAligned(s, tx, ty, AlignLeft, r.textColour, gfx.EditFont, text);

  const std::int32_t a = std::clamp(r.selStart, 0, len);
  const std::int32_t b = std::clamp(r.selEnd, 0, len);
  const std::int32_t lo = std::min(a, b);
  const std::int32_t hi = std::max(a, b);
  if (lo < hi) {
    const int left = tx + TextWidth(gfx, text.substr(0, static_cast<std::size_t>(lo)));
    const int right = tx + TextWidth(gfx, text.substr(0, static_cast<std::size_t>(hi)));
    FillBox(s, ColourNavy, left, r.y1, right - 1, r.y2);
    gfx.DrawTextAligned(s, left, ty, AlignLeft, ColourWhite1, gfx.EditFont,
                        text.substr(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo)));
  }
  if (caretVisible == 1) {
    const std::int32_t caret = std::clamp(r.caret, 0, len);
    const int cx = tx + TextWidth(gfx, text.substr(0, static_cast<std::size_t>(caret)));
    FillBox(s, lo < hi ? ColourWhite1 : r.textColour, cx, r.y1 + 2, cx + 1, r.y2);
  }
  s.ResetClip();
}

void EditFieldInput(UiContext& ui, EditFieldRecord& record, int& changed) {
  EditFieldRecord& r = record;
  InputState& in = ui.program.input;
  Gfx& gfx = ui.gfx;
  Normalise(r);

  if (MouseDownIn(in, r.x1, r.y1, r.x2, r.y2) != 0) {
    MouseSelect(ui, r, changed);
    return;
  }

  const std::string oldText = r.text;
  const std::int32_t oldCaret = r.caret;
  const std::int32_t oldStart = r.selStart;
  const std::int32_t oldEnd = r.selEnd;

  const std::int32_t ch = in.lastChar;
  const std::int32_t key = in.lastKey;
  const bool shift = in.shiftDown != 0;
  const bool ctrl = in.ctrlDown != 0;
  const std::int32_t limit = Limit(r);
  const int boxWidth = r.x2 - r.x1;
  std::string& text = r.text;
  // Work on caret and anchor; selEnd follows the caret at the end.
  std::int32_t caret = r.caret;
  std::int32_t anchor = r.selStart;
  const auto length = [&] { return static_cast<std::int32_t>(text.size()); };
  const auto hasSelection = [&] { return anchor != caret; };
  const auto deleteSelection = [&] {
    const std::int32_t lo = std::min(anchor, caret);
    const std::int32_t hi = std::max(anchor, caret);
    text.erase(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo));
    caret = anchor = lo;
  };
  const auto selectedText = [&] {
    const std::int32_t lo = std::min(anchor, caret);
    const std::int32_t hi = std::max(anchor, caret);
    return text.substr(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo));
  };
  // Caret moves keep the anchor only while Shift is held.
  const auto moved = [&] {
    if (!shift) anchor = caret;
  };
  WindowBackend* window = ui.program.window;

  if (ch == CharTab) {
    // The dialog or editor moves the focus.
  } else if (key == KeyLeft) {
    if (caret > 0) --caret;
    moved();
  } else if (key == KeyRight) {
    if (caret < length() && caret < limit &&
        TextWidth(gfx, std::string_view(text).substr(0, static_cast<std::size_t>(caret + 1))) <=
            boxWidth - CaretMargin) {
      ++caret;
    }
    moved();
  } else if (key == KeyHome) {
    caret = 0;
    moved();
  } else if (key == KeyEnd) {
    caret = std::max(0, std::min(length(), limit - 1));
    moved();
  } else if (key == KeyDelete) {
    if (hasSelection()) {
      deleteSelection();
    } else if (caret < length()) {
      text.erase(static_cast<std::size_t>(caret), 1);
    }
    anchor = caret;
  } else if (ch == CharBackspace) {
    if (hasSelection()) {
      deleteSelection();
    } else if (caret > 0) {
      --caret;
      text.erase(static_cast<std::size_t>(caret), 1);
    }
    anchor = caret;
  } else if (ch == CharEscape) {
    text.clear();
    caret = anchor = 0;
  } else if (ch == CharSelectAll) {
    // Select all means all: the whole text, whatever the field's length limit.
    anchor = 0;
    caret = length();
  } else if (ch == CharCut && ctrl) {
    if (hasSelection()) {
      if (window != nullptr) window->SetClipboardText(selectedText());
      deleteSelection();
    }
  } else if (ch == CharCopy && ctrl) {
    if (hasSelection() && window != nullptr) window->SetClipboardText(selectedText());
  } else if (ch == CharPaste && ctrl) {
    if (hasSelection()) deleteSelection();
    std::string pasted;
    if (window != nullptr && window->GetClipboardText(pasted)) {
      // The first character that is a control code, or does not fit, ends
      // the paste: only the first line of a longer text arrives.
      for (const char c : pasted) {
        if (static_cast<unsigned char>(c) < 32 || length() >= limit) break;
        std::string trial = text;
        trial.insert(static_cast<std::size_t>(caret), 1, c);
        if (TextWidth(gfx, trial) >= boxWidth - PasteMargin) break;
        text = std::move(trial);
        ++caret;
      }
    }
    anchor = caret;
  } else if (ch >= 32 && !ctrl) {
    if (length() < limit) {
      if (hasSelection()) deleteSelection();
      const char c = static_cast<char>(ch);
      if (TextWidth(gfx, text) + TextWidth(gfx, std::string_view(&c, 1)) < boxWidth - TypeMargin) {
        text.insert(static_cast<std::size_t>(caret), 1, c);
        ++caret;
      }
      anchor = caret;
    }
  }

  r.caret = caret;
  r.selStart = anchor;
  r.selEnd = caret;
  if (r.text != oldText || r.caret != oldCaret || r.selStart != oldStart || r.selEnd != oldEnd) changed = -1;
}

}  // namespace kal
