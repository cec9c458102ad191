// A callback that calls a registered routine by name with fixed arguments, for
// hot keys bound from C++ (the key's own arguments are not passed on).
#pragma once

#include <string>
#include <vector>

#include "lib/core/value.h"

namespace codfix {

class RoutineCallback : public Callable {
 public:
  RoutineCallback(std::string routine, std::vector<Value> args)
      : routine_(std::move(routine)), args_(std::move(args)) {}
  Value call(std::span<const Value> args) override;
  const std::string& routine() const { return routine_; }

 private:
  std::string routine_;
  std::vector<Value> args_;
};

// A callback value for `routine(args...)`.
Value routine_callback(std::string routine, std::vector<Value> args = {});

}  // namespace codfix
