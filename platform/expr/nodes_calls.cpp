#include "platform/expr/nodes_calls.h"

#include <array>

#include "lib/core/date.h"
#include "lib/core/runtime.h"
#include "platform/expr/compiled.h"
#include "platform/expr/eval_depth.h"
#include "platform/expr/eval_errors.h"
#include "platform/expr/field_slot.h"
#include "platform/text/codepage.h"

namespace codfix::expr {

CallNode::CallNode(std::string upper_name, std::vector<NodePtr> args)
    : name_(std::move(upper_name)),
      args_(std::move(args)),
      fn_(routines().find(name_)),
      removals_(routines().removals()) {}

const RoutineFn* CallNode::routine() const {
  const Routines& r = routines();
  if (!fn_ || removals_ != r.removals()) {
    fn_ = r.find(name_);
    removals_ = r.removals();
  }
  return fn_;
}

Value CallNode::eval(Frame* f) const {
  constexpr std::size_t kInline = 6;
  auto call = [&](std::span<const Value> values) {
    const RoutineFn* fn = routine();
    return fn ? (*fn)(Args(values)) : routines().call(name_, values);
  };
  if (args_.size() <= kInline) {
    std::array<Value, kInline> values;
    for (std::size_t i = 0; i < args_.size(); ++i)
      if (args_[i]) values[i] = args_[i]->eval(f);
    return call(std::span<const Value>(values.data(), args_.size()));
  }
  std::vector<Value> values(args_.size());
  for (std::size_t i = 0; i < args_.size(); ++i)
    if (args_[i]) values[i] = args_[i]->eval(f);
  return call(values);
}

const Node* IIfNode::branch(Frame* f, Value& failed) const {
  Value c = cond_->eval(f);
  if (c.is_logical()) return c.logical() ? a_.get() : b_.get();
  failed = argument_error(sub::kConditional, "IIF", {c});
  return nullptr;
}

Value IIfNode::eval(Frame* f) const {
  Value failed;
  const Node* n = branch(f, failed);
  return n ? n->eval(f) : failed;
}

bool IIfNode::append_text(Frame* f, std::string& out, Value& other) const {
  const Node* n = branch(f, other);
  if (!n) return false;
  return n->append_text(f, out, other);
}

Value UpperNode::eval(Frame* f) const {
  Value v = arg_->eval(f);
  if (v.is_text()) return Value(text::upper(v.text()));
  Value args[] = {v};
  return routines().call("UPPER", args);
}

bool UpperNode::append_text(Frame* f, std::string& out, Value& other) const {
  const std::size_t mark = out.size();
  Value v;
  if (arg_->append_text(f, out, v)) {
    for (std::size_t i = mark; i < out.size(); ++i) out[i] = text::to_upper(out[i]);
    return true;
  }
  Value args[] = {v};
  Value r = routines().call("UPPER", args);
  if (r.is_text()) {
    out += r.text();
    return true;
  }
  other = std::move(r);
  return false;
}

Value SliceNode::fallback(const Value& text, const Value& a, const Value& b) const {
  Value args[] = {text, a, b};
  return routines().call(name_, std::span<const Value>(args, b_ ? 3 : 2));
}

Value SliceNode::eval(Frame* f) const {
  Value text = text_->eval(f);
  Value a = a_->eval(f);
  Value b = b_ ? b_->eval(f) : Value();
  SliceRange r;
  if (!text.is_text() || !slice_range(kind_, text.text().size(), a, b, r))
    return fallback(text, a, b);
  return Value(std::string_view(text.text()).substr(r.first, r.count));
}

bool SliceNode::append_text(Frame* f, std::string& out, Value& other) const {
  const std::size_t mark = out.size();
  Value text;
  const bool appended = text_->append_text(f, out, text);
  Value a = a_->eval(f);
  Value b = b_ ? b_->eval(f) : Value();
  SliceRange r;
  if (appended && slice_range(kind_, out.size() - mark, a, b, r)) {
    out.resize(mark + r.first + r.count);
    out.erase(mark, r.first);
    return true;
  }
  if (appended) {
    text = Value(out.substr(mark));
    out.resize(mark);
  }
  Value v = fallback(text, a, b);
  if (v.is_text()) {
    out += v.text();
    return true;
  }
  other = std::move(v);
  return false;
}

Value DtosNode::eval(Frame* f) const {
  Value args[] = {arg_->eval(f)};
  return routines().call("DTOS", args);
}

bool DtosNode::append_text(Frame* f, std::string& out, Value& other) const {
  if (const FieldSlot* slot = arg_->field_slot()) {
    if (WorkAreaHost* h = Runtime::current().work_areas) {
      int pos = slot->position(*h);
      if (pos > 0 && slot->type() == 'D') {
        std::string_view bytes = h->field_bytes(pos);
        if (bytes.size() == 8 && !dtos_to_date(bytes).empty()) {
          out += bytes;
        } else {
          out.append(8, ' ');
        }
        return true;
      }
    }
  }
  return Node::append_text(f, out, other);
}

ExpressionPtr MacroNode::expand(Frame* f, Value& failed) const {
  Value v = source_->eval(f);
  if (!v.is_text()) {
    failed = argument_error(sub::kMacro, "&", {v});
    return nullptr;
  }
  if (!last_ || v.text().size() + suffix_.size() != last_text_.size() ||
      last_text_.compare(0, v.text().size(), v.text()) != 0 ||
      last_text_.compare(v.text().size(), std::string::npos, suffix_) != 0) {
    last_text_ = v.text() + suffix_;
    last_ = compile(last_text_);
  }
  return last_;
}

Value MacroNode::eval(Frame* f) const {
  EvalDepth depth;
  if (!depth.ok()) return too_deep("&");
  Value failed;
  ExpressionPtr e = expand(f, failed);
  return e ? e->eval() : failed;
}

void MacroNode::assign(Frame* f, Value v) const {
  EvalDepth depth;
  if (!depth.ok()) {
    too_deep("&");
    return;
  }
  Value failed;
  ExpressionPtr e = expand(f, failed);
  if (!e) return;
  auto* c = dynamic_cast<const CompiledExpression*>(e.get());
  if (c && c->root().assignable()) {
    c->root().assign(nullptr, std::move(v));
    return;
  }
  syntax_error(e->source(), "not assignable");
}

}  // namespace codfix::expr
