// The operators on values: arithmetic on numbers (with the width and decimals
// rules of the language), texts and dates; comparisons; containment. Operands of
// the wrong type raise the argument error of the operator; division by zero raises
// its error and yields the handler's substitute.
#pragma once

#include <string_view>

#include "lib/core/value.h"

namespace codfix::expr {

enum class BinOp {
  Plus,
  Minus,
  Times,
  Divide,
  Modulus,
  Power,
  Equal,
  ExactEqual,
  NotEqual,
  Less,
  LessEqual,
  Greater,
  GreaterEqual,
  Contains,
};

std::string_view op_symbol(BinOp op);
bool is_comparison(BinOp op);

Value apply(BinOp op, const Value& a, const Value& b);

// Unary minus: numbers keep their width and decimals.
Value negate(const Value& a);

// `++` / `--` on a number or a date.
Value step(const Value& a, int delta);

// Order of two values of the same scalar type (text under the EXACT setting,
// numbers, dates, .F. < .T.); `comparable` is false for other pairs.
int order_of(const Value& a, const Value& b, bool& comparable);

// Text minus: the left text's trailing blanks move to the end of the result.
std::string text_minus(std::string_view a, std::string_view b);

// An arithmetic result: an integer when `decimals` is 0, else a number with
// those decimals; the width follows the magnitude.
Value number_result(double v, int decimals);

}  // namespace codfix::expr
