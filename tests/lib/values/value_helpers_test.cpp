#include <gtest/gtest.h>

#include "lib/core/active_field.h"
#include "lib/core/date.h"
#include "lib/values/number_helpers.h"
#include "lib/values/screen_helpers.h"
#include "lib/values/template_helpers.h"
#include "lib/values/text_helpers.h"
#include "platform/console/keys.h"
#include "platform/expr/expr.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

class ValueHelpers : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    expr::register_standard_functions();
  }
};

TEST_F(ValueHelpers, Numbers) {
  EXPECT_EQ(CASADEC(Value::number(1.239, 3)).as_double(), 1.23);
  EXPECT_EQ(CASADEC(Value::number(-1.239, 3)).as_double(), -1.23);
  EXPECT_EQ(CASADEC(Value(7)).as_double(), 7);
  EXPECT_EQ(CASADEC(Value(123), 2).as_double(), 123);
  EXPECT_EQ(INTEIRO(Value::number(-7.9, 1)).as_double(), -7);
  EXPECT_EQ(INTEIRO(Value::number(-7.9, 1), true).as_double(), -7.9);
  EXPECT_EQ(PORCENTO(10, 33.33).as_double(), 3.33);
  EXPECT_EQ(STRTRIM(Value::number(12.5, 2)), "12.50");
  EXPECT_EQ(STRTRIM(Value::number(12.0, 2), -1, -1, true), "12");
  EXPECT_EQ(LENX(Value::number(1.5, 2)), std::make_pair(13, 2));
  EXPECT_EQ(LENX(Value("abc")), std::make_pair(3, 0));
  EXPECT_EQ(LENX(Value::memo("abc")), std::make_pair(65, 0));
  EXPECT_EQ(LENX(Value::date(0)), std::make_pair(8, 0));
  EXPECT_EQ(VALTRIM("  12.5 ").as_double(), 12.5);
  auto [mb, unit] = BYTESTOX(5000000);
  EXPECT_EQ(mb, 4);
  EXPECT_EQ(unit, "MB");
  EXPECT_EQ(BYTESTOX(1023).second, "Bytes");
}

TEST_F(ValueHelpers, Convnum) {
  Value n = Value::number(12.5, 1);
  EXPECT_EQ(CONVNUM(n, 10, 2), "0000001250");
  EXPECT_EQ(CONVNUM(n, 10, 2, ","), "00000012,50");
  EXPECT_EQ(CONVNUM(n, 10, 2, "", "1"), "      1250");
  EXPECT_EQ(rt().vars.get("CRETORNO").text(), "      1250");
  EXPECT_EQ(CONVNUM(Value(123456), 3), "***");
}

TEST_F(ValueHelpers, Convdata) {
  Date d{day_number(2024, 3, 5)};
  EXPECT_EQ(CONVDATA(d, 1), "20240305");
  EXPECT_EQ(CONVDATA(d, 2), "05032024");
  EXPECT_EQ(CONVDATA(d, 3), "050324");
  EXPECT_EQ(CONVDATA(d, 5, 2, "."), "05.03.24");
  EXPECT_EQ(CONVDATA(d, 9, 2, "-"), "2024-03-05");
  EXPECT_EQ(CONVDATA(d, 10), "2024/05/03");
  EXPECT_EQ(CONVDATA(d, 99, 2, "-"), "05-03-2024");
  EXPECT_EQ(CONVDATA(Date{day_number(1995, 3, 5)}, 1), "19950305");
  EXPECT_EQ(CONVDATA(Date{}, 1), "        ");
  EXPECT_EQ(CONVDATA(Date{}, 1, 3), "00000000");
  EXPECT_EQ(CONVDATA(Date{}, 2), "00000000");
  EXPECT_EQ(CONVDATA(Date{}, 2, 1), "        ");
}

TEST_F(ValueHelpers, Texts) {
  EXPECT_EQ(TEMPOEXT("00:00:07"), "07 Segundos");
  EXPECT_EQ(TEMPOEXT("00:12:00"), "12 Minutos");
  EXPECT_EQ(TEMPOEXT("02:10:00"), "2 horas");
  EXPECT_EQ(rt().vars.get("CRETORNO").text(), "2 horas");
  EXPECT_TRUE(IGUALOUCONTIDO("*NOME", "CNOME"));
  EXPECT_FALSE(IGUALOUCONTIDO("NOME", "CNOME"));
  EXPECT_TRUE(IGUALOUCONTIDO("NOME", "NOME"));
  Value list = Value::array({Value("A"), Value("B")});
  EXPECT_EQ(RETELEM(list, Value(3)).text(), " ");
  EXPECT_EQ(RETELEM(list, Value("2")).text(), "B");
  EXPECT_EQ(RETELEM(Value::array(0), Value(1)).text(), "");
  EXPECT_EQ(PRIMMAIU("JOAO DA SILVA       "), "Joao Da Silva       ");
  EXPECT_EQ(PRIMMAIU("a.b c"), "A.B C");
  EXPECT_EQ(TIRACHAR("12.345-6", ".-"), "123456");
  EXPECT_EQ(CONCATCHAR(Value(" x ")), "( x )");
  EXPECT_EQ(CONCATCHAR(Value(" x "), true, "[]"), "[x]");
  EXPECT_EQ(CONVCHAR(Value("abc"), 5), "abc  ");
  EXPECT_EQ(CONVCHAR(Value("42"), 5, "N"), "00042");
}

TEST_F(ValueHelpers, ConcatTemplates) {
  rt().vars.declare_private("CCODCLIE", Value("123"));
  rt().vars.declare_private("NVALOR", Value(7));
  EXPECT_EQ(CONCAT("Cliente |CCODCLIE|.TXT"), "Cliente 123.TXT");
  EXPECT_EQ(CONCAT("|NVALOR|"), "         7");
  EXPECT_EQ(CONCAT("[|CVAZIO|]", "|", true, Value("-")), "");  // undefined: alert, ""
  rt().vars.declare_private("CVAZIO", Value("   "));
  EXPECT_EQ(CONCAT("[|CVAZIO|]", "|", true, Value("-")), "[-]");
  EXPECT_EQ(CONCAT("sem expressao"), "sem expressao");
  EXPECT_EQ(LARGURA("NVALOR"), 10);
  EXPECT_EQ(LARGURA("1.25", "D"), 2);
  EXPECT_EQ(rt().vars.get("NDECIMAL").as_double(), 2);
  rt().vars.declare_private("ADADOS", Value::array({Value(1), Value(2), Value(3)}));
  Value odd = EXTRAI_MAT(rt().vars.get("ADADOS"), "ADADOS[N_ELEM]*10", "N_ELEM # 2");
  ASSERT_EQ(odd.items().size(), 2u);
  EXPECT_EQ(odd.at(2).as_double(), 30);
  EXPECT_EQ(EXTRAI_MAT(rt().vars.get("ADADOS"), "N_ELEM", "", Value(";")).text(), "1;2;3");
}

class Field : public ActiveField {
 public:
  std::string name() const override { return "CCAMPO"; }
  Value value() const override { return v; }
  std::string edit_buffer() const override { return v.text_or(""); }
  void assign(const Value& x) override { v = x; }
  void redisplay() override {}
  Value v;
};

TEST_F(ValueHelpers, FieldCallbacksAndScreens) {
  Field f;
  ActiveFieldScope scope(&f);
  f.v = Value("123   ");
  EXPECT_TRUE(PADX());
  EXPECT_EQ(f.v.text(), "000123");
  f.v = Value("      ");
  EXPECT_FALSE(PADX(false));
  EXPECT_TRUE(PADX(true, "0", "E", "", true));
  EXPECT_EQ(f.v.text(), "      ");
  f.v = Value("ab    ");
  EXPECT_TRUE(PADX(true, "*", "C"));
  EXPECT_EQ(f.v.text(), "**ab**");

  screen().set_pos(3, 10);
  f.v = Value("s");
  EXPECT_TRUE(SN());
  EXPECT_EQ(screen().screen().row_text(3).substr(9, 3), "Sim");
  f.v = Value("x");
  EXPECT_FALSE(SN());

  std::string image = GT();
  screen().say(0, 0, "changed");
  RT(image);
  EXPECT_EQ(screen().screen().row_text(0).substr(0, 7), "       ");
  EXPECT_EQ(screen().screen().row_text(3).substr(9, 3), "Sim");
}

}  // namespace
}  // namespace codfix
