// Status and Result<T>: how every operation of the index libraries (NTX, CDX)
// reports its outcome. Nothing in these libraries throws or raises run-time errors;
// the table engine turns a failed status into its error record (corruption is
// generic code 32 with the file name).
//
// Callers must test ok() before value(); reading the value of a failed result
// aborts the program, since it is a programming error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace codfix::indexing {

enum class Code : uint8_t {
  kOk,
  kCorrupt,          // the file fails a structural check (header, page, tree shape)
  kReadError,        // a read failed or came up short; os_error() holds errno when known
  kWriteError,       // a write, truncate or flush failed; os_error() holds errno
  kOpenError,        // the file could not be opened
  kCreateError,      // the file could not be created
  kLockError,        // the index lock could not be taken
  kInvalidArgument,  // the caller broke a precondition (key of the wrong size, record 0, ...)
};

// Text name of a code, for messages and tests ("corrupt", "read error", ...).
const char* code_name(Code code);

class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Code code, std::string detail, int os_error = 0)
      : code_(code), os_error_(os_error), detail_(std::move(detail)) {}

  static Status corrupt(std::string detail) { return {Code::kCorrupt, std::move(detail)}; }
  static Status invalid(std::string detail) { return {Code::kInvalidArgument, std::move(detail)}; }

  bool ok() const { return code_ == Code::kOk; }
  explicit operator bool() const { return ok(); }
  Code code() const { return code_; }
  int os_error() const { return os_error_; }
  // What was found wrong, e.g. "page 4096 holds 100 keys, at most 28".
  const std::string& detail() const { return detail_; }
  // "corrupt: page 4096 holds 100 keys, at most 28".
  std::string message() const;

 private:
  Code code_ = Code::kOk;
  int os_error_ = 0;
  std::string detail_;
};

namespace detail {
[[noreturn]] void value_of_failed_result(const Status& status);
}

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}         // NOLINT: implicit by design
  Result(Status status) : status_(std::move(status)) {  // NOLINT: implicit by design
    if (status_.ok()) status_ = Status(Code::kInvalidArgument, "result without a value");
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status& status() const { return status_; }

  T& value() & { return checked(); }
  const T& value() const& { return const_cast<Result*>(this)->checked(); }
  T&& value() && { return std::move(checked()); }
  T* operator->() { return &checked(); }
  const T* operator->() const { return &const_cast<Result*>(this)->checked(); }
  T& operator*() & { return checked(); }
  const T& operator*() const& { return const_cast<Result*>(this)->checked(); }

 private:
  T& checked() {
    if (!value_) detail::value_of_failed_result(status_);
    return *value_;
  }

  std::optional<T> value_;
  Status status_;
};

}  // namespace codfix::indexing

// Returns the status of `expr` from the enclosing function when it failed.
#define INDEX_TRY(expr)                                    \
  do {                                                     \
    ::codfix::indexing::Status index_try_status_ = (expr); \
    if (!index_try_status_.ok()) return index_try_status_; \
  } while (0)
