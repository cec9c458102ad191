// The run-time errors the evaluator raises, each built the same way everywhere:
// argument errors (generic 1), bound errors (2), division by zero (5), syntax
// errors (7, BASE/1449), undefined names (14), undefined functions and missing
// properties (13), and undefined aliases (15). All go through raise_error(); the
// result is the handler's substitute, or nil.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "lib/core/error.h"
#include "lib/core/value.h"

namespace codfix::expr {

// Subcodes of the operators (subsystem BASE).
namespace sub {
inline constexpr int kExactEqual = 1070;
inline constexpr int kEqual = 1071;
inline constexpr int kNotEqual = 1072;
inline constexpr int kLess = 1073;
inline constexpr int kLessEqual = 1074;
inline constexpr int kGreater = 1075;
inline constexpr int kGreaterEqual = 1076;
inline constexpr int kNot = 1077;
inline constexpr int kAnd = 1078;
inline constexpr int kOr = 1079;
inline constexpr int kNegate = 1080;
inline constexpr int kPlus = 1081;
inline constexpr int kMinus = 1082;
inline constexpr int kTimes = 1083;
inline constexpr int kDivide = 1084;
inline constexpr int kModulus = 1085;
inline constexpr int kIncrement = 1086;
inline constexpr int kDecrement = 1087;
inline constexpr int kPower = 1088;
inline constexpr int kContains = 1109;
inline constexpr int kConditional = 1066;
inline constexpr int kMacro = 1065;
inline constexpr int kNotIndexable = 1068;
inline constexpr int kNoVar = 1003;
inline constexpr int kNoAlias = 1002;
inline constexpr int kNoMethod = 1004;
inline constexpr int kNoProperty = 1005;
inline constexpr int kBoundRead = 1132;
inline constexpr int kBoundWrite = 1133;
inline constexpr int kZeroDiv = 1340;
inline constexpr int kZeroMod = 1341;
inline constexpr int kSyntax = 1449;
inline constexpr int kTooDeep = 1301;
}  // namespace sub

inline constexpr int kGenNoAlias = 15;

// The answer's substitute, or nil.
Value answer_value(const ErrorAnswer& a);

// Argument error (generic 1, BASE): wrong operand or argument types.
Value argument_error(int subcode, std::string_view operation, std::span<const Value> args);
Value argument_error(int subcode, std::string_view operation, std::initializer_list<Value> args);

// Bound error (generic 2, BASE 1132 read / 1133 write).
Value bound_error(int subcode, std::initializer_list<Value> args);

// Division or modulus by zero (generic 5): the handler's substitute is the result.
Value zero_division(int subcode, std::string_view operation, const Value& a, const Value& b);

// Text that does not compile (generic 7, BASE 1449, ARGS = {text}). Can default.
void syntax_error(std::string_view text, std::string_view reason);

// Undefined variable (generic 14, BASE 1003, OPERATION = name), can retry and
// default. The caller raises it and retries its lookup while the handler says so,
// reusing the record so that TRIES counts.
ErrorRecord undefined_name_record(std::string_view name);

// Undefined alias (generic 15, BASE 1002, OPERATION = alias), can retry and default.
ErrorRecord undefined_alias_record(std::string_view alias);

// An object without that property (generic 13, BASE 1004 read / 1005 write).
Value no_property(int subcode, std::string_view name, const Value& object);

}  // namespace codfix::expr
