#include "platform/key_codes.h"
#include "platform/window.h"

#include <array>
#include <cctype>

namespace kal {

namespace {

struct KeyName {
  std::string_view name;
  Key key;
};

constexpr std::array<KeyName, 27> kNamedKeys{{
    {"F1", Key::F1},         {"F2", Key::F2},           {"F3", Key::F3},       {"F4", Key::F4},
    {"F5", Key::F5},         {"F6", Key::F6},           {"F7", Key::F7},       {"F8", Key::F8},
    {"F9", Key::F9},         {"F10", Key::F10},         {"F11", Key::F11},     {"F12", Key::F12},
    {"Home", Key::Home},     {"Up", Key::Up},           {"PageUp", Key::PageUp}, {"Left", Key::Left},
    {"Right", Key::Right},   {"End", Key::End},         {"Down", Key::Down},   {"PageDown", Key::PageDown},
    {"Insert", Key::Insert}, {"Delete", Key::Delete},   {"Enter", Key::Enter}, {"Tab", Key::Tab},
    {"Escape", Key::Escape}, {"Backspace", Key::Backspace}, {"Space", Key::Space},
}};

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool IsLetter(Key k) { return k >= Key::A && k <= Key::Z; }
bool IsDigit(Key k) { return k >= Key::Digit0 && k <= Key::Digit9; }

}  // namespace

int ProgramKeyCode(Key key) {
  if (key >= Key::F1 && key <= Key::F12) return static_cast<int>(key) - static_cast<int>(Key::F1) + KeyF1;
  switch (key) {
    case Key::Digit1: return KeyDigit1;
    case Key::Digit2: return KeyDigit2;
    case Key::Digit3: return KeyDigit3;
    case Key::Home: return KeyHome;
    case Key::Up: return KeyUp;
    case Key::PageUp: return KeyPageUp;
    case Key::Left: return KeyLeft;
    case Key::Right: return KeyRight;
    case Key::End: return KeyEnd;
    case Key::Down: return KeyDown;
    case Key::PageDown: return KeyPageDown;
    case Key::Insert: return KeyInsert;
    case Key::Delete: return KeyDelete;
    default: return 0;
  }
}

Key KeyFromName(std::string_view name) {
  for (const KeyName& k : kNamedKeys) {
    if (EqualNoCase(k.name, name)) return k.key;
  }
  if (name.size() == 1) {
    const unsigned char c = static_cast<unsigned char>(name[0]);
    if (std::isalpha(c)) return static_cast<Key>(static_cast<int>(Key::A) + (std::toupper(c) - 'A'));
    if (std::isdigit(c)) return static_cast<Key>(static_cast<int>(Key::Digit0) + (c - '0'));
  }
  return Key::None;
}

int KeyCharacter(Key key, bool shift, bool ctrl) {
  switch (key) {
    case Key::Enter: return ctrl ? CharJoinLines : CharEnter;
    case Key::Tab: return ctrl ? 0 : CharTab;
    case Key::Escape: return CharEscape;
    case Key::Backspace: return ctrl ? CharCtrlBackspace : CharBackspace;
    case Key::Space: return CharSpace;
    default: break;
  }
  if (IsLetter(key)) {
    const int index = static_cast<int>(key) - static_cast<int>(Key::A);
    if (ctrl) return index + 1;
    return (shift ? 'A' : 'a') + index;
  }
  if (IsDigit(key) && !ctrl && !shift) return '0' + (static_cast<int>(key) - static_cast<int>(Key::Digit0));
  return 0;
}

}  // namespace kal
