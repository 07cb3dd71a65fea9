#include "platform/tray_xembed.h"

// Before the X headers, whose None and Status macros would hit the enums here.
#include "platform/tray.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace kal {

namespace {

constexpr long kSystemTrayRequestDock = 0;
constexpr long kXembedMapped = 1;
constexpr int kStartSize = 22;
constexpr int kSeparatorHeight = 7;
constexpr int kTextMargin = 20;

// Menu rows: the two items and the separator between them.
constexpr int kRowShow = 0;
constexpr int kRowSeparator = 1;
constexpr int kRowExit = 2;

Display* D(void* p) { return static_cast<Display*>(p); }
XFontStruct* F(void* p) { return static_cast<XFontStruct*>(p); }

// Errors about windows of a tray that just went away must not end the
// program (Xlib's own handler exits). Errors on other connections go to the
// handler that was there before.
XErrorHandler previousHandler = nullptr;
Display* trayDisplay = nullptr;

int IgnoreTrayErrors(Display* display, XErrorEvent* error) {
  if (display == trayDisplay || previousHandler == nullptr) return 0;
  return previousHandler(display, error);
}

int MaskShift(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

unsigned long PixelOf(const Visual* visual, int r, int g, int b) {
  const auto part = [](unsigned long mask, int value) {
    const int shift = MaskShift(mask);
    const unsigned long width = mask >> shift;
    return ((static_cast<unsigned long>(value) * width / 255) << shift) & mask;
  };
  return part(visual->red_mask, r) | part(visual->green_mask, g) | part(visual->blue_mask, b);
}

int ChannelOf(unsigned long pixel, unsigned long mask) {
  const int shift = MaskShift(mask);
  const unsigned long width = mask >> shift;
  return width == 0 ? 0 : static_cast<int>(((pixel & mask) >> shift) * 255 / width);
}

int Blend(int over, int under, int alpha) { return (over * alpha + under * (255 - alpha) + 127) / 255; }

}  // namespace

XembedTray::XembedTray(Post post, std::string tip, std::string program)
    : post_(std::move(post)), tip_(std::move(tip)), program_(std::move(program)) {}

XembedTray::~XembedTray() {
  Hide();
  if (display_ != nullptr) {
    if (font_ != nullptr) XFreeFont(D(display_), F(font_));
    XCloseDisplay(D(display_));
    trayDisplay = nullptr;
  }
}

bool XembedTray::OpenDisplay() {
  if (display_ != nullptr) return true;
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) return false;
  display_ = d;
  trayDisplay = d;
  const XErrorHandler before = XSetErrorHandler(IgnoreTrayErrors);
  if (before != IgnoreTrayErrors) previousHandler = before;
  return true;
}

int XembedTray::fd() const { return display_ == nullptr ? -1 : ConnectionNumber(D(display_)); }

bool XembedTray::Show(const std::vector<IconPixels>& images) {
  Hide();
  if (!OpenDisplay()) return false;
  Display* d = D(display_);
  images_ = images;
  const int screen = DefaultScreen(d);
  const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
  manager_ = XGetSelectionOwner(d, XInternAtom(d, selection.c_str(), False));
  if (manager_ == None) return false;
  XSelectInput(d, manager_, StructureNotifyMask);

  // A tray that offers a visual with alpha gets a truly transparent icon;
  // the others get the icon blended over their own background.
  Visual* visual = DefaultVisual(d, screen);
  int depth = DefaultDepth(d, screen);
  Colormap colormap = DefaultColormap(d, screen);
  iconArgb_ = false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, manager_, XInternAtom(d, "_NET_SYSTEM_TRAY_VISUAL", False), 0, 1, False, XA_VISUALID,
                         &type, &format, &count, &after, &data) == Success &&
      data != nullptr && count == 1) {
    XVisualInfo want{};
    want.visualid = static_cast<VisualID>(*reinterpret_cast<unsigned long*>(data));
    int found = 0;
    XVisualInfo* info = XGetVisualInfo(d, VisualIDMask, &want, &found);
    if (info != nullptr && found > 0 && info->depth == 32) {
      visual = info->visual;
      depth = 32;
      colormap = XCreateColormap(d, DefaultRootWindow(d), visual, AllocNone);
      iconArgb_ = true;
    }
    if (info != nullptr) XFree(info);
  }
  if (data != nullptr) XFree(data);

  XSetWindowAttributes attributes{};
  unsigned long mask = CWEventMask | CWColormap | CWBorderPixel;
  attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | EnterWindowMask | LeaveWindowMask;
  attributes.colormap = colormap;
  attributes.border_pixel = 0;
  if (iconArgb_) {
    attributes.background_pixel = 0;
    mask |= CWBackPixel;
  } else {
    attributes.background_pixmap = ParentRelative;
    mask |= CWBackPixmap;
  }
  icon_ = XCreateWindow(d, DefaultRootWindow(d), 0, 0, kStartSize, kStartSize, 0, depth, InputOutput, visual, mask,
                        &attributes);
  XStoreName(d, icon_, tip_.c_str());
  XChangeProperty(d, icon_, XInternAtom(d, "_NET_WM_NAME", False), XInternAtom(d, "UTF8_STRING", False), 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(tip_.data()), static_cast<int>(tip_.size()));
  XClassHint hint{};
  std::string instance = "kalendrina-tray";
  std::string klass = program_;
  hint.res_name = instance.data();
  hint.res_class = klass.data();
  XSetClassHint(d, icon_, &hint);
  // Trays built on toolkit sockets give the icon its minimum size, one pixel without this.
  XSizeHints* size = XAllocSizeHints();
  if (size != nullptr) {
    size->flags = PMinSize | PBaseSize;
    size->min_width = size->base_width = kStartSize;
    size->min_height = size->base_height = kStartSize;
    XSetWMNormalHints(d, icon_, size);
    XFree(size);
  }
  const long info[2] = {0, kXembedMapped};
  const Atom xembedInfo = XInternAtom(d, "_XEMBED_INFO", False);
  XChangeProperty(d, icon_, xembedInfo, xembedInfo, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(info),
                  2);

  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = manager_;
  e.xclient.message_type = XInternAtom(d, "_NET_SYSTEM_TRAY_OPCODE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = CurrentTime;
  e.xclient.data.l[1] = kSystemTrayRequestDock;
  e.xclient.data.l[2] = static_cast<long>(icon_);
  XSendEvent(d, manager_, False, NoEventMask, &e);
  XSync(d, False);
  return true;
}

void XembedTray::Hide() {
  CloseMenu();
  HideTip();
  if (display_ == nullptr || icon_ == 0) return;
  XDestroyWindow(D(display_), icon_);
  icon_ = 0;
  XSync(D(display_), False);
}

void XembedTray::DrawIcon() {
  Display* d = D(display_);
  XWindowAttributes a{};
  if (!XGetWindowAttributes(d, icon_, &a) || a.width <= 0 || a.height <= 0) return;
  const int size = std::min(a.width, a.height);
  const std::vector<std::uint32_t> icon = FitIcon(images_, size);
  const int left = (a.width - size) / 2;
  const int top = (a.height - size) / 2;
  if (iconArgb_) {
    // Premultiplied ARGB, which is what a 32-bit visual of a compositing tray takes.
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(a.width) * static_cast<std::size_t>(a.height), 0);
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const std::uint32_t p = icon[static_cast<std::size_t>(y) * size + x];
        const std::uint32_t alpha = p >> 24;
        const auto mul = [alpha](std::uint32_t c) { return (c * alpha + 127) / 255; };
        buffer[static_cast<std::size_t>(top + y) * a.width + left + x] =
            (alpha << 24) | (mul((p >> 16) & 255) << 16) | (mul((p >> 8) & 255) << 8) | mul(p & 255);
      }
    }
    XImage* image = XCreateImage(d, a.visual, 32, ZPixmap, 0, reinterpret_cast<char*>(buffer.data()), a.width,
                                 a.height, 32, 0);
    if (image == nullptr) return;
    GC gc = XCreateGC(d, icon_, 0, nullptr);
    XPutImage(d, icon_, gc, image, 0, 0, 0, 0, a.width, a.height);
    XFreeGC(d, gc);
    image->data = nullptr;  // the buffer is ours
    XDestroyImage(image);
    XFlush(d);
    return;
  }
  // Blended over what the tray shows behind the icon.
  XClearWindow(d, icon_);
  XImage* image = XGetImage(d, icon_, left, top, static_cast<unsigned>(size), static_cast<unsigned>(size), AllPlanes,
                            ZPixmap);
  if (image == nullptr) return;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::uint32_t p = icon[static_cast<std::size_t>(y) * size + x];
      const int alpha = static_cast<int>(p >> 24);
      if (alpha == 0) continue;
      const unsigned long under = XGetPixel(image, x, y);
      const int r = Blend(static_cast<int>((p >> 16) & 255), ChannelOf(under, a.visual->red_mask), alpha);
      const int g = Blend(static_cast<int>((p >> 8) & 255), ChannelOf(under, a.visual->green_mask), alpha);
      const int b = Blend(static_cast<int>(p & 255), ChannelOf(under, a.visual->blue_mask), alpha);
      XPutPixel(image, x, y, PixelOf(a.visual, r, g, b));
    }
  }
  GC gc = XCreateGC(d, icon_, 0, nullptr);
  XPutImage(d, icon_, gc, image, 0, 0, left, top, static_cast<unsigned>(size), static_cast<unsigned>(size));
  XFreeGC(d, gc);
  XDestroyImage(image);
  XFlush(d);
}

bool XembedTray::LoadFont() {
  Display* d = D(display_);
  if (font_ == nullptr) font_ = XLoadQueryFont(d, "-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso8859-1");
  if (font_ == nullptr) font_ = XLoadQueryFont(d, "fixed");
  return font_ != nullptr;
}

void XembedTray::ShowTip(int x, int y) {
  // XEmbed trays have no tool tips of their own: the icon shows its tip itself.
  if (tipWindow_ != 0 || menu_ != 0 || !LoadFont()) return;
  Display* d = D(display_);
  const int screen = DefaultScreen(d);
  const int width = XTextWidth(F(font_), tip_.c_str(), static_cast<int>(tip_.size())) + 8;
  const int height = F(font_)->ascent + F(font_)->descent + 4;
  x = std::clamp(x - width / 2, 0, std::max(0, DisplayWidth(d, screen) - width - 2));
  // Below the pointer, or above it at the bottom of the screen.
  y = y + 20 + height > DisplayHeight(d, screen) ? y - 20 - height : y + 20;
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = PixelOf(DefaultVisual(d, screen), 255, 255, 225);
  attributes.border_pixel = PixelOf(DefaultVisual(d, screen), 0, 0, 0);
  attributes.event_mask = ExposureMask;
  tipWindow_ = XCreateWindow(d, DefaultRootWindow(d), x, std::max(0, y), static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 1, CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
  const std::string name = program_ + " tray tip";
  XStoreName(d, tipWindow_, name.c_str());
  XMapRaised(d, tipWindow_);
  XFlush(d);
}

void XembedTray::HideTip() {
  if (display_ == nullptr || tipWindow_ == 0) return;
  XDestroyWindow(D(display_), tipWindow_);
  tipWindow_ = 0;
  XFlush(D(display_));
}

void XembedTray::ShowMenu() {
  if (menu_ != 0 || !OpenDisplay() || !LoadFont()) return;
  HideTip();
  Display* d = D(display_);
  const int screen = DefaultScreen(d);
  const std::string show = TrayShowLabel(program_);
  const std::string exit = "Exit " + program_;
  const int itemHeight = F(font_)->ascent + F(font_)->descent + 8;
  menuWidth_ = 2 * kTextMargin + std::max(XTextWidth(F(font_), show.c_str(), static_cast<int>(show.size())),
                                          XTextWidth(F(font_), exit.c_str(), static_cast<int>(exit.size())));
  const int height = 2 * itemHeight + kSeparatorHeight;

  // At the pointer, turned up or left where the screen ends, as pop-up menus open.
  Window root = 0;
  Window child = 0;
  int x = 0;
  int y = 0;
  int wx = 0;
  int wy = 0;
  unsigned buttons = 0;
  XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x, &y, &wx, &wy, &buttons);
  if (x + menuWidth_ + 2 > DisplayWidth(d, screen)) x -= menuWidth_ + 2;
  if (y + height + 2 > DisplayHeight(d, screen)) y -= height + 2;

  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = PixelOf(DefaultVisual(d, screen), 240, 240, 240);
  attributes.border_pixel = PixelOf(DefaultVisual(d, screen), 96, 96, 96);
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
  menu_ = XCreateWindow(d, DefaultRootWindow(d), std::max(0, x), std::max(0, y), static_cast<unsigned>(menuWidth_),
                        static_cast<unsigned>(height), 1, CopyFromParent, InputOutput, CopyFromParent,
                        CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
  const std::string name = program_ + " tray menu";
  XStoreName(d, menu_, name.c_str());
  menuHot_ = -1;
  XMapRaised(d, menu_);
  // A click anywhere else closes the menu, as with every pop-up menu.
  XGrabPointer(d, menu_, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync, GrabModeAsync,
               None, None, CurrentTime);
  XGrabKeyboard(d, menu_, False, GrabModeAsync, GrabModeAsync, CurrentTime);
  XFlush(d);
}

int XembedTray::MenuItemAt(int y) const {
  const int itemHeight = F(font_)->ascent + F(font_)->descent + 8;
  if (y < 0) return -1;
  if (y < itemHeight) return kRowShow;
  if (y < itemHeight + kSeparatorHeight) return kRowSeparator;
  if (y < 2 * itemHeight + kSeparatorHeight) return kRowExit;
  return -1;
}

void XembedTray::DrawMenu() {
  Display* d = D(display_);
  const int screen = DefaultScreen(d);
  const Visual* visual = DefaultVisual(d, screen);
  const int itemHeight = F(font_)->ascent + F(font_)->descent + 8;
  GC gc = XCreateGC(d, menu_, 0, nullptr);
  XSetFont(d, gc, F(font_)->fid);
  XClearWindow(d, menu_);
  const auto item = [&](int row, int top, const std::string& text) {
    const bool hot = row == menuHot_;
    if (hot) {
      XSetForeground(d, gc, PixelOf(visual, 0, 0, 128));
      XFillRectangle(d, menu_, gc, 0, top, static_cast<unsigned>(menuWidth_), static_cast<unsigned>(itemHeight));
    }
    XSetForeground(d, gc, hot ? PixelOf(visual, 255, 255, 255) : PixelOf(visual, 0, 0, 0));
    XDrawString(d, menu_, gc, kTextMargin, top + 4 + F(font_)->ascent, text.c_str(), static_cast<int>(text.size()));
  };
  item(kRowShow, 0, TrayShowLabel(program_));
  XSetForeground(d, gc, PixelOf(visual, 160, 160, 160));
  const int line = itemHeight + kSeparatorHeight / 2;
  XDrawLine(d, menu_, gc, 4, line, menuWidth_ - 5, line);
  item(kRowExit, itemHeight + kSeparatorHeight, "Exit " + program_);
  XFreeGC(d, gc);
  XFlush(d);
}

void XembedTray::CloseMenu() {
  if (display_ == nullptr || menu_ == 0) return;
  Display* d = D(display_);
  XUngrabPointer(d, CurrentTime);
  XUngrabKeyboard(d, CurrentTime);
  XDestroyWindow(d, menu_);
  menu_ = 0;
  menuHot_ = -1;
  XFlush(d);
}

void XembedTray::PostCommand(int id) {
  PlatformEvent e;
  e.type = EventType::Command;
  e.id = id;
  post_(e);
}

void XembedTray::Dispatch() {
  if (display_ == nullptr) return;
  Display* d = D(display_);
  while (XPending(d) > 0) {
    XEvent e;
    XNextEvent(d, &e);
    const Window w = e.xany.window;
    if (icon_ != 0 && w == icon_) {
      if ((e.type == Expose && e.xexpose.count == 0) || e.type == ConfigureNotify) DrawIcon();
      if (e.type == EnterNotify) ShowTip(e.xcrossing.x_root, e.xcrossing.y_root);
      if (e.type == LeaveNotify || e.type == ButtonPress) HideTip();
      if (e.type == ButtonPress && (e.xbutton.button == Button1 || e.xbutton.button == Button3)) {
        PlatformEvent click;
        click.type = EventType::TrayClick;
        click.button = e.xbutton.button == Button1 ? MouseButton::Left : MouseButton::Right;
        post_(click);
      }
    } else if (tipWindow_ != 0 && w == tipWindow_) {
      if (e.type == Expose && e.xexpose.count == 0) {
        GC gc = XCreateGC(d, tipWindow_, 0, nullptr);
        XSetFont(d, gc, F(font_)->fid);
        XSetForeground(d, gc, PixelOf(DefaultVisual(d, DefaultScreen(d)), 0, 0, 0));
        XDrawString(d, tipWindow_, gc, 4, 2 + F(font_)->ascent, tip_.c_str(), static_cast<int>(tip_.size()));
        XFreeGC(d, gc);
      }
    } else if (menu_ != 0 && w == menu_) {
      if (e.type == Expose && e.xexpose.count == 0) {
        DrawMenu();
      } else if (e.type == MotionNotify) {
        const int hot = e.xmotion.x >= 0 && e.xmotion.x < menuWidth_ ? MenuItemAt(e.xmotion.y) : -1;
        if (hot != menuHot_) {
          menuHot_ = hot;
          DrawMenu();
        }
      } else if (e.type == ButtonPress || (e.type == ButtonRelease && menuHot_ >= 0)) {
        // A press picks the item under it or closes the menu; a release picks
        // only after the pointer was dragged onto an item.
        const bool inside = e.xbutton.x >= 0 && e.xbutton.x < menuWidth_;
        const int row = inside ? MenuItemAt(e.xbutton.y) : -1;
        if (row == kRowSeparator) continue;
        CloseMenu();
        if (row == kRowShow) PostCommand(CommandShow);
        if (row == kRowExit) PostCommand(CommandExit);
      } else if (e.type == KeyPress && XLookupKeysym(&e.xkey, 0) == XK_Escape) {
        CloseMenu();
      }
    } else if (manager_ != 0 && w == manager_ && e.type == DestroyNotify) {
      // The tray went away with the icon: the window must come back.
      manager_ = 0;
      if (icon_ != 0) PostCommand(CommandShow);
    }
  }
}

}  // namespace kal
