#include "platform/expr/parser.h"

#include <algorithm>
#include <cmath>

#include "lib/core/names.h"
#include "lib/core/routines.h"
#include "platform/expr/block.h"
#include "platform/expr/nodes_calls.h"
#include "platform/expr/nodes_names.h"
#include "platform/expr/nodes_ops.h"
#include "platform/expr/nodes_values.h"
#include "platform/expr/pure.h"

namespace codfix::expr {
namespace {

struct ParseError {
  std::string message;
};

template <class T, class... A>
NodePtr make(A&&... a) {
  return std::make_unique<T>(std::forward<A>(a)...);
}

bool is_assign_op(Tok t, bool& compound, BinOp& op) {
  compound = true;
  switch (t) {
    case Tok::Assign:
      compound = false;
      return true;
    case Tok::PlusAssign:
      op = BinOp::Plus;
      return true;
    case Tok::MinusAssign:
      op = BinOp::Minus;
      return true;
    case Tok::StarAssign:
      op = BinOp::Times;
      return true;
    case Tok::SlashAssign:
      op = BinOp::Divide;
      return true;
    case Tok::PercentAssign:
      op = BinOp::Modulus;
      return true;
    case Tok::PowerAssign:
      op = BinOp::Power;
      return true;
    default:
      return false;
  }
}

bool relational_op(Tok t, BinOp& op) {
  switch (t) {
    case Tok::Eq:
      op = BinOp::Equal;
      return true;
    case Tok::EqEq:
      op = BinOp::ExactEqual;
      return true;
    case Tok::Ne:
      op = BinOp::NotEqual;
      return true;
    case Tok::Lt:
      op = BinOp::Less;
      return true;
    case Tok::Le:
      op = BinOp::LessEqual;
      return true;
    case Tok::Gt:
      op = BinOp::Greater;
      return true;
    case Tok::Ge:
      op = BinOp::GreaterEqual;
      return true;
    case Tok::Dollar:
      op = BinOp::Contains;
      return true;
    default:
      return false;
  }
}

// Counts one level of nesting for its lifetime.
class Nesting {
 public:
  explicit Nesting(int& depth) : depth_(depth) {
    if (++depth_ > Parser::kMaxDepth) throw ParseError{"expression nested too deeply"};
  }
  ~Nesting() { --depth_; }
  Nesting(const Nesting&) = delete;
  Nesting& operator=(const Nesting&) = delete;

 private:
  int& depth_;
};

}  // namespace

Parser::Parser(std::string_view src) : src_(src), lex_(src) {}

void Parser::fail(const std::string& message) const {
  throw ParseError{message};
}

void Parser::count_operator() {
  if (++nodes_ > kMaxOperators) fail("expression too long");
}

void Parser::advance() {
  tok_ = lex_.next();
  if (!lex_.ok()) fail(lex_.error());
}

bool Parser::accept(Tok kind) {
  if (tok_.kind != kind) return false;
  advance();
  return true;
}

void Parser::expect(Tok kind, const char* what) {
  if (tok_.kind != kind) {
    fail(std::string("expected ") + what + " at position " + std::to_string(tok_.pos + 1));
  }
  advance();
}

NodePtr Parser::parse(std::string& error) {
  try {
    advance();
    if (tok_.kind == Tok::End) fail("empty expression");
    NodePtr root = list_until(Tok::End);
    return root;
  } catch (const ParseError& e) {
    error = e.message;
    return nullptr;
  }
}

// e1, e2, ... up to (and over) `close`; a single item is returned as it is.
NodePtr Parser::list_until(Tok close) {
  std::vector<NodePtr> items;
  items.push_back(expression());
  while (accept(Tok::Comma)) items.push_back(expression());
  if (tok_.kind != close) fail("unexpected text at position " + std::to_string(tok_.pos + 1));
  if (close != Tok::End) advance();
  if (items.size() == 1) return std::move(items.front());
  return make<ListNode>(std::move(items));
}

NodePtr Parser::assignable(NodePtr target, const char* what) {
  if (!target->assignable()) fail(std::string(what) + " needs a variable, field or element");
  info_.side_effects = true;
  return target;
}

NodePtr Parser::expression() {
  Nesting nesting(depth_);
  NodePtr left = or_expr();
  bool compound = false;
  BinOp op = BinOp::Plus;
  if (!is_assign_op(tok_.kind, compound, op)) return left;
  advance();
  left = assignable(std::move(left), "assignment");
  NodePtr right = expression();
  return make<AssignNode>(std::move(left), std::move(right), compound, op);
}

NodePtr Parser::or_expr() {
  NodePtr left = and_expr();
  while (accept(Tok::Or)) {
    count_operator();
    left = make<OrNode>(std::move(left), and_expr());
  }
  return left;
}

NodePtr Parser::and_expr() {
  NodePtr left = not_expr();
  while (accept(Tok::And)) {
    count_operator();
    left = make<AndNode>(std::move(left), not_expr());
  }
  return left;
}

NodePtr Parser::not_expr() {
  Nesting nesting(depth_);
  if (accept(Tok::Not)) return make<NotNode>(not_expr());
  return relational();
}

NodePtr Parser::relational() {
  NodePtr left = additive();
  BinOp op;
  while (relational_op(tok_.kind, op)) {
    advance();
    left = binary(op, std::move(left), additive());
  }
  return left;
}

NodePtr Parser::additive() {
  NodePtr left = multiplicative();
  for (;;) {
    if (accept(Tok::Plus)) {
      left = binary(BinOp::Plus, std::move(left), multiplicative());
    } else if (accept(Tok::Minus)) {
      left = binary(BinOp::Minus, std::move(left), multiplicative());
    } else {
      return left;
    }
  }
}

NodePtr Parser::multiplicative() {
  NodePtr left = power();
  for (;;) {
    if (accept(Tok::Star)) {
      left = binary(BinOp::Times, std::move(left), power());
    } else if (accept(Tok::Slash)) {
      left = binary(BinOp::Divide, std::move(left), power());
    } else if (accept(Tok::Percent)) {
      left = binary(BinOp::Modulus, std::move(left), power());
    } else {
      return left;
    }
  }
}

NodePtr Parser::power() {
  NodePtr left = unary();
  while (accept(Tok::Power)) left = binary(BinOp::Power, std::move(left), unary());
  return left;
}

NodePtr Parser::unary() {
  Nesting nesting(depth_);
  if (accept(Tok::Minus)) {
    NodePtr a = unary();
    if (const Value* c = a->constant(); c && c->is_number()) return make<ConstantNode>(negate(*c));
    return make<SignNode>(true, std::move(a));
  }
  if (accept(Tok::Plus)) return make<SignNode>(false, unary());
  if (accept(Tok::Not)) return make<NotNode>(unary());
  if (tok_.kind == Tok::Inc || tok_.kind == Tok::Dec) {
    int delta = tok_.kind == Tok::Inc ? 1 : -1;
    advance();
    return make<StepNode>(assignable(unary(), "++/--"), delta, true);
  }
  return postfix();
}

NodePtr Parser::postfix() {
  NodePtr node = primary();
  for (;; count_operator()) {
    if (accept(Tok::LBracket)) {
      node = make<IndexNode>(std::move(node), expression());
      while (accept(Tok::Comma)) node = make<IndexNode>(std::move(node), expression());
      expect(Tok::RBracket, "']'");
    } else if (accept(Tok::Colon)) {
      if (tok_.kind != Tok::Ident) fail("expected a property name after ':'");
      std::string prop = upper_name(tok_.text);
      advance();
      if (tok_.kind == Tok::LParen) fail("method calls are not supported: " + prop);
      node = make<PropertyNode>(std::move(node), std::move(prop));
    } else if (tok_.kind == Tok::Inc || tok_.kind == Tok::Dec) {
      int delta = tok_.kind == Tok::Inc ? 1 : -1;
      advance();
      node = make<StepNode>(assignable(std::move(node), "++/--"), delta, false);
    } else {
      return node;
    }
  }
}

NodePtr Parser::primary() {
  Token t = tok_;
  switch (t.kind) {
    case Tok::Number:
      advance();
      return number_literal(t);
    case Tok::String:
      advance();
      return make<ConstantNode>(Value(t.text));
    case Tok::Logical:
      advance();
      return make<ConstantNode>(Value(t.logical));
    case Tok::Ident:
      advance();
      return identifier(t.text);
    case Tok::LParen: {
      advance();
      NodePtr inner = list_until(Tok::RParen);
      if (accept(Tok::Arrow)) return alias_tail(std::move(inner), {});
      return inner;
    }
    case Tok::LBrace:
      advance();
      return brace(t.pos);
    case Tok::Macro: {
      advance();
      NodePtr source = name(t.text);
      if (tok_.kind == Tok::Arrow) {
        advance();
        if (!t.suffix.empty())
          source =
              make<BinaryNode>(BinOp::Plus, std::move(source), make<ConstantNode>(Value(t.suffix)));
        return alias_tail(std::move(source), {});
      }
      return make<MacroNode>(std::move(source), std::string(t.suffix));
    }
    case Tok::MacroParen: {
      advance();
      NodePtr source = list_until(Tok::RParen);
      return make<MacroNode>(std::move(source), std::string());
    }
    case Tok::End:
      fail("unexpected end of expression");
    default:
      fail("unexpected '" + std::string(t.text) + "' at position " + std::to_string(t.pos + 1));
  }
}

NodePtr Parser::number_literal(const Token& t) {
  if (!t.has_point) return make<ConstantNode>(Value::integer(t.number));
  int width = t.int_digits >= 10 ? t.int_digits : 10;
  return make<ConstantNode>(Value::number(t.number, width, t.decimals));
}

NodePtr Parser::identifier(std::string_view text) {
  std::string upper = upper_name(text);
  if (tok_.kind == Tok::LParen) {
    advance();
    return call(upper);
  }
  if (tok_.kind == Tok::Arrow) {
    advance();
    if (upper == "FIELD" || upper == "_FIELD" || upper == "M" || upper == "MEMVAR") {
      if (tok_.kind != Tok::Ident) fail("expected a name after " + upper + "->");
      std::string target = upper_name(tok_.text);
      advance();
      if (upper == "M" || upper == "MEMVAR") return make<MemVarNode>(std::move(target));
      return make<FieldNode>(std::move(target));
    }
    return alias_tail(nullptr, upper);
  }
  if (upper == "NIL") return make<ConstantNode>(Value());
  return name(upper);
}

// After `alias->`: a field name or a parenthesised expression.
NodePtr Parser::alias_tail(NodePtr alias_expr, const std::string& alias) {
  NodePtr inner;
  if (tok_.kind == Tok::Ident) {
    inner = make<FieldNode>(upper_name(tok_.text));
    advance();
  } else if (accept(Tok::LParen)) {
    inner = list_until(Tok::RParen);
  } else {
    fail("expected a field name or '(' after '->'");
  }
  if (alias_expr) return make<AliasNode>(std::move(alias_expr), std::move(inner));
  return make<AliasNode>(alias, std::move(inner));
}

NodePtr Parser::name(std::string_view text) {
  std::string upper = upper_name(text);
  for (std::size_t k = scopes_.size(); k-- > 0;) {
    const auto& params = scopes_[k];
    for (std::size_t i = 0; i < params.size(); ++i)
      if (params[i] == upper)
        return make<LocalNode>(static_cast<int>(scopes_.size() - 1 - k), static_cast<int>(i));
  }
  return make<NameNode>(std::move(upper));
}

// Arguments after '(' up to ')'; an omitted argument is nullptr.
std::vector<NodePtr> Parser::arguments() {
  std::vector<NodePtr> args;
  if (accept(Tok::RParen)) return args;
  for (;;) {
    if (tok_.kind == Tok::Comma || tok_.kind == Tok::RParen) {
      args.push_back(nullptr);
    } else {
      accept(Tok::At);  // by-reference marker: the value is passed
      args.push_back(expression());
    }
    if (accept(Tok::RParen)) return args;
    expect(Tok::Comma, "',' or ')'");
  }
}

NodePtr Parser::call(const std::string& fname) {
  std::vector<NodePtr> args = arguments();
  if (fname == "IIF" || fname == "IF") {
    if (args.size() != 3 || !args[0]) fail(fname + "() needs three arguments");
    for (auto& a : args)
      if (!a) a = make<ConstantNode>(Value());
    return make<IIfNode>(std::move(args[0]), std::move(args[1]), std::move(args[2]));
  }
  if (!routines().exists(fname)) {
    info_.unknown_function = true;
  } else if (!is_pure(fname)) {
    info_.side_effects = true;
  }
  if (fname == "UPPER" && args.size() == 1 && args[0]) return make<UpperNode>(std::move(args[0]));
  if (fname == "DTOS" && args.size() == 1 && args[0]) return make<DtosNode>(std::move(args[0]));
  const bool all_given =
      std::all_of(args.begin(), args.end(), [](const NodePtr& n) { return n != nullptr; });
  if (fname == "SUBSTR" && all_given && (args.size() == 2 || args.size() == 3))
    return make<SliceNode>(Slice::Substr, fname, std::move(args[0]), std::move(args[1]),
                           args.size() == 3 ? std::move(args[2]) : nullptr);
  if ((fname == "LEFT" || fname == "RIGHT") && all_given && args.size() == 2)
    return make<SliceNode>(fname == "LEFT" ? Slice::Left : Slice::Right, fname, std::move(args[0]),
                           std::move(args[1]), nullptr);
  return make<CallNode>(fname, std::move(args));
}

// After '{': a block {|params| list} or an array {a, b}.
NodePtr Parser::brace(std::size_t start) {
  if (accept(Tok::Pipe)) {
    std::vector<std::string> params;
    if (!accept(Tok::Pipe)) {
      for (;;) {
        if (tok_.kind != Tok::Ident) fail("expected a parameter name in the block");
        params.push_back(upper_name(tok_.text));
        advance();
        if (accept(Tok::Pipe)) break;
        expect(Tok::Comma, "',' or '|'");
      }
    }
    auto code = std::make_shared<BlockCode>();
    code->params = static_cast<int>(params.size());
    scopes_.push_back(std::move(params));
    if (tok_.kind == Tok::RBrace) {
      code->body = make<ConstantNode>(Value());
      advance();
    } else {
      code->body = list_until(Tok::RBrace);
    }
    scopes_.pop_back();
    std::size_t end = lex_.ok() ? tok_.pos : src_.size();
    std::string_view text = src_.substr(start, end - start);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    code->source = std::string(text);
    return make<BlockNode>(std::move(code));
  }
  std::vector<NodePtr> items;
  if (accept(Tok::RBrace)) return make<ArrayNode>(std::move(items));
  for (;;) {
    if (tok_.kind == Tok::Comma || tok_.kind == Tok::RBrace) {
      items.push_back(nullptr);
    } else {
      items.push_back(expression());
    }
    if (accept(Tok::RBrace)) return make<ArrayNode>(std::move(items));
    expect(Tok::Comma, "',' or '}'");
  }
}

NodePtr Parser::binary(BinOp op, NodePtr a, NodePtr b) {
  count_operator();
  const Value* x = a->constant();
  const Value* y = b->constant();
  if (x && y && x->is_number() && y->is_number()) {
    if (op == BinOp::Plus || op == BinOp::Minus || op == BinOp::Times)
      return make<ConstantNode>(apply(op, *x, *y));
    if (op == BinOp::Divide && x->num().decimals == 0 && y->num().decimals == 0 &&
        y->as_double() != 0 && std::fmod(x->as_double(), y->as_double()) == 0)
      return make<ConstantNode>(Value::integer(x->as_double() / y->as_double()));
  }
  if (x && y && x->is_text() && y->is_text() && op == BinOp::Plus)
    return make<ConstantNode>(Value(x->text() + y->text()));
  return make<BinaryNode>(op, std::move(a), std::move(b));
}

}  // namespace codfix::expr
