#include "platform/freetype_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

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
  // Bold comes from the family's own bold file, from weight 600 up.
  EXPECT_EQ(R().ResolvedFamily(Font("Arial", 20, 700)), fallback);
  EXPECT_NE(R().ResolvedFile(Font("Arial", 20, 700)), R().ResolvedFile(Font("Arial", 20, 400)));
  EXPECT_EQ(R().ResolvedFile(Font("Arial", 20, 600)), R().ResolvedFile(Font("Arial", 20, 700)));
  EXPECT_EQ(R().ResolvedFile(Font("Arial", 20, 599)), R().ResolvedFile(Font("Arial", 20, 400)));

  std::string upper = fallback;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(R().FontInstalled(fallback));
  EXPECT_TRUE(R().FontInstalled(upper));
  EXPECT_FALSE(R().FontInstalled("Qzx Nonsense Family"));
  EXPECT_FALSE(R().FontInstalled(""));
}

TEST(FreeTypeText, MeasureAddsWholePixelAdvancesAndTheCellHeightSetsTheLine) {
  const FontDescription font = Font("Microsoft Sans Serif", 20);
  const TextExtent one = R().Measure(font, "M");
  const TextExtent word = R().Measure(font, "Monday");
  EXPECT_EQ(R().Measure(font, "").width, 0);
  EXPECT_GT(one.width, 0);
  EXPECT_GT(word.width, one.width);
  EXPECT_EQ(Width(font, "MondayMonday"), 2 * word.width);  // no kerning
  for (const char* text : {"", "Monday", "gjpqy\xC5\xC9"}) EXPECT_EQ(R().Measure(font, text).height, one.height);
  EXPECT_GE(one.height, 20);
  EXPECT_LE(one.height, 23);

  const TextExtent small = R().Measure(Font("Arial", 15), "Agenda");
  const TextExtent big = R().Measure(Font("Arial", 40), "Agenda");
  EXPECT_GE(small.height, 15);
  EXPECT_LE(small.height, 18);
  EXPECT_GE(big.height, 40);
  EXPECT_LE(big.height, 44);
  EXPECT_GT(big.width, 2 * small.width);
  EXPECT_GT(R().Measure(Font("Arial", 0), "Agenda").height, 0);  // a usable default
  EXPECT_GT(Width(Font("Arial", 15, 700), "Blood Pressure"), Width(Font("Arial", 15), "Blood Pressure"));

  // High bytes are Windows-1252 characters, not the missing-glyph box of a Latin-1 reading.
  const FontDescription arial = Font("Arial", 20);
  EXPECT_EQ(Width(arial, "\x80"), Width(arial, "0"));  // tabular euro in Arial's metrics
  EXPECT_NE(Width(arial, "\x93"), Width(arial, "\x81"));
  EXPECT_EQ(Width(arial, "\xE9"), Width(arial, "e"));
  EXPECT_EQ(Width(arial, "\xC9"), Width(arial, "E"));
}

TEST(FreeTypeText, LayoutStaysInsideTheMeasuredBox) {
  const std::string text = "Weight Management: 72.5 kg (BMI 23)";  // no overhanging letters
  for (const FontDescription& font :
       {Font("Arial", 15), Font("Geneva", 24, 700), Font("Microsoft Sans Serif", 20, 400, true)}) {
    const TextExtent extent = R().Measure(font, text);
    int glyphs = 0;
    int inkRight = 0;
    R().Layout(font, text, [&](const PlacedGlyph& g) {
      ++glyphs;
      EXPECT_GE(g.x, 0);
      EXPECT_GE(g.y, 0);
      EXPECT_LE(g.x + g.width, extent.width);
      EXPECT_LE(g.y + g.height, extent.height);
      EXPECT_GE(g.pitch, g.width);
      ASSERT_NE(g.coverage, nullptr);
      int ink = 0;
      for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) ink += g.coverage[y * g.pitch + x];
      EXPECT_GT(ink, 0);
      inkRight = std::max(inkRight, g.x + g.width);
    });
    // Spaces have no mask; every other character has one, plus the underline.
    EXPECT_EQ(glyphs, static_cast<int>(text.size()) - 5 + (font.underline ? 1 : 0));
    EXPECT_GE(inkRight, extent.width - 3);
  }
}

TEST(FreeTypeText, UnderlineIsOneSolidMaskBelowTheBaseline) {
  const FontDescription plain = Font("Arial", 20);
  const FontDescription underlined = Font("Arial", 20, 400, true);
  const TextExtent extent = R().Measure(underlined, "HELL");
  EXPECT_EQ(extent.width, Width(plain, "HELL"));
  int plainCount = 0;
  int baselineBottom = 0;  // lowest ink of the letters, which sit on the baseline
  R().Layout(plain, "HELL", [&](const PlacedGlyph& g) {
    ++plainCount;
    baselineBottom = std::max(baselineBottom, g.y + g.height);
  });
  std::vector<PlacedGlyph> glyphs;
  std::vector<std::uint8_t> lastMask;
  R().Layout(underlined, "HELL", [&](const PlacedGlyph& g) {
    glyphs.push_back(g);
    lastMask.clear();
    for (int y = 0; y < g.height; ++y) {
      lastMask.insert(lastMask.end(), g.coverage + y * g.pitch, g.coverage + y * g.pitch + g.width);
    }
  });
  ASSERT_EQ(static_cast<int>(glyphs.size()), plainCount + 1);
  const PlacedGlyph& line = glyphs.back();
  EXPECT_EQ(line.x, 0);
  EXPECT_EQ(line.width, extent.width);
  EXPECT_GE(line.height, 1);
  EXPECT_GE(line.y, baselineBottom);
  EXPECT_LE(line.y + line.height, extent.height);
  EXPECT_EQ(std::count(lastMask.begin(), lastMask.end(), 255), line.width * line.height);
}

}  // namespace
}  // namespace kal
