// The operating-system (DOS/Windows) error texts the error handler shows: one
// row per code, with an optional hint, in the order the handler searches them.
// Texts are code page 850.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

struct DosErrorText {
  int code;
  std::string_view text;
  std::string_view hint;  // begins with ';' (an empty line before it in a box); "" for none
};

// The 54 rows, in table order.
std::span<const DosErrorText> dos_error_texts();

// The table as the session variable ADOSERROS holds it: an array of
// {text, code, hint} rows.
Value dos_error_table();

// _DOSMSG: the text of an OS error code ("" when unknown); with `mode` 2 the hint
// follows after a ';'.
std::string DOSMSG_(int code, int mode = 1);

}  // namespace codfix
