// The routines that TYPE() may call while it evaluates an expression: those
// without side effects. The standard functions mark themselves; the table engine
// and the library mark theirs (RECNO, EOF, ...) with mark_pure().
#pragma once

#include <string_view>

#include "platform/expr/expr.h"  // mark_pure

namespace codfix::expr {

bool is_pure(std::string_view name);

}  // namespace codfix::expr
