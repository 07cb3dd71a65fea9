#include "support/xvfb.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace kal::test {

XServer::XServer() {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // A server that never reports its display must not hang the suite.
  std::string number;
  char c = 0;
  pollfd pfd{fds[0], POLLIN, 0};
  while (poll(&pfd, 1, 15000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
  close(fds[0]);
  if (!number.empty()) display_ = ":" + number;
}

XServer::~XServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

namespace {
Display* D(void* p) { return static_cast<Display*>(p); }
}  // namespace

XClient::XClient() {
  display_ = XOpenDisplay(nullptr);
  xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
  if (xtst_ != nullptr) {
    motion_ = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(dlsym(xtst_, "XTestFakeMotionEvent"));
    button_ = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(dlsym(xtst_, "XTestFakeButtonEvent"));
    if (motion_ == nullptr) button_ = nullptr;
  }
}

XClient::~XClient() {
  if (display_ != nullptr) XCloseDisplay(D(display_));
  if (xtst_ != nullptr) dlclose(xtst_);
}

unsigned long XClient::FindWindow(const std::string& title, bool mappedOnly) {
  if (display_ == nullptr) return 0;
  Display* d = D(display_);
  Window root = DefaultRootWindow(d);
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, root, &root, &parent, &children, &count)) return 0;
  unsigned long found = 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    char* name = nullptr;
    if (XFetchName(d, children[i], &name) && name != nullptr) {
      if (title == name && (!mappedOnly || IsMapped(children[i]))) found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

unsigned long XClient::WaitForWindow(const std::string& title, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (const unsigned long w = FindWindow(title)) return w;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return 0;
}

bool XClient::IsMapped(unsigned long window) {
  XWindowAttributes a{};
  return display_ != nullptr && XGetWindowAttributes(D(display_), window, &a) && a.map_state == IsViewable;
}

void XClient::Unmap(unsigned long window) {
  XUnmapWindow(D(display_), window);
  XSync(D(display_), False);
}

bool XClient::Origin(unsigned long window, int& x, int& y) {
  Window child = 0;
  return XTranslateCoordinates(D(display_), window, DefaultRootWindow(D(display_)), 0, 0, &x, &y, &child);
}

bool XClient::Pixel(unsigned long window, int x, int y, std::uint32_t& colour) {
  XImage* image = XGetImage(D(display_), window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const unsigned long p = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  // TrueColor 24-bit: red in bits 16-23.
  colour = static_cast<std::uint32_t>(((p >> 16) & 255) | (p & 0xFF00) | ((p & 255) << 16));
  return true;
}

void XClient::Click(int screenX, int screenY, unsigned button) {
  if (button_ == nullptr) return;
  motion_(display_, 0, screenX, screenY, 0);
  button_(display_, button, 1, 0);
  button_(display_, button, 0, 0);
  XFlush(D(display_));
}

void XClient::Close(unsigned long window) {
  Display* d = D(display_);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, window, False, NoEventMask, &e);
  XFlush(d);
}

pid_t Launch(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {KALENDRINA_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  return LaunchPeer(argv);
}

pid_t LaunchPeer(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

int WaitExit(pid_t pid, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

void StopPeer(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  if (WaitExit(pid, 5) == -1) return;  // killed by WaitExit
}

std::vector<std::string> LogLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool Eventually(double seconds, const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
    if (std::chrono::steady_clock::now() > end) return false;
  }
  return true;
}

}  // namespace kal::test
