#include "ui/text_area.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/images.h"
#include "support/block_text.h"
#include "support/recording_host.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

using Starts = std::vector<std::int32_t>;
using Texts = std::vector<std::string>;

// An area whose wrap width is 105 pixels: ten 10-pixel characters fit a
// line, the eleventh does not.
struct Direct {
  Direct() {
    gfx.text = &text;
    gfx.surface = &surface;
    gfx.SetupFonts("Arial", 0);
  }
  void Open(std::string initial, std::int32_t maxLines = TextAreaMaxLines, std::int32_t capacity = TextAreaCapacity) {
    body = std::move(initial);
    OpenTextArea(gfx, body, area, 0, 0, 131, 5 * gfx.lineHeight, capacity, maxLines);
  }
  void Block(std::int32_t from, std::int32_t to) {
    area.selStart = from;
    area.selEnd = to;
  }
  // Caret, block ends and the first line shown.
  std::tuple<int, int, int, int> State() const { return {area.caret, area.selStart, area.selEnd, area.topLine}; }
  Starts Lines() const { return Starts(area.lines.begin(), area.lines.begin() + area.lineCount + 1); }
  test::BlockText text{10, 20};
  Surface surface{200, 200};
  Gfx gfx;
  std::string body;
  TextAreaRecord area;
};

TEST(TextAreaWrap, BreaksAtSpacesLineBreaksAndBeforeTheOverflowingCharacter) {
  struct Case {
    const char* text;
    std::int32_t maxLines;
    Starts starts;
  };
  const Case cases[] = {
      {"hello world again", TextAreaMaxLines, {0, 6, 12, 18}},  // the overflowing space stays on its line
      {"ab\r\rc", TextAreaMaxLines, {0, 3, 4, 6}},
      {"abcdefghijklmnopqrstuvwxy", TextAreaMaxLines, {0, 10, 20, 26}},
      {"ab cdefghijklmn", TextAreaMaxLines, {0, 3, 13, 16}},     // an earlier space wins over the word break
      {"abcde\rabcdefghijk", TextAreaMaxLines, {0, 6, 16, 18}},  // the width restarts after a break
      {"a\rb\rc\rd", 2, {0, 2, 4, 8}},                           // stops one line beyond the limit
      {"ab\r", TextAreaMaxLines, {0, 3, 4}},
  };
  Direct d;
  for (const Case& c : cases) {
    d.Open(c.text, c.maxLines);
    EXPECT_EQ(d.Lines(), c.starts) << c.text;
    EXPECT_EQ(d.area.lines[c.starts.size()], 0) << c.text;
  }
  EXPECT_EQ(LineOfPosition(d.area, 3), 1);
  EXPECT_EQ(LineOfPosition(d.area, 2), 0);
  // The limit can never run past the 8000-byte line table.
  d.Open(std::string(5000, '\r'), 1'000'000);
  EXPECT_EQ(d.area.maxLines, TextAreaMaxLines);
  EXPECT_EQ(d.area.lineCount, TextAreaMaxLines + 1);
  EXPECT_EQ(d.area.lines[TextAreaLineSlots - 1], 5001);
}

TEST(TextAreaInsert, DropsLineFeedsAndWhatPassesCapacityOrTheLineLimit) {
  Direct d;
  d.Open("", TextAreaMaxLines, 8);
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, std::string_view("a\r\nb\0c", 6)), 4);
  EXPECT_EQ(d.body, "a\rbc");
  EXPECT_EQ(d.area.caret, 4);
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "defgh"), 3);
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "x"), 0);
  EXPECT_EQ(d.body, "a\rbcdef");
  EXPECT_EQ(d.area.length, 7);

  // Two characters in front would push "dddd" onto a third line; one fits.
  d.Open("aaaa bbbb cccc dddd", 2);
  ASSERT_EQ(d.area.lineCount, 2);
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "xx"), 1);
  EXPECT_EQ(d.body, "xaaaa bbbb cccc dddd");
  EXPECT_EQ(d.State(), std::tuple(1, 1, 1, 0));
  EXPECT_EQ(d.area.lineCount, 2);
  // Typing at the end of two full lines drops what spills.
  d.Open("0123456789012345678", 2);
  d.area.caret = d.area.length;
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "9xyz"), 1);
  EXPECT_EQ(d.body, "01234567890123456789");
}

TEST(TextAreaInsert, BlocksAreReplacedOrDeletedInEitherDirectionAndTheViewFollows) {
  Direct d;
  d.Open("one\rtwo\rthree\rfour\rfive\rsix");
  d.area.visibleRows = 3;
  d.Block(4, 7);
  d.area.caret = 7;
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "2"), 1);
  EXPECT_EQ(d.body, "one\r2\rthree\rfour\rfive\rsix");
  EXPECT_EQ(d.State(), std::tuple(5, 5, 5, 0));
  d.area.caret = d.area.length;
  TextAreaInsert(d.gfx, d.body, d.area, "\r!");
  EXPECT_EQ(d.area.topLine, 6 - 3 + 1);

  d.Open("a\rb\rc\rd\re\rf");
  d.area.visibleRows = 3;
  d.area.topLine = 3;
  d.Block(9, 2);  // marked backwards
  TextAreaDeleteBlock(d.gfx, d.body, d.area);
  EXPECT_EQ(d.body, "a\r\rf");
  EXPECT_EQ(d.State(), std::tuple(2, 2, 2, 0));
  EXPECT_EQ(d.area.lineCount, 3);
}

TEST(TextAreaJoin, ReplacesSingleBreaksKeepsParagraphs) {
  Direct d;
  test::RecordingHost host;
  const std::pair<const char*, const char*> cases[] = {{"a\rb", "a b"},     {"a \rb", "a b"},
                                                       {"a\r b", "a\r b"},  {"a\r\rb", "a\r\rb"},
                                                       {"a\r\r\rb", "a\r\r b"}, {"x\ry\rz\r", "x y z "}};
  for (const auto& [in, out] : cases) {
    d.Open(in);
    d.area.caret = d.area.length;
    TextAreaJoinLines(d.gfx, host, d.body, d.area);
    EXPECT_EQ(d.body, out) << in;
    EXPECT_EQ(d.area.caret, 0);
    EXPECT_EQ(d.area.length, static_cast<std::int32_t>(d.body.size()));
  }
  EXPECT_EQ(host.starts, 6);
  EXPECT_EQ(host.closes, 6);
  ASSERT_FALSE(host.captions.empty());
  EXPECT_EQ(host.captions.back(), "Deleting Carriage Returns");
  EXPECT_TRUE(host.finished);
}

// ---- End to end through input scripts on the headless backend ----

// Runs the script against a text area laid out like the event editor's
// description, the way the editor's loop hands input to it.
struct Session {
  explicit Session(std::string_view script, std::string initial = "", std::int32_t maxLines = TextAreaMaxLines,
                   std::int32_t capacity = TextAreaCapacity)
      : fx(script), body(std::move(initial)) {
    OpenTextArea(fx.gfx, body, area, 100, 100, 700, 100 + 5 * fx.gfx.lineHeight, capacity, maxLines);
  }
  void Run() {
    DrawTextArea(fx.gfx, body, area, 1);
    fx.Loop([&] {
      const InputState& in = fx.program.input;
      if ((in.mouseButton & 2) != 0) {
        TextAreaMenu(fx.ui, host, body, area, in.mouseX, in.mouseY);
      } else if (!TextAreaScrollBar(fx.ui, body, area) && !TextAreaMouse(fx.ui, body, area)) {
        TextAreaKeys(fx.ui, host, body, area);
      }
      return 0;
    });
  }
  // One key handed straight to the area.
  void Key(int key, bool ctrl = false) {
    fx.program.input.lastKey = key;
    fx.program.input.ctrlDown = ctrl ? 1 : 0;
    ASSERT_TRUE(TextAreaKeys(fx.ui, host, body, area)) << key;
  }
  // The client x of the caret before character `i` of the line that starts at `start`.
  int XOf(std::int32_t start, std::int32_t i) {
    return area.x1 + TextAreaTextIndent +
           fx.TextWidth(body.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
  }
  test::UiFixture fx;
  test::RecordingHost host;
  std::string body;
  TextAreaRecord area;
};

TEST(TextAreaSession, KeysClipboardAndMenuEditTheText) {
  struct Case {
    std::string script, initial = {}, body;
    std::int32_t caret = -1;  // -1: not checked
    Texts errors = {};
    const char* clipboardBefore = nullptr;
    const char* clipboardAfter = nullptr;  // nullptr: not checked
    std::int32_t maxLines = TextAreaMaxLines;
    std::int32_t capacity = TextAreaCapacity;
  };
  const std::string menu = "click 300 110 right\n";  // the right-click menu; "c" jumps to "Cut"
  const std::string full = TextBufferFullMessage;
  Session probe("", "first line\rsecond line");
  const int row = probe.fx.gfx.lineHeight;
  const std::string from = test::Xy(probe.XOf(0, 3) + 1, 100 + row / 2);         // in "s" of "first"
  const std::string to = test::Xy(probe.XOf(11, 11 + 8) + 1, 100 + row + row / 2);  // in "i" of the second "line"
  const Case cases[] = {
      // Pressing and dragging marks a block.
      {.script = "press " + from + "\nmove " + to + "\nrelease " + to + "\nkey Delete\n",
       .initial = "first line\rsecond line", .body = "firine", .caret = 3},
      // With a single line allowed there is no scroll bar, and its strip is text.
      {.script = "key Right\nclick 692 105\n", .initial = "abc", .body = "abc", .caret = 3, .maxLines = 1},
      {.script = "type Hxallo\nkey Left\nkey Left\nkey Left\nkey Backspace\nkey Left\nkey Delete\ntype e\n"
                 "key End\nkey Enter\ntype second line\nkey D ctrl\n",
       .body = "Hello\rsecond line\xB0", .caret = 18},
      {.script = "key Right\nkey Right shift\nkey Right shift\nkey Right shift\nkey Delete\n", .initial = "abcdef",
       .body = "aef", .caret = 1},
      {.script = "key End shift\nkey Home\nkey Delete\n", .initial = "abc", .body = "bc", .caret = 0},  // collapsed
      // Up and down keep the column but stop at the end of a shorter line.
      {.script = "key Right\nkey Right\nkey Right\nkey Down\nkey Down\nkey Up\n", .initial = "abcd\rx\rwxyz",
       .body = "abcd\rx\rwxyz", .caret = 6},
      {.script = "key End ctrl\nkey Home\nkey Up\nkey End\nkey Down\n", .initial = "abcd\rx\rwxyz",
       .body = "abcd\rx\rwxyz", .caret = 8},
      // Case keys work on the block only, Windows-1252 letters too, and keep
      // it; leading blanks do not use up the capital.
      {.script = "key A ctrl\nkey L ctrl\nkey C ctrl\n", .initial = "hello. world! how ARE you? \r\r  \xE9LAN",
       .body = "Hello. World! How are you? \r\r  \xC9lan",
       .clipboardAfter = "Hello. World! How are you? \r\n\r\n  \xC9lan"},
      {.script = "key End\nkey Left shift\nkey Left shift\nkey L ctrl\n", .initial = "xX yY", .body = "xX Yy"},
      {.script = "key End\nkey Left shift\nkey Left shift\nkey U ctrl\nkey Home\nkey U ctrl\n",
       .initial = "stra\xDF" "e d\xE9", .body = "stra\xDF" "e D\xC9"},
      // Ctrl+Enter joins lines only without a block.
      {.script = "key End ctrl\nkey Enter ctrl\n", .initial = "a\rb \rc\r\rd", .body = "a b c\r\rd", .caret = 0},
      {.script = "key A ctrl\nkey Enter ctrl\n", .initial = "a\rb", .body = "a\rb"},
      // Pasting stores one carriage return per line; copies have CR LF.
      {.script = "key Right\nkey V ctrl\n", .initial = "[]", .body = "[one\rtwo\rthree\r]", .caret = 15,
       .clipboardBefore = "one\r\ntwo\nthree\r\n"},
      {.script = "key Right\nkey Right shift\nkey Right shift\nkey Right shift\nkey C ctrl\nkey End ctrl\n"
                 "key V ctrl\nkey Home ctrl\nkey Right shift\nkey X ctrl\n",
       .initial = "xa\rby", .body = "a\rbya\rb", .clipboardAfter = "x"},
      {.script = "key C ctrl\n", .initial = "abc", .body = "abc", .clipboardBefore = "kept", .clipboardAfter = "kept"},
      {.script = "key V ctrl\n", .initial = "abc", .body = "abc", .errors = {"No text on the clipboard!"}},
      // The menu: Cut, Copy, Delete (the first row), Paste; only Paste works without a block.
      {.script = "key A ctrl\n" + menu + "type c\nkey Enter\n", .initial = "a\rb", .body = "",
       .clipboardAfter = "a\r\nb"},
      {.script = "key Right shift\n" + menu + "type c\nkey Down\nkey Enter\n", .initial = "xyz", .body = "xyz",
       .clipboardAfter = "x"},
      {.script = "key End shift\n" + menu + "key Enter\n", .initial = "xyz", .body = ""},
      {.script = "key Right shift\n" + menu + "type p\nkey Enter\n", .initial = "xyz", .body = "1\r2yz",
       .clipboardBefore = "1\n2"},
      {.script = menu + "type c\nkey Enter\n" + menu + "type d\nkey Enter\n", .initial = "xyz", .body = "xyz",
       .errors = {"No Block Marked", "No Block Marked"}, .clipboardBefore = "kept", .clipboardAfter = "kept"},
      {.script = "key A ctrl\n" + menu + "key Escape\n" + menu, .initial = "xyz", .body = "xyz"},  // window closed
      // A full buffer reports and keeps the text, for characters and line breaks.
      {.script = "type abcdefgh\nkey Left\nkey Backspace\ntype Z\n", .body = "abcZe", .errors = {full, full, full},
       .capacity = 6},
      {.script = "key End ctrl\nkey Enter\ntype x\nkey Enter\n", .initial = "a\rb", .body = "a\rbx",
       .errors = {full, full}, .maxLines = 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Session s(c.script, c.initial, c.maxLines, c.capacity);
    if (c.clipboardBefore != nullptr) s.fx.window.SetClipboardText(c.clipboardBefore);
    s.Run();
    EXPECT_EQ(s.body, c.body);
    EXPECT_EQ(s.area.length, static_cast<std::int32_t>(s.body.size()));
    if (c.caret >= 0) {
      EXPECT_EQ(s.area.caret, c.caret);
    }
    EXPECT_EQ(s.host.errors, c.errors);
    EXPECT_EQ(s.fx.program.ModalActive, 0);
    EXPECT_FALSE(s.fx.window.mouseCaptured());
    std::string clip = "<none>";
    s.fx.window.GetClipboardText(clip);
    if (c.clipboardAfter != nullptr) {
      EXPECT_EQ(clip, c.clipboardAfter);
    }
  }
}

TEST(TextAreaSession, WordAndPageKeysAndTextReplacedByTheCaller) {
  Session t("", "one two,  three");
  // Ctrl+Right (77) and Ctrl+Left (75); "," and the blanks are not word characters.
  const std::pair<int, std::int32_t> words[] = {{77, 4},  {77, 10}, {77, 15}, {77, 15},
                                                {75, 10}, {75, 4},  {75, 0},  {75, 0}};
  for (const auto& [key, caret] : words) {
    t.Key(key, true);
    EXPECT_EQ(t.area.caret, caret) << key;
  }
  t.area.caret = 5;  // from inside a word to its start
  t.Key(75, true);
  EXPECT_EQ(t.area.caret, 4);

  std::string text = "l0";
  for (int i = 1; i < 20; ++i) text += "\rl" + std::to_string(i);
  Session s("", text);
  ASSERT_EQ(s.area.visibleRows, 5);
  ASSERT_EQ(s.area.lineCount, 20);
  // Key, Ctrl, then the first line shown and the caret's line. Page Down 81,
  // Page Up 73, Home 71, End 79, Up 72, Down 80.
  const std::tuple<int, bool, int, int> steps[] = {{81, 0, 5, 9},  {81, 0, 10, 14}, {81, 0, 15, 19}, {81, 0, 15, 19},
                                                   {73, 0, 10, 10}, {71, 1, 0, 0},  {79, 1, 15, 19}, {72, 0, 15, 18},
                                                   {73, 0, 10, 10}, {72, 0, 9, 9},  {80, 0, 9, 10}};
  for (const auto& [key, ctrl, top, caretLine] : steps) {
    s.Key(key, ctrl);
    EXPECT_EQ(std::pair(s.area.topLine, LineOfPosition(s.area, s.area.caret)), std::pair(top, caretLine)) << key;
  }
  EXPECT_EQ(s.area.caret, s.area.lines[10]);  // Page Up left the caret at column 0

  s.body = "ab";  // replaced behind the area's back: wrapped again
  s.Key(81);
  EXPECT_EQ(s.area.lineCount, 1);
  EXPECT_EQ(s.area.caret, 0);
  EXPECT_EQ(s.area.length, 2);
}

TEST(TextAreaSession, DraggingBelowTheBoxAndTheScrollBarScroll) {
  std::string text;
  for (int i = 0; i < 12; ++i) text += "line " + std::to_string(i) + "\r";
  // Dragging below the box scrolls and marks to the last visible line.
  Session drag("press 101 105\nmove 110 400\nmove 111 400\nmove 112 400\nrelease 112 400\n", text);
  drag.Run();
  EXPECT_GT(drag.area.topLine, 0);
  EXPECT_EQ(drag.area.selStart, 0);
  EXPECT_EQ(LineOfPosition(drag.area, drag.area.selEnd), drag.area.topLine + drag.area.visibleRows - 1);

  // The down arrow twice, then a page down below the thumb; the caret stays.
  const int bottom = 100 + 5 * drag.fx.gfx.lineHeight;
  const std::string arrow = "click 692 " + std::to_string(bottom - 5) + "\n";
  Session bar(arrow + arrow + "click 692 " + std::to_string(bottom - 20) + "\n", text);
  bar.area.caret = 3;
  bar.Run();
  EXPECT_EQ(bar.area.topLine, 2 + 5);
  EXPECT_EQ(bar.area.caret, 3);
  EXPECT_EQ(bar.area.selStart, bar.area.selEnd);
}

TEST(TextAreaDraw, BlockOnNavyCaretInBlack) {
  Session s("", "abc\rdef");
  s.area.selStart = 1;
  s.area.selEnd = 2;
  s.area.caret = 5;
  DrawTextArea(s.fx.gfx, s.body, s.area, 1);
  const Surface& px = s.fx.surface;
  const int row = s.fx.gfx.lineHeight, xa = s.XOf(0, 1), xb = s.XOf(0, 2), xc = s.XOf(4, 5);
  // The block covers exactly "b" on the first row, in white; the caret bar
  // stands before "e" on the second, 2 pixels wide.
  test::ExpectPixels(px, {{xa, 100, ColourNavy}, {xb - 1, 100 + row - 1, ColourNavy},
                          {xc, 100 + row + 2, ColourBlack}, {xc + 1, 100 + row + row - 3, ColourBlack}});
  EXPECT_NE(px.At(xb, 100), ColourNavy);
  EXPECT_GT(test::CountIn(px, ColourWhite, xa, 100, xb, 100 + row), 0);
  EXPECT_EQ(test::CountIn(px, ColourBlack, xc, 100 + row, xc + 2, 100 + row + 2), 0);
  DrawTextArea(s.fx.gfx, s.body, s.area, 0);  // without the caret
  EXPECT_EQ(px.At(xc, 100 + row + 2), ColourWhite);
  EXPECT_EQ(test::CountIn(px, ColourWhite, 100, 100 + 3 * row, 680, 100 + 4 * row), 580 * row);  // past the text
}

// The area as the event editor shows it: on a panel, in a sunken box with the
// scroll bar beside it, wrapped lines, a marked block and the caret; the
// picture is gallery-textarea.png.
TEST(TextAreaGallery, WrappedLinesBlockAndCaret) {
  test::UiFixture fx("size 680 250\n");
  Gfx& gfx = fx.gfx;
  const int rows = 6, left = 20, top = 20;
  gfx.DrawPanel(left, top, left + 640, top + 60 + rows * gfx.lineHeight);
  gfx.DrawTextAligned(*gfx.surface, left + 20, top + 12, AlignLeft, ColourBlack, gfx.LabelFont, "Description:");
  std::string body =
      "Dinner with Ana and Tom\rBring the photos from the summer trip to the lakes, and the book Tom lent me "
      "in March. Table booked for 7:30 pm at the little place on the corner of Main Street.\r\r"
      "Ask about the 20\xB0 C swimming pool in the hotel.\r\r"
      "Presents: the blue scarf for Ana, and for Tom the map of the old town that he wanted so much last year.";
  TextAreaRecord area;
  const int y1 = top + 40;
  OpenTextArea(gfx, body, area, left + 20, y1, left + 620, y1 + rows * gfx.lineHeight, TextAreaCapacity,
               TextAreaMaxLines);
  gfx.DrawSunkenBox(area.x1, area.y1, area.x2 - TextAreaScrollBarWidth - 1, area.y2 - 1, ColourWhite);
  area.selStart = static_cast<std::int32_t>(body.find("Table booked"));
  area.selEnd = static_cast<std::int32_t>(body.find("pm at") + 2);
  area.caret = area.selEnd;
  DrawTextArea(gfx, body, area, 1);
  ASSERT_GE(area.lineCount, 6);
  // Every wrapped line fits the width left of the scroll bar.
  for (std::int32_t i = 0; i < area.lineCount; ++i) {
    const std::int32_t from = area.lines[static_cast<std::size_t>(i)];
    const std::int32_t to = std::min(area.lines[static_cast<std::size_t>(i) + 1], area.length);
    std::string line = body.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    EXPECT_LT(fx.TextWidth(line), area.x2 - area.x1 - TextAreaWrapReserve) << line;
  }
  test::TempDir temp;
  EXPECT_TRUE(WritePng(fx.surface, test::GalleryPath(temp, "gallery-textarea.png")));
}

}  // namespace
}  // namespace kal
