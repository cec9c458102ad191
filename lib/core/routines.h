// The routine registry: every library entry point callable by name with
// positional arguments. Names are case-insensitive and registered exactly as the
// routines are known to callers (a leading underscore included). A missing or nil
// argument takes the routine's documented default; Args makes that easy.
//
// The C++ function behind a routine whose name starts with '_' drops the
// underscore and ends in `_` instead (`_GRAVALOG` is `GRAVALOG_`), since a leading
// underscore followed by a capital is reserved in C++.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "lib/core/value.h"

namespace codfix {

// Positional arguments, 1-based as callers number them.
class Args {
 public:
  Args() = default;
  Args(std::span<const Value> values) : values_(values) {}
  std::size_t count() const { return values_.size(); }
  // The argument, or nil when not passed.
  const Value& operator[](std::size_t i) const;
  bool given(std::size_t i) const { return !(*this)[i].is_nil(); }
  std::string text(std::size_t i, std::string_view def = {}) const;
  double number(std::size_t i, double def = 0) const;
  int integer(std::size_t i, int def = 0) const;
  bool logical(std::size_t i, bool def = false) const;
  std::span<const Value> all() const { return values_; }

 private:
  std::span<const Value> values_;
};

using RoutineFn = std::function<Value(const Args&)>;

class Routines {
 public:
  void add(std::string_view name, RoutineFn fn);
  bool exists(std::string_view name) const;
  const RoutineFn* find(std::string_view name) const;
  // Calls a routine; a name that is not registered raises the "undefined
  // function" error (generic 13) and returns the handler's answer (nil by default).
  Value call(std::string_view name, std::span<const Value> args) const;
  void remove(std::string_view name);
  // Changes whenever a routine is removed: a pointer from find() kept for later
  // is still valid while this value is the same.
  uint64_t removals() const { return removals_; }

 private:
  std::unordered_map<std::string, RoutineFn> table_;
  uint64_t removals_ = 0;
};

// The process-wide registry.
Routines& routines();

}  // namespace codfix
