// The run-time error record, the installed handler and the retry loop.
//
// A failing operation fills an ErrorRecord and calls raise_error(). The installed
// handler answers: retry (the operation tries again; TRIES counts the retries),
// default (the operation gives up and returns its failure value) or a substitute
// value (the operation's result). Errors never travel to callers as exceptions;
// only ending the program unwinds, with ProgramExit, caught in main.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lib/core/value.h"

namespace codfix {

// Generic error codes.
namespace gen {
inline constexpr int kZeroDiv = 5;
inline constexpr int kSyntax = 7;
inline constexpr int kArgument = 1;
inline constexpr int kBound = 2;
inline constexpr int kNoVar = 14;
inline constexpr int kNoFunc = 13;
inline constexpr int kCreate = 20;
inline constexpr int kOpen = 21;
inline constexpr int kClose = 22;
inline constexpr int kRead = 23;
inline constexpr int kWrite = 24;
inline constexpr int kPrint = 25;
inline constexpr int kCorruption = 32;
inline constexpr int kDataType = 33;
inline constexpr int kDataWidth = 34;
inline constexpr int kNoTable = 35;
inline constexpr int kNoOrder = 36;
inline constexpr int kShared = 37;
inline constexpr int kUnlocked = 38;
inline constexpr int kReadOnly = 39;
inline constexpr int kAppendLock = 40;
inline constexpr int kLock = 41;
}  // namespace gen

// The error record handed to the handler; also an object with the properties
// GENCODE SUBSYSTEM SUBCODE DESCRIPTION OPERATION FILENAME OSCODE ARGS CANDEFAULT
// CANRETRY CANSUBSTITUTE CARGO SEVERITY TRIES.
class ErrorRecord : public Object {
 public:
  int gencode = 0;
  std::string subsystem;
  int subcode = 0;
  std::string description;
  std::string operation;
  std::string filename;
  int oscode = 0;
  std::vector<Value> args;
  bool can_default = false;
  bool can_retry = false;
  bool can_substitute = false;
  Value cargo;
  int severity = 2;
  int tries = 0;

  std::string class_name() const override { return "ERROR"; }
  bool get(std::string_view name, Value& out) const override;
  bool set(std::string_view name, const Value& v) override;
};

enum class ErrorAction { Retry, Default, Substitute };

struct ErrorAnswer {
  ErrorAction action = ErrorAction::Default;
  Value value;  // the substitute
  static ErrorAnswer retry() { return {ErrorAction::Retry, {}}; }
  static ErrorAnswer fail() { return {ErrorAction::Default, {}}; }
  static ErrorAnswer substitute(Value v) { return {ErrorAction::Substitute, std::move(v)}; }
};

using ErrorHandler = std::function<ErrorAnswer(ErrorRecord&)>;

// Thrown only to end the program; main catches it, runs shut-down and returns
// the code.
struct ProgramExit {
  int code = 0;
};

// Hands the record to the installed handler of the current run-time context.
// A retry answer increments TRIES. An answer the record does not allow (retry
// without CANRETRY, default without CANDEFAULT, substitute without
// CANSUBSTITUTE) is treated as default.
ErrorAnswer raise_error(ErrorRecord& e);

// Runs `attempt` until it succeeds or the handler stops retrying. `attempt`
// returns true on success, or false after filling the record (which is reused
// between tries so TRIES accumulates). Returns whether an attempt succeeded.
template <class Attempt>
bool retry_loop(ErrorRecord& e, Attempt&& attempt) {
  for (;;) {
    if (attempt(e)) return true;
    if (raise_error(e).action != ErrorAction::Retry) return false;
  }
}

// The handler installed until the application installs its own: writes the
// one-line description and the call chain to standard error and ends the program
// with exit code 1.
ErrorAnswer default_error_handler(ErrorRecord& e);

// The one-line description "Error SUBSYSTEM/SUBCODE  DESCRIPTION: OPERATION".
std::string error_one_line(const ErrorRecord& e);

// Ends the program: runs nothing itself, throws ProgramExit for main to catch.
[[noreturn]] void quit_program(int code);

}  // namespace codfix
