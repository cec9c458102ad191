// The hot-key table: one callback per key code. While form input or the alert
// box waits for a key, a bound key runs its callback with three arguments (the
// name of the running routine, its line, the name of the active input variable)
// and the wait goes on. A plain key wait does not run them.
#pragma once

#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "lib/core/value.h"

namespace codfix::console {

class HotKeys {
 public:
  // Binds a callback to a key, replacing any earlier one; a null callback unbinds.
  void bind(int key, CallbackRef handler);
  void unbind(int key) { table_.erase(key); }
  // The key's callback, or null.
  CallbackRef find(int key) const;
  bool bound(int key) const { return table_.count(key) != 0; }
  // Every binding in ascending key order.
  std::vector<std::pair<int, CallbackRef>> bindings() const;
  void clear() { table_.clear(); }

  // Runs the key's callback when one is bound, with the innermost routine of the
  // current call stack and `active_variable`. Returns whether one ran.
  bool run(int key, std::string_view active_variable) const;

 private:
  std::map<int, CallbackRef> table_;
};

}  // namespace codfix::console
