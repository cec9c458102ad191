#include "platform/expr/eval_errors.h"

#include "platform/expr/eval_depth.h"

namespace codfix::expr {
namespace {

ErrorRecord base_record(int gencode, int subcode, std::string description,
                        std::string_view operation) {
  ErrorRecord e;
  e.gencode = gencode;
  e.subsystem = "BASE";
  e.subcode = subcode;
  e.description = std::move(description);
  e.operation = std::string(operation);
  return e;
}

}  // namespace

Value answer_value(const ErrorAnswer& a) {
  return a.action == ErrorAction::Substitute ? a.value : Value();
}

Value argument_error(int subcode, std::string_view operation, std::span<const Value> args) {
  ErrorRecord e = base_record(gen::kArgument, subcode, "Argument error", operation);
  e.args.assign(args.begin(), args.end());
  e.can_substitute = true;
  return answer_value(raise_error(e));
}

Value argument_error(int subcode, std::string_view operation, std::initializer_list<Value> args) {
  return argument_error(subcode, operation, std::span<const Value>(args.begin(), args.size()));
}

Value bound_error(int subcode, std::initializer_list<Value> args) {
  ErrorRecord e = base_record(gen::kBound, subcode, "Bound error", "array access");
  e.args.assign(args.begin(), args.end());
  e.can_substitute = subcode == sub::kBoundRead;
  e.can_default = true;
  return answer_value(raise_error(e));
}

Value zero_division(int subcode, std::string_view operation, const Value& a, const Value& b) {
  ErrorRecord e = base_record(gen::kZeroDiv, subcode, "Zero divisor", operation);
  e.args = {a, b};
  e.can_substitute = true;
  return answer_value(raise_error(e));
}

void syntax_error(std::string_view text, std::string_view reason) {
  ErrorRecord e = base_record(gen::kSyntax, sub::kSyntax, "Syntax error", reason);
  e.args = {Value(text)};
  e.can_default = true;
  raise_error(e);
}

ErrorRecord undefined_name_record(std::string_view name) {
  ErrorRecord e = base_record(gen::kNoVar, sub::kNoVar, "Variable does not exist", name);
  e.can_retry = true;
  e.can_default = true;
  return e;
}

ErrorRecord undefined_alias_record(std::string_view alias) {
  ErrorRecord e = base_record(kGenNoAlias, sub::kNoAlias, "Alias does not exist", alias);
  e.can_retry = true;
  e.can_default = true;
  return e;
}

Value no_property(int subcode, std::string_view name, const Value& object) {
  ErrorRecord e = base_record(gen::kNoFunc, subcode, "No exported method", name);
  e.args = {object};
  e.can_default = true;
  e.can_substitute = subcode == sub::kNoMethod;
  return answer_value(raise_error(e));
}

Value too_deep(std::string_view operation) {
  ErrorRecord e =
      base_record(gen::kArgument, sub::kTooDeep, "Evaluation nested too deeply", operation);
  e.can_default = true;
  return answer_value(raise_error(e));
}

}  // namespace codfix::expr
