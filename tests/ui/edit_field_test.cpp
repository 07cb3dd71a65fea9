#include "ui/edit_field.h"

#include <gtest/gtest.h>

#include <string>

#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;

int Width(UiFixture& f, std::string_view text) { return f.gfx.text->Measure(f.gfx.EditFont, text).width; }

EditFieldRecord Field(int maxLength = 50, int width = 400) {
  EditFieldRecord r;
  r.x1 = 100;
  r.y1 = 100;
  r.x2 = 100 + width;
  r.y2 = 123;
  r.maxLength = maxLength;
  return r;
}

// The field's part of a dialog loop: one waiting pump, then the field's input,
// until the script has run out.
int RunField(UiFixture& rig, EditFieldRecord& r) {
  int changes = 0;
  while (rig.program.input.quitRequested == 0) {
    PumpMessages(rig.program, 1);
    int changed = 0;
    EditFieldInput(rig.ui, r, changed);
    if (changed == -1) ++changes;
  }
  return changes;
}

TEST(EditFieldInput, TypingAndCaretKeys) {
  UiFixture rig(
      "type Hello world\n"
      "key Home\nkey Right\nkey Right\nkey Delete\n"  // "Helo world"
      "key End\nkey Backspace\n"                        // "Helo worl"
      "key Left\nkey Left\ntype X\n");                  // "Helo woXrl"
  EditFieldRecord r = Field();
  RunField(rig, r);
  EXPECT_EQ(r.text, "Helo woXrl");
  EXPECT_EQ(r.caret, 8);
  EXPECT_EQ(r.selStart, 8);
  EXPECT_EQ(r.selEnd, 8);
}

TEST(EditFieldInput, ChangedOnlyWhenSomethingMoved) {
  // Left at position 0 and Tab change nothing; the typed letter does.
  UiFixture rig("key Left\nkey Tab\ntype a\n");
  EditFieldRecord r = Field();
  EXPECT_EQ(RunField(rig, r), 1);
  EXPECT_EQ(r.text, "a");
}

TEST(EditFieldInput, ShiftSelectionIsReplacedByTyping) {
  UiFixture rig("type word\nkey Home shift\n");
  EditFieldRecord r = Field();
  RunField(rig, r);
  EXPECT_EQ(r.selStart, 4);
  EXPECT_EQ(r.selEnd, 0);
  EXPECT_EQ(r.caret, 0);

  UiFixture rig2("type word\nkey Home shift\ntype X\n");
  EditFieldRecord r2 = Field();
  RunField(rig2, r2);
  EXPECT_EQ(r2.text, "X");
  EXPECT_EQ(r2.caret, 1);
  EXPECT_EQ(r2.selStart, r2.selEnd);

  // Shift+Right grows the selection, a move without Shift drops it.
  UiFixture rig3("type abcdef\nkey Home\nkey Right shift\nkey Right shift\nkey Right shift\nkey Left shift\n");
  EditFieldRecord r3 = Field();
  RunField(rig3, r3);
  EXPECT_EQ(r3.selStart, 0);
  EXPECT_EQ(r3.selEnd, 2);
  UiFixture rig4("type abcdef\nkey Home\nkey Right shift\nkey Right shift\nkey Right\n");
  EditFieldRecord r4 = Field();
  RunField(rig4, r4);
  EXPECT_EQ(r4.selStart, 3);
  EXPECT_EQ(r4.selEnd, 3);
}

TEST(EditFieldInput, DeleteAndBackspaceRemoveTheSelection) {
  UiFixture rig("type abcdef\nkey Left shift\nkey Left shift\nkey Delete\n");
  EditFieldRecord r = Field();
  RunField(rig, r);
  EXPECT_EQ(r.text, "abcd");
  EXPECT_EQ(r.caret, 4);

  UiFixture rig2("type abcdef\nkey Home\nkey Right shift\nkey Right shift\nkey Backspace\nkey Backspace\n");
  EditFieldRecord r2 = Field();
  RunField(rig2, r2);
  EXPECT_EQ(r2.text, "cdef");  // the second Backspace has nothing before the caret
  EXPECT_EQ(r2.caret, 0);
}

TEST(EditFieldInput, EscapeEmptiesTheFieldEvenWithASelection) {
  UiFixture rig("type some text\nkey Left shift\nkey Escape\n");
  EditFieldRecord r = Field();
  RunField(rig, r);
  EXPECT_EQ(r.text, "");
  EXPECT_EQ(r.caret, 0);
  EXPECT_EQ(r.selStart, 0);
  EXPECT_EQ(r.selEnd, 0);
}

TEST(EditFieldInput, CutCopyAndPasteThroughTheClipboard) {
  UiFixture rig(
      "type one two\n"
      "key Left shift\nkey Left shift\nkey Left shift\n"  // "two" selected
      "key C ctrl\n"
      "key Home\nkey V ctrl\n"                            // "twoone two"
      "key Right shift\nkey Right shift\nkey Right shift\nkey X ctrl\n");  // cut "one"
  EditFieldRecord r = Field();
  RunField(rig, r);
  EXPECT_EQ(r.text, "two two");
  EXPECT_EQ(r.caret, 3);
  std::string clip;
  ASSERT_TRUE(rig.window.GetClipboardText(clip));
  EXPECT_EQ(clip, "one");
}

TEST(EditFieldInput, CopyAndCutWithoutSelectionLeaveTheClipboard) {
  UiFixture rig("type abc\nkey C ctrl\nkey X ctrl\n");
  rig.window.SetClipboardText("kept");
  EditFieldRecord r = Field();
  RunField(rig, r);
  std::string clip;
  ASSERT_TRUE(rig.window.GetClipboardText(clip));
  EXPECT_EQ(clip, "kept");
  EXPECT_EQ(r.text, "abc");
}

TEST(EditFieldInput, PasteTakesTheFirstLineOnlyAndReplacesTheSelection) {
  UiFixture rig("type xx--yy\nkey Left\nkey Left\nkey Left shift\nkey Left shift\nkey V ctrl\n");
  rig.window.SetClipboardText("first line\r\nsecond line");
  EditFieldRecord r = Field();
  RunField(rig, r);
  EXPECT_EQ(r.text, "xxfirst lineyy");
  EXPECT_EQ(r.caret, 12);
  EXPECT_EQ(r.selStart, 12);
}

TEST(EditFieldInput, PasteStopsAtTheLengthLimit) {
  UiFixture rig("type ab\nkey V ctrl\n");
  rig.window.SetClipboardText("0123456789");
  EditFieldRecord r = Field(6);
  RunField(rig, r);
  EXPECT_EQ(r.text, "ab0123");
}

TEST(EditFieldInput, PasteWithoutClipboardTextChangesNothing) {
  UiFixture rig("type abc\nkey V ctrl\n");
  EditFieldRecord r = Field();
  EXPECT_EQ(RunField(rig, r), 3);  // the three letters, not the paste
  EXPECT_EQ(r.text, "abc");
}

TEST(EditFieldInput, PasteStopsWhereTheTextWouldBecomeTooWide) {
  UiFixture rig("key V ctrl\n");
  rig.window.SetClipboardText(std::string(100, 'W'));
  EditFieldRecord r = Field(150, 200);
  RunField(rig, r);
  ASSERT_FALSE(r.text.empty());
  EXPECT_LT(Width(rig, r.text), 200 - 10);
  EXPECT_GE(Width(rig, r.text + "W"), 200 - 10);
}

TEST(EditFieldInput, CapacityByLengthAndByWidth) {
  UiFixture probe("");
  const int box = Width(probe, std::string(51, 'M'));

  // Narrow letters stop at the length limit although more would fit.
  UiFixture narrow("type " + std::string(60, 'i') + "\n");
  EditFieldRecord r = Field(50, box);
  RunField(narrow, r);
  EXPECT_EQ(r.text, std::string(50, 'i'));

  // Wider letters stop where the next one would reach the box's margin.
  UiFixture wide("type " + std::string(60, 'W') + "\n");
  EditFieldRecord w = Field(50, box);
  RunField(wide, w);
  EXPECT_LT(w.text.size(), 50u);
  EXPECT_LT(Width(wide, w.text), box - 8);
  EXPECT_GE(Width(wide, w.text) + Width(wide, "W"), box - 8);
}

TEST(EditFieldInput, FullFieldKeys) {
  // End stops before the last character of a full field; typing into a full
  // field is dropped even over a selection.
  UiFixture rig("type abcde\nkey Home\nkey End\n");
  EditFieldRecord r = Field(5);
  RunField(rig, r);
  EXPECT_EQ(r.text, "abcde");
  EXPECT_EQ(r.caret, 4);

  UiFixture rig2("type abcdefg\nkey Left shift\ntype z\n");
  EditFieldRecord r2 = Field(5);
  RunField(rig2, r2);
  EXPECT_EQ(r2.text, "abcde");
  EXPECT_EQ(r2.selStart, 5);
  EXPECT_EQ(r2.selEnd, 4);

  // Select all takes the whole text, so cutting it empties even a full field.
  UiFixture rig3("type abcde\nkey A ctrl\nkey X ctrl\n");
  EditFieldRecord r3 = Field(5);
  RunField(rig3, r3);
  EXPECT_EQ(r3.text, "");
  std::string clip;
  ASSERT_TRUE(rig3.window.GetClipboardText(clip));
  EXPECT_EQ(clip, "abcde");
}

TEST(EditFieldInput, MouseClickPlacesTheCaretAndDragSelects) {
  UiFixture probe("");
  const int ab = Width(probe, "ab");
  const int abcde = Width(probe, "abcde");
  // Pointer positions measured from the text's start, x1 + 2, a pixel past
  // each letter boundary.
  const int x2 = 100 + 2 + ab + 1;
  const int x5 = 100 + 2 + abcde + 1;
  UiFixture rig("type abcdefgh\n"
            "click " + std::to_string(x2) + " 110\n"
            "press " + std::to_string(x2) + " 110\n"
            "move 300 112\n"  // past the end of the text: the end
            "move " + std::to_string(x5) + " 115\n"
            "release " + std::to_string(x5) + " 115\n");
  EditFieldRecord r = Field();
  RunField(rig, r);
  EXPECT_EQ(r.selStart, 2);
  EXPECT_EQ(r.selEnd, 5);
  EXPECT_EQ(r.caret, 5);
  EXPECT_FALSE(rig.window.mouseCaptured());

  UiFixture rig2("type abcdefgh\n"
             "press " + std::to_string(x5) + " 110\n"
             "move 50 110\n"  // left of the box: the start
             "release 50 110\n"
             "type Z\n");
  EditFieldRecord r2 = Field();
  RunField(rig2, r2);
  EXPECT_EQ(r2.text, "Zfgh");
}

TEST(EditFieldInput, PressOutsideTheFieldIsIgnored) {
  UiFixture rig("type abc\nclick 99 110\nclick 150 130\ntype d\n");
  EditFieldRecord r = Field();
  RunField(rig, r);
  EXPECT_EQ(r.text, "abcd");
}

TEST(EditFieldInput, DamagedRecordIsKeptInsideItsText) {
  UiFixture rig("key Backspace\ntype !\n");
  EditFieldRecord r = Field(500);
  r.text = std::string(200, 'x');
  r.caret = 1000;
  r.selStart = -7;
  r.selEnd = 300;
  RunField(rig, r);
  // Backspace removed the selection (everything); the text is capped.
  EXPECT_EQ(r.text, "!");
  EXPECT_EQ(r.caret, 1);
}

TEST(EditFieldRecord, StoredLayoutRoundTrips) {
  MemBuffer buf;
  BufAlloc(400, buf);
  FillBytes(buf, 0, 400, 0xAB);
  EditFieldRecord r = Field(30);
  r.caret = 2;
  r.selStart = 1;
  r.selEnd = 2;
  r.backColour = Rgb(1, 2, 3);
  r.textColour = Rgb(250, 251, 252);
  r.text = "Name";
  StoreEditField(r, buf, 200);
  EXPECT_EQ(Long(buf, 200 + 8), 500);
  EXPECT_EQ(Long(buf, 200 + 16), 30);
  EXPECT_EQ(Long(buf, 200 + 32), 0x030201);
  EXPECT_EQ(Long(buf, 200 + 36), 0xFCFBFA);
  std::string text;
  GetZText(buf, 240, text);
  EXPECT_EQ(text, "Name");
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
}

TEST(EditFieldRecord, LoadStopsAtTheTextArea) {
  MemBuffer buf;
  BufAlloc(400, buf);
  FillBytes(buf, 0, 400, 'q');  // no terminator anywhere
  EditFieldRecord r;
  LoadEditField(buf, 0, r);
  EXPECT_EQ(r.text, std::string(159, 'q'));
  // A record cut short by the end of the buffer reads what is there.
  LoadEditField(buf, 300, r);
  EXPECT_EQ(r.text, std::string(60, 'q'));
}

TEST(DrawEditField, SelectionAndCaret) {
  UiFixture rig("");
  EditFieldRecord r = Field();
  r.text = "abcdef";
  r.selStart = 1;
  r.selEnd = 4;
  r.caret = 4;
  DrawEditField(rig.gfx, 1, r, 1);
  const int tx = r.x1 + 4;
  const int selLeft = tx + Width(rig, "a");
  const int selRight = tx + Width(rig, "abcd");
  // Navy fills the selection over the whole box height (where no letter is).
  EXPECT_EQ(rig.surface.At(selLeft, r.y1), ColourNavy);
  EXPECT_EQ(rig.surface.At(selRight - 1, r.y2 - 1), ColourNavy);
  EXPECT_EQ(rig.surface.At(selLeft - 1, r.y1), ColourFieldBack);
  // Over a selection the caret is white: its two columns are not navy any more.
  EXPECT_EQ(rig.surface.At(selRight, r.y1 + 2), ColourWhite);
  EXPECT_EQ(rig.surface.At(selRight + 1, r.y2 - 1), ColourWhite);
  EXPECT_EQ(rig.surface.At(selRight, r.y1 + 1), ColourFieldBack);

  // Without a selection the caret is in the text colour; a hidden caret leaves the box.
  r.selStart = r.selEnd = r.caret = 6;
  r.textColour = Rgb(200, 0, 0);
  DrawEditField(rig.gfx, 0, r, 1);
  const int cx = tx + Width(rig, "abcdef");
  EXPECT_EQ(rig.surface.At(cx, r.y2 - 1), Rgb(200, 0, 0));
  EXPECT_EQ(rig.surface.At(selLeft, r.y1), ColourFieldBack);
  DrawEditField(rig.gfx, 0, r, 0);
  EXPECT_EQ(rig.surface.At(cx, r.y2 - 1), ColourFieldBack);
  EXPECT_EQ(rig.surface.clip(), rig.surface.Bounds());
}

}  // namespace
}  // namespace kal
