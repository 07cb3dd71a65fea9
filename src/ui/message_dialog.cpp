#include "ui/message_dialog.h"

#include <algorithm>

#include "platform/key_codes.h"
#include "ui/controls.h"
#include "ui/edit_field.h"

namespace kal {

namespace {

constexpr int ButtonWidth = 70;
constexpr int ButtonHeight = 25;

int FloorDiv(int a, int b) {
  int q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// a / 2 to the nearest integer, a half going to the even neighbour.
int Half(int a) {
  const int q = FloorDiv(a, 2);
  if (a - 2 * q == 0) return q;
  return (q % 2 == 0) ? q : q + 1;
}

int Measure(UiContext& ui, const FontDescription& font, std::string_view text) {
  if (ui.gfx.text == nullptr || text.empty()) return 0;
  return ui.gfx.text->Measure(font, text).width;
}

int Widest(UiContext& ui, const FontDescription& font, const std::vector<std::string>& texts) {
  int w = 0;
  for (const std::string& t : texts) w = std::max(w, Measure(ui, font, t));
  return w;
}

constexpr const char* kCut = "...";

// The longest start of the line that fits maxWidth with "..." after it.
std::string FitLine(UiContext& ui, const FontDescription& font, const std::string& line, int maxWidth) {
  if (Measure(ui, font, line) <= maxWidth) return line;
  std::size_t lo = 0;
  std::size_t hi = line.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi + 1) / 2;
    if (Measure(ui, font, line.substr(0, mid) + kCut) <= maxWidth) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return line.substr(0, lo) + kCut;
}

std::int32_t TextLength(const EditFieldRecord& r) { return static_cast<std::int32_t>(r.text.size()); }

}  // namespace

void AllocDialogTransferBuffer(MemBuffer& buffer) {
  BufAlloc(DialogTransferBufferSize, buffer);
  FillBytes(buffer, 0, DialogTransferBufferSize, 0);
}

std::vector<std::string> SplitBars(std::string_view text) {
  std::vector<std::string> parts;
  if (text.empty()) return parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = text.find('|', start);
    parts.emplace_back(text.substr(start, bar == std::string_view::npos ? bar : bar - start));
    std::replace(parts.back().begin(), parts.back().end(), LiteralBar, '|');
    if (bar == std::string_view::npos) return parts;
    start = bar + 1;
  }
}

MessageDialogLayout LayoutMessageDialog(UiContext& ui, std::string_view message, std::string_view labels,
                                        std::string_view buttons, std::int32_t fieldSpec) {
  const Program& p = ui.program;
  Gfx& gfx = ui.gfx;
  const int lh = gfx.lineHeight;
  MessageDialogLayout l;
  l.lines = SplitBars(message);
  l.labels = SplitBars(labels);
  l.captions = SplitBars(buttons);
  if (l.captions.empty()) l.captions.emplace_back();

  l.cx = Half(p.ClientWidth);
  l.cy = Half(p.ClientHeight) + Half(p.HeaderHeight);
  l.preloaded = fieldSpec >= PreloadFields;
  l.width = l.preloaded ? fieldSpec - PreloadFields : fieldSpec;
  l.fieldCount = static_cast<int>(l.labels.size());
  if (l.labels.empty() && l.width != 0) l.fieldCount = 1;

  // Whatever the texts, the panel and its buttons stay inside the window.
  const int maxLineW = std::max(0, p.ClientWidth - 40);
  for (std::string& line : l.lines) line = FitLine(ui, gfx.MessageFont, line, maxLineW);
  const int roomForLines = p.ClientHeight - p.HeaderHeight - ((10 + lh) * l.fieldCount + 70);
  const std::size_t fitting = lh > 0 ? static_cast<std::size_t>(std::max(0, roomForLines / lh)) : l.lines.size();
  if (l.lines.size() > fitting) {
    l.lines.resize(fitting);
    if (!l.lines.empty()) l.lines.back() = kCut;
  }
  const int msgLines = static_cast<int>(l.lines.size());
  l.msgW = Widest(ui, gfx.MessageFont, l.lines);
  l.labelW = l.labels.empty() ? 0 : Widest(ui, gfx.LabelFont, l.labels) + 5;
  const int buttonCount = static_cast<int>(l.captions.size());
  const int buttonsW = ButtonWidth * buttonCount;
  // The widest text a field of this width must show: width + 1 capital Ms.
  l.editW = Measure(ui, gfx.EditFont, std::string(static_cast<std::size_t>(std::max(0, l.width + 1)), 'M'));
  l.labelX = l.cx - Half(l.labelW + l.editW);
  l.boxH = lh * msgLines + (10 + lh) * l.fieldCount + 70;
  l.boxW = std::max({buttonsW, l.labelW + l.editW + 30, l.msgW}) + 20;
  l.left = l.cx - Half(l.boxW);
  l.top = l.cy - Half(l.boxH);
  l.fieldsTop = l.top + 20 + lh * msgLines;
  l.buttonsLeft = l.cx - 35 * buttonCount;
  l.buttonsTop = l.fieldsTop + (10 + lh) * l.fieldCount + 10;
  return l;
}

void MessageDialog(UiContext& ui, MemBuffer& transferBuffer, std::string_view message, std::string_view labels,
                   std::int32_t enterResult, std::string_view buttons, std::int32_t fieldSpec,
                   std::int32_t& result) {
  Program& p = ui.program;
  InputState& in = p.input;
  Gfx& gfx = ui.gfx;
  const int lh = gfx.lineHeight;
  const MessageDialogLayout l = LayoutMessageDialog(ui, message, labels, buttons, fieldSpec);
  const bool hasFields = l.width > 0 && l.fieldCount > 0;

  // A window hidden in the tray stays hidden: the dialog is drawn and shows
  // when the user brings the window back through the tray icon.
  const std::int32_t previousModal = p.ModalActive;
  p.ModalActive = 1;
  const Surface saved = gfx.SaveScreen();

  // The working copy keeps every record the dialog does not use exactly as
  // the caller left it; they all go back into the shared block at the end.
  MemBuffer working;
  AllocDialogTransferBuffer(working);
  const std::size_t shared = std::min(transferBuffer.size(), DialogTransferBufferSize);
  MoveBytes(transferBuffer, 0, working, 0, shared);

  gfx.DrawPanel(l.left, l.top, l.left + l.boxW, l.top + l.boxH);
  if (gfx.surface != nullptr) {
    for (std::size_t i = 0; i < l.lines.size(); ++i) {
      gfx.DrawTextAligned(*gfx.surface, l.cx, l.top + 8 + lh * static_cast<int>(i), AlignCentre, ColourMessageText,
                          gfx.MessageFont, l.lines[i]);
    }
  }

  std::vector<EditFieldRecord> fields;
  std::vector<int> rowTops;
  if (hasFields) {
    for (int i = 0; i < l.fieldCount; ++i) {
      const int rowY = l.fieldsTop + (10 + lh) * i;
      EditFieldRecord r;
      if (l.preloaded) {
        LoadEditField(working, EditFieldRecordSize * static_cast<std::size_t>(i), r);
      } else {
        r.text.clear();
        r.backColour = ColourFieldBack;
        r.textColour = ColourFieldText;
      }
      r.x1 = l.labelX + l.labelW;
      r.y1 = rowY;
      r.x2 = r.x1 + l.editW;
      r.y2 = r.y1 + lh;
      r.maxLength = l.width;
      r.caret = r.selStart = r.selEnd = std::min(TextLength(r), l.width);
      if (static_cast<std::size_t>(i) < l.labels.size() && gfx.surface != nullptr) {
        const std::string& label = l.labels[static_cast<std::size_t>(i)];
        const int h = gfx.text != nullptr ? gfx.text->Measure(gfx.LabelFont, label).height : 0;
        gfx.DrawTextAligned(*gfx.surface, r.x1 - 10, rowY + lh / 2 - h / 2, AlignRight, ColourLabelText,
                            gfx.LabelFont, label);
      }
      DrawEditField(gfx, 1, r, 0);
      fields.push_back(std::move(r));
      rowTops.push_back(rowY);
    }
  }

  // Letters are hot keys only while no field takes them.
  const std::int32_t drawnHotkey = hasFields ? 0 : 1;
  const auto buttonLeft = [&](std::size_t j) { return l.buttonsLeft + ButtonWidth * static_cast<int>(j); };
  for (std::size_t j = 0; j < l.captions.size(); ++j) {
    DrawPushButton(gfx, 0, buttonLeft(j), l.buttonsTop, buttonLeft(j) + ButtonWidth, l.buttonsTop + ButtonHeight,
                   l.captions[j], drawnHotkey);
  }

  std::size_t focus = 0;
  // The caret shows at once in the first field.
  if (hasFields) DrawEditField(gfx, 0, fields[focus], 1);
  gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
  WaitInputRelease(p);
  in.mouseButton = 0;
  in.lastChar = 0;
  in.lastKey = 0;
  StartCaretTimer(p);
  in.caretPhase = 1;
  std::int32_t seenPhase = 1;

  const auto toEnd = [&](EditFieldRecord& r) { r.caret = r.selStart = r.selEnd = std::min(TextLength(r), l.width); };

  bool done = false;
  std::int32_t requestedScreen = 0;
  while (!done && in.quitRequested == 0) {
    RunFrameInput(ui, 1, requestedScreen);
    if (in.quitRequested != 0) break;
    const std::size_t previousFocus = focus;
    int changed = 0;
    if (hasFields) EditFieldInput(ui, fields[focus], changed);

    // A press in another field's row takes the focus there.
    if (hasFields && in.mouseButton != 0) {
      for (std::size_t i = 0; i < fields.size(); ++i) {
        const int rowTop = rowTops[i];
        if (i != focus && in.mouseX >= fields[i].x1 && in.mouseX <= fields[i].x2 && in.mouseY >= rowTop &&
            in.mouseY <= rowTop + lh + 10) {
          toEnd(fields[focus]);
          focus = i;
          toEnd(fields[focus]);
          break;
        }
      }
    }

    bool enterMovedFocus = false;
    if (!hasFields) {
      if (in.lastChar == CharEnter) {
        result = enterResult;
        done = true;
      }
    } else {
      const std::size_t last = fields.size() - 1;
      std::size_t next = focus;
      if (in.lastKey == KeyUp || (in.lastChar == CharTab && in.shiftDown != 0)) {
        if (focus > 0) next = focus - 1;
      } else if (in.lastKey == KeyDown || (in.lastChar == CharTab && in.shiftDown == 0)) {
        if (focus < last) next = focus + 1;
      } else if (in.lastChar == CharEnter) {
        if (focus == last) {
          result = enterResult;
          done = true;
        } else {
          next = focus + 1;
          enterMovedFocus = true;
        }
      }
      if (next != focus) {
        focus = next;
        toEnd(fields[focus]);
      }
    }

    // An Enter that only moved to the next field must not also press "OK".
    if (!done && !enterMovedFocus) {
      for (std::size_t j = 0; j < l.captions.size() && !done; ++j) {
        const int x1 = buttonLeft(j);
        const int x2 = x1 + ButtonWidth;
        const int y1 = l.buttonsTop;
        const int y2 = y1 + ButtonHeight;
        std::int32_t clicked = 0;
        if (hasFields) {
          clicked = ButtonClicked(ui, x1, y1, x2, y2, l.captions[j], 0);
        } else {
          clicked = ButtonClicked(ui, x1, y1, x2, y2, l.captions[j], 1);
          if (clicked == 0) clicked = ButtonClicked(ui, x1, y1, x2, y2, l.captions[j], -1);
        }
        if (clicked != 0) {
          result = static_cast<std::int32_t>(j) + 1;
          done = true;
        }
      }
    }

    if (done || !hasFields) continue;
    const bool moved = focus != previousFocus || changed == -1;
    if (moved) {
      StartCaretTimer(p);
      in.caretPhase = 1;
    }
    if (moved || in.caretPhase != seenPhase) {
      if (previousFocus != focus) DrawEditField(gfx, 0, fields[previousFocus], 0);
      DrawEditField(gfx, 0, fields[focus], in.caretPhase);
      gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
      seenPhase = in.caretPhase;
    }
  }

  StopCaretTimer(p);
  for (std::size_t i = 0; i < fields.size(); ++i) StoreEditField(fields[i], working, EditFieldRecordSize * i);
  MoveBytes(working, 0, transferBuffer, 0, shared);
  WaitInputRelease(p);
  gfx.RestoreScreen(saved, 0, 0, p.ClientWidth, p.ClientHeight);
  gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
  p.ModalActive = previousModal;
}

std::int32_t MessageDialog(UiContext& ui, std::string_view message, std::string_view buttons) {
  MemBuffer scratch;
  std::int32_t result = 0;
  MessageDialog(ui, scratch, message, "", 1, buttons, 0, result);
  return result;
}

}  // namespace kal
