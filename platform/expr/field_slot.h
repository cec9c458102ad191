// A field name of the current work area, with its position cached against the
// work-area host's layout generation, so that repeated evaluation (index keys,
// conditions) does not look the name up again while nothing was opened, closed
// or selected.
#pragma once

#include <cstdint>
#include <string>

#include "lib/core/work_area_host.h"

namespace codfix::expr {

class FieldSlot {
 public:
  explicit FieldSlot(std::string upper_name) : name_(std::move(upper_name)) {}
  const std::string& name() const { return name_; }
  // Position of the field in the current area; 0 when there is no such field.
  int position(WorkAreaHost& h) const {
    uint64_t g = h.layout_generation();
    if (&h != host_ || g != generation_) refresh(h, g);
    return pos_;
  }
  // Type letter of the field found by the last position() call.
  char type() const { return type_; }

 private:
  void refresh(WorkAreaHost& h, uint64_t generation) const;

  std::string name_;
  mutable const WorkAreaHost* host_ = nullptr;
  mutable uint64_t generation_ = 0;
  mutable int pos_ = 0;
  mutable char type_ = 0;
};

}  // namespace codfix::expr
