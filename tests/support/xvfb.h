// A private X server (Xvfb) and a small X client for desktop tests: finding,
// clicking, reading and closing the program's window as a user would.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// Starts the program (KALENDRINA_EXE) with the arguments; it inherits the
// environment, which carries DISPLAY and the private folders.
pid_t Launch(const std::vector<std::string>& args);
// Starts any other program found on PATH; -1 when it cannot be started.
pid_t LaunchPeer(const std::vector<std::string>& argv);
// Waits for the process to end and returns its exit code; -1 when it did not
// end in time (it is then killed), -2 when a signal ended it.
int WaitExit(pid_t pid, double seconds);
// Ends a peer started for a test and waits for it.
void StopPeer(pid_t pid);
// The lines of a text file, without line ends.
std::vector<std::string> LogLines(const std::string& path);
// Asks `done` every 50 ms until it holds or `seconds` have passed.
bool Eventually(double seconds, const std::function<bool()>& done);

}  // namespace kal::test
