// Nodes for names: a plain name (a field of the current work area first, else a
// session variable), M->name (session variable only), FIELD->name (field only)
// and alias->... (the expression evaluated with that work area selected, which is
// restored afterwards).
#pragma once

#include <string>

#include "platform/expr/field_slot.h"
#include "platform/expr/node.h"

namespace codfix::expr {

class NameNode : public Node {
 public:
  explicit NameNode(std::string upper_name) : slot_(std::move(upper_name)) {}
  const FieldSlot* field_slot() const override { return &slot_; }
  Value eval(Frame* f) const override;
  bool append_text(Frame* f, std::string& out, Value& other) const override;
  bool assignable() const override { return true; }
  void assign(Frame* f, Value v) const override;

 private:
  FieldSlot slot_;
};

class MemVarNode : public Node {
 public:
  explicit MemVarNode(std::string upper_name) : name_(std::move(upper_name)) {}
  Value eval(Frame* f) const override;
  bool assignable() const override { return true; }
  void assign(Frame* f, Value v) const override;

 private:
  std::string name_;
};

class FieldNode : public Node {
 public:
  explicit FieldNode(std::string upper_name) : slot_(std::move(upper_name)) {}
  const FieldSlot* field_slot() const override { return &slot_; }
  Value eval(Frame* f) const override;
  bool append_text(Frame* f, std::string& out, Value& other) const override;
  bool assignable() const override { return true; }
  void assign(Frame* f, Value v) const override;

 private:
  FieldSlot slot_;
};

// alias->inner or (expression)->inner. The alias is a name, or an expression
// giving an alias text or an area number.
class AliasNode : public Node {
 public:
  AliasNode(std::string upper_alias, NodePtr inner)
      : alias_(std::move(upper_alias)), inner_(std::move(inner)) {}
  AliasNode(NodePtr alias_expr, NodePtr inner)
      : alias_expr_(std::move(alias_expr)), inner_(std::move(inner)) {}
  Value eval(Frame* f) const override;
  bool assignable() const override { return inner_->assignable(); }
  void assign(Frame* f, Value v) const override;

 private:
  // The area to select, or 0 after the error was answered (`failed` = the answer).
  int area(Frame* f, Value& failed) const;

  std::string alias_;
  NodePtr alias_expr_;
  NodePtr inner_;
};

}  // namespace codfix::expr
