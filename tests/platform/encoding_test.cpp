#include "platform/encoding.h"

#include <gtest/gtest.h>

namespace kal {
namespace {

TEST(EncodingTest, EveryByteSurvivesTheRoundTripAndSpecialBytesMapToTheirCharacters) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
  EXPECT_EQ(utf8.size(), 128u + 128u * 2u + 17u);  // 17 of the 0x80..0x9F bytes need three bytes

  // Euro, ellipsis, trade mark, Y diaeresis, no-break space, y diaeresis, e acute.
  EXPECT_EQ(Cp1252ToUtf8("\x80\x85\x99\x9F\xA0\xFF\xE9t"),
            "\xE2\x82\xAC\xE2\x80\xA6\xE2\x84\xA2\xC5\xB8\xC2\xA0\xC3\xBF\xC3\xA9t");
  for (const unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(Cp1252ToCodePoint(undefined), static_cast<char32_t>(undefined));
    EXPECT_EQ(CodePointToCp1252(undefined), undefined);
  }
  EXPECT_EQ(CodePointToCp1252(0x20AC), 0x80);
  EXPECT_EQ(CodePointToCp1252(0x2713), -1);
}

TEST(EncodingTest, UnmappableAndMalformedUtf8BecomeQuestionMarks) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xE2\x82\xAC 5 \xE2\x80\x93 \xC5\x92uvre", "\x80 5 \x96 \x8Cuvre"},
      {"ok \xE2\x9C\x93", "ok ?"},          // check mark
      {"\xF0\x9F\x98\x80!", "?!"},          // one four-byte character, one mark
      {"\xC2\x80", "?"},                    // U+0080 has no byte: 0x80 is the euro sign
      {"\xC2\x9F", "?"},
      {"\xC4\x80", "?"},                    // U+0100, just above Latin-1
      {"a\xFF" "b", "a?b"},                 // one mark per bad byte from here on
      {"\xC3", "?"},                        // truncated at the end
      {"\xE2\x82x", "??x"},                 // truncated before a plain letter
      {"\xC0\xAF", "??"},                   // overlong slash
      {"\xE0\x80\xAF", "???"},              // overlong, three bytes
      {"\xED\xA0\x80", "???"},              // surrogate
      {"\xF4\x90\x80\x80", "????"},         // above U+10FFFF
      {"\x80\xC3\xA9", "?\xE9"},            // stray continuation, then a good letter
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& [utf8, cp1252] : cases) EXPECT_EQ(Utf8ToCp1252(utf8), cp1252) << utf8;
}

}  // namespace
}  // namespace kal
