// Number functions: INT, ROUND, ABS, MAX, MIN, MOD, SQRT, EXP, LOG.
#include <cmath>

#include "lib/core/number_text.h"
#include "lib/core/runtime.h"
#include "platform/expr/eval_errors.h"
#include "platform/expr/ops.h"
#include "platform/expr/std_common.h"

namespace codfix::expr {
namespace {

int set_decimals() {
  return Runtime::current().settings.decimals;
}

// INT keeps the argument's width, without decimals.
Value fn_int(const Args& a) {
  if (!a[1].is_number()) return bad_args("INT", 1090, a);
  const Number& n = a[1].num();
  return Value::number(std::trunc(n.value), n.width, 0);
}

// ROUND(x, n): n decimals (none for n <= 0).
Value fn_round(const Args& a) {
  if (!a[1].is_number() || !a[2].is_number()) return bad_args("ROUND", 1094, a);
  int n = static_cast<int>(whole(a[2]));
  n = std::max(-20, std::min(n, 20));
  double r;
  if (n >= 0) {
    r = round_decimal(a[1].as_double(), n);
  } else {
    double scale = std::pow(10.0, -n);
    r = round_decimal(a[1].as_double() / scale, 0) * scale;
  }
  return number_result(r, std::max(n, 0));
}

Value fn_abs(const Args& a) {
  if (!a[1].is_number()) return bad_args("ABS", 1089, a);
  Number n = a[1].num();
  n.value = std::fabs(n.value);
  return Value(n);
}

// MAX/MIN of two numbers or two dates: the chosen operand as it is.
Value extreme(const Args& a, bool max, std::string_view name, int subcode) {
  const Value& x = a[1];
  const Value& y = a[2];
  bool numbers = x.is_number() && y.is_number();
  bool dates = x.is_date() && y.is_date();
  if (!numbers && !dates) return bad_args(name, subcode, a);
  bool comparable = false;
  int o = order_of(x, y, comparable);
  if (max) return o >= 0 ? x : y;
  return o <= 0 ? x : y;
}

Value fn_max(const Args& a) {
  return extreme(a, true, "MAX", 1093);
}
Value fn_min(const Args& a) {
  return extreme(a, false, "MIN", 1092);
}

// MOD(a, b): the remainder with the sign of the divisor (dBase rule); integers
// give an integer, otherwise the larger count of decimals.
Value fn_mod(const Args& a) {
  if (!a[1].is_number() || !a[2].is_number()) return bad_args("MOD", 1091, a);
  double x = a[1].as_double(), y = a[2].as_double();
  if (y == 0) return zero_division(sub::kZeroMod, "MOD", a[1], a[2]);
  double r = std::fmod(x, y);
  if (r != 0 && ((r < 0) != (y < 0))) r += y;
  return number_result(r, std::max(a[1].num().decimals, a[2].num().decimals));
}

Value fn_sqrt(const Args& a) {
  if (!a[1].is_number()) return bad_args("SQRT", 1097, a);
  double v = a[1].as_double();
  return Value::number(v <= 0 ? 0.0 : std::sqrt(v), set_decimals());
}

Value fn_exp(const Args& a) {
  if (!a[1].is_number()) return bad_args("EXP", 1096, a);
  return Value::number(std::exp(a[1].as_double()), set_decimals());
}

Value fn_log(const Args& a) {
  if (!a[1].is_number()) return bad_args("LOG", 1095, a);
  double v = a[1].as_double();
  return Value::number(v <= 0 ? -HUGE_VAL : std::log(v), set_decimals());
}

}  // namespace

void register_number_functions() {
  add_function("INT", fn_int);
  add_function("ROUND", fn_round);
  add_function("ABS", fn_abs);
  add_function("MAX", fn_max);
  add_function("MIN", fn_min);
  add_function("MOD", fn_mod);
  add_function("SQRT", fn_sqrt);
  add_function("EXP", fn_exp);
  add_function("LOG", fn_log);
}

}  // namespace codfix::expr
