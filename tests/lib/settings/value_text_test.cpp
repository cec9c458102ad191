#include "lib/settings/value_text.h"

#include <gtest/gtest.h>

#include "lib/core/runtime.h"

namespace codfix {
namespace {

TEST(ValueText, XToC) {
  RuntimeScope scope;
  EXPECT_EQ(X_TO_C(Value::number(1.5, 1)), "1,5");
  EXPECT_EQ(X_TO_C(Value::array({Value(1), Value(true)})), "1, Verdadeiro");
  EXPECT_EQ(X_TO_C(Value::array({Value(1), Value(false)}), ";"), "1;Falso");
  EXPECT_EQ(X_TO_C(Value()), "Nil");
  EXPECT_EQ(X_TO_C(Value::date(2460742)), "07/03/25");
  EXPECT_EQ(X_TO_C(Value::memo("a\r\nb\x8D\nc")), "\"a\nb\nc\"");
  EXPECT_EQ(X_TO_C(Value::memo("say \"\"hi\"\"")), "\"say \"hi\"\"");
  EXPECT_EQ(X_TO_C(Value::memo("")), "\"\"");
  Value h = Value::hash();
  h.hash_ref()->set(Value("k"), Value(2));
  EXPECT_EQ(X_TO_C(h), "k => 2, ");
}

TEST(ValueText, CtoxAndCtoa) {
  RuntimeScope scope;
  EXPECT_EQ(CTOX(" 12.50 ", 'N').as_double(), 12.5);
  EXPECT_EQ(CTOX("abc", 'N').as_double(), 0);
  EXPECT_TRUE(CTOX(" .t. ", 'L').logical());
  EXPECT_TRUE(CTOX("True", 'L').logical());
  EXPECT_FALSE(CTOX("yes", 'L').logical());
  EXPECT_TRUE(CTOX("31/02/25", 'D').as_date().empty());
  EXPECT_EQ(CTOX(" as is ", 'C').text(), " as is ");
  Value a = CTOA("a;;b ;");
  ASSERT_EQ(a.items().size(), 2u);
  EXPECT_EQ(a.at(1).text(), "a");
  EXPECT_EQ(a.at(2).text(), "b");
  EXPECT_EQ(CTOA("x,y", ",").items().size(), 2u);
}

}  // namespace
}  // namespace codfix
