#include "ui/gfx.h"

#include <algorithm>
#include <cstring>

#include "ui/images.h"

namespace kal {

namespace {

int FloorDiv(int a, int b) {
  int q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int PositiveMod(int a, int b) {
  const int m = a % b;
  return m < 0 ? m + b : m;
}

int ClampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, -(1LL << 30), 1LL << 30));
}

// The half-open rectangle [left, right) × [top, bottom) cut to the clip.
// Computed in 64 bits so that far-away or huge coordinates cannot overflow.
Rect Clipped(const Surface& surface, long long left, long long top, long long right, long long bottom) {
  return Rect{ClampToInt(left), ClampToInt(top), ClampToInt(right), ClampToInt(bottom)}.Intersect(surface.clip());
}

constexpr Colour kRgbMask = 0x00FFFFFF;

// The text as drawn: up to the first NUL (the original text is
// zero-terminated) and at most MaxTextChars characters.
std::string_view CutText(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  return text.substr(0, std::min(text.size(), MaxTextChars));
}

// The left edge of something w pixels wide aligned at x; false for
// "measure only".
bool AlignedLeft(int x, int w, int align, int* left) {
  switch (align) {
    case AlignLeft:
      *left = x;
      return true;
    case AlignRight:
      *left = x - w;
      return true;
    case AlignCentre:
      *left = x - FloorDiv(w, 2);
      return true;
    default:
      return false;
  }
}

void FillRect(Surface& surface, const Rect& r, Colour colour) {
  if (r.Empty()) return;
  const Colour c = colour & kRgbMask;
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(surface.Row(y) + r.left, r.Width(), c);
}

// Blends every pixel of a clipped rectangle towards `colour` with alpha a.
void BlendRect(Surface& surface, const Rect& r, Colour colour, int alpha) {
  if (r.Empty() || alpha <= 0) return;
  if (alpha >= 255) {
    FillRect(surface, r, colour);
    return;
  }
  const std::uint64_t spread = SpreadChannels(colour & kRgbMask);
  for (int y = r.top; y < r.bottom; ++y) {
    Colour* row = surface.Row(y);
    for (int x = r.left; x < r.right; ++x) row[x] = BlendSpread(spread, row[x], alpha);
  }
}

}  // namespace

Colour RgbClamped(int r, int g, int b) {
  return Rgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
}

void FillBox(Surface& surface, Colour colour, int x1, int y1, int x2, int y2) {
  FillRect(surface, Clipped(surface, x1, y1, static_cast<long long>(x2) + 1, static_cast<long long>(y2) + 1), colour);
}

void DrawBox(Surface& surface, Colour colour, int penWidth, int x1, int y1, int x2, int y2) {
  const long long pen = std::max(penWidth, 1);
  const long long before = (pen - 1) / 2;  // the pen's extent on the low side of a line
  const long long left = std::min<long long>(x1, static_cast<long long>(x2) + 1) - before;
  const long long right = std::max<long long>(x1, static_cast<long long>(x2) + 1) - before;
  const long long top = std::min<long long>(y1, static_cast<long long>(y2) + 1) - before;
  const long long bottom = std::max<long long>(y1, static_cast<long long>(y2) + 1) - before;
  // Four bands pen pixels thick, each starting on its line's low side.
  FillRect(surface, Clipped(surface, left, top, right + pen, top + pen), colour);
  FillRect(surface, Clipped(surface, left, bottom, right + pen, bottom + pen), colour);
  FillRect(surface, Clipped(surface, left, top, left + pen, bottom + pen), colour);
  FillRect(surface, Clipped(surface, right, top, right + pen, bottom + pen), colour);
}

void SetClip(Surface& surface, int x1, int y1, int x2, int y2) { surface.SetClipRect(Rect{x1, y1, x2, y2}); }

void BlendRow(Surface& surface, int x, int y, int length, Colour colour, int alpha) {
  if (length <= 0) return;
  BlendRect(surface, Clipped(surface, x, y, static_cast<long long>(x) + length, static_cast<long long>(y) + 1), colour,
            alpha);
}

void BlendColumn(Surface& surface, int x, int y, int length, Colour colour, int alpha) {
  if (length <= 0) return;
  BlendRect(surface, Clipped(surface, x, y, static_cast<long long>(x) + 1, static_cast<long long>(y) + length), colour,
            alpha);
}

void TileImage(Surface& surface, const Surface& tile, int x1, int y1, int x2, int y2) {
  SetClip(surface, x1, y1, x2, y2);
  const Rect area = surface.clip();
  const int tw = tile.width();
  const int th = tile.height();
  if (!area.Empty() && tw > 0 && th > 0) {
    // Tiles sit at multiples of the tile size, so the pixel at (x, y) is the
    // tile's pixel (x mod w, y mod h).
    for (int y = area.top; y < area.bottom; ++y) {
      const Colour* src = tile.Row(PositiveMod(y, th));
      Colour* dst = surface.Row(y);
      int x = area.left;
      int sx = PositiveMod(x, tw);
      while (x < area.right) {
        const int n = std::min(tw - sx, area.right - x);
        std::memcpy(dst + x, src + sx, static_cast<std::size_t>(n) * sizeof(Colour));
        x += n;
        sx = 0;
      }
    }
  }
  surface.ResetClip();
}

void BlendMask(Surface& surface, int x, int y, const std::uint8_t* mask, int width, int height, int pitch,
               Colour colour) {
  if (mask == nullptr || width <= 0 || height <= 0) return;
  const Rect r = Clipped(surface, x, y, static_cast<long long>(x) + width, static_cast<long long>(y) + height);
  if (r.Empty()) return;
  const Colour solid = colour & kRgbMask;
  const std::uint64_t spread = SpreadChannels(solid);
  for (int py = r.top; py < r.bottom; ++py) {
    const std::uint8_t* m = mask + static_cast<std::ptrdiff_t>(py - y) * pitch + (r.left - x);
    Colour* row = surface.Row(py);
    for (int px = r.left; px < r.right; ++px, ++m) {
      const int a = *m;
      if (a == 0) continue;
      row[px] = a == 255 ? solid : BlendSpread(spread, row[px], a);
    }
  }
}

// ---------------------------------------------------------------------------
// Text

namespace {

void DrawMeasuredText(TextRenderer* renderer, Surface& target, int left, int top, int width, int height,
                      Colour colour, const FontDescription& font, std::string_view line) {
  if (renderer == nullptr || line.empty()) return;
  const Rect& clip = target.clip();
  if (clip.Empty()) return;
  // Glyphs may reach a little outside the measured box (overhangs, accents),
  // so only lines far from the clip are skipped without laying them out.
  const long long margin = std::max(height, 8);
  if (left - margin >= clip.right || static_cast<long long>(left) + width + margin <= clip.left ||
      top - margin >= clip.bottom || static_cast<long long>(top) + height + margin <= clip.top) {
    return;
  }
  renderer->Layout(font, line, [&](const PlacedGlyph& g) {
    BlendMask(target, left + g.x, top + g.y, g.coverage, g.width, g.height, g.pitch, colour);
  });
}

}  // namespace

void Gfx::DrawTextAligned(Surface& target, int x, int y, int align, Colour colour, const FontDescription& font,
                          std::string_view line) {
  line = CutText(line);
  const TextExtent extent = text != nullptr ? text->Measure(font, line) : TextExtent{};
  lastTextWidth = extent.width;
  lastTextHeight = extent.height;
  int left = 0;
  if (!AlignedLeft(x, extent.width, align, &left)) return;
  DrawMeasuredText(text, target, left, y, extent.width, extent.height, colour, font, line);
}

void Gfx::DrawTextRecord(const TextRecord& record) {
  Surface* target = record.surface != nullptr ? record.surface : surface;
  const FontDescription& font = record.font != nullptr ? *record.font : EditFont;
  const std::string_view line = CutText(record.text);
  const TextExtent extent = text != nullptr ? text->Measure(font, line) : TextExtent{};
  lastTextWidth = extent.width;
  lastTextHeight = extent.height;
  const int x2 = record.x2 == 0 ? record.x1 + extent.width : record.x2;
  const int top = record.y1 + FloorDiv(record.y2 - record.y1, 2) - extent.height / 2;
  int left = 0;
  switch (record.align) {
    case AlignLeft:
      left = record.x1;
      break;
    case AlignRight:
      left = x2 - extent.width;
      break;
    case AlignCentre:
      left = record.x1 - extent.width / 2;
      break;
    default:
      return;
  }
  if (target == nullptr) return;
  if (record.shadowColour != -1) {
    DrawMeasuredText(text, *target, left + 1, top + 1, extent.width, extent.height,
                     static_cast<Colour>(record.shadowColour), font, line);
  }
  DrawMeasuredText(text, *target, left, top, extent.width, extent.height, record.colour, font, line);
}

void Gfx::DrawFieldLabel(int x, int yTop, int yBottom, std::string_view line) {
  line = CutText(line);
  const TextExtent extent = text != nullptr ? text->Measure(LabelFont, line) : TextExtent{};
  lastTextWidth = extent.width;
  lastTextHeight = extent.height;
  if (surface == nullptr) return;
  const int top = yTop + FloorDiv(yBottom - yTop, 2) - extent.height / 2;
  DrawMeasuredText(text, *surface, x - 10 - extent.width, top, extent.width, extent.height, ColourLabelText,
                   LabelFont, line);
}

// ---------------------------------------------------------------------------
// Copies

void Gfx::PresentRect(int x, int y, int w, int h) {
  if (presenter == nullptr || surface == nullptr || w <= 0 || h <= 0) return;
  const Rect area =
      Rect{x, y, ClampToInt(static_cast<long long>(x) + w), ClampToInt(static_cast<long long>(y) + h)}.Intersect(
          surface->Bounds());
  if (area.Empty()) return;
  presenter->Present(*surface, area);
}

Surface Gfx::SaveScreen() const {
  if (surface == nullptr) return Surface();
  Surface copy = *surface;
  copy.ResetClip();
  return copy;
}

void Gfx::RestoreScreen(const Surface& saved, int x, int y, int w, int h) {
  if (surface == nullptr || w <= 0 || h <= 0) return;
  const Rect area = Clipped(*surface, x, y, static_cast<long long>(x) + w, static_cast<long long>(y) + h)
                        .Intersect(saved.Bounds());
  if (area.Empty()) return;
  for (int row = area.top; row < area.bottom; ++row) {
    std::memcpy(surface->Row(row) + area.left, saved.Row(row) + area.left,
                static_cast<std::size_t>(area.Width()) * sizeof(Colour));
  }
}

void Gfx::TileImage(const Surface& bitmap, int x1, int y1, int x2, int y2) {
  if (surface != nullptr) kal::TileImage(*surface, bitmap, x1, y1, x2, y2);
}

// ---------------------------------------------------------------------------
// Images

void Gfx::DrawResourceImage(std::string_view name, int kind, Surface& target, int x, int y, int align) {
  const Image* image = FindImage(name);
  if (image == nullptr || (kind != ImageKindIcon && kind != ImageKindBitmap)) {
    lastTextWidth = 0;
    lastTextHeight = 0;
    return;
  }
  const Surface& src = image->pixels;
  const int w = kind == ImageKindIcon ? 32 : src.width();
  const int h = kind == ImageKindIcon ? 32 : src.height();
  lastTextWidth = w;
  lastTextHeight = h;
  int left = 0;
  if (!AlignedLeft(x, w, align, &left)) return;
  const Rect r = Clipped(target, left, y, static_cast<long long>(left) + w, static_cast<long long>(y) + h);
  if (r.Empty() || src.width() == 0 || src.height() == 0) return;
  const bool hasAlpha = !image->alpha.empty();
  for (int py = r.top; py < r.bottom; ++py) {
    // Icons are drawn 32 × 32 whatever their own size (nearest pixel).
    const int sy = (py - y) * src.height() / h;
    const Colour* srow = src.Row(sy);
    const std::uint8_t* arow = hasAlpha ? image->alpha.data() + static_cast<std::size_t>(sy) * src.width() : nullptr;
    Colour* drow = target.Row(py);
    for (int px = r.left; px < r.right; ++px) {
      const int sx = (px - left) * src.width() / w;
      const Colour c = srow[sx] & kRgbMask;
      if (kind == ImageKindBitmap) {
        if (c != ColourWhite) drow[px] = c;
      } else if (!hasAlpha) {
        drow[px] = c;
      } else if (arow[sx] != 0) {
        drow[px] = arow[sx] == 255 ? c : BlendPixel(drow[px], c, arow[sx]);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Panels and frames

void Gfx::DrawPanel(int x1, int y1, int x2, int y2) {
  if (surface == nullptr) return;
  DropShadow(x1, y1, x2, y2);
  FillBox(*surface, ColourBlack, x1, y1, x2 - 1, y2 - 1);
  const Surface& texture = popupTexture.width() > 0 ? popupTexture : FindImage(PopupTextureImage)->pixels;
  kal::TileImage(*surface, texture, x1 + 1, y1 + 1, x2 - 1, y2 - 1);
  for (int i = 0; i < 4; ++i) {
    const int alpha = 160 - 40 * i;
    BlendRow(*surface, x1 + 1 + i, y1 + 1 + i, x2 - x1 - 3 - 2 * i, ColourWhite, alpha);
    BlendColumn(*surface, x1 + 1 + i, y1 + 1 + i, y2 - y1 - 3 - 2 * i, ColourWhite, alpha);
    BlendRow(*surface, x1 + i, y2 - 1 - i, x2 - 1 - x1 - 2 * i, ColourBlack, alpha);
    BlendColumn(*surface, x2 - 1 - i, y1 + i, y2 - y1 - 2 * i, ColourBlack, alpha);
  }
}

void Gfx::DropShadow(int x1, int y1, int x2, int y2) {
  if (surface == nullptr) return;
  const int w = std::min(x2 - x1, clientWidth - x1);
  const int h = std::min(y2 - y1, clientHeight - y1);
  for (int i = 0; i < 9; ++i) {
    const int alpha = 40 - 5 * i;
    BlendColumn(*surface, x2 + i, y1 + 5 + i, h - 5, ColourBlack, alpha);
    BlendRow(*surface, x1 + 5 + i, y2 + i, w - 4, ColourBlack, alpha);
  }
}

void Gfx::DrawSunkenBox(int x1, int y1, int x2, int y2, Colour fill) {
  if (surface == nullptr) return;
  for (int i = 0; i < 3; ++i) {
    const int light = 210 - 70 * i;
    BlendRow(*surface, x1 - 1 - i, y2 + 1 + i, x2 - x1 + 2 + 2 * i, ColourWhite, light);
    BlendColumn(*surface, x2 + 1 + i, y1 - 1 - i, y2 - y1 + 3 + 2 * i, ColourWhite, light);
    const int dark = 150 - 50 * i;
    BlendRow(*surface, x1 - i, y1 - 1 - i, x2 - x1 + 1 + 2 * i, ColourBlack, dark);
    BlendColumn(*surface, x1 - 1 - i, y1 - 1 - i, y2 - y1 + 2 + 2 * i, ColourBlack, dark);
  }
  FillBox(*surface, fill, x1, y1, x2, y2);
}

// ---------------------------------------------------------------------------
// Fonts

void Gfx::SetupFonts(std::string_view face, int size) {
  std::string chosen;
  if (FontInstalled(face)) {
    chosen = std::string(face);
  } else if (FontInstalled("Microsoft Sans Serif")) {
    chosen = "Microsoft Sans Serif";
  } else if (FontInstalled("MS Sans Serif")) {
    chosen = "MS Sans Serif";
  } else {
    chosen = "Arial";
  }
  // The font record keeps at most 31 characters of a face name.
  if (chosen.size() > 31) chosen.resize(31);
  // A size that is not positive would make every row and field collapse.
  if (size <= 0) size = 20;
  lineHeight = size + 3;
  EditFont = FontDescription{chosen, size, 400, false};
  MessageFont = FontDescription{chosen, size, 700, false};
  SmallFont = FontDescription{"Arial", 15, 400, false};
  SmallBoldFont = FontDescription{"Arial", 15, 700, false};
  TitleFont = FontDescription{"Geneva", 24, 700, false};
  LabelFont = FontDescription{"Microsoft Sans Serif", 16, 700, false};
}

bool Gfx::FontInstalled(std::string_view face) const {
  if (text == nullptr || face.empty()) return false;
  return text->FontInstalled(face);
}

}  // namespace kal
