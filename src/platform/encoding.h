// Conversion between the program's stored text (single-byte Windows-1252)
// and UTF-8, the form the desktop uses for typed and pasted text, the
// clipboard and file names.
//
// Every byte of Windows-1252 has a code point: the five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of
// the same value, so Cp1252ToUtf8 followed by Utf8ToCp1252 returns any byte
// string unchanged. Pure functions, no state.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kal {

// The Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);
// The Windows-1252 byte of a code point, or -1 when the code page has none.
int CodePointToCp1252(char32_t codePoint);

// Each code point without a Windows-1252 byte, and each byte that is not
// part of a well-formed UTF-8 sequence (overlong forms, surrogates and values
// above U+10FFFF included), becomes '?'.
std::string Utf8ToCp1252(std::string_view utf8);
// The byte offset of the first character Utf8ToCp1252 would turn into '?',
// with its length in bytes (1 for a malformed byte) and its code point (the
// byte's value for a malformed byte); npos when every character converts.
std::size_t FirstUnconvertible(std::string_view utf8, std::size_t& length, char32_t& codePoint);
std::string Cp1252ToUtf8(std::string_view cp1252);

}  // namespace kal
