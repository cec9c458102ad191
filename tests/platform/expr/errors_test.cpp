// Failures go through the error record: syntax errors, division by zero with the
// handler's substitute, undefined names with retry, argument and bound errors,
// undefined functions; TYPE() answers without bothering the handler.
#include <gtest/gtest.h>

#include "expr_fixture.h"
#include "fake_work_areas.h"
#include "lib/core/routines.h"

namespace codfix::expr::testing {
namespace {

class Errors : public ExprTest {};

TEST_F(Errors, TextThatDoesNotCompile) {
  const char* texts[] = {"1 +",  "(1",     "1 2", "",  "'aberto", "{|x| x",      "SUBSTR('a',",
                         "x :=", "1 := 2", "a.b", "&", "{1,2",    "IIF(.T., 1)", "f(,"};
  for (const char* text : texts) {
    errors.clear();
    EXPECT_EQ(compile(text), nullptr) << text;
    ASSERT_EQ(errors.size(), 1u) << text;
    const ErrorRecord& e = errors[0];
    EXPECT_EQ(e.gencode, gen::kSyntax);
    EXPECT_EQ(e.subsystem, "BASE");
    EXPECT_EQ(e.subcode, 1449);
    ASSERT_EQ(e.args.size(), 1u);
    EXPECT_EQ(e.args[0].text(), text);
    EXPECT_TRUE(e.can_default);
  }
  std::string reason;
  EXPECT_EQ(try_compile("1 +", &reason), nullptr);
  EXPECT_FALSE(reason.empty());
  errors.clear();
  EXPECT_TRUE(evaluate("1 +").is_nil());
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(Errors, DivisionByZeroTakesTheSubstitute) {
  EXPECT_EQ(shown("10 / 0"), "N 0");
  EXPECT_EQ(shown("10 % 0 + 1"), "N 1");
  EXPECT_EQ(shown("MOD(3, 0)"), "N 0");
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].gencode, gen::kZeroDiv);
  EXPECT_EQ(errors[0].subsystem, "BASE");
  EXPECT_EQ(errors[0].subcode, 1340);
  EXPECT_TRUE(errors[0].can_substitute);
  ASSERT_EQ(errors[0].args.size(), 2u);
  EXPECT_EQ(errors[0].args[0].as_double(), 10);
  EXPECT_EQ(errors[1].gencode, gen::kZeroDiv);
  answer = [](ErrorRecord&) { return ErrorAnswer::substitute(Value(99)); };
  EXPECT_EQ(shown("1 / 0"), "N 99");
}

TEST_F(Errors, WithoutAHandlerTheProgramEnds) {
  rt().error_handler = nullptr;
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(eval("1 / 0"), ProgramExit);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("BASE/1340"), std::string::npos);
}

TEST_F(Errors, UndefinedNameCanBeRetried) {
  EXPECT_EQ(shown("NAOEXISTE + 1"), "U");
  ASSERT_EQ(errors.size(), 2u);  // the name, then + on nil
  EXPECT_EQ(errors[0].gencode, gen::kNoVar);
  EXPECT_EQ(errors[0].subsystem, "BASE");
  EXPECT_EQ(errors[0].subcode, 1003);
  EXPECT_EQ(errors[0].operation, "NAOEXISTE");
  EXPECT_TRUE(errors[0].can_retry);

  errors.clear();
  answer = [this](ErrorRecord& e) {
    if (e.tries == 0) return ErrorAnswer::retry();
    rt().vars.declare_private(e.operation, Value(41));
    return ErrorAnswer::retry();
  };
  EXPECT_EQ(shown("CRIADA + 1"), "N 42");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[1].tries, 1);  // the same record came back with its count
}

TEST_F(Errors, ArgumentAndBoundErrors) {
  struct Row {
    const char* text;
    int gencode;
    int subcode;
    const char* operation;
    std::size_t args;
  };
  const Row rows[] = {
      {"1 + 'a'", gen::kArgument, 1081, "+", 2},
      {"'a' - 1", gen::kArgument, 1082, "-", 2},
      {"'a' * 2", gen::kArgument, 1083, "*", 2},
      {"1 < 'a'", gen::kArgument, 1073, "<", 2},
      {"1 == 'a'", gen::kArgument, 1070, "==", 2},
      {"STOD('20000101') + STOD('20000101')", gen::kArgument, 1081, "+", 2},
      {"-'a'", gen::kArgument, 1080, "-", 1},
      {"!1", gen::kArgument, 1077, ".NOT.", 1},
      {"1 .AND. .T.", gen::kArgument, 1078, ".AND.", 2},
      {"IIF(1, 2, 3)", gen::kArgument, 1066, "IIF", 1},
      {"SUBSTR(1, 2)", gen::kArgument, 1110, "SUBSTR", 2},
      {"{1, 2}[3]", gen::kBound, 1132, "array access", 2},
      {"'abc'[1]", gen::kArgument, 1068, "array access", 2},
      {"NAOHAFUNCAO(1)", gen::kNoFunc, 1001, "NAOHAFUNCAO", 1},
  };
  for (const Row& r : rows) {
    errors.clear();
    EXPECT_TRUE(eval(r.text).is_nil()) << r.text;
    ASSERT_EQ(errors.size(), 1u) << r.text;
    EXPECT_EQ(errors[0].gencode, r.gencode) << r.text;
    EXPECT_EQ(errors[0].subsystem, "BASE") << r.text;
    EXPECT_EQ(errors[0].subcode, r.subcode) << r.text;
    EXPECT_EQ(errors[0].operation, r.operation) << r.text;
    EXPECT_EQ(errors[0].args.size(), r.args) << r.text;
  }
  answer = [](ErrorRecord&) { return ErrorAnswer::substitute(Value("subst")); };
  EXPECT_EQ(shown("1 + 'a'"), "C subst");
}

// Hostile texts give errors, never a crashed stack: deep nesting, endless
// operator chains, a macro naming itself, a callback calling itself.
TEST_F(Errors, RunawayNestingIsAnError) {
  const std::string texts[] = {std::string(100000, '(') + "1" + std::string(100000, ')'),
                               std::string(100000, '-') + "1", std::string(50000, '!') + ".T.",
                               "1" + [] {
                                 std::string s;
                                 for (int i = 0; i < 50000; ++i) s += "+1";
                                 return s;
                               }()};
  for (const std::string& text : texts) {
    errors.clear();
    EXPECT_EQ(compile(text), nullptr);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].subcode, 1449);
  }
  errors.clear();
  EXPECT_EQ(shown("((((((((((1+2))))))))))*3"), "N 9");

  rt().vars.declare_private("CX", Value("&CX"));
  EXPECT_EQ(shown("&CX"), "U");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].subcode, 1301);

  errors.clear();
  eval("B := {|n| EVAL(B, n + 1)}");
  EXPECT_EQ(shown("EVAL(B, 1)"), "U");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].subcode, 1301);
}

// A routine registered after the expression was compiled is found when it runs.
TEST_F(Errors, LateRegisteredRoutine) {
  ExpressionPtr e = compile("TARDIA(2) * 3");
  ASSERT_TRUE(e);
  routines().add("TARDIA", [](const Args& a) { return Value(a.integer(1) + 1); });
  EXPECT_EQ(show(e->eval()), "N 9");
  // Removed and registered again (as tests do): the expression finds the new one.
  routines().remove("TARDIA");
  routines().add("TARDIA", [](const Args& a) { return Value(a.integer(1) + 2); });
  EXPECT_EQ(show(e->eval()), "N 12");
  routines().remove("TARDIA");
  EXPECT_TRUE(e->eval().is_nil());
  ASSERT_EQ(errors.size(), 2u);  // undefined function, then * on nil
  EXPECT_EQ(errors[0].gencode, gen::kNoFunc);
}

TEST_F(Errors, TypeOfTexts) {
  FakeWorkAreas host;
  rt().work_areas = &host;
  host.open("CLI", {{"NOME", 'C', 10}, {"OBS", 'M', 10}});
  rt().vars.declare_private("AARR", Value::array({Value(1)}));
  rt().vars.declare_private("NX", Value(1));
  const std::pair<const char*, const char*> cases[] = {
      {"1 + 1", "N"},
      {"'a'", "C"},
      {"DATE()", "D"},
      {".T.", "L"},
      {"{1}", "A"},
      {"{|| 1}", "B"},
      {"NIL", "U"},
      {"NOME", "C"},
      {"OBS", "M"},
      {"AARR[1]", "N"},
      {"SUBSTR(NOME, 2)", "C"},
      {"NAOEXISTE", "U"},
      {"NAOEXISTE + 1", "U"},
      {"NADA->NOME", "U"},
      {"1 +", "UE"},
      {"1 + 'a'", "UE"},
      {"1 / 0", "UE"},
      {"AARR[5]", "UE"},
      {"NAOHAFUNCAO()", "UI"},
      {"NX := 2", "UI"},
      {"NX++", "UI"},
      {"AADD(AARR, 1)", "UI"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(type_of(text), expected) << text;
  EXPECT_TRUE(errors.empty());  // the handler saw none of it
  EXPECT_EQ(shown("NX"), "N 1");
  EXPECT_EQ(shown("LEN(AARR)"), "N 1");
  EXPECT_EQ(shown("TYPE('NOME') + TYPE('NAOEXISTE')"), "C CU");
  EXPECT_TRUE(rt().error_handler != nullptr);
}

}  // namespace
}  // namespace codfix::expr::testing
