// Key values: turning the value of a key expression into the fixed-length key bytes
// stored in an NTX file, and working out the key size from the value the expression
// gives on a blank record.
//
//   character  the text cut or blank-padded to the key size (no case folding)
//   numeric    STR(value, K, decimals) with leading blanks made '0'; a negative
//              value also has its '-' made '0' and every digit d made 0x5C - d, so
//              that byte order is numeric order
//   date       YYYYMMDD, 8 blanks for the empty date
//   logical    'T' or 'F'
//
// The index file does not record the key type: the caller learns it by evaluating
// the key expression, and must pass values of that type.
#pragma once

#include <cstdint>
#include <string>

#include "lib/core/value.h"
#include "platform/indexing/key_type.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

using indexing::KeyType;

struct KeyFormat {
  KeyType type = KeyType::kCharacter;
  uint16_t size = 0;  // K
  uint16_t decimals = 0;
};

// The key type of a value; kInvalidArgument for nil, arrays and other types that
// cannot be keys.
using indexing::key_type_of;

// The format that a key expression giving `blank` on a blank record has: text length
// (cut to 256), the STR() width of a number (integer width + decimals + 1 when there
// are decimals), 8 for dates, 1 for logicals. A zero width is kInvalidArgument.
Result<KeyFormat> key_format_for(const Value& blank);

// The format for an index whose header says `key_size` and `key_decimals`, with the
// type found by evaluating the expression.
inline KeyFormat key_format(KeyType type, uint16_t key_size, uint16_t key_decimals) {
  return KeyFormat{type, key_size, key_decimals};
}

// Exactly format.size key bytes for `v`. A value of another type than the format's
// is kInvalidArgument.
Result<std::string> encode_key(const Value& v, const KeyFormat& format);
// Same, appending to `out` (no allocation in bulk loops when `out` has room).
Status append_key(const Value& v, const KeyFormat& format, std::string& out);

// The bytes a SEEK looks for: text as given (cut to the key size, not padded, so
// that a shorter value finds the first key it begins); other types as full keys.
Result<std::string> encode_seek_key(const Value& v, const KeyFormat& format);

// The value a stored key stands for (the inverse of encode_key); numeric keys give
// a number with the format's decimals.
Value decode_key(std::string_view key, const KeyFormat& format);

}  // namespace codfix::ntx
