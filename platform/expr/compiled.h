// The Expression behind compile(): the source text, the root node of its tree and
// what the compiler learned about it (for TYPE()).
#pragma once

#include <string>

#include "platform/expr/expr.h"
#include "platform/expr/node.h"

namespace codfix::expr {

struct CompileInfo {
  bool side_effects = false;      // assignments, ++/--, calls of routines not marked pure
  bool unknown_function = false;  // a call of a name the registry does not have
};

class CompiledExpression : public Expression {
 public:
  CompiledExpression(std::string source, NodePtr root, CompileInfo info)
      : source_(std::move(source)), root_(std::move(root)), info_(info) {}
  Value eval() const override { return root_->eval(nullptr); }
  bool eval_text(std::string& out) const override;
  const std::string& source() const override { return source_; }
  const Node& root() const { return *root_; }
  const CompileInfo& info() const { return info_; }

 private:
  std::string source_;
  NodePtr root_;
  CompileInfo info_;
};

// Compiles into `info` as well; nullptr and the reason in `error` on failure.
std::shared_ptr<const CompiledExpression> compile_text(std::string_view text, std::string* error);

}  // namespace codfix::expr
