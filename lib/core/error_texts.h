// The descriptions that run-time error records carry, in the language of the
// platform's own messages.
//
// The table engine, the expression evaluator and the library describe their
// errors with the standard English texts ("Open error", "Zero divisor", ...).
// Start-up switches the platform's messages to Portuguese; from then on
// raise_error() replaces each standard text by its Portuguese form before the
// handler sees the record. Texts not in the table are left as they are.
#pragma once

#include <string>
#include <string_view>

namespace codfix {

class ErrorRecord;

// The Portuguese form (code page 850) of a standard English description, or ""
// when the text is not a standard one.
std::string_view portuguese_description(std::string_view english);

// Puts the record's description in the current run-time context's message
// language.
void localise_description(ErrorRecord& e);

}  // namespace codfix
