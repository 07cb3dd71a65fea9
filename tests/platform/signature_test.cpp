#include "platform/signature.h"

#include <gtest/gtest.h>

namespace kal {
namespace {

TEST(Signature, OnlyTheSignedBytesUnderTheRightKeyVerify) {
  const SigningKeyPair maker = NewSigningKeyPair();
  const SigningKeyPair other = NewSigningKeyPair();
  const std::string file = "kalendrina_version 2.5\r\n";
  const std::string signature = SignDetached(file, maker.secretKey);
  std::string flipped = signature;
  flipped[10] = static_cast<char>(flipped[10] ^ 1);
  const struct {
    const char* name;
    std::string message;
    std::string signature;
    const PublicKey& key;
    bool ok;
  } cases[] = {
      {"signed", file, signature, maker.publicKey, true},
      {"one byte more", file + " ", signature, maker.publicKey, false},
      {"other key", file, signature, other.publicKey, false},
      {"changed signature", file, flipped, maker.publicKey, false},
      {"short signature", file, signature.substr(1), maker.publicKey, false},
      {"no signature", file, "", maker.publicKey, false},
  };
  for (const auto& c : cases) EXPECT_EQ(VerifySignature(c.message, c.signature, c.key), c.ok) << c.name;
}

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
