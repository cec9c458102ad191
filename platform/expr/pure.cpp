#include "platform/expr/pure.h"

#include <string>
#include <unordered_set>

#include "lib/core/names.h"

namespace codfix::expr {
namespace {

std::unordered_set<std::string>& pure_names() {
  static std::unordered_set<std::string> names;
  return names;
}

}  // namespace

void mark_pure(std::string_view name) {
  pure_names().insert(upper_name(name));
}

bool is_pure(std::string_view name) {
  return pure_names().count(upper_name(name)) > 0;
}

}  // namespace codfix::expr
