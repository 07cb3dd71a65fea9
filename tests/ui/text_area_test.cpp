#include "ui/text_area.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/images.h"
#include "support/test_support.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

// Every character 10 pixels wide, so wrapping can be worked out by hand.
class FixedWidthText : public TextRenderer {
 public:
  TextExtent Measure(const FontDescription&, std::string_view text) override {
    return TextExtent{10 * static_cast<int>(text.size()), 20};
  }
  void Layout(const FontDescription&, std::string_view, const std::function<void(const PlacedGlyph&)>&) override {}
  bool FontInstalled(std::string_view) override { return false; }
};

class RecordingHost : public Host {
 public:
  void StartProgress() override { ++starts; }
  void ShowProgress(std::string_view caption, std::uint32_t done, std::uint32_t total) override {
    captions.emplace_back(caption);
    lastDone = done;
    lastTotal = total;
  }
  void CloseProgress() override { ++closes; }
  void ReportError(const std::string& message) override { errors.push_back(message); }
  std::vector<std::string> errors;
  std::vector<std::string> captions;
  std::uint32_t lastDone = 0;
  std::uint32_t lastTotal = 0;
  int starts = 0;
  int closes = 0;
};

// An area whose wrap width is 105 pixels: ten fixed-width characters fit a
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
  std::vector<std::int32_t> Lines() const {
    return std::vector<std::int32_t>(area.lines.begin(), area.lines.begin() + area.lineCount + 1);
  }
  FixedWidthText text;
  Surface surface{200, 200};
  Gfx gfx;
  std::string body;
  TextAreaRecord area;
};

using Starts = std::vector<std::int32_t>;

TEST(TextAreaWrap, BreaksAtSpacesAndLineBreaks) {
  Direct d;
  d.Open("hello world again");
  // The space that overflows stays at the end of its line.
  EXPECT_EQ(d.Lines(), (Starts{0, 6, 12, 18}));
  EXPECT_EQ(d.area.lineCount, 3);
  EXPECT_EQ(d.area.lines[4], 0);

  d.Open("ab\r\rc");
  EXPECT_EQ(d.Lines(), (Starts{0, 3, 4, 6}));
  d.Open("ab\r");
  EXPECT_EQ(d.Lines(), (Starts{0, 3, 4}));
  EXPECT_EQ(LineOfPosition(d.area, 3), 1);
  EXPECT_EQ(LineOfPosition(d.area, 2), 0);
}

TEST(TextAreaWrap, LongWordBreaksBeforeTheCharacterThatOverflows) {
  Direct d;
  d.Open("abcdefghijklmnopqrstuvwxy");
  EXPECT_EQ(d.Lines(), (Starts{0, 10, 20, 26}));
  // A space earlier on the line takes precedence over breaking the word.
  d.Open("ab cdefghijklmn");
  EXPECT_EQ(d.Lines(), (Starts{0, 3, 13, 16}));
  // The running width restarts after a line break.
  d.Open("abcde\rabcdefghijk");
  EXPECT_EQ(d.Lines(), (Starts{0, 6, 16, 18}));
}

TEST(TextAreaWrap, StopsOneLineBeyondTheLimit) {
  Direct d;
  d.Open("a\rb\rc\rd", 2);
  EXPECT_EQ(d.area.lineCount, 3);
  EXPECT_EQ(d.Lines(), (Starts{0, 2, 4, 8}));
  // The limit can never run past the 8000-byte line table.
  d.Open(std::string(5000, '\r'), 1'000'000);
  EXPECT_EQ(d.area.maxLines, TextAreaMaxLines);
  EXPECT_EQ(d.area.lineCount, TextAreaMaxLines + 1);
  EXPECT_EQ(d.area.lines[TextAreaLineSlots - 1], 5001);
}

TEST(TextAreaInsert, DropsLineFeedsAndStopsAtCapacity) {
  Direct d;
  d.Open("", TextAreaMaxLines, 8);
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, std::string_view("a\r\nb\0c", 6)), 4);
  EXPECT_EQ(d.body, "a\rbc");
  EXPECT_EQ(d.area.caret, 4);
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "defgh"), 3);
  EXPECT_EQ(d.body, "a\rbcdef");
  EXPECT_EQ(d.area.length, 7);
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "x"), 0);
  EXPECT_EQ(d.body, "a\rbcdef");
}

TEST(TextAreaInsert, LineLimitDropsTheInsertionNeverTheText) {
  Direct d;
  d.Open("aaaa bbbb cccc dddd", 2);
  ASSERT_EQ(d.area.lineCount, 2);
  // Two characters in front would push "dddd" onto a third line; one fits.
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "xx"), 1);
  EXPECT_EQ(d.body, "xaaaa bbbb cccc dddd");
  EXPECT_EQ(d.area.caret, 1);
  EXPECT_EQ(d.area.lineCount, 2);

  // Typing at the end of two full lines drops what spills.
  d.Open("0123456789012345678", 2);
  d.area.caret = d.area.length;
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "9xyz"), 1);
  EXPECT_EQ(d.body, "01234567890123456789");
}

TEST(TextAreaInsert, ReplacesTheBlockAndScrollsToTheCaret) {
  Direct d;
  d.Open("one\rtwo\rthree\rfour\rfive\rsix");
  d.area.visibleRows = 3;
  d.area.selStart = 4;
  d.area.selEnd = 7;
  d.area.caret = 7;
  EXPECT_EQ(TextAreaInsert(d.gfx, d.body, d.area, "2"), 1);
  EXPECT_EQ(d.body, "one\r2\rthree\rfour\rfive\rsix");
  EXPECT_EQ(d.area.selStart, 5);
  EXPECT_EQ(d.area.selEnd, 5);
  d.area.caret = d.area.length;
  TextAreaInsert(d.gfx, d.body, d.area, "\r!");
  EXPECT_EQ(d.area.topLine, 6 - 3 + 1);
}

TEST(TextAreaDeleteBlock, RemovesEitherDirectionAndPullsTheViewBack) {
  Direct d;
  d.Open("a\rb\rc\rd\re\rf");
  d.area.visibleRows = 3;
  d.area.topLine = 3;
  d.area.selStart = 9;  // marked backwards
  d.area.selEnd = 2;
  TextAreaDeleteBlock(d.gfx, d.body, d.area);
  EXPECT_EQ(d.body, "a\r\rf");
  EXPECT_EQ(d.area.caret, 2);
  EXPECT_EQ(d.area.selStart, 2);
  EXPECT_EQ(d.area.selEnd, 2);
  EXPECT_EQ(d.area.lineCount, 3);
  EXPECT_EQ(d.area.topLine, 0);
}

TEST(TextAreaCase, SentenceCaseFollowsTheLastMark) {
  Direct d;
  d.Open("hello. world! how ARE you? \r\rfine");
  d.area.selStart = 0;
  d.area.selEnd = d.area.length;
  TextAreaSentenceCase(d.gfx, d.body, d.area);
  EXPECT_EQ(d.body, "Hello. World! How are you? \r\rFine");

  // Windows-1252 letters; leading blanks do not use up the capital; only
  // the block changes.
  d.Open("xx  \xE9LAN. \xC9T\xC9 zz");
  d.area.selStart = 2;
  d.area.selEnd = 14;
  TextAreaSentenceCase(d.gfx, d.body, d.area);
  EXPECT_EQ(d.body, "xx  \xC9lan. \xC9t\xE9 zz");
}

TEST(TextAreaCase, UpperCaseOfTheBlockOnly) {
  Direct d;
  d.Open("abc d\xE9\x66 \x9C");
  d.area.selStart = 6;
  d.area.selEnd = 2;
  TextAreaUpperCase(d.gfx, d.body, d.area);
  EXPECT_EQ(d.body, "abC D\xC9\x66 \x9C");
  d.area.selStart = d.area.selEnd = 8;
  TextAreaUpperCase(d.gfx, d.body, d.area);  // no block: nothing
  EXPECT_EQ(d.body, "abC D\xC9\x66 \x9C");
}

TEST(TextAreaJoin, ReplacesSingleBreaksKeepsParagraphs) {
  Direct d;
  RecordingHost host;
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c : {Case{"a\rb", "a b"}, Case{"a \rb", "a b"}, Case{"a\r b", "a\r b"}, Case{"a\r\rb", "a\r\rb"},
                        Case{"a\r\r\rb", "a\r\r b"}, Case{"x\ry\rz\r", "x y z "}}) {
    d.Open(c.in);
    d.area.caret = d.area.length;
    TextAreaJoinLines(d.gfx, host, d.body, d.area);
    EXPECT_EQ(d.body, c.out) << c.in;
    EXPECT_EQ(d.area.caret, 0);
    EXPECT_EQ(d.area.length, static_cast<std::int32_t>(d.body.size()));
  }
  EXPECT_EQ(host.starts, 6);
  EXPECT_EQ(host.closes, 6);
  ASSERT_FALSE(host.captions.empty());
  EXPECT_EQ(host.captions.back(), "Deleting Carriage Returns");
  EXPECT_EQ(host.lastDone, host.lastTotal);
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
    while (fx.program.input.quitRequested == 0) {
      fx.Pump();
      const InputState& in = fx.program.input;
      if ((in.mouseButton & 2) != 0) {
        TextAreaMenu(fx.ui, host, body, area, in.mouseX, in.mouseY);
      } else if (!TextAreaScrollBar(fx.ui, body, area) && !TextAreaMouse(fx.ui, body, area)) {
        TextAreaKeys(fx.ui, host, body, area);
      }
    }
  }
  // The client x of the caret before character `i` of the line that starts at `start`.
  int XOf(std::int32_t start, std::int32_t i) {
    return area.x1 + TextAreaTextIndent +
           fx.gfx.text
               ->Measure(fx.gfx.EditFont,
                         body.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)))
               .width;
  }
  test::UiFixture fx;
  RecordingHost host;
  std::string body;
  TextAreaRecord area;
};

TEST(TextAreaKeys, TypingEnterBackspaceAndDelete) {
  Session s(
      "type Hxallo\nkey Left\nkey Left\nkey Left\nkey Backspace\nkey Left\nkey Delete\ntype e\n"
      "key End\nkey Enter\ntype second line\nkey D ctrl\n");
  s.Run();
  EXPECT_EQ(s.body, "Hello\rsecond line\xB0");
  EXPECT_EQ(s.area.caret, s.area.length);
  EXPECT_EQ(s.area.lineCount, 2);
  EXPECT_TRUE(s.host.errors.empty());
}

TEST(TextAreaKeys, WordMovesByCtrlArrows) {
  Session t("", "one two,  three");
  struct Step {
    int key;
    std::int32_t caret;
  };
  // Right 77, Left 75; "," and the blanks are not word characters.
  for (const Step& step : {Step{77, 4}, Step{77, 10}, Step{77, 15}, Step{77, 15}, Step{75, 10}, Step{75, 4},
                           Step{75, 0}, Step{75, 0}}) {
    t.fx.program.input.lastKey = step.key;
    t.fx.program.input.ctrlDown = 1;
    ASSERT_TRUE(TextAreaKeys(t.fx.ui, t.host, t.body, t.area));
    EXPECT_EQ(t.area.caret, step.caret) << step.key;
  }
  // Ctrl+Left from inside a word goes to the start of that word.
  t.area.caret = 5;
  t.fx.program.input.lastKey = 75;
  TextAreaKeys(t.fx.ui, t.host, t.body, t.area);
  EXPECT_EQ(t.area.caret, 4);
}

TEST(TextAreaKeys, ShiftMarksAndDeleteRemovesTheBlock) {
  Session s("key Right\nkey Right shift\nkey Right shift\nkey Right shift\nkey Delete\n", "abcdef");
  s.Run();
  EXPECT_EQ(s.body, "aef");
  EXPECT_EQ(s.area.caret, 1);
  // A plain move collapses the block.
  Session t("key End shift\nkey Home\n", "abc");
  t.Run();
  EXPECT_EQ(t.area.selStart, t.area.selEnd);
  EXPECT_EQ(t.area.caret, 0);
}

TEST(TextAreaKeys, UpDownKeepTheColumnWithinShorterLines) {
  // Up and down through "x" stop at its end; the column comes from where the caret is.
  Session t("key Right\nkey Right\nkey Right\nkey Down\nkey Down\nkey Up\n", "abcd\rx\rwxyz");
  t.Run();
  EXPECT_EQ(t.area.caret, 6);
  Session u("key End ctrl\nkey Home\nkey Up\nkey End\nkey Down\n", "abcd\rx\rwxyz");
  u.Run();
  EXPECT_EQ(u.area.caret, 8);
}

TEST(TextAreaKeys, PagesMoveTheViewAndTheCaret) {
  std::string text = "l0";
  for (int i = 1; i < 20; ++i) text += "\rl" + std::to_string(i);
  Session s("", text);
  ASSERT_EQ(s.area.visibleRows, 5);
  ASSERT_EQ(s.area.lineCount, 20);
  struct Step {
    int key;
    bool ctrl;
    std::int32_t top;
    std::int32_t caretLine;
  };
  for (const Step& step :
       {Step{81, false, 5, 9}, Step{81, false, 10, 14}, Step{81, false, 15, 19}, Step{81, false, 15, 19},
        Step{73, false, 10, 10}, Step{71, true, 0, 0}, Step{79, true, 15, 19}, Step{72, false, 15, 18},
        Step{73, false, 10, 10}, Step{72, false, 9, 9}, Step{80, false, 9, 10}}) {
    s.fx.program.input.lastKey = step.key;
    s.fx.program.input.ctrlDown = step.ctrl ? 1 : 0;
    ASSERT_TRUE(TextAreaKeys(s.fx.ui, s.host, s.body, s.area));
    EXPECT_EQ(s.area.topLine, step.top) << step.key;
    EXPECT_EQ(LineOfPosition(s.area, s.area.caret), step.caretLine) << step.key;
  }
  EXPECT_EQ(s.area.caret, s.area.lines[10]);  // Page Up left the caret at column 0
}

TEST(TextAreaKeys, TextReplacedByTheCallerIsWrappedAgain) {
  Session s("", "one\rtwo\rthree\rfour");
  s.body = "ab";
  s.fx.program.input.lastKey = 81;  // Page Down
  ASSERT_TRUE(TextAreaKeys(s.fx.ui, s.host, s.body, s.area));
  EXPECT_EQ(s.area.lineCount, 1);
  EXPECT_EQ(s.area.caret, 0);
  EXPECT_EQ(s.area.length, 2);
}

TEST(TextAreaKeys, CaseKeysWorkOnTheSelection) {
  Session s("key A ctrl\nkey L ctrl\n", "hello. world! how are you");
  s.Run();
  EXPECT_EQ(s.body, "Hello. World! How are you");
  EXPECT_EQ(s.area.selStart, 0);
  EXPECT_EQ(s.area.selEnd, s.area.length);
  Session t("key Right shift\nkey Right shift\nkey U ctrl\nkey End\nkey U ctrl\n",
            "stra\xDF"
            "e");
  t.Run();
  EXPECT_EQ(t.body,
            "STra\xDF"
            "e");
}

TEST(TextAreaKeys, CtrlEnterJoinsLinesOnlyWithoutABlock) {
  Session s("key End ctrl\nkey Enter ctrl\n", "a\rb \rc\r\rd");
  s.Run();
  EXPECT_EQ(s.body, "a b c\r\rd");
  EXPECT_EQ(s.area.caret, 0);
  EXPECT_EQ(s.host.closes, 1);
  Session t("key A ctrl\nkey Enter ctrl\n", "a\rb");
  t.Run();
  EXPECT_EQ(t.body, "a\rb");
  EXPECT_EQ(t.host.starts, 0);
}

TEST(TextAreaClipboard, PasteStoresOneCarriageReturnPerLine) {
  Session s("key V ctrl\n", "[]");
  s.area.caret = 1;
  s.fx.window.SetClipboardText("one\r\ntwo\nthree\r\n");
  s.Run();
  EXPECT_EQ(s.body, "[one\rtwo\rthree\r]");
  EXPECT_EQ(s.body.find('\n'), std::string::npos);
  EXPECT_EQ(s.area.caret, 15);
  EXPECT_TRUE(s.host.errors.empty());
}

TEST(TextAreaClipboard, CopyAndCutGiveWindowsLineEnds) {
  Session s(
      "key Right\nkey Right shift\nkey Right shift\nkey Right shift\nkey C ctrl\nkey End ctrl\nkey V ctrl\n"
      "key Home ctrl\nkey Right shift\nkey X ctrl\n",
      "xa\rby");
  s.Run();
  std::string clip;
  ASSERT_TRUE(s.fx.window.GetClipboardText(clip));
  EXPECT_EQ(clip, "x");
  EXPECT_EQ(s.body, "a\rbya\rb");
  // Without a block Ctrl+C keeps what the clipboard holds.
  Session t("key C ctrl\n", "abc");
  t.fx.window.SetClipboardText("kept");
  t.Run();
  ASSERT_TRUE(t.fx.window.GetClipboardText(clip));
  EXPECT_EQ(clip, "kept");
  Session u("key A ctrl\nkey C ctrl\n", "a\rb\r");
  u.Run();
  ASSERT_TRUE(u.fx.window.GetClipboardText(clip));
  EXPECT_EQ(clip, "a\r\nb\r\n");
}

TEST(TextAreaMenu, ChoosesAnActionForTheBlock) {
  const std::string menu = "click 300 110 right\n";
  // "c" jumps to "Cut".
  Session cut("key A ctrl\n" + menu + "type c\nkey Enter\n", "a\rb");
  cut.Run();
  EXPECT_EQ(cut.body, "");
  std::string clip;
  ASSERT_TRUE(cut.fx.window.GetClipboardText(clip));
  EXPECT_EQ(clip, "a\r\nb");
  EXPECT_EQ(cut.fx.program.ModalActive, 0);

  Session copy("key Right shift\n" + menu + "type c\nkey Down\nkey Enter\n", "xyz");
  copy.Run();
  EXPECT_EQ(copy.body, "xyz");
  ASSERT_TRUE(copy.fx.window.GetClipboardText(clip));
  EXPECT_EQ(clip, "x");

  Session del("key End shift\n" + menu + "key Enter\n", "xyz");
  del.Run();
  EXPECT_EQ(del.body, "");

  Session paste("key Right shift\n" + menu + "type p\nkey Enter\n", "xyz");
  paste.fx.window.SetClipboardText("1\n2");
  paste.Run();
  EXPECT_EQ(paste.body, "1\r2yz");
  EXPECT_TRUE(paste.host.errors.empty());
}

TEST(TextAreaMenu, WithoutABlockOnlyPasteWorks) {
  Session s("click 300 110 right\ntype c\nkey Enter\nclick 300 110 right\ntype d\nkey Enter\n", "xyz");
  s.fx.window.SetClipboardText("kept");
  s.Run();
  EXPECT_EQ(s.body, "xyz");
  EXPECT_EQ(s.host.errors, (std::vector<std::string>{"No Block Marked", "No Block Marked"}));
  std::string clip;
  ASSERT_TRUE(s.fx.window.GetClipboardText(clip));
  EXPECT_EQ(clip, "kept");
  // Cancelling, or closing the window while the menu is open, changes nothing.
  Session t("key A ctrl\nclick 300 110 right\nkey Escape\nclick 300 110 right\n", "xyz");
  t.Run();
  EXPECT_EQ(t.body, "xyz");
  EXPECT_TRUE(t.host.errors.empty());
}

TEST(TextAreaClipboard, PasteWithoutTextSaysSo) {
  Session s("key V ctrl\n", "abc");
  s.Run();
  EXPECT_EQ(s.body, "abc");
  EXPECT_EQ(s.host.errors, std::vector<std::string>{"No text on the clipboard!"});
}

TEST(TextAreaKeys, FullBufferReportsAndKeepsTheText) {
  Session s("type abcdefgh\nkey Left\nkey Backspace\ntype Z\n", "", TextAreaMaxLines, 6);
  s.Run();
  EXPECT_EQ(s.body, "abcZe");
  EXPECT_EQ(s.host.errors,
            (std::vector<std::string>{"Text Buffer Is Full...", "Text Buffer Is Full...", "Text Buffer Is Full..."}));
  // A line break where no line is left.
  Session t("key End ctrl\nkey Enter\ntype x\nkey Enter\n", "a\rb", 3);
  t.Run();
  EXPECT_EQ(t.body, "a\rbx");
  EXPECT_EQ(t.host.errors, (std::vector<std::string>{"Text Buffer Is Full...", "Text Buffer Is Full..."}));
}

TEST(TextAreaKeys, TypingOnTheLastLineStopsAtItsEnd) {
  // Three lines, the last one nearly full: typing on stops where a fourth
  // line would begin, and what was typed before stays.
  std::string full = "a\rb\r";
  Session probe("");
  while (probe.fx.gfx.text->Measure(probe.fx.gfx.EditFont, full.substr(4)).width < 560) full += 'm';
  Session s("key End ctrl\ntype mmmmmmmmmm\n", full, 3);
  s.Run();
  EXPECT_EQ(s.area.lineCount, 3);
  EXPECT_EQ(s.body.substr(0, full.size()), full);
  EXPECT_FALSE(s.host.errors.empty());
  EXPECT_EQ(s.host.errors.front(), "Text Buffer Is Full...");
}

TEST(TextAreaMouse, PressDragMarksABlock) {
  Session probe("", "first line\rsecond line");
  const int row = probe.fx.gfx.lineHeight;
  const int x3 = probe.XOf(0, 3) + 1;        // inside "s" of "first"
  const int x8 = probe.XOf(11, 11 + 8) + 1;  // inside "i" of "line" on the second row
  const std::string script = "press " + std::to_string(x3) + " " + std::to_string(100 + row / 2) + "\nmove " +
                             std::to_string(x8) + " " + std::to_string(100 + row + row / 2) + "\nrelease " +
                             std::to_string(x8) + " " + std::to_string(100 + row + row / 2) + "\nkey Delete\n";
  Session s(script, "first line\rsecond line");
  s.Run();
  EXPECT_EQ(s.body, "firine");
  EXPECT_EQ(s.area.caret, 3);
  EXPECT_FALSE(s.fx.window.mouseCaptured());
}

TEST(TextAreaMouse, ScrollBarScrollsWithoutMovingTheCaret) {
  std::string text;
  for (int i = 0; i < 12; ++i) text += "line " + std::to_string(i) + "\r";
  Session probe("");
  const int bottom = 100 + 5 * probe.fx.gfx.lineHeight;
  // The down arrow twice, then a page down in the track below the thumb.
  const std::string script = "click 692 " + std::to_string(bottom - 5) + "\nclick 692 " + std::to_string(bottom - 5) +
                             "\nclick 692 " + std::to_string(bottom - 20) + "\n";
  Session s(script, text);
  s.area.caret = 3;
  s.Run();
  EXPECT_EQ(s.area.topLine, 2 + 5);
  EXPECT_EQ(s.area.caret, 3);
  EXPECT_EQ(s.area.selStart, s.area.selEnd);
  // With a single line allowed there is no bar, and the strip is text.
  Session t("click 692 105\n", "abc", 1);
  t.area.caret = 1;
  t.Run();
  EXPECT_EQ(t.area.caret, 3);
}

TEST(TextAreaMouse, DraggingBelowTheBoxScrolls) {
  std::string text;
  for (int i = 0; i < 12; ++i) text += "line " + std::to_string(i) + "\r";
  Session s("press 101 105\nmove 110 400\nmove 111 400\nmove 112 400\nrelease 112 400\n", text);
  s.Run();
  EXPECT_GT(s.area.topLine, 0);
  EXPECT_EQ(s.area.selStart, 0);
  EXPECT_EQ(LineOfPosition(s.area, s.area.selEnd), s.area.topLine + s.area.visibleRows - 1);
}

TEST(TextAreaDraw, BlockOnNavyCaretInBlack) {
  Session s("", "abc\rdef");
  s.area.selStart = 1;
  s.area.selEnd = 2;
  s.area.caret = 5;
  DrawTextArea(s.fx.gfx, s.body, s.area, 1);
  const Surface& px = s.fx.surface;
  const int row = s.fx.gfx.lineHeight;
  auto countIn = [&](Colour colour, int xa, int xb, int ya, int yb) {
    int n = 0;
    for (int y = ya; y < yb; ++y)
      for (int x = xa; x < xb; ++x) n += px.At(x, y) == colour;
    return n;
  };
  // The block covers exactly "b" on the first row.
  const int xa = s.XOf(0, 1);
  const int xb = s.XOf(0, 2);
  EXPECT_EQ(px.At(xa, 100), ColourNavy);
  EXPECT_EQ(px.At(xb - 1, 100 + row - 1), ColourNavy);
  EXPECT_NE(px.At(xb, 100), ColourNavy);
  EXPECT_GT(countIn(ColourWhite, xa, xb, 100, 100 + row), 0);
  // Caret bar before "e" on the second row, 2 pixels wide.
  const int xc = s.XOf(4, 5);
  EXPECT_EQ(px.At(xc, 100 + row + 2), ColourBlack);
  EXPECT_EQ(px.At(xc + 1, 100 + row + row - 3), ColourBlack);
  EXPECT_EQ(countIn(ColourBlack, xc, xc + 2, 100 + row, 100 + row + 2), 0);
  // Without the caret the row is white there.
  DrawTextArea(s.fx.gfx, s.body, s.area, 0);
  EXPECT_EQ(px.At(xc, 100 + row + 2), ColourWhite);
  // Rows past the text are blank.
  EXPECT_EQ(countIn(ColourWhite, 100, 680, 100 + 3 * row, 100 + 4 * row), 580 * row);
}

// The area as the event editor shows it: on a panel, in a sunken box with the
// scroll bar beside it, several wrapped lines, a marked block and the caret.
// Written to $KALENDRINA_GALLERY_DIR/gallery-textarea.png when that is set.
TEST(TextAreaGallery, WrappedLinesBlockAndCaret) {
  test::UiFixture fx("size 680 250\n");
  Gfx& gfx = fx.gfx;
  const int rows = 6;
  const int left = 20;
  const int top = 20;
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
  const std::size_t mark = body.find("Table booked");
  area.selStart = static_cast<std::int32_t>(mark);
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
    EXPECT_LT(gfx.text->Measure(gfx.EditFont, line).width, area.x2 - area.x1 - TextAreaWrapReserve) << line;
  }
  const char* dir = std::getenv("KALENDRINA_GALLERY_DIR");
  test::TempDir temp;
  const std::string path = dir != nullptr ? std::string(dir) + "/gallery-textarea.png" : temp.File("textarea.png");
  EXPECT_TRUE(WritePng(fx.surface, path));
}

}  // namespace
}  // namespace kal
