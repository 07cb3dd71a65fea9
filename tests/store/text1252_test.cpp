#include "store/text1252.h"

#include <gtest/gtest.h>

namespace kal {
namespace {

TEST(Text1252, LetterPairs) {
  const std::uint8_t pairs[][2] = {{'A', 'a'}, {'Z', 'z'}, {0xC0, 0xE0}, {0xC9, 0xE9}, {0xDE, 0xFE},
                                   {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
  for (const auto& p : pairs) {
    EXPECT_EQ(ToUpper1252(p[1]), p[0]) << int(p[1]);
    EXPECT_EQ(ToLower1252(p[0]), p[1]) << int(p[0]);
    EXPECT_EQ(ToUpper1252(p[0]), p[0]);
    EXPECT_EQ(ToLower1252(p[1]), p[1]);
  }
}

TEST(Text1252, SignsAndCaselessLettersStay) {
  for (std::uint8_t c : {std::uint8_t{0xD7}, std::uint8_t{0xF7}, std::uint8_t{0xDF}, std::uint8_t{0xB5},
                         std::uint8_t{'@'}, std::uint8_t{'['}, std::uint8_t{'`'}, std::uint8_t{'{'},
                         std::uint8_t{'5'}, std::uint8_t{0x80}, std::uint8_t{0}}) {
    EXPECT_EQ(ToUpper1252(c), c) << int(c);
    EXPECT_EQ(ToLower1252(c), c) << int(c);
  }
}

TEST(Text1252, Strings) {
  EXPECT_EQ(ToUpper1252("Caf\xE9 o'Brien 9:30"), "CAF\xC9 O'BRIEN 9:30");
  EXPECT_EQ(ToLower1252("\x8A" "KODA \xD7 2"), "\x9A" "koda \xD7 2");
  EXPECT_EQ(ToLower1252(std::string_view("A\0B", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace kal
