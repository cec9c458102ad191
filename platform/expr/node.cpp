#include "platform/expr/node.h"

namespace codfix::expr {

bool Node::append_text(Frame* f, std::string& out, Value& other) const {
  Value v = eval(f);
  if (!v.is_text()) {
    other = std::move(v);
    return false;
  }
  out += v.text();
  return true;
}

void Node::assign(Frame*, Value) const {}

}  // namespace codfix::expr
