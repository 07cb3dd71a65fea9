#include "platform/input_script.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kal {
namespace {

TEST(InputScript, ParsesEveryCommand) {
  const ScriptParseResult r = ParseInputScript(
      "# a comment\n"
      "\n"
      "size 1024 768            # client size\n"
      "today 2024-02-29\n"
      "click 10 20\n"
      "click 11 21 right\n"
      "dclick 30 40\n"
      "press 1 2 right\n"
      "move -5 6\n"
      "release 7 8\n"
      "key PageDown shift ctrl\n"
      "key s ctrl\n"
      "type  hello # not a comment\n"
      "wheel -3\n"
      "wait 60000\n"
      "screenshot out dir/shot.png\n"
      "tray right\n"
      "quit\n");
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.commands.size(), 16u);
  const auto& c = r.commands;
  EXPECT_EQ(c[0].op, ScriptOp::Size);
  EXPECT_EQ(c[0].x, 1024);
  EXPECT_EQ(c[0].y, 768);
  EXPECT_EQ(c[0].line, 3);
  EXPECT_EQ(c[1].op, ScriptOp::Today);
  EXPECT_EQ(c[1].year * 10000 + c[1].month * 100 + c[1].day, 20240229);
  EXPECT_EQ(c[2].op, ScriptOp::Click);
  EXPECT_EQ(c[2].button, MouseButton::Left);
  EXPECT_EQ(c[3].button, MouseButton::Right);
  EXPECT_EQ(c[4].op, ScriptOp::DoubleClick);
  EXPECT_EQ(c[5].op, ScriptOp::Press);
  EXPECT_EQ(c[5].button, MouseButton::Right);
  EXPECT_EQ(c[6].op, ScriptOp::Move);
  EXPECT_EQ(c[6].x, -5);
  EXPECT_EQ(c[7].op, ScriptOp::Release);
  EXPECT_EQ(c[8].op, ScriptOp::KeyPress);
  EXPECT_EQ(c[8].key, Key::PageDown);
  EXPECT_TRUE(c[8].shift);
  EXPECT_TRUE(c[8].ctrl);
  EXPECT_EQ(c[9].key, Key::S);
  EXPECT_FALSE(c[9].shift);
  EXPECT_EQ(c[10].op, ScriptOp::Type);
  EXPECT_EQ(c[10].text, " hello # not a comment");
  EXPECT_EQ(c[11].op, ScriptOp::Wheel);
  EXPECT_EQ(c[11].amount, -3);
  EXPECT_EQ(c[12].op, ScriptOp::Wait);
  EXPECT_EQ(c[12].amount, 60000);
  EXPECT_EQ(c[13].op, ScriptOp::Screenshot);
  EXPECT_EQ(c[13].text, "out dir/shot.png");
  EXPECT_EQ(c[14].op, ScriptOp::Tray);
  EXPECT_EQ(c[14].button, MouseButton::Right);
  EXPECT_EQ(c[15].op, ScriptOp::Quit);
  EXPECT_EQ(c[15].line, 18);
}

TEST(InputScript, WindowsLineEndsAndIndentation) {
  const ScriptParseResult r = ParseInputScript("  click 1 2\r\n\ttype ab\r\n   # note\r\nquit\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.commands.size(), 3u);
  EXPECT_EQ(r.commands[1].text, "ab");
  EXPECT_EQ(r.commands[2].line, 4);
}

TEST(InputScript, ErrorsNameTheLine) {
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
      {"jump 1 2\n", "line 1: unknown command \"jump\""},
      {"quit\n\nclick 1\n", "line 3: click needs X Y [right]"},
      {"click 1 2 middle\n", "line 1: click: unknown option \"middle\""},
      {"press x 2\n", "line 1: press: X and Y must be whole numbers"},
      {"move 1\n", "line 1: move needs X Y"},
      {"size 0 768\n", "line 1: size: width and height must be whole numbers from 1 to 16384"},
      {"size 800\n", "line 1: size needs a width and a height"},
      {"today 2023-02-29\n", "line 1: today: \"2023-02-29\" is not a date YYYY-MM-DD"},
      {"today 2024-5-5\n", "line 1: today: \"2024-5-5\" is not a date YYYY-MM-DD"},
      {"key\n", "line 1: key needs a key name"},
      {"key Foo\n", "line 1: key: unknown key \"Foo\""},
      {"key A alt\n", "line 1: key: unknown modifier \"alt\""},
      {"type\n", "line 1: type needs a text"},
      {"wheel 0\n", "line 1: wheel needs a step count, not 0, from -1000 to 1000"},
      {"wait -1\n", "line 1: wait needs milliseconds from 0 to 864000000"},
      {"wait 10ms\n", "line 1: wait needs milliseconds from 0 to 864000000"},
      {"screenshot\n", "line 1: screenshot needs a file name"},
      {"tray middle\n", "line 1: tray needs left or right"},
      {"quit now\n", "line 1: quit takes no arguments"},
  };
  for (const Case& c : cases) {
    const ScriptParseResult r = ParseInputScript(c.script);
    EXPECT_EQ(r.error, c.error) << c.script;
    EXPECT_TRUE(r.commands.empty()) << c.script;
  }
}

TEST(InputScript, KeyNames) {
  EXPECT_EQ(KeyFromName("pageup"), Key::PageUp);
  EXPECT_EQ(KeyFromName("F12"), Key::F12);
  EXPECT_EQ(KeyFromName("z"), Key::Z);
  EXPECT_EQ(KeyFromName("7"), Key::Digit7);
  EXPECT_EQ(KeyFromName("F13"), Key::None);
  EXPECT_EQ(KeyFromName(""), Key::None);

  EXPECT_EQ(ProgramKeyCode(Key::F1), 1);
  EXPECT_EQ(ProgramKeyCode(Key::F12), 12);
  EXPECT_EQ(ProgramKeyCode(Key::Home), 71);
  EXPECT_EQ(ProgramKeyCode(Key::PageUp), 73);
  EXPECT_EQ(ProgramKeyCode(Key::Left), 75);
  EXPECT_EQ(ProgramKeyCode(Key::Right), 77);
  EXPECT_EQ(ProgramKeyCode(Key::End), 79);
  EXPECT_EQ(ProgramKeyCode(Key::Down), 80);
  EXPECT_EQ(ProgramKeyCode(Key::Delete), 83);
  EXPECT_EQ(ProgramKeyCode(Key::Digit1), 49);
  EXPECT_EQ(ProgramKeyCode(Key::Digit3), 51);
  EXPECT_EQ(ProgramKeyCode(Key::Digit4), 0);
  EXPECT_EQ(ProgramKeyCode(Key::Enter), 0);
  EXPECT_EQ(ProgramKeyCode(Key::A), 0);

  EXPECT_EQ(KeyCharacter(Key::S, false, true), 19);
  EXPECT_EQ(KeyCharacter(Key::A, true, true), 1);
  EXPECT_EQ(KeyCharacter(Key::S, true, false), 'S');
  EXPECT_EQ(KeyCharacter(Key::S, false, false), 's');
  EXPECT_EQ(KeyCharacter(Key::Enter, false, false), 13);
  EXPECT_EQ(KeyCharacter(Key::Backspace, false, false), 8);
  EXPECT_EQ(KeyCharacter(Key::Escape, false, false), 27);
  EXPECT_EQ(KeyCharacter(Key::Tab, true, false), 9);
  EXPECT_EQ(KeyCharacter(Key::Left, false, false), 0);
  EXPECT_EQ(KeyCharacter(Key::Digit2, false, false), '2');
}

TEST(InputScript, LoadsFilesAndReportsMissingOnes) {
  test::TempDir dir;
  const std::string path = dir.File("s.txt");
  test::WriteAll(path, {'w', 'a', 'i', 't', ' ', '5', '\n', 'b', 'a', 'd', '\n'});
  EXPECT_EQ(LoadInputScript(path).error, "line 2: unknown command \"bad\"");
  EXPECT_FALSE(LoadInputScript(dir.File("missing.txt")).ok());
}

}  // namespace
}  // namespace kal
