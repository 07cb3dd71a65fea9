#include "platform/freetype_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <tuple>
#include <vector>

namespace kal {
namespace {

FreeTypeTextRenderer& R() {
  static FreeTypeTextRenderer renderer;
  return renderer;
}
FontDescription Font(std::string face, int height, int weight = 400, bool underline = false) {
  return FontDescription{std::move(face), height, weight, underline};
}
int Width(const FontDescription& font, std::string_view text) { return R().Measure(font, text).width; }

TEST(FreeTypeText, ClassicFacesResolveToTheMetricCompatibleFamily) {
  ASSERT_TRUE(R().ok());
  const std::string fallback = R().ResolvedFamily(Font("Microsoft Sans Serif", 20));
  ASSERT_TRUE(fallback == "Liberation Sans" || fallback == "DejaVu Sans") << fallback;
  for (const char* face : {"MS Sans Serif", "arial", "Geneva", "No Such Face 42"}) {
    EXPECT_EQ(R().ResolvedFamily(Font(face, 20)), fallback) << face;
  }
  // Weight 600 and up takes the family's own bold file.
  const std::string regular = R().ResolvedFile(Font("Arial", 20, 599));
  const std::string bold = R().ResolvedFile(Font("Arial", 20, 600));
  EXPECT_NE(bold, regular);
  EXPECT_EQ(R().ResolvedFile(Font("Arial", 20, 700)), bold);
  EXPECT_EQ(R().ResolvedFile(Font("Arial", 20, 400)), regular);
  EXPECT_EQ(R().ResolvedFamily(Font("Arial", 20, 700)), fallback);

  std::string upper = fallback;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(R().FontInstalled(upper));
  EXPECT_FALSE(R().FontInstalled("Qzx Nonsense Family"));
  EXPECT_FALSE(R().FontInstalled(""));
}

TEST(FreeTypeText, MeasureAddsWholePixelAdvancesAndTheCellHeightSetsTheLine) {
  const FontDescription font = Font("Microsoft Sans Serif", 20);
  const TextExtent one = R().Measure(font, "M");
  EXPECT_EQ(R().Measure(font, "").width, 0);
  EXPECT_GT(one.width, 0);
  EXPECT_EQ(Width(font, "MondayMonday"), 2 * Width(font, "Monday"));  // no kerning
  for (const char* text : {"", "Monday", "gjpqy\xC5\xC9"}) EXPECT_EQ(R().Measure(font, text).height, one.height);
  EXPECT_GE(one.height, 20);
  EXPECT_LE(one.height, 23);
  const TextExtent big = R().Measure(Font("Arial", 40), "Agenda");
  EXPECT_GE(big.height, 40);
  EXPECT_LE(big.height, 44);
  EXPECT_GT(R().Measure(Font("Arial", 0), "Agenda").height, 0);  // a usable default
  EXPECT_GT(Width(Font("Arial", 15, 700), "Blood Pressure"), Width(Font("Arial", 15), "Blood Pressure"));

  // High bytes are Windows-1252 characters, not the missing-glyph box of a Latin-1 reading.
  const FontDescription arial = Font("Arial", 20);
  EXPECT_EQ(Width(arial, "\x80"), Width(arial, "0"));  // tabular euro in Arial's metrics
  EXPECT_NE(Width(arial, "\x93"), Width(arial, "\x81"));
  EXPECT_EQ(Width(arial, "\xE9\xC9"), Width(arial, "eE"));
}

// Every glyph mask of the text, with its ink.
std::vector<std::pair<PlacedGlyph, int>> Glyphs(const FontDescription& font, const std::string& text) {
  std::vector<std::pair<PlacedGlyph, int>> glyphs;
  R().Layout(font, text, [&](const PlacedGlyph& g) {
    int ink = 0;
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) ink += g.coverage[y * g.pitch + x];
    glyphs.emplace_back(g, ink);
  });
  return glyphs;
}

TEST(FreeTypeText, LayoutStaysInsideTheMeasuredBoxAndUnderlinesBelowTheBaseline) {
  const std::string text = "Weight Management: 72.5 kg (BMI 23)";  // no overhanging letters
  for (const FontDescription& font : {Font("Arial", 15), Font("Geneva", 24, 700), Font("Arial", 20, 400, true)}) {
    const TextExtent extent = R().Measure(font, text);
    const auto glyphs = Glyphs(font, text);
    // Spaces have no mask; every other character has one, plus the underline.
    EXPECT_EQ(glyphs.size(), text.size() - 5 + (font.underline ? 1 : 0));
    int inkRight = 0;
    for (const auto& [g, ink] : glyphs) {
      EXPECT_TRUE(g.x >= 0 && g.y >= 0 && g.x + g.width <= extent.width && g.y + g.height <= extent.height);
      EXPECT_GE(g.pitch, g.width);
      EXPECT_GT(ink, 0);
      inkRight = std::max(inkRight, g.x + g.width);
    }
    EXPECT_GE(inkRight, extent.width - 3);
  }

  const FontDescription under = Font("Arial", 20, 400, true);
  const auto plain = Glyphs(Font("Arial", 20), "HELL");
  const auto underlined = Glyphs(under, "HELL");
  ASSERT_EQ(underlined.size(), plain.size() + 1);
  int baseline = 0;  // the lowest ink of letters that sit on it
  for (const auto& [g, ink] : plain) baseline = std::max(baseline, g.y + g.height);
  const auto& [line, ink] = underlined.back();
  EXPECT_EQ(std::tuple(line.x, line.width), std::tuple(0, Width(Font("Arial", 20), "HELL")));
  EXPECT_EQ(Width(under, "HELL"), line.width);
  EXPECT_GE(line.height, 1);
  EXPECT_GE(line.y, baseline);
  EXPECT_LE(line.y + line.height, R().Measure(under, "HELL").height);
  EXPECT_EQ(ink, 255 * line.width * line.height);  // solid
}

}  // namespace
}  // namespace kal
