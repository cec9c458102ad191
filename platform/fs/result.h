// Result<T>: the outcome of a file operation, either a value or an Error (DOS code
// plus errno). Expected failures (a missing file, a full disk) come back this way;
// nothing is thrown. Status is Result<void>.
//
// Callers must test ok() before value(); reading the value of a failed result
// aborts the program, since it is a programming error.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "platform/fs/errors.h"

namespace codfix::fs {

namespace detail {
[[noreturn]] inline void value_of_failed_result(const Error& error) {
  std::fprintf(stderr, "fs::Result: value() of a failed result (%s)\n", error.message().c_str());
  std::abort();
}
}  // namespace detail

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Error error) : error_(error) {          // NOLINT: implicit by design
    if (!error_.failed()) error_.dos = dos::kGeneralFailure;
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return error_; }
  int dos_error() const { return error_.dos; }
  int os_error() const { return error_.os; }

  T& value() & { return checked(); }
  const T& value() const& { return const_cast<Result*>(this)->checked(); }
  T&& value() && { return std::move(checked()); }
  T* operator->() { return &checked(); }
  const T* operator->() const { return &const_cast<Result*>(this)->checked(); }
  T& operator*() & { return checked(); }
  const T& operator*() const& { return const_cast<Result*>(this)->checked(); }
  T value_or(T fallback) const& { return ok() ? *value_ : std::move(fallback); }

 private:
  T& checked() {
    if (!value_) detail::value_of_failed_result(error_);
    return *value_;
  }

  std::optional<T> value_;
  Error error_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(error) {}  // NOLINT: implicit by design; dos 0 means success

  bool ok() const { return !error_.failed(); }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return error_; }
  int dos_error() const { return error_.dos; }
  int os_error() const { return error_.os; }

 private:
  Error error_;
};

using Status = Result<void>;

}  // namespace codfix::fs
