// The text forms of numbers: the default form (STR(x) with no width), STR with a
// width and decimals, and the fixed-width form stored in N and F fields.
//
// Rounding is decimal, half away from zero, corrected for binary representation
// (1.005 rounds to 1.01). A value that does not fit gives asterisks.
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

// `value` rounded to `decimals` digits, half away from zero.
double round_decimal(double value, int decimals);

// Right-aligned text of exactly `width` characters with `decimals` digits after the
// point (no point when decimals is 0). All `*` when it does not fit; `overflow`, when
// given, tells so.
std::string format_fixed(double value, int width, int decimals, bool* overflow = nullptr);

// The default text form: `width` characters for the integer part, then a point and
// the decimals when there are any.
std::string number_text(const Number& n);

// STR(x, w) and STR(x, w, d).
std::string str_width(const Number& n, int width);
std::string str_width(const Number& n, int width, int decimals);

}  // namespace codfix

namespace codfix {

// VAL: the number at the start of a text (leading blanks, sign, digits, one point,
// digits; parsing stops at any other character, so "12A4" is 12 and "" is 0). The
// result keeps the text's shape: decimals = the digits after the point, width = the
// characters before the point (the whole length when there is no point).
Number parse_number(std::string_view text);

}  // namespace codfix
