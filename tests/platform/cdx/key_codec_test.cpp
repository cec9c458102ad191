// Key encoding of CDX tags (numbers and dates as ordered doubles, text padded with
// blanks, logicals) against the worked values of the format, the order those bytes
// give, and the leaf layout of the worked examples: compressed entries, bit
// widths and free space, byte for byte, read back the same.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "lib/core/date.h"
#include "platform/cdx/key_codec.h"
#include "platform/cdx/node.h"

namespace codfix::cdx {
namespace {

std::string hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[static_cast<uint8_t>(c) >> 4];
    out += digits[static_cast<uint8_t>(c) & 15];
  }
  return out;
}

struct NumberCase {
  double value;
  const char* bytes;
};

TEST(CdxKeyCodec, NumbersAreOrderedDoubles) {
  const NumberCase cases[] = {
      {0, "80 00 00 00 00 00 00 00"},     {-0.0, "80 00 00 00 00 00 00 00"},
      {0.5, "BF E0 00 00 00 00 00 00"},   {1, "BF F0 00 00 00 00 00 00"},
      {2, "C0 00 00 00 00 00 00 00"},     {12.5, "C0 29 00 00 00 00 00 00"},
      {100, "C0 59 00 00 00 00 00 00"},   {-1, "40 0F FF FF FF FF FF FF"},
      {-12.5, "3F D6 FF FF FF FF FF FF"},
  };
  const KeyFormat f{KeyType::kNumeric, 8, 2};
  for (const NumberCase& c : cases) {
    auto k = encode_key(Value::number(c.value, 2), f);
    ASSERT_TRUE(k.ok());
    EXPECT_EQ(hex(*k), c.bytes) << c.value;
    Value back = decode_key(*k, f);
    EXPECT_EQ(back.as_double(), c.value == 0 ? 0.0 : c.value);
  }
  // Byte order is numeric order.
  const double ordered[] = {-1e300, -99999999.99, -12.5, -1, -0.01, 0, 0.01, 0.5, 1, 2, 1e15};
  std::string prev;
  for (double v : ordered) {
    auto k = encode_key(Value::number(v, 2), f);
    ASSERT_TRUE(k.ok());
    if (!prev.empty()) {
      EXPECT_LT(prev, *k) << v;
    }
    prev = *k;
  }
}

TEST(CdxKeyCodec, DatesAreJulianDaysAndTheEmptyDateIsZero) {
  const KeyFormat f{KeyType::kDate, 8};
  Date d = dtos_to_date("20000101");
  ASSERT_EQ(d.day, 2451545);
  EXPECT_EQ(hex(*encode_key(Value(d), f)), "C1 42 B4 2C 80 00 00 00");
  EXPECT_EQ(hex(*encode_key(Value(Date{}), f)), "80 00 00 00 00 00 00 00");
  EXPECT_EQ(decode_key(*encode_key(Value(d), f), f).as_date(), d);
  EXPECT_LT(*encode_key(Value(Date{}), f), *encode_key(Value(dtos_to_date("00010101")), f));
}

TEST(CdxKeyCodec, TextLogicalsAndFormats) {
  const KeyFormat c{KeyType::kCharacter, 6};
  EXPECT_EQ(*encode_key(Value("AB"), c), "AB    ");
  EXPECT_EQ(*encode_key(Value("ABCDEFGH"), c), "ABCDEF");
  EXPECT_EQ(*encode_seek_key(Value("AB"), c), "AB");
  EXPECT_EQ(*encode_seek_key(Value("ABCDEFGH"), c), "ABCDEF");
  const KeyFormat l{KeyType::kLogical, 1};
  EXPECT_EQ(*encode_key(Value(true), l), "T");
  EXPECT_EQ(*encode_key(Value(false), l), "F");
  EXPECT_EQ(encode_key(Value(1), c).status().code(), Code::kInvalidArgument);
  EXPECT_EQ(encode_key(Value("T"), l).status().code(), Code::kInvalidArgument);

  EXPECT_EQ(key_format_for(Value("ABC"))->size, 3);
  EXPECT_EQ(key_format_for(Value(std::string(300, 'x')))->size, 240);
  EXPECT_EQ(key_format_for(Value::number(1, 12, 2))->size, 8);
  EXPECT_EQ(key_format_for(Value::number(1, 12, 2))->decimals, 2);
  EXPECT_EQ(key_format_for(Value(Date{}))->size, 8);
  EXPECT_EQ(key_format_for(Value(true))->size, 1);
  EXPECT_FALSE(key_format_for(Value("")).ok());
  EXPECT_FALSE(key_format_for(Value()).ok());

  EXPECT_TRUE(key_format(KeyType::kNumeric, 8).ok());
  EXPECT_TRUE(key_format(KeyType::kNumeric, 4).ok());  // third-party files
  const std::pair<KeyType, uint16_t> wrong[] = {{KeyType::kNumeric, 10},
                                                {KeyType::kDate, 4},
                                                {KeyType::kLogical, 2},
                                                {KeyType::kCharacter, 0},
                                                {KeyType::kCharacter, 241}};
  for (auto [type, size] : wrong) EXPECT_EQ(key_format(type, size).status().code(), Code::kCorrupt);
  // The 4-byte numeric form of other drivers: integer + 0x80000000, big-endian.
  const KeyFormat n4{KeyType::kNumeric, 4};
  EXPECT_EQ(hex(*encode_key(Value(5), n4)), "80 00 00 05");
  EXPECT_EQ(hex(*encode_key(Value(-1), n4)), "7F FF FF FF");
  EXPECT_EQ(decode_key("\x7F\xFF\xFF\xFE", n4).as_double(), -2);
}

struct LeafCase {
  const char* name;
  std::vector<std::pair<std::string, uint32_t>> entries;
  uint16_t key_size;
  char pad;
  const char* header;  // bytes 0..23
  const char* entry_bytes;
  const char* key_bytes;  // the tail of the page
};

TEST(CdxLeafLayout, WorkedExamplesByteForByte) {
  const std::string zeros6(6, '\0'), zeros7(7, '\0');
  const LeafCase cases[] = {
      {"three keys",
       {{"ALPHA     ", 1}, {"ALPHABET  ", 2}, {"BETA      ", 3}},
       10,
       ' ',
       "03 00 03 00 FF FF FF FF FF FF FF FF D3 01 FF FF 00 00 0F 0F 10 04 04 03",
       "01 00 50 02 00 25 03 00 60",
       "BETABETALPHA"},
      {"numbers",
       {{std::string("\xBF\xF0", 2) + zeros6, 1},
        {std::string("\xC0", 1) + zeros7, 2},
        {std::string("\xC0\x29", 2) + zeros6, 3}},
       8,
       '\0',
       "03 00 03 00 FF FF FF FF FF FF FF FF DB 01 FF FF 00 00 0F 0F 10 04 04 03",
       "01 00 60 02 00 70 03 00 61",
       "\x29\xC0\xBF\xF0"},
      {"directory",
       {{"NAME      ", 1536}},
       10,
       ' ',
       "03 00 01 00 FF FF FF FF FF FF FF FF E1 01 FF FF 00 00 0F 0F 10 04 04 03",
       "00 06 60",
       "NAME"},
  };
  for (const LeafCase& c : cases) {
    SCOPED_TRACE(c.name);
    TreeRules rules{c.key_size, c.pad, KeyOrder{}, false};
    Node n;
    n.reset(rules, kAttrRoot | kAttrLeaf);
    n.widths = leaf_widths(c.key_size, 3);
    for (const auto& [key, recno] : c.entries) n.insert(n.count(), key.data(), recno);
    std::array<uint8_t, kPageSize> page{};
    encode_node(n, page.data());
    std::string bytes(reinterpret_cast<const char*>(page.data()), page.size());
    EXPECT_EQ(hex(bytes.substr(0, 24)), c.header);
    const size_t entries = c.entries.size() * 3;
    EXPECT_EQ(hex(bytes.substr(24, entries)), c.entry_bytes);
    const std::string tail = c.key_bytes;
    EXPECT_EQ(bytes.substr(kPageSize - tail.size()), tail);
    EXPECT_EQ(bytes.substr(24 + entries, kPageSize - tail.size() - 24 - entries),
              std::string(kPageSize - tail.size() - 24 - entries, '\0'));
    Node back;
    Status s = decode_node(page.data(), rules, 4096, 1 << 20, back);
    ASSERT_TRUE(s.ok()) << s.message();
    ASSERT_EQ(back.count(), c.entries.size());
    for (size_t i = 0; i < back.count(); ++i) {
      EXPECT_EQ(back.key_view(i), c.entries[i].first);
      EXPECT_EQ(back.recnos[i], c.entries[i].second);
    }
  }
}

TEST(CdxLeafLayout, WidthsFollowKeyLengthAndLargestRecord) {
  struct W {
    uint16_t key_size;
    uint32_t max_recno;
    uint8_t rec_bits, dup_bits, bytes;
  };
  const W cases[] = {
      {1, 0, 22, 1, 3},
      {3, 0, 20, 2, 3},
      {8, 65535, 16, 4, 3},
      {8, 65536, 24, 4, 4},
      {10, 88064, 24, 4, 4},
      {20, 16383, 14, 5, 3},
      {40, 4095, 12, 6, 3},
      {100, 1023, 10, 7, 3},
      {240, 255, 8, 8, 3},
      {240, 256, 16, 8, 4},
      {240, 0xFFFFFFFF, 32, 8, 6},
      {1, (1u << 30) - 1, 30, 1, 4},
      {1, 1u << 30, 32, 1, 5},
  };
  for (const W& c : cases) {
    LeafWidths w = leaf_widths(c.key_size, c.max_recno);
    EXPECT_EQ(w.rec_bits, c.rec_bits) << c.key_size << " " << c.max_recno;
    EXPECT_EQ(w.dup_bits, c.dup_bits);
    EXPECT_EQ(w.trail_bits, c.dup_bits);
    EXPECT_EQ(w.bytes, c.bytes);
    EXPECT_TRUE(w.fits(c.max_recno));
  }
}

}  // namespace
}  // namespace codfix::cdx
