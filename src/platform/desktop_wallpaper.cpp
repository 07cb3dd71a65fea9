#include "platform/desktop_wallpaper.h"

#include <cctype>
#include <cstdlib>
#include <vector>

namespace kal {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string TrimmedLine(std::string_view s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return std::string(s);
}

// A GVariant string as gsettings prints it: 'text' or "text" with backslash
// escapes. Anything else is taken as it stands.
std::string GVariantString(std::string_view printed) {
  std::string s = TrimmedLine(printed);
  if (s.size() < 2 || (s.front() != '\'' && s.front() != '"') || s.back() != s.front()) return s;
  std::string out;
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    if (s[i] == '\\' && i + 2 < s.size()) ++i;
    out.push_back(s[i]);
  }
  return out;
}

// The text gsettings reads back as the same string.
std::string GVariantQuoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out + "'";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "#rrggbb" (or "#rrrrggggbbbb", of which the high bytes count).
std::optional<Colour> HexColour(std::string_view text) {
  if (text.empty() || text.front() != '#') return std::nullopt;
  text.remove_prefix(1);
  const std::size_t width = text.size() == 6 ? 2 : text.size() == 12 ? 4 : 0;
  if (width == 0) return std::nullopt;
  int c[3];
  for (int k = 0; k < 3; ++k) {
    const int hi = HexDigit(text[k * width]);
    const int lo = HexDigit(text[k * width + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    c[k] = hi * 16 + lo;
  }
  return Rgb(c[0], c[1], c[2]);
}

bool LocalReadable(const std::string& path) { return !path.empty() && path.front() == '/'; }

// GNOME, its relatives and Cinnamon keep a URI, MATE a plain path; all name
// the placement alike.
class GsettingsWallpaper : public DesktopWallpaper {
 public:
  GsettingsWallpaper(std::string name, ProcessRunner& runner, std::string schema, std::vector<std::string> pictureKeys,
                     bool keysHoldUris)
      : name_(std::move(name)),
        runner_(runner),
        schema_(std::move(schema)),
        pictureKeys_(std::move(pictureKeys)),
        uris_(keysHoldUris) {}

  std::string Name() const override { return name_; }

  DesktopBackground Read() override {
    DesktopBackground b;
    const ProcessResult picture = Get(pictureKeys_.front());
    if (picture.ok()) {
      const std::string value = GVariantString(picture.output);
      if (value.empty()) {
        b.picture = std::string();
      } else if (uris_) {
        b.picture = FileFromUri(value);
      } else if (LocalReadable(value)) {
        b.picture = value;
      }
    }
    const ProcessResult options = Get("picture-options");
    if (options.ok()) b.placement = PlacementOf(GVariantString(options.output));
    const ProcessResult colour = Get("primary-color");
    if (colour.ok()) b.colour = HexColour(GVariantString(colour.output)).value_or(DefaultDesktopColour);
    return b;
  }

  bool SetPicture(const std::string& file) override {
    const std::string value = GVariantQuoted(uris_ && !file.empty() ? FileUri(file) : file);
    bool ok = true;
    // Every key the desktop may show from (the light and the dark style).
    for (const std::string& key : pictureKeys_) ok = runner_.Run({"gsettings", "set", schema_, key, value}).ok() && ok;
    return ok;
  }

 private:
  ProcessResult Get(const std::string& key) { return runner_.Run({"gsettings", "get", schema_, key}); }

  static WallpaperPlacement PlacementOf(const std::string& option) {
    if (option == "none") return WallpaperPlacement::NoPicture;
    if (option == "wallpaper") return WallpaperPlacement::Tiled;
    if (option == "centered") return WallpaperPlacement::Centred;
    if (option == "scaled") return WallpaperPlacement::Fitted;
    if (option == "stretched") return WallpaperPlacement::Stretched;
    if (option == "spanned") return WallpaperPlacement::Spanned;
    return WallpaperPlacement::Filled;  // "zoom", the default
  }

  std::string name_;
  ProcessRunner& runner_;
  std::string schema_;
  std::vector<std::string> pictureKeys_;
  bool uris_;
};

// XFCE keeps one picture per monitor and workspace, each a property
// ".../last-image" of the channel xfce4-desktop, with ".../image-style" beside it.
class XfconfWallpaper : public DesktopWallpaper {
 public:
  explicit XfconfWallpaper(ProcessRunner& runner) : runner_(runner) {}
  std::string Name() const override { return "xfce"; }

  DesktopBackground Read() override {
    DesktopBackground b;
    const std::vector<std::string> images = ImageProperties();
    if (images.empty()) return b;
    const ProcessResult picture = runner_.Run({"xfconf-query", "-c", kChannel, "-p", images.front()});
    if (picture.ok()) {
      const std::string value = TrimmedLine(picture.output);
      if (value.empty() || LocalReadable(value)) b.picture = value;
    }
    const std::string stylePath = images.front().substr(0, images.front().size() - kImageKey.size()) + "image-style";
    const ProcessResult style = runner_.Run({"xfconf-query", "-c", kChannel, "-p", stylePath});
    if (style.ok()) {
      static constexpr WallpaperPlacement kStyles[] = {
          WallpaperPlacement::NoPicture,   WallpaperPlacement::Centred, WallpaperPlacement::Tiled,
          WallpaperPlacement::Stretched, WallpaperPlacement::Fitted, WallpaperPlacement::Filled,
          WallpaperPlacement::Spanned};
      const int n = std::atoi(TrimmedLine(style.output).c_str());
      if (n >= 0 && n < 7) b.placement = kStyles[n];
    }
    return b;
  }

  bool SetPicture(const std::string& file) override {
    std::vector<std::string> images = ImageProperties();
    bool ok = true;
    if (images.empty()) {
      // A desktop that never had a picture set has no properties yet.
      return runner_.Run({"xfconf-query", "-c", kChannel, "-p", "/backdrop/screen0/monitor0/workspace0/last-image",
                          "-n", "-t", "string", "-s", file})
          .ok();
    }
    for (const std::string& p : images) ok = runner_.Run({"xfconf-query", "-c", kChannel, "-p", p, "-s", file}).ok() && ok;
    return ok;
  }

 private:
  static constexpr const char* kChannel = "xfce4-desktop";
  static inline const std::string kImageKey = "last-image";

  std::vector<std::string> ImageProperties() {
    std::vector<std::string> out;
    const ProcessResult list = runner_.Run({"xfconf-query", "-c", kChannel, "-l"});
    if (!list.ok()) return out;
    std::size_t start = 0;
    while (start < list.output.size()) {
      std::size_t end = list.output.find('\n', start);
      if (end == std::string::npos) end = list.output.size();
      const std::string line = TrimmedLine(std::string_view(list.output).substr(start, end - start));
      if (line.rfind("/backdrop/", 0) == 0 && line.size() > kImageKey.size() &&
          line.compare(line.size() - kImageKey.size(), kImageKey.size(), kImageKey) == 0 &&
          line[line.size() - kImageKey.size() - 1] == '/') {
        out.push_back(line);
      }
      start = end + 1;
    }
    return out;
  }

  ProcessRunner& runner_;
};

// Plasma keeps the picture in each desktop containment's configuration and
// changes it only through its scripting interface on the session bus.
class PlasmaWallpaper : public DesktopWallpaper {
 public:
  explicit PlasmaWallpaper(ProcessRunner& runner) : runner_(runner) {}
  std::string Name() const override { return "kde"; }

  DesktopBackground Read() override {
    DesktopBackground b;
    const ProcessResult r = Evaluate(
        "var d = desktops()[0];"
        "d.currentConfigGroup = Array('Wallpaper', 'org.kde.image', 'General');"
        "print(d.readConfig('Image') + '\\t' + d.readConfig('FillMode') + '\\t' + d.readConfig('Color'));");
    if (!r.ok()) return b;
    const std::string reply = TrimmedLine(r.output);
    const std::size_t tab1 = reply.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? std::string::npos : reply.find('\t', tab1 + 1);
    const std::string image = reply.substr(0, tab1);
    if (image.empty()) {
      b.picture = std::string();
    } else if (image.rfind("file:", 0) == 0) {
      b.picture = FileFromUri(image);
    } else if (LocalReadable(image)) {
      b.picture = image;
    }
    if (tab1 != std::string::npos) {
      static constexpr WallpaperPlacement kModes[] = {
          WallpaperPlacement::Stretched, WallpaperPlacement::Fitted, WallpaperPlacement::Filled,
          WallpaperPlacement::Tiled,     WallpaperPlacement::Tiled,  WallpaperPlacement::Tiled,
          WallpaperPlacement::Centred};
      const std::string mode = reply.substr(tab1 + 1, tab2 == std::string::npos ? std::string::npos : tab2 - tab1 - 1);
      const int n = mode.empty() ? 2 : std::atoi(mode.c_str());
      if (n >= 0 && n < 7) b.placement = kModes[n];
    }
    if (tab2 != std::string::npos) b.colour = HexColour(reply.substr(tab2 + 1)).value_or(DefaultDesktopColour);
    return b;
  }

  bool SetPicture(const std::string& file) override {
    // The URI is percent-encoded, so it holds no quote or backslash that
    // could end the script's string early.
    const std::string uri = file.empty() ? std::string() : FileUri(file);
    return Evaluate("var all = desktops();"
                    "for (var i = 0; i < all.length; i++) {"
                    " var d = all[i]; d.wallpaperPlugin = 'org.kde.image';"
                    " d.currentConfigGroup = Array('Wallpaper', 'org.kde.image', 'General');"
                    " d.writeConfig('Image', '" + uri + "'); }")
        .ok();
  }

 private:
  ProcessResult Evaluate(const std::string& script) {
    return runner_.Run({"dbus-send", "--session", "--dest=org.kde.plasmashell", "--type=method_call",
                        "--print-reply=literal", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript",
                        "string:" + script});
  }

  ProcessRunner& runner_;
};

class NoDesktopWallpaper : public DesktopWallpaper {
 public:
  std::string Name() const override { return "none"; }
  DesktopBackground Read() override { return {}; }
  bool SetPicture(const std::string&) override { return false; }
};

}  // namespace

std::string FileUri(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

std::optional<std::string> FileFromUri(std::string_view uri) {
  constexpr std::string_view kLocal = "file://";
  if (uri.substr(0, kLocal.size()) != kLocal) return std::nullopt;
  uri.remove_prefix(kLocal.size());
  // "file://localhost/..." names this machine too.
  if (uri.substr(0, 9) == "localhost") uri.remove_prefix(9);
  if (uri.empty() || uri.front() != '/') return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && HexDigit(uri[i + 1]) >= 0 && HexDigit(uri[i + 2]) >= 0) {
      const char c = static_cast<char>(HexDigit(uri[i + 1]) * 16 + HexDigit(uri[i + 2]));
      if (c == '\0') return std::nullopt;
      out.push_back(c);
      i += 2;
    } else {
      out.push_back(uri[i]);
    }
  }
  return out;
}

std::unique_ptr<DesktopWallpaper> MakeDesktopWallpaper(std::string_view name, ProcessRunner& runner) {
  if (name == "gnome") {
    return std::make_unique<GsettingsWallpaper>("gnome", runner, "org.gnome.desktop.background",
                                                std::vector<std::string>{"picture-uri", "picture-uri-dark"}, true);
  }
  if (name == "cinnamon") {
    return std::make_unique<GsettingsWallpaper>("cinnamon", runner, "org.cinnamon.desktop.background",
                                                std::vector<std::string>{"picture-uri"}, true);
  }
  if (name == "mate") {
    return std::make_unique<GsettingsWallpaper>("mate", runner, "org.mate.background",
                                                std::vector<std::string>{"picture-filename"}, false);
  }
  if (name == "xfce") return std::make_unique<XfconfWallpaper>(runner);
  if (name == "kde") return std::make_unique<PlasmaWallpaper>(runner);
  if (name == "x11") return MakeX11RootPixmap();
  return std::make_unique<NoDesktopWallpaper>();
}

std::string DetectDesktop(std::string_view override, std::string_view xdgCurrentDesktop, std::string_view display,
                          bool (*installed)(const std::string&)) {
  static constexpr const char* kKnown[] = {"gnome", "cinnamon", "mate", "xfce", "kde", "x11", "none"};
  const std::string wanted = Lower(override);
  for (const char* k : kKnown) {
    if (wanted == k) return wanted;
  }
  // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first.
  const std::string list = Lower(xdgCurrentDesktop);
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    start = end + 1;
    std::string found;
    if (entry == "x-cinnamon" || entry == "cinnamon") {
      found = "cinnamon";
    } else if (entry == "mate") {
      found = "mate";
    } else if (entry == "xfce") {
      found = "xfce";
    } else if (entry == "kde") {
      found = "kde";
    } else if (entry == "gnome" || entry == "gnome-classic" || entry == "gnome-flashback" || entry == "unity" ||
               entry == "ubuntu" || entry == "budgie" || entry == "budgie-desktop" || entry == "pantheon" ||
               entry == "pop") {
      found = "gnome";
    }
    if (found.empty()) continue;
    const char* tool = found == "xfce" ? "xfconf-query" : found == "kde" ? "dbus-send" : "gsettings";
    if (installed(tool)) return found;
  }
  if (!display.empty()) return "x11";
  return "none";
}

std::string DetectSessionDesktop(const std::string& configured) {
  const auto env = [](const char* name) {
    const char* v = std::getenv(name);
    return std::string(v != nullptr ? v : "");
  };
  return DetectDesktop(configured.empty() ? env("KALENDRINA_DESKTOP") : configured, env("XDG_CURRENT_DESKTOP"),
                       env("DISPLAY"));
}

}  // namespace kal
