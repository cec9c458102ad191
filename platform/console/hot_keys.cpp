#include "platform/console/hot_keys.h"

#include "lib/core/runtime.h"

namespace codfix::console {

void HotKeys::bind(int key, CallbackRef handler) {
  if (handler)
    table_[key] = std::move(handler);
  else
    table_.erase(key);
}

CallbackRef HotKeys::find(int key) const {
  auto it = table_.find(key);
  return it == table_.end() ? nullptr : it->second;
}

std::vector<std::pair<int, CallbackRef>> HotKeys::bindings() const {
  return {table_.begin(), table_.end()};
}

bool HotKeys::run(int key, std::string_view active_variable) const {
  CallbackRef handler = find(key);  // held: the callback may rebind its own key
  if (!handler) return false;
  const CallFrame* frame = Runtime::current().calls.level(0);
  Value args[3] = {Value(frame ? frame->routine : std::string()), Value(frame ? frame->line : 0),
                   Value(std::string(active_variable))};
  handler->call(args);
  return true;
}

}  // namespace codfix::console
