#include "store/text1252.h"

namespace kal {

std::uint8_t ToUpper1252(std::uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<std::uint8_t>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

std::uint8_t ToLower1252(std::uint8_t c) {
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<std::uint8_t>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

std::string ToUpper1252(std::string_view text) {
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(ToUpper1252(static_cast<std::uint8_t>(ch)));
  return out;
}

std::string ToLower1252(std::string_view text) {
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(ToLower1252(static_cast<std::uint8_t>(ch)));
  return out;
}

}  // namespace kal
