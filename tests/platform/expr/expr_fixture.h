// A fresh run-time context per test with an error handler that records every
// error record and answers as the test says (default: substitute 0 for division
// by zero, as the family's handler does; "default" for everything else).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/core/number_text.h"
#include "lib/core/runtime.h"
#include "platform/expr/expr.h"

namespace codfix::expr::testing {

class ExprTest : public ::testing::Test {
 protected:
  ExprTest() {
    register_standard_functions();
    rt().error_handler = [this](ErrorRecord& e) {
      errors.push_back(e);
      if (answer) return answer(e);
      if (e.gencode == gen::kZeroDiv) return ErrorAnswer::substitute(Value(0));
      return ErrorAnswer::fail();
    };
  }

  Runtime& rt() { return scope_.runtime(); }

  Value eval(std::string_view text) {
    ExpressionPtr e = compile(text);
    EXPECT_TRUE(e) << "does not compile: " << text;
    return e ? e->eval() : Value();
  }

  // The value in a short printable form: "N 0.33" (the default text, trimmed),
  // "C text", "L T", "D 20250307", "A 3" (length), "U".
  static std::string show(const Value& v) {
    switch (v.type()) {
      case Type::Number: {
        std::string s = number_text(v.num());
        return "N " + s.substr(s.find_first_not_of(' '));
      }
      case Type::Text:
        return "C " + v.text();
      case Type::Logical:
        return v.logical() ? "L T" : "L F";
      case Type::Date:
        return "D " + std::string(date_to_dtos(v.as_date()));
      case Type::Array:
        return "A " + std::to_string(v.items().size());
      case Type::Nil:
        return "U";
      default:
        return std::string(1, v.type_letter());
    }
  }

  std::string shown(std::string_view text) { return show(eval(text)); }

  std::vector<ErrorRecord> errors;
  std::function<ErrorAnswer(ErrorRecord&)> answer;

 private:
  RuntimeScope scope_;
};

}  // namespace codfix::expr::testing
