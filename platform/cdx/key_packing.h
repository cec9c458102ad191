// How a leaf entry leaves out bytes of its key (internal): the pad bytes at the
// key's end, and the leading bytes it shares with the key before it. Shared by
// the leaf codec and the bulk build, which must pack keys alike.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace codfix::cdx {

// Trailing pad bytes of a key of `k` bytes.
inline unsigned trail_of(const char* key, unsigned k, char pad) {
  unsigned t = 0;
  while (t < k && key[k - 1 - t] == pad) ++t;
  return t;
}

// Leading bytes `key` shares with `prev`, at most `limit` (the caller keeps this
// out of the key's own trailing pad, the classic runtime's rule).
inline unsigned dup_of(const char* prev, const char* key, unsigned limit) {
  unsigned d = 0;
  for (; d + 8 <= limit; d += 8) {
    uint64_t a, b;
    std::memcpy(&a, prev + d, 8);
    std::memcpy(&b, key + d, 8);
    if (a != b) {
      const uint64_t diff = a ^ b;
      return d + static_cast<unsigned>(std::endian::native == std::endian::little
                                           ? std::countr_zero(diff)
                                           : std::countl_zero(diff)) /
                     8;
    }
  }
  while (d < limit && prev[d] == key[d]) ++d;
  return d;
}

}  // namespace codfix::cdx
