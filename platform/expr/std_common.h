// Shared by the files of standard functions: registration and the argument error
// every standard function raises for arguments of the wrong type.
#pragma once

#include <cstddef>
#include <string_view>

#include "lib/core/routines.h"
#include "lib/core/value.h"

namespace codfix::expr {

// Registers a standard function; `pure` ones may run inside TYPE().
void add_function(std::string_view name, Value (*fn)(const Args&), bool pure = true);

// The argument error of a standard function (generic 1, BASE, OPERATION = name,
// ARGS = the arguments); yields the handler's substitute or nil.
Value bad_args(std::string_view name, int subcode, const Args& a);

// Texts longer than this are refused (argument error) instead of exhausting memory.
inline constexpr std::size_t kMaxTextLength = std::size_t{1} << 28;
// Arrays larger than this likewise.
inline constexpr std::size_t kMaxArrayLength = std::size_t{1} << 24;

// The whole number in a numeric argument (truncated toward zero), clamped to the
// range of int.
long whole(const Value& v);

void register_text_functions();
void register_number_functions();
void register_date_functions();
void register_array_functions();
void register_misc_functions();

}  // namespace codfix::expr
