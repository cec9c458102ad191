// Conversions between values and the texts of settings files and logs:
// X_TO_C (any value to display text, the one conversion used by logs, the error
// report and message boxes), CTOX (text to a value of a given type) and CTOA
// (a separated list to an array).
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

// Any value as text: numbers trimmed with ',' for the decimal point, logicals
// "Verdadeiro"/"Falso", dates in the session's format, arrays joined by
// `separator`, memo texts quoted with LF line ends, nil "Nil", ...
std::string X_TO_C(const Value& v, std::string_view separator = ", ");

// Text to a value of type `type` ('N', 'L', 'D'); any other type gives the text.
Value CTOX(std::string_view text, char type);

// Splits a text at any run of `separator` characters; empty fields vanish and each
// element loses its trailing blanks.
Value CTOA(std::string_view text, std::string_view separator = ";");

void register_value_text_routines();

}  // namespace codfix
