#include "lib/core/runtime.h"

namespace codfix {
namespace {
Runtime* g_current = nullptr;
}

Runtime::Runtime() = default;
Runtime::~Runtime() = default;

Runtime& Runtime::current() {
  if (!g_current) {
    static Runtime process_runtime;
    g_current = &process_runtime;
  }
  return *g_current;
}

void Runtime::run_shutdown() {
  while (!shutdown_.empty()) {
    auto fn = std::move(shutdown_.back());
    shutdown_.pop_back();
    fn();
  }
}

RuntimeScope::RuntimeScope() {
  rt_.previous_ = &Runtime::current();
  g_current = &rt_;
}

RuntimeScope::~RuntimeScope() {
  g_current = rt_.previous_;
}

RoutineScope::RoutineScope(std::string routine, std::string unit, int line)
    : rt_(Runtime::current()), privates_(rt_.vars) {
  rt_.calls.push(std::move(routine), std::move(unit), line);
}

RoutineScope::~RoutineScope() {
  rt_.calls.pop();
}

void RoutineScope::line(int n) {
  rt_.calls.set_line(n);
}

}  // namespace codfix
