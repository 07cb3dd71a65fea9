// A text renderer whose characters are solid blocks `advance` wide and
// `height` high, side by side, so that widths and wrapping become arithmetic.
// '~' has half coverage and ' ' no ink; `installed` holds the lower-case
// family names FontInstalled knows.
#pragma once

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "platform/text.h"

namespace kal::test {

class BlockText : public TextRenderer {
 public:
  BlockText(int advance, int height) : advance(advance), height(height) {}
  TextExtent Measure(const FontDescription&, std::string_view text) override {
    return {advance * static_cast<int>(text.size()), height};
  }
  void Layout(const FontDescription&, std::string_view text,
              const std::function<void(const PlacedGlyph&)>& sink) override {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == ' ') continue;
      const std::vector<std::uint8_t> mask(static_cast<std::size_t>(advance * height), text[i] == '~' ? 128 : 255);
      sink(PlacedGlyph{static_cast<int>(i) * advance, 0, advance, height, advance, mask.data()});
    }
  }
  bool FontInstalled(std::string_view face) override {
    std::string lower(face);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return installed.count(lower) > 0;
  }
  int advance, height;
  std::set<std::string> installed;
};

}  // namespace kal::test
