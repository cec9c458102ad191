// Pictures: the format texts of screen output, form fields and TRANSFORM.
//
// A picture is an optional function part and an optional template:
//   "@K!S48"       functions only (clear on first key, upper case, scroll in 48 columns)
//   "@EZ 999,999"  functions, a space, then the template
//   "@R 9999.99.99" template with literal characters inserted
//   "99/99/9999"   template only
// Functions: ! upper case, A letters only, S<n> scroll width, K clear on first key,
// R insert template literals, E European (number separators swapped, dates
// dd/mm/yy), Z blank when zero, B left-justified, C " CR" after positive numbers,
// X " DB" after negative numbers, ( and ) negative numbers in parentheses (with
// and without the leading blanks inside), D the date format.
// Template characters: 9 # X A N L Y ! $ * . , ; any other character is a literal.
//
// transform() reads the current run-time context's date settings; it never fails:
// a value it cannot show (array, callback, nil) gives an empty text.
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix::picture {

struct Picture {
  bool upper = false;            // @!
  bool alpha_only = false;       // @A
  bool clear_first = false;      // @K
  bool insert_literals = false;  // @R
  bool european = false;         // @E
  bool zero_blank = false;       // @Z
  bool left_justify = false;     // @B
  bool credit = false;           // @C
  bool debit = false;            // @X
  bool paren = false;            // @(
  bool paren_tight = false;      // @)
  bool date_format = false;      // @D
  int scroll_width = 0;          // @S<n>; 0 when not given
  std::string tmpl;              // the template part, possibly empty

  bool has_template() const { return !tmpl.empty(); }
};

// Parses a picture text. Unknown function letters are ignored.
Picture parse(std::string_view picture);

// True for the template characters that stand for a character of the value.
bool is_template_char(char c);

// The text of a value through a picture, as TRANSFORM gives it.
std::string transform(const Value& v, std::string_view picture);
std::string transform(const Value& v, const Picture& picture);

}  // namespace codfix::picture
