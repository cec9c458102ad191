#include "platform/expr/expr.h"

#include <cmath>
#include <limits>

#include "platform/expr/eval_errors.h"
#include "platform/expr/pure.h"
#include "platform/expr/std_common.h"

namespace codfix::expr {

void add_function(std::string_view name, Value (*fn)(const Args&), bool pure) {
  routines().add(name, fn);
  if (pure) mark_pure(name);
}

Value bad_args(std::string_view name, int subcode, const Args& a) {
  return argument_error(subcode, name, a.all());
}

long whole(const Value& v) {
  if (!v.is_number()) return 0;
  double d = std::trunc(v.as_double());
  if (!(d >= -2147483647.0)) return -2147483647L;
  if (d > 2147483647.0) return 2147483647L;
  return static_cast<long>(d);
}

void register_standard_functions() {
  static bool done = false;
  if (done) return;
  done = true;
  register_text_functions();
  register_number_functions();
  register_date_functions();
  register_array_functions();
  register_misc_functions();
}

}  // namespace codfix::expr
