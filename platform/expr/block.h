// Callbacks written in expressions: {|x, y| e1, e2}. The parameters are locals
// of the block; a block created while another block runs keeps that block's
// frame, so it can still read and change the outer parameters later.
#pragma once

#include <memory>
#include <string>

#include "platform/expr/node.h"

namespace codfix::expr {

struct BlockCode {
  int params = 0;
  NodePtr body;        // the list e1, e2, ...; yields the last value
  std::string source;  // "{|x| x+1}"
};

class Block : public Callable {
 public:
  Block(std::shared_ptr<const BlockCode> code, std::shared_ptr<Frame> env)
      : code_(std::move(code)), env_(std::move(env)) {}
  Value call(std::span<const Value> args) override;
  std::string source() const override { return code_->source; }

 private:
  std::shared_ptr<const BlockCode> code_;
  std::shared_ptr<Frame> env_;
};

// The block literal: each evaluation makes a callback over the current frame.
class BlockNode : public Node {
 public:
  explicit BlockNode(std::shared_ptr<const BlockCode> code) : code_(std::move(code)) {}
  Value eval(Frame* f) const override;

 private:
  std::shared_ptr<const BlockCode> code_;
};

}  // namespace codfix::expr
