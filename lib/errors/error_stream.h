// The error stream (standard error): where the error handler writes the error
// line and the chain of callers when the program ends because of an error.
// Texts are given in code page 850 and written as UTF-8, like all output meant
// for a POSIX terminal or log; line ends are written as given (CR LF).
#pragma once

#include <string_view>

namespace codfix {

void write_error_stream(std::string_view cp850);

}  // namespace codfix
