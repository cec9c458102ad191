// Bounds the nesting of macro expansions and callback calls while evaluating, so
// that a macro naming itself or a callback calling itself without end raises an
// error instead of exhausting the stack. Single-threaded, like the evaluator.
#pragma once

#include <string_view>

#include "lib/core/value.h"

namespace codfix::expr {

class EvalDepth {
 public:
  static constexpr int kMax = 256;
  EvalDepth() : ok_(++level() <= kMax) {}
  ~EvalDepth() { --level(); }
  EvalDepth(const EvalDepth&) = delete;
  EvalDepth& operator=(const EvalDepth&) = delete;
  // False when this level is beyond the bound; the caller then raises too_deep().
  bool ok() const { return ok_; }

 private:
  static int& level() {
    static int depth = 0;
    return depth;
  }
  bool ok_;
};

// The error for nesting beyond the bound (generic 1, BASE 1301, can default).
Value too_deep(std::string_view operation);

}  // namespace codfix::expr
