#include "platform/text/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/text/literal.h"

namespace codfix::text {
namespace {

using namespace literals;

TEST(Codepage, WeightTableMatchesThePublishedRows) {
  // Rows 4_ and D_ of the table, which mix letters and non-letters.
  const int row4[] = {64, 65, 71, 72, 74, 75, 79, 80, 81, 82, 87, 88, 89, 90, 91, 93};
  const int rowD[] = {222, 223, 78, 224, 77, 225, 83, 85, 86, 226, 227, 228, 229, 230, 84, 231};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(weight(static_cast<uint8_t>(0x40 + i)), row4[i]);
    EXPECT_EQ(weight(static_cast<uint8_t>(0xD0 + i)), rowD[i]);
  }
  std::vector<int> all;
  for (int b = 0; b < 256; ++b) all.push_back(weight(static_cast<uint8_t>(b)));
  std::sort(all.begin(), all.end());
  for (int i = 0; i < 256; ++i) ASSERT_EQ(all[i], i) << "weights must be a permutation";
}

TEST(Codepage, CaseMappingAndClasses) {
  EXPECT_EQ(upper("joão ação ñ ë å ÿ"_cp850), "JOÃO AÇÃO Ñ ë å ÿ"_cp850);
  EXPECT_EQ(lower("ÇÃO É"_cp850), "ção é"_cp850);
  EXPECT_TRUE(is_alpha("ç"_cp850[0]));
  EXPECT_TRUE(is_lower("ç"_cp850[0]));
  EXPECT_FALSE(is_alpha("ª"_cp850[0]));
  EXPECT_FALSE(is_digit("²"_cp850[0]));
  set_code_page(CodePage::Binary);
  EXPECT_EQ(upper("ação"_cp850), "AçãO"_cp850);
  EXPECT_LT(compare("Z", "Á"_cp850, true), 0);
  EXPECT_GT(compare("Á"_cp850, "a", true), 0);
  set_code_page(CodePage::PT850);
  EXPECT_LT(compare("Á"_cp850, "B", true), 0);
}

TEST(Codepage, Conversions) {
  std::string_view s = "Atenção: näo ╔═╗ █"_cp850;
  EXPECT_EQ(s.size(), 18u);
  EXPECT_EQ(cp850_to_utf8(s), "Atenção: näo ╔═╗ █");
  EXPECT_EQ(utf8_to_cp850("Atenção: näo ╔═╗ █"), s);
  EXPECT_EQ(utf8_to_cp850("€\xff"), "??");
  EXPECT_EQ(cp850_to_utf8("\x01\x7f", true), "☺⌂");
  // Ã is C7 in code page 850 and C3 in Windows-1252; Ç is 80 and C7.
  EXPECT_EQ(cp850_to_cp1252("ÃÇ"_cp850), "\xC3\xC7");
  EXPECT_EQ(cp1252_to_cp850("\xC3\xC7"), "ÃÇ"_cp850);
  EXPECT_EQ(cp1252_to_cp850("\x80"), "?");
}

}  // namespace
}  // namespace codfix::text
