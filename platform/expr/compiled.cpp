#include "platform/expr/compiled.h"

#include <unordered_map>

#include "lib/core/runtime.h"
#include "platform/expr/eval_errors.h"
#include "platform/expr/parser.h"

namespace codfix::expr {

bool CompiledExpression::eval_text(std::string& out) const {
  out.clear();
  Value other;
  return root_->append_text(nullptr, out, other);
}

std::shared_ptr<const CompiledExpression> compile_text(std::string_view text, std::string* error) {
  register_standard_functions();
  Parser parser(text);
  std::string reason;
  NodePtr root = parser.parse(reason);
  if (!root) {
    if (error) *error = reason;
    return nullptr;
  }
  return std::make_shared<CompiledExpression>(std::string(text), std::move(root), parser.info());
}

ExpressionPtr try_compile(std::string_view text, std::string* error) {
  return compile_text(text, error);
}

ExpressionPtr compile(std::string_view text) {
  std::string reason;
  ExpressionPtr e = compile_text(text, &reason);
  if (!e) syntax_error(text, reason);
  return e;
}

// evaluate() keeps the texts it compiled (templates and settings evaluate the
// same few texts again and again); the cache starts over when it is full.
Value evaluate(std::string_view text) {
  static std::unordered_map<std::string, ExpressionPtr> cache;
  constexpr std::size_t kCacheSize = 256;
  ExpressionPtr e;
  auto it = cache.find(std::string(text));
  if (it != cache.end()) {
    e = it->second;
  } else {
    e = compile(text);
    if (!e) return Value();
    if (cache.size() >= kCacheSize) cache.clear();
    cache.emplace(std::string(text), e);
  }
  return e->eval();
}

namespace {

// Answers every error with "default" and keeps the first one's code, so that
// TYPE() can evaluate without bothering the installed handler.
class QuietErrors {
 public:
  QuietErrors() : rt_(Runtime::current()), saved_(std::move(rt_.error_handler)) {
    rt_.error_handler = [this](ErrorRecord& e) {
      if (first_ == 0) first_ = e.gencode == 0 ? -1 : e.gencode;
      return ErrorAnswer::fail();
    };
  }
  ~QuietErrors() { rt_.error_handler = std::move(saved_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;
  int first() const { return first_; }

 private:
  Runtime& rt_;
  ErrorHandler saved_;
  int first_ = 0;
};

}  // namespace

std::string type_of(std::string_view text) {
  auto e = compile_text(text, nullptr);
  if (!e) return "UE";
  if (e->info().unknown_function || e->info().side_effects) return "UI";
  QuietErrors quiet;
  Value v = e->eval();
  if (quiet.first() == gen::kNoVar || quiet.first() == kGenNoAlias) return "U";
  if (quiet.first() != 0) return "UE";
  return std::string(1, v.type_letter());
}

}  // namespace codfix::expr
