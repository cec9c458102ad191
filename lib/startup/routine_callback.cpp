#include "lib/startup/routine_callback.h"

#include "lib/core/routines.h"

namespace codfix {

Value RoutineCallback::call(std::span<const Value>) {
  return routines().call(routine_, args_);
}

Value routine_callback(std::string routine, std::vector<Value> args) {
  return Value(CallbackRef(std::make_shared<RoutineCallback>(std::move(routine), std::move(args))));
}

}  // namespace codfix
