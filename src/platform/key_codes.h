// The program's key numbering (InputState::lastKey) and the characters
// (InputState::lastChar) that the program gives a meaning. The backends turn
// their keys into these through ProgramKeyCode and KeyCharacter
// (platform/window.h); everything above reads only these names.
#pragma once

#include <cstdint>

namespace kal {

// Keys: F1..F12 are 1..12, the digits "1".."3" 49..51, the cursor block 71..83.
constexpr std::int32_t KeyF1 = 1;
constexpr std::int32_t KeyF12 = 12;
constexpr std::int32_t KeyDigit1 = 49;
constexpr std::int32_t KeyDigit2 = 50;
constexpr std::int32_t KeyDigit3 = 51;
constexpr std::int32_t KeyHome = 71;
constexpr std::int32_t KeyUp = 72;
constexpr std::int32_t KeyPageUp = 73;
constexpr std::int32_t KeyLeft = 75;
constexpr std::int32_t KeyRight = 77;
constexpr std::int32_t KeyEnd = 79;
constexpr std::int32_t KeyDown = 80;
constexpr std::int32_t KeyPageDown = 81;
constexpr std::int32_t KeyInsert = 82;
constexpr std::int32_t KeyDelete = 83;

// Characters of keys and of Ctrl with a letter (Ctrl+A = 1 ... Ctrl+Z = 26).
constexpr std::int32_t CharSelectAll = 1;     // Ctrl+A
constexpr std::int32_t CharCopy = 3;          // Ctrl+C
constexpr std::int32_t CharDegree = 4;        // Ctrl+D types a degree sign
constexpr std::int32_t CharBackspace = 8;
constexpr std::int32_t CharTab = 9;
constexpr std::int32_t CharJoinLines = 10;    // Ctrl+Enter
constexpr std::int32_t CharSentenceCase = 12; // Ctrl+L
constexpr std::int32_t CharEnter = 13;
constexpr std::int32_t CharUpperCase = 21;    // Ctrl+U
constexpr std::int32_t CharPaste = 22;        // Ctrl+V
constexpr std::int32_t CharCut = 24;          // Ctrl+X
constexpr std::int32_t CharEscape = 27;
constexpr std::int32_t CharSpace = 32;
constexpr std::int32_t CharCtrlBackspace = 127;

}  // namespace kal
