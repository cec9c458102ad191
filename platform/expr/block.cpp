#include "platform/expr/block.h"

#include <algorithm>

#include "platform/expr/eval_depth.h"

namespace codfix::expr {

Value Block::call(std::span<const Value> args) {
  EvalDepth depth;
  if (!depth.ok()) return too_deep(code_->source);
  auto frame = std::make_shared<Frame>();
  frame->locals.resize(static_cast<std::size_t>(code_->params));
  std::copy_n(args.begin(), std::min(args.size(), frame->locals.size()), frame->locals.begin());
  frame->parent = env_;
  return code_->body->eval(frame.get());
}

Value BlockNode::eval(Frame* f) const {
  std::shared_ptr<Frame> env = f ? f->shared_from_this() : nullptr;
  return Value(CallbackRef(std::make_shared<Block>(code_, std::move(env))));
}

}  // namespace codfix::expr
