#include "platform/tray_sni.h"

#include <dbus/dbus.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/tray.h"

namespace kal {

namespace {

constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kMenuInterface = "com.canonical.dbusmenu";
constexpr const char* kMenuPath = "/MenuBar";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kIntrospectable = "org.freedesktop.DBus.Introspectable";
constexpr int kCallTimeoutMs = 1000;

// Menu item ids; 0 is the root.
constexpr int kItemShow = 1;
constexpr int kItemSeparator = 2;
constexpr int kItemExit = 3;
constexpr dbus_uint32_t kMenuRevision = 1;

constexpr const char* kIntrospection =
    "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\" "
    "\"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n"
    "<node>\n"
    " <interface name=\"org.kde.StatusNotifierItem\">\n"
    "  <property name=\"Category\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"Id\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"Title\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"Status\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"WindowId\" type=\"i\" access=\"read\"/>\n"
    "  <property name=\"IconName\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"IconPixmap\" type=\"a(iiay)\" access=\"read\"/>\n"
    "  <property name=\"OverlayIconName\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"OverlayIconPixmap\" type=\"a(iiay)\" access=\"read\"/>\n"
    "  <property name=\"AttentionIconName\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"AttentionIconPixmap\" type=\"a(iiay)\" access=\"read\"/>\n"
    "  <property name=\"AttentionMovieName\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"ToolTip\" type=\"(sa(iiay)ss)\" access=\"read\"/>\n"
    "  <property name=\"ItemIsMenu\" type=\"b\" access=\"read\"/>\n"
    "  <property name=\"Menu\" type=\"o\" access=\"read\"/>\n"
    "  <method name=\"ContextMenu\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>\n"
    "  <method name=\"Activate\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>\n"
    "  <method name=\"SecondaryActivate\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>\n"
    "  <method name=\"Scroll\"><arg name=\"delta\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"orientation\" type=\"s\" direction=\"in\"/></method>\n"
    "  <signal name=\"NewTitle\"/><signal name=\"NewIcon\"/><signal name=\"NewToolTip\"/>\n"
    "  <signal name=\"NewStatus\"><arg name=\"status\" type=\"s\"/></signal>\n"
    " </interface>\n"
    " <interface name=\"com.canonical.dbusmenu\">\n"
    "  <property name=\"Version\" type=\"u\" access=\"read\"/>\n"
    "  <property name=\"TextDirection\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"Status\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"IconThemePath\" type=\"as\" access=\"read\"/>\n"
    "  <method name=\"GetLayout\"><arg type=\"i\" name=\"parentId\" direction=\"in\"/>"
    "<arg type=\"i\" name=\"recursionDepth\" direction=\"in\"/>"
    "<arg type=\"as\" name=\"propertyNames\" direction=\"in\"/>"
    "<arg type=\"u\" name=\"revision\" direction=\"out\"/>"
    "<arg type=\"(ia{sv}av)\" name=\"layout\" direction=\"out\"/></method>\n"
    "  <method name=\"GetGroupProperties\"><arg type=\"ai\" name=\"ids\" direction=\"in\"/>"
    "<arg type=\"as\" name=\"propertyNames\" direction=\"in\"/>"
    "<arg type=\"a(ia{sv})\" name=\"properties\" direction=\"out\"/></method>\n"
    "  <method name=\"GetProperty\"><arg type=\"i\" name=\"id\" direction=\"in\"/>"
    "<arg type=\"s\" name=\"name\" direction=\"in\"/><arg type=\"v\" name=\"value\" direction=\"out\"/></method>\n"
    "  <method name=\"Event\"><arg type=\"i\" name=\"id\" direction=\"in\"/>"
    "<arg type=\"s\" name=\"eventId\" direction=\"in\"/><arg type=\"v\" name=\"data\" direction=\"in\"/>"
    "<arg type=\"u\" name=\"timestamp\" direction=\"in\"/></method>\n"
    "  <method name=\"EventGroup\"><arg type=\"a(isvu)\" name=\"events\" direction=\"in\"/>"
    "<arg type=\"ai\" name=\"idErrors\" direction=\"out\"/></method>\n"
    "  <method name=\"AboutToShow\"><arg type=\"i\" name=\"id\" direction=\"in\"/>"
    "<arg type=\"b\" name=\"needUpdate\" direction=\"out\"/></method>\n"
    "  <method name=\"AboutToShowGroup\"><arg type=\"ai\" name=\"ids\" direction=\"in\"/>"
    "<arg type=\"ai\" name=\"updatesNeeded\" direction=\"out\"/>"
    "<arg type=\"ai\" name=\"idErrors\" direction=\"out\"/></method>\n"
    "  <signal name=\"LayoutUpdated\"><arg type=\"u\" name=\"revision\"/><arg type=\"i\" name=\"parent\"/></signal>\n"
    " </interface>\n"
    " <interface name=\"org.freedesktop.DBus.Properties\">\n"
    "  <method name=\"Get\"><arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
    "<arg type=\"v\" direction=\"out\"/></method>\n"
    "  <method name=\"GetAll\"><arg type=\"s\" direction=\"in\"/><arg type=\"a{sv}\" direction=\"out\"/></method>\n"
    " </interface>\n"
    " <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
    "  <method name=\"Introspect\"><arg type=\"s\" direction=\"out\"/></method>\n"
    " </interface>\n"
    "</node>\n";

using Iter = DBusMessageIter;

void Open(Iter* it, int type, const char* signature, Iter* sub) {
  dbus_message_iter_open_container(it, type, signature, sub);
}
void Close(Iter* it, Iter* sub) { dbus_message_iter_close_container(it, sub); }

void AppendString(Iter* it, const std::string& s) {
  const char* p = s.c_str();
  dbus_message_iter_append_basic(it, DBUS_TYPE_STRING, &p);
}
void AppendInt(Iter* it, dbus_int32_t v) { dbus_message_iter_append_basic(it, DBUS_TYPE_INT32, &v); }

void AppendPixmaps(Iter* it, const std::vector<IconPixels>& images) {
  Iter array;
  Open(it, DBUS_TYPE_ARRAY, "(iiay)", &array);
  for (const IconPixels& image : images) {
    // ARGB32 in network byte order.
    std::vector<unsigned char> bytes;
    bytes.reserve(image.argb.size() * 4);
    for (const std::uint32_t p : image.argb) {
      for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(p >> shift));
    }
    Iter entry;
    Open(&array, DBUS_TYPE_STRUCT, nullptr, &entry);
    AppendInt(&entry, image.width);
    AppendInt(&entry, image.height);
    Iter data;
    Open(&entry, DBUS_TYPE_ARRAY, "y", &data);
    const unsigned char* start = bytes.data();
    dbus_message_iter_append_fixed_array(&data, DBUS_TYPE_BYTE, &start, static_cast<int>(bytes.size()));
    Close(&entry, &data);
    Close(&array, &entry);
  }
  Close(it, &array);
}

// One variant of the basic type `type` ('s', 'o', 'b', 'i', 'u').
void AppendVariant(Iter* it, int type, const void* value) {
  const char signature[2] = {static_cast<char>(type), 0};
  Iter v;
  Open(it, DBUS_TYPE_VARIANT, signature, &v);
  if (type == DBUS_TYPE_STRING || type == DBUS_TYPE_OBJECT_PATH) {
    const char* p = static_cast<const std::string*>(value)->c_str();
    dbus_message_iter_append_basic(&v, type, &p);
  } else {
    dbus_message_iter_append_basic(&v, type, value);
  }
  Close(it, &v);
}

void AppendVariantString(Iter* it, const std::string& s) { AppendVariant(it, DBUS_TYPE_STRING, &s); }

const std::vector<std::string>& ItemPropertyNames() {
  static const std::vector<std::string> names = {
      "Category",          "Id",         "Title",          "Status",           "WindowId",
      "IconName",          "IconPixmap", "OverlayIconName", "OverlayIconPixmap", "AttentionIconName",
      "AttentionIconPixmap", "AttentionMovieName", "ToolTip", "ItemIsMenu",       "Menu"};
  return names;
}

const std::vector<std::string>& MenuPropertyNames() {
  static const std::vector<std::string> names = {"Version", "TextDirection", "Status", "IconThemePath"};
  return names;
}

// One menu item's properties as (name, value) string pairs.
std::vector<std::pair<std::string, std::string>> MenuItemProperties(int id, const std::string& program) {
  switch (id) {
    case 0: return {{"children-display", "submenu"}};
    case kItemShow: return {{"label", TrayShowLabel(program)}};
    case kItemSeparator: return {{"type", "separator"}};
    case kItemExit: return {{"label", TrayExitLabel(program)}};
    default: return {};
  }
}

bool KnownMenuItem(int id) { return id >= 0 && id <= kItemExit; }

std::vector<std::string> ReadStrings(Iter* it) {
  std::vector<std::string> out;
  if (dbus_message_iter_get_arg_type(it) != DBUS_TYPE_ARRAY) return out;
  Iter sub;
  dbus_message_iter_recurse(it, &sub);
  while (dbus_message_iter_get_arg_type(&sub) == DBUS_TYPE_STRING) {
    const char* s = nullptr;
    dbus_message_iter_get_basic(&sub, &s);
    out.emplace_back(s);
    dbus_message_iter_next(&sub);
  }
  return out;
}

std::vector<int> ReadInts(Iter* it) {
  std::vector<int> out;
  if (dbus_message_iter_get_arg_type(it) != DBUS_TYPE_ARRAY) return out;
  Iter sub;
  dbus_message_iter_recurse(it, &sub);
  while (dbus_message_iter_get_arg_type(&sub) == DBUS_TYPE_INT32) {
    dbus_int32_t v = 0;
    dbus_message_iter_get_basic(&sub, &v);
    out.push_back(v);
    dbus_message_iter_next(&sub);
  }
  return out;
}

void AppendMenuProperties(Iter* it, int id, const std::string& program, const std::vector<std::string>& wanted) {
  Iter dict;
  Open(it, DBUS_TYPE_ARRAY, "{sv}", &dict);
  for (const auto& [name, value] : MenuItemProperties(id, program)) {
    bool asked = wanted.empty();
    for (const std::string& w : wanted) asked = asked || w == name;
    if (!asked) continue;
    Iter entry;
    Open(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    AppendString(&entry, name);
    AppendVariantString(&entry, value);
    Close(&dict, &entry);
  }
  Close(it, &dict);
}

void AppendMenuLayout(Iter* it, int id, int depth, const std::string& program, const std::vector<std::string>& wanted) {
  Iter item;
  Open(it, DBUS_TYPE_STRUCT, nullptr, &item);
  AppendInt(&item, id);
  AppendMenuProperties(&item, id, program, wanted);
  Iter children;
  Open(&item, DBUS_TYPE_ARRAY, "v", &children);
  if (id == 0 && depth != 0) {
    for (const int child : {kItemShow, kItemSeparator, kItemExit}) {
      Iter v;
      Open(&children, DBUS_TYPE_VARIANT, "(ia{sv}av)", &v);
      AppendMenuLayout(&v, child, depth - 1, program, wanted);
      Close(&children, &v);
    }
  }
  Close(&item, &children);
  Close(it, &item);
}

DBusHandlerResult OnMessage(DBusConnection*, DBusMessage* message, void* data) {
  return static_cast<DBusHandlerResult>(static_cast<SniTray*>(data)->HandleMessage(message));
}

DBusHandlerResult OnSignal(DBusConnection*, DBusMessage* message, void* data) {
  return static_cast<DBusHandlerResult>(static_cast<SniTray*>(data)->HandleSignal(message));
}

// A method call with a reply, or null (and the error dropped).
DBusMessage* Call(DBusConnection* c, DBusMessage* call) {
  DBusError error;
  dbus_error_init(&error);
  DBusMessage* reply = dbus_connection_send_with_reply_and_block(c, call, kCallTimeoutMs, &error);
  dbus_message_unref(call);
  dbus_error_free(&error);
  return reply;
}

// Whether a tray shows what the watcher gets; a watcher that cannot say is believed.
bool HostRegistered(DBusConnection* c) {
  DBusMessage* call = dbus_message_new_method_call(kWatcherName, kWatcherPath, kProperties, "Get");
  const char* iface = kWatcherName;
  const char* name = "IsStatusNotifierHostRegistered";
  dbus_message_append_args(call, DBUS_TYPE_STRING, &iface, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID);
  DBusMessage* reply = Call(c, call);
  if (reply == nullptr) return true;
  bool registered = true;
  Iter it;
  if (dbus_message_iter_init(reply, &it) && dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_VARIANT) {
    Iter v;
    dbus_message_iter_recurse(&it, &v);
    if (dbus_message_iter_get_arg_type(&v) == DBUS_TYPE_BOOLEAN) {
      dbus_bool_t b = TRUE;
      dbus_message_iter_get_basic(&v, &b);
      registered = b != 0;
    }
  }
  dbus_message_unref(reply);
  return registered;
}

}  // namespace

std::string SessionBusAddress() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address != nullptr && *address != 0) {
    return address;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime == 0) return {};
  const std::filesystem::path socket = std::filesystem::path(runtime) / "bus";
  std::error_code error;
  if (!std::filesystem::is_socket(socket, error)) return {};
  return "unix:path=" + socket.string();
}

SniTray::SniTray(Post post, std::string tip, std::string program)
    : post_(std::move(post)), tip_(std::move(tip)), program_(std::move(program)) {}

SniTray::~SniTray() { Hide(); }

int SniTray::fd() const {
  int fd = -1;
  if (connection_ == nullptr || !dbus_connection_get_unix_fd(connection_, &fd)) return -1;
  return fd;
}

bool SniTray::Show(const std::vector<IconPixels>& images) {
  Hide();
  const std::string address = SessionBusAddress();
  if (address.empty()) return false;
  images_ = images;
  DBusError error;
  dbus_error_init(&error);
  connection_ = dbus_connection_open_private(address.c_str(), &error);
  if (connection_ == nullptr) {
    dbus_error_free(&error);
    return false;
  }
  dbus_connection_set_exit_on_disconnect(connection_, FALSE);
  const auto fail = [&] {
    dbus_error_free(&error);
    Hide();
    return false;
  };
  if (!dbus_bus_register(connection_, &error)) return fail();
  if (!dbus_bus_name_has_owner(connection_, kWatcherName, &error) || !HostRegistered(connection_)) return fail();

  busName_ = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++serial_);
  if (dbus_bus_request_name(connection_, busName_.c_str(), DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
      DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
    return fail();
  }
  static const DBusObjectPathVTable vtable = {nullptr, OnMessage, nullptr, nullptr, nullptr, nullptr};
  if (!dbus_connection_register_object_path(connection_, kItemPath, &vtable, this) ||
      !dbus_connection_register_object_path(connection_, kMenuPath, &vtable, this)) {
    return fail();
  }
  // A watcher that goes away while the window is hidden takes the only way back with it.
  dbus_bus_add_match(connection_,
                     "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                     "member='NameOwnerChanged',arg0='org.kde.StatusNotifierWatcher'",
                     nullptr);
  filterAdded_ = dbus_connection_add_filter(connection_, OnSignal, this, nullptr) != 0;

  DBusMessage* call = dbus_message_new_method_call(kWatcherName, kWatcherPath, kWatcherName,
                                                   "RegisterStatusNotifierItem");
  const char* name = busName_.c_str();
  dbus_message_append_args(call, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID);
  DBusMessage* reply = Call(connection_, call);
  if (reply == nullptr || dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_ERROR) {
    if (reply != nullptr) dbus_message_unref(reply);
    return fail();
  }
  dbus_message_unref(reply);
  dbus_error_free(&error);
  return true;
}

void SniTray::Hide() {
  if (connection_ == nullptr) return;
  // Closing drops the bus name; the watcher takes that as the item leaving.
  if (filterAdded_) dbus_connection_remove_filter(connection_, OnSignal, this);
  filterAdded_ = false;
  dbus_connection_close(connection_);
  dbus_connection_unref(connection_);
  connection_ = nullptr;
}

void SniTray::Dispatch() {
  if (connection_ == nullptr) return;
  dbus_connection_read_write(connection_, 0);
  while (dbus_connection_dispatch(connection_) == DBUS_DISPATCH_DATA_REMAINS) {
  }
  dbus_connection_flush(connection_);
}

int SniTray::HandleSignal(void* raw) {
  auto* message = static_cast<DBusMessage*>(raw);
  const bool ownerChanged = dbus_message_is_signal(message, "org.freedesktop.DBus", "NameOwnerChanged");
  const bool disconnected = dbus_message_is_signal(message, DBUS_INTERFACE_LOCAL, "Disconnected");
  if (!ownerChanged && !disconnected) return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
  if (ownerChanged) {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (!dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &oldOwner,
                               DBUS_TYPE_STRING, &newOwner, DBUS_TYPE_INVALID) ||
        std::string(name) != kWatcherName || *newOwner != 0) {
      return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
  }
  PlatformEvent e;
  e.type = EventType::Command;
  e.id = CommandShow;
  post_(e);
  return DBUS_HANDLER_RESULT_HANDLED;
}

int SniTray::HandleMessage(void* raw) {
  auto* message = static_cast<DBusMessage*>(raw);
  if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_METHOD_CALL) return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
  const std::string iface = dbus_message_get_interface(message) != nullptr ? dbus_message_get_interface(message) : "";
  const std::string member = dbus_message_get_member(message) != nullptr ? dbus_message_get_member(message) : "";
  const std::string path = dbus_message_get_path(message) != nullptr ? dbus_message_get_path(message) : "";
  const bool onItem = path == kItemPath;

  DBusMessage* reply = dbus_message_new_method_return(message);
  Iter in;
  const bool hasArgs = dbus_message_iter_init(message, &in);
  Iter out;
  dbus_message_iter_init_append(reply, &out);
  const char* errorName = nullptr;

  const auto post = [this](EventType type, MouseButton button, int id) {
    PlatformEvent e;
    e.type = type;
    e.button = button;
    e.id = id;
    post_(e);
  };
  const auto menuClicked = [&](int id) {
    if (id == kItemShow) post(EventType::Command, MouseButton::Left, CommandShow);
    if (id == kItemExit) post(EventType::Command, MouseButton::Left, CommandExit);
  };
  // Writes one property's variant; false when the object has no such property.
  const auto property = [&](Iter* it, const std::string& name) {
    if (onItem) {
      const dbus_bool_t no = FALSE;
      const dbus_int32_t zero = 0;
      if (name == "Category") AppendVariantString(it, "ApplicationStatus");
      else if (name == "Id") AppendVariantString(it, "kalendrina");
      else if (name == "Title") AppendVariantString(it, tip_);
      else if (name == "Status") AppendVariantString(it, "Active");
      else if (name == "WindowId") AppendVariant(it, DBUS_TYPE_INT32, &zero);
      else if (name == "IconName" || name == "OverlayIconName" || name == "AttentionIconName" ||
               name == "AttentionMovieName") AppendVariantString(it, "");
      else if (name == "IconPixmap" || name == "OverlayIconPixmap" || name == "AttentionIconPixmap") {
        Iter v;
        Open(it, DBUS_TYPE_VARIANT, "a(iiay)", &v);
        AppendPixmaps(&v, name == "IconPixmap" ? images_ : std::vector<IconPixels>{});
        Close(it, &v);
      } else if (name == "ToolTip") {
        Iter v;
        Open(it, DBUS_TYPE_VARIANT, "(sa(iiay)ss)", &v);
        Iter s;
        Open(&v, DBUS_TYPE_STRUCT, nullptr, &s);
        AppendString(&s, "");
        AppendPixmaps(&s, {});
        AppendString(&s, tip_);
        AppendString(&s, "");
        Close(&v, &s);
        Close(it, &v);
      } else if (name == "ItemIsMenu") AppendVariant(it, DBUS_TYPE_BOOLEAN, &no);
      else if (name == "Menu") {
        const std::string menu = kMenuPath;
        AppendVariant(it, DBUS_TYPE_OBJECT_PATH, &menu);
      } else return false;
      return true;
    }
    const dbus_uint32_t version = 3;
    if (name == "Version") AppendVariant(it, DBUS_TYPE_UINT32, &version);
    else if (name == "TextDirection") AppendVariantString(it, "ltr");
    else if (name == "Status") AppendVariantString(it, "normal");
    else if (name == "IconThemePath") {
      Iter v;
      Open(it, DBUS_TYPE_VARIANT, "as", &v);
      Iter a;
      Open(&v, DBUS_TYPE_ARRAY, "s", &a);
      Close(&v, &a);
      Close(it, &v);
    } else return false;
    return true;
  };

  const auto readInt = [&](Iter* it) {
    dbus_int32_t v = 0;
    if (dbus_message_iter_get_arg_type(it) == DBUS_TYPE_INT32) dbus_message_iter_get_basic(it, &v);
    dbus_message_iter_next(it);
    return static_cast<int>(v);
  };
  const auto readString = [&](Iter* it) {
    const char* s = "";
    if (dbus_message_iter_get_arg_type(it) == DBUS_TYPE_STRING) dbus_message_iter_get_basic(it, &s);
    dbus_message_iter_next(it);
    return std::string(s);
  };

  if (iface == kIntrospectable && member == "Introspect") {
    AppendString(&out, kIntrospection);
  } else if (iface == kProperties && (member == "Get" || member == "GetAll") && hasArgs) {
    const std::string wantedIface = readString(&in);
    const bool ours = wantedIface == (onItem ? kItemInterface : kMenuInterface);
    if (member == "Get") {
      if (!ours || !property(&out, readString(&in))) errorName = DBUS_ERROR_UNKNOWN_PROPERTY;
    } else {
      Iter dict;
      Open(&out, DBUS_TYPE_ARRAY, "{sv}", &dict);
      if (ours) {
        for (const std::string& name : onItem ? ItemPropertyNames() : MenuPropertyNames()) {
          Iter entry;
          Open(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
          AppendString(&entry, name);
          property(&entry, name);
          Close(&dict, &entry);
        }
      }
      Close(&out, &dict);
    }
  } else if (onItem && iface == kItemInterface) {
    if (member == "Activate") post(EventType::TrayClick, MouseButton::Left, 0);
    else if (member == "ContextMenu") post(EventType::TrayClick, MouseButton::Right, 0);
    else if (member != "SecondaryActivate" && member != "Scroll") errorName = DBUS_ERROR_UNKNOWN_METHOD;
  } else if (!onItem && iface == kMenuInterface) {
    if (member == "GetLayout" && hasArgs) {
      const int parent = readInt(&in);
      const int depth = readInt(&in);
      const std::vector<std::string> wanted = ReadStrings(&in);
      if (!KnownMenuItem(parent)) {
        errorName = DBUS_ERROR_INVALID_ARGS;
      } else {
        const dbus_uint32_t revision = kMenuRevision;
        dbus_message_iter_append_basic(&out, DBUS_TYPE_UINT32, &revision);
        AppendMenuLayout(&out, parent, depth, program_, wanted);
      }
    } else if (member == "GetGroupProperties" && hasArgs) {
      const std::vector<int> ids = ReadInts(&in);
      dbus_message_iter_next(&in);
      const std::vector<std::string> wanted = ReadStrings(&in);
      Iter array;
      Open(&out, DBUS_TYPE_ARRAY, "(ia{sv})", &array);
      for (const int id : ids) {
        if (!KnownMenuItem(id)) continue;
        Iter entry;
        Open(&array, DBUS_TYPE_STRUCT, nullptr, &entry);
        AppendInt(&entry, id);
        AppendMenuProperties(&entry, id, program_, wanted);
        Close(&array, &entry);
      }
      Close(&out, &array);
    } else if (member == "GetProperty" && hasArgs) {
      const int id = readInt(&in);
      const std::string name = readString(&in);
      bool found = false;
      for (const auto& [key, value] : MenuItemProperties(id, program_)) {
        if (key != name) continue;
        AppendVariantString(&out, value);
        found = true;
      }
      if (!found) errorName = DBUS_ERROR_INVALID_ARGS;
    } else if (member == "Event" && hasArgs) {
      const int id = readInt(&in);
      if (readString(&in) == "clicked") menuClicked(id);
    } else if (member == "EventGroup" && hasArgs) {
      Iter events;
      dbus_message_iter_recurse(&in, &events);
      Iter errors;
      Open(&out, DBUS_TYPE_ARRAY, "i", &errors);
      while (dbus_message_iter_get_arg_type(&events) == DBUS_TYPE_STRUCT) {
        Iter event;
        dbus_message_iter_recurse(&events, &event);
        const int id = readInt(&event);
        if (!KnownMenuItem(id)) AppendInt(&errors, id);
        else if (readString(&event) == "clicked") menuClicked(id);
        dbus_message_iter_next(&events);
      }
      Close(&out, &errors);
    } else if (member == "AboutToShow") {
      const dbus_bool_t no = FALSE;
      dbus_message_iter_append_basic(&out, DBUS_TYPE_BOOLEAN, &no);
    } else if (member == "AboutToShowGroup") {
      for (int i = 0; i < 2; ++i) {
        Iter a;
        Open(&out, DBUS_TYPE_ARRAY, "i", &a);
        Close(&out, &a);
      }
    } else {
      errorName = DBUS_ERROR_UNKNOWN_METHOD;
    }
  } else {
    dbus_message_unref(reply);
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
  }

  if (errorName != nullptr) {
    dbus_message_unref(reply);
    reply = dbus_message_new_error(message, errorName, member.c_str());
  }
  if (!dbus_message_get_no_reply(message)) dbus_connection_send(connection_, reply, nullptr);
  dbus_message_unref(reply);
  return DBUS_HANDLER_RESULT_HANDLED;
}

}  // namespace kal
