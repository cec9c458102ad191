#include "platform/dbf/key_plan.h"

namespace codfix::dbf {

namespace {

bool identifier(std::string_view s) {
  if (s.empty()) return false;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!letter(s[0])) return false;
  for (char c : s) {
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<KeyPlan> KeyPlan::of(std::string_view expression, const Table& table) {
  KeyPlan plan;
  size_t start = 0;
  for (;;) {
    size_t plus = expression.find('+', start);
    std::string_view name =
        trim(expression.substr(start, plus == std::string_view::npos ? plus : plus - start));
    if (!identifier(name)) return std::nullopt;
    const int i = table.field_index(name);
    if (i < 0) return std::nullopt;
    const Field& f = table.fields()[static_cast<size_t>(i)];
    if (f.type != 'C') return std::nullopt;
    // Fields side by side in the record are one piece.
    if (!plan.pieces_.empty() &&
        plan.pieces_.back().offset + plan.pieces_.back().length == f.offset) {
      plan.pieces_.back().length += f.length;
    } else {
      plan.pieces_.push_back({f.offset, f.length});
    }
    if (plus == std::string_view::npos) break;
    start = plus + 1;
  }
  return plan;
}

}  // namespace codfix::dbf
