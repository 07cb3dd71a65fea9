#include "platform/encoding.h"

#include <gtest/gtest.h>

namespace kal {
namespace {

TEST(EncodingTest, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
  // Nothing but ASCII may stay a single byte on the way out.
  EXPECT_EQ(utf8.size(), 128u + 128u * 2u + 17u);  // 17 of the 0x80..0x9F bytes need three bytes
}

TEST(EncodingTest, SpecialBytesMapToTheirCharacters) {
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");   // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\xC5\xB8");       // Y with diaeresis
  EXPECT_EQ(Cp1252ToUtf8("\x85"), "\xE2\x80\xA6");   // ellipsis
  EXPECT_EQ(Cp1252ToUtf8("\x99"), "\xE2\x84\xA2");   // trade mark
  EXPECT_EQ(Cp1252ToUtf8("\xA0"), "\xC2\xA0");       // no-break space
  EXPECT_EQ(Cp1252ToUtf8("\xFF"), "\xC3\xBF");       // y with diaeresis
  EXPECT_EQ(Cp1252ToUtf8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");
  for (const unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(Cp1252ToCodePoint(undefined), static_cast<char32_t>(undefined));
    EXPECT_EQ(CodePointToCp1252(undefined), undefined);
  }
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC 5 \xE2\x80\x93 \xC5\x92uvre"), "\x80 5 \x96 \x8Cuvre");
}

TEST(EncodingTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("ok \xE2\x9C\x93"), "ok ?");        // check mark
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80!"), "?!");        // one four-byte character, one mark
  EXPECT_EQ(Utf8ToCp1252("\xC2\x80"), "?");                  // U+0080 has no byte: 0x80 is the euro sign
  EXPECT_EQ(Utf8ToCp1252("\xC2\x9F"), "?");
  EXPECT_EQ(Utf8ToCp1252("\xC4\x80"), "?");                  // U+0100, just above Latin-1
  EXPECT_EQ(CodePointToCp1252(0x20AC), 0x80);
  EXPECT_EQ(CodePointToCp1252(0x2713), -1);
}

TEST(EncodingTest, MalformedUtf8BecomesOneQuestionMarkPerBadByte) {
  EXPECT_EQ(Utf8ToCp1252("a\xFF" "b"), "a?b");
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");                       // truncated at the end
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82x"), "??x");                // truncated before a plain letter
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");                  // overlong slash
  EXPECT_EQ(Utf8ToCp1252("\xE0\x80\xAF"), "???");             // overlong, three bytes
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");             // surrogate
  EXPECT_EQ(Utf8ToCp1252("\xF4\x90\x80\x80"), "????");        // above U+10FFFF
  EXPECT_EQ(Utf8ToCp1252("\x80\xC3\xA9"), "?\xE9");           // stray continuation, then a good letter
  EXPECT_EQ(Utf8ToCp1252(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace kal
