#include "platform/expr/text_slice.h"

#include <algorithm>

#include "platform/expr/std_common.h"

namespace codfix::expr {

bool slice_range(Slice kind, std::size_t size, const Value& a, const Value& b, SliceRange& out) {
  out = {};
  if (!a.is_number() || (kind == Slice::Substr && !b.is_nil() && !b.is_number())) return false;
  const long length = static_cast<long>(size);
  long n = whole(a);
  switch (kind) {
    case Slice::Left:
      out.count = static_cast<std::size_t>(std::clamp(n, 0L, length));
      return true;
    case Slice::Right: {
      long k = std::clamp(n, 0L, length);
      out.first = static_cast<std::size_t>(length - k);
      out.count = static_cast<std::size_t>(k);
      return true;
    }
    case Slice::Substr:
      break;
  }
  long start = n;
  if (start > 0) {
    --start;
  } else if (start < 0) {
    start = std::max(0L, length + start);
  }
  if (start >= length) return true;
  long count = b.is_nil() ? length - start : whole(b);
  if (count <= 0) return true;
  out.first = static_cast<std::size_t>(start);
  out.count = static_cast<std::size_t>(std::min(count, length - start));
  return true;
}

}  // namespace codfix::expr
