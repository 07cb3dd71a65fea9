// The off-screen bitmap every screen draws into.
//
// Pixels are 32-bit values 0x00BBGGRR (red in the low byte), the colour form
// the whole program uses, row by row without padding. The surface also carries
// its clip rectangle, which every drawing primitive honours. Backends present
// rectangles of it to the window or write it to a PNG; the drawing primitives
// in ui/ are the only code that changes its pixels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kal {

using Colour = std::uint32_t;  // 0x00BBGGRR

constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>((r & 255) | ((g & 255) << 8) | ((b & 255) << 16));
}
constexpr int RedOf(Colour c) { return static_cast<int>(c & 255); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 255); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 255); }

// Half-open rectangle: left <= x < right, top <= y < bottom.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  Rect Intersect(const Rect& o) const {
    return Rect{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
  }
  bool operator==(const Rect&) const = default;
};

class Surface {
 public:
  Surface() = default;
  Surface(int width, int height, Colour fill = 0) { Resize(width, height, fill); }

  void Resize(int width, int height, Colour fill = 0) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill);
    clip_ = Bounds();
  }

  int width() const { return width_; }
  int height() const { return height_; }
  Rect Bounds() const { return Rect{0, 0, width_, height_}; }

  // The clip is always inside the bounds.
  const Rect& clip() const { return clip_; }
  void SetClipRect(const Rect& r) { clip_ = r.Intersect(Bounds()); }
  void ResetClip() { clip_ = Bounds(); }

  Colour* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_); }
  const Colour* Row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
  }
  // Unchecked single-pixel access for tests and tight loops that already clipped.
  Colour At(int x, int y) const { return Row(y)[x]; }
  std::vector<Colour>& pixels() { return pixels_; }
  const std::vector<Colour>& pixels() const { return pixels_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Colour> pixels_;
  Rect clip_;
};

}  // namespace kal
