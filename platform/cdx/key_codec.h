// Key values of CDX tags: turning the value of a key expression into the fixed
// length key bytes a tag stores, and back.
//
//   character  the text cut or blank-padded to the key length (at most 240)
//   numeric    8 bytes: the IEEE double big-endian, made byte-sortable: the top bit
//              flipped when the value is >= 0 (-0 counts as +0), every bit
//              inverted when it is negative. (Files of some third-party drivers
//              hold 4-byte numeric keys, a 32-bit integer plus 0x80000000
//              big-endian; they are read and kept up to date, never created.)
//   date       the Julian day number as a double, encoded like a number; the empty
//              date is 0.0
//   logical    'T' or 'F'
//
// The trailing bytes a leaf does not store are blanks for character tags and NUL
// bytes for the others (pad_byte()). The file does not record the key type: the
// caller learns it by evaluating the key expression, and must pass values of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/core/value.h"
#include "platform/cdx/status.h"
#include "platform/indexing/key_type.h"

namespace codfix::cdx {

using indexing::key_type_letter;
using indexing::key_type_of;
using indexing::KeyType;

struct KeyFormat {
  KeyType type = KeyType::kCharacter;
  uint16_t size = 0;
  // Decimals of the numbers decode_key() gives (the file does not keep them: they
  // come from the key expression's value on a blank record).
  uint16_t decimals = 0;
};

// The pad byte of trailing bytes for keys of a type.
inline char pad_byte(KeyType type) {
  return type == KeyType::kCharacter ? ' ' : '\0';
}

// The format of a new tag whose key expression gives `blank` on a blank record:
// the text length cut to 240, 8 for numbers and dates, 1 for logicals. A zero
// width is kInvalidArgument.
Result<KeyFormat> key_format_for(const Value& blank);

// The format of an existing tag of `key_size` whose expression gives `type`; a
// size the type cannot have (N not 8 or 4, D not 8, L not 1, C not 1..240) is
// kCorrupt.
Result<KeyFormat> key_format(KeyType type, uint16_t key_size, uint16_t decimals = 0);

// Exactly format.size key bytes for `v`. A value of another type than the format's
// is kInvalidArgument.
Result<std::string> encode_key(const Value& v, const KeyFormat& format);
// Same, appending to `out` (no allocation in bulk loops when `out` has room).
Status append_key(const Value& v, const KeyFormat& format, std::string& out);
// The 8 sortable bytes of a number (the numeric and date key form).
void append_number_key(double value, std::string& out);

// The bytes a SEEK looks for: text as given (cut to the key size, not padded, so
// that a shorter value finds the first key it begins); other types as full keys.
Result<std::string> encode_seek_key(const Value& v, const KeyFormat& format);

// The value a stored key stands for (the inverse of encode_key).
Value decode_key(std::string_view key, const KeyFormat& format);

}  // namespace codfix::cdx
