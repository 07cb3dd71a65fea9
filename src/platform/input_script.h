// Input scripts: the user's actions for the headless backend, one command a
// line.
//
//   size W H                 client size (before the first event: the start size)
//   today YYYY-MM-DD         fixes the clock's date, time 12:00
//   click X Y [right]        press and release
//   dclick X Y [right]       a double click
//   press X Y [right] / move X Y / release X Y [right]
//   key NAME [shift] [ctrl]  a named key (Left, F5, Enter ...) or a letter or digit
//   type TEXT                characters, UTF-8 (the rest of the line, as written)
//   wheel N                  N wheel steps, N > 0 away from the user
//   wait MS                  advances the clock and fires due timers
//   screenshot FILE.png      writes the window image
//   tray left|right          a click on the notification-area icon
//   quit                     asks the program to close
//
// Blank lines and lines starting with '#' are ignored; outside "type" lines
// a " #" starts a trailing comment. Coordinates are client pixels.
// Parsing is pure: the commands own their text, nothing refers back to the
// script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

namespace kal {

enum class ScriptOp : std::uint8_t {
  Size, Today, Click, DoubleClick, Press, Move, Release, KeyPress, Type, Wheel, Wait, Screenshot, Tray, Quit,
};

struct ScriptCommand {
  ScriptOp op = ScriptOp::Quit;
  int line = 0;  // 1-based line in the script
  int x = 0;     // mouse position; Size: width
  int y = 0;     //                 Size: height
  MouseButton button = MouseButton::Left;
  Key key = Key::None;
  bool shift = false;
  bool ctrl = false;
  std::string text;  // Type: UTF-8 text; Screenshot: file name
  std::int64_t amount = 0;  // Wheel: steps; Wait: milliseconds
  int year = 0;  // Today
  int month = 0;
  int day = 0;
};

struct ScriptParseResult {
  std::vector<ScriptCommand> commands;
  // Empty on success, else one line: "line N: what is wrong".
  std::string error;
  bool ok() const { return error.empty(); }
};

ScriptParseResult ParseInputScript(std::string_view text);
// Reads and parses a script file; a file that cannot be read is an error too.
ScriptParseResult LoadInputScript(const std::string& path);

}  // namespace kal
