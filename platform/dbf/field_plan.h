// FieldPlan: how the fields of a source record become the fields of a target
// record when records move between tables (fields matched by name), worked out
// once and applied to every record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dbf/failure.h"
#include "platform/dbf/field.h"
#include "platform/dbf/table.h"

namespace codfix::dbf {

class FieldPlan {
 public:
  FieldPlan(const Table& source, const Table& target);

  // True when every matched field is a plain byte copy (no memo, no number to
  // rewrite) and nothing needs the source table while applying.
  bool bytes_only() const { return bytes_only_; }
  bool has_memo() const { return has_memo_; }

  // Builds the target record in `out` (record_length bytes) from the source
  // record `in`. Memo texts are read from the source's memo file and written to
  // the target's. A number that does not fit fails with 34 (asterisks stored).
  Failure apply(const char* in, char* out, Table& source, Table& target) const;

 private:
  enum class Kind : uint8_t { kBytes, kNumber, kMemo };
  struct Step {
    Kind kind;
    int source_field;
    int target_field;
    uint32_t from, from_length, to, to_length;
  };
  std::vector<Step> steps_;
  std::string blank_;  // a blank target record
  bool bytes_only_ = true;
  bool has_memo_ = false;
};

}  // namespace codfix::dbf
