// Field values to and from the bytes stored in a record (everything except memo
// text, which lives in the memo file: for memo fields these functions read and
// write the block number).
//
// Reading follows the classic tools: C as stored (full width); N and F as numbers
// with the field's width and decimals; D from YYYYMMDD (invalid dates are the empty
// date); L true for T t Y y. Unlike the classic tools, a numeric field whose bytes
// are not a number (asterisks left by an overflow, garbage) is reported, not read
// as 0. Writing: text padded or cut; numbers formatted to the field's width and
// decimals, asterisks on overflow.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lib/core/value.h"
#include "platform/dbf/field.h"

namespace codfix::dbf {

// Reads a non-memo field. False (with the reason) when the bytes cannot be a
// value of the field's type.
bool read_field(const Field& f, std::string_view bytes, Value& out, std::string& problem);

// The block number in a memo field: 0 for none; nullopt when the bytes are not a
// block number (corruption).
std::optional<uint32_t> read_memo_block(const Field& f, std::string_view bytes);
void write_memo_block(const Field& f, char* dest, uint32_t block);

enum class WriteOutcome { kOk, kOverflow, kWrongType };

// Stores a value into a non-memo field. kOverflow: a number too wide, the field
// now holds asterisks. kWrongType: the value's type does not fit the field; the
// bytes are left alone.
WriteOutcome write_field(const Field& f, const Value& v, char* dest);

// The bytes of a field in a new (blank) record.
void blank_field(const Field& f, char* dest);

// The numeric text rules of N and F fields, for readers that need only a number.
bool parse_numeric(std::string_view bytes, bool allow_exponent, double& value);

}  // namespace codfix::dbf
