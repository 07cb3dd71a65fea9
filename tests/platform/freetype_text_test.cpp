#include "platform/freetype_text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>

namespace kal {
namespace {

class FreeTypeTextTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { renderer_ = new FreeTypeTextRenderer(); }
  static void TearDownTestSuite() {
    delete renderer_;
    renderer_ = nullptr;
  }
  static FreeTypeTextRenderer& R() { return *renderer_; }
  static FontDescription Font(std::string face, int height, int weight = 400, bool underline = false) {
    return FontDescription{std::move(face), height, weight, underline};
  }
  static FreeTypeTextRenderer* renderer_;
};
FreeTypeTextRenderer* FreeTypeTextTest::renderer_ = nullptr;

TEST_F(FreeTypeTextTest, ClassicFacesResolveToTheMetricCompatibleFamily) {
  ASSERT_TRUE(R().ok());
  const std::string fallback = R().ResolvedFamily(Font("Microsoft Sans Serif", 20));
  ASSERT_TRUE(fallback == "Liberation Sans" || fallback == "DejaVu Sans") << fallback;
  for (const char* face : {"MS Sans Serif", "arial", "Geneva", "No Such Face 42"}) {
    EXPECT_EQ(R().ResolvedFamily(Font(face, 20)), fallback) << face;
  }
  // Bold comes from the family's own bold file, not from the regular one.
  EXPECT_EQ(R().ResolvedFamily(Font("Arial", 20, 700)), fallback);
  EXPECT_NE(R().ResolvedFile(Font("Arial", 20, 700)), R().ResolvedFile(Font("Arial", 20, 400)));
  EXPECT_EQ(R().ResolvedFile(Font("Arial", 20, 600)), R().ResolvedFile(Font("Arial", 20, 700)));
  EXPECT_EQ(R().ResolvedFile(Font("Arial", 20, 599)), R().ResolvedFile(Font("Arial", 20, 400)));
}

TEST_F(FreeTypeTextTest, FontInstalledIgnoresCase) {
  const std::string family = R().ResolvedFamily(Font("Arial", 15));
  ASSERT_FALSE(family.empty());
  EXPECT_TRUE(R().FontInstalled(family));
  std::string upper = family;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(R().FontInstalled(upper));
  EXPECT_FALSE(R().FontInstalled("Qzx Nonsense Family"));
  EXPECT_FALSE(R().FontInstalled(""));
}

TEST_F(FreeTypeTextTest, MeasureGrowsWithTextAndKeepsTheLineHeight) {
  const FontDescription font = Font("Microsoft Sans Serif", 20);
  const TextExtent empty = R().Measure(font, "");
  const TextExtent one = R().Measure(font, "M");
  const TextExtent word = R().Measure(font, "Monday");
  const TextExtent longer = R().Measure(font, "Monday, 5 May 2024");
  EXPECT_EQ(empty.width, 0);
  EXPECT_GT(one.width, 0);
  EXPECT_GT(word.width, one.width);
  EXPECT_GT(longer.width, word.width);
  // Widths add up: no kerning, whole-pixel advances.
  EXPECT_EQ(R().Measure(font, "MondayMonday").width, 2 * word.width);
  EXPECT_EQ(empty.height, one.height);
  EXPECT_EQ(word.height, one.height);
  EXPECT_EQ(R().Measure(font, "gjpqy\xC5\xC9").height, one.height);
  EXPECT_GE(one.height, 20);
  EXPECT_LE(one.height, 23);
}

TEST_F(FreeTypeTextTest, CellHeightSetsTheLineHeight) {
  const TextExtent small = R().Measure(Font("Arial", 15), "Agenda");
  EXPECT_GE(small.height, 15);
  EXPECT_LE(small.height, 18);
  const TextExtent big = R().Measure(Font("Arial", 40), "Agenda");
  EXPECT_GE(big.height, 40);
  EXPECT_LE(big.height, 44);
  EXPECT_GT(big.width, 2 * small.width);
  // A zero height still gives a usable default font.
  EXPECT_GT(R().Measure(Font("Arial", 0), "Agenda").height, 0);
}

TEST_F(FreeTypeTextTest, BoldIsWiderThanRegular) {
  const std::string text = "Blood Pressure Summary";
  EXPECT_GT(R().Measure(Font("Arial", 15, 700), text).width, R().Measure(Font("Arial", 15, 400), text).width);
  EXPECT_GT(R().Measure(Font("Geneva", 24, 700), text).width, R().Measure(Font("Geneva", 24, 400), text).width);
}

TEST_F(FreeTypeTextTest, LayoutStaysInsideTheMeasuredBox) {
  for (const FontDescription& font : {Font("Arial", 15), Font("Arial", 15, 700), Font("Geneva", 24, 700),
                                      Font("Microsoft Sans Serif", 20, 400, true)}) {
    // Ordinary text keeps its ink inside; only a few letters ('w', 'j', '_')
    // overhang by a pixel, as anti-aliased text does anywhere.
    const std::string text = "Weight Management: 72.5 kg (BMI 23)";
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
    // Spaces have no ink; every other character has a mask, plus the underline.
    EXPECT_EQ(glyphs, static_cast<int>(text.size()) - 5 + (font.underline ? 1 : 0));
    EXPECT_GE(inkRight, extent.width - 3);
  }
}

TEST_F(FreeTypeTextTest, UnderlineIsOneSolidMaskBelowTheBaseline) {
  const FontDescription plain = Font("Arial", 20);
  FontDescription underlined = plain;
  underlined.underline = true;
  const TextExtent extent = R().Measure(underlined, "HELL");
  EXPECT_EQ(extent.width, R().Measure(plain, "HELL").width);
  int plainCount = 0;
  int baselineBottom = 0;  // lowest ink of the letters, which sit on the baseline
  R().Layout(plain, "HELL", [&](const PlacedGlyph& g) {
    ++plainCount;
    baselineBottom = std::max(baselineBottom, g.y + g.height);
  });
  PlacedGlyph last;
  int count = 0;
  R().Layout(underlined, "HELL", [&](const PlacedGlyph& g) {
    ++count;
    last = g;
    if (count == plainCount + 1) {
      for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) ASSERT_EQ(g.coverage[y * g.pitch + x], 255);
    }
  });
  ASSERT_EQ(count, plainCount + 1);
  EXPECT_EQ(last.x, 0);
  EXPECT_EQ(last.width, extent.width);
  EXPECT_GE(last.height, 1);
  EXPECT_GE(last.y, baselineBottom);
  EXPECT_LE(last.y + last.height, extent.height);
}

TEST_F(FreeTypeTextTest, HighBytesAreDrawnAsTheirCp1252Characters) {
  const FontDescription font = Font("Arial", 20);
  // The euro sign (0x80) and the left double quote (0x93) are real glyphs,
  // not the missing-glyph box that a Latin-1 reading would find.
  const int box = R().Measure(font, "\x81").width;
  EXPECT_NE(R().Measure(font, "\x80").width, 0);
  EXPECT_EQ(R().Measure(font, "\x80").width, R().Measure(font, "0").width);  // tabular euro in Arial's metrics
  EXPECT_NE(R().Measure(font, "\x93").width, box);
  EXPECT_EQ(R().Measure(font, "\xE9").width, R().Measure(font, "e").width);
  EXPECT_EQ(R().Measure(font, "\xC9").width, R().Measure(font, "E").width);
}

}  // namespace
}  // namespace kal
