// The input field end to end: scripts played on the headless backend against
// the field's part of a dialog loop.

#include "ui/edit_field.h"

#include <gtest/gtest.h>

#include <string>

#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;

int Width(UiFixture& f, std::string_view text) { return f.gfx.text->Measure(f.gfx.EditFont, text).width; }

// A field at x 100..100 + width, y 100..123.
EditFieldRecord Field(int maxLength = 50, int width = 400) {
  EditFieldRecord r;
  r.x1 = 100;
  r.y1 = 100;
  r.x2 = 100 + width;
  r.y2 = 123;
  r.maxLength = maxLength;
  return r;
}

// The field's part of a dialog loop: one waiting pump, then the field's
// input, until the script has run out. Returns how many passes changed it.
int RunField(UiFixture& f, EditFieldRecord& r) {
  int changes = 0;
  while (f.program.input.quitRequested == 0) {
    PumpMessages(f.program, 1);
    int changed = 0;
    EditFieldInput(f.ui, r, changed);
    if (changed == -1) ++changes;
  }
  return changes;
}

struct Outcome {
  EditFieldRecord field;
  std::string clipboard;  // "<none>" when the clipboard holds no text
};

Outcome Play(const std::string& script, EditFieldRecord field = Field(), const char* clipboard = nullptr) {
  UiFixture f(script);
  if (clipboard != nullptr) f.window.SetClipboardText(clipboard);
  RunField(f, field);
  Outcome o{field, "<none>"};
  f.window.GetClipboardText(o.clipboard);
  return o;
}

TEST(EditFieldInput, TypingAndCaretKeys) {
  const EditFieldRecord r = Play(
      "type Hello world\n"
      "key Home\nkey Right\nkey Right\nkey Delete\n"  // "Helo world"
      "key End\nkey Backspace\n"                        // "Helo worl"
      "key Left\nkey Left\ntype X\n").field;            // "Helo woXrl"
  EXPECT_EQ(r.text, "Helo woXrl");
  EXPECT_EQ(r.caret, 8);
  EXPECT_EQ(r.selStart, 8);
  EXPECT_EQ(r.selEnd, 8);

  // Left at position 0 and Tab change nothing; the typed letter does.
  UiFixture f("key Left\nkey Tab\ntype a\n");
  EditFieldRecord quiet = Field();
  EXPECT_EQ(RunField(f, quiet), 1);
}

TEST(EditFieldInput, ShiftSelects) {
  // Shift+Home from the end of a word selects it; a letter replaces it.
  EditFieldRecord r = Play("type word\nkey Home shift\n").field;
  EXPECT_EQ(r.selStart, 4);
  EXPECT_EQ(r.selEnd, 0);
  EXPECT_EQ(r.caret, 0);
  r = Play("type word\nkey Home shift\ntype X\n").field;
  EXPECT_EQ(r.text, "X");
  EXPECT_EQ(r.caret, 1);
  EXPECT_EQ(r.selStart, 1);

  // Shift+Right grows, Shift+Left shrinks, a move without Shift drops it.
  r = Play("type abcdef\nkey Home\nkey Right shift\nkey Right shift\nkey Right shift\nkey Left shift\n").field;
  EXPECT_EQ(r.selStart, 0);
  EXPECT_EQ(r.selEnd, 2);
  r = Play("type abcdef\nkey Home\nkey Right shift\nkey Right shift\nkey Right\n").field;
  EXPECT_EQ(r.selStart, 3);
  EXPECT_EQ(r.selEnd, 3);
}

TEST(EditFieldInput, DeleteBackspaceAndEscape) {
  EXPECT_EQ(Play("type abcdef\nkey Left shift\nkey Left shift\nkey Delete\n").field.text, "abcd");
  // The second Backspace finds nothing before the caret.
  const EditFieldRecord r =
      Play("type abcdef\nkey Home\nkey Right shift\nkey Right shift\nkey Backspace\nkey Backspace\n").field;
  EXPECT_EQ(r.text, "cdef");
  EXPECT_EQ(r.caret, 0);
  // Escape empties the field even with a selection.
  const EditFieldRecord e = Play("type some text\nkey Left shift\nkey Escape\n").field;
  EXPECT_EQ(e.text, "");
  EXPECT_EQ(e.caret, 0);
  EXPECT_EQ(e.selStart, 0);
}

TEST(EditFieldInput, CutCopyAndPaste) {
  Outcome o = Play(
      "type one two\n"
      "key Left shift\nkey Left shift\nkey Left shift\nkey C ctrl\n"       // copy "two"
      "key Home\nkey V ctrl\n"                                             // "twoone two"
      "key Right shift\nkey Right shift\nkey Right shift\nkey X ctrl\n");  // cut "one"
  EXPECT_EQ(o.field.text, "two two");
  EXPECT_EQ(o.field.caret, 3);
  EXPECT_EQ(o.clipboard, "one");

  // Without a selection copy and cut leave the clipboard alone.
  o = Play("type abc\nkey C ctrl\nkey X ctrl\n", Field(), "kept");
  EXPECT_EQ(o.clipboard, "kept");
  EXPECT_EQ(o.field.text, "abc");
}

TEST(EditFieldInput, PasteTakesWhatFitsOfTheFirstLine) {
  // Two lines over a selection: the selection goes, the first line arrives.
  EditFieldRecord r =
      Play("type xx--yy\nkey Left\nkey Left\nkey Left shift\nkey Left shift\nkey V ctrl\n", Field(),
           "first line\r\nsecond line").field;
  EXPECT_EQ(r.text, "xxfirst lineyy");
  EXPECT_EQ(r.caret, 12);
  EXPECT_EQ(r.selStart, 12);

  EXPECT_EQ(Play("type ab\nkey V ctrl\n", Field(6), "0123456789").field.text, "ab0123");
  EXPECT_EQ(Play("type abc\nkey V ctrl\n").field.text, "abc");  // no text on the clipboard

  UiFixture probe;
  r = Play("key V ctrl\n", Field(150, 200), std::string(100, 'W').c_str()).field;
  ASSERT_FALSE(r.text.empty());
  EXPECT_LT(Width(probe, r.text), 200 - 10);
  EXPECT_GE(Width(probe, r.text + "W"), 200 - 10);
}

TEST(EditFieldInput, CapacityByLengthAndByWidth) {
  UiFixture probe;
  const int box = Width(probe, std::string(51, 'M'));
  // Narrow letters stop at the length limit although more would fit.
  EXPECT_EQ(Play("type " + std::string(60, 'i') + "\n", Field(50, box)).field.text, std::string(50, 'i'));
  // Wide letters stop where the next one would reach the box's margin.
  const std::string wide = Play("type " + std::string(60, 'W') + "\n", Field(50, box)).field.text;
  EXPECT_LT(wide.size(), 50u);
  EXPECT_LT(Width(probe, wide), box - 8);
  EXPECT_GE(Width(probe, wide) + Width(probe, "W"), box - 8);
}

TEST(EditFieldInput, FullFieldKeys) {
  // End stops before the last character of a full field.
  EXPECT_EQ(Play("type abcde\nkey Home\nkey End\n", Field(5)).field.caret, 4);
  // Typing into a full field is dropped, even over a selection.
  const EditFieldRecord r = Play("type abcdefg\nkey Left shift\ntype z\n", Field(5)).field;
  EXPECT_EQ(r.text, "abcde");
  EXPECT_EQ(r.selStart, 5);
  EXPECT_EQ(r.selEnd, 4);
  // Select all takes the whole text, so cutting it empties even a full field.
  const Outcome o = Play("type abcde\nkey A ctrl\nkey X ctrl\n", Field(5));
  EXPECT_EQ(o.field.text, "");
  EXPECT_EQ(o.clipboard, "abcde");
}

TEST(EditFieldInput, MouseClickPlacesTheCaretAndDragSelects) {
  UiFixture probe;
  // Pointer positions a pixel past a letter boundary, measured from x1 + 2.
  const std::string x2 = std::to_string(100 + 2 + Width(probe, "ab") + 1);
  const std::string x5 = std::to_string(100 + 2 + Width(probe, "abcde") + 1);
  UiFixture f("type abcdefgh\nclick " + x2 + " 110\npress " + x2 + " 110\n"
              "move 300 112\n"  // past the end of the text: the end
              "move " + x5 + " 115\nrelease " + x5 + " 115\n");
  EditFieldRecord r = Field();
  RunField(f, r);
  EXPECT_EQ(r.selStart, 2);
  EXPECT_EQ(r.selEnd, 5);
  EXPECT_EQ(r.caret, 5);
  EXPECT_FALSE(f.window.mouseCaptured());

  // Dragging left of the box reaches the start; presses outside the box do nothing.
  EXPECT_EQ(Play("type abcdefgh\npress " + x5 + " 110\nmove 50 110\nrelease 50 110\ntype Z\n").field.text, "Zfgh");
  EXPECT_EQ(Play("type abc\nclick 99 110\nclick 150 123\ntype d\n").field.text, "abcd");
}

TEST(EditFieldInput, DamagedRecordIsKeptInsideItsText) {
  EditFieldRecord r = Field(500);
  r.text = std::string(200, 'x');
  r.caret = 1000;
  r.selStart = -7;
  r.selEnd = 300;
  // Backspace removes the selection (all of the capped text); the limit stays 159.
  r = Play("key Backspace\ntype !\n", r).field;
  EXPECT_EQ(r.text, "!");
  EXPECT_EQ(r.caret, 1);
}

TEST(EditFieldRecord, StoredLayout) {
  MemBuffer buf;
  BufAlloc(400, buf);
  FillBytes(buf, 0, 400, 0xAB);
  EditFieldRecord r = Field(30);
  r.selStart = 1;
  r.caret = r.selEnd = 2;
  r.backColour = Rgb(1, 2, 3);
  r.textColour = Rgb(250, 251, 252);
  r.text = "Name";
  StoreEditField(r, buf, 200);
  EXPECT_EQ(Long(buf, 200 + 8), 500);
  EXPECT_EQ(Long(buf, 200 + 16), 30);
  EXPECT_EQ(Long(buf, 200 + 32), 0x030201);
  EXPECT_EQ(Long(buf, 200 + 36), 0xFCFBFA);
  for (std::size_t i = 244; i < 400; ++i) ASSERT_EQ(Byte(buf, i), 0u) << i;  // the text area is cleared
  EXPECT_EQ(Byte(buf, 199), 0xABu);                                          // the record before is untouched

  EditFieldRecord back;
  LoadEditField(buf, 200, back);
  EXPECT_EQ(back.x1, r.x1);
  EXPECT_EQ(back.y2, r.y2);
  EXPECT_EQ(back.selStart, 1);
  EXPECT_EQ(back.backColour, r.backColour);
  EXPECT_EQ(back.textColour, r.textColour);
  EXPECT_EQ(back.text, "Name");

  // Without a terminator the text stops at the text area, or at the buffer's end.
  FillBytes(buf, 0, 400, 'q');
  LoadEditField(buf, 0, back);
  EXPECT_EQ(back.text, std::string(159, 'q'));
  LoadEditField(buf, 300, back);
  EXPECT_EQ(back.text, std::string(60, 'q'));
}

TEST(DrawEditField, SelectionAndCaret) {
  UiFixture f;
  EditFieldRecord r = Field();
  r.text = "abcdef";
  r.selStart = 1;
  r.selEnd = r.caret = 4;
  DrawEditField(f.gfx, 1, r, 1);
  const int tx = r.x1 + 4;
  const int selLeft = tx + Width(f, "a");
  const int selRight = tx + Width(f, "abcd");
  // Navy fills the selection over the whole box height (where no letter is).
  EXPECT_EQ(f.surface.At(selLeft, r.y1), ColourNavy);
  EXPECT_EQ(f.surface.At(selRight - 1, r.y2 - 1), ColourNavy);
  EXPECT_EQ(f.surface.At(selLeft - 1, r.y1), ColourFieldBack);
  // Over a selection the caret is white, two columns from y1 + 2 down.
  EXPECT_EQ(f.surface.At(selRight, r.y1 + 2), ColourWhite);
  EXPECT_EQ(f.surface.At(selRight + 1, r.y2 - 1), ColourWhite);
  EXPECT_EQ(f.surface.At(selRight, r.y1 + 1), ColourFieldBack);

  // Without a selection the caret has the text colour; a hidden caret leaves the box.
  r.selStart = r.selEnd = r.caret = 6;
  r.textColour = Rgb(200, 0, 0);
  DrawEditField(f.gfx, 0, r, 1);
  const int cx = tx + Width(f, "abcdef");
  EXPECT_EQ(f.surface.At(cx, r.y2 - 1), Rgb(200, 0, 0));
  EXPECT_EQ(f.surface.At(selLeft, r.y1), ColourFieldBack);
  DrawEditField(f.gfx, 0, r, 0);
  EXPECT_EQ(f.surface.At(cx, r.y2 - 1), ColourFieldBack);
  EXPECT_EQ(f.surface.clip(), f.surface.Bounds());
}

}  // namespace
}  // namespace kal
