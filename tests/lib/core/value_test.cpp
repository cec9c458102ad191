#include "lib/core/value.h"

#include <gtest/gtest.h>

namespace codfix {
namespace {

TEST(Value, TypeLetters) {
  EXPECT_EQ(Value().type_letter(), 'U');
  EXPECT_EQ(Value("x").type_letter(), 'C');
  EXPECT_EQ(Value::memo("x").type_letter(), 'M');
  EXPECT_EQ(Value(3).type_letter(), 'N');
  EXPECT_EQ(Value::date(2451545).type_letter(), 'D');
  EXPECT_EQ(Value(true).type_letter(), 'L');
  EXPECT_EQ(Value::array(2).type_letter(), 'A');
  EXPECT_EQ(Value::hash().type_letter(), 'H');
}

TEST(Value, Emptiness) {
  struct Case {
    Value v;
    bool empty;
  } cases[] = {
      {Value(), true},          {Value(""), true},       {Value("  \t\r\n"), true},
      {Value(" a "), false},    {Value(0), true},        {Value::number(0.0, 2), true},
      {Value(-1), false},       {Value::date(0), true},  {Value::date(2451545), false},
      {Value(false), true},     {Value(true), false},    {Value::array(0), true},
      {Value::array(1), false}, {Value::memo(""), true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.v.empty(), c.empty) << c.v.type_letter();
}

TEST(Value, ArraysAreSharedByReference) {
  Value a = Value::array(2);
  Value b = a;
  b.items()[0] = Value("changed");
  EXPECT_EQ(a.at(1).text(), "changed");
  EXPECT_TRUE(a.at(3).is_nil());
  EXPECT_TRUE(a.at(0).is_nil());
  EXPECT_TRUE(exactly_equal(a, b));
  EXPECT_FALSE(exactly_equal(a, Value::array(2)));
}

TEST(Value, IntegerWidthFollowsMagnitude) {
  EXPECT_EQ(Value(7).num().width, 10);
  EXPECT_EQ(Value::integer(12345678901.0).num().width, 20);
  EXPECT_EQ(Value::integer(-999999999.0).num().width, 10);
  EXPECT_EQ(Value::integer(-1000000000.0).num().width, 20);
}

}  // namespace
}  // namespace codfix
