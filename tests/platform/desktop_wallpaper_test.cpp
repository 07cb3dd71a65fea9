#include "platform/desktop_wallpaper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "platform/images.h"
#include "support/test_support.h"
#include "support/xvfb.h"

// Last: Xlib's macros (None, Success, Status) would rewrite names in the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kal {
namespace {

// Answers each call from a table (by the whole argument vector joined with
// blanks) and keeps every call in order.
struct RecordingRunner : ProcessRunner {
  ProcessResult Run(const std::vector<std::string>& argv) override {
    calls.push_back(argv);
    std::string joined;
    for (const std::string& a : argv) joined += (joined.empty() ? "" : " ") + a;
    ProcessResult r;
    r.started = true;
    const auto it = replies.find(joined);
    r.exitStatus = it == replies.end() ? (answerAll ? 0 : 1) : 0;
    if (it != replies.end()) r.output = it->second;
    return r;
  }
  std::map<std::string, std::string> replies;
  std::vector<std::vector<std::string>> calls;
  bool answerAll = false;  // calls not in the table succeed silently
};

using Argv = std::vector<std::string>;

TEST(DesktopWallpaper, SettingsToolsAreCalledWithTheExactArguments) {
  // Cinnamon's and MATE's schemas, xfconfd and Plasma are not installed on
  // the test machine, so these backends are checked by the calls they make
  // and by reading back answers in each tool's real output format.
  const std::string pic = "/home/me/My Sea's.jpg";
  const std::string uri = "file:///home/me/My%20Sea%27s.jpg";
  struct Row {
    const char* desktop;
    std::map<std::string, std::string> replies;
    std::string picture;
    WallpaperPlacement placement;
    Colour colour;
    std::vector<Argv> setCalls;
  };
  const std::string plasmaSet =
      "string:var all = desktops();for (var i = 0; i < all.length; i++) { var d = all[i]; d.wallpaperPlugin = "
      "'org.kde.image'; d.currentConfigGroup = Array('Wallpaper', 'org.kde.image', 'General'); "
      "d.writeConfig('Image', '" + uri + "'); }";
  const Argv dbus = {"dbus-send", "--session", "--dest=org.kde.plasmashell", "--type=method_call",
                     "--print-reply=literal", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript"};
  const std::string plasmaRead =
      "string:var d = desktops()[0];d.currentConfigGroup = Array('Wallpaper', 'org.kde.image', 'General');"
      "print(d.readConfig('Image') + '\\t' + d.readConfig('FillMode') + '\\t' + d.readConfig('Color'));";
  std::string dbusJoined;
  for (const auto& a : dbus) dbusJoined += (dbusJoined.empty() ? "" : " ") + a;
  const std::string xfProp = "/backdrop/screen0/monitorVirtual1/workspace0/";
  const Row rows[] = {
      {"cinnamon",
       {{"gsettings get org.cinnamon.desktop.background picture-uri", "'" + uri + "'\n"},
        {"gsettings get org.cinnamon.desktop.background picture-options", "'centered'\n"},
        {"gsettings get org.cinnamon.desktop.background primary-color", "'#102030'\n"}},
       pic, WallpaperPlacement::Centred, Rgb(16, 32, 48),
       {{"gsettings", "set", "org.cinnamon.desktop.background", "picture-uri", "'" + uri + "'"}}},
      {"mate",
       {{"gsettings get org.mate.background picture-filename", "\"" + std::string("/home/me/My Sea's.jpg") + "\"\n"},
        {"gsettings get org.mate.background picture-options", "'wallpaper'\n"}},
       pic, WallpaperPlacement::Tiled, DefaultDesktopColour,
       {{"gsettings", "set", "org.mate.background", "picture-filename", "'/home/me/My Sea\\'s.jpg'"}}},
      {"xfce",
       {{"xfconf-query -c xfce4-desktop -l",
         "/backdrop/screen0/monitorVirtual1/workspace0/color-style\n" + xfProp + "last-image\n" +
             "/backdrop/screen0/monitorVirtual1/workspace1/last-image\n/backdrop/single-workspace-mode\n"},
        {"xfconf-query -c xfce4-desktop -p " + xfProp + "last-image", pic + "\n"},
        {"xfconf-query -c xfce4-desktop -p " + xfProp + "image-style", "4\n"}},
       pic, WallpaperPlacement::Fitted, DefaultDesktopColour,
       {{"xfconf-query", "-c", "xfce4-desktop", "-l"},
        {"xfconf-query", "-c", "xfce4-desktop", "-p", xfProp + "last-image", "-s", pic},
        {"xfconf-query", "-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitorVirtual1/workspace1/last-image", "-s",
         pic}}},
      {"kde",
       {{dbusJoined + " " + plasmaRead, "   " + uri + "\t1\t#ff8000\n"}},
       pic, WallpaperPlacement::Fitted, Rgb(255, 128, 0),
       {[&] {
         Argv a = dbus;
         a.push_back(plasmaSet);
         return a;
       }()}},
  };
  for (const Row& r : rows) {
    RecordingRunner runner;
    runner.replies = r.replies;
    auto backend = MakeDesktopWallpaper(r.desktop, runner);
    ASSERT_EQ(backend->Name(), r.desktop);
    const DesktopBackground b = backend->Read();
    EXPECT_EQ(b.picture, r.picture) << r.desktop;
    EXPECT_EQ(b.placement, r.placement) << r.desktop;
    EXPECT_EQ(b.colour, r.colour) << r.desktop;
    runner.calls.clear();
    runner.answerAll = true;
    EXPECT_TRUE(backend->SetPicture(pic)) << r.desktop;
    EXPECT_EQ(runner.calls, r.setCalls) << r.desktop;
  }
}

TEST(DesktopWallpaper, TheSessionsDesktopIsChosenFromItsNameAndTools) {
  struct Row {
    const char* override;
    const char* xdg;
    const char* display;
    bool toolsInstalled;
    const char* chosen;
  };
  const Row rows[] = {
      {"", "ubuntu:GNOME", ":0", true, "gnome"},   {"", "X-Cinnamon", ":0", true, "cinnamon"},
      {"", "MATE", "", true, "mate"},              {"", "XFCE", ":0", true, "xfce"},
      {"", "KDE", ":0", true, "kde"},              {"", "Budgie:GNOME", ":0", true, "gnome"},
      {"", "GNOME", ":0", false, "x11"},           {"", "i3", ":1", true, "x11"},
      {"", "", "", true, "none"},                  {"XFCE", "GNOME", ":0", false, "xfce"},
      {"bogus", "LXQt:KDE", ":0", true, "kde"},
  };
  for (const Row& r : rows) {
    const auto tools = r.toolsInstalled ? +[](const std::string&) { return true; }
                                        : +[](const std::string&) { return false; };
    EXPECT_EQ(DetectDesktop(r.override, r.xdg, r.display, tools), r.chosen) << r.xdg << " / " << r.override;
  }
}

TEST(DesktopWallpaper, FileUrisRoundTripAndOnlyLocalOnesAreFiles) {
  const std::pair<std::string, std::string> pairs[] = {
      {"/a b/c%d#e.jpg", "file:///a%20b/c%25d%23e.jpg"}, {"/caf\xC3\xA9.png", "file:///caf%C3%A9.png"}};
  for (const auto& [path, uri] : pairs) {
    EXPECT_EQ(FileUri(path), uri);
    EXPECT_EQ(FileFromUri(uri), path);
  }
  EXPECT_EQ(FileFromUri("file://localhost/x.png"), "/x.png");
  for (const char* other : {"http://example.org/x.png", "file://server/x.png", "resource:///x", "file:///a%00b"}) {
    EXPECT_EQ(FileFromUri(other), std::nullopt) << other;
  }
}

TEST(DesktopWallpaper, GnomeBackendSetsReadsAndRestoresThroughRealGsettings) {
  if (!ProgramInPath("gsettings")) GTEST_SKIP() << "gsettings is not installed";
  SystemProcessRunner probe;
  if (!probe.Run({"gsettings", "list-keys", "org.gnome.desktop.background"}).ok()) {
    GTEST_SKIP() << "the schema org.gnome.desktop.background is not installed";
  }
  // The keyfile backend in a private configuration folder: the test never
  // touches a real desktop's settings.
  test::TempDir config;
  const char* oldBackend = std::getenv("GSETTINGS_BACKEND");
  const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string savedBackend = oldBackend ? oldBackend : "", savedConfig = oldConfig ? oldConfig : "";
  setenv("GSETTINGS_BACKEND", "keyfile", 1);
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  SystemProcessRunner runner;
  auto gnome = MakeDesktopWallpaper("gnome", runner);
  const std::string user = config.File("user's picture.jpg");
  const std::string ours = config.File("wallpaper.bmp");
  EXPECT_TRUE(gnome->SetPicture(user));
  EXPECT_EQ(gnome->Read().picture, user);
  EXPECT_EQ(gnome->Read().placement, WallpaperPlacement::Filled);  // the schema's "zoom"
  EXPECT_TRUE(gnome->SetPicture(ours));
  EXPECT_EQ(gnome->Read().picture, ours);
  // Both the light and the dark picture follow.
  const ProcessResult dark = runner.Run({"gsettings", "get", "org.gnome.desktop.background", "picture-uri-dark"});
  EXPECT_EQ(dark.output, "'" + FileUri(ours) + "'\n");
  EXPECT_TRUE(gnome->SetPicture(user));
  EXPECT_EQ(gnome->Read().picture, user);
  EXPECT_TRUE(runner.Run({"gsettings", "set", "org.gnome.desktop.background", "picture-options", "'scaled'"}).ok());
  EXPECT_EQ(gnome->Read().placement, WallpaperPlacement::Fitted);
  EXPECT_TRUE(gnome->SetPicture(""));
  EXPECT_EQ(gnome->Read().picture, std::string());
  savedBackend.empty() ? unsetenv("GSETTINGS_BACKEND") : setenv("GSETTINGS_BACKEND", savedBackend.c_str(), 1);
  savedConfig.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
}

// The pixel (x, y) of the pixmap a root-window property names.
bool RootPixmapPixel(const std::string& display, const char* property, int x, int y, Colour& out,
                     unsigned long* pixmapId = nullptr) {
  Display* d = XOpenDisplay(display.c_str());
  if (d == nullptr) return false;
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  bool ok = false;
  if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, property, False), 0, 1, False, XA_PIXMAP, &type,
                         &format, &items, &after, &data) == 0 &&
      items == 1 && data != nullptr) {
    const Pixmap pm = *reinterpret_cast<Pixmap*>(data);
    if (pixmapId != nullptr) *pixmapId = pm;
    if (XImage* image = XGetImage(d, pm, x, y, 1, 1, AllPlanes, ZPixmap)) {
      const unsigned long p = XGetPixel(image, 0, 0);
      out = Rgb(static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255), static_cast<int>(p & 255));
      XDestroyImage(image);
      ok = true;
    }
  }
  if (data != nullptr) XFree(data);
  XCloseDisplay(d);
  return ok;
}

TEST(DesktopWallpaper, X11BackendPutsThePictureIntoTheRootPixmapProperties) {
  test::XServer server;
  if (server.display().empty()) GTEST_SKIP() << "Xvfb could not start";
  // A session always has a client connected (the window manager at least);
  // without one the server resets when ours leaves, and the pixmap goes too.
  Display* session = XOpenDisplay(server.display().c_str());
  ASSERT_NE(session, nullptr);
  test::TempDir temp;
  // The test server's screen is 1280 x 1024; a picture of that size fills it.
  Surface picture(1280, 1024, Rgb(10, 20, 30));
  for (int x = 0; x < 1280; ++x) picture.Row(700)[x] = Rgb(200, x % 256, 7);
  ASSERT_TRUE(WritePng(picture, temp.File("first.png")));
  Surface small(40, 20, Rgb(250, 0, 250));
  ASSERT_TRUE(WritePng(small, temp.File("small.png")));
  auto x11 = MakeX11RootPixmap(server.display());
  EXPECT_EQ(x11->Read().picture, std::nullopt);  // the root window keeps no file name
  ASSERT_TRUE(x11->SetPicture(temp.File("first.png")));
  struct Probe {
    int x, y;
    Colour colour;
  };
  unsigned long first = 0, again = 0;
  for (const Probe p : {Probe{0, 0, Rgb(10, 20, 30)}, Probe{300, 700, Rgb(200, 300 % 256, 7)},
                        Probe{1279, 1023, Rgb(10, 20, 30)}}) {
    for (const char* property : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
      Colour c = 0;
      ASSERT_TRUE(RootPixmapPixel(server.display(), property, p.x, p.y, c, &first)) << property;
      EXPECT_EQ(c, p.colour) << property << " at " << p.x << "," << p.y;
    }
  }
  // A smaller picture is centred over the desktop colour, in a new pixmap.
  ASSERT_TRUE(x11->SetPicture(temp.File("small.png")));
  Colour c = 0;
  ASSERT_TRUE(RootPixmapPixel(server.display(), "_XROOTPMAP_ID", 640, 512, c, &again));
  EXPECT_EQ(c, Rgb(250, 0, 250));
  ASSERT_TRUE(RootPixmapPixel(server.display(), "_XROOTPMAP_ID", 600, 512, c));
  EXPECT_EQ(c, DefaultDesktopColour);
  EXPECT_NE(first, again);
  EXPECT_FALSE(x11->SetPicture(temp.File("missing.png")));
  XCloseDisplay(session);
}

}  // namespace
}  // namespace kal
