// Names: fields of the current work area before session variables, M-> and
// FIELD->, aliases (the area is selected for the evaluation and restored),
// private and public variables, macros and callbacks with parameters.
#include <gtest/gtest.h>

#include "expr_fixture.h"
#include "fake_work_areas.h"

namespace codfix::expr::testing {
namespace {

class Names : public ExprTest {
 protected:
  Names() {
    rt().work_areas = &host;
    host.open("FORN", {{"NOME", 'C', 8}, {"CIDADE", 'C', 6}});
    host.put("NOME", Value("ACME"));
    host.put("CIDADE", Value("RIO"));
    host.open("CLI", {{"NOME", 'C', 10},
                      {"CODIGO", 'C', 4},
                      {"VALOR", 'N', 10, 2},
                      {"DATA", 'D', 8},
                      {"ATIVO", 'L', 1},
                      {"OBS", 'M', 10}});
    host.put("NOME", Value("MARIA"));
    host.put("CODIGO", Value("0042"));
    host.put("VALOR", Value::number(1234.5, 2));
    host.put("DATA", Value(dtos_to_date("20250307")));
    host.put("ATIVO", Value(true));
    rt().vars.declare_private("NOME", Value("variavel"));
  }
  FakeWorkAreas host;
};

TEST_F(Names, FieldBeforeVariable) {
  const std::pair<const char*, const char*> cases[] = {
      {"NOME", "C MARIA     "},
      {"nome", "C MARIA     "},
      {"M->NOME", "C variavel"},
      {"MEMVAR->NOME", "C variavel"},
      {"FIELD->NOME", "C MARIA     "},
      {"_FIELD->nome", "C MARIA     "},
      {"CLI->NOME", "C MARIA     "},
      {"FORN->NOME", "C ACME    "},
      {"forn->(TRIM(NOME) + '/' + CIDADE)", "C ACME/RIO   "},
      {"('FORN')->NOME", "C ACME    "},
      {"(1)->CIDADE", "C RIO   "},
      {"STR(VALOR)", "C    1234.50"},  // N(10,2): width 7, 2 decimals
      {"DATA + 1", "D 20250308"},
      {"ATIVO", "L T"},
      {"VALTYPE(OBS)", "C M"},
      {"TRIM(NOME) + CODIGO", "C MARIA0042"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(shown(text), expected) << text;
  EXPECT_EQ(host.current_area(), 2);  // every alias switch was undone
  EXPECT_TRUE(errors.empty());
}

TEST_F(Names, AssignmentGoesToTheFieldFirst) {
  eval("NOME := 'JOSE'");
  EXPECT_EQ(std::string(host.field_bytes(host.field_pos("NOME"))), "JOSE      ");
  EXPECT_EQ(rt().vars.get("NOME").text(), "variavel");
  eval("M->NOME := 'outra'");
  EXPECT_EQ(rt().vars.get("NOME").text(), "outra");
  eval("VALOR := 1/3");
  EXPECT_EQ(std::string(host.field_bytes(host.field_pos("VALOR"))), "      0.33");
  eval("FORN->CIDADE := 'SP'");
  EXPECT_EQ(host.current_area(), 2);
  EXPECT_EQ(shown("FORN->CIDADE"), "C SP    ");
  eval("NOVA := 5");  // an undeclared name becomes a private variable
  EXPECT_EQ(rt().vars.type_of("NOVA"), 'N');
}

TEST_F(Names, PrivateHidesPublicUntilTheRoutineEnds) {
  rt().vars.declare_public("NTOTAL", Value(1));
  {
    RoutineScope routine("CALCULA", "CALCULA.PRG");
    rt().vars.declare_private("NTOTAL", Value(2));
    EXPECT_EQ(shown("NTOTAL * 10"), "N 20");
    eval("NTOTAL := 3");
    EXPECT_EQ(shown("NTOTAL"), "N 3");
  }
  EXPECT_EQ(shown("NTOTAL"), "N 1");
}

TEST_F(Names, WithoutWorkAreasNamesAreVariables) {
  rt().work_areas = nullptr;
  EXPECT_EQ(shown("NOME"), "C variavel");
  EXPECT_EQ(shown("FIELD->NOME"), "U");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].gencode, gen::kNoVar);
}

TEST_F(Names, UndefinedAliasIsReportedAndTheAreaKept) {
  EXPECT_EQ(shown("NADA->NOME"), "U");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].gencode, 15);
  EXPECT_EQ(errors[0].operation, "NADA");
  EXPECT_EQ(host.current_area(), 2);
}

TEST_F(Names, Macros) {
  rt().vars.declare_private("CCAMPO", Value("CODIGO"));
  rt().vars.declare_private("CEXPR", Value("1 + 2"));
  rt().vars.declare_private("CPRE", Value("VAL"));
  rt().vars.declare_private("VALX", Value(7));
  rt().vars.declare_private("CALIAS", Value("FORN"));
  rt().vars.declare_private("CNOVA", Value("CRIADA"));
  const std::pair<const char*, const char*> cases[] = {
      {"&CCAMPO", "C 0042"},          {"&CCAMPO.", "C 0042"},
      {"&CEXPR * 2", "N 6"},                               // the macro is one operand
      {"&cExpr. == 3", "L T"},        {"&CPRE.X", "N 7"},  // text glued after the terminating dot
      {"&('CODI' + 'GO')", "C 0042"}, {"&CALIAS->NOME", "C ACME    "},
      {"&CNOVA := 9", "N 9"},         {"CRIADA", "N 9"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(shown(text), expected) << text;
  EXPECT_TRUE(errors.empty());
  rt().vars.set("CEXPR", Value("1 +"));
  EXPECT_EQ(shown("&CEXPR"), "U");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].subcode, 1449);
}

TEST_F(Names, CallbacksWithParameters) {
  const std::pair<const char*, const char*> cases[] = {
      {"EVAL({|x, y| x + y}, 2, 3)", "N 5"},
      {"EVAL({|x, y| y}, 2)", "U"},  // missing arguments are nil
      {"EVAL({|| 42})", "N 42"},
      {"EVAL({|x| x := x + 1, x * 10}, 1)", "N 20"},
      {"EVAL(EVAL({|x| {|y| x + y}}, 10), 5)", "N 15"},  // the inner block keeps x
      {"EVAL({|NOME| NOME}, 'param')", "C param"},       // parameters hide fields
      {"EVAL({|a| AADD(a, 9), LEN(a)}, {1, 2})", "N 3"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(shown(text), expected) << text;

  rt().vars.declare_private("NSOMA", Value(0));
  eval("AEVAL({1, 2, 3}, {|e, i| NSOMA += e * i})");
  EXPECT_EQ(shown("NSOMA"), "N 14");

  Value block = eval("{|c| UPPER(c) + CODIGO}");
  ASSERT_TRUE(block.is_callback());
  EXPECT_EQ(block.callback()->source(), "{|c| UPPER(c) + CODIGO}");
  Value arg[] = {Value("abc")};
  EXPECT_EQ(block.callback()->call(arg).text(), "ABC0042");
  EXPECT_TRUE(errors.empty());
}

TEST_F(Names, ObjectProperties) {
  auto record = std::make_shared<ErrorRecord>();
  record->gencode = 5;
  record->operation = "/";
  rt().vars.declare_private("OERRO", Value(ObjectRef(record)));
  EXPECT_EQ(shown("OERRO:GENCODE"), "N 5");
  EXPECT_EQ(shown("oErro:Operation + '!'"), "C /!");
  eval("OERRO:CARGO := 'x'");
  EXPECT_EQ(record->cargo.text(), "x");
  EXPECT_EQ(shown("OERRO:NAOHA"), "U");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].gencode, gen::kNoFunc);
}

// The key path: text fields appended straight from the record buffer, the field
// positions cached until the layout changes.
TEST_F(Names, EvalTextFollowsTheRecordAndTheLayout) {
  ExpressionPtr key = compile("NOME + CODIGO + UPPER('x') + DTOS(DATA)");
  std::string out;
  ASSERT_TRUE(key->eval_text(out));
  EXPECT_EQ(out, "MARIA     0042X20250307");
  EXPECT_EQ(out, key->eval().text());
  host.put("NOME", Value("ANA"));
  ASSERT_TRUE(key->eval_text(out));
  EXPECT_EQ(out, "ANA       0042X20250307");

  // Another table in another area: NOME sits elsewhere; CODIGO is now a variable.
  host.open("OUTRA", {{"X", 'C', 2}, {"NOME", 'C', 3}, {"DATA", 'D', 8}});
  host.put("NOME", Value("ZE"));
  rt().vars.declare_private("CODIGO", Value("#"));
  ASSERT_TRUE(key->eval_text(out));
  EXPECT_EQ(out, "ZE #X        ");

  // Parts of fields are cut out of the key buffer in place.
  ExpressionPtr parts =
      compile("LEFT(NOME, 2) + SUBSTR(NOME, -2) + SUBSTR(NOME, 2, 1) + RIGHT(X, 1)");
  host.put("X", Value("ab"));
  ASSERT_TRUE(parts->eval_text(out));
  EXPECT_EQ(out, "ZEE Eb");
  EXPECT_EQ(out, parts->eval().text());

  // A stored date that is not a date reads as the empty date, on both paths.
  ExpressionPtr date = compile("DTOS(DATA) + '|'");
  for (std::string_view stored : {"20240229", "20250230", "2025ab07", "        "}) {
    host.put_raw("DATA", stored);
    ASSERT_TRUE(date->eval_text(out));
    EXPECT_EQ(out, date->eval().text()) << stored;
    EXPECT_EQ(out, stored == "20240229" ? "20240229|" : "        |") << stored;
  }

  ExpressionPtr number = compile("LEN(NOME)");
  EXPECT_FALSE(number->eval_text(out));
  ExpressionPtr mixed = compile("NOME + 1");
  EXPECT_FALSE(mixed->eval_text(out));
  ASSERT_EQ(errors.size(), 1u);  // raised once, not evaluated twice
  EXPECT_EQ(errors[0].subcode, 1081);
}

}  // namespace
}  // namespace codfix::expr::testing
