// The one key comparison of the index libraries. Keys are compared position by
// position through a weight table (a permutation of 0..255: the PT850 collation for
// character keys, as text::weights() gives it), or as unsigned bytes when no table
// is given. A descending order reverses the result.
//
// The table must outlive every KeyOrder that points at it (text::weights() tables
// are static).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace codfix::indexing {

struct KeyOrder {
  const uint8_t* weights = nullptr;  // 256 entries; nullptr = unsigned byte order
  bool descending = false;

  // <0, 0 or >0 for the first `n` bytes of `a` against those of `b`, in tree order.
  int compare(const char* a, const char* b, size_t n) const {
    int c = compare_ascending(a, b, n);
    return descending ? -c : c;
  }
  // Full keys of equal length.
  int compare(std::string_view a, std::string_view b) const {
    return compare(a.data(), b.data(), a.size() < b.size() ? a.size() : b.size());
  }
  // The seek rule: only the first `prefix.size()` bytes of the key count (a prefix
  // longer than the key is cut to it). 0 when `key` begins with `prefix`.
  int compare_prefix(std::string_view key, std::string_view prefix) const {
    return compare(key.data(), prefix.data(),
                   prefix.size() < key.size() ? prefix.size() : key.size());
  }

  int compare_ascending(const char* a, const char* b, size_t n) const;
};

}  // namespace codfix::indexing
