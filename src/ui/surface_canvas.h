// The PageCanvas that paints with our own drawing primitives into a Surface:
// the printed pages as pixels, for previews, tests and the benchmark, and the
// one path by which the screen's entry boxes and the printed ones are
// painted alike. Does not own the Gfx or the surface.
#pragma once

#include <functional>

#include "platform/page_canvas.h"
#include "ui/gfx.h"

namespace kal {

class SurfaceCanvas : public PageCanvas {
 public:
  SurfaceCanvas(Gfx& gfx, Surface& surface) : gfx_(gfx), surface_(surface) {}

  // Called with the finished page at every EndPage.
  std::function<void(const Surface&)> pageDone;
  int pages() const { return pages_; }

  bool StartPage() override {
    surface_.ResetClip();
    FillBox(surface_, ColourWhite, 0, 0, surface_.width() - 1, surface_.height() - 1);
    return true;
  }
  bool EndPage() override {
    ++pages_;
    if (pageDone) pageDone(surface_);
    return true;
  }
  void Fill(Colour colour, int x1, int y1, int x2, int y2) override { FillBox(surface_, colour, x1, y1, x2, y2); }
  void Frame(Colour colour, int penWidth, int x1, int y1, int x2, int y2) override {
    DrawBox(surface_, colour, penWidth, x1, y1, x2, y2);
  }
  void Text(int x, int y, int align, Colour colour, const FontDescription& font, std::string_view line) override {
    gfx_.DrawTextAligned(surface_, x, y, align, colour, font, line);
  }
  void SetClip(const Rect& clip) override { surface_.SetClipRect(clip); }
  Rect Clip() const override { return surface_.clip(); }
  TextRenderer& Measurer() override { return *gfx_.text; }

 private:
  Gfx& gfx_;
  Surface& surface_;
  int pages_ = 0;
};

}  // namespace kal
