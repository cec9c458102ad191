#include "platform/expr/nodes_names.h"

#include <cmath>

#include "lib/core/names.h"
#include "lib/core/runtime.h"
#include "lib/core/work_area_host.h"
#include "platform/expr/eval_errors.h"

namespace codfix::expr {
namespace {

WorkAreaHost* host() {
  return Runtime::current().work_areas;
}

// Runs `lookup` (true when it found the value) and raises the undefined-name
// error while it fails and the handler asks to retry.
template <class Lookup>
Value resolve(const std::string& name, Lookup&& lookup) {
  Value out;
  if (lookup(out)) return out;
  ErrorRecord e = undefined_name_record(name);
  for (;;) {
    ErrorAnswer a = raise_error(e);
    if (a.action != ErrorAction::Retry) return answer_value(a);
    if (lookup(out)) return out;
  }
}

bool read_variable(const std::string& name, Value& out) {
  if (const Value* v = Runtime::current().vars.find(name)) {
    out = *v;
    return true;
  }
  return false;
}

// Selects an area for the lifetime of the guard and puts the previous one back.
class AreaGuard {
 public:
  AreaGuard(WorkAreaHost& h, int area) : h_(h), previous_(h.current_area()) {
    if (area != previous_) h_.select_area(area);
  }
  ~AreaGuard() {
    if (h_.current_area() != previous_) h_.select_area(previous_);
  }
  AreaGuard(const AreaGuard&) = delete;
  AreaGuard& operator=(const AreaGuard&) = delete;

 private:
  WorkAreaHost& h_;
  int previous_;
};

}  // namespace

Value NameNode::eval(Frame*) const {
  return resolve(slot_.name(), [&](Value& out) {
    if (WorkAreaHost* h = host()) {
      if (int p = slot_.position(*h)) {
        out = h->field_get(p);
        return true;
      }
    }
    return read_variable(slot_.name(), out);
  });
}

bool NameNode::append_text(Frame* f, std::string& out, Value& other) const {
  if (WorkAreaHost* h = host()) {
    int p = slot_.position(*h);
    if (p > 0 && slot_.type() == 'C') {
      out += h->field_bytes(p);
      return true;
    }
  }
  return Node::append_text(f, out, other);
}

void NameNode::assign(Frame*, Value v) const {
  if (WorkAreaHost* h = host()) {
    if (int p = slot_.position(*h)) {
      h->field_put(p, v);
      return;
    }
  }
  Runtime::current().vars.set(slot_.name(), std::move(v));
}

Value MemVarNode::eval(Frame*) const {
  return resolve(name_, [&](Value& out) { return read_variable(name_, out); });
}

void MemVarNode::assign(Frame*, Value v) const {
  Runtime::current().vars.set(name_, std::move(v));
}

Value FieldNode::eval(Frame*) const {
  return resolve(slot_.name(), [&](Value& out) {
    WorkAreaHost* h = host();
    int p = h ? slot_.position(*h) : 0;
    if (p > 0) out = h->field_get(p);
    return p > 0;
  });
}

bool FieldNode::append_text(Frame* f, std::string& out, Value& other) const {
  if (WorkAreaHost* h = host()) {
    int p = slot_.position(*h);
    if (p > 0 && slot_.type() == 'C') {
      out += h->field_bytes(p);
      return true;
    }
  }
  return Node::append_text(f, out, other);
}

void FieldNode::assign(Frame*, Value v) const {
  WorkAreaHost* h = host();
  int p = h ? slot_.position(*h) : 0;
  if (p > 0) {
    h->field_put(p, v);
    return;
  }
  ErrorRecord e = undefined_name_record(slot_.name());
  while (raise_error(e).action == ErrorAction::Retry) {
    h = host();
    p = h ? slot_.position(*h) : 0;
    if (p > 0) {
      h->field_put(p, v);
      return;
    }
  }
}

int AliasNode::area(Frame* f, Value& failed) const {
  std::string alias = alias_;
  int number = 0;
  if (alias_expr_) {
    Value v = alias_expr_->eval(f);
    if (v.is_number()) {
      number = static_cast<int>(std::trunc(v.as_double()));
    } else if (v.is_text()) {
      alias = upper_name(v.text());
      while (!alias.empty() && alias.back() == ' ') alias.pop_back();
      while (!alias.empty() && alias.front() == ' ') alias.erase(0, 1);
    } else {
      failed = argument_error(sub::kNoAlias, "->", {v});
      return 0;
    }
  }
  auto lookup = [&]() {
    WorkAreaHost* h = host();
    if (!h) return 0;
    return number > 0 ? number : h->area_of_alias(alias);
  };
  int a = lookup();
  if (a > 0) return a;
  ErrorRecord e = undefined_alias_record(number > 0 ? std::to_string(number) : alias);
  for (;;) {
    ErrorAnswer answer = raise_error(e);
    if (answer.action != ErrorAction::Retry) {
      failed = answer_value(answer);
      return 0;
    }
    if ((a = lookup()) > 0) return a;
  }
}

Value AliasNode::eval(Frame* f) const {
  Value failed;
  int a = area(f, failed);
  if (a == 0) return failed;
  AreaGuard guard(*host(), a);
  return inner_->eval(f);
}

void AliasNode::assign(Frame* f, Value v) const {
  Value failed;
  int a = area(f, failed);
  if (a == 0) return;
  AreaGuard guard(*host(), a);
  inner_->assign(f, std::move(v));
}

}  // namespace codfix::expr
