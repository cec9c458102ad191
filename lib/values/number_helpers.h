// Conversions of numbers to texts and back, on the default text form of numbers
// (whose rounding they inherit): VALTRIM, STRTRIM, LENX, CASADEC / TRUNCAVAL,
// INTEIRO, PORCENTO, CONVNUM, BYTESTOX.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "lib/core/value.h"

namespace codfix {

Value VALTRIM(std::string_view text);
// `width` and `decimals` < 0: taken from LENX.
std::string STRTRIM(const Value& n, int width = -1, int decimals = -1, bool integer = false);
// {width, decimals} of a value's text form.
std::pair<int, int> LENX(const Value& v);
Value CASADEC(const Value& n, int places = 2);
Value INTEIRO(const Value& n, bool keep_fraction = false);
Value PORCENTO(double percent, double value, int places = 2);
// Also leaves the text in CRETORNO.
std::string CONVNUM(const Value& n, int width = 15, int decimals = 0,
                    std::string_view decimal_separator = "", std::string_view mode = "0");
// The count divided by 1024 while it is 1024 or more (at most eight times), and
// its unit ("Bytes", "KB", ... "YB").
std::pair<double, std::string> BYTESTOX(double bytes);

// The number `n` zero-filled to `width` with `decimals` (STRZERO).
std::string zero_filled(double n, int width, int decimals);

void register_number_helpers();

}  // namespace codfix
