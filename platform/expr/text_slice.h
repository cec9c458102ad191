// The part of a text that SUBSTR, LEFT and RIGHT take, computed in one place for
// the standard functions and for the key fast path (which cuts the part out of
// the key buffer in place).
#pragma once

#include <cstddef>

#include "lib/core/value.h"

namespace codfix::expr {

enum class Slice { Substr, Left, Right };

struct SliceRange {
  std::size_t first = 0, count = 0;
};

// The range of a text of `size` bytes that the function takes with arguments
// `a` (start or count) and `b` (SUBSTR's optional count, nil when omitted). False
// when the arguments have the wrong types.
bool slice_range(Slice kind, std::size_t size, const Value& a, const Value& b, SliceRange& out);

}  // namespace codfix::expr
