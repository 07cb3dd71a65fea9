// The desktop's text renderer: FreeType rasterises, fontconfig finds the
// font files and lists the installed families.
//
// The program's classic faces ("Microsoft Sans Serif", "MS Sans Serif",
// "Arial", "Geneva") and every face that is not installed resolve to
// Liberation Sans, whose metrics match Arial; without it to DejaVu Sans, and
// without both to whatever fontconfig offers for "sans-serif". A font's height
// is its cell height in pixels (ascent plus descent), as the program's font
// records mean it; weight 600 and above takes the family's bold style.
//
// Glyphs are hinted, have whole-pixel advances and no kerning, so Measure and
// Layout agree to the pixel. As with any anti-aliased text, the ink of a few
// letters ('w', 'j', '_', accented capitals) may reach a pixel beyond the
// measured box; the drawing primitives clip it like any other pixel. Faces are cached per (file, size) and glyph masks
// per (font, byte) for the renderer's lifetime; the renderer is meant for one
// thread (the user-interface thread).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace kal {

class FreeTypeTextRenderer : public TextRenderer {
 public:
  FreeTypeTextRenderer();
  ~FreeTypeTextRenderer() override;
  FreeTypeTextRenderer(const FreeTypeTextRenderer&) = delete;
  FreeTypeTextRenderer& operator=(const FreeTypeTextRenderer&) = delete;

  // False when FreeType or fontconfig could not start or no usable font file
  // was found; every call then measures zero and draws nothing.
  bool ok() const;

  TextExtent Measure(const FontDescription& font, std::string_view text) override;
  void Layout(const FontDescription& font, std::string_view text,
              const std::function<void(const PlacedGlyph&)>& sink) override;
  bool FontInstalled(std::string_view face) override;

  // The family name and file the font resolves to (for diagnostics and tests);
  // empty when nothing was found.
  std::string ResolvedFamily(const FontDescription& font);
  std::string ResolvedFile(const FontDescription& font);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kal
