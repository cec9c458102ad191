// A form field's pre-condition (WHEN) or validation (VALID): a callback, a text
// expression compiled once and evaluated at run time, or a C++ function. An
// empty condition holds. A result that is not a logical counts as true.
#pragma once

#include <functional>
#include <string>

#include "lib/core/value.h"
#include "platform/expr/expr.h"

namespace codfix::dialogs {

class Condition {
 public:
  Condition() = default;
  Condition(CallbackRef block) : block_(std::move(block)) {}
  Condition(std::function<bool()> fn) : fn_(std::move(fn)) {}
  // A text expression (".t." and empty texts hold without evaluation).
  static Condition expression(std::string text);

  bool empty() const { return !block_ && !fn_ && !expr_ && source_.empty(); }
  // Evaluates it; true when empty.
  bool check() const;

 private:
  CallbackRef block_;
  std::function<bool()> fn_;
  mutable expr::ExpressionPtr expr_;
  mutable bool failed_ = false;  // the text did not compile (reported once)
  std::string source_;           // expression text not compiled yet
};

}  // namespace codfix::dialogs
