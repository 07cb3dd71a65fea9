#include "ui/controls.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/key_codes.h"
#include "store/text1252.h"
#include "ui/images.h"

namespace kal {

namespace {

int FloorDiv(int a, int b) {
  int q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Per-component shift of a colour, each component clamped to 0..255.
Colour Shade(Colour c, int delta) { return RgbClamped(RedOf(c) + delta, GreenOf(c) + delta, BlueOf(c) + delta); }

// A colour computed from each component of `base` by `f`.
template <typename F>
Colour PerComponent(Colour base, F f) {
  return RgbClamped(f(RedOf(base)), f(GreenOf(base)), f(BlueOf(base)));
}

const FontDescription& ButtonFont() {
  static const FontDescription font{"MS Sans Serif", 12, 400, false};
  return font;
}

Surface& TargetOf(Gfx& gfx, Surface* surface) { return surface != nullptr ? *surface : *gfx.surface; }

// Drawing limited to a rectangle for the life of the object; the clip the
// surface had before comes back afterwards.
class ClipScope {
 public:
  ClipScope(Surface& surface, int x1, int y1, int x2, int y2) : surface_(surface), old_(surface.clip()) {
    surface_.SetClipRect(Rect{x1, y1, x2, y2}.Intersect(old_));
  }
  ~ClipScope() { surface_.SetClipRect(old_); }
  ClipScope(const ClipScope&) = delete;
  ClipScope& operator=(const ClipScope&) = delete;

 private:
  Surface& surface_;
  Rect old_;
};

// Gfx operations that only draw on the off-screen surface, pointed at another.
class SurfaceScope {
 public:
  SurfaceScope(Gfx& gfx, Surface& target) : gfx_(gfx), old_(gfx.surface) { gfx_.surface = &target; }
  ~SurfaceScope() { gfx_.surface = old_; }
  SurfaceScope(const SurfaceScope&) = delete;
  SurfaceScope& operator=(const SurfaceScope&) = delete;

 private:
  Gfx& gfx_;
  Surface* old_;
};

void Row(Surface& s, Colour c, int y, int xFrom, int xTo) { FillBox(s, c, xFrom, y, xTo, y); }
void Column(Surface& s, Colour c, int x, int yFrom, int yTo) { FillBox(s, c, x, yFrom, x, yTo); }

void DrawButtonOn(Gfx& gfx, Surface& target, std::int32_t state, int x1, int y1, int x2, int y2,
                  std::string_view caption, std::int32_t hotkey) {
  if (x2 <= x1 || y2 <= y1) return;
  const Colour face = ColourButtonFace;
  const bool pressed = (state & 1) != 0;
  if (!pressed) {
    // A soft vertical gradient: one step darker every n rows, n about a
    // 25th of the height.
    const int n = static_cast<int>(std::nearbyint((y2 - y1) / 25.0));
    for (int y = y1; y < y2; ++y) {
      const int drop = n > 0 ? (y - y1) / n : 0;
      Row(target, Shade(face, 15 - drop), y, x1, x2 - 1);
    }
    for (int i = 0; i < 3; ++i) {
      const Colour light = PerComponent(face, [i](int f) { return 255 - i * ((255 - f) / 3); });
      Row(target, light, y1 + i, x1 + i, x2 - 1 - i);
      Column(target, light, x1 + i, y1 + i, y2 - 1 - i);
    }
    for (int i = 0; i < 3; ++i) {
      // Ring 0 is the outermost and darkest.
      const Colour dark = PerComponent(face, [i](int f) { return f - (3 - i) * f / 4; });
      Row(target, dark, y2 - 1 - i, x1 + i, x2 - 1 - i);
      Column(target, dark, x2 - 1 - i, y1 + i, y2 - 1 - i);
    }
  } else {
    FillBox(target, Shade(face, -8), x1, y1, x2 - 1, y2 - 1);
    for (int i = 0; i < 2; ++i) {
      const Colour light = PerComponent(face, [i](int f) { return 255 - i * ((255 - f) / 2); });
      Row(target, light, y2 - 1 - i, x1 + i, x2 - 1 - i);
      Column(target, light, x2 - 1 - i, y1 + i, y2 - 1 - i);
    }
    for (int i = 0; i < 2; ++i) {
      const Colour dark = i == 0 ? ColourBlack : PerComponent(face, [](int f) { return f / 2; });
      Row(target, dark, y1 + i, x1 + i, x2 - 1 - i);
      Column(target, dark, x1 + i, y1 + i, y2 - 1 - i);
    }
  }

  if (caption.empty()) return;
  const int shift = pressed ? 1 : 0;
  // The caption never spills over the button's edges.
  ClipScope clip(target, x1 + 1, y1 + 1, x2 - 1, y2 - 1);
  const std::string_view image = CaptionImage(caption);
  if (!image.empty()) {
    const Image* picture = FindImage(image);
    if (picture == nullptr) return;
    const int w = picture->pixels.width();
    const int h = picture->pixels.height();
    const int x = x1 + FloorDiv((x2 - x1) - 2 * ((w + 1) / 2), 2) + shift;
    const int y = y1 + FloorDiv((y2 - y1) - 2 * ((h + 1) / 2), 2) + shift;
    gfx.DrawResourceImage(image, ImageKindBitmap, target, x, y, AlignLeft);
    return;
  }
  if (caption.size() > ControlCaptionChars) caption = caption.substr(0, ControlCaptionChars);
  const TextExtent extent = gfx.text != nullptr ? gfx.text->Measure(ButtonFont(), caption) : TextExtent{};
  // x1 + floor((x2 - x1) / 2 - floor((w + 1) / 2)), the same for y.
  const int x = x1 + FloorDiv((x2 - x1) - 2 * ((extent.width + 1) / 2), 2) + shift;
  const int y = y1 + FloorDiv((y2 - y1) - 2 * ((extent.height + 1) / 2), 2) + shift;
  gfx.DrawTextAligned(target, x, y, AlignLeft, ColourButtonText, ButtonFont(), caption);
  if (hotkey > 0 && static_cast<std::size_t>(hotkey) <= caption.size()) {
    const std::size_t k = static_cast<std::size_t>(hotkey) - 1;
    const int before = gfx.text != nullptr ? gfx.text->Measure(ButtonFont(), caption.substr(0, k)).width : 0;
    FontDescription underlined = ButtonFont();
    underlined.underline = true;
    gfx.DrawTextAligned(target, x + before, y, AlignLeft, ColourButtonText, underlined, caption.substr(k, 1));
  }
  gfx.lastTextWidth = extent.width;
  gfx.lastTextHeight = extent.height;
}

bool SameLetter(std::int32_t typed, char letter) {
  if (typed <= 0 || typed > 255) return false;
  return ToUpper1252(static_cast<std::uint8_t>(typed)) == ToUpper1252(static_cast<std::uint8_t>(letter));
}

bool PressedByKeyboard(const InputState& in, std::string_view caption, std::int32_t hotkey) {
  if (caption == "OK" && in.lastChar == CharEnter) return true;
  if (hotkey == 0) return false;
  const std::size_t k = static_cast<std::size_t>(std::abs(static_cast<long>(hotkey)));
  if (k <= caption.size()) {
    const char letter = caption[k - 1];
    if (hotkey < 0 && SameLetter(in.lastChar, letter)) return true;
    // Ctrl + a letter types its control character, letter code - 64.
    if (hotkey > 0 && in.ctrlDown == 1 && in.lastChar > 0 &&
        in.lastChar + 64 == ToUpper1252(static_cast<std::uint8_t>(letter))) {
      return true;
    }
  }
  if (caption.size() == 1 && caption[0] == CaptionArrowUp && in.lastKey == KeyUp) return true;
  if (caption.size() == 1 && caption[0] == CaptionArrowDown && in.lastKey == KeyDown) return true;
  return false;
}

// The press-track-release logic shared by both button forms; `draw` shows
// the button in a state.
template <typename Draw>
std::int32_t ClickButton(UiContext& ui, int x1, int y1, int x2, int y2, std::string_view caption,
                         std::int32_t hotkey, Draw draw) {
  Program& p = ui.program;
  InputState& in = p.input;
  auto show = [&](std::int32_t state) {
    draw(state);
    ui.gfx.PresentRect(x1, y1, x2 - x1, y2 - y1);
  };
  if (PressedByKeyboard(in, caption, hotkey)) {
    show(1);
    HoldFor(p, 50);
    show(0);
    return 1;
  }
  if (MouseDownIn(in, x1, y1, x2, y2) == 0) return 0;
  bool shownPressed = false;
  std::int32_t remembered = 0;
  while (in.mouseButton != 0 && in.quitRequested == 0) {
    const bool inside = in.mouseX > x1 && in.mouseX < x2 && in.mouseY > y1 && in.mouseY < y2;
    if (inside && !shownPressed) {
      show(1);
      shownPressed = true;
      remembered = in.mouseButton;
    } else if (!inside && shownPressed) {
      show(0);
      shownPressed = false;
      remembered = 0;
    }
    PumpFor(p, 1000);
  }
  show(0);
  // Closing the window while the button is held is not a click.
  return in.quitRequested != 0 ? 0 : remembered;
}

}  // namespace

std::string_view CaptionImage(std::string_view caption) {
  if (caption.empty()) return {};
  switch (caption[0]) {
    case CaptionArrowUp:
      return "ARROW_UP";
    case CaptionArrowDown:
      return "ARROW_DOWN";
    case CaptionArrowRight:
      return "ARROW_RIGHT";
    case CaptionArrowLeft:
      return "ARROW_LEFT";
    case CaptionBigLeft:
      return "BIG_LEFT";
    case CaptionBigRight:
      return "BIG_RIGHT";
    default:
      return {};
  }
}

std::int32_t MouseDownIn(const InputState& in, int x1, int y1, int x2, int y2) {
  if (in.mouseButton == 0) return 0;
  if (in.mouseX >= x1 && in.mouseX < x2 && in.mouseY >= y1 && in.mouseY < y2) return in.mouseButton;
  return 0;
}

std::int32_t MouseDownInRecord(const InputState& in, const ControlRecord& r) {
  return MouseDownIn(in, r.x1, r.y1, r.x2, r.y2);
}

void WaitInputRelease(Program& p) {
  InputState& in = p.input;
  int idleRounds = 0;
  while (in.quitRequested == 0 && (in.mouseButton != 0 || in.lastChar != 0 || in.lastKey != 0)) {
    if (PumpFor(p, 1000)) {
      idleRounds = 0;
      continue;
    }
    // A held key repeats, so a second without events means its release went
    // elsewhere. A held mouse button is the user's choice, but a release that
    // was lost must not freeze the program either.
    in.lastChar = 0;
    in.lastKey = 0;
    if (in.mouseButton == 0 || ++idleRounds >= 5 || p.window == nullptr) break;
  }
}

bool PumpFor(Program& p, int timeoutMs) {
  InputState& in = p.input;
  if (in.quitRequested != 0 || p.window == nullptr) return false;
  const PlatformEvent e = p.window->NextEvent(true, std::max(0, timeoutMs));
  if (e.type == EventType::None) return false;
  ApplyEvent(p, e);
  UpdateMouseCapture(p);
  return true;
}

void HoldFor(Program& p, int ms) {
  InputState& in = p.input;
  if (p.window == nullptr) return;
  const Clock& clock = p.clock != nullptr ? *p.clock : p.window->clock();
  const std::uint64_t start = clock.TickMs();
  const std::uint64_t length = static_cast<std::uint64_t>(std::max(0, ms));
  p.window->StartTimer(HoldTimerId, ms);
  while (in.quitRequested == 0 && (in.mouseButton != 0 || in.lastChar != 0 || in.lastKey != 0)) {
    const std::uint64_t spent = clock.TickMs() - start;
    if (spent >= length) break;
    PumpFor(p, static_cast<int>(length - spent));
  }
  p.window->KillTimer(HoldTimerId);
}

void DelayUnlessInput(Program& p, int mode) {
  HoldFor(p, mode == 1 ? 300 : mode == 2 ? 100 : 25);
}

void DrawPushButton(Gfx& gfx, std::int32_t state, int x1, int y1, int x2, int y2, std::string_view caption,
                    std::int32_t hotkey) {
  if (gfx.surface == nullptr) return;
  DrawButtonOn(gfx, *gfx.surface, state, x1, y1, x2, y2, caption, hotkey);
}

void DrawButtonRecord(Gfx& gfx, const ControlRecord& r) {
  if (r.surface == nullptr && gfx.surface == nullptr) return;
  DrawButtonOn(gfx, TargetOf(gfx, r.surface), r.state(), r.x1, r.y1, r.x2, r.y2, r.text, r.hotkey);
}

std::int32_t ButtonClicked(UiContext& ui, int x1, int y1, int x2, int y2, std::string_view caption,
                           std::int32_t hotkey) {
  return ClickButton(ui, x1, y1, x2, y2, caption, hotkey,
                     [&](std::int32_t state) { DrawPushButton(ui.gfx, state, x1, y1, x2, y2, caption, hotkey); });
}

std::int32_t ButtonRecordClicked(UiContext& ui, ControlRecord& r) {
  const std::int32_t result = ClickButton(ui, r.x1, r.y1, r.x2, r.y2, r.text, r.hotkey, [&](std::int32_t state) {
    r.setState(state);
    DrawButtonRecord(ui.gfx, r);
  });
  r.setState(0);
  return result;
}

void DrawChoiceField(Gfx& gfx, int drawFrame, std::int32_t arrowState, const ControlRecord& r) {
  if (r.surface == nullptr && gfx.surface == nullptr) return;
  Surface& target = TargetOf(gfx, r.surface);
  if (drawFrame == 1) {
    SurfaceScope on(gfx, target);
    gfx.DrawSunkenBox(r.x1, r.y1, r.x2, r.y2, r.backColour);
  }
  const char arrow[] = {CaptionArrowDown, '\0'};
  DrawButtonOn(gfx, target, arrowState, r.x2 - 18, r.y1, r.x2 + 1, r.y2 + 1, arrow, 0);
  FillBox(target, r.backColour, r.x1, r.y1, r.x2 - 19, r.y2);
  ClipScope clip(target, r.x1, r.y1, r.x2 - 18, r.y2 + 1);
  const FontDescription& font = r.font != nullptr ? *r.font : gfx.EditFont;
  const std::string_view caption = std::string_view(r.text).substr(0, std::min(r.text.size(), ControlCaptionChars));
  const int h = gfx.text != nullptr ? gfx.text->Measure(font, caption).height : 0;
  const int top = r.y1 + FloorDiv(r.y2 + 1 - r.y1 - h, 2);
  gfx.DrawTextAligned(target, r.x1 + 3, top, AlignLeft, r.colour, font, caption);
}

void DrawCheckBox(Gfx& gfx, int full, const ControlRecord& r, std::int32_t value) {
  if (r.surface == nullptr && gfx.surface == nullptr) return;
  Surface& target = TargetOf(gfx, r.surface);
  const int m = r.y1 + FloorDiv(r.y2 - r.y1, 2);
  if (full == 1) {
    {
      SurfaceScope on(gfx, target);
      gfx.DrawSunkenBox(r.x1, m - 4, r.x1 + 8, m + 4, r.backColour);
    }
    TextRecord caption = r;
    caption.surface = &target;
    gfx.DrawTextRecord(caption);
  }
  FillBox(target, r.backColour, r.x1, m - 4, r.x1 + 8, m + 4);
  if (value > 0) gfx.DrawResourceImage("SMALL_X", ImageKindBitmap, target, r.x1, m - 4, AlignLeft);
}

bool CheckBoxClicked(UiContext& ui, const ControlRecord& r, std::int32_t& value) {
  if (MouseDownInRecord(ui.program.input, r) == 0) return false;
  value = (value + 1) & 1;
  DrawCheckBox(ui.gfx, 0, r, value);
  const int m = r.y1 + FloorDiv(r.y2 - r.y1, 2);
  ui.gfx.PresentRect(r.x1, m - 4, 9, 9);
  WaitInputRelease(ui.program);
  return true;
}

std::int32_t LinkHover(UiContext& ui, const ControlRecord& r, const FontDescription& font) {
  Program& p = ui.program;
  InputState& in = p.input;
  Gfx& gfx = ui.gfx;
  if (r.surface == nullptr && gfx.surface == nullptr) return 0;
  Surface& target = TargetOf(gfx, r.surface);
  auto draw = [&](Colour colour) {
    // The record's state, read as a shadow colour as for any caption, keeps
    // the white look readable on light panels; -1 draws no shadow.
    if (r.state() != -1) {
      gfx.DrawTextAligned(target, r.x1 + 1, r.y1 + 1, AlignLeft, static_cast<Colour>(r.state()), font, r.text);
    }
    gfx.DrawTextAligned(target, r.x1, r.y1, AlignLeft, colour, font, r.text);
    gfx.PresentRect(r.x1, r.y1, r.x2 - r.x1, r.y2 - r.y1);
  };
  std::int32_t requested = 0;
  while (in.quitRequested == 0) {
    const bool inside = in.mouseX >= r.x1 && in.mouseX < r.x2 && in.mouseY >= r.y1 && in.mouseY < r.y2;
    if (!inside) break;
    draw(ColourWhite);
    if (in.mouseButton != 0) {
      const std::int32_t code = in.mouseButton;
      while (in.mouseButton != 0 && in.quitRequested == 0) PumpFor(p, 1000);
      return in.quitRequested != 0 ? 0 : code;
    }
    RunFrameInput(ui, 1, requested);
  }
  draw(ColourNavy);
  return 0;
}

}  // namespace kal
