// Failure: what went wrong in a table, memo or index operation, before it becomes
// a run-time error record: the generic code, the driver's subcode, the OS code and
// the file. Lower layers return it; the work-area layer raises it (table_errors.h).
#pragma once

#include <string>

#include "lib/core/error.h"

namespace codfix::dbf {

// The driver's subcodes.
namespace sub {
inline constexpr int kOpenTable = 1001;
inline constexpr int kOpenMemo = 1002;
inline constexpr int kOpenIndex = 1003;
inline constexpr int kCreateTable = 1004;
inline constexpr int kCreateMemo = 1005;
inline constexpr int kCreateIndex = 1006;
inline constexpr int kRead = 1010;
inline constexpr int kWrite = 1011;
inline constexpr int kCorrupt = 1012;
inline constexpr int kDataType = 1020;
inline constexpr int kDataWidth = 1021;
inline constexpr int kUnlocked = 1022;
inline constexpr int kShared = 1023;
inline constexpr int kAppendLock = 1024;
inline constexpr int kReadOnly = 1025;
inline constexpr int kInvalidKey = 1026;
inline constexpr int kLock = 1038;
inline constexpr int kNotForLogical = 1053;
inline constexpr int kMemoType = 1056;
inline constexpr int kNoTable = 1101;
inline constexpr int kNoOrder = 1201;
}  // namespace sub

struct Failure {
  int gencode = 0;  // 0: no failure
  int subcode = 0;
  int oscode = 0;
  std::string filename;
  std::string detail;     // what was found, for tools and logs
  std::string operation;  // OPERATION of the error record (a field name, ...)
  bool reported = false;  // already handed to the error handler (a syntax error)

  bool failed() const { return gencode != 0; }
  explicit operator bool() const { return failed(); }

  static Failure corrupt(std::string file, std::string detail) {
    return {gen::kCorruption, sub::kCorrupt, 0, std::move(file), std::move(detail), {}};
  }
  static Failure read_error(std::string file, int os) {
    return {gen::kRead, sub::kRead, os, std::move(file), "read error", {}};
  }
  static Failure write_error(std::string file, int os) {
    return {gen::kWrite, sub::kWrite, os, std::move(file), "write error", {}};
  }
};

// The standard description of a generic code ("Corruption detected", ...).
const char* describe_gencode(int gencode);

}  // namespace codfix::dbf
