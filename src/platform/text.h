// Text rasterising and measuring, provided by the platform (FreeType and
// fontconfig on Linux).
//
// Text is Windows-1252 bytes, as everywhere in the program; the renderer
// converts to code points itself. The renderer only produces coverage masks;
// blending them into a Surface (with clipping and colour) is done by the
// drawing primitives, so every backend yields the same pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kal {

// The font record of the program: face, cell height in pixels, weight
// (400 normal, 700 bold) and underline.
struct FontDescription {
  std::string face;
  int height = 0;
  int weight = 400;
  bool underline = false;
  bool operator==(const FontDescription&) const = default;
};

struct TextExtent {
  int width = 0;
  int height = 0;  // the font's line height (ascent + descent), as the measuring call reports it
};

// One glyph's coverage placed relative to the top-left of the text line.
struct PlacedGlyph {
  int x = 0;  // left of the mask, from the text's left edge
  int y = 0;  // top of the mask, from the text's top edge
  int width = 0;
  int height = 0;
  int pitch = 0;                        // bytes per mask row
  const std::uint8_t* coverage = nullptr;  // 0..255, valid only during the callback
};

class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  virtual TextExtent Measure(const FontDescription& font, std::string_view text) = 0;
  // Calls `sink` for every glyph with ink, in order. Underline, when asked
  // for, arrives as one more solid mask.
  virtual void Layout(const FontDescription& font, std::string_view text,
                      const std::function<void(const PlacedGlyph&)>& sink) = 0;
  // True when a family of that name is installed (letter case ignored).
  virtual bool FontInstalled(std::string_view face) = 0;
};

}  // namespace kal
