// Operators: precedence, result types, number widths and decimals, text
// comparison under EXACT, text minus and date arithmetic.
#include <gtest/gtest.h>

#include "expr_fixture.h"
#include "platform/text/literal.h"

namespace codfix::expr::testing {
namespace {

using namespace text::literals;

struct Case {
  const char* text;
  const char* expected;
};

class Operators : public ExprTest {};

TEST_F(Operators, PrecedenceAndTypes) {
  const Case cases[] = {
      {"2+3*4", "N 14"},
      {"(2+3)*4", "N 20"},
      {"7-2-1", "N 4"},
      {"2^3^2", "N 64.00"},  // left to right
      {"2**3", "N 8.00"},
      {"-2^2", "N 4.00"},  // unary minus binds tighter than ^
      {"5 - -3", "N 8"},
      {"10%3", "N 1.00"},
      {"-7%3", "N -1.00"},
      {"1 + 2 = 3", "L T"},
      {"3 = 1 + 2", "L T"},
      {"1 < 2 .AND. 3 > 2", "L T"},
      {".T. .OR. .F. .AND. .F.", "L T"},  // .AND. before .OR.
      {"!.F. .AND. .F.", "L F"},          // .NOT. before .AND.
      {"!1 == 2", "L T"},                 // .NOT. after the comparison
      {".not. .t.", "L F"},
      {".T. == .y.", "L T"},
      {".n. = .F.", "L T"},
      {".F. < .T.", "L T"},
      {"NIL == NIL", "L T"},
      {"NIL = 1", "L F"},
      {"'ab' $ 'xabc'", "L T"},
      {"'' $ 'abc'", "L F"},
      {"'A'+'B'+\"C\"", "C ABC"},
      {"[A]+'B'", "C AB"},
      {"{'x', 'y'}[2]", "C y"},  // after an operand [ indexes
      {"{{1,2},{3,4}}[2,1]", "N 3"},
      {"{{1,2},{3,4}}[2][2]", "N 4"},
      {"{}", "A 0"},
      {"{1,,3}[2]", "U"},
      {"(1, 'two', 3.5)", "N 3.5"},
      {"IIF(1 > 2, 'a', 'b')", "C b"},
      {"IF(.T., 1, 1/0)", "N 1"},  // the other branch is not evaluated
      {".F. .AND. 1/0 > 1", "L F"},
      {".T. .OR. 1/0 > 1", "L T"},
      {"'abc' < 'abd'", "L T"},
      {"3 >= 3", "L T"},
      {"2 # 3", "L T"},
      {"2 <> 2", "L F"},
      {"2 != 3", "L T"},
  };
  for (const Case& c : cases) EXPECT_EQ(shown(c.text), c.expected) << c.text;
  EXPECT_TRUE(errors.empty());
}

// Widths and decimals of literals and results, as STR() with no width shows them
// (SET DECIMALS 2).
TEST_F(Operators, NumberWidthsAndDecimals) {
  rt().vars.declare_private("X", Value(10));
  rt().vars.declare_private("Y", Value(2));
  rt().vars.declare_private("ONE", Value(1));
  const Case cases[] = {
      {"STR(1/3)", "         0.33"},
      {"STR(10 * 2.5)", "        25.0"},
      {"STR(X/Y)", "         5.00"},
      {"STR(10/2)", "         5"},  // folded: exact integer division of constants
      {"STR((5+5)/2)", "         5"},
      {"STR(10/4)", "         2.50"},
      {"STR(7)", "         7"},
      {"STR(2.50)", "         2.50"},
      {"STR(.5)", "         0.5"},
      {"STR(1.5 + 2.5 - 0.75)", "         3.25"},
      {"STR(ONE * 12345678901)", "         12345678901"},
      {"STR(1234567890 * 2.5)", "3086419725.0"},
      {"STR(12345678901.5)", "12345678901.5"},
      {"STR(-X)", "       -10"},
      {"STR(X % 3)", "         1.00"},
      {"STR(X - 2.25)", "         7.75"},
  };
  for (const Case& c : cases) EXPECT_EQ(eval(c.text).text(), c.expected) << c.text;
  rt().settings.decimals = 4;
  EXPECT_EQ(eval("STR(1/3)").text(), "         0.3333");
}

TEST_F(Operators, TextMinusMovesTrailingBlanks) {
  EXPECT_EQ(eval("'AB  ' - 'CD  '").text(), "ABCD    ");
  EXPECT_EQ(eval("'   ' - 'X'").text(), "X   ");
  EXPECT_EQ(eval("'AB' - 'CD'").text(), "ABCD");
}

TEST_F(Operators, DateArithmetic) {
  const Case cases[] = {
      {"STOD('20000101') - STOD('19700101')", "N 10957"},
      {"STOD('20250307') - CTOD('')", "N 2460742"},
      {"STOD('20000101') + 31", "D 20000201"},
      {"31 + STOD('20000101')", "D 20000201"},
      {"STOD('20000301') - 1", "D 20000229"},
      {"STOD('20000101') < STOD('20000102')", "L T"},
      {"CTOD('') < STOD('00010101')", "L T"},
      {"LEN(STR(STOD('20000101') - STOD('19700101')))", "N 10"},
  };
  for (const Case& c : cases) EXPECT_EQ(shown(c.text), c.expected) << c.text;
  EXPECT_TRUE(errors.empty());
}

TEST_F(Operators, IncrementAndCompoundAssignment) {
  rt().vars.declare_private("N", Value(5));
  EXPECT_EQ(shown("N++"), "N 5");
  EXPECT_EQ(shown("N"), "N 6");
  EXPECT_EQ(shown("++N"), "N 7");
  EXPECT_EQ(shown("--N"), "N 6");
  EXPECT_EQ(shown("N += 4"), "N 10");
  EXPECT_EQ(shown("N -= 1"), "N 9");
  EXPECT_EQ(shown("N *= 2"), "N 18");
  EXPECT_EQ(shown("N /= 4"), "N 4.50");
  EXPECT_EQ(shown("N ^= 2"), "N 20.25");
  EXPECT_EQ(shown("N := 7, N %= 4"), "N 3.00");
  rt().vars.declare_private("C", Value("ab"));
  EXPECT_EQ(shown("C += 'cd'"), "C abcd");
  EXPECT_EQ(shown("A := B := 2"), "N 2");  // right to left
  EXPECT_EQ(shown("A + B"), "N 4");
  rt().vars.declare_private("D", Value(dtos_to_date("20000228")));
  EXPECT_EQ(shown("++D"), "D 20000229");
  rt().vars.declare_private("ARR", Value::array({Value(1), Value(2)}));
  EXPECT_EQ(shown("ARR[2] += 40"), "N 42");
  EXPECT_EQ(shown("ARR[2]"), "N 42");
  EXPECT_TRUE(errors.empty());
}

// The comparison table of the code page document, for < <= > >= = == != with
// EXACT off and on.
TEST_F(Operators, TextComparisonUnderExact) {
  struct Row {
    std::string_view a, b;
    const char* off;
    const char* on;
  };
  const Row rows[] = {
      {"ABC", "AB", "FTFTTFF", "FFTTFFT"},
      {"AB", "ABC", "TTFFFFT", "TTFFFFT"},
      {"ABC", "ABC  ", "TTFFFFT", "FTFTTFF"},
      {"ABC  ", "ABC", "FTFTTFF", "FTFTTFF"},
      {"", "X", "TTFFFFT", "TTFFFFT"},
      {"X", "", "FTFTTFF", "FFTTFFT"},
      {"", " ", "TTFFFFT", "FTFTTFF"},
      {"ABC ", "ABCD", "TTFFFFT", "TTFFFFT"},
      {"AB", "A  ", "FFTTFFT", "FFTTFFT"},
      // Á sorts with the A words, before Z (as ASORT orders ÁGUA before ZEBRA).
      {"Z", "Á"_cp850, "FFTTFFT", "FFTTFFT"},
      {"Á"_cp850, "B", "TTFFFFT", "TTFFFFT"},
      {"ÁGUA"_cp850, "AGUAS", "FFTTFFT", "FFTTFFT"},
      {"Ab", "AB", "FFTTFFT", "FFTTFFT"},
  };
  const char* ops[] = {"<", "<=", ">", ">=", "=", "==", "!="};
  for (const Row& r : rows) {
    rt().vars.declare_private("CA", Value(r.a));
    rt().vars.declare_private("CB", Value(r.b));
    for (bool exact : {false, true}) {
      rt().settings.exact = exact;
      std::string got;
      for (const char* op : ops) got += eval(std::string("CA ") + op + " CB").logical() ? 'T' : 'F';
      EXPECT_EQ(got, exact ? r.on : r.off) << "'" << r.a << "' vs '" << r.b << "' exact " << exact;
    }
  }
}

}  // namespace
}  // namespace codfix::expr::testing
