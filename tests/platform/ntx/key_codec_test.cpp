// Key bytes from values: the worked examples of the numeric encoding, dates,
// logicals, character padding, key sizes from blank values, and the order of
// encoded numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/date.h"
#include "platform/ntx/key_codec.h"
#include "platform/ntx/key_compare.h"

namespace codfix::ntx {
namespace {

struct NumericCase {
  double value;
  uint16_t size, decimals;
  const char* key;
};

TEST(KeyCodec, NumbersBecomeByteOrderedText) {
  const std::vector<NumericCase> cases = {
      {5, 5, 0, "00005"},
      {0, 5, 0, "00000"},
      {-1, 5, 0, ",,,,+"},
      {-5, 5, 0, ",,,,'"},
      {-9999, 5, 0, ",####"},
      {123.45, 8, 2, "00123.45"},
      {-123.45, 8, 2, ",,+*).('"},
      {-5, 8, 2, ",,,,'.,,"},
      {-0.5, 8, 2, ",,,,,.',"},
      {-99999999.99, 12, 2, ",########.##"},
      {-8998.57, 12, 2, ",,,,,$##$.'%"},
      {123456, 5, 0, "*****"},
  };
  for (const NumericCase& c : cases) {
    auto key = encode_key(Value::number(c.value, c.decimals),
                          KeyFormat{KeyType::kNumeric, c.size, c.decimals});
    ASSERT_TRUE(key.ok());
    EXPECT_EQ(*key, c.key) << c.value;
    if (std::string(c.key).find('*') == std::string::npos) {
      Value back = decode_key(*key, KeyFormat{KeyType::kNumeric, c.size, c.decimals});
      EXPECT_DOUBLE_EQ(back.as_double(), c.value);
    }
  }
  // Byte order is numeric order.
  KeyFormat f{KeyType::kNumeric, 8, 2};
  std::vector<double> ascending = {-99999.99, -123.45, -5,  -0.5,   -0.01,
                                   0,         0.01,    0.5, 123.45, 99999.99};
  KeyOrder order;
  for (size_t i = 1; i < ascending.size(); ++i) {
    std::string a = *encode_key(Value::number(ascending[i - 1], 2), f);
    std::string b = *encode_key(Value::number(ascending[i], 2), f);
    EXPECT_LT(order.compare(a, b), 0) << a << " " << b;
  }
}

TEST(KeyCodec, OtherTypes) {
  EXPECT_EQ(*encode_key(Value(Date{day_number(2000, 2, 29)}), {KeyType::kDate, 8, 0}), "20000229");
  EXPECT_EQ(*encode_key(Value(Date{}), {KeyType::kDate, 8, 0}), "        ");
  EXPECT_EQ(*encode_key(Value(true), {KeyType::kLogical, 1, 0}), "T");
  EXPECT_EQ(*encode_key(Value(false), {KeyType::kLogical, 1, 0}), "F");
  EXPECT_EQ(*encode_key(Value("ab"), {KeyType::kCharacter, 4, 0}), "ab  ");
  EXPECT_EQ(*encode_key(Value("abcdef"), {KeyType::kCharacter, 4, 0}), "abcd");
  EXPECT_EQ(*encode_seek_key(Value("ab"), {KeyType::kCharacter, 4, 0}), "ab");
  EXPECT_EQ(encode_key(Value(5), {KeyType::kCharacter, 4, 0}).status().code(),
            Code::kInvalidArgument);
  EXPECT_EQ(decode_key("20000229", {KeyType::kDate, 8, 0}).as_date().day, day_number(2000, 2, 29));
}

TEST(KeyCodec, KeySizeComesFromTheBlankValue) {
  struct SizeCase {
    Value blank;
    KeyType type;
    uint16_t size, decimals;
  };
  const std::vector<SizeCase> cases = {
      {Value(std::string(20, ' ')), KeyType::kCharacter, 20, 0},
      {Value(std::string(300, ' ')), KeyType::kCharacter, 256, 0},
      {Value::number(0, 9, 2), KeyType::kNumeric, 12, 2},
      {Value::number(0, 10, 0), KeyType::kNumeric, 10, 0},
      {Value(Date{}), KeyType::kDate, 8, 0},
      {Value(false), KeyType::kLogical, 1, 0},
  };
  for (const SizeCase& c : cases) {
    auto f = key_format_for(c.blank);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->type, c.type);
    EXPECT_EQ(f->size, c.size);
    EXPECT_EQ(f->decimals, c.decimals);
  }
  EXPECT_FALSE(key_format_for(Value("")).ok());
  EXPECT_FALSE(key_format_for(Value()).ok());
  EXPECT_FALSE(key_format_for(Value::array(1)).ok());
}

}  // namespace
}  // namespace codfix::ntx
