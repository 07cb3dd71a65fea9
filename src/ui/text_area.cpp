#include "ui/text_area.h"

#include <algorithm>

#include "platform/key_codes.h"
#include "store/text1252.h"
#include "ui/controls.h"
#include "ui/input_state.h"
#include "ui/popup_list.h"
#include "ui/scroll_bar.h"

namespace kal {

namespace {

constexpr std::uint8_t CR = 13;
constexpr std::uint8_t LF = 10;
constexpr std::uint8_t Space = 32;
// Characters from "0" up count as word characters for Ctrl+Left/Right.
constexpr std::uint8_t FirstWordChar = 48;
constexpr std::uint8_t DegreeSign = 176;

// Advance of every byte in the edit font. The renderer places glyphs at
// whole-pixel advances without kerning, so a run's width is the sum.
using CharWidths = std::array<int, 256>;

CharWidths MeasureCharWidths(Gfx& gfx) {
  CharWidths widths{};
  if (gfx.text == nullptr) return widths;
  for (int c = 0; c < 256; ++c) {
    const char byte = static_cast<char>(c);
    widths[static_cast<std::size_t>(c)] = gfx.text->Measure(gfx.EditFont, std::string_view(&byte, 1)).width;
  }
  return widths;
}

std::uint8_t At(const std::string& text, std::int32_t i) {
  return static_cast<std::uint8_t>(text[static_cast<std::size_t>(i)]);
}

int RunWidth(const CharWidths& widths, const std::string& text, std::int32_t from, std::int32_t to) {
  int w = 0;
  for (std::int32_t i = from; i < to; ++i) w += widths[At(text, i)];
  return w;
}

std::int32_t ClampedMaxLines(const TextAreaRecord& a) { return std::clamp(a.maxLines, 1, TextAreaMaxLines); }

// Brings the record in line with the text before any operation: a caller
// may have changed either, and no position may point outside the text.
void Sync(const std::string& text, TextAreaRecord& a) {
  a.length = static_cast<std::int32_t>(text.size());
  a.caret = std::clamp(a.caret, 0, a.length);
  if (a.selStart >= 0) a.selStart = std::min(a.selStart, a.length);
  if (a.selEnd >= 0) a.selEnd = std::min(a.selEnd, a.length);
  a.visibleRows = std::max(a.visibleRows, 1);
}

bool HasBlock(const TextAreaRecord& a) { return a.selStart >= 0 && a.selEnd >= 0 && a.selStart != a.selEnd; }
std::int32_t BlockLow(const TextAreaRecord& a) { return std::min(a.selStart, a.selEnd); }
std::int32_t BlockHigh(const TextAreaRecord& a) { return std::max(a.selStart, a.selEnd); }

void MarkNothing(TextAreaRecord& a) { a.selStart = a.selEnd = a.caret; }

void Wrap(const CharWidths& widths, const std::string& text, TextAreaRecord& a) {
  const int usable = a.x2 - a.x1 - TextAreaWrapReserve;
  const std::int32_t maxLines = ClampedMaxLines(a);
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t done = 0;  // completed lines
  a.lines[0] = 0;
  int running = 0;
  std::int32_t lastSpace = -1;
  std::int32_t i = 0;
  while (i < length && done < maxLines) {
    const std::uint8_t c = At(text, i);
    if (c == CR) {
      a.lines[static_cast<std::size_t>(++done)] = i + 1;
      running = 0;
      lastSpace = -1;
      ++i;
      continue;
    }
    if (c == Space) lastSpace = i;
    running += widths[c];
    if (running >= usable) {
      if (lastSpace >= 0) {
        a.lines[static_cast<std::size_t>(++done)] = lastSpace + 1;
        i = lastSpace + 1;
        running = 0;
        lastSpace = -1;
        continue;
      }
      // A character wider than the whole line keeps a line of its own
      // rather than leaving an empty line in front of it.
      if (i > a.lines[static_cast<std::size_t>(done)]) {
        a.lines[static_cast<std::size_t>(++done)] = i;
        running = widths[c];
      }
    }
    ++i;
  }
  a.lineCount = done + 1;
  a.lines[static_cast<std::size_t>(a.lineCount)] = length + 1;
  std::fill(a.lines.begin() + a.lineCount + 1, a.lines.end(), 0);
}

// Where line `line` ends for the caret: before its break character, or at
// the end of the text for the last line.
std::int32_t LineEnd(const TextAreaRecord& a, std::int32_t line) {
  const std::int32_t start = a.lines[static_cast<std::size_t>(line)];
  const std::int32_t next = a.lines[static_cast<std::size_t>(line) + 1];
  return std::min(std::max(start, next - 1), a.length);
}

std::int32_t LineStart(const TextAreaRecord& a, std::int32_t line) { return a.lines[static_cast<std::size_t>(line)]; }

// The caret always stays in view after a key: scrolled up to when above the
// top line, down to when below the last visible row.
void KeepCaretVisible(TextAreaRecord& a) {
  const std::int32_t line = LineOfPosition(a, a.caret);
  if (line < a.topLine) a.topLine = line;
  if (line >= a.topLine + a.visibleRows) a.topLine = line - a.visibleRows + 1;
  a.topLine = std::max(a.topLine, 0);
}

void DeleteBlockText(std::string& text, TextAreaRecord& a) {
  if (!HasBlock(a)) return;
  const std::int32_t lo = BlockLow(a);
  const std::int32_t hi = BlockHigh(a);
  text.erase(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo));
  a.length = static_cast<std::int32_t>(text.size());
  a.caret = lo;
  MarkNothing(a);
}

// Clipboard text as the area stores it: CR LF and a lone LF (the line end
// of most Linux programs) both become one CR; zero bytes are dropped.
std::string FromClipboard(std::string_view clip) {
  std::string out;
  out.reserve(clip.size());
  for (std::size_t i = 0; i < clip.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(clip[i]);
    if (c == LF) {
      if (i == 0 || static_cast<std::uint8_t>(clip[i - 1]) != CR) out.push_back(static_cast<char>(CR));
      continue;
    }
    if (c == 0) continue;
    out.push_back(static_cast<char>(c));
  }
  return out;
}

std::string ToClipboard(std::string_view block) {
  std::string out;
  out.reserve(block.size() + block.size() / 16);
  for (const char c : block) {
    out.push_back(c);
    if (static_cast<std::uint8_t>(c) == CR) out.push_back(static_cast<char>(LF));
  }
  return out;
}

// Draws a run of any length (the text primitive takes at most MaxTextChars
// characters a call); returns its width.
int DrawRun(Gfx& gfx, Surface& target, int x, int y, Colour colour, std::string_view run) {
  int width = 0;
  while (!run.empty()) {
    const std::string_view chunk = run.substr(0, std::min(run.size(), MaxTextChars));
    gfx.DrawTextAligned(target, x + width, y, AlignLeft, colour, gfx.EditFont, chunk);
    width += gfx.lastTextWidth;
    run.remove_prefix(chunk.size());
  }
  return width;
}

int TextRight(const TextAreaRecord& a) { return ClampedMaxLines(a) > 1 ? a.x2 - TextAreaScrollBarWidth : a.x2; }

int RowsBottom(const Gfx& gfx, const TextAreaRecord& a) { return a.y1 + a.visibleRows * gfx.lineHeight; }

// The caret position under the pointer: the row gives the line (kept within
// the text's lines), then character widths are added from the line start
// until they pass the pointer.
std::int32_t PositionAt(const CharWidths& widths, const Gfx& gfx, const std::string& text, const TextAreaRecord& a,
                        int x, int y) {
  const int rowHeight = std::max(gfx.lineHeight, 1);
  const int dy = y - a.y1;
  // Past the top or bottom edge the nearest visible row counts; dragging
  // there scrolls the lines in one at a time.
  const int row = std::clamp(dy >= 0 ? dy / rowHeight : -1, 0, a.visibleRows - 1);
  const std::int32_t line = std::clamp(a.topLine + row, 0, a.lineCount - 1);
  std::int32_t pos = LineStart(a, line);
  const std::int32_t end = LineEnd(a, line);
  int sum = a.x1 + TextAreaTextIndent;
  while (pos < end) {
    sum += widths[At(text, pos)];
    if (sum > x) break;
    ++pos;
  }
  return pos;
}

// Wraps again when the caller changed the text since the last wrap, so
// that no line start points past the text.
void EnsureWrapped(Gfx& gfx, const std::string& text, TextAreaRecord& a) {
  Sync(text, a);
  if (a.lineCount <= 0 || a.lineCount >= TextAreaLineSlots ||
      a.lines[static_cast<std::size_t>(a.lineCount)] != a.length + 1) {
    WrapTextArea(gfx, text, a);
  }
}

void Redraw(Gfx& gfx, const std::string& text, const TextAreaRecord& a) {
  DrawTextArea(gfx, text, a, 1);
  PresentTextArea(gfx, a);
}

}  // namespace

void OpenTextArea(Gfx& gfx, std::string& text, TextAreaRecord& area, int x1, int y1, int x2, int y2,
                  std::int32_t capacity, std::int32_t maxLines, std::int32_t visibleRows) {
  area.x1 = x1;
  area.y1 = y1;
  area.x2 = x2;
  area.y2 = y2;
  area.capacity = std::max(capacity, 1);
  area.maxLines = std::clamp(maxLines, 1, TextAreaMaxLines);
  if (visibleRows <= 0) visibleRows = (y2 - y1) / std::max(gfx.lineHeight, 1);
  area.visibleRows = std::max(visibleRows, 1);
  if (text.size() > static_cast<std::size_t>(area.capacity - 1))
    text.resize(static_cast<std::size_t>(area.capacity - 1));
  area.length = static_cast<std::int32_t>(text.size());
  area.caret = 0;
  area.topLine = 0;
  MarkNothing(area);
  WrapTextArea(gfx, text, area);
}

void WrapTextArea(Gfx& gfx, const std::string& text, TextAreaRecord& area) {
  Sync(text, area);
  Wrap(MeasureCharWidths(gfx), text, area);
}

std::int32_t LineOfPosition(const TextAreaRecord& area, std::int32_t position) {
  if (area.lineCount <= 1) return 0;
  // The last line whose start is at or before the position.
  const auto begin = area.lines.begin();
  const auto end = begin + area.lineCount;
  const auto it = std::upper_bound(begin + 1, end, position);
  return static_cast<std::int32_t>(it - begin) - 1;
}

void DrawTextArea(Gfx& gfx, const std::string& text, const TextAreaRecord& area, int caretVisible) {
  DrawTextAreaWithBar(gfx, text, area, caretVisible, ScrollIdle);
}

void DrawTextAreaWithBar(Gfx& gfx, const std::string& text, const TextAreaRecord& area, int caretVisible,
                         std::int32_t barState) {
  if (gfx.surface == nullptr) return;
  Surface& s = *gfx.surface;
  const Rect oldClip = s.clip();
  const CharWidths widths = MeasureCharWidths(gfx);
  const int rowHeight = gfx.lineHeight;
  const int right = TextRight(area);
  const auto length = static_cast<std::int32_t>(text.size());
  const bool block = HasBlock(area);
  const std::int32_t blockLo = block ? BlockLow(area) : 0;
  const std::int32_t blockHi = block ? std::min(BlockHigh(area), length) : 0;
  const std::int32_t caretLine = caretVisible == 1 ? LineOfPosition(area, area.caret) : -1;
  for (std::int32_t r = 0; r < area.visibleRows; ++r) {
    const int top = area.y1 + r * rowHeight;
    s.SetClipRect(oldClip.Intersect(Rect{area.x1, top, right, top + rowHeight}));
    FillBox(s, ColourFieldBack, area.x1, top, right - 1, top + rowHeight - 1);
    const std::int32_t line = area.topLine + r;
    if (line < 0 || line >= area.lineCount) continue;
    const std::int32_t start = std::min(LineStart(area, line), length);
    std::int32_t end = std::min(area.lines[static_cast<std::size_t>(line) + 1], length);
    end = std::max(end, start);
    const bool endsWithBreak = end > start && At(text, end - 1) == CR;
    if (endsWithBreak) --end;
    const int x0 = area.x1 + TextAreaTextIndent;
    const int y = top + 1;
    DrawRun(gfx, s, x0, y, ColourFieldText,
            std::string_view(text).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
    if (block) {
      const std::int32_t lo = std::max(blockLo, start);
      const std::int32_t hi = std::min(blockHi, end);
      if (lo < hi) {
        const int xa = x0 + RunWidth(widths, text, start, lo);
        const int xb = xa + RunWidth(widths, text, lo, hi);
        FillBox(s, ColourNavy, xa, top, xb - 1, top + rowHeight - 1);
        DrawRun(gfx, s, xa, y, ColourWhite,
                std::string_view(text).substr(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo)));
      }
      // A marked line break shows as a narrow mark after the line's text,
      // so that a block of empty lines is still visible.
      if (endsWithBreak && blockLo <= end && end < blockHi) {
        const int xe = x0 + RunWidth(widths, text, start, end);
        FillBox(s, ColourNavy, xe, top, xe + 5, top + rowHeight - 1);
      }
    }
    if (line == caretLine) {
      const std::int32_t caret = std::clamp(area.caret, start, std::max(end, start));
      const int xc = x0 + RunWidth(widths, text, start, caret);
      FillBox(s, ColourBlack, xc, top + 2, xc + 1, top + rowHeight - 3);
    }
  }
  s.SetClipRect(oldClip);
  if (ClampedMaxLines(area) > 1) {
    DrawScrollBar(gfx, right, area.y1, area.x2 - 1, RowsBottom(gfx, area) - 1, area.visibleRows, area.lineCount,
                  area.topLine, barState);
  }
}

bool TextAreaScrollBar(UiContext& ui, const std::string& text, TextAreaRecord& area) {
  Gfx& gfx = ui.gfx;
  const InputState& in = ui.program.input;
  if (ClampedMaxLines(area) <= 1 || in.mouseButton == 0 || in.mouseX < TextRight(area) || in.mouseX >= area.x2 ||
      in.mouseY < area.y1 || in.mouseY >= RowsBottom(gfx, area)) {
    return false;
  }
  int top = area.topLine;
  return TrackScrollBar(ui, TextRight(area), area.y1, area.x2 - 1, RowsBottom(gfx, area) - 1, area.visibleRows,
                        area.lineCount, top, [&](int newTop, std::int32_t state) {
                          area.topLine = newTop;
                          DrawTextAreaWithBar(gfx, text, area, ui.program.input.caretPhase, state);
                          PresentTextArea(gfx, area);
                        });
}

void PresentTextArea(Gfx& gfx, const TextAreaRecord& area) {
  gfx.PresentRect(area.x1, area.y1, area.x2 - area.x1, std::max(area.y2, RowsBottom(gfx, area)) - area.y1);
}

std::int32_t TextAreaInsert(Gfx& gfx, std::string& text, TextAreaRecord& area, std::string_view insertion) {
  Sync(text, area);
  DeleteBlockText(text, area);
  std::string chars;
  chars.reserve(insertion.size());
  for (const char c : insertion) {
    if (c != static_cast<char>(LF) && c != '\0') chars.push_back(c);
  }
  const std::int32_t room = std::max(area.capacity - 1 - area.length, 0);
  std::int32_t count = std::min(static_cast<std::int32_t>(chars.size()), room);
  const CharWidths widths = MeasureCharWidths(gfx);
  const std::string before = text;
  const std::int32_t at = area.caret;
  const std::int32_t maxLines = ClampedMaxLines(area);
  auto attempt = [&](std::int32_t n) {
    text = before;
    text.insert(static_cast<std::size_t>(at), chars, 0, static_cast<std::size_t>(n));
    area.length = static_cast<std::int32_t>(text.size());
    Wrap(widths, text, area);
    return area.lineCount <= maxLines;
  };
  if (count > 0 && !attempt(count)) {
    // Too many lines: keep the longest part of the insertion that still
    // fits. The text that was there stays whole, wherever the caret is.
    std::int32_t fits = 0;
    std::int32_t fails = count;
    while (fails - fits > 1) {
      const std::int32_t mid = fits + (fails - fits) / 2;
      if (attempt(mid)) {
        fits = mid;
      } else {
        fails = mid;
      }
    }
    count = fits;
    attempt(count);
  } else if (count <= 0) {
    count = 0;
    Wrap(widths, text, area);
  }
  area.caret = at + count;
  MarkNothing(area);
  KeepCaretVisible(area);
  return count;
}

void TextAreaDeleteBlock(Gfx& gfx, std::string& text, TextAreaRecord& area) {
  Sync(text, area);
  if (!HasBlock(area)) return;
  DeleteBlockText(text, area);
  Wrap(MeasureCharWidths(gfx), text, area);
  if (area.topLine > area.lineCount - area.visibleRows) area.topLine = std::max(0, area.lineCount - area.visibleRows);
}

bool TextAreaCopy(UiContext& ui, const std::string& text, const TextAreaRecord& area) {
  if (!HasBlock(area) || ui.program.window == nullptr) return false;
  const auto length = static_cast<std::int32_t>(text.size());
  const std::int32_t lo = std::min(BlockLow(area), length);
  const std::int32_t hi = std::min(BlockHigh(area), length);
  if (lo >= hi) return false;
  ui.program.window->SetClipboardText(
      ToClipboard(std::string_view(text).substr(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo))));
  return true;
}

void TextAreaPaste(UiContext& ui, Host& host, std::string& text, TextAreaRecord& area) {
  std::string clip;
  if (ui.program.window == nullptr || !ui.program.window->GetClipboardText(clip)) {
    host.ReportError(NoClipboardTextMessage);
    return;
  }
  TextAreaInsert(ui.gfx, text, area, FromClipboard(clip));
}

void TextAreaJoinLines(Gfx& gfx, Host& host, std::string& text, TextAreaRecord& area) {
  Sync(text, area);
  const auto length = static_cast<std::uint32_t>(text.size());
  std::string out;
  out.reserve(text.size());
  host.StartProgress();
  std::size_t i = 0;
  while (i < text.size()) {
    host.ShowProgress(JoiningLinesCaption, static_cast<std::uint32_t>(i), length);
    const auto c = static_cast<std::uint8_t>(text[i]);
    if (c != CR) {
      out.push_back(text[i++]);
      continue;
    }
    const bool paragraph = i + 1 < text.size() && (static_cast<std::uint8_t>(text[i + 1]) == CR ||
                                                   static_cast<std::uint8_t>(text[i + 1]) == Space);
    if (paragraph) {
      // A break followed by another break or an indent separates
      // paragraphs: both characters stay.
      out.push_back(text[i]);
      out.push_back(text[i + 1]);
      i += 2;
      continue;
    }
    if (out.empty() || static_cast<std::uint8_t>(out.back()) != Space) out.push_back(static_cast<char>(Space));
    ++i;
  }
  host.ShowProgress(JoiningLinesCaption, length, length);
  host.CloseProgress();
  text = std::move(out);
  area.length = static_cast<std::int32_t>(text.size());
  area.caret = 0;
  area.topLine = 0;
  MarkNothing(area);
  Wrap(MeasureCharWidths(gfx), text, area);
}

void TextAreaUpperCase(Gfx& gfx, std::string& text, TextAreaRecord& area) {
  Sync(text, area);
  if (!HasBlock(area)) return;
  for (std::int32_t i = BlockLow(area); i < BlockHigh(area); ++i) {
    text[static_cast<std::size_t>(i)] = static_cast<char>(ToUpper1252(At(text, i)));
  }
  Wrap(MeasureCharWidths(gfx), text, area);
}

void TextAreaSentenceCase(Gfx& gfx, std::string& text, TextAreaRecord& area) {
  Sync(text, area);
  if (!HasBlock(area)) return;
  // The last character of the block so far that is neither a space nor a
  // line break; 0 while there is none.
  std::uint8_t last = 0;
  for (std::int32_t i = BlockLow(area); i < BlockHigh(area); ++i) {
    const std::uint8_t c = At(text, i);
    const bool capital = last == 0 || last == '.' || last == '!' || last == '?';
    text[static_cast<std::size_t>(i)] = static_cast<char>(capital ? ToUpper1252(c) : ToLower1252(c));
    if (c != Space && c != CR) last = c;
  }
  Wrap(MeasureCharWidths(gfx), text, area);
}

void TextAreaMenu(UiContext& ui, Host& host, std::string& text, TextAreaRecord& area, int x, int y) {
  static const PopupItems items{"Delete", "Cut", "Copy", "Paste"};
  enum { ItemDelete, ItemCut, ItemCopy, ItemPaste };
  Gfx& gfx = ui.gfx;
  EnsureWrapped(gfx, text, area);
  // -1 until the user chooses, so that closing the window chooses nothing.
  int choice = -1;
  PopupList(ui, items, x, y, 0, 0, items.size(), choice);
  if (choice < 0) return;
  if (choice != ItemPaste && !HasBlock(area)) {
    host.ReportError(NoBlockMarkedMessage);
    return;
  }
  switch (choice) {
    case ItemDelete:
      TextAreaDeleteBlock(gfx, text, area);
      break;
    case ItemCut:
      if (TextAreaCopy(ui, text, area)) TextAreaDeleteBlock(gfx, text, area);
      break;
    case ItemCopy:
      TextAreaCopy(ui, text, area);
      break;
    default:
      // The block goes only when there is text to put in its place.
      TextAreaPaste(ui, host, text, area);
      break;
  }
  WrapTextArea(gfx, text, area);
  KeepCaretVisible(area);
  Redraw(gfx, text, area);
}

bool TextAreaMouse(UiContext& ui, const std::string& text, TextAreaRecord& area) {
  InputState& in = ui.program.input;
  Gfx& gfx = ui.gfx;
  EnsureWrapped(gfx, text, area);
  if (in.mouseButton == 0 || in.mouseX < area.x1 || in.mouseX >= TextRight(area) || in.mouseY < area.y1 ||
      in.mouseY >= RowsBottom(gfx, area)) {
    return false;
  }
  const CharWidths widths = MeasureCharWidths(gfx);
  area.caret = PositionAt(widths, gfx, text, area, in.mouseX, in.mouseY);
  MarkNothing(area);
  Redraw(gfx, text, area);
  while (in.mouseButton != 0 && in.quitRequested == 0) {
    const std::int32_t oldTop = area.topLine;
    bool scrolled = false;
    if (in.mouseY < area.y1) {
      area.topLine = std::max(area.topLine - 1, 0);
      scrolled = true;
    } else if (in.mouseY >= RowsBottom(gfx, area)) {
      area.topLine = std::max(std::min(area.topLine + 1, area.lineCount - area.visibleRows), area.topLine);
      scrolled = true;
    }
    const std::int32_t pos = PositionAt(widths, gfx, text, area, in.mouseX, in.mouseY);
    if (pos != area.caret || area.topLine != oldTop) {
      area.caret = pos;
      area.selEnd = pos;
      in.caretPhase = 1;
      Redraw(gfx, text, area);
    }
    if (scrolled) {
      DelayUnlessInput(ui.program, 0);
    } else {
      PumpMessages(ui.program, 1);
    }
  }
  return true;
}

bool TextAreaKeys(UiContext& ui, Host& host, std::string& text, TextAreaRecord& area) {
  InputState& in = ui.program.input;
  Gfx& gfx = ui.gfx;
  EnsureWrapped(gfx, text, area);
  const int key = in.lastKey;
  const int ch = in.lastChar;
  const bool shift = in.shiftDown != 0;
  const bool ctrl = in.ctrlDown != 0;
  const std::int32_t oldCaret = area.caret;
  const std::int32_t line = LineOfPosition(area, area.caret);
  const std::int32_t maxLines = ClampedMaxLines(area);
  bool moved = true;  // a caret movement: the block follows Shift
  bool wholeWindow = false;

  if (key == KeyLeft) {
    std::int32_t c = area.caret;
    if (!ctrl) {
      c = std::max(c - 1, 0);
    } else {
      if (c > 0) --c;
      while (c > 0 && At(text, c) < FirstWordChar) --c;
      while (c > 0 && At(text, c) >= FirstWordChar) --c;
      if (c > 0) ++c;
    }
    area.caret = c;
  } else if (key == KeyRight) {
    std::int32_t c = area.caret;
    if (!ctrl) {
      c = std::min(c + 1, area.length);
    } else {
      while (c < area.length && At(text, c) >= FirstWordChar) ++c;
      while (c < area.length && At(text, c) < FirstWordChar) ++c;
    }
    area.caret = c;
  } else if (key == KeyUp || key == KeyDown) {
    const std::int32_t column = area.caret - LineStart(area, line);
    const std::int32_t target =
        key == KeyUp ? std::max(line - 1, 0) : std::min({line + 1, area.lineCount - 1, maxLines - 1});
    area.caret = std::min(LineStart(area, target) + column, LineEnd(area, target));
  } else if (key == KeyPageUp) {
    area.topLine = std::max(0, area.topLine - area.visibleRows);
    area.caret = LineStart(area, std::min(area.topLine, area.lineCount - 1));
  } else if (key == KeyPageDown) {
    const std::int32_t target =
        std::max(0, std::min({area.lineCount - 1, maxLines - 1, area.topLine + 2 * area.visibleRows - 1}));
    area.topLine = std::max(0, target - area.visibleRows + 1);
    area.caret = LineStart(area, target);
  } else if (key == KeyHome) {
    if (ctrl) {
      area.caret = 0;
      area.topLine = 0;
    } else {
      area.caret = LineStart(area, line);
    }
  } else if (key == KeyEnd) {
    if (ctrl) {
      area.caret = area.length;
      area.topLine = std::max(0, area.lineCount - 1 - area.visibleRows + 1);
    } else {
      area.caret = LineEnd(area, line);
    }
  } else {
    moved = false;
    if (key == KeyDelete || ch == CharBackspace) {
      if (HasBlock(area)) {
        DeleteBlockText(text, area);
      } else if (key == KeyDelete && area.caret < area.length) {
        text.erase(static_cast<std::size_t>(area.caret), 1);
      } else if (ch == CharBackspace && area.caret > 0) {
        text.erase(static_cast<std::size_t>(--area.caret), 1);
      }
      area.length = static_cast<std::int32_t>(text.size());
      MarkNothing(area);
      WrapTextArea(gfx, text, area);
    } else if (ch == CharEnter) {
      DeleteBlockText(text, area);
      WrapTextArea(gfx, text, area);
      if (maxLines > 1) {
        const char br = static_cast<char>(CR);
        // The line break needs a byte below capacity - 1 (the last byte of
        // the buffer is never text) and a free line.
        const bool fits = area.length < area.capacity - 1 && area.lineCount < maxLines - 1 &&
                          TextAreaInsert(gfx, text, area, std::string_view(&br, 1)) == 1;
        if (!fits) host.ReportError(TextBufferFullMessage);
      }
    } else if (ch == CharJoinLines) {
      if (!HasBlock(area)) {
        TextAreaJoinLines(gfx, host, text, area);
        wholeWindow = true;
      }
    } else if (ch == CharSelectAll) {
      area.caret = 0;
      area.topLine = 0;
      area.selStart = 0;
      area.selEnd = area.length;
    } else if (ch == CharCut) {
      if (TextAreaCopy(ui, text, area)) TextAreaDeleteBlock(gfx, text, area);
    } else if (ch == CharCopy) {
      TextAreaCopy(ui, text, area);
    } else if (ch == CharPaste) {
      TextAreaPaste(ui, host, text, area);
    } else if (ch == CharUpperCase) {
      TextAreaUpperCase(gfx, text, area);
    } else if (ch == CharSentenceCase) {
      TextAreaSentenceCase(gfx, text, area);
    } else if (ch == CharDegree || (ch >= Space && ch != CharCtrlBackspace)) {
      const char typed = static_cast<char>(ch == CharDegree ? DegreeSign : ch);
      if (TextAreaInsert(gfx, text, area, std::string_view(&typed, 1)) == 0) host.ReportError(TextBufferFullMessage);
    } else {
      return false;
    }
  }
  if (moved) {
    if (shift) {
      if (!HasBlock(area)) area.selStart = oldCaret;
      area.selEnd = area.caret;
    } else {
      MarkNothing(area);
    }
  }
  KeepCaretVisible(area);
  in.caretPhase = 1;
  in.lastKey = 0;
  in.lastChar = 0;
  DrawTextArea(gfx, text, area, 1);
  if (wholeWindow) {
    gfx.PresentRect(0, 0, gfx.clientWidth, gfx.clientHeight);
  } else {
    PresentTextArea(gfx, area);
  }
  return true;
}

}  // namespace kal
