#include "platform/expr/nodes_ops.h"

#include "platform/expr/eval_errors.h"

namespace codfix::expr {

Value BinaryNode::eval(Frame* f) const {
  Value a = a_->eval(f);
  Value b = b_->eval(f);
  if (op_ == BinOp::Plus && a.is_text() && b.is_text() && !a.is_memo()) {
    a.text() += b.text();  // the left operand is a temporary: grow it in place
    return a;
  }
  return apply(op_, a, b);
}

bool BinaryNode::append_text(Frame* f, std::string& out, Value& other) const {
  if (op_ != BinOp::Plus) return Node::append_text(f, out, other);
  const std::size_t mark = out.size();
  Value a, b;
  if (a_->append_text(f, out, a)) {
    const std::size_t middle = out.size();
    if (b_->append_text(f, out, b)) return true;
    a = Value(out.substr(mark, middle - mark));
  } else {
    b = b_->eval(f);
  }
  out.resize(mark);
  Value r = apply(op_, a, b);
  if (r.is_text()) {
    out += r.text();
    return true;
  }
  other = std::move(r);
  return false;
}

Value AndNode::eval(Frame* f) const {
  Value a = a_->eval(f);
  if (!a.is_logical()) return argument_error(sub::kAnd, ".AND.", {a, Value()});
  if (!a.logical()) return Value(false);
  Value b = b_->eval(f);
  if (!b.is_logical()) return argument_error(sub::kAnd, ".AND.", {a, b});
  return b;
}

Value OrNode::eval(Frame* f) const {
  Value a = a_->eval(f);
  if (!a.is_logical()) return argument_error(sub::kOr, ".OR.", {a, Value()});
  if (a.logical()) return Value(true);
  Value b = b_->eval(f);
  if (!b.is_logical()) return argument_error(sub::kOr, ".OR.", {a, b});
  return b;
}

Value NotNode::eval(Frame* f) const {
  Value a = a_->eval(f);
  if (!a.is_logical()) return argument_error(sub::kNot, ".NOT.", {a});
  return Value(!a.logical());
}

Value SignNode::eval(Frame* f) const {
  Value a = a_->eval(f);
  if (minus_) return negate(a);
  if (!a.is_number()) return argument_error(sub::kPlus, "+", {a});
  return a;
}

Value AssignNode::eval(Frame* f) const {
  Value v;
  if (compound_) {
    Value current = target_->eval(f);
    v = apply(op_, current, value_->eval(f));
  } else {
    v = value_->eval(f);
  }
  target_->assign(f, v);
  return v;
}

Value StepNode::eval(Frame* f) const {
  Value old = target_->eval(f);
  if (!old.is_number() && !old.is_date()) return step(old, delta_);  // the type error
  Value now = step(old, delta_);
  target_->assign(f, now);
  return prefix_ ? now : old;
}

}  // namespace codfix::expr
