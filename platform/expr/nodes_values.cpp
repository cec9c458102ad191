#include "platform/expr/nodes_values.h"

#include <cmath>

#include "platform/expr/eval_errors.h"

namespace codfix::expr {

bool ConstantNode::append_text(Frame*, std::string& out, Value& other) const {
  if (!v_.is_text()) {
    other = v_;
    return false;
  }
  out += v_.text();
  return true;
}

Value& LocalNode::slot(Frame* f) const {
  for (int d = 0; d < depth_; ++d) f = f->parent.get();
  return f->locals[static_cast<std::size_t>(index_)];
}

Value ListNode::eval(Frame* f) const {
  for (std::size_t i = 0; i + 1 < items_.size(); ++i) items_[i]->eval(f);
  return items_.back()->eval(f);
}

bool ListNode::append_text(Frame* f, std::string& out, Value& other) const {
  for (std::size_t i = 0; i + 1 < items_.size(); ++i) items_[i]->eval(f);
  return items_.back()->append_text(f, out, other);
}

Value ArrayNode::eval(Frame* f) const {
  std::vector<Value> values;
  values.reserve(items_.size());
  for (const NodePtr& n : items_) values.push_back(n ? n->eval(f) : Value());
  return Value::array(std::move(values));
}

namespace {

// The 0-based element index, or -1 when `index` does not address an element.
long element(const Value& array, const Value& index) {
  if (!index.is_number()) return -1;
  double i = std::trunc(index.as_double());
  if (i < 1 || i > static_cast<double>(array.items().size())) return -1;
  return static_cast<long>(i) - 1;
}

}  // namespace

Value IndexNode::eval(Frame* f) const {
  Value base = base_->eval(f);
  Value index = index_->eval(f);
  if (base.is_array()) {
    long i = element(base, index);
    if (i < 0) return bound_error(sub::kBoundRead, {base, index});
    return base.items()[static_cast<std::size_t>(i)];
  }
  if (base.is_hash()) {
    if (Value* v = base.hash_ref()->find(index)) return *v;
    return bound_error(sub::kBoundRead, {base, index});
  }
  return argument_error(sub::kNotIndexable, "array access", {base, index});
}

void IndexNode::assign(Frame* f, Value v) const {
  Value base = base_->eval(f);
  Value index = index_->eval(f);
  if (base.is_array()) {
    long i = element(base, index);
    if (i < 0) {
      bound_error(sub::kBoundWrite, {base, index});
      return;
    }
    base.items()[static_cast<std::size_t>(i)] = std::move(v);
    return;
  }
  if (base.is_hash()) {
    base.hash_ref()->set(index, std::move(v));
    return;
  }
  argument_error(sub::kNotIndexable, "array assign", {base, index});
}

Value PropertyNode::eval(Frame* f) const {
  Value base = base_->eval(f);
  Value out;
  if (base.is_object() && base.object()->get(name_, out)) return out;
  return no_property(sub::kNoMethod, name_, base);
}

void PropertyNode::assign(Frame* f, Value v) const {
  Value base = base_->eval(f);
  if (base.is_object() && base.object()->set(name_, v)) return;
  no_property(sub::kNoProperty, name_, base);
}

}  // namespace codfix::expr
