#include "platform/input_script.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace kal {

namespace {

constexpr int kMaxCoordinate = 100000;
constexpr int kMaxClientSize = 16384;
// Ten days: longer waits would only make timer tests crawl.
constexpr std::int64_t kMaxWaitMs = 10LL * 24 * 3600 * 1000;
constexpr std::int64_t kMaxWheelSteps = 1000;

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (IsSpace(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsSpace(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Split(std::string_view s) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    const std::size_t start = i;
    while (i < s.size() && !IsSpace(s[i])) ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

bool ParseInt(std::string_view word, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
  if (!word.empty() && word.front() == '+') word.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size() || word.empty()) return false;
  if (value < lo || value > hi) return false;
  out = value;
  return true;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysIn(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

class LineParser {
 public:
  LineParser(int line, std::string_view body) : line_(line), body_(body) {}

  // Returns an empty string on success.
  std::string Parse(ScriptCommand& cmd) {
    cmd.line = line_;
    std::size_t nameEnd = 0;
    while (nameEnd < body_.size() && !IsSpace(body_[nameEnd])) ++nameEnd;
    const std::string_view name = body_.substr(0, nameEnd);
    const std::string_view rest = body_.substr(nameEnd);
    if (name == "type") {
      // The text starts after exactly one separator so that leading blanks can be typed.
      cmd.op = ScriptOp::Type;
      const std::string_view text = rest.empty() ? rest : rest.substr(1);
      if (text.empty()) return "type needs a text";
      cmd.text = std::string(text);
      return {};
    }
    std::string_view args = rest;
    if (const std::size_t hash = args.find(" #"); hash != std::string_view::npos) args = args.substr(0, hash);
    if (const std::size_t hash = args.find("\t#"); hash != std::string_view::npos) args = args.substr(0, hash);
    words_ = Split(args);

    if (name == "size") {
      cmd.op = ScriptOp::Size;
      if (words_.size() != 2) return "size needs a width and a height";
      std::int64_t w = 0;
      std::int64_t h = 0;
      if (!ParseInt(words_[0], 1, kMaxClientSize, w) || !ParseInt(words_[1], 1, kMaxClientSize, h)) {
        return "size: width and height must be whole numbers from 1 to 16384";
      }
      cmd.x = static_cast<int>(w);
      cmd.y = static_cast<int>(h);
      return {};
    }
    if (name == "today") {
      cmd.op = ScriptOp::Today;
      if (words_.size() != 1) return "today needs a date YYYY-MM-DD";
      return ParseDate(words_[0], cmd);
    }
    if (name == "click" || name == "dclick" || name == "press" || name == "release") {
      cmd.op = name == "click" ? ScriptOp::Click
               : name == "dclick" ? ScriptOp::DoubleClick
               : name == "press" ? ScriptOp::Press
                                 : ScriptOp::Release;
      if (words_.size() == 3) {
        if (words_[2] != "right") return std::string(name) + ": unknown option \"" + std::string(words_[2]) + "\"";
        cmd.button = MouseButton::Right;
      } else if (words_.size() != 2) {
        return std::string(name) + " needs X Y [right]";
      }
      return ParsePoint(name, cmd);
    }
    if (name == "move") {
      cmd.op = ScriptOp::Move;
      if (words_.size() != 2) return "move needs X Y";
      return ParsePoint(name, cmd);
    }
    if (name == "key") {
      cmd.op = ScriptOp::KeyPress;
      if (words_.empty()) return "key needs a key name";
      cmd.key = KeyFromName(words_[0]);
      if (cmd.key == Key::None) return "key: unknown key \"" + std::string(words_[0]) + "\"";
      for (std::size_t i = 1; i < words_.size(); ++i) {
        if (words_[i] == "shift") {
          cmd.shift = true;
        } else if (words_[i] == "ctrl") {
          cmd.ctrl = true;
        } else {
          return "key: unknown modifier \"" + std::string(words_[i]) + "\"";
        }
      }
      return {};
    }
    if (name == "wheel") {
      cmd.op = ScriptOp::Wheel;
      if (words_.size() != 1 || !ParseInt(words_[0], -kMaxWheelSteps, kMaxWheelSteps, cmd.amount) ||
          cmd.amount == 0) {
        return "wheel needs a step count, not 0, from -1000 to 1000";
      }
      return {};
    }
    if (name == "wait") {
      cmd.op = ScriptOp::Wait;
      if (words_.size() != 1 || !ParseInt(words_[0], 0, kMaxWaitMs, cmd.amount)) {
        return "wait needs milliseconds from 0 to 864000000";
      }
      return {};
    }
    if (name == "screenshot") {
      cmd.op = ScriptOp::Screenshot;
      const std::string_view file = Trim(args);
      if (file.empty()) return "screenshot needs a file name";
      cmd.text = std::string(file);
      return {};
    }
    if (name == "tray") {
      cmd.op = ScriptOp::Tray;
      if (words_.size() != 1 || (words_[0] != "left" && words_[0] != "right")) return "tray needs left or right";
      cmd.button = words_[0] == "left" ? MouseButton::Left : MouseButton::Right;
      return {};
    }
    if (name == "quit") {
      cmd.op = ScriptOp::Quit;
      if (!words_.empty()) return "quit takes no arguments";
      return {};
    }
    return "unknown command \"" + std::string(name) + "\"";
  }

 private:
  std::string ParsePoint(std::string_view name, ScriptCommand& cmd) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    if (!ParseInt(words_[0], -kMaxCoordinate, kMaxCoordinate, x) ||
        !ParseInt(words_[1], -kMaxCoordinate, kMaxCoordinate, y)) {
      return std::string(name) + ": X and Y must be whole numbers";
    }
    cmd.x = static_cast<int>(x);
    cmd.y = static_cast<int>(y);
    return {};
  }

  static std::string ParseDate(std::string_view word, ScriptCommand& cmd) {
    std::int64_t y = 0;
    std::int64_t m = 0;
    std::int64_t d = 0;
    if (word.size() != 10 || word[4] != '-' || word[7] != '-' || !ParseInt(word.substr(0, 4), 1601, 9999, y) ||
        !ParseInt(word.substr(5, 2), 1, 12, m) || !ParseInt(word.substr(8, 2), 1, 31, d) ||
        d > DaysIn(static_cast<int>(y), static_cast<int>(m))) {
      return "today: \"" + std::string(word) + "\" is not a date YYYY-MM-DD";
    }
    cmd.year = static_cast<int>(y);
    cmd.month = static_cast<int>(m);
    cmd.day = static_cast<int>(d);
    return {};
  }

  int line_;
  std::string_view body_;
  std::vector<std::string_view> words_;
};

}  // namespace

ScriptParseResult ParseInputScript(std::string_view text) {
  ScriptParseResult result;
  int lineNumber = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = text.substr(pos, end - pos);
    ++lineNumber;
    pos = end + 1;
    // Leading blanks go, trailing ones stay for "type" (its text is taken as written).
    std::string_view body = raw;
    if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
    while (!body.empty() && IsSpace(body.front())) body.remove_prefix(1);
    if (Trim(body).empty() || body.front() == '#') continue;
    ScriptCommand cmd;
    const std::string error = LineParser(lineNumber, body).Parse(cmd);
    if (!error.empty()) {
      result.commands.clear();
      result.error = "line " + std::to_string(lineNumber) + ": " + error;
      return result;
    }
    result.commands.push_back(std::move(cmd));
  }
  return result;
}

ScriptParseResult LoadInputScript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ScriptParseResult result;
    result.error = "cannot read the input script \"" + path + "\"";
    return result;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return ParseInputScript(buffer.str());
}

}  // namespace kal
