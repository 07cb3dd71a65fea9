// The input field end to end: scripts played on the headless backend against
// the field's part of a dialog loop.

#include "ui/edit_field.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;

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

// The field's part of a dialog loop until the script has run out; returns
// how many passes changed the field.
int RunField(UiFixture& f, EditFieldRecord& r) {
  int changes = 0;
  f.Loop([&] {
    int changed = 0;
    EditFieldInput(f.ui, r, changed);
    changes += changed == -1;
    return 0;
  });
  return changes;
}

// The field after the script, and the clipboard ("<none>" without text).
std::pair<EditFieldRecord, std::string> Play(const std::string& script, EditFieldRecord field = Field(),
                                             const char* clipboard = nullptr) {
  UiFixture f(script);
  if (clipboard != nullptr) f.window.SetClipboardText(clipboard);
  RunField(f, field);
  EXPECT_FALSE(f.window.mouseCaptured());
  std::string clip = "<none>";
  f.window.GetClipboardText(clip);
  return {field, clip};
}

TEST(EditFieldInput, KeysSelectionAndClipboard) {
  UiFixture probe;
  // Pointer positions a pixel past a letter boundary, measured from x1 + 2.
  const std::string x2 = std::to_string(100 + 2 + probe.TextWidth("ab") + 1);
  const std::string x5 = std::to_string(100 + 2 + probe.TextWidth("abcde") + 1);
  struct Case {
    std::string script, text;
    int caret, selStart, selEnd;
    const char* clipboardBefore = nullptr;
    const char* clipboard = nullptr;  // afterwards; nullptr: unchanged
    int maxLength = 50;
  };
  const Case cases[] = {
      {"type Hello world\nkey Home\nkey Right\nkey Right\nkey Delete\nkey End\nkey Backspace\nkey Left\nkey Left\n"
       "type X\n", "Helo woXrl", 8, 8, 8},
      // Shift+Home selects back to the start; a letter replaces the selection.
      {"type word\nkey Home shift\n", "word", 0, 4, 0},
      {"type word\nkey Home shift\ntype X\n", "X", 1, 1, 1},
      // Shift+Right grows, Shift+Left shrinks, a move without Shift drops it.
      {"type abcdef\nkey Home\nkey Right shift\nkey Right shift\nkey Right shift\nkey Left shift\n", "abcdef", 2, 0, 2},
      {"type abcdef\nkey Home\nkey Right shift\nkey Right shift\nkey Right\n", "abcdef", 3, 3, 3},
      {"type abcdef\nkey Left shift\nkey Left shift\nkey Delete\n", "abcd", 4, 4, 4},
      // The second Backspace finds nothing before the caret.
      {"type abcdef\nkey Home\nkey Right shift\nkey Right shift\nkey Backspace\nkey Backspace\n", "cdef", 0, 0, 0},
      {"type some text\nkey Left shift\nkey Escape\n", "", 0, 0, 0},  // Escape empties, selection or not
      // Copy "two", paste it in front, cut "one".
      {"type one two\nkey Left shift\nkey Left shift\nkey Left shift\nkey C ctrl\nkey Home\nkey V ctrl\n"
       "key Right shift\nkey Right shift\nkey Right shift\nkey X ctrl\n",
       "two two", 3, 3, 3, nullptr, "one"},
      {"type abc\nkey C ctrl\nkey X ctrl\n", "abc", 3, 3, 3, "kept"},  // nothing selected: the clipboard stays
      // Two lines over a selection: the selection goes, the first line arrives.
      {"type xx--yy\nkey Left\nkey Left\nkey Left shift\nkey Left shift\nkey V ctrl\n", "xxfirst lineyy", 12, 12, 12,
       "first line\r\nsecond line"},
      {"type ab\nkey V ctrl\n", "ab0123", 6, 6, 6, "0123456789", nullptr, 6},
      {"type abc\nkey V ctrl\n", "abc", 3, 3, 3},  // no text on the clipboard
      // A full field: End stops before the last character, typing is
      // dropped even over a selection, select all and cut empty it.
      {"type abcde\nkey Home\nkey End\n", "abcde", 4, 4, 4, nullptr, nullptr, 5},
      {"type abcdefg\nkey Left shift\ntype z\n", "abcde", 4, 5, 4, nullptr, nullptr, 5},
      {"type abcde\nkey A ctrl\nkey X ctrl\n", "", 0, 0, 0, nullptr, "abcde", 5},
      // A click places the caret and a drag selects, past the text's end to
      // its end, left of the box to its start; presses outside do nothing.
      {"type abcdefgh\nclick " + x2 + " 110\npress " + x2 + " 110\nmove 300 112\nmove " + x5 + " 115\nrelease " + x5 +
           " 115\n",
       "abcdefgh", 5, 2, 5},
      {"type abcdefgh\npress " + x5 + " 110\nmove 50 110\nrelease 50 110\ntype Z\n", "Zfgh", 1, 1, 1},
      {"type abc\nclick 99 110\nclick 150 123\ntype d\n", "abcd", 4, 4, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const auto [r, clip] = Play(c.script, Field(c.maxLength), c.clipboardBefore);
    EXPECT_EQ(std::tuple(r.text, r.caret, r.selStart, r.selEnd), std::tuple(c.text, c.caret, c.selStart, c.selEnd));
    EXPECT_EQ(clip, c.clipboard ? c.clipboard : c.clipboardBefore ? c.clipboardBefore : "<none>");
  }
  // Left at position 0 and Tab change nothing; the typed letter does.
  UiFixture f("key Left\nkey Tab\ntype a\n");
  EditFieldRecord quiet = Field();
  EXPECT_EQ(RunField(f, quiet), 1);
}

TEST(EditFieldInput, CapacityByLengthAndByWidth) {
  UiFixture probe;
  const int box = probe.TextWidth(std::string(51, 'M'));
  // Narrow letters stop at the length limit although more would fit.
  EXPECT_EQ(Play("type " + std::string(60, 'i') + "\n", Field(50, box)).first.text, std::string(50, 'i'));
  // Wide letters, typed or pasted, stop where the next one would reach the box's margin.
  const std::string wide = Play("type " + std::string(60, 'W') + "\n", Field(50, box)).first.text;
  EXPECT_LT(wide.size(), 50u);
  EXPECT_LT(probe.TextWidth(wide), box - 8);
  EXPECT_GE(probe.TextWidth(wide + "W"), box - 8);
  const std::string pasted = Play("key V ctrl\n", Field(150, 200), std::string(100, 'W').c_str()).first.text;
  ASSERT_FALSE(pasted.empty());
  EXPECT_LT(probe.TextWidth(pasted), 200 - 10);
  EXPECT_GE(probe.TextWidth(pasted + "W"), 200 - 10);

  // A damaged record is kept inside its text, capped at 159 characters:
  // Backspace removes the selection, which is all of it.
  EditFieldRecord r = Field(500);
  r.text = std::string(200, 'x');
  r.caret = 1000;
  r.selStart = -7;
  r.selEnd = 300;
  r = Play("key Backspace\ntype !\n", r).first;
  EXPECT_EQ(r.text, "!");
  EXPECT_EQ(r.caret, 1);
}

// The fields themselves are pinned through the message dialog's transfer
// buffer; here the edges of a record's block.
TEST(EditFieldRecord, StoringClearsOnlyItsOwnBlockAndLoadingStopsAtItsEnd) {
  MemBuffer buf;
  BufAlloc(400, buf);
  FillBytes(buf, 0, 400, 0xAB);
  EditFieldRecord r = Field(30);
  r.text = "Name";
  StoreEditField(r, buf, 200);
  for (std::size_t i = 244; i < 400; ++i) ASSERT_EQ(Byte(buf, i), 0u) << i;  // the text area is cleared
  EXPECT_EQ(Byte(buf, 199), 0xABu);                                          // the record before is untouched
  // Without a terminator the text stops at the text area, or at the buffer's end.
  EditFieldRecord back;
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
  const int selLeft = tx + f.TextWidth("a"), selRight = tx + f.TextWidth("abcd");
  // Navy fills the selection over the whole box height; over it the caret is
  // white, two columns from y1 + 2 down.
  test::ExpectPixels(f.surface, {{selLeft, r.y1, ColourNavy}, {selRight - 1, r.y2 - 1, ColourNavy},
                                 {selLeft - 1, r.y1, ColourFieldBack}, {selRight, r.y1 + 2, ColourWhite},
                                 {selRight + 1, r.y2 - 1, ColourWhite}, {selRight, r.y1 + 1, ColourFieldBack}});
  // Without a selection the caret has the text colour; a hidden caret leaves the box.
  r.selStart = r.selEnd = r.caret = 6;
  r.textColour = Rgb(200, 0, 0);
  DrawEditField(f.gfx, 0, r, 1);
  const int cx = tx + f.TextWidth("abcdef");
  test::ExpectPixels(f.surface, {{cx, r.y2 - 1, Rgb(200, 0, 0)}, {selLeft, r.y1, ColourFieldBack}});
  DrawEditField(f.gfx, 0, r, 0);
  EXPECT_EQ(f.surface.At(cx, r.y2 - 1), ColourFieldBack);
  EXPECT_EQ(f.surface.clip(), f.surface.Bounds());
}

}  // namespace
}  // namespace kal
