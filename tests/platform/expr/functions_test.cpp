// Standard functions, one table per group.
#include <gtest/gtest.h>

#include "expr_fixture.h"
#include "platform/text/literal.h"

namespace codfix::expr::testing {
namespace {

using namespace text::literals;

using Cases = std::vector<std::pair<std::string, std::string>>;

class Functions : public ExprTest {
 protected:
  void check(const Cases& cases) {
    for (const auto& [text, expected] : cases) EXPECT_EQ(shown(text), expected) << text;
    EXPECT_TRUE(errors.empty());
  }
};

TEST_F(Functions, Text) {
  check({
      {"ALLTRIM('  a b  ')", "C a b"},
      {"TRIM('ab  ')", "C ab"},
      {"RTRIM('ab  ')", "C ab"},
      {"LTRIM('  ab ')", "C ab "},
      {"SUBSTR('abcdef', 2, 3)", "C bcd"},
      {"SUBSTR('abcdef', 4)", "C def"},
      {"SUBSTR('abcdef', -2)", "C ef"},
      {"SUBSTR('abcdef', 0, 2)", "C ab"},
      {"SUBSTR('abc', 5)", "C "},
      {"SUBSTR('abc', 2, -1)", "C "},
      {"LEFT('abc', 2)", "C ab"},
      {"LEFT('abc', 9)", "C abc"},
      {"RIGHT('abc', 2)", "C bc"},
      {"RIGHT('abc', 0)", "C "},
      {"LEN('abc')", "N 3"},
      {"LEN({1, 2})", "N 2"},
      {"AT('c', 'abcabc')", "N 3"},
      {"AT('', 'abc')", "N 0"},
      {"RAT('c', 'abcabc')", "N 6"},
      {"STRTRAN('aXbXc', 'X', '-')", "C a-b-c"},
      {"STRTRAN('aXbXc', 'X')", "C abc"},
      {"STRTRAN('XXXX', 'X', 'y', 2, 2)", "C XyyX"},
      {"STUFF('abcdef', 2, 3, 'XY')", "C aXYef"},
      {"STUFF('abc', 4, 0, 'd')", "C abcd"},
      {"REPLICATE('ab', 3)", "C ababab"},
      {"SPACE(3) + '|'", "C    |"},
      {"PADR('ab', 4) + '|'", "C ab  |"},
      {"PADL('ab', 4, '*')", "C **ab"},
      {"PADC('ab', 7, '.')", "C ..ab..."},
      {"PADR('abcdef', 3)", "C abc"},
      {"PADL(12, 4)", "C   12"},
      {"CHR(65) + CHR(321)", "C AA"},
      {"ASC('A')", "N 65"},
      {"ASC('')", "N 0"},
      {"STR(3.14159, 6, 2)", "C   3.14"},
      {"STR(2.5, 3)", "C   3"},
      {"STR(-5, 1)", "C *"},
      {"STR(1234.567, 6, 1)", "C 1234.6"},
      {"STRZERO(5, 3)", "C 005"},
      {"STRZERO(-5, 4)", "C -005"},
      {"STR(VAL('  12.50'))", "C   12.50"},
      {"STR(VAL('123'))", "C 123"},
      {"VAL('-3.5x')", "N -3.5"},
      {"VAL('abc')", "N 0"},
      {"ISDIGIT('1a')", "L T"},
      {"ISALPHA('1a')", "L F"},
      {"ISUPPER('Ab')", "L T"},
      {"ISLOWER('Ab')", "L F"},
      {"TRANSFORM(1234.5, '@E 9,999.99')", "C 1.234,50"},
      {"TRANSFORM('abc', '@!')", "C ABC"},
  });
}

TEST_F(Functions, CodePageCaseAndClasses) {
  rt().vars.declare_private("CJOAO", Value("joão ação ñ ë å ÿ"_cp850));
  rt().vars.declare_private("CCEDILHA", Value("ç"_cp850));
  rt().vars.declare_private("CEUML", Value("Ë"_cp850));
  EXPECT_EQ(eval("UPPER(CJOAO)").text(), "JOÃO AÇÃO Ñ ë å ÿ"_cp850);
  EXPECT_EQ(eval("LOWER(UPPER(CJOAO))").text(), "joão ação ñ ë å ÿ"_cp850);
  EXPECT_TRUE(eval("ISALPHA(CCEDILHA) .AND. ISLOWER(CCEDILHA)").logical());
  EXPECT_FALSE(eval("ISALPHA(CEUML)").logical());
  EXPECT_EQ(eval("DESCEND('A' + CHR(0))").text(), std::string("\xBF\x00", 2));
}

TEST_F(Functions, Numbers) {
  check({
      {"INT(-3.7)", "N -3"},
      {"STR(INT(10/4))", "C          2"},
      {"ROUND(2.345, 2)", "N 2.35"},
      {"ROUND(1.005, 2)", "N 1.01"},
      {"ROUND(2.5, 0)", "N 3"},
      {"ROUND(1234.5, -2)", "N 1200"},
      {"ABS(-2.50)", "N 2.50"},
      {"MAX(1, 2.5)", "N 2.5"},
      {"MIN(1, 2.5)", "N 1"},
      {"DTOS(MAX(STOD('20000101'), STOD('19990101')))", "C 20000101"},
      {"MOD(7, 3)", "N 1"},
      {"MOD(-1, 3)", "N 2"},
      {"MOD(1, -3)", "N -2"},
      {"SQRT(16)", "N 4.00"},
  });
}

TEST_F(Functions, Dates) {
  rt().settings.dates.epoch = 1940;
  check({
      {"DTOS(CTOD('01/01/39'))", "C 20390101"},
      {"DTOS(CTOD('01/01/40'))", "C 19400101"},
      {"CTOD('31/02/25')", "D         "},
      {"DTOC(STOD('20250307'))", "C 07/03/25"},
      {"DTOC(CTOD(''))", "C   /  /  "},
      {"DTOS(CTOD(''))", "C         "},
      {"DAY(STOD('20250307'))", "N 7"},
      {"MONTH(STOD('20250307'))", "N 3"},
      {"YEAR(STOD('20250307'))", "N 2025"},
      {"YEAR(CTOD(''))", "N 0"},
      {"DOW(STOD('20250307'))", "N 6"},
      {"CDOW(STOD('20250309'))", "C Domingo"},
      {"CMONTH(STOD('20250101'))", "C Janeiro"},
      {"VALTYPE(DATE())", "C D"},
      {"LEN(TIME())", "N 8"},
      {"SECONDS() >= 0 .AND. SECONDS() < 86400", "L T"},
  });
  rt().settings.dates.century = true;
  EXPECT_EQ(shown("DTOC(STOD('20250307'))"), "C 07/03/2025");
}

TEST_F(Functions, TypesAndEvaluation) {
  check({
      {"EMPTY('  ')", "L T"},
      {"EMPTY(0)", "L T"},
      {"EMPTY(CTOD(''))", "L T"},
      {"EMPTY({})", "L T"},
      {"EMPTY(NIL)", "L T"},
      {"EMPTY('a')", "L F"},
      {"VALTYPE('a') + VALTYPE(1) + VALTYPE(.T.) + VALTYPE({}) + VALTYPE({||1}) + VALTYPE(NIL)",
       "C CNLABU"},
      {"TYPE('1 + 1')", "C N"},
      {"EVAL({|a, b| a * b}, 6, 7)", "N 42"},
  });
}

TEST_F(Functions, Arrays) {
  rt().vars.declare_private("A", Value::array({Value(1), Value(2), Value(3)}));
  check({
      {"LEN(ARRAY(3))", "N 3"},
      {"LEN(ARRAY(2, 4)[2])", "N 4"},
      {"AADD(A, 4)", "N 4"},
      {"LEN(A)", "N 4"},
      {"ADEL(A, 1)[1]", "N 2"},
      {"A[4]", "U"},
      {"AINS(A, 1)[2]", "N 2"},
      {"A[1]", "U"},
      {"LEN(ASIZE(A, 2))", "N 2"},
      {"ASCAN({'ABC', 'X'}, 'AB')", "N 1"},  // `=` rules: ABC begins with AB
      {"ASCAN({'ABC', 'X'}, 'X')", "N 2"},
      {"ASCAN({1, 'a', 3}, 3)", "N 3"},
      {"ASCAN({1, 2, 3}, {|e| e > 1})", "N 2"},
      {"ASCAN({1, 2, 3}, 1, 2)", "N 0"},
      {"ASORT({3, 1, 2})[1]", "N 1"},
      {"ASORT({3, 1, 2},,, {|x, y| x > y})[1]", "N 3"},
      {"ASORT({'b', 2, 'a', 1})[3]", "C a"},
      {"ACOPY({1, 2, 3}, ARRAY(2), 2)[1]", "N 2"},
      {"ATAIL({1, 2, 3})", "N 3"},
      {"AFILL(ARRAY(2), 'x')[2]", "C x"},
  });
  rt().vars.declare_private("B", Value::array({Value::array({Value(1)})}));
  eval("C := ACLONE(B), C[1][1] := 9");
  EXPECT_EQ(shown("B[1][1]"), "N 1");
  EXPECT_EQ(shown("C[1][1]"), "N 9");
  EXPECT_TRUE(errors.empty());
}

// Runaway sizes are refused with an argument error instead of exhausting memory.
TEST_F(Functions, HugeSizesAreRefused) {
  for (const char* text :
       {"REPLICATE('ab', 2000000000)", "SPACE(1000000000000)", "ARRAY(1000000000)"}) {
    errors.clear();
    EXPECT_TRUE(eval(text).is_nil()) << text;
    ASSERT_EQ(errors.size(), 1u) << text;
    EXPECT_EQ(errors[0].gencode, gen::kArgument);
  }
}

}  // namespace
}  // namespace codfix::expr::testing
