// Nodes for values and their parts: literals, callback parameters, lists
// `(a, b)`, array literals `{a, b}`, element access `a[i]` and object
// properties `obj:NAME`.
#pragma once

#include <string>
#include <vector>

#include "platform/expr/node.h"

namespace codfix::expr {

class ConstantNode : public Node {
 public:
  explicit ConstantNode(Value v) : v_(std::move(v)) {}
  Value eval(Frame*) const override { return v_; }
  bool append_text(Frame* f, std::string& out, Value& other) const override;
  const Value* constant() const override { return &v_; }

 private:
  Value v_;
};

// A parameter of an enclosing callback: `depth` frames out, slot `index`.
class LocalNode : public Node {
 public:
  LocalNode(int depth, int index) : depth_(depth), index_(index) {}
  Value eval(Frame* f) const override { return slot(f); }
  bool assignable() const override { return true; }
  void assign(Frame* f, Value v) const override { slot(f) = std::move(v); }

 private:
  Value& slot(Frame* f) const;
  int depth_, index_;
};

// (e1, e2, ...): evaluates each, yields the last.
class ListNode : public Node {
 public:
  explicit ListNode(std::vector<NodePtr> items) : items_(std::move(items)) {}
  Value eval(Frame* f) const override;
  bool append_text(Frame* f, std::string& out, Value& other) const override;

 private:
  std::vector<NodePtr> items_;
};

// {e1, e2, ...}: a new array; an omitted element is nil.
class ArrayNode : public Node {
 public:
  explicit ArrayNode(std::vector<NodePtr> items) : items_(std::move(items)) {}
  Value eval(Frame* f) const override;

 private:
  std::vector<NodePtr> items_;
};

// base[index]: an array element (1-based) or a hash entry.
class IndexNode : public Node {
 public:
  IndexNode(NodePtr base, NodePtr index) : base_(std::move(base)), index_(std::move(index)) {}
  Value eval(Frame* f) const override;
  bool assignable() const override { return true; }
  void assign(Frame* f, Value v) const override;

 private:
  NodePtr base_, index_;
};

// obj:NAME on an object value.
class PropertyNode : public Node {
 public:
  PropertyNode(NodePtr base, std::string name) : base_(std::move(base)), name_(std::move(name)) {}
  Value eval(Frame* f) const override;
  bool assignable() const override { return true; }
  void assign(Frame* f, Value v) const override;

 private:
  NodePtr base_;
  std::string name_;
};

}  // namespace codfix::expr
