// What the storage and calendar logic needs from the user interface.
//
// Long operations (saving 100,000 records, generating a group) report progress,
// keep the window responsive and report failures through this interface, so
// that the same code runs under the window, under the headless backend and in
// the command line. Every method has a silent default.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kal {

class Host {
 public:
  virtual ~Host() = default;

  // Starts a new progress run: the next ShowProgress always draws.
  virtual void StartProgress() {}
  // "done of total" for the caption; the panel redraws only when the whole
  // percentage changes, so callers may call this often.
  virtual void ShowProgress(std::string_view /*caption*/, std::uint32_t /*done*/, std::uint32_t /*total*/) {}
  virtual void CloseProgress() {}
  // One non-waiting pass of the message pump. Callers throttle it to a few
  // milliseconds between calls.
  virtual void PumpMessages() {}
  // A failure the user must learn about (a save that did not reach the disk).
  virtual void ReportError(const std::string& /*message*/) {}
  // A question with "|"-separated buttons; returns the 1-based button chosen.
  // The default answers with the last button, which is always the cautious one.
  virtual int Ask(const std::string& /*message*/, const std::string& buttons) {
    int count = 1;
    for (char c : buttons) count += (c == '|');
    return count;
  }
};

// Messages use "|" as their line separator, so user text (an event's
// description, a category name) must not be pasted into one as it is: a "|"
// in it would start a new line, and many would push the buttons off the
// window. LiteralDialogText makes such text one literal line: its "|" become
// LiteralBar, which the dialog shows as "|" without splitting there, and its
// control characters (line breaks included) become spaces.
inline constexpr char LiteralBar = '\x1F';
inline std::string LiteralDialogText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '|') {
      c = LiteralBar;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      c = ' ';
    }
  }
  return out;
}

// A Host that does nothing; the default for code run without a window.
inline Host& SilentHost() {
  static Host host;
  return host;
}

}  // namespace kal
