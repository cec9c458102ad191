// The text comparisons of the language, in one place:
//  - `=` / `!=` and the relational operators: under the non-exact rule a left text
//    that begins with the right one is equal (any text equals the empty text); with
//    the EXACT setting on, trailing blanks of the longer operand are dropped first
//    (never below the shorter one's length) and the comparison is exact;
//  - `==`: byte-identical texts of the same length.
// The order is the active collation of platform/text (PT850 by default).
#pragma once

#include <string_view>

namespace codfix {

// <0, 0 or >0 for `a` against `b` under the `=`/`<`/`>` rules.
int compare_text(std::string_view a, std::string_view b, bool exact_setting);

// The non-exact `=` (EXACT off): true when `a` begins with `b`.
inline bool text_equal(std::string_view a, std::string_view b, bool exact_setting = false) {
  return compare_text(a, b, exact_setting) == 0;
}

// `==`.
inline bool text_exactly_equal(std::string_view a, std::string_view b) {
  return a == b;
}

}  // namespace codfix
