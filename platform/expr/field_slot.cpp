#include "platform/expr/field_slot.h"

namespace codfix::expr {

void FieldSlot::refresh(WorkAreaHost& h, uint64_t generation) const {
  host_ = &h;
  generation_ = generation;
  pos_ = h.field_pos(name_);
  type_ = pos_ > 0 ? h.field_info(pos_).type : 0;
}

}  // namespace codfix::expr
