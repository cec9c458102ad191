// The types a key expression can give, as the index libraries know them, and how
// a value's type maps to one. Index files do not record the key type: the caller
// learns it by evaluating the key expression, and must pass values of that type.
#pragma once

#include <cstdint>

#include "lib/core/value.h"
#include "platform/indexing/status.h"

namespace codfix::indexing {

enum class KeyType : uint8_t { kCharacter, kNumeric, kDate, kLogical };

// The key type of a value; kInvalidArgument for nil, arrays and other types that
// cannot be keys.
Result<KeyType> key_type_of(const Value& v);

// 'C', 'N', 'D' or 'L'.
char key_type_letter(KeyType type);

}  // namespace codfix::indexing
