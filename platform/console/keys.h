// Key codes of the platform's numbering, as hot keys and key handling use them.
// Character keys have their code page 850 character code.
#pragma once

namespace codfix::console::key {

inline constexpr int kNone = 0;
inline constexpr int kHome = 1;
inline constexpr int kCtrlRight = 2;
inline constexpr int kPgDn = 3;
inline constexpr int kRight = 4;
inline constexpr int kUp = 5;
inline constexpr int kEnd = 6;
inline constexpr int kDel = 7;
inline constexpr int kBackspace = 8;
inline constexpr int kTab = 9;
inline constexpr int kEnter = 13;
inline constexpr int kPgUp = 18;
inline constexpr int kLeft = 19;
inline constexpr int kIns = 22;
inline constexpr int kCtrlEnd = 23;
inline constexpr int kDown = 24;
inline constexpr int kCtrlLeft = 26;
inline constexpr int kEsc = 27;
inline constexpr int kF1 = 28;
inline constexpr int kCtrlHome = 29;
inline constexpr int kCtrlPgDn = 30;
inline constexpr int kCtrlPgUp = 31;
inline constexpr int kSpace = 32;
inline constexpr int kCtrlBackspace = 127;
inline constexpr int kBreak = 256;  // Ctrl+Break, Ctrl+C, the terminal being closed
inline constexpr int kShiftTab = 271;
inline constexpr int kCtrlUp = 397;
inline constexpr int kCtrlDown = 401;
inline constexpr int kAltUp = 408;
inline constexpr int kAltLeft = 411;
inline constexpr int kAltRight = 413;
inline constexpr int kAltDown = 416;
inline constexpr int kAltHome = 407;
inline constexpr int kAltEnd = 415;
inline constexpr int kAltPgUp = 409;
inline constexpr int kAltPgDn = 417;
inline constexpr int kF11 = -40;
inline constexpr int kF12 = -41;

// Mouse events.
inline constexpr int kMouseMove = 1001;
inline constexpr int kLeftDown = 1002;
inline constexpr int kLeftUp = 1003;
inline constexpr int kRightDown = 1004;
inline constexpr int kRightUp = 1005;
inline constexpr int kWheelForward = 1014;
inline constexpr int kWheelBackward = 1015;

// F1 28, F2..F10 -1..-9, F11 -40, F12 -41.
constexpr int f(int n) {
  return n == 1 ? kF1 : n <= 10 ? -(n - 1) : n == 11 ? kF11 : kF12;
}
// Shift+F1..F10 -10..-19, Ctrl+F1..F10 -20..-29, Alt+F1..F10 -30..-39.
constexpr int shift_f(int n) {
  return n <= 10 ? -(10 + n - 1) : n == 11 ? -42 : -43;
}
constexpr int ctrl_f(int n) {
  return n <= 10 ? -(20 + n - 1) : n == 11 ? -44 : -45;
}
constexpr int alt_f(int n) {
  return n <= 10 ? -(30 + n - 1) : n == 11 ? -46 : -47;
}
// Ctrl+letter: 512 + the letter's place in the alphabet (Ctrl+A 513 ... Ctrl+Z 538).
constexpr int ctrl(char letter) {
  char u = letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 32) : letter;
  return 512 + (u - 'A' + 1);
}
// Alt+letter or digit: 256 + the key's scan code; 0 when there is none.
int alt(char c);

// Event mask bits (SET EVENTMASK).
inline constexpr int kMaskMove = 1;
inline constexpr int kMaskLeftDown = 2;
inline constexpr int kMaskLeftUp = 4;
inline constexpr int kMaskRightDown = 8;
inline constexpr int kMaskRightUp = 16;
inline constexpr int kMaskMiddle = 32;
inline constexpr int kMaskWheel = 64;
inline constexpr int kMaskKeyboard = 128;
inline constexpr int kMaskAll = 255;

// The mask bit an event code belongs to.
int mask_bit(int code);

}  // namespace codfix::console::key
