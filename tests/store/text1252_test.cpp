#include "store/text1252.h"

#include <gtest/gtest.h>

namespace kal {
namespace {

TEST(Text1252, LetterPairsChangeCaseAndEverythingElseStays) {
  const std::uint8_t pairs[][2] = {{'A', 'a'}, {'Z', 'z'}, {0xC0, 0xE0}, {0xC9, 0xE9}, {0xDE, 0xFE},
                                   {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
  for (const auto& p : pairs) {
    EXPECT_EQ(ToUpper1252(p[1]), p[0]) << int(p[1]);
    EXPECT_EQ(ToLower1252(p[0]), p[1]) << int(p[0]);
    EXPECT_EQ(ToUpper1252(p[0]), p[0]);
    EXPECT_EQ(ToLower1252(p[1]), p[1]);
  }
  // Signs and the caseless letters sharp s and micro.
  for (const int c : {0xD7, 0xF7, 0xDF, 0xB5, int{'@'}, int{'['}, int{'`'}, int{'{'}, int{'5'}, 0x80, 0}) {
    EXPECT_EQ(ToUpper1252(static_cast<std::uint8_t>(c)), c) << c;
    EXPECT_EQ(ToLower1252(static_cast<std::uint8_t>(c)), c) << c;
  }
  EXPECT_EQ(ToUpper1252("Caf\xE9 o'Brien 9:30"), "CAF\xC9 O'BRIEN 9:30");
  EXPECT_EQ(ToLower1252(std::string_view("\x8A" "KODA\0\xD7", 7)), std::string("\x9A" "koda\0\xD7", 7));
}

}  // namespace
}  // namespace kal
