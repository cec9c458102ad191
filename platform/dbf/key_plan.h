// KeyPlan: the fast way to a character key that is only fields joined with '+'
// ("Codigo+Cliente+Fabric"): the key is the fields' stored bytes one after the
// other, blank-padded or cut to the key size, exactly what evaluating the
// expression gives, taken straight from a record's bytes. Used by bulk index
// builds; any other expression has no plan.
#pragma once

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dbf/table.h"

namespace codfix::dbf {

class KeyPlan {
 public:
  // The plan of `expression` over `table`'s fields; nullopt when the expression
  // is anything but C fields of the table joined with '+'.
  static std::optional<KeyPlan> of(std::string_view expression, const Table& table);

  // The key of a record (its whole bytes, deletion flag first): `key_size`
  // bytes into `out`.
  void key(const char* record, size_t key_size, char* out) const {
    size_t at = 0;
    for (const Piece& p : pieces_) {
      if (at >= key_size) break;
      const size_t n = std::min<size_t>(p.length, key_size - at);
      std::memcpy(out + at, record + p.offset, n);
      at += n;
    }
    if (at < key_size) std::memset(out + at, ' ', key_size - at);
  }
  void key(const char* record, size_t key_size, std::string& out) const {
    out.resize(key_size);
    key(record, key_size, out.data());
  }
  // The keys of `count` whole records of `record_length` bytes, one after the
  // other in `out` (count * key_size bytes).
  void keys(const char* records, uint32_t count, uint32_t record_length, size_t key_size,
            std::string& out) const {
    out.resize(size_t{count} * key_size);
    for (uint32_t i = 0; i < count; ++i) {
      key(records + size_t{i} * record_length, key_size, out.data() + size_t{i} * key_size);
    }
  }

 private:
  struct Piece {
    uint32_t offset;
    uint32_t length;
  };
  std::vector<Piece> pieces_;
};

}  // namespace codfix::dbf
