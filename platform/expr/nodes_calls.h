// Nodes for calls: a routine of the registry by name (resolved to the registry
// entry once, at compile time, or at the first call when it is registered
// later), the lazy IIF()/IF(), UPPER() and DTOS() with key fast paths, and the macro
// operator `&name` / `&(expression)`.
#pragma once

#include <string>
#include <vector>

#include "lib/core/routines.h"
#include "platform/expr/expr.h"
#include "platform/expr/node.h"
#include "platform/expr/text_slice.h"

namespace codfix::expr {

class CallNode : public Node {
 public:
  // `args` may hold nullptr for an omitted argument (nil).
  CallNode(std::string upper_name, std::vector<NodePtr> args);
  Value eval(Frame* f) const override;

 private:
  std::string name_;
  std::vector<NodePtr> args_;
  // The registry entry, valid while the registry's removal count is unchanged.
  const RoutineFn* routine() const;
  mutable const RoutineFn* fn_ = nullptr;
  mutable uint64_t removals_ = 0;
};

class IIfNode : public Node {
 public:
  IIfNode(NodePtr cond, NodePtr a, NodePtr b)
      : cond_(std::move(cond)), a_(std::move(a)), b_(std::move(b)) {}
  Value eval(Frame* f) const override;
  bool append_text(Frame* f, std::string& out, Value& other) const override;

 private:
  // The branch to take, or nullptr after a non-logical condition (then `failed`).
  const Node* branch(Frame* f, Value& failed) const;
  NodePtr cond_, a_, b_;
};

// UPPER(text): converts in place in the key buffer; other types go to the
// registered UPPER for its argument error.
class UpperNode : public Node {
 public:
  explicit UpperNode(NodePtr arg) : arg_(std::move(arg)) {}
  Value eval(Frame* f) const override;
  bool append_text(Frame* f, std::string& out, Value& other) const override;

 private:
  NodePtr arg_;
};

// SUBSTR / LEFT / RIGHT: the text is appended to the key buffer and cut there.
// Wrong argument types go to the registered function for its error.
class SliceNode : public Node {
 public:
  SliceNode(Slice kind, std::string upper_name, NodePtr text, NodePtr a, NodePtr b)
      : kind_(kind),
        name_(std::move(upper_name)),
        text_(std::move(text)),
        a_(std::move(a)),
        b_(std::move(b)) {}
  Value eval(Frame* f) const override;
  bool append_text(Frame* f, std::string& out, Value& other) const override;

 private:
  Value fallback(const Value& text, const Value& a, const Value& b) const;
  Slice kind_;
  std::string name_;
  NodePtr text_, a_, b_;  // b_ may be nullptr
};

// DTOS(date): a D field's stored YYYYMMDD bytes go straight into the key buffer
// (checked: an invalid stored date gives blanks, as the empty date does).
class DtosNode : public Node {
 public:
  explicit DtosNode(NodePtr arg) : arg_(std::move(arg)) {}
  Value eval(Frame* f) const override;
  bool append_text(Frame* f, std::string& out, Value& other) const override;

 private:
  NodePtr arg_;
};

// &name / &name.suffix / &(expression): the text is compiled (the last one is
// kept) and evaluated; as an assignment target, the compiled text must be one.
class MacroNode : public Node {
 public:
  MacroNode(NodePtr source, std::string suffix)
      : source_(std::move(source)), suffix_(std::move(suffix)) {}
  Value eval(Frame* f) const override;
  bool assignable() const override { return true; }
  void assign(Frame* f, Value v) const override;

 private:
  // The compiled text, or nullptr after an error (then `failed` holds the answer).
  ExpressionPtr expand(Frame* f, Value& failed) const;

  NodePtr source_;
  std::string suffix_;
  mutable std::string last_text_;
  mutable ExpressionPtr last_;
};

}  // namespace codfix::expr
