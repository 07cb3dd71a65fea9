#include "platform/signature.h"

#include <sodium.h>

#include <mutex>

namespace kal {

namespace {

void InitSodium() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Fails only when no random source exists; signing then fails too, and
    // verification does not need one.
    if (sodium_init() < 0) return;
  });
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool VerifySignature(std::string_view message, std::string_view signature, const PublicKey& key) {
  InitSodium();
  if (signature.size() != crypto_sign_BYTES) return false;
  return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                     reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                                     key.data()) == 0;
}

bool ParsePublicKey(std::string_view hex, PublicKey& key) {
  if (hex.size() != 2 * key.size()) return false;
  PublicKey parsed{};
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    const int hi = HexDigit(hex[2 * i]);
    const int lo = HexDigit(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    parsed[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  key = parsed;
  return true;
}

SigningKeyPair NewSigningKeyPair() {
  InitSodium();
  SigningKeyPair pair;
  crypto_sign_keypair(pair.publicKey.data(), pair.secretKey.data());
  return pair;
}

std::string SignDetached(std::string_view message, const SecretKey& key) {
  InitSodium();
  std::string signature(crypto_sign_BYTES, '\0');
  crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size(), key.data());
  return signature;
}

}  // namespace kal
