#include "screens/main_frame.h"

#include <algorithm>
#include <cmath>

#include "platform/key_codes.h"
#include "screens/application.h"
#include "store/files.h"
#include "store/log.h"
#include "store/text1252.h"
#include "ui/controls.h"
#include "ui/input_state.h"
#include "ui/message_dialog.h"
#include "ui/web_page.h"

namespace kal {

namespace {

constexpr const char* kTabCaptions[3] = {"Calendar", "Events", "Options"};
constexpr int kPreviewWidth = 425;

// Halves go to the even neighbour, as everywhere in the program.
std::int32_t RoundEven(double value) { return static_cast<std::int32_t>(std::lrint(value)); }

int FloorDiv(int a, int b) {
  int q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

bool Inside(const InputState& in, const Rect& r) {
  return in.mouseX >= r.left && in.mouseX < r.right && in.mouseY >= r.top && in.mouseY < r.bottom;
}

std::int32_t Clicked(UiContext& ui, const Rect& r, std::string_view caption) {
  return ButtonClicked(ui, r.left, r.top, r.right, r.bottom, caption, 0);
}

void DrawButtonAt(Gfx& gfx, const Rect& r, std::string_view caption) {
  DrawPushButton(gfx, 0, r.left, r.top, r.right, r.bottom, caption, 0);
}

std::string UpdateNoticeCaption(const std::string& version) {
  return "Version " + version + " is now available!";
}

void LayoutHeader(HeaderLayout& h, int w, int t) {
  h.band = Rect{0, 0, w, t};
  h.about = Rect{w - 200, 5, w - 150, 24};
  h.help = Rect{w - 150, 5, w - 100, 24};
  h.minimize = Rect{w - 100, 5, w - 5, 24};
  h.updateNotice = Rect{w - 200, 24, w - 5, 43};
  for (int i = 0; i < 3; ++i) h.tabs[i] = Rect{2 + 80 * i, t - 25, 82 + 80 * i, t};
}

void LayoutCalendar(CalendarLayout& c, int w, int h, int t, int centreX) {
  const int left = 20;
  const int top = t + 70;
  c.cellWidth = FloorDiv(w - 20 - 20, 7);
  c.rowHeight = RoundEven((h - (t + 70) - 20) / 5.0);
  c.area = Rect{left, top, left + 7 * c.cellWidth, top + 5 * c.rowHeight};
  c.previous = Rect{20, t + 15, 45, t + 40};
  c.today = Rect{45, t + 15, 105, t + 40};
  c.next = Rect{105, t + 15, 130, t + 40};
  c.print = Rect{c.area.right - 100, t + 15, c.area.right, t + 40};
  c.titleStrip = Rect{centreX - 100, t + 15, centreX + 100, t + 40};
  c.titleTop = t + 15;
}

void LayoutEvents(EventsLayout& e, Gfx& gfx, int w, int h, int t) {
  const int lh = gfx.lineHeight;
  auto width = [&gfx](const FontDescription& font, std::string_view text) {
    return gfx.text != nullptr ? gfx.text->Measure(font, text).width : 0;
  };
  const int wC = width(gfx.LabelFont, "Category:");
  const int wD = width(gfx.LabelFont, "Display Mode:");
  const int m = FloorDiv(w - 170, 2) + 20;
  e.categoryBox = Rect{wC + 30, t + 20, m - 40, t + 20 + lh};
  e.categoryLabel = Rect{20, t + 20, 20 + wC, t + 20 + lh};
  e.modeBox = Rect{(m - 40) + wD + 30, t + 20, w - 133, t + 20 + lh};
  e.modeLabel = Rect{e.modeBox.left - 10 - wD, t + 20, e.modeBox.left - 10, t + 20 + lh};
  const int listTop = t + lh + 65;
  e.visibleRows = std::max(0, FloorDiv(h - listTop - 30, lh));
  e.list = Rect{20, listTop, w - 150, listTop + e.visibleRows * lh};
  e.scrollBar = Rect{e.list.right + 1, e.list.top, e.list.right + 17, e.list.bottom};
  const int bx1 = e.scrollBar.right + 20;
  const int bx2 = w - 20;
  int y = e.list.top - 20;
  e.find = Rect{bx1, y, bx2, y + 25};
  y = e.find.bottom + 25;
  e.edit = Rect{bx1, y, bx2, y + 25};
  e.remove = Rect{bx1, y + 25, bx2, y + 50};
  e.moveCategory = Rect{bx1, y + 50, bx2, y + 75};
  y = e.moveCategory.bottom + 25;
  e.print = Rect{bx1, y, bx2, y + 25};
  e.dateColumnWidth = width(gfx.EditFont, "May 88, 8888");
  e.checkColumnLeft = e.list.left + e.dateColumnWidth + 15;
  e.textColumnLeft = e.checkColumnLeft + 25;
}

void LayoutOptions(OptionsLayout& o, const CalendarLayout& calendar, Gfx& gfx, Settings& settings, int t,
                   int centreX, int screenWidth, int screenHeight) {
  const int lh = gfx.lineHeight;
  const int left = centreX - 367;
  const int right = left + 485;
  const int top = t + 60;
  o.screenWidth = screenWidth;
  o.screenHeight = screenHeight;
  const int previewHeight = RoundEven(static_cast<double>(kPreviewWidth) * screenHeight / screenWidth);
  const int captionWidth =
      gfx.text != nullptr ? gfx.text->Measure(gfx.LabelFont, "Draw Calendar on Desktop Wallpaper").width : 0;
  o.wallpaperSwitch = Rect{left, top, left + 16 + captionWidth, top + 20};
  o.wallpaperStyle = Rect{left, o.wallpaperSwitch.bottom + 20, left + kPreviewWidth, o.wallpaperSwitch.bottom + 20 + lh};
  o.preview = Rect{left, o.wallpaperStyle.bottom + 30, left + kPreviewWidth, o.wallpaperStyle.bottom + 30 + previewHeight};
  o.editCategories = Rect{right, top, right + 250, top + 25};
  o.importOld = Rect{right, top + 25, right + 250, top + 50};
  o.importHealth = Rect{right, top + 50, right + 250, top + 75};
  o.weightUnit = Rect{right, top + 100, right + 250, top + 100 + lh};
  o.lengthUnit = Rect{right, o.weightUnit.bottom + 25, right + 250, o.weightUnit.bottom + 25 + lh};
  o.importIcal = Rect{right, o.lengthUnit.bottom + 25, right + 250, o.lengthUnit.bottom + 50};

  // The desktop calendar has the size of the calendar area, wherever the
  // user put it; scaled into the preview and kept inside it.
  const double sx = static_cast<double>(kPreviewWidth) / screenWidth;
  const double sy = static_cast<double>(previewHeight) / screenHeight;
  const int boxWidth = RoundEven(sx * calendar.area.Width());
  const int boxHeight = RoundEven(sy * calendar.area.Height());
  int boxLeft = o.preview.left + RoundEven(sx * settings.calendarX);
  int boxTop = o.preview.top + RoundEven(sy * settings.calendarY);
  boxLeft = std::max(o.preview.left, std::min(boxLeft, o.preview.right - boxWidth));
  boxTop = std::max(o.preview.top, std::min(boxTop, o.preview.bottom - boxHeight));
  o.calendarBox = Rect{boxLeft, boxTop, boxLeft + boxWidth, boxTop + boxHeight};
  StoreCalendarBox(o, settings);
}

// The title group: icon, title artwork and version, centred on CentreX.
void DrawTitleGroup(Application& app) {
  Program& p = app.program;
  Gfx& g = app.gfx;
  Surface& s = *g.surface;
  const int h = p.HeaderHeight;
  const FontDescription versionFont{"Arial", 15, 700, false};
  g.DrawResourceImage("TITLE", ImageKindBitmap, s, 0, 0, AlignMeasure);
  const int titleWidth = g.lastTextWidth;
  const int titleHeight = g.lastTextHeight;
  g.DrawTextAligned(s, 0, 0, AlignMeasure, ColourWhite, versionFont, VersionText);
  const int versionWidth = g.lastTextWidth;
  const int versionHeight = g.lastTextHeight;
  int x = p.CentreX - (32 + 5 + titleWidth + 5 + versionWidth) / 2;
  g.DrawResourceImage("PROGRAM", ImageKindIcon, s, x, (h - 32) / 2, AlignLeft);
  x += 32 + 5;
  g.DrawResourceImage("TITLE", ImageKindBitmap, s, x, (h - titleHeight) / 2, AlignLeft);
  x += titleWidth + 5;
  g.DrawTextAligned(s, x + 1, (h - versionHeight) / 2 + 1, AlignLeft, ColourBlack, versionFont, VersionText);
  g.DrawTextAligned(s, x, (h - versionHeight) / 2, AlignLeft, ColourWhite, versionFont, VersionText);
}

// A tab: raised on three sides; the current one lighter and open towards
// the screen below it.
void DrawTab(Gfx& g, const Rect& r, std::string_view caption, bool selected) {
  Surface& s = *g.surface;
  const Colour face = selected ? Rgb(236, 236, 236) : Rgb(176, 176, 184);
  const int top = selected ? r.top : r.top + 3;
  const int bottom = r.bottom - 1;
  FillBox(s, face, r.left + 1, top + 1, r.right - 2, bottom);
  // Rounded top corners: the outline leaves the corner pixels out.
  FillBox(s, Rgb(250, 250, 250), r.left + 1, top, r.right - 3, top);
  FillBox(s, Rgb(250, 250, 250), r.left, top + 1, r.left, bottom);
  FillBox(s, Rgb(64, 64, 72), r.right - 2, top + 1, r.right - 2, bottom);
  FillBox(s, Rgb(120, 120, 128), r.right - 3, top + 2, r.right - 3, bottom);
  if (!selected) FillBox(s, Rgb(96, 96, 104), r.left, bottom, r.right - 2, bottom);
  const FontDescription& font = g.SmallBoldFont;
  const int textHeight = g.text != nullptr ? g.text->Measure(font, caption).height : 0;
  const int y = top + FloorDiv(bottom - top - textHeight, 2) + 1;
  g.DrawTextAligned(s, (r.left + r.right - 1) / 2, y, AlignCentre, selected ? ColourBlack : Rgb(48, 48, 56), font,
                    caption);
}

void DayChange(Application& app) {
  Program& p = app.program;
  AppDates& dates = app.dates;
  dates.dayChanged = true;
  // The wallpaper shows today's weeks; the screen the user is looking at stays where it is.
  const Ymd shownDisplay = dates.display;
  if (p.clock != nullptr) SetTodayFromClock(dates, *p.clock);
  dates.rememberedDay = p.input.currentDay;
  dates.currentDay = p.input.currentDay;
  if (app.hooks.restoreUserWallpaper) app.hooks.restoreUserWallpaper();
  if (app.hooks.updateWallpaperCalendar) app.hooks.updateWallpaperCalendar();
  dates.display = shownDisplay;
}

void MinimizeToTray(Application& app) {
  LogLine("Minimize to tray");
  if (app.hooks.restoreUserWallpaper) app.hooks.restoreUserWallpaper();
  LogLine("Start wallpaper update");
  if (app.hooks.updateWallpaperCalendar) app.hooks.updateWallpaperCalendar();
  LogLine("Minimize to tray");
  HideToTray(app.program);
  LogLine("Minimize complete");
}

void MoveWindowByHeader(Application& app) {
  Program& p = app.program;
  InputState& in = p.input;
  const int downX = in.mouseX;
  const int downY = in.mouseY;
  const int fw = p.window != nullptr ? p.window->FrameWidth() : 0;
  const int fh = p.window != nullptr ? p.window->FrameHeight() : 0;
  while ((in.mouseButton & 1) != 0 && in.quitRequested == 0) {
    // Waiting at most briefly: the loop must not spin, nor miss the release.
    PumpFor(p, 50);
    if (in.mouseX != downX || in.mouseY != downY) {
      p.WindowX += in.mouseX - downX;
      p.WindowY += in.mouseY - downY;
      // The window moved under the pointer: the grabbed point is under it again.
      in.mouseX = downX;
      in.mouseY = downY;
      if (p.window != nullptr) p.window->MoveResize(p.WindowX, p.WindowY, p.ClientWidth + 2 * fw, p.ClientHeight + 2 * fh);
    }
  }
  p.WindowMaximized = 0;
  SaveGeometry(app);
}

}  // namespace

void StoreCalendarBox(const OptionsLayout& o, Settings& settings) {
  if (o.screenWidth <= 0) return;
  const double f = static_cast<double>(o.screenWidth) / kPreviewWidth;
  settings.calendarX = RoundEven(f * (o.calendarBox.left - o.preview.left));
  settings.calendarY = RoundEven(f * (o.calendarBox.top - o.preview.top));
  settings.calendarWide = RoundEven(f * o.calendarBox.Width());
  settings.calendarHigh = RoundEven(f * o.calendarBox.Height());
}

void LayoutScreens(Application& app) {
  // A new size needs room before anything is laid out on it.
  EnsureOffscreenFits(app);
  Program& p = app.program;
  const int w = p.ClientWidth;
  const int h = p.ClientHeight;
  const int t = p.HeaderHeight;
  ScreenLayout& l = app.layout;
  LayoutHeader(l.header, w, t);
  LayoutCalendar(l.calendar, w, h, t, p.CentreX);
  LayoutEvents(l.events, app.gfx, w, h, t);
  int screenWidth = 1024;
  int screenHeight = 768;
  if (p.window != nullptr) {
    const WindowRect screen = p.window->ScreenRect();
    if (screen.width > 0 && screen.height > 0) {
      screenWidth = screen.width;
      screenHeight = screen.height;
    }
  }
  LayoutOptions(l.options, l.calendar, app.gfx, app.settings, t, p.CentreX, screenWidth, screenHeight);
  UpdateDragBand(app);
}

void DrawFrame(Application& app) {
  Program& p = app.program;
  Gfx& g = app.gfx;
  if (g.surface == nullptr) return;
  Surface& s = *g.surface;
  const HeaderLayout& h = app.layout.header;
  const int w = p.ClientWidth;
  const int t = p.HeaderHeight;
  FillBox(s, p.input.activeWindow != 0 ? Rgb(0, 0, 128) : Rgb(128, 128, 128), 0, 0, w - 1, t - 2);
  g.TileImage(g.backgroundTexture, 0, 0, w, t - 3);
  DrawTitleGroup(app);
  DrawButtonAt(g, h.about, "About");
  DrawButtonAt(g, h.help, "Help");
  DrawButtonAt(g, h.minimize, "Minimize To Tray");
  if (!app.frame.newVersion.empty()) DrawButtonAt(g, h.updateNotice, UpdateNoticeCaption(app.frame.newVersion));
  for (int i = 0; i < 3; ++i) DrawTab(g, h.tabs[i], kTabCaptions[i], p.CurrentScreen == i + 1);
}

void FrameInput(Application& app, int wait, std::int32_t& requestedScreen) {
  Program& p = app.program;
  InputState& in = p.input;
  UiContext& ui = app.ui;
  const HeaderLayout& h = app.layout.header;
  if (in.layoutChanged != 0) return;
  PumpMessages(p, wait);

  if (p.clock != nullptr) {
    const std::int32_t bits = p.clock->Now().day & 8;
    if (bits != app.frame.updateCheckBits) {
      app.frame.updateCheckBits = bits;
      if (app.hooks.startUpdateCheck) app.hooks.startUpdateCheck();
    }
  }
  // The check runs in the background; its finding reaches the header here.
  if (app.hooks.pollNewVersion && app.hooks.pollNewVersion(app.frame.newVersion) && p.ModalActive == 0) {
    DrawFrame(app);
    app.gfx.PresentRect(0, 0, p.ClientWidth, p.HeaderHeight);
  }

  if (in.currentDay != app.dates.rememberedDay) DayChange(app);
  if (app.hooks.checkDesktopWallpaper && in.quitRequested == 0 && p.ModalActive == 0) {
    app.hooks.checkDesktopWallpaper();
  }

  const std::int32_t minimize = Clicked(ui, h.minimize, "Minimize To Tray");

  const int typed = p.ModalActive == 0 && in.lastChar > 0 && in.lastChar < 256
                        ? ToUpper1252(static_cast<std::uint8_t>(in.lastChar))
                        : 0;
  for (int i = 0; i < 3; ++i) {
    if (((in.mouseButton != 0) && Inside(in, h.tabs[i])) || (typed != 0 && typed == kTabCaptions[i][0])) {
      requestedScreen = i + 1;
      return;
    }
  }

  if (!app.frame.downloadRunning && Clicked(ui, h.about, "About") != 0) {
    AboutBox(app);
    return;
  }

  if (Clicked(ui, h.help, "Help") != 0 || in.lastKey == KeyF1) {
    // F1 stays in lastKey until the key goes up; one press opens one page.
    in.lastKey = 0;
    OpenHelp(app);
    return;
  }

  if (minimize == 2) {
    if (MessageDialog(ui, std::string("Are you sure you want to exit ") + ProgramName + "?", "OK|Cancel") == 1) {
      in.quitRequested = 1;
    }
    return;
  }
  if (minimize != 0) {
    MinimizeToTray(app);
    return;
  }

  if (!app.frame.newVersion.empty() && !app.frame.downloadRunning &&
      Clicked(ui, h.updateNotice, UpdateNoticeCaption(app.frame.newVersion)) != 0) {
    const std::int32_t wasModal = p.ModalActive;
    app.frame.downloadRunning = true;
    p.ModalActive = 1;
    if (app.hooks.updateOffer) app.hooks.updateOffer();
    app.frame.downloadRunning = false;
    p.ModalActive = wasModal;
    return;
  }

  if ((in.mouseButton & 1) != 0 && Inside(in, h.band)) {
    MoveWindowByHeader(app);
    return;
  }

  if ((in.mouseButton & 2) != 0 && p.ModalActive == 0 && Inside(in, h.band)) ToggleMaximized(app);
}

void ToggleMaximized(Application& app) {
  Program& p = app.program;
  if (p.window == nullptr) return;
  const WindowRect work = p.window->WorkArea();
  const int fw = p.window->FrameWidth();
  const int fh = p.window->FrameHeight();
  const std::int32_t availableWidth = work.width - 2 * fw;
  const std::int32_t availableHeight = work.height - 2 * fh;
  if (p.WindowMaximized == 1) {
    p.ClientWidth = std::min(1024, availableWidth);
    p.ClientHeight = std::min(768, availableHeight);
    p.WindowX = work.x + RoundEven((availableWidth - p.ClientWidth) / 2.0);
    p.WindowY = work.y + RoundEven((availableHeight - p.ClientHeight) / 2.0);
    p.WindowMaximized = 0;
  } else {
    p.WindowX = work.x;
    p.WindowY = work.y;
    p.ClientWidth = availableWidth;
    p.ClientHeight = availableHeight;
    p.WindowMaximized = 1;
  }
  p.CentreX = p.ClientWidth / 2;
  p.window->MoveResize(p.WindowX, p.WindowY, p.ClientWidth + 2 * fw, p.ClientHeight + 2 * fh);
  LayoutScreens(app);
  SaveGeometry(app);
  WaitInputRelease(p);
  p.input.layoutChanged = 1;
}

void OpenDocument(Application& app, const std::string& target) {
  Launcher& launcher = app.launcher != nullptr ? *app.launcher : SystemLauncher();
  OpenWebPage(app.ui, launcher, app.BrowserPath, target, app.hooks.chooseBrowser);
}

void OpenHelp(Application& app) {
  if (!app.HelpFile.empty() && FileExists(app.HelpFile)) {
    OpenDocument(app, app.HelpFile);
    return;
  }
  OpenDocument(app, std::string("http://") + MakerWebSite + "/" + HelpPagePath);
}

std::string AboutVersionLine() { return std::string(VersionText) + " - Released " + ReleaseDateText; }

void AboutBox(Application& app) {
  Program& p = app.program;
  InputState& in = p.input;
  Gfx& g = app.gfx;
  if (g.surface == nullptr || app.frame.aboutOpen) return;
  Surface& s = *g.surface;
  const int lh = g.lineHeight;
  const int boxW = 440;
  const int boxH = 226;
  const int left = p.CentreX - boxW / 2;
  const int top = std::max(p.HeaderHeight, p.ClientHeight / 2 - boxH / 2);
  const int cx = p.CentreX;

  const Surface saved = g.SaveScreen();
  const std::int32_t wasModal = p.ModalActive;
  p.ModalActive = 1;
  app.frame.aboutOpen = true;

  g.DrawPanel(left, top, left + boxW, top + boxH);
  // Icon and title artwork side by side, centred.
  g.DrawResourceImage("TITLE", ImageKindBitmap, s, 0, 0, AlignMeasure);
  const int titleW = g.lastTextWidth;
  const int titleH = g.lastTextHeight;
  int x = cx - (32 + 5 + titleW) / 2;
  g.DrawResourceImage("PROGRAM", ImageKindIcon, s, x, top + 20, AlignLeft);
  g.DrawResourceImage("TITLE", ImageKindBitmap, s, x + 37, top + 20 + (32 - titleH) / 2, AlignLeft);
  int y = top + 66;
  g.DrawTextAligned(s, cx, y, AlignCentre, ColourMessageText, g.LabelFont, "Version " + AboutVersionLine());
  y += lh + 12;
  const std::string visit = "Visit Our Web Site: ";
  g.DrawTextAligned(s, 0, 0, AlignMeasure, ColourMessageText, g.SmallBoldFont, visit);
  const int visitW = g.lastTextWidth;
  g.DrawTextAligned(s, 0, 0, AlignMeasure, ColourNavy, g.SmallBoldFont, MakerWebSite);
  const int siteW = g.lastTextWidth;
  const int siteH = g.lastTextHeight;
  x = cx - (visitW + siteW) / 2;
  g.DrawTextAligned(s, x, y, AlignLeft, ColourMessageText, g.SmallBoldFont, visit);
  ControlRecord site;
  site.x1 = x + visitW;
  site.y1 = y;
  site.x2 = site.x1 + siteW;
  site.y2 = y + siteH;
  site.text = MakerWebSite;
  g.DrawTextAligned(s, site.x1, y, AlignLeft, ColourNavy, g.SmallBoldFont, site.text);
  y += lh;
  g.DrawTextAligned(s, cx, y, AlignCentre, ColourMessageText, g.SmallFont,
                    std::string("Support: ") + MakerSupportContact);
  y += lh + 6;
  g.DrawTextAligned(s, 0, 0, AlignMeasure, ColourNavy, g.SmallBoldFont, "Check for updates");
  ControlRecord update;
  update.x1 = cx - g.lastTextWidth / 2;
  update.y1 = y;
  update.x2 = update.x1 + g.lastTextWidth;
  update.y2 = y + g.lastTextHeight;
  update.text = "Check for updates";
  g.DrawTextAligned(s, update.x1, y, AlignLeft, ColourNavy, g.SmallBoldFont, update.text);
  const Rect ok{cx - 40, top + boxH - 40, cx + 40, top + boxH - 15};
  DrawButtonAt(g, ok, "OK");
  g.PresentRect(left, top, boxW + 12, boxH + 12);

  WaitInputRelease(p);
  std::int32_t requested = 0;
  while (in.quitRequested == 0) {
    RunFrameInput(app.ui, 1, requested);
    if (in.quitRequested != 0) break;
    if (in.mouseButton == 0 && Inside(in, Rect{site.x1, site.y1, site.x2, site.y2})) {
      if (LinkHover(app.ui, site, g.SmallBoldFont) != 0) OpenDocument(app, std::string("http://") + MakerWebSite);
      continue;
    }
    if (in.mouseButton == 0 && Inside(in, Rect{update.x1, update.y1, update.x2, update.y2})) {
      if (LinkHover(app.ui, update, g.SmallBoldFont) != 0 && !app.frame.downloadRunning && app.hooks.updateOffer) {
        app.hooks.updateOffer();
      }
      continue;
    }
    if (Clicked(app.ui, ok, "OK") != 0 || in.lastChar == CharEscape) break;
  }

  g.RestoreScreen(saved, left, top, boxW + 12, boxH + 12);
  g.PresentRect(left, top, boxW + 12, boxH + 12);
  app.frame.aboutOpen = false;
  p.ModalActive = wasModal;
  WaitInputRelease(p);
}

void InstallFrame(Application& app) {
  app.ui.frameInput = [&app](int wait, std::int32_t& requestedScreen) { FrameInput(app, wait, requestedScreen); };
  app.program.drawHeader = [&app] { DrawFrame(app); };
}

}  // namespace kal
