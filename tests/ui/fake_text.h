// A deterministic text renderer for pixel tests: every character is a solid
// block `advance` pixels wide and `height` pixels tall placed side by side;
// '~' has half coverage (128) and ' ' has no ink.
#pragma once

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "platform/text.h"

namespace kal::test {

class FakeText : public TextRenderer {
 public:
  int advance = 5;
  int height = 8;
  std::set<std::string> installed;  // lower-case family names
  std::string lastMeasured;
  std::string lastLaidOut;
  int layouts = 0;

  TextExtent Measure(const FontDescription&, std::string_view text) override {
    lastMeasured = std::string(text);
    return TextExtent{advance * static_cast<int>(text.size()), height};
  }

  void Layout(const FontDescription&, std::string_view text,
              const std::function<void(const PlacedGlyph&)>& sink) override {
    ++layouts;
    lastLaidOut = std::string(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == ' ') continue;
      mask_.assign(static_cast<std::size_t>(advance) * height, text[i] == '~' ? 128 : 255);
      PlacedGlyph g;
      g.x = static_cast<int>(i) * advance;
      g.y = 0;
      g.width = advance;
      g.height = height;
      g.pitch = advance;
      g.coverage = mask_.data();
      sink(g);
    }
  }

  bool FontInstalled(std::string_view face) override {
    std::string lower(face);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return installed.count(lower) > 0;
  }

 private:
  std::vector<std::uint8_t> mask_;
};

}  // namespace kal::test
