// The wallpaper of a bare X11 session: the root window's background pixmap,
// announced through the _XROOTPMAP_ID and ESETROOT_PMAP_ID properties that
// compositors and transparent terminals read.
// Our headers come first: Xlib defines macros (None, Success) that would
// rewrite names in them.
#include "platform/desktop_wallpaper.h"
#include "platform/images.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

namespace kal {

namespace {

// Xlib's default handler ends the process on any protocol error; freeing a
// pixmap another client left behind may well raise one.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

Pixmap PixmapProperty(Display* d, Window root, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  Pixmap result = None;
  if (XGetWindowProperty(d, root, property, 0, 1, False, XA_PIXMAP, &type, &format, &items, &after, &data) ==
          Success &&
      type == XA_PIXMAP && format == 32 && items == 1 && data != nullptr) {
    result = *reinterpret_cast<Pixmap*>(data);
  }
  if (data != nullptr) XFree(data);
  return result;
}

class X11RootPixmap : public DesktopWallpaper {
 public:
  explicit X11RootPixmap(std::string display) : display_(std::move(display)) {}
  std::string Name() const override { return "x11"; }

  // The root window keeps pixels, not a file name: the picture is unknown,
  // so the user's remembered wallpaper stays as it is.
  DesktopBackground Read() override { return {}; }

  bool SetPicture(const std::string& file) override {
    Surface picture;
    if (!file.empty() && !LoadImageFile(file, picture)) return false;
    Display* d = XOpenDisplay(display_.empty() ? nullptr : display_.c_str());
    if (d == nullptr) return false;
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    Visual* visual = DefaultVisual(d, screen);
    const int depth = DefaultDepth(d, screen);
    if ((depth != 24 && depth != 32) || visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 ||
        visual->blue_mask != 0xFF) {
      XCloseDisplay(d);
      return false;
    }
    const int w = DisplayWidth(d, screen);
    const int h = DisplayHeight(d, screen);
    auto* pixels = static_cast<std::uint32_t*>(std::malloc(static_cast<std::size_t>(w) * h * 4));
    if (pixels == nullptr) {
      XCloseDisplay(d);
      return false;
    }
    // The program's picture is made at screen size; another one is centred.
    const int x0 = (w - picture.width()) / 2;
    const int y0 = (h - picture.height()) / 2;
    const auto native = [](Colour c) {
      return static_cast<std::uint32_t>(RedOf(c)) << 16 | static_cast<std::uint32_t>(GreenOf(c)) << 8 |
             static_cast<std::uint32_t>(BlueOf(c));
    };
    const std::uint32_t background = native(DefaultDesktopColour);
    for (int y = 0; y < h; ++y) {
      std::uint32_t* row = pixels + static_cast<std::size_t>(y) * w;
      const int py = y - y0;
      for (int x = 0; x < w; ++x) {
        const int px = x - x0;
        const bool inside = py >= 0 && py < picture.height() && px >= 0 && px < picture.width();
        row[x] = inside ? native(picture.At(px, py)) : background;
      }
    }
    XErrorHandler previous = XSetErrorHandler(IgnoreXError);
    XImage* image = XCreateImage(d, visual, static_cast<unsigned>(depth), ZPixmap, 0, reinterpret_cast<char*>(pixels),
                                 static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
    if (image == nullptr) {
      std::free(pixels);
      XSetErrorHandler(previous);
      XCloseDisplay(d);
      return false;
    }
    const Pixmap pixmap = XCreatePixmap(d, root, static_cast<unsigned>(w), static_cast<unsigned>(h),
                                        static_cast<unsigned>(depth));
    GC gc = XCreateGC(d, pixmap, 0, nullptr);
    XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFreeGC(d, gc);
    XDestroyImage(image);  // frees the pixels too

    const Atom rootId = XInternAtom(d, "_XROOTPMAP_ID", False);
    const Atom esetrootId = XInternAtom(d, "ESETROOT_PMAP_ID", False);
    // The setter before us kept its pixmap alive for the properties; as every
    // setter does, free it when both properties still name it.
    const Pixmap old = PixmapProperty(d, root, rootId);
    if (old != None && old == PixmapProperty(d, root, esetrootId)) XKillClient(d, old);
    XChangeProperty(d, root, rootId, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XChangeProperty(d, root, esetrootId, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSetWindowBackgroundPixmap(d, root, pixmap);
    XClearWindow(d, root);
    XSync(d, False);
    // The pixmap must outlive this connection; the next setter frees it.
    XSetCloseDownMode(d, RetainPermanent);
    XCloseDisplay(d);
    XSetErrorHandler(previous);
    return true;
  }

 private:
  std::string display_;
};

}  // namespace

std::unique_ptr<DesktopWallpaper> MakeX11RootPixmap(const std::string& display) {
  return std::make_unique<X11RootPixmap>(display);
}

}  // namespace kal
