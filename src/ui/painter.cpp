#include "ui/painter.h"

#include <algorithm>
#include <cmath>

namespace kal::paint {

Rgba Solid(int r, int g, int b, float a) {
  return Rgba{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), a};
}

Rgba Mix(const Rgba& p, const Rgba& q, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return Rgba{p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t, p.a + (q.a - p.a) * t};
}

Paint Flat(Rgba c) {
  return [c](float, float) { return c; };
}
Paint Vertical(float y0, Rgba c0, float y1, Rgba c1) {
  return [=](float, float y) { return Mix(c0, c1, (y - y0) / (y1 - y0)); };
}

int Byte(float v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }

Image ToBitmap(const Canvas& c, Rgba matte) {
  Image image;
  image.pixels.Resize(c.width(), c.height(), Rgb(255, 255, 255));
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      const Rgba& p = c.At(x, y);
      if (p.a < 0.06f) continue;
      Rgba m = matte;
      m.a = 1.0f;
      Canvas::Over(m, p);
      Colour colour = Rgb(Byte(m.r), Byte(m.g), Byte(m.b));
      if (colour == Rgb(255, 255, 255)) colour = Rgb(254, 254, 254);
      image.pixels.Row(y)[x] = colour;
    }
  }
  return image;
}

Image ToIcon(const Canvas& c) {
  Image image;
  image.pixels.Resize(c.width(), c.height(), Rgb(255, 255, 255));
  image.alpha.assign(static_cast<std::size_t>(c.width()) * c.height(), 0);
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      const Rgba& p = c.At(x, y);
      const int a = Byte(p.a * 255.0f);
      if (a == 0) continue;
      image.alpha[static_cast<std::size_t>(y) * c.width() + x] = static_cast<std::uint8_t>(a);
      Colour colour = Rgb(Byte(p.r), Byte(p.g), Byte(p.b));
      if (colour == Rgb(255, 255, 255)) colour = Rgb(254, 254, 254);
      image.pixels.Row(y)[x] = colour;
    }
  }
  return image;
}

Image FromPixels(const std::vector<std::string>& rows, const std::map<char, Colour>& palette) {
  Image image;
  const int h = static_cast<int>(rows.size());
  const int w = h > 0 ? static_cast<int>(rows[0].size()) : 0;
  image.pixels.Resize(w, h, Rgb(255, 255, 255));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w && x < static_cast<int>(rows[y].size()); ++x) {
      const auto it = palette.find(rows[y][x]);
      if (it != palette.end()) image.pixels.Row(y)[x] = it->second;
    }
  }
  return image;
}

Image FlipVertical(const Image& in) {
  Image out = in;
  const int h = in.pixels.height();
  for (int y = 0; y < h; ++y) {
    std::copy_n(in.pixels.Row(h - 1 - y), in.pixels.width(), out.pixels.Row(y));
  }
  return out;
}

Image FlipHorizontal(const Image& in) {
  Image out = in;
  const int w = in.pixels.width();
  for (int y = 0; y < in.pixels.height(); ++y) {
    for (int x = 0; x < w; ++x) out.pixels.Row(y)[x] = in.pixels.Row(y)[w - 1 - x];
  }
  return out;
}

Image Transpose(const Image& in) {
  Image out;
  out.pixels.Resize(in.pixels.height(), in.pixels.width());
  for (int y = 0; y < in.pixels.height(); ++y) {
    for (int x = 0; x < in.pixels.width(); ++x) out.pixels.Row(x)[y] = in.pixels.Row(y)[x];
  }
  return out;
}

// --- distance functions ----------------------------------------------------

float Length(float x, float y) { return std::sqrt(x * x + y * y); }

Sdf Box(float x0, float y0, float x1, float y1, float r) {
  const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const float hx = (x1 - x0) / 2 - r, hy = (y1 - y0) / 2 - r;
  return [=](float x, float y) {
    const float qx = std::fabs(x - cx) - hx;
    const float qy = std::fabs(y - cy) - hy;
    return Length(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - r;
  };
}

Sdf Circle(float cx, float cy, float r) {
  return [=](float x, float y) { return Length(x - cx, y - cy) - r; };
}

Sdf Segment(float ax, float ay, float bx, float by, float r) {
  return [=](float x, float y) {
    const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const float h = std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return Length(px - dx * h, py - dy * h) - r;
  };
}

float EllipseDistance(float x, float y, float rx, float ry) {
  const float k0 = Length(x / rx, y / ry);
  const float k1 = Length(x / (rx * rx), y / (ry * ry));
  if (k1 == 0.0f) return -std::min(rx, ry);
  return k0 * (k0 - 1.0f) / k1;
}

Sdf Ring(float cx, float cy, float rx, float ry, float t) {
  return [=](float x, float y) { return std::fabs(EllipseDistance(x - cx, y - cy, rx, ry)) - t; };
}

Sdf Polygon(std::vector<float> v) {
  return [v](float x, float y) {
    const std::size_t n = v.size() / 2;
    float d = (x - v[0]) * (x - v[0]) + (y - v[1]) * (y - v[1]);
    float s = 1.0f;
    for (std::size_t i = 0, j = n - 1; i < n; j = i, ++i) {
      const float ex = v[2 * j] - v[2 * i], ey = v[2 * j + 1] - v[2 * i + 1];
      const float wx = x - v[2 * i], wy = y - v[2 * i + 1];
      const float h = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
      const float bx = wx - ex * h, by = wy - ey * h;
      d = std::min(d, bx * bx + by * by);
      const bool c1 = y >= v[2 * i + 1], c2 = y < v[2 * j + 1], c3 = ex * wy > ey * wx;
      if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
  };
}

Sdf Heart(float cx, float tipY, float size) {
  return [=](float x, float y) {
    float px = std::fabs(x - cx) / size;
    const float py = (tipY - y) / size;
    float d;
    if (py + px > 1.0f) {
      d = Length(px - 0.25f, py - 0.75f) - std::sqrt(2.0f) / 4.0f;
    } else {
      const float m = 0.5f * std::max(px + py, 0.0f);
      const float d1 = (px * px) + (py - 1.0f) * (py - 1.0f);
      const float d2 = (px - m) * (px - m) + (py - m) * (py - m);
      d = std::sqrt(std::min(d1, d2)) * (px - py > 0 ? 1.0f : -1.0f);
    }
    return d * size;
  };
}

Sdf Union(std::vector<Sdf> parts) {
  return [parts](float x, float y) {
    float d = 1e9f;
    for (const Sdf& p : parts) d = std::min(d, p(x, y));
    return d;
  };
}

Sdf Intersect(Sdf a, Sdf b) {
  return [a, b](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Sdf Subtract(Sdf a, Sdf b) {
  return [a, b](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf Offset(Sdf a, float by) {
  return [a, by](float x, float y) { return a(x, y) - by; };
}

Sdf Translate(Sdf a, float dx, float dy) {
  return [a, dx, dy](float x, float y) { return a(x - dx, y - dy); };
}

Sdf Below(float yLimit) {
  return [yLimit](float, float y) { return yLimit - y; };
}
Sdf Above(float yLimit) {
  return [yLimit](float, float y) { return y - yLimit; };
}
Sdf LeftOf(float xLimit) {
  return [xLimit](float x, float) { return x - xLimit; };
}

// ---------------------------------------------------------------------------
// Textures: periodic value noise, so that copies placed side by side join
// without a seam.

namespace {

class PeriodicNoise {
 public:
  PeriodicNoise(int cells, std::uint32_t seed) : cells_(cells), values_(static_cast<std::size_t>(cells) * cells) {
    std::uint32_t s = seed;
    for (float& v : values_) {
      s = s * 1664525u + 1013904223u;
      v = static_cast<float>((s >> 8) & 0xFFFF) / 65535.0f * 2.0f - 1.0f;
    }
  }
  // u, v in [0, 1): one period.
  float At(float u, float v) const {
    const float x = u * cells_, y = v * cells_;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = Smooth(x - x0), fy = Smooth(y - y0);
    const float a = Value(x0, y0), b = Value(x0 + 1, y0), c = Value(x0, y0 + 1), d = Value(x0 + 1, y0 + 1);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
  }

 private:
  static float Smooth(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }
  float Value(int x, int y) const {
    x = ((x % cells_) + cells_) % cells_;
    y = ((y % cells_) + cells_) % cells_;
    return values_[static_cast<std::size_t>(y) * cells_ + x];
  }
  int cells_;
  std::vector<float> values_;
};

}  // namespace

Image Texture(Rgba base, Rgba light, float strength, float grain, std::uint32_t seed) {
  const int size = 100;
  const PeriodicNoise broad(2, seed), middle(4, seed + 7), fine(10, seed + 13), finer(25, seed + 29);
  Image image;
  image.pixels.Resize(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float u = x / static_cast<float>(size), v = y / static_cast<float>(size);
      float n = 0.45f * broad.At(u, v) + 0.30f * middle.At(u, v) + 0.17f * fine.At(u, v) + 0.08f * finer.At(u, v);
      // Threads of a fine weave: a period that divides the tile size.
      const float weave = 0.5f * (std::sin(x * 2.0f * 3.14159265f / 4.0f) + std::sin(y * 2.0f * 3.14159265f / 4.0f));
      const float t = 0.5f + 0.5f * std::clamp(n * 1.6f, -1.0f, 1.0f);
      Rgba c = Mix(base, light, t * strength + (1.0f - strength) * 0.5f);
      const float g = weave * grain;
      image.pixels.Row(y)[x] = Rgb(Byte(c.r + g), Byte(c.g + g), Byte(c.b + g));
    }
  }
  return image;
}

}  // namespace kal::paint
