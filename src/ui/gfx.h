// Drawing primitives, fonts and text on the off-screen surface.
//
// Every screen, panel and control is drawn with these operations into the
// off-screen Surface, and changed rectangles are then handed to the window
// through a Presenter. Every primitive honours the surface's clip rectangle,
// returns early when nothing is left to draw, and works row by row.
//
// Ownership: a Gfx does not own its surface, text renderer or presenter; the
// program (or a test) keeps them alive for as long as the Gfx is used. The
// two textures are owned by the Gfx. A Gfx is used from the user-interface
// thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/surface.h"
#include "platform/text.h"

namespace kal {

// Standard colours, named by their use.
constexpr Colour ColourMessageText = Rgb(0, 0, 0);
constexpr Colour ColourLabelText = Rgb(0, 0, 0);
constexpr Colour ColourListText = Rgb(0, 0, 0);
constexpr Colour ColourWhite1 = Rgb(255, 255, 255);
constexpr Colour ColourWhite2 = Rgb(255, 255, 255);
constexpr Colour ColourNavy = Rgb(0, 0, 128);
constexpr Colour ColourFieldText = Rgb(0, 0, 0);
constexpr Colour ColourFieldBack = Rgb(255, 255, 255);
constexpr Colour ColourButtonFace = Rgb(192, 192, 192);
constexpr Colour ColourButtonText = Rgb(0, 0, 0);
constexpr Colour ColourDarkGrey = Rgb(120, 120, 120);
constexpr Colour ColourBlack = Rgb(0, 0, 0);
constexpr Colour ColourWhite = Rgb(255, 255, 255);

// Text alignment of text and image operations.
constexpr int AlignLeft = 0;
constexpr int AlignRight = 1;
constexpr int AlignCentre = 2;
constexpr int AlignMeasure = 3;

// Longest text drawn or measured in one call; the rest is ignored.
constexpr std::size_t MaxTextChars = 159;

// Image kinds of DrawResourceImage.
constexpr int ImageKindIcon = 1;
constexpr int ImageKindBitmap = 2;

// A colour from computed components, each clamped to 0..255.
Colour RgbClamped(int r, int g, int b);

// One channel-wise blend: (src·a + dst·(255 − a) + 127) / 255, a in 0..255.
// The three channels are spread into 16-bit lanes of one 64-bit word and
// divided by 255 exactly with (x + 1 + (x >> 8)) >> 8, valid for every
// x <= 255·255 + 127, so no lane ever carries into the next.
inline std::uint64_t SpreadChannels(Colour c) {
  return (c & 0xFFu) | (static_cast<std::uint64_t>(c & 0xFF00u) << 8) |
         (static_cast<std::uint64_t>(c & 0xFF0000u) << 16);
}
inline Colour BlendSpread(std::uint64_t srcSpread, Colour dst, int a) {
  constexpr std::uint64_t kLanes = 0x00FF00FF00FFull;
  std::uint64_t t = srcSpread * static_cast<std::uint64_t>(a) +
                    SpreadChannels(dst) * static_cast<std::uint64_t>(255 - a) + 0x007F007F007Full;
  t = ((t + 0x000100010001ull + ((t >> 8) & kLanes)) >> 8) & kLanes;
  return static_cast<Colour>((t & 0xFFu) | ((t >> 8) & 0xFF00u) | ((t >> 16) & 0xFF0000u));
}
inline Colour BlendPixel(Colour dst, Colour src, int a) { return BlendSpread(SpreadChannels(src), dst, a); }

// The window side of PresentRect: copies a rectangle of the surface to the
// same place in the window. Implemented by the window backends.
class Presenter {
 public:
  virtual ~Presenter() = default;
  virtual void Present(const Surface& surface, const Rect& area) = 0;
};

// The text part of a control: where, in what and how its caption is drawn.
// The control record of buttons and fields carries these fields in this order.
struct TextRecord {
  Surface* surface = nullptr;  // null: the off-screen surface
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;  // 0: the text's right end (x1 + measured width)
  int y2 = 0;
  Colour colour = ColourBlack;
  std::int32_t shadowColour = -1;  // -1: no shadow
  const FontDescription* font = nullptr;
  int align = AlignLeft;
  std::string text;
};

// Surface-level primitives. Coordinates may lie anywhere; what falls outside
// the surface's clip is not drawn.

// Fills x1 <= x <= x2, y1 <= y <= y2 (both corners inclusive).
void FillBox(Surface& surface, Colour colour, int x1, int y1, int x2, int y2);
// Outline only, along columns x1 and x2 + 1 and rows y1 and y2 + 1. A pen
// wider than one pixel is centred on those lines; penWidth < 1 counts as 1.
void DrawBox(Surface& surface, Colour colour, int penWidth, int x1, int y1, int x2, int y2);
// Later drawing only touches x1 <= x < x2, y1 <= y < y2 (within the surface).
void SetClip(Surface& surface, int x1, int y1, int x2, int y2);
// One-pixel lines blended with a constant alpha (0..255).
void BlendRow(Surface& surface, int x, int y, int length, Colour colour, int alpha);
void BlendColumn(Surface& surface, int x, int y, int length, Colour colour, int alpha);
// Fills the half-open rectangle with copies of `tile` aligned to the surface
// origin, so neighbouring areas join without seams. The clip is the
// rectangle while tiling and the whole surface afterwards.
void TileImage(Surface& surface, const Surface& tile, int x1, int y1, int x2, int y2);
// Blends a coverage mask (0..255 per pixel) in `colour` with its top-left at
// (x, y); the glyph path of text drawing.
void BlendMask(Surface& surface, int x, int y, const std::uint8_t* mask, int width, int height, int pitch,
               Colour colour);

class Gfx {
 public:
  Surface* surface = nullptr;      // the off-screen surface
  TextRenderer* text = nullptr;    // measures and rasterises text
  Presenter* presenter = nullptr;  // the window; null when nothing is shown

  // Size of the last text or image measured or drawn.
  int lastTextWidth = 0;
  int lastTextHeight = 0;

  // The six standard fonts and the height of one line of standard text,
  // set by SetupFonts.
  FontDescription EditFont;
  FontDescription MessageFont;
  FontDescription SmallFont;
  FontDescription SmallBoldFont;
  FontDescription TitleFont;
  FontDescription LabelFont;
  int lineHeight = 23;

  // The drawing area; the off-screen surface has this size.
  int clientWidth = 0;
  int clientHeight = 0;

  // Fill of screens and of panels.
  Surface backgroundTexture;
  Surface popupTexture;

  // One line of text with its top at y; align 0 left edge at x, 1 right end
  // at x, 2 centred at x, anything else only measures. Sets lastText*.
  void DrawTextAligned(Surface& target, int x, int y, int align, Colour colour, const FontDescription& font,
                       std::string_view line);
  // Text vertically centred in the record's box, optionally with a shadow one
  // pixel right and down.
  void DrawTextRecord(const TextRecord& record);
  // A label in LabelFont ending 10 pixels left of x, centred between yTop and yBottom.
  void DrawFieldLabel(int x, int yTop, int yBottom, std::string_view line);

  // Copies that rectangle of the off-screen surface to the window.
  void PresentRect(int x, int y, int w, int h);
  // A copy of the whole off-screen surface, and putting part of it back.
  Surface SaveScreen() const;
  void RestoreScreen(const Surface& saved, int x, int y, int w, int h);
  // TileImage on the off-screen surface.
  void TileImage(const Surface& bitmap, int x1, int y1, int x2, int y2);

  // A built-in image: kind 1 an icon drawn 32 × 32 with its own
  // transparency, kind 2 a bitmap whose pure white pixels are transparent.
  // Aligned like text; sets lastText* to the drawn size.
  void DrawResourceImage(std::string_view name, int kind, Surface& target, int x, int y, int align);

  // The raised panel of dialogs and pop-ups, with its shadow.
  void DrawPanel(int x1, int y1, int x2, int y2);
  // A soft shadow right of and below the rectangle.
  void DropShadow(int x1, int y1, int x2, int y2);
  // A soft sunken frame outside the rectangle, then the rectangle filled.
  void DrawSunkenBox(int x1, int y1, int x2, int y2, Colour fill);

  // Builds the six fonts and lineHeight from a face (with fallbacks when it
  // is not installed) and a size (0 or less: 20).
  void SetupFonts(std::string_view face, int size);
  // True when a font family of that name is installed (letter case ignored).
  bool FontInstalled(std::string_view face) const;
};

}  // namespace kal
