// The tray icon of the real program with real hosts on a private X server:
// an XEmbed tray (trayer) clicked through XTEST, a StatusNotifierWatcher of
// our own on a private session bus, and a desktop with neither.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/desktop_fixture.h"

// Last: the X headers' None macro would hit the enums above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dbus/dbus.h>

namespace kal {
namespace {

using test::Eventually;
using test::Launch;
using test::LogLines;
using test::WaitExit;

constexpr const char* kTitle = "Kalendrina";
constexpr const char* kNoHostLine = "No tray icon host found: window minimized instead";

bool OnPath(const char* program) {
  const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// The test's own view of the X server, for what XClient does not show.
class XView {
 public:
  XView() : d_(XOpenDisplay(nullptr)) {}
  ~XView() {
    if (d_ != nullptr) XCloseDisplay(d_);
  }
  bool ok() const { return d_ != nullptr; }
  bool TrayRunning() {
    return XGetSelectionOwner(d_, XInternAtom(d_, "_NET_SYSTEM_TRAY_S0", False)) != None;
  }
  // The first window below `from` whose class name is `name`; 0 when none.
  Window FindByClass(const char* name, Window from = 0) {
    if (from == 0) from = DefaultRootWindow(d_);
    XClassHint hint{};
    if (XGetClassHint(d_, from, &hint)) {
      const bool match = hint.res_name != nullptr && std::string(hint.res_name) == name;
      XFree(hint.res_name);
      XFree(hint.res_class);
      if (match) return from;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(d_, from, &root, &parent, &children, &count)) {
      for (unsigned i = 0; i < count && found == 0; ++i) found = FindByClass(name, children[i]);
      if (children != nullptr) XFree(children);
    }
    return found;
  }
  Window Root() { return DefaultRootWindow(d_); }
  int Height(Window w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(d_, w, &a) ? a.height : 0;
  }
  Window Parent(Window w) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d_, w, &root, &parent, &children, &count)) return 0;
    if (children != nullptr) XFree(children);
    return parent;
  }
  // Sees the requests clients send to a window manager from now on.
  void WatchWindowManagerRequests() {
    XSelectInput(d_, DefaultRootWindow(d_), SubstructureNotifyMask);
    XSync(d_, False);
  }
  // Whether `window` asked the window manager to iconify it since the watch began.
  bool IconifyRequested(Window window) {
    const Atom changeState = XInternAtom(d_, "WM_CHANGE_STATE", False);
    while (XPending(d_) > 0) {
      XEvent e;
      XNextEvent(d_, &e);
      if (e.type == ClientMessage && e.xclient.message_type == changeState && e.xclient.window == window &&
          e.xclient.data.l[0] == IconicState) {
        iconified_.push_back(window);
      }
    }
    return std::find(iconified_.begin(), iconified_.end(), window) != iconified_.end();
  }
  void Forget() { iconified_.clear(); }

 private:
  Display* d_;
  std::vector<Window> iconified_;
};

// Everything of a D-Bus message as text: strings quoted, arrays [..],
// structs (..), variants <..>, dict entries k=v, byte arrays as y[count].
std::string Dump(DBusMessageIter* it) {
  std::string out;
  for (bool first = true; dbus_message_iter_get_arg_type(it) != DBUS_TYPE_INVALID; dbus_message_iter_next(it)) {
    if (!first) out += ',';
    first = false;
    const int type = dbus_message_iter_get_arg_type(it);
    DBusMessageIter sub;
    if (type == DBUS_TYPE_STRING || type == DBUS_TYPE_OBJECT_PATH) {
      const char* s = nullptr;
      dbus_message_iter_get_basic(it, &s);
      out += '"' + std::string(s) + '"';
    } else if (type == DBUS_TYPE_INT32 || type == DBUS_TYPE_UINT32 || type == DBUS_TYPE_BOOLEAN) {
      dbus_uint32_t v = 0;
      dbus_message_iter_get_basic(it, &v);
      out += type == DBUS_TYPE_INT32 ? std::to_string(static_cast<dbus_int32_t>(v)) : std::to_string(v);
    } else if (type == DBUS_TYPE_ARRAY && dbus_message_iter_get_element_type(it) == DBUS_TYPE_BYTE) {
      dbus_message_iter_recurse(it, &sub);
      const unsigned char* bytes = nullptr;
      int count = 0;
      dbus_message_iter_get_fixed_array(&sub, &bytes, &count);
      out += "y[" + std::to_string(count) + "]";
    } else {
      dbus_message_iter_recurse(it, &sub);
      const std::string inner = Dump(&sub);
      if (type == DBUS_TYPE_ARRAY) out += '[' + inner + ']';
      if (type == DBUS_TYPE_STRUCT) out += '(' + inner + ')';
      if (type == DBUS_TYPE_VARIANT) out += '<' + inner + '>';
      if (type == DBUS_TYPE_DICT_ENTRY) {
        const std::size_t comma = inner.find(',');
        out += inner.substr(1, comma - 2) + '=' + inner.substr(comma + 1);
      }
    }
  }
  return out;
}

// A private session bus and a StatusNotifierWatcher on it with a host behind
// it, as a panel provides; it notes every item that registers.
class SessionBus {
 public:
  explicit SessionBus(const std::filesystem::path& folder) {
    address_ = "unix:path=" + (folder / "bus").string();
    daemon_ = test::LaunchPeer({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address_});
    if (!Eventually(10, [&] { return std::filesystem::exists(folder / "bus"); })) return;
    dbus_threads_init_default();
    watcher_ = Connect();
    client_ = Connect();
    if (watcher_ == nullptr || client_ == nullptr ||
        dbus_bus_request_name(watcher_, "org.kde.StatusNotifierWatcher", 0, nullptr) !=
            DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
      return;
    }
    static const DBusObjectPathVTable vtable = {nullptr, OnWatcherCall, nullptr, nullptr, nullptr, nullptr};
    dbus_connection_register_object_path(watcher_, "/StatusNotifierWatcher", &vtable, this);
    thread_ = std::thread([this] {
      while (!stop_ && dbus_connection_read_write_dispatch(watcher_, 50)) {
        if (drop_.exchange(false)) dbus_bus_release_name(watcher_, "org.kde.StatusNotifierWatcher", nullptr);
      }
    });
  }
  ~SessionBus() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (DBusConnection* c : {watcher_, client_}) {
      if (c == nullptr) continue;
      dbus_connection_close(c);
      dbus_connection_unref(c);
    }
    test::StopPeer(daemon_);
  }
  bool ok() const { return thread_.joinable(); }
  const std::string& address() const { return address_; }
  std::vector<std::string> items() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return items_;
  }
  // The panel goes away, as when it crashes or is restarted.
  void DropWatcher() { drop_ = true; }
  bool HasOwner(const std::string& name) { return dbus_bus_name_has_owner(client_, name.c_str(), nullptr); }

  // Calls a method and returns its reply as text ("error: ..." when it failed).
  template <typename... Args>
  std::string Call(const std::string& name, const char* path, const char* iface, const char* method, Args... args) {
    DBusMessage* call = dbus_message_new_method_call(name.c_str(), path, iface, method);
    if constexpr (sizeof...(Args) > 0) dbus_message_append_args(call, args..., DBUS_TYPE_INVALID);
    return Send(call);
  }
  std::string Send(DBusMessage* call) {
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply = dbus_connection_send_with_reply_and_block(client_, call, 5000, &error);
    dbus_message_unref(call);
    if (reply == nullptr) {
      const std::string text = std::string("error: ") + (error.message != nullptr ? error.message : "?");
      dbus_error_free(&error);
      return text;
    }
    DBusMessageIter it;
    std::string text;
    if (dbus_message_iter_init(reply, &it)) text = Dump(&it);
    dbus_message_unref(reply);
    return text;
  }

 private:
  DBusConnection* Connect() {
    DBusConnection* c = dbus_connection_open_private(address_.c_str(), nullptr);
    if (c != nullptr && !dbus_bus_register(c, nullptr)) {
      dbus_connection_close(c);
      dbus_connection_unref(c);
      return nullptr;
    }
    return c;
  }
  static DBusHandlerResult OnWatcherCall(DBusConnection* c, DBusMessage* m, void* data) {
    auto* self = static_cast<SessionBus*>(data);
    DBusMessage* reply = nullptr;
    if (dbus_message_is_method_call(m, "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem")) {
      const char* service = nullptr;
      if (dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &service, DBUS_TYPE_INVALID)) {
        const std::lock_guard<std::mutex> lock(self->mutex_);
        self->items_.emplace_back(service);
      }
      reply = dbus_message_new_method_return(m);
    } else if (dbus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Get")) {
      reply = dbus_message_new_method_return(m);
      DBusMessageIter it, v;
      dbus_message_iter_init_append(reply, &it);
      dbus_message_iter_open_container(&it, DBUS_TYPE_VARIANT, "b", &v);
      const dbus_bool_t yes = TRUE;
      dbus_message_iter_append_basic(&v, DBUS_TYPE_BOOLEAN, &yes);
      dbus_message_iter_close_container(&it, &v);
    } else {
      return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
    dbus_connection_send(c, reply, nullptr);
    dbus_message_unref(reply);
    return DBUS_HANDLER_RESULT_HANDLED;
  }

  std::string address_;
  pid_t daemon_ = -1;
  DBusConnection* watcher_ = nullptr;
  DBusConnection* client_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> drop_{false};
  std::mutex mutex_;
  std::vector<std::string> items_;
};

class TrayTest : public test::DesktopFixture {
 protected:
  void SetUp() override {
    DesktopFixture::SetUp();
    if (IsSkipped()) return;
    x = std::make_unique<test::XClient>();
    view = std::make_unique<XView>();
    ASSERT_TRUE(x->ok() && view->ok());
    if (!x->canClick()) GTEST_SKIP() << "the X server has no XTEST extension to click with";
  }
  void TearDown() override {
    if (program > 0) WaitExit(program, 0);
    test::StopPeer(tray);
  }
  // Clicks "Minimize To Tray" in the top right corner of the header.
  void ClickMinimize(unsigned long window) {
    int ox = 0, oy = 0;
    ASSERT_TRUE(x->Origin(window, ox, oy));
    x->Click(ox + 1024 - 50, oy + 14, 1);
  }
  bool Logged(const std::string& line) {
    const auto log = LogLines(data.File("error.log"));
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  bool ExitedWithItsExitSequence() {
    const int code = WaitExit(program, 20);
    program = -1;
    const auto log = LogLines(data.File("error.log"));
    return code == 0 && !log.empty() && log.back() == "Bye Bye";
  }

  std::unique_ptr<test::XClient> x;
  std::unique_ptr<XView> view;
  pid_t program = -1;
  pid_t tray = -1;
};

TEST_F(TrayTest, XEmbedTrayShowsTheIconTakesItsClicksAndItsMenuExits) {
  if (!OnPath("trayer")) GTEST_SKIP() << "trayer (an XEmbed tray) is not installed";
  tray = test::LaunchPeer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"});
  ASSERT_TRUE(Eventually(10, [&] { return view->TrayRunning(); })) << "trayer did not take the tray selection";

  program = Launch(DataArgs());
  const unsigned long window = x->WaitForWindow(kTitle, 20);
  ASSERT_NE(window, 0u);
  EXPECT_EQ(view->FindByClass("kalendrina-tray"), 0u) << "an icon while the window is shown";

  // "Minimize To Tray": the window goes, the icon appears inside the tray, drawn.
  ClickMinimize(window);
  Window icon = 0;
  ASSERT_TRUE(Eventually(10, [&] { return (icon = view->FindByClass("kalendrina-tray")) != 0 && x->IsMapped(icon); }))
      << "no icon in the tray";
  EXPECT_FALSE(x->IsMapped(window));
  EXPECT_NE(view->Parent(icon), view->Root()) << "the icon was not docked";
  std::vector<std::uint32_t> colours;
  EXPECT_TRUE(Eventually(5, [&] {
    colours.clear();
    for (const int p : {1, 6, 11, 16, 20}) {
      std::uint32_t c = 0;
      if (x->Pixel(icon, p, p, c)) colours.push_back(c);
    }
    std::sort(colours.begin(), colours.end());
    return std::unique(colours.begin(), colours.end()) - colours.begin() >= 3;
  })) << "the icon is not drawn";

  // Pointing at the icon shows its tip; a left click brings the window back and takes the icon away.
  int ix = 0, iy = 0;
  ASSERT_TRUE(x->Origin(icon, ix, iy));
  if (OnPath("xdotool")) {
    test::WaitExit(test::LaunchPeer({"xdotool", "mousemove", std::to_string(ix + 11), std::to_string(iy + 11)}), 10);
    EXPECT_TRUE(Eventually(5, [&] { return x->FindWindow("Kalendrina tray tip") != 0; })) << "no tip";
  }
  x->Click(ix + 11, iy + 11, 1);
  EXPECT_TRUE(Eventually(10, [&] { return x->IsMapped(window); })) << "the window did not come back";
  EXPECT_TRUE(Eventually(10, [&] { return view->FindByClass("kalendrina-tray") == 0; })) << "the icon stayed";

  // A right click opens the menu; its last item, "Exit", runs the exit sequence.
  ClickMinimize(window);
  ASSERT_TRUE(Eventually(10, [&] { return (icon = view->FindByClass("kalendrina-tray")) != 0 && x->IsMapped(icon); }));
  ASSERT_TRUE(x->Origin(icon, ix, iy));
  x->Click(ix + 11, iy + 11, 3);
  unsigned long menu = 0;
  ASSERT_TRUE(Eventually(10, [&] { return (menu = x->FindWindow("Kalendrina tray menu")) != 0; })) << "no menu";
  int mx = 0, my = 0;
  ASSERT_TRUE(x->Origin(menu, mx, my));
  x->Click(mx + 10, my + view->Height(menu) - 4, 1);
  EXPECT_TRUE(ExitedWithItsExitSequence());
}

TEST_F(TrayTest, StatusNotifierItemRegistersWithIconTitleAndMenuAndActivateShowsTheWindow) {
  if (!OnPath("dbus-daemon")) GTEST_SKIP() << "dbus-daemon is not installed";
  SessionBus bus(runtime.path());
  if (!bus.ok()) GTEST_SKIP() << "the private session bus did not start";
  setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);

  // "/silent" starts in the tray: registered, the window not shown.
  program = Launch(DataArgs({"/silent"}));
  ASSERT_TRUE(Eventually(20, [&] { return bus.items().size() == 1; })) << "the item never registered";
  const std::string item = bus.items()[0];
  EXPECT_NE(x->FindWindow(kTitle, false), 0u);
  EXPECT_EQ(x->FindWindow(kTitle, true), 0u) << "a /silent start showed the window";

  const char* iface = "org.kde.StatusNotifierItem";
  const std::string props =
      bus.Call(item, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "GetAll", DBUS_TYPE_STRING, &iface);
  for (const char* want : {"Title=<\"Kalendrina\">", "Status=<\"Active\">", "ToolTip=<(\"\",[],\"Kalendrina\",\"\")>",
                           "Menu=<\"/MenuBar\">", "ItemIsMenu=<0>", "(16,16,y[1024])", "(32,32,y[4096])",
                           "(64,64,y[16384])"}) {
    EXPECT_NE(props.find(want), std::string::npos) << want << " in " << props;
  }
  const dbus_int32_t root = 0;
  const dbus_int32_t depth = -1;
  DBusMessage* layout = dbus_message_new_method_call(item.c_str(), "/MenuBar", "com.canonical.dbusmenu", "GetLayout");
  DBusMessageIter it, names;
  dbus_message_iter_init_append(layout, &it);
  dbus_message_iter_append_basic(&it, DBUS_TYPE_INT32, &root);
  dbus_message_iter_append_basic(&it, DBUS_TYPE_INT32, &depth);
  dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "s", &names);
  dbus_message_iter_close_container(&it, &names);
  EXPECT_EQ(bus.Send(layout),
            "1,(0,[children-display=<\"submenu\">],[<(1,[label=<\"Show Kalendrina\">],[])>,"
            "<(2,[type=<\"separator\">],[])>,<(3,[label=<\"E_xit Kalendrina\">],[])>])");

  // Activate (a left click in the panel) shows the window and the item leaves.
  const dbus_int32_t zero = 0;
  bus.Call(item, "/StatusNotifierItem", iface, "Activate", DBUS_TYPE_INT32, &zero, DBUS_TYPE_INT32, &zero);
  EXPECT_TRUE(Eventually(10, [&] { return x->FindWindow(kTitle, true) != 0; })) << "Activate did not show the window";
  EXPECT_TRUE(Eventually(10, [&] { return !bus.HasOwner(item); })) << "the item stayed on the bus";

  // "Minimize To Tray" registers it again; the menu's "Exit" ends the program.
  ClickMinimize(x->FindWindow(kTitle, true));
  ASSERT_TRUE(Eventually(10, [&] { return bus.items().size() == 2; }));
  const std::string again = bus.items()[1];
  EXPECT_TRUE(Eventually(10, [&] { return x->FindWindow(kTitle, true) == 0; }));
  const dbus_int32_t exitItem = 3;
  const char* clicked = "clicked";
  DBusMessage* event = dbus_message_new_method_call(again.c_str(), "/MenuBar", "com.canonical.dbusmenu", "Event");
  dbus_message_iter_init_append(event, &it);
  dbus_message_iter_append_basic(&it, DBUS_TYPE_INT32, &exitItem);
  dbus_message_iter_append_basic(&it, DBUS_TYPE_STRING, &clicked);
  DBusMessageIter v;
  dbus_message_iter_open_container(&it, DBUS_TYPE_VARIANT, "i", &v);
  dbus_message_iter_append_basic(&v, DBUS_TYPE_INT32, &zero);
  dbus_message_iter_close_container(&it, &v);
  const dbus_uint32_t time = 0;
  dbus_message_iter_append_basic(&it, DBUS_TYPE_UINT32, &time);
  EXPECT_EQ(bus.Send(event), "");
  EXPECT_TRUE(ExitedWithItsExitSequence());
}

TEST_F(TrayTest, APanelThatGoesAwayGivesTheWindowBack) {
  if (!OnPath("dbus-daemon")) GTEST_SKIP() << "dbus-daemon is not installed";
  SessionBus bus(runtime.path());
  if (!bus.ok()) GTEST_SKIP() << "the private session bus did not start";
  setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
  program = Launch(DataArgs({"/silent"}));
  ASSERT_TRUE(Eventually(20, [&] { return bus.items().size() == 1; }));
  EXPECT_EQ(x->FindWindow(kTitle, true), 0u);
  bus.DropWatcher();
  const unsigned long window = x->WaitForWindow(kTitle, 10);
  EXPECT_NE(window, 0u) << "the window stayed hidden with no icon to bring it back";
  EXPECT_TRUE(Eventually(10, [&] { return !bus.HasOwner(bus.items()[0]); })) << "the item stayed on the bus";
  x->Close(window);
  EXPECT_TRUE(ExitedWithItsExitSequence());
}

TEST_F(TrayTest, WithNeitherHostTheWindowIsMinimisedNotHidden) {
  ASSERT_FALSE(view->TrayRunning()) << "a tray is left from another test";
  view->WatchWindowManagerRequests();
  // A "/silent" start shows the window minimised: it must not start unreachable.
  program = Launch(DataArgs({"/silent"}));
  const unsigned long window = x->WaitForWindow(kTitle, 20);
  ASSERT_NE(window, 0u) << "a /silent start without a tray left the window hidden";
  EXPECT_TRUE(Eventually(10, [&] { return view->IconifyRequested(window); })) << "not minimised at start";
  EXPECT_TRUE(Eventually(5, [&] { return Logged(kNoHostLine); }));

  // Brought back (here no window manager iconified it), "Minimize To Tray" minimises again.
  view->Forget();
  ClickMinimize(window);
  EXPECT_TRUE(Eventually(10, [&] { return view->IconifyRequested(window); })) << "not minimised";
  EXPECT_TRUE(x->IsMapped(window));
  EXPECT_EQ(view->FindByClass("kalendrina-tray"), 0u);
  x->Close(window);
  EXPECT_TRUE(ExitedWithItsExitSequence());
}

}  // namespace
}  // namespace kal
