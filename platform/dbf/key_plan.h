// KeyPlan: the fast way to a character key that is only fields joined with '+'
// ("Codigo+Cliente+Fabric"): the key is the fields' stored bytes one after the
// other, blank-padded or cut to the key size, exactly what evaluating the
// expression gives, taken straight from a record's bytes. Used by bulk index
// builds; any other expression has no plan.
#pragma once

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

  // The key of a record (its whole bytes, deletion flag first).
  void key(const char* record, size_t key_size, std::string& out) const {
    out.clear();
    for (const Piece& p : pieces_) out.append(record + p.offset, p.length);
    out.resize(key_size, ' ');
  }

 private:
  struct Piece {
    uint32_t offset;
    uint32_t length;
  };
  std::vector<Piece> pieces_;
};

}  // namespace codfix::dbf
