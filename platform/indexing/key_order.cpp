#include "platform/indexing/key_order.h"

#include <cstring>

namespace codfix::indexing {

int KeyOrder::compare_ascending(const char* a, const char* b, size_t n) const {
  const auto* x = reinterpret_cast<const uint8_t*>(a);
  const auto* y = reinterpret_cast<const uint8_t*>(b);
  if (weights == nullptr) {
    int c = std::memcmp(x, y, n);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  // The weights are a permutation, so equal bytes are the only equal weights: skip
  // the common run with memcmp-like speed, then weigh the first difference.
  for (size_t i = 0; i < n; ++i) {
    if (x[i] != y[i]) return weights[x[i]] < weights[y[i]] ? -1 : 1;
  }
  return 0;
}

}  // namespace codfix::indexing
