#include "lib/core/session_vars.h"

#include "lib/core/names.h"

namespace codfix {

Value* SessionVars::find(std::string_view name) {
  auto it = vars_.find(upper_name(name));
  if (it == vars_.end() || it->second.empty()) return nullptr;
  return &it->second.back().value;
}

const Value* SessionVars::find(std::string_view name) const {
  auto it = vars_.find(upper_name(name));
  if (it == vars_.end() || it->second.empty()) return nullptr;
  return &it->second.back().value;
}

char SessionVars::type_of(std::string_view name) const {
  const Value* v = find(name);
  return v ? v->type_letter() : 'U';
}

Value SessionVars::get(std::string_view name) const {
  const Value* v = find(name);
  return v ? *v : Value();
}

void SessionVars::set(std::string_view name, Value v) {
  if (Value* slot = find(name)) {
    *slot = std::move(v);
  } else {
    declare_private(name, std::move(v));
  }
}

void SessionVars::declare_public(std::string_view name, Value v) {
  std::string key = upper_name(name);
  auto& stack = vars_[key];
  for (Slot& s : stack) {
    if (s.depth == -1) {
      s.value = std::move(v);
      return;
    }
  }
  // A public sits below every private of the same name.
  stack.insert(stack.begin(), Slot{std::move(v), -1});
}

void SessionVars::declare_private(std::string_view name, Value v) {
  std::string key = upper_name(name);
  auto& stack = vars_[key];
  if (!stack.empty() && stack.back().depth == depth_) {
    stack.back().value = std::move(v);
    return;
  }
  stack.push_back(Slot{std::move(v), depth_});
  privates_.push_back(std::move(key));
}

void SessionVars::release(std::string_view name) {
  auto it = vars_.find(upper_name(name));
  if (it == vars_.end()) return;
  auto& stack = it->second;
  for (auto s = stack.begin(); s != stack.end(); ++s) {
    if (s->depth == -1) {
      stack.erase(s);
      break;
    }
  }
}

void SessionVars::release_to(std::size_t mark) {
  while (privates_.size() > mark) {
    auto it = vars_.find(privates_.back());
    if (it != vars_.end() && !it->second.empty() && it->second.back().depth != -1) {
      it->second.pop_back();
      if (it->second.empty()) vars_.erase(it);
    }
    privates_.pop_back();
  }
}

void SessionVars::clear() {
  vars_.clear();
  privates_.clear();
  depth_ = 0;
}

}  // namespace codfix
