// Letter case of single-byte Windows-1252 text.
//
// Stored and shown text is Windows-1252, so the case of a byte is decided by
// that code page, not by the C locale: ASCII letters, the Latin-1 letters
// 0xC0-0xDE / 0xE0-0xFE (except the signs 0xD7 and 0xF7), and the pairs
// 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E and 0x9F/0xFF. Every other byte keeps its
// value. Pure functions; nothing is owned.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kal {

std::uint8_t ToUpper1252(std::uint8_t c);
std::uint8_t ToLower1252(std::uint8_t c);
std::string ToUpper1252(std::string_view text);
std::string ToLower1252(std::string_view text);

}  // namespace kal
