#include <gtest/gtest.h>

#include "lib/core/date.h"
#include "lib/core/runtime.h"
#include "platform/picture/picture.h"
#include "platform/text/literal.h"

namespace codfix::picture {
namespace {

using namespace codfix::text::literals;

TEST(Picture, ParsesFunctionsAndTemplate) {
  Picture p = parse("@K!S48");
  EXPECT_TRUE(p.clear_first);
  EXPECT_TRUE(p.upper);
  EXPECT_EQ(p.scroll_width, 48);
  EXPECT_FALSE(p.has_template());

  p = parse("@KS40!");
  EXPECT_TRUE(p.clear_first && p.upper);
  EXPECT_EQ(p.scroll_width, 40);

  p = parse("@EZ 999,999");
  EXPECT_TRUE(p.european && p.zero_blank);
  EXPECT_EQ(p.tmpl, "999,999");

  p = parse("99/99/9999");
  EXPECT_FALSE(p.upper);
  EXPECT_EQ(p.tmpl, "99/99/9999");

  p = parse("@r 9999.99.99");  // function letters in either case
  EXPECT_TRUE(p.insert_literals);
  EXPECT_EQ(p.tmpl, "9999.99.99");

  p = parse("@(");
  EXPECT_TRUE(p.paren);
  p = parse("@)B");
  EXPECT_TRUE(p.paren_tight && p.left_justify);
}

struct Case {
  Value value;
  std::string_view picture;
  std::string expected;
};

void check(const std::vector<Case>& cases) {
  for (const Case& c : cases)
    EXPECT_EQ(transform(c.value, c.picture), c.expected)
        << "picture \"" << c.picture << "\" value type " << c.value.type_letter();
}

TEST(Transform, Numbers) {
  check({
      {Value(1234), "@EZ 999,999", "  1.234"},
      {Value(0), "@EZ 999,999", "       "},
      {Value(123456789), "@E 999,999,999,999", "    123.456.789"},
      {Value(1234567), "999,999", "*******"},  // does not fit
      {Value::number(3.14159, 2), "999.99", "  3.14"},
      {Value::number(0, 2), "@EZ 999.99", "      "},
      {Value::number(12.5, 2), "@E 999.99", " 12,50"},
      {Value(-1234), "999,999", " -1,234"},
      {Value(-123), "999,999", "   -123"},               // the sign stays with its digits
      {Value(12345678), "@R 9999.99.99", "****.**.**"},  // a point is the decimal point
      {Value(42), "", "        42"},                     // default text form
      {Value::number(1.5, 2), "", "         1.50"},
      {Value(42), "@B 99999", "42   "},
      {Value(42), "@C 999", " 42 CR"},
      {Value(-42), "@X 999", " 42 DB"},
      {Value(-42), "@( 9999", "( 42)"},
      {Value(-42), "@) 9999", " (42)"},
      {Value(42), "@( 9999", "  42"},
      {Value(1234), "$$$,$$$", "$$1,234"},
      {Value(12), "*****", "***12"},
  });
}

TEST(Transform, Texts) {
  check({
      {Value("abc def"), "@!", "ABC DEF"},
      {Value(std::string("joão ação"_cp850)), "@!", std::string("JOÃO AÇÃO"_cp850)},
      {Value("12345678"), "@R 99.999-999", "12.345-678"},
      {Value("12345678"), "@R 9999.99.99", "1234.56.78"},
      {Value("12.345-678"), "99.999-999", "12.345-678"},  // literals stand in place
      {Value("abcdef"), "!!X", "ABc"},
      {Value("ab"), "@R XX-XX", "ab-  "},
      {Value("abcdefgh"), "@S4", "abcd"},
      {Value("abc"), "", "abc"},
  });
}

TEST(Transform, DatesLogicalsAndOthers) {
  RuntimeScope scope;
  Value d = Value(Date{day_number(2024, 3, 7)});
  check({
      {d, "", "07/03/24"},
      {d, "@E", "07/03/24"},
      {Value(Date{}), "", "  /  /  "},
      {Value(true), "", "T"},
      {Value(false), "Y", "N"},
      {Value(true), "@! Y", "Y"},
      {Value(true), "L", "T"},
      {Value(), "@!", ""},
      {Value::array(2), "", ""},
  });
  scope.runtime().settings.dates.format = "mm/dd/yyyy";
  EXPECT_EQ(transform(d, ""), "03/07/2024");
  EXPECT_EQ(transform(d, "@E"), "07/03/24");
}

}  // namespace
}  // namespace codfix::picture
