#include "screens/find_dialog.h"

#include <algorithm>

#include "ui/controls.h"
#include "ui/edit_field.h"

namespace kal {

namespace {

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 25;
constexpr int kMargin = 20;

int Width(Gfx& gfx, const FontDescription& font, std::string_view text) {
  return gfx.text != nullptr ? gfx.text->Measure(font, text).width : 0;
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

const std::vector<std::string>& FindHelpLines() {
  static const std::vector<std::string> lines = {
      "Enter the words you want to look for (i.e. appointment doctor).",
      "To find a specific phrase, enclose it in quotes (i.e. \"birthday party\")",
      "To exclude a word or phrase, use the - character (i.e. -bridal).",
      "To find any of a list of words, use the / character (i.e. /dinner /lunch).",
  };
  return lines;
}

FindDialogLayout LayOutFindDialog(UiContext& ui) {
  Gfx& g = ui.gfx;
  const Program& p = ui.program;
  const int lh = g.lineHeight;
  int helpWidth = 0;
  for (const std::string& line : FindHelpLines()) helpWidth = std::max(helpWidth, Width(g, g.SmallFont, line));
  // Sixty typed characters of average width must fit the field.
  const int fieldWidth = std::max(helpWidth, Width(g, g.EditFont, std::string(kFindFieldChars, 'n')));
  const int width = fieldWidth + 2 * kMargin;
  const int helpHeight = static_cast<int>(FindHelpLines().size()) * (lh - 4);
  const int height = 15 + lh + 12 + lh + 12 + helpHeight + 15 + kButtonHeight + 15;
  const int left = p.CentreX - width / 2;
  const int top = p.HeaderHeight + std::max(0, (p.ClientHeight - p.HeaderHeight - height) / 2);
  FindDialogLayout l;
  l.panel = Rect{left, top, left + width, top + height};
  l.titleTop = top + 15;
  const int fieldTop = l.titleTop + lh + 12;
  l.field = Rect{left + kMargin, fieldTop, left + width - kMargin - 1, fieldTop + lh - 1};
  l.helpTop = fieldTop + lh + 12;
  const int buttonsTop = top + height - 15 - kButtonHeight;
  l.ok = Rect{p.CentreX - kButtonWidth, buttonsTop, p.CentreX, buttonsTop + kButtonHeight};
  l.cancel = Rect{p.CentreX, buttonsTop, p.CentreX + kButtonWidth, buttonsTop + kButtonHeight};
  return l;
}

bool FindDialog(UiContext& ui, std::string& query) {
  Program& p = ui.program;
  InputState& in = p.input;
  Gfx& g = ui.gfx;
  if (g.surface == nullptr) return false;
  Surface& s = *g.surface;
  const FindDialogLayout l = LayOutFindDialog(ui);
  const int lh = g.lineHeight;

  const Surface saved = g.SaveScreen();
  const std::int32_t wasModal = p.ModalActive;
  p.ModalActive = 1;

  g.DrawPanel(l.panel.left, l.panel.top, l.panel.right, l.panel.bottom);
  g.DrawTextAligned(s, p.CentreX, l.titleTop, AlignCentre, ColourMessageText, g.MessageFont, "Find");
  int y = l.helpTop;
  for (const std::string& line : FindHelpLines()) {
    g.DrawTextAligned(s, l.field.left, y, AlignLeft, ColourLabelText, g.SmallFont, line);
    y += lh - 4;
  }
  DrawPushButton(g, 0, l.ok.left, l.ok.top, l.ok.right, l.ok.bottom, "OK", 0);
  DrawPushButton(g, 0, l.cancel.left, l.cancel.top, l.cancel.right, l.cancel.bottom, "Cancel", 0);
  EditFieldRecord field;
  field.x1 = l.field.left;
  field.y1 = l.field.top;
  field.x2 = l.field.right;
  field.y2 = l.field.bottom;
  field.maxLength = kFindFieldChars;
  DrawEditField(g, 1, field, 1);
  g.PresentRect(l.panel.left, l.panel.top, l.panel.Width() + 12, l.panel.Height() + 12);

  WaitInputRelease(p);
  in.lastChar = 0;
  in.lastKey = 0;
  StartCaretTimer(p);
  in.caretPhase = 1;
  std::int32_t seenPhase = 1;
  std::int32_t requested = 0;
  int result = 0;
  while (result == 0 && in.quitRequested == 0) {
    RunFrameInput(ui, 1, requested);
    if (in.quitRequested != 0) break;
    // Enter belongs to "OK", not to the field.
    int changed = 0;
    if (in.lastChar != 13) EditFieldInput(ui, field, changed);
    if (ButtonClicked(ui, l.ok.left, l.ok.top, l.ok.right, l.ok.bottom, "OK", 0) != 0) {
      result = 1;
    } else if (ButtonClicked(ui, l.cancel.left, l.cancel.top, l.cancel.right, l.cancel.bottom, "Cancel", 0) != 0) {
      result = 2;
    }
    if (changed == -1) {
      StartCaretTimer(p);
      in.caretPhase = 1;
    }
    if (result == 0 && (changed == -1 || in.caretPhase != seenPhase)) {
      DrawEditField(g, 0, field, in.caretPhase);
      g.PresentRect(field.x1, field.y1, field.x2 - field.x1 + 1, field.y2 - field.y1 + 1);
      seenPhase = in.caretPhase;
    }
  }

  StopCaretTimer(p);
  WaitInputRelease(p);
  g.RestoreScreen(saved, l.panel.left, l.panel.top, l.panel.Width() + 12, l.panel.Height() + 12);
  g.PresentRect(l.panel.left, l.panel.top, l.panel.Width() + 12, l.panel.Height() + 12);
  p.ModalActive = wasModal;
  if (result != 1) return false;
  query = Trimmed(field.text);
  return true;
}

}  // namespace kal
