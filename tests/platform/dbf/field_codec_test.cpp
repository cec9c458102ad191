// Field bytes to values and back: the lenient but honest numeric reading, dates,
// logicals, memo block numbers and the binary types of other tools.
#include "platform/dbf/field_codec.h"

#include <gtest/gtest.h>

#include <cstring>

namespace codfix::dbf {
namespace {

Field field(char type, int length, int decimals = 0) {
  Field f;
  f.name = "F";
  f.type = type;
  f.length = static_cast<uint16_t>(length);
  f.decimals = static_cast<uint8_t>(decimals);
  return f;
}

TEST(FieldCodec, NumericText) {
  struct Case {
    const char* bytes;
    bool exponent;
    bool ok;
    double value;
  };
  const Case cases[] = {
      {"    -12.50", false, true, -12.5},       {"          ", false, true, 0},
      {"12        ", false, true, 12},          {"      +7.0", false, true, 7},
      {"     -.50 ", false, true, -0.5},        {"0000012345", false, true, 12345},
      {"\0\0\0\0\0\0\0\0\0\0", false, true, 0}, {"**********", false, false, 0},
      {"      12A4", false, false, 0},          {"    -     ", false, false, 0},
      {"   1.5E+03", false, false, 0},          {"   1.5E+03", true, true, 1500},
      {"  1.2.3   ", false, false, 0},
  };
  for (const Case& c : cases) {
    double v = -1;
    std::string_view bytes(c.bytes, 10);
    EXPECT_EQ(parse_numeric(bytes, c.exponent, v), c.ok) << c.bytes;
    if (c.ok) {
      EXPECT_DOUBLE_EQ(v, c.value) << c.bytes;
    }
  }
}

TEST(FieldCodec, ReadsTypesAsTheirValues) {
  Value v;
  std::string problem;
  ASSERT_TRUE(read_field(field('N', 8, 2), "  -12.30", v, problem));
  EXPECT_EQ(v.num().width, 5);
  EXPECT_EQ(v.num().decimals, 2);
  ASSERT_TRUE(read_field(field('D', 8), "20250230", v, problem));
  EXPECT_TRUE(v.as_date().empty());
  ASSERT_TRUE(read_field(field('D', 8), "20240229", v, problem));
  EXPECT_FALSE(v.as_date().empty());
  for (char c : std::string("TtYy")) {
    ASSERT_TRUE(read_field(field('L', 1), std::string(1, c), v, problem));
    EXPECT_TRUE(v.logical());
  }
  for (char c : std::string("FfNn? ")) {
    ASSERT_TRUE(read_field(field('L', 1), std::string(1, c), v, problem));
    EXPECT_FALSE(v.logical());
  }
  const char int_bytes[4] = {static_cast<char>(0xFE), static_cast<char>(0xFF),
                             static_cast<char>(0xFF), static_cast<char>(0xFF)};
  ASSERT_TRUE(read_field(field('I', 4), std::string_view(int_bytes, 4), v, problem));
  EXPECT_EQ(v.as_double(), -2);
  double d = 3.25;
  char dbl[8];
  std::memcpy(dbl, &d, 8);
  ASSERT_TRUE(read_field(field('B', 8, 2), std::string_view(dbl, 8), v, problem));
  EXPECT_EQ(v.as_double(), 3.25);
  const char currency[8] = {0x10, 0x27, 0, 0, 0, 0, 0, 0};  // 10000 = 1.0000
  ASSERT_TRUE(read_field(field('Y', 8), std::string_view(currency, 8), v, problem));
  EXPECT_EQ(v.as_double(), 1.0);
}

TEST(FieldCodec, MemoBlockNumbers) {
  Field m = field('M', 10);
  EXPECT_EQ(read_memo_block(m, "         1"), 1u);
  EXPECT_EQ(read_memo_block(m, "0000000031"), 31u);
  EXPECT_EQ(read_memo_block(m, "          "), 0u);
  EXPECT_EQ(read_memo_block(m, std::string(10, '\0')), 0u);
  EXPECT_FALSE(read_memo_block(m, "1         "));
  EXPECT_FALSE(read_memo_block(m, "     12x  "));
  EXPECT_FALSE(read_memo_block(m, "9999999999"));
  char out[10];
  write_memo_block(m, out, 595);
  EXPECT_EQ(std::string(out, 10), "       595");
}

}  // namespace
}  // namespace codfix::dbf
