// The maker's half of update signing.
//
//   sign_update keygen SECRET_FILE   writes a new secret key (64 raw bytes,
//                                    readable by its owner only) and prints
//                                    the public key in hex, for
//                                    -DKALENDRINA_UPDATE_KEY=...
//   sign_update sign SECRET_FILE FILE...
//                                    writes FILE.sig beside each file: the
//                                    64-byte detached Ed25519 signature
//
// Release: sign version_info.txt and the update archive, upload each file
// with its .sig beside it.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/file_system.h"
#include "platform/signature.h"

namespace {

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  bytes = s.str();
  return true;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  kal::AtomicFileWriter writer(path);
  writer.Write(bytes.data(), bytes.size());
  if (writer.Commit()) return true;
  std::fprintf(stderr, "sign_update: %s\n", writer.error().c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "keygen" && argc == 3) {
    const kal::SigningKeyPair pair = kal::NewSigningKeyPair();
    // A new file made by the writer is readable by its owner only.
    if (!WriteFile(argv[2], std::string(pair.secretKey.begin(), pair.secretKey.end()))) return 2;
    for (std::uint8_t b : pair.publicKey) std::printf("%02x", b);
    std::printf("\n");
    return 0;
  }
  if (command == "sign" && argc >= 4) {
    std::string secret;
    if (!ReadFile(argv[2], secret) || secret.size() != kal::SecretKey().size()) {
      std::fprintf(stderr, "sign_update: %s is not a secret key\n", argv[2]);
      return 2;
    }
    kal::SecretKey key{};
    std::copy(secret.begin(), secret.end(), key.begin());
    for (int i = 3; i < argc; ++i) {
      std::string bytes;
      if (!ReadFile(argv[i], bytes)) {
        std::fprintf(stderr, "sign_update: cannot read %s\n", argv[i]);
        return 2;
      }
      if (!WriteFile(std::string(argv[i]) + ".sig", kal::SignDetached(bytes, key))) return 2;
    }
    return 0;
  }
  std::fprintf(stderr, "usage: sign_update keygen SECRET_FILE | sign_update sign SECRET_FILE FILE...\n");
  return 1;
}
