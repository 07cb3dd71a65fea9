#include "platform/signature.h"

#include <gtest/gtest.h>

namespace kal {
namespace {

TEST(Signature, PublicKeysAreReadFromSixtyFourHexDigits) {
  const std::string hex = "db5f4152a358ebd34cd66e08b7a853b81116c599a84d09dcf4f37bd63696fcda";
  PublicKey key{};
  ASSERT_TRUE(ParsePublicKey(hex, key));
  EXPECT_EQ(key[0], 0xdb);
  EXPECT_EQ(key[31], 0xda);
  for (const std::string& bad : {hex.substr(1), hex + "0", std::string(63, '0') + "g", std::string()}) {
    PublicKey untouched = key;
    EXPECT_FALSE(ParsePublicKey(bad, untouched)) << bad;
    EXPECT_EQ(untouched, key);
  }
  ASSERT_TRUE(ParsePublicKey(std::string(64, 'F'), key));
  EXPECT_EQ(key[5], 0xff);
}

}  // namespace
}  // namespace kal
