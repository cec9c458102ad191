#include "platform/expr/ops.h"

#include <algorithm>
#include <cmath>

#include "lib/core/runtime.h"
#include "lib/core/text_compare.h"
#include "platform/expr/eval_errors.h"

namespace codfix::expr {
namespace {

int subcode_of(BinOp op) {
  switch (op) {
    case BinOp::Plus:
      return sub::kPlus;
    case BinOp::Minus:
      return sub::kMinus;
    case BinOp::Times:
      return sub::kTimes;
    case BinOp::Divide:
      return sub::kDivide;
    case BinOp::Modulus:
      return sub::kModulus;
    case BinOp::Power:
      return sub::kPower;
    case BinOp::Equal:
      return sub::kEqual;
    case BinOp::ExactEqual:
      return sub::kExactEqual;
    case BinOp::NotEqual:
      return sub::kNotEqual;
    case BinOp::Less:
      return sub::kLess;
    case BinOp::LessEqual:
      return sub::kLessEqual;
    case BinOp::Greater:
      return sub::kGreater;
    case BinOp::GreaterEqual:
      return sub::kGreaterEqual;
    case BinOp::Contains:
      return sub::kContains;
  }
  return 0;
}

Value wrong_types(BinOp op, const Value& a, const Value& b) {
  return argument_error(subcode_of(op), op_symbol(op), {a, b});
}

int set_decimals() {
  return Runtime::current().settings.decimals;
}

Value numbers(BinOp op, const Number& x, const Number& y, const Value& a, const Value& b) {
  const bool integers = x.decimals == 0 && y.decimals == 0;
  switch (op) {
    case BinOp::Plus:
      return number_result(x.value + y.value, integers ? 0 : std::max(x.decimals, y.decimals));
    case BinOp::Minus:
      return number_result(x.value - y.value, integers ? 0 : std::max(x.decimals, y.decimals));
    case BinOp::Times:
      return number_result(x.value * y.value, x.decimals + y.decimals);
    case BinOp::Divide:
      if (y.value == 0) return zero_division(sub::kZeroDiv, "/", a, b);
      return Value::number(x.value / y.value, set_decimals());
    case BinOp::Modulus:
      if (y.value == 0) return zero_division(sub::kZeroMod, "%", a, b);
      return Value::number(std::fmod(x.value, y.value), set_decimals());
    case BinOp::Power:
      return Value::number(std::pow(x.value, y.value), set_decimals());
    default:
      return wrong_types(op, a, b);
  }
}

int32_t whole_days(double n) {
  return static_cast<int32_t>(std::trunc(n));
}

Value arithmetic(BinOp op, const Value& a, const Value& b) {
  if (a.is_number() && b.is_number()) return numbers(op, a.num(), b.num(), a, b);
  if (a.is_text() && b.is_text()) {
    if (op == BinOp::Plus) {
      std::string s;
      s.reserve(a.text().size() + b.text().size());
      s += a.text();
      s += b.text();
      return Value(std::move(s));
    }
    if (op == BinOp::Minus) return Value(text_minus(a.text(), b.text()));
  }
  if (a.is_date() && b.is_number() && (op == BinOp::Plus || op == BinOp::Minus)) {
    int32_t n = whole_days(b.as_double());
    return Value::date(a.as_date().day + (op == BinOp::Plus ? n : -n));
  }
  if (a.is_number() && b.is_date() && op == BinOp::Plus)
    return Value::date(b.as_date().day + whole_days(a.as_double()));
  if (a.is_date() && b.is_date() && op == BinOp::Minus)
    return Value::integer(static_cast<double>(a.as_date().day) - b.as_date().day);
  return wrong_types(op, a, b);
}

Value comparison(BinOp op, const Value& a, const Value& b) {
  if (op == BinOp::Equal || op == BinOp::NotEqual || op == BinOp::ExactEqual) {
    bool equal;
    if (a.is_nil() || b.is_nil()) {
      equal = a.is_nil() && b.is_nil();
    } else if (op == BinOp::ExactEqual && a.type() == b.type()) {
      equal = exactly_equal(a, b);
    } else {
      bool comparable = false;
      int o = order_of(a, b, comparable);
      if (!comparable) return wrong_types(op, a, b);
      equal = o == 0;
    }
    return Value(op == BinOp::NotEqual ? !equal : equal);
  }
  bool comparable = false;
  int o = order_of(a, b, comparable);
  if (!comparable) return wrong_types(op, a, b);
  switch (op) {
    case BinOp::Less:
      return Value(o < 0);
    case BinOp::LessEqual:
      return Value(o <= 0);
    case BinOp::Greater:
      return Value(o > 0);
    default:
      return Value(o >= 0);
  }
}

}  // namespace

std::string_view op_symbol(BinOp op) {
  switch (op) {
    case BinOp::Plus:
      return "+";
    case BinOp::Minus:
      return "-";
    case BinOp::Times:
      return "*";
    case BinOp::Divide:
      return "/";
    case BinOp::Modulus:
      return "%";
    case BinOp::Power:
      return "^";
    case BinOp::Equal:
      return "=";
    case BinOp::ExactEqual:
      return "==";
    case BinOp::NotEqual:
      return "<>";
    case BinOp::Less:
      return "<";
    case BinOp::LessEqual:
      return "<=";
    case BinOp::Greater:
      return ">";
    case BinOp::GreaterEqual:
      return ">=";
    case BinOp::Contains:
      return "$";
  }
  return "?";
}

bool is_comparison(BinOp op) {
  return op >= BinOp::Equal && op <= BinOp::GreaterEqual;
}

Value number_result(double v, int decimals) {
  return decimals == 0 ? Value::integer(v) : Value::number(v, decimals);
}

std::string text_minus(std::string_view a, std::string_view b) {
  std::size_t kept = a.find_last_not_of(' ');
  kept = kept == std::string_view::npos ? 0 : kept + 1;
  std::string s;
  s.reserve(a.size() + b.size());
  s.append(a.substr(0, kept));
  s.append(b);
  s.append(a.size() - kept, ' ');
  return s;
}

int order_of(const Value& a, const Value& b, bool& comparable) {
  comparable = a.type() == b.type();
  if (!comparable) return 0;
  switch (a.type()) {
    case Type::Text: {
      int c = compare_text(a.text(), b.text(), Runtime::current().settings.exact);
      return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    case Type::Number:
      return a.as_double() < b.as_double() ? -1 : a.as_double() > b.as_double() ? 1 : 0;
    case Type::Date:
      return a.as_date().day < b.as_date().day ? -1 : a.as_date().day > b.as_date().day ? 1 : 0;
    case Type::Logical:
      return static_cast<int>(a.logical()) - static_cast<int>(b.logical());
    default:
      comparable = false;
      return 0;
  }
}

Value apply(BinOp op, const Value& a, const Value& b) {
  if (is_comparison(op)) return comparison(op, a, b);
  if (op == BinOp::Contains) {
    if (!a.is_text() || !b.is_text()) return wrong_types(op, a, b);
    return Value(!a.text().empty() && b.text().find(a.text()) != std::string::npos);
  }
  return arithmetic(op, a, b);
}

Value negate(const Value& a) {
  if (!a.is_number()) return argument_error(sub::kNegate, "-", {a});
  Number n = a.num();
  n.value = -n.value;
  return Value(n);
}

Value step(const Value& a, int delta) {
  if (a.is_number()) {
    Number n = a.num();
    return n.decimals == 0 ? Value::integer(n.value + delta)
                           : Value::number(n.value + delta, n.decimals);
  }
  if (a.is_date()) return Value::date(a.as_date().day + delta);
  return argument_error(delta > 0 ? sub::kIncrement : sub::kDecrement, delta > 0 ? "++" : "--",
                        {a});
}

}  // namespace codfix::expr
