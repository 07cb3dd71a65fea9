// The icon as a StatusNotifierItem on the session D-Bus, with its menu as
// com.canonical.dbusmenu. Used only by the tray worker thread (tray.cpp).
//
// libdbus is used directly: it is on every desktop that has a session bus,
// whatever its init system (sd-bus would tie the program to libsystemd), and
// the few objects served here need no binding on top.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

struct DBusConnection;

namespace kal {

class SniTray {
 public:
  using Post = std::function<void(const PlatformEvent&)>;
  SniTray(Post post, std::string tip, std::string program);
  ~SniTray();
  SniTray(const SniTray&) = delete;
  SniTray& operator=(const SniTray&) = delete;

  // Connects, exports the item and registers it with the watcher; false (and
  // disconnected) when there is no session bus, no watcher, no host behind
  // the watcher, or the watcher refuses.
  bool Show(const std::vector<IconPixels>& images);
  void Hide();
  bool shown() const { return connection_ != nullptr; }
  // The connection's socket while shown, else -1.
  int fd() const;
  // Reads and answers what arrived on the socket; never blocks.
  void Dispatch();

  // Called from libdbus's callbacks.
  int HandleMessage(void* message);
  int HandleSignal(void* message);

 private:
  Post post_;
  std::string tip_;
  std::string program_;
  std::string busName_;
  std::vector<IconPixels> images_;
  DBusConnection* connection_ = nullptr;
  bool filterAdded_ = false;
  int serial_ = 0;
};

// The session bus address: $DBUS_SESSION_BUS_ADDRESS, else the usual socket in
// $XDG_RUNTIME_DIR when it exists; empty when there is none (never autolaunch
// a bus for a tray icon).
std::string SessionBusAddress();

}  // namespace kal
