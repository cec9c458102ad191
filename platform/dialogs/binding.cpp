#include "platform/dialogs/binding.h"

#include "lib/core/names.h"
#include "lib/core/runtime.h"
#include "lib/core/work_area_host.h"

namespace codfix::dialogs {
namespace {

enum class Where { Variable, Field };

struct Target {
  Where where = Where::Variable;
  int area = 0;  // 0: the current work area
  int pos = 0;   // field position
  std::string name;
};

Target resolve(const std::string& full) {
  Target t;
  std::string alias;
  std::string name = full;
  std::size_t arrow = full.find("->");
  if (arrow != std::string::npos) {
    alias = full.substr(0, arrow);
    name = full.substr(arrow + 2);
  }
  t.name = name;
  if (same_name(alias, "M") || same_name(alias, "MEMVAR")) return t;
  WorkAreaHost* host = Runtime::current().work_areas;
  if (!host) return t;
  if (!alias.empty() && !same_name(alias, "FIELD") && !same_name(alias, "_FIELD")) {
    t.area = host->area_of_alias(alias);
    if (t.area == 0) return t;
    int current = host->current_area();
    host->select_area(t.area);
    t.pos = host->field_pos(name);
    host->select_area(current);
  } else {
    t.pos = host->field_pos(name);
  }
  if (t.pos > 0) t.where = Where::Field;
  return t;
}

// Runs `fn` with the target's work area selected, restoring the current one.
template <class Fn>
void in_area(const Target& t, Fn&& fn) {
  WorkAreaHost* host = Runtime::current().work_areas;
  int current = host->current_area();
  if (t.area && t.area != current) host->select_area(t.area);
  fn(*host);
  if (t.area && t.area != current) host->select_area(current);
}

}  // namespace

Binding Binding::named(std::string name) {
  Binding b;
  b.name_ = std::move(name);
  return b;
}

Binding Binding::functions(std::function<Value()> get, std::function<void(const Value&)> set) {
  Binding b;
  b.get_ = std::move(get);
  b.set_ = std::move(set);
  return b;
}

Value Binding::get() const {
  if (get_) return get_();
  Target t = resolve(name_);
  if (t.where == Where::Variable) return Runtime::current().vars.get(t.name);
  Value v;
  in_area(t, [&](WorkAreaHost& h) { v = h.field_get(t.pos); });
  return v;
}

void Binding::set(const Value& v) const {
  if (set_) {
    set_(v);
    return;
  }
  Target t = resolve(name_);
  if (t.where == Where::Variable) {
    Runtime::current().vars.set(t.name, v);
    return;
  }
  in_area(t, [&](WorkAreaHost& h) { h.field_put(t.pos, v); });
}

}  // namespace codfix::dialogs
