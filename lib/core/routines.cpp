#include "lib/core/routines.h"

#include <cmath>

#include "lib/core/error.h"
#include "lib/core/names.h"

namespace codfix {

const Value& Args::operator[](std::size_t i) const {
  static const Value kNil;
  return i >= 1 && i <= values_.size() ? values_[i - 1] : kNil;
}

std::string Args::text(std::size_t i, std::string_view def) const {
  return (*this)[i].text_or(def);
}
double Args::number(std::size_t i, double def) const {
  return (*this)[i].number_or(def);
}
int Args::integer(std::size_t i, int def) const {
  const Value& v = (*this)[i];
  return v.is_number() ? static_cast<int>(std::trunc(v.as_double())) : def;
}
bool Args::logical(std::size_t i, bool def) const {
  return (*this)[i].logical_or(def);
}

void Routines::add(std::string_view name, RoutineFn fn) {
  table_[upper_name(name)] = std::move(fn);
}

bool Routines::exists(std::string_view name) const {
  return find(name) != nullptr;
}

const RoutineFn* Routines::find(std::string_view name) const {
  auto it = table_.find(upper_name(name));
  return it == table_.end() ? nullptr : &it->second;
}

Value Routines::call(std::string_view name, std::span<const Value> args) const {
  if (const RoutineFn* fn = find(name)) return (*fn)(Args(args));
  ErrorRecord e;
  e.gencode = gen::kNoFunc;
  e.subsystem = "BASE";
  e.subcode = 1001;
  e.description = "Undefined function";
  e.operation = upper_name(name);
  e.args.assign(args.begin(), args.end());
  e.can_default = true;
  ErrorAnswer a = raise_error(e);
  return a.action == ErrorAction::Substitute ? a.value : Value();
}

void Routines::remove(std::string_view name) {
  if (table_.erase(upper_name(name)) > 0) ++removals_;
}

Routines& routines() {
  static Routines registry;
  return registry;
}

}  // namespace codfix
