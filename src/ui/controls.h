// Push buttons, choice fields, check boxes and links, and the small input
// tests every screen uses (mouse pressed in a box, wait until input is
// released, hold-to-repeat delay).
//
// Controls are drawn pictures plus input routines that read the Program's
// InputState; the screen owns its loop and calls them on every pass. Nothing
// here keeps state between calls: a ControlRecord belongs to the screen that
// lays it out, and lives as long as that screen wants it.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/gfx.h"
#include "ui/input_state.h"
#include "ui/program.h"
#include "ui/ui_context.h"

namespace kal {

// A button, choice field, check box or link on a screen. The text part comes
// first, so a ControlRecord can be handed to Gfx::DrawTextRecord as it is:
// surface, box x1 y1 x2 y2, textColour (TextRecord::colour), the state
// (TextRecord::shadowColour: bit 0 pressed for buttons; read as the shadow
// colour when the caption is drawn as text, -1 none), font, align, caption
// (TextRecord::text, at most ControlCaptionChars characters).
struct ControlRecord : TextRecord {
  Colour backColour = ColourWhite;
  // 0 no letter key; k > 0 Ctrl + the k-th caption letter (drawn underlined);
  // k < 0 the |k|-th caption letter alone.
  std::int32_t hotkey = 0;

  std::int32_t state() const { return shadowColour; }
  void setState(std::int32_t s) { shadowColour = s; }
};

constexpr std::size_t ControlCaptionChars = 50;

// Caption codes of image buttons: a caption whose first character is one of
// these shows the built-in image instead of text.
constexpr char CaptionArrowUp = 1;
constexpr char CaptionArrowDown = 2;
constexpr char CaptionArrowRight = 3;
constexpr char CaptionArrowLeft = 4;
constexpr char CaptionBigLeft = 14;
constexpr char CaptionBigRight = 15;

// The built-in image a caption stands for, or empty for a text caption.
std::string_view CaptionImage(std::string_view caption);

// The held mouse-button bits when a button is down with x1 <= mouseX < x2
// and y1 <= mouseY < y2, else 0.
std::int32_t MouseDownIn(const InputState& input, int x1, int y1, int x2, int y2);
std::int32_t MouseDownInRecord(const InputState& input, const ControlRecord& record);

// Pumps messages until no mouse button, character or key is pending. Never
// blocks for good: it ends when quitRequested is set, and when no event
// arrives for a while (a key release the window never saw; a button release
// lost outside it).
void WaitInputRelease(Program& program);

// Waits 25 ms (mode 0), 300 ms (mode 1) or 100 ms (mode 2) while pumping
// messages, returning as soon as no key, character or mouse button is held
// (or quitRequested is set). A timer marks the end of the wait, so the
// headless backend's "wait" advances through it as real time would.
void DelayUnlessInput(Program& program, int mode);
constexpr int HoldTimerId = 301;

// The building blocks of the waits above, for loops of their own.
// One event, waiting at most timeoutMs for it; false when none arrived (or
// quitRequested is set). Keeps the mouse captured exactly while a button is
// held, as the message pump does.
bool PumpFor(Program& program, int timeoutMs);
// Pumps for ms milliseconds of the program's clock, ending early when no key,
// character or mouse button is held.
void HoldFor(Program& program, int ms);

// A push button covering x1..x2-1, y1..y2-1, released (state bit 0 clear) or
// pressed, drawn on the off-screen surface.
void DrawPushButton(Gfx& gfx, std::int32_t state, int x1, int y1, int x2, int y2, std::string_view caption,
                    std::int32_t hotkey);
// The same on the record's surface, box, state, caption and hot key.
void DrawButtonRecord(Gfx& gfx, const ControlRecord& record);

// Whether the button was pressed on this pass: 0 not pressed, 1 by the
// keyboard (Enter for "OK", the hot key, Up/Down for arrow captions), else
// the mouse-button bits with which it was clicked (pressed and released
// inside). Shows the pressed look while pressed and leaves the button drawn
// released.
std::int32_t ButtonClicked(UiContext& ui, int x1, int y1, int x2, int y2, std::string_view caption,
                           std::int32_t hotkey);
// The same for a record; its state is 1 while it is shown pressed and 0 after.
std::int32_t ButtonRecordClicked(UiContext& ui, ControlRecord& record);

// A choice field: the sunken frame (when drawFrame is 1), the drop-down arrow
// button in arrowState at its right end, and the caption in the text area.
void DrawChoiceField(Gfx& gfx, int drawFrame, std::int32_t arrowState, const ControlRecord& record);

// A check box: the 9 x 9 box at the left of the record's box, vertically
// centred; with full = 1 also its frame and the caption (drawn as the record's
// text). A value above 0 shows the cross.
void DrawCheckBox(Gfx& gfx, int full, const ControlRecord& record, std::int32_t value);

// The click handling screens give a check box: a press inside the record's
// box toggles value between 0 and 1, redraws the box, presents it and waits
// until input is released. True when it toggled.
bool CheckBoxClicked(UiContext& ui, const ControlRecord& record, std::int32_t& value);

// Hover loop over a text link whose caption is drawn at the record's top
// left: white while the pointer is inside, navy again when it leaves; with
// the record's state as a shadow colour unless it is -1.
// Returns the mouse-button bits when the link is clicked, 0 when the pointer
// leaves or the program is closing.
std::int32_t LinkHover(UiContext& ui, const ControlRecord& record, const FontDescription& font);

}  // namespace kal
