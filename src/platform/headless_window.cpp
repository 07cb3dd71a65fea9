#include "platform/headless_window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/encoding.h"
#include "platform/images.h"

namespace kal {

namespace {

// The system's shortest timer period; also keeps a zero period from firing
// without end inside one wait.
constexpr int kMinTimerPeriodMs = 10;

LocalDateTime AddSeconds(const LocalDateTime& t, std::int64_t seconds) {
  using namespace std::chrono;
  const sys_days day = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                      std::chrono::day{static_cast<unsigned>(t.day)}};
  const sys_seconds then = day + hours{t.hour} + minutes{t.minute} + std::chrono::seconds{t.second} +
                           std::chrono::seconds{seconds};
  const sys_days newDay = floor<days>(then);
  const year_month_day ymd{newDay};
  const hh_mm_ss hms{then - newDay};
  return LocalDateTime{static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                       static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(hms.hours().count()),
                       static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count())};
}

bool Contains(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

Key KeyOfByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<Key>(static_cast<int>(Key::A) + (c - 'a'));
  if (c >= 'A' && c <= 'Z') return static_cast<Key>(static_cast<int>(Key::A) + (c - 'A'));
  if (c >= '0' && c <= '9') return static_cast<Key>(static_cast<int>(Key::Digit0) + (c - '0'));
  if (c == ' ') return Key::Space;
  if (c == '\t') return Key::Tab;
  return Key::Other;
}

}  // namespace

HeadlessWindow::HeadlessWindow(std::vector<ScriptCommand> script, HeadlessOptions options)
    : script_(std::move(script)), clock_(SystemClock().Now()) {
  // Leading size and today commands describe the desktop the program starts on.
  bool sizeGiven = false;
  while (next_ < script_.size() &&
         (script_[next_].op == ScriptOp::Size || script_[next_].op == ScriptOp::Today)) {
    const ScriptCommand& cmd = script_[next_++];
    if (cmd.op == ScriptOp::Size) {
      startWidth_ = cmd.x;
      startHeight_ = cmd.y;
      sizeGiven = true;
    } else {
      clock_.Set(LocalDateTime{cmd.year, cmd.month, cmd.day, 12, 0, 0});
    }
  }
  screen_ = WindowRect{0, 0, options.screenWidth, options.screenHeight};
  if (sizeGiven) {
    screen_.width = std::max(screen_.width, startWidth_);
    screen_.height = std::max(screen_.height, startHeight_);
  }
  rect_ = WindowRect{0, 0, startWidth_, startHeight_};
}

bool HeadlessWindow::Create(std::string_view, int x, int y, int width, int height, bool hidden) {
  if (created_ || width <= 0 || height <= 0) return false;
  created_ = true;
  visible_ = !hidden;
  rect_ = WindowRect{x, y, width, height};
  image_.Resize(width, height, 0);
  return true;
}

void HeadlessWindow::MoveResize(int x, int y, int width, int height) {
  rect_.x = x;
  rect_.y = y;
  ResizeClient(width, height);
}

void HeadlessWindow::ResizeClient(int width, int height) {
  if (width <= 0 || height <= 0 || (width == rect_.width && height == rect_.height)) return;
  Surface old = std::move(image_);
  image_.Resize(width, height, 0);
  const int w = std::min(width, old.width());
  for (int row = 0; row < std::min(height, old.height()); ++row) {
    std::copy(old.Row(row), old.Row(row) + w, image_.Row(row));
  }
  rect_.width = width;
  rect_.height = height;
  PlatformEvent e;
  e.type = EventType::Resize;
  e.width = width;
  e.height = height;
  e.sizeState = SizeState::Restored;
  Queue(e);
}

void HeadlessWindow::SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) {
  minWidth_ = minWidth;
  minHeight_ = minHeight;
  maxWidth_ = maxWidth;
  maxHeight_ = maxHeight;
}

void HeadlessWindow::Present(const Surface& surface, const Rect& area) {
  const Rect r = area.Intersect(surface.Bounds()).Intersect(image_.Bounds());
  if (r.Empty()) return;
  for (int y = r.top; y < r.bottom; ++y) {
    std::copy(surface.Row(y) + r.left, surface.Row(y) + r.right, image_.Row(y) + r.left);
  }
}

void HeadlessWindow::StartTimer(int id, int periodMs) {
  const int period = std::max(periodMs, kMinTimerPeriodMs);
  timers_[id] = Timer{period, clock_.TickMs() + static_cast<std::uint64_t>(period)};
}

void HeadlessWindow::KillTimer(int id) { timers_.erase(id); }

bool HeadlessWindow::GetClipboardText(std::string& cp1252) {
  if (!clipboardHasText_) return false;
  cp1252 = clipboard_;
  return true;
}

void HeadlessWindow::SetClipboardText(std::string_view cp1252) {
  clipboard_ = std::string(cp1252);
  clipboardHasText_ = true;
}

void HeadlessWindow::ShowMessageBox(std::string_view title, std::string_view text, MessageIcon) {
  messageBoxes_.push_back(std::string(title) + "|" + std::string(text));
  std::string line = Cp1252ToUtf8(text);
  std::replace(line.begin(), line.end(), '\r', ' ');
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "%s: %s\n", Cp1252ToUtf8(title).c_str(), line.c_str());
}

void HeadlessWindow::SetDragBand(int height, const std::vector<Rect>& exclusions) {
  dragBand_ = std::max(0, height);
  dragExclusions_ = exclusions;
}

void HeadlessWindow::PostShowRequest() { showRequested_ = true; }

bool HeadlessWindow::InDragBand(int x, int y) const {
  if (y < 0 || y >= dragBand_ || x < 0 || x >= rect_.width) return false;
  return std::none_of(dragExclusions_.begin(), dragExclusions_.end(),
                      [&](const Rect& r) { return Contains(r, x, y); });
}

PlatformEvent HeadlessWindow::NextEvent(bool, int) {
  if (queue_.empty()) Refill();
  if (queue_.empty()) {
    // The script is over: ask to close, again and again, until the program has gone.
    PlatformEvent close;
    close.type = EventType::Close;
    modifiers_ = ModifierState{};
    return close;
  }
  PlatformEvent e = queue_.front();
  queue_.pop_front();
  modifiers_ = ModifierState{e.shift, e.ctrl};
  return e;
}

void HeadlessWindow::Queue(PlatformEvent e) { queue_.push_back(e); }

void HeadlessWindow::Refill() {
  while (queue_.empty() && !finished_) {
    if (showRequested_.exchange(false)) {
      PlatformEvent e;
      e.type = EventType::ShowRequest;
      Queue(e);
      return;
    }
    if (waiting_) {
      StepWait();
      continue;
    }
    if (next_ >= script_.size()) {
      finished_ = true;
      return;
    }
    RunCommand(script_[next_++]);
  }
}

bool HeadlessWindow::StepWait() {
  auto due = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.due <= waitUntil_ && (due == timers_.end() || it->second.due < due->second.due)) due = it;
  }
  if (due == timers_.end()) {
    AdvanceClock(waitUntil_ - clock_.TickMs());
    waiting_ = false;
    return false;
  }
  if (due->second.due > clock_.TickMs()) AdvanceClock(due->second.due - clock_.TickMs());
  due->second.due += static_cast<std::uint64_t>(due->second.period);
  PlatformEvent e;
  e.type = EventType::Timer;
  e.id = due->first;
  Queue(e);
  return true;
}

void HeadlessWindow::AdvanceClock(std::uint64_t ms) {
  clock_.Advance(ms);
  const std::uint64_t total = clockMsRemainder_ + ms;
  clockMsRemainder_ = total % 1000;
  if (total >= 1000) clock_.Set(AddSeconds(clock_.Now(), static_cast<std::int64_t>(total / 1000)));
}

void HeadlessWindow::PointerTo(int x, int y) {
  if (dragging_) {
    // The grabbed point stays under the pointer: the window follows, the
    // pointer's client position does not change. Script positions during a
    // drag are taken relative to the window where the drag began.
    const int newX = dragWindowX_ + x - dragX_;
    const int newY = dragWindowY_ + y - dragY_;
    if (newX == rect_.x && newY == rect_.y) return;
    rect_.x = newX;
    rect_.y = newY;
    PlatformEvent e;
    e.type = EventType::Move;
    e.x = rect_.x;
    e.y = rect_.y;
    Queue(e);
    return;
  }
  if (x == pointerX_ && y == pointerY_) return;
  pointerX_ = x;
  pointerY_ = y;
  PlatformEvent e;
  e.type = EventType::MouseMove;
  e.x = x;
  e.y = y;
  Queue(e);
}

void HeadlessWindow::Press(MouseButton button, int x, int y, bool doubleClick) {
  PointerTo(x, y);
  if (dragging_) return;
  if (button == MouseButton::Left && buttons_ == 0 && InDragBand(x, y)) {
    dragging_ = true;
    dragX_ = x;
    dragY_ = y;
    dragWindowX_ = rect_.x;
    dragWindowY_ = rect_.y;
    return;
  }
  buttons_ |= static_cast<int>(button);
  PlatformEvent e;
  e.type = doubleClick ? EventType::DoubleClick : EventType::MouseDown;
  e.button = button;
  e.x = x;
  e.y = y;
  Queue(e);
}

void HeadlessWindow::Release(MouseButton button, int x, int y) {
  PointerTo(x, y);
  if (dragging_) {
    if (button == MouseButton::Left) dragging_ = false;
    return;
  }
  buttons_ &= ~static_cast<int>(button);
  PlatformEvent e;
  e.type = EventType::MouseUp;
  e.button = button;
  e.x = x;
  e.y = y;
  Queue(e);
}

void HeadlessWindow::RunCommand(const ScriptCommand& cmd) {
  switch (cmd.op) {
    case ScriptOp::Size: {
      int w = std::max(cmd.x, minWidth_);
      int h = std::max(cmd.y, minHeight_);
      if (maxWidth_ > 0) w = std::min(w, maxWidth_);
      if (maxHeight_ > 0) h = std::min(h, maxHeight_);
      ResizeClient(w, h);
      break;
    }
    case ScriptOp::Today:
      clock_.Set(LocalDateTime{cmd.year, cmd.month, cmd.day, 12, 0, 0});
      clockMsRemainder_ = 0;
      break;
    case ScriptOp::Click:
      Press(cmd.button, cmd.x, cmd.y, false);
      Release(cmd.button, cmd.x, cmd.y);
      break;
    case ScriptOp::DoubleClick:
      Press(cmd.button, cmd.x, cmd.y, false);
      Release(cmd.button, cmd.x, cmd.y);
      Press(cmd.button, cmd.x, cmd.y, true);
      Release(cmd.button, cmd.x, cmd.y);
      break;
    case ScriptOp::Press:
      Press(cmd.button, cmd.x, cmd.y, false);
      break;
    case ScriptOp::Move:
      PointerTo(cmd.x, cmd.y);
      break;
    case ScriptOp::Release:
      Release(cmd.button, cmd.x, cmd.y);
      break;
    case ScriptOp::KeyPress: {
      PlatformEvent e;
      e.shift = cmd.shift;
      e.ctrl = cmd.ctrl;
      e.key = cmd.key;
      e.type = EventType::KeyDown;
      Queue(e);
      if (const int ch = KeyCharacter(cmd.key, cmd.shift, cmd.ctrl); ch != 0) {
        e.type = EventType::Char;
        e.ch = static_cast<std::uint8_t>(ch);
        Queue(e);
      }
      e.type = EventType::KeyUp;
      e.ch = 0;
      Queue(e);
      break;
    }
    case ScriptOp::Type:
      for (const char c : Utf8ToCp1252(cmd.text)) {
        const auto byte = static_cast<unsigned char>(c);
        PlatformEvent e;
        e.key = KeyOfByte(byte);
        e.shift = byte >= 'A' && byte <= 'Z';
        e.type = EventType::KeyDown;
        Queue(e);
        e.type = EventType::Char;
        e.ch = byte;
        Queue(e);
        e.type = EventType::KeyUp;
        e.ch = 0;
        Queue(e);
      }
      break;
    case ScriptOp::Wheel:
      for (std::int64_t i = 0; i < std::abs(cmd.amount); ++i) {
        PlatformEvent e;
        e.type = EventType::Wheel;
        e.steps = cmd.amount > 0 ? 1 : -1;
        e.x = pointerX_;
        e.y = pointerY_;
        Queue(e);
      }
      break;
    case ScriptOp::Wait:
      waiting_ = true;
      waitUntil_ = clock_.TickMs() + static_cast<std::uint64_t>(cmd.amount);
      break;
    case ScriptOp::Screenshot:
      if (!WritePng(image_, cmd.text)) {
        errors_.push_back("line " + std::to_string(cmd.line) + ": cannot write the screenshot \"" + cmd.text + "\"");
        std::fprintf(stderr, "%s\n", errors_.back().c_str());
      }
      break;
    case ScriptOp::Tray: {
      PlatformEvent e;
      e.type = EventType::TrayClick;
      e.button = cmd.button;
      Queue(e);
      break;
    }
    case ScriptOp::Quit:
      next_ = script_.size();
      finished_ = true;
      break;
  }
}

}  // namespace kal
