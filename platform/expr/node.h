// The compiled form of an expression: a tree of nodes, each evaluating itself.
//
// A Frame holds the parameters of a running callback; callbacks created inside
// another callback keep the enclosing frame alive, so their parameters stay
// reachable. Top-level expressions run with no frame (nullptr).
//
// Nodes are immutable after compilation except for per-node caches (field
// positions, macro texts), which are kept in `mutable` members: an expression is
// evaluated by one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lib/core/value.h"

namespace codfix::expr {

class FieldSlot;

struct Frame : std::enable_shared_from_this<Frame> {
  std::vector<Value> locals;
  std::shared_ptr<Frame> parent;
};

class Node {
 public:
  virtual ~Node() = default;
  virtual Value eval(Frame* f) const = 0;

  // Appends a text result to `out` and returns true; a result that is not text is
  // left in `other` (and false returned), so nothing is evaluated twice. The
  // default goes through eval(); text-producing nodes override it to avoid
  // building a Value.
  virtual bool append_text(Frame* f, std::string& out, Value& other) const;

  // Assignment targets (variables, fields, array elements, properties).
  virtual bool assignable() const { return false; }
  virtual void assign(Frame* f, Value v) const;

  // A literal: its value is known at compile time (constant folding).
  virtual const Value* constant() const { return nullptr; }

  // A name that reads a field of the current work area when it has one (plain
  // names and FIELD->name): lets key functions read the field's bytes directly.
  virtual const FieldSlot* field_slot() const { return nullptr; }
};

using NodePtr = std::unique_ptr<Node>;

}  // namespace codfix::expr
