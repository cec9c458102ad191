// Type and evaluation functions: EMPTY, VALTYPE, TYPE, EVAL; DESCEND for
// descending keys; TRANSFORM (picture formatting lives in platform/picture).
#include "platform/expr/expr.h"
#include "platform/expr/std_common.h"
#include "platform/picture/picture.h"

namespace codfix::expr {
namespace {

Value fn_empty(const Args& a) {
  return Value(a[1].empty());
}

Value fn_valtype(const Args& a) {
  return Value(std::string(1, a[1].type_letter()));
}

Value fn_type(const Args& a) {
  if (!a[1].is_text()) return bad_args("TYPE", 1121, a);
  return Value(type_of(a[1].text()));
}

Value fn_eval(const Args& a) {
  if (!a[1].is_callback()) return bad_args("EVAL", 1004, a);
  return a[1].callback()->call(a.all().subspan(1));
}

// DESCEND: texts byte by byte as (256 - b) mod 256, numbers negated, dates as the
// negated day number, logicals inverted.
Value fn_descend(const Args& a) {
  const Value& v = a[1];
  if (v.is_text()) {
    std::string s = v.text();
    for (char& c : s) c = static_cast<char>((256 - static_cast<unsigned char>(c)) & 0xFF);
    return Value(std::move(s));
  }
  if (v.is_number()) {
    Number n = v.num();
    n.value = -n.value;
    return Value(n);
  }
  if (v.is_date()) return Value::integer(-static_cast<double>(v.as_date().day));
  if (v.is_logical()) return Value(!v.logical());
  return Value();
}

Value fn_transform(const Args& a) {
  if (a.given(2) && !a[2].is_text()) return bad_args("TRANSFORM", 1122, a);
  return Value(picture::transform(a[1], a.text(2)));
}

}  // namespace

void register_misc_functions() {
  add_function("EMPTY", fn_empty);
  add_function("VALTYPE", fn_valtype);
  add_function("TYPE", fn_type);
  add_function("EVAL", fn_eval, false);
  add_function("DESCEND", fn_descend);
  add_function("TRANSFORM", fn_transform);
}

}  // namespace codfix::expr
