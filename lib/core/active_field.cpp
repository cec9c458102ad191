#include "lib/core/active_field.h"

namespace codfix {
namespace {
ActiveField* g_active = nullptr;
}

ActiveField* active_field() {
  return g_active;
}

ActiveFieldScope::ActiveFieldScope(ActiveField* field) : previous_(g_active) {
  g_active = field;
}
ActiveFieldScope::~ActiveFieldScope() {
  g_active = previous_;
}

}  // namespace codfix
