// A private X server (Xvfb) and a small X client for desktop tests: finding,
// clicking, reading and closing the program's window as a user would.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace kal::test {

// Starts Xvfb on a free display; display() is empty when it could not start.
class XServer {
 public:
  XServer();
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// A connection to the display in $DISPLAY, with real pointer input through
// the XTEST extension (loaded at run time, so the build needs no XTEST files).
class XClient {
 public:
  XClient();
  ~XClient();
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;
  bool ok() const { return display_ != nullptr; }
  bool canClick() const { return button_ != nullptr; }

  // The first top-level window with this title that is mapped (or any state when
  // mappedOnly is false); 0 when none.
  unsigned long FindWindow(const std::string& title, bool mappedOnly = true);
  // Waits up to `seconds` for FindWindow to succeed.
  unsigned long WaitForWindow(const std::string& title, double seconds);
  bool IsMapped(unsigned long window);
  void Unmap(unsigned long window);
  // The window's position on the screen.
  bool Origin(unsigned long window, int& x, int& y);
  // One pixel of the window as 0x00BBGGRR; false when it cannot be read.
  bool Pixel(unsigned long window, int x, int y, std::uint32_t& colour);
  void Click(int screenX, int screenY, unsigned button);
  // Asks the window to close the way a window manager's close button does.
  void Close(unsigned long window);

 private:
  void* display_ = nullptr;
  void* xtst_ = nullptr;
  int (*motion_)(void*, int, int, int, unsigned long) = nullptr;
  int (*button_)(void*, unsigned, int, unsigned long) = nullptr;
};

}  // namespace kal::test
