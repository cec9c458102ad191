#include "platform/dialogs/condition.h"

#include "lib/core/names.h"

namespace codfix::dialogs {
namespace {

bool holds(const Value& v) {
  return v.is_logical() ? v.logical() : true;
}

std::string trimmed(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

Condition Condition::expression(std::string text) {
  Condition c;
  std::string t = trimmed(text);
  if (t.empty() || same_name(t, ".t.")) return c;
  c.source_ = t;
  return c;
}

bool Condition::check() const {
  if (fn_) return fn_();
  if (block_) return holds(block_->call({}));
  if (!source_.empty()) {
    // Compiled on first use: a text that does not compile goes to the error
    // handler once, and the condition then holds.
    if (failed_) return true;
    if (!expr_) {
      expr_ = expr::compile(source_);
      if (!expr_) {
        failed_ = true;
        return true;
      }
    }
    return holds(expr_->eval());
  }
  return true;
}

}  // namespace codfix::dialogs
