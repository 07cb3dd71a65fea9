// The painter the built-in images are drawn with.
//
// A tiny vector painter: shapes are signed distance functions (negative
// inside, in pixels), and a pixel's coverage is how far its centre lies
// inside the edge, which gives smooth edges without supersampling.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/images.h"

namespace kal::paint {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;  // 0..255 colour, 0..1 opacity
};

using Sdf = std::function<float(float, float)>;
using Paint = std::function<Rgba(float, float)>;

class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h) {}
  // A canvas of w x h pixels on which shapes are given in units of 1/scale
  // pixel: the same artwork at another size.
  Canvas(int w, int h, float scale) : Canvas(w, h) { scale_ = scale; }
  int width() const { return w_; }
  int height() const { return h_; }
  Rgba& At(int x, int y) { return px_[static_cast<std::size_t>(y) * w_ + x]; }
  const Rgba& At(int x, int y) const { return px_[static_cast<std::size_t>(y) * w_ + x]; }

  // Source-over of a shape in a paint.
  void Fill(const Sdf& shape, const Paint& paint) {
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x) {
        const float cx = (x + 0.5f) / scale_;
        const float cy = (y + 0.5f) / scale_;
        const float coverage = std::clamp(0.5f - shape(cx, cy) * scale_, 0.0f, 1.0f);
        if (coverage <= 0.0f) continue;
        Rgba src = paint(cx, cy);
        src.a *= coverage;
        Over(At(x, y), src);
      }
    }
  }

  static void Over(Rgba& dst, const Rgba& src) {
    const float a = src.a + dst.a * (1.0f - src.a);
    if (a <= 0.0f) return;
    dst.r = (src.r * src.a + dst.r * dst.a * (1.0f - src.a)) / a;
    dst.g = (src.g * src.a + dst.g * dst.a * (1.0f - src.a)) / a;
    dst.b = (src.b * src.a + dst.b * dst.a * (1.0f - src.a)) / a;
    dst.a = a;
  }

 private:
  int w_, h_;
  float scale_ = 1.0f;
  std::vector<Rgba> px_;
};

Rgba Solid(int r, int g, int b, float a = 1.0f);

Rgba Mix(const Rgba& p, const Rgba& q, float t);

Paint Flat(Rgba c);

// Top-to-bottom gradient between rows y0 and y1.
Paint Vertical(float y0, Rgba c0, float y1, Rgba c1);

int Byte(float v);

// Bitmaps have no opacity: soft edges are mixed with the colour they will
// mostly be drawn on (`matte`), pixels that stay (nearly) empty become pure
// white, the transparent key, and painted pixels never are pure white.
Image ToBitmap(const Canvas& c, Rgba matte);

// Icons keep their opacity; fully transparent pixels are white so that the
// icon also works as a white-keyed bitmap.
Image ToIcon(const Canvas& c);

// Hand-drawn pixel art: one string per row, one character per pixel; '.' is
// transparent (white), every other character is looked up in the palette.
Image FromPixels(const std::vector<std::string>& rows, const std::map<char, Colour>& palette);

Image FlipVertical(const Image& in);

Image FlipHorizontal(const Image& in);

Image Transpose(const Image& in);

float Length(float x, float y);

// Rectangle [x0, x1] × [y0, y1] with corner radius r.
Sdf Box(float x0, float y0, float x1, float y1, float r = 0.0f);

Sdf Circle(float cx, float cy, float r);

// A stroke of half-width r from (ax, ay) to (bx, by) with round ends.
Sdf Segment(float ax, float ay, float bx, float by, float r);

// Distance to the ellipse outline with radii rx, ry (a close approximation).
float EllipseDistance(float x, float y, float rx, float ry);

// An elliptical ring: the outline with radii rx, ry stroked t to each side.
Sdf Ring(float cx, float cy, float rx, float ry, float t);

// Convex or concave polygon given as x, y pairs.
Sdf Polygon(std::vector<float> v);

// A heart whose tip is at (cx, tipY), about 1.1 × size tall, pointing down.
Sdf Heart(float cx, float tipY, float size);

Sdf Union(std::vector<Sdf> parts);

Sdf Intersect(Sdf a, Sdf b);

Sdf Subtract(Sdf a, Sdf b);

Sdf Offset(Sdf a, float by);

Sdf Translate(Sdf a, float dx, float dy);

// Half-planes, handy for cutting strokes: Below(y) is everything below the
// row y (larger y), Above(y) everything above it, LeftOf(x) everything left.
Sdf Below(float yLimit);

Sdf Above(float yLimit);

Sdf LeftOf(float xLimit);

// A 100 × 100 texture: a base colour varied by a few octaves of noise, with a
// faint woven grain.
Image Texture(Rgba base, Rgba light, float strength, float grain, std::uint32_t seed);

}  // namespace kal::paint
