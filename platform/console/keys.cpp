#include "platform/console/keys.h"

namespace codfix::console::key {

int alt(char c) {
  // Scan codes of the PC keyboard's letter rows.
  static constexpr unsigned char kLetters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23,
                                                 36, 37, 38, 50, 49, 24, 25, 16, 19,
                                                 31, 20, 22, 47, 17, 45, 21, 44};
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  if (c >= 'A' && c <= 'Z') return 256 + kLetters[c - 'A'];
  if (c >= '1' && c <= '9') return 376 + (c - '1');
  if (c == '0') return 385;
  return 0;
}

int mask_bit(int code) {
  switch (code) {
    case kMouseMove:
      return kMaskMove;
    case kLeftDown:
    case 1006:  // double click
      return kMaskLeftDown;
    case kLeftUp:
      return kMaskLeftUp;
    case kRightDown:
    case 1007:
      return kMaskRightDown;
    case kRightUp:
      return kMaskRightUp;
    case kWheelForward:
    case kWheelBackward:
      return kMaskWheel;
    default:
      return code >= 1001 && code <= 1015 ? kMaskMiddle : kMaskKeyboard;
  }
}

}  // namespace codfix::console::key
