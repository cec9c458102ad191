// Turns an expression text into a node tree, with xBase precedence (lowest
// first): assignment (:= += -= *= /= %= ^=, right to left), .OR., .AND., .NOT.,
// comparisons (= == != <> # < <= > >= $), + -, * / %, ** ^, unary + - ++ --, then
// postfix [index] :property ++ -- on a primary.
//
// Names of the enclosing callbacks' parameters become frame slots; other names
// are resolved at run time. Constant arithmetic is folded here, with one rule of
// its own: an integer constant divided exactly by another gives an integer.
//
// Texts nested too deeply (kMaxDepth) or too long a chain of operators
// (kMaxOperators) do not compile, so that evaluating a tree never exhausts the
// stack.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/expr/compiled.h"
#include "platform/expr/lexer.h"
#include "platform/expr/node.h"
#include "platform/expr/ops.h"

namespace codfix::expr {

class Parser {
 public:
  static constexpr int kMaxDepth = 200;
  static constexpr int kMaxOperators = 2000;

  explicit Parser(std::string_view src);
  // The tree of the whole text, or nullptr with the reason in `error`.
  NodePtr parse(std::string& error);
  const CompileInfo& info() const { return info_; }

 private:
  void advance();
  bool accept(Tok kind);
  void expect(Tok kind, const char* what);
  [[noreturn]] void fail(const std::string& message) const;
  void count_operator();

  NodePtr expression();
  NodePtr or_expr();
  NodePtr and_expr();
  NodePtr not_expr();
  NodePtr relational();
  NodePtr additive();
  NodePtr multiplicative();
  NodePtr power();
  NodePtr unary();
  NodePtr postfix();
  NodePtr primary();

  NodePtr list_until(Tok close);
  std::vector<NodePtr> arguments();
  NodePtr identifier(std::string_view name);
  NodePtr call(const std::string& name);
  NodePtr alias_tail(NodePtr alias_expr, const std::string& alias);
  NodePtr brace(std::size_t start);
  NodePtr name(std::string_view name);
  NodePtr number_literal(const Token& t);
  NodePtr binary(BinOp op, NodePtr a, NodePtr b);
  NodePtr assignable(NodePtr target, const char* what);

  std::string_view src_;
  Lexer lex_;
  Token tok_;
  std::vector<std::vector<std::string>> scopes_;  // parameters of enclosing blocks
  CompileInfo info_;
  int depth_ = 0;  // nesting of the recursive rules, bounded to protect the stack
  int nodes_ = 0;  // operators chained so far, bounded likewise
};

}  // namespace codfix::expr
