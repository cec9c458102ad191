#include "lib/core/number_text.h"

#include <gtest/gtest.h>

namespace codfix {
namespace {

TEST(NumberText, FieldFormattingMatchesTheClassicFormatter) {
  struct Case {
    double v;
    int w, d;
    const char* text;
  } cases[] = {
      {-1234.5, 10, 2, "  -1234.50"},
      {-1234.5, 5, 0, "-1235"},
      {-1234.5, 8, 2, "-1234.50"},
      {1234.567, 10, 2, "   1234.57"},
      {1234.567, 5, 0, " 1235"},
      {0, 10, 2, "      0.00"},
      {-0.5, 10, 2, "     -0.50"},
      {-0.5, 5, 0, "   -1"},
      {2.5, 5, 0, "    3"},
      {-2.5, 5, 0, "   -3"},
      {99999.995, 10, 2, " 100000.00"},
      {99999.995, 5, 0, "*****"},
      {99999.995, 8, 2, "********"},
      {123456, 8, 2, "********"},
      {1.005, 6, 2, "  1.01"},
      {8.995, 6, 2, "  9.00"},
      {-0.004, 6, 2, "  0.00"},
      {42, 6, 2, " 42.00"},
      {5, 3, 2, "***"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(format_fixed(c.v, c.w, c.d), c.text) << c.v << " " << c.w << "," << c.d;
  }
}

TEST(NumberText, OverflowIsReported) {
  bool overflow = false;
  format_fixed(123456, 5, 0, &overflow);
  EXPECT_TRUE(overflow);
  format_fixed(12345, 5, 0, &overflow);
  EXPECT_FALSE(overflow);
}

TEST(NumberText, DefaultFormAndStr) {
  EXPECT_EQ(number_text(Value(7).num()), "         7");
  EXPECT_EQ(number_text(Value::number(1.0 / 3, 2).num()), "         0.33");
  EXPECT_EQ(number_text(Value::number(25.0, 1).num()), "        25.0");
  EXPECT_EQ(number_text(Number{-1234.5, 9, 2}), "    -1234.50");  // an N(12,2) field
  EXPECT_EQ(number_text(Value::number(3086419725.0, 1).num()), "3086419725.0");
  EXPECT_EQ(number_text(Value::integer(12345678901.0).num()).size(), 20u);
  EXPECT_EQ(str_width(Value(-5).num(), 1), "*");
  EXPECT_EQ(str_width(Value::number(1234.567, 3).num(), 6, 1), "1234.6");
  EXPECT_EQ(str_width(Value(12).num(), 0), "        12");
}

}  // namespace
}  // namespace codfix
