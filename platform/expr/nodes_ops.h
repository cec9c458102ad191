// Nodes for operators: binary arithmetic and comparisons, the short-circuit
// logical operators, negation, assignment (plain and compound) and `++`/`--`.
#pragma once

#include "platform/expr/node.h"
#include "platform/expr/ops.h"

namespace codfix::expr {

class BinaryNode : public Node {
 public:
  BinaryNode(BinOp op, NodePtr a, NodePtr b) : op_(op), a_(std::move(a)), b_(std::move(b)) {}
  Value eval(Frame* f) const override;
  // `+` of texts appends both sides straight into `out`.
  bool append_text(Frame* f, std::string& out, Value& other) const override;

 private:
  BinOp op_;
  NodePtr a_, b_;
};

class AndNode : public Node {
 public:
  AndNode(NodePtr a, NodePtr b) : a_(std::move(a)), b_(std::move(b)) {}
  Value eval(Frame* f) const override;

 private:
  NodePtr a_, b_;
};

class OrNode : public Node {
 public:
  OrNode(NodePtr a, NodePtr b) : a_(std::move(a)), b_(std::move(b)) {}
  Value eval(Frame* f) const override;

 private:
  NodePtr a_, b_;
};

class NotNode : public Node {
 public:
  explicit NotNode(NodePtr a) : a_(std::move(a)) {}
  Value eval(Frame* f) const override;

 private:
  NodePtr a_;
};

// Unary minus, or unary plus when `minus` is false (a number stays as it is).
class SignNode : public Node {
 public:
  SignNode(bool minus, NodePtr a) : minus_(minus), a_(std::move(a)) {}
  Value eval(Frame* f) const override;

 private:
  bool minus_;
  NodePtr a_;
};

// target := value, or target op= value when `compound` is set.
class AssignNode : public Node {
 public:
  AssignNode(NodePtr target, NodePtr value, bool compound = false, BinOp op = BinOp::Plus)
      : target_(std::move(target)), value_(std::move(value)), compound_(compound), op_(op) {}
  Value eval(Frame* f) const override;

 private:
  NodePtr target_, value_;
  bool compound_;
  BinOp op_;
};

// ++x, --x (prefix: the new value) and x++, x-- (postfix: the old value).
class StepNode : public Node {
 public:
  StepNode(NodePtr target, int delta, bool prefix)
      : target_(std::move(target)), delta_(delta), prefix_(prefix) {}
  Value eval(Frame* f) const override;

 private:
  NodePtr target_;
  int delta_;
  bool prefix_;
};

}  // namespace codfix::expr
