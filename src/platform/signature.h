// Ed25519 detached signatures (libsodium), for the update files.
//
// A signature is the 64 raw bytes of crypto_sign_detached over the whole
// file; a public key is 32 raw bytes. Keys are written as 64 and signatures
// as 128 lower-case hex digits where text is needed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kal {

using PublicKey = std::array<std::uint8_t, 32>;
using SecretKey = std::array<std::uint8_t, 64>;

// True only when `signature` is a valid signature of `message` by the owner of `key`.
bool VerifySignature(std::string_view message, std::string_view signature, const PublicKey& key);

// Reads 64 hex digits; false (key untouched) for anything else.
bool ParsePublicKey(std::string_view hex, PublicKey& key);

// Signing, for the maker's release tooling and for tests.
struct SigningKeyPair {
  PublicKey publicKey{};
  SecretKey secretKey{};
};
SigningKeyPair NewSigningKeyPair();
std::string SignDetached(std::string_view message, const SecretKey& key);

}  // namespace kal
