#include "platform/input_script.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/test_support.h"

namespace kal {
namespace {

TEST(InputScript, ParsesEveryCommand) {
  const ScriptParseResult r = ParseInputScript(
      "# a comment\n\nsize 1024 768            # client size\ntoday 2024-02-29\n"
      "click 10 20\n  click 11 21 right\r\ndclick 30 40\npress 1 2 right\nmove -5 6\nrelease 7 8\n"
      "key PageDown shift ctrl\nkey s ctrl\n\ttype  hello # not a comment\r\n   # note\r\nwheel -3\n"
      "wait 60000\nscreenshot out dir/shot.png\ntray right\nquit\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.commands.size(), 16u);
  using Op = ScriptOp;
  std::vector<std::pair<Op, int>> ops;
  for (const ScriptCommand& c : r.commands) ops.emplace_back(c.op, c.line);
  EXPECT_EQ(ops, (std::vector<std::pair<Op, int>>{
                     {Op::Size, 3}, {Op::Today, 4}, {Op::Click, 5}, {Op::Click, 6}, {Op::DoubleClick, 7},
                     {Op::Press, 8}, {Op::Move, 9}, {Op::Release, 10}, {Op::KeyPress, 11}, {Op::KeyPress, 12},
                     {Op::Type, 13}, {Op::Wheel, 15}, {Op::Wait, 16}, {Op::Screenshot, 17}, {Op::Tray, 18},
                     {Op::Quit, 19}}));
  // Buttons, keys and amounts; most are also driven by every screen test.
  const auto& c = r.commands;
  EXPECT_EQ(std::tuple(c[0].x, c[0].y, c[3].button, c[4].x, c[5].button, c[6].x, c[7].button),
            std::tuple(1024, 768, MouseButton::Right, 30, MouseButton::Right, -5, MouseButton::Left));
  EXPECT_EQ(std::tuple(c[8].key, c[8].shift, c[8].ctrl, c[9].key, c[9].shift, c[9].ctrl),
            std::tuple(Key::PageDown, true, true, Key::S, false, true));
  EXPECT_EQ(std::tuple(c[11].amount, c[12].amount, c[14].button), std::tuple(-3, 60000, MouseButton::Right));
  EXPECT_EQ(r.commands[1].year * 10000 + r.commands[1].month * 100 + r.commands[1].day, 20240229);
  EXPECT_EQ(r.commands[10].text, " hello # not a comment");
  EXPECT_EQ(r.commands[13].text, "out dir/shot.png");
}

TEST(InputScript, ErrorsNameTheLine) {
  const std::pair<const char*, const char*> cases[] = {
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
  for (const auto& [script, error] : cases) {
    const ScriptParseResult r = ParseInputScript(script);
    EXPECT_EQ(r.error, error) << script;
    EXPECT_TRUE(r.commands.empty()) << script;
  }
  test::TempDir dir;
  test::WriteAll(dir.File("s.txt"), {'w', 'a', 'i', 't', ' ', '5', '\n', 'b', 'a', 'd', '\n'});
  EXPECT_EQ(LoadInputScript(dir.File("s.txt")).error, "line 2: unknown command \"bad\"");
  EXPECT_FALSE(LoadInputScript(dir.File("missing.txt")).ok());
}

TEST(InputScript, KeyNamesCodesAndCharacters) {
  EXPECT_EQ(KeyFromName("pageup"), Key::PageUp);
  EXPECT_EQ(KeyFromName("F12"), Key::F12);
  EXPECT_EQ(KeyFromName("z"), Key::Z);
  EXPECT_EQ(KeyFromName("7"), Key::Digit7);
  EXPECT_EQ(KeyFromName("F13"), Key::None);
  EXPECT_EQ(KeyFromName(""), Key::None);

  const std::pair<Key, int> codes[] = {
      {Key::F1, 1},      {Key::F12, 12},       {Key::Home, 71},  {Key::PageUp, 73}, {Key::Left, 75},
      {Key::Right, 77},  {Key::End, 79},       {Key::Down, 80},  {Key::Delete, 83}, {Key::Digit1, 49},
      {Key::Digit3, 51}, {Key::Digit4, 0},     {Key::Enter, 0},  {Key::A, 0}};
  for (const auto& [key, code] : codes) EXPECT_EQ(ProgramKeyCode(key), code) << static_cast<int>(key);

  // key, shift, ctrl, character
  const std::tuple<Key, bool, bool, int> chars[] = {
      {Key::S, false, true, 19},         {Key::A, true, true, 1},        {Key::S, true, false, 'S'},
      {Key::S, false, false, 's'},       {Key::Enter, false, false, 13}, {Key::Backspace, false, false, 8},
      {Key::Escape, false, false, 27},   {Key::Tab, true, false, 9},     {Key::Left, false, false, 0},
      {Key::Digit2, false, false, '2'}};
  for (const auto& [key, shift, ctrl, ch] : chars) {
    EXPECT_EQ(KeyCharacter(key, shift, ctrl), ch) << static_cast<int>(key) << shift << ctrl;
  }
}

}  // namespace
}  // namespace kal
