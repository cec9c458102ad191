#include "platform/indexing/key_sorter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/text/codepage.h"
#include "platform/text/literal.h"

namespace codfix::indexing {
namespace {

using namespace text::literals;

struct Case {
  const char* name;
  size_t key_size;
  bool weighted;
  bool descending;
  size_t count;
  std::string alphabet;  // bytes keys are drawn from
  size_t shared_prefix;  // leading bytes every key has in common
  unsigned threads;
  // Keys starting with the alphabet's first byte go nearly all into part 0.
  bool lopsided = false;
};

std::vector<std::pair<std::string, uint32_t>> make_entries(const Case& c) {
  std::mt19937 random(static_cast<uint32_t>(c.count + c.key_size));
  std::vector<std::pair<std::string, uint32_t>> entries;
  std::vector<uint32_t> recnos(c.count);
  for (size_t i = 0; i < c.count; ++i) recnos[i] = static_cast<uint32_t>(i + 1);
  std::shuffle(recnos.begin(), recnos.end(), random);  // added in any order
  for (size_t i = 0; i < c.count; ++i) {
    std::string key(c.key_size, 'P');
    for (size_t j = c.shared_prefix; j < c.key_size; ++j) {
      key[j] = c.alphabet[random() % c.alphabet.size()];
    }
    entries.emplace_back(key, recnos[i]);
  }
  return entries;
}

TEST(KeySorter, SortsByKeyInTreeOrderThenRecordNumber) {
  const std::string digits = "0123456789 -";
  const std::string accents("aAáÁeEéÉzZçÇ "_cp850);
  std::string every_byte;
  for (int b = 0; b < 256; ++b) every_byte.push_back(static_cast<char>(b));
  const Case cases[] = {
      {"tiny", 3, false, false, 40, "ab", 0, 1},
      {"code keys, two threads", 20, true, false, 60000, digits, 0, 2},
      {"same start, two threads", 12, true, false, 50000, digits, 7, 2},
      {"many equal keys", 2, false, false, 30000, "xy", 0, 2},
      {"accents under PT850", 6, true, false, 20000, accents, 0, 2},
      {"a rare accent among plain letters", 4, true, false, 20000,
       std::string("cdcdcdcdcdcdcdcdcdcd") + std::string("ç"_cp850), 0, 2},
      {"descending", 5, true, true, 20000, accents, 0, 2},
      {"every byte, one thread", 9, false, false, 20000, every_byte, 0, 1},
      {"long keys", 70, true, false, 5000, digits, 50, 2},
      {"keys past the compiled sizes", 300, false, false, 500, "ab", 290, 2},
      {"one first byte for most keys", 8, true, false, 120000, "0001", 0, 2},
      {"a first byte many keys share in one part only", 8, true, false, 120000, "0001", 0, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KeyOrder order{c.weighted ? text::weights() : nullptr, c.descending};
    auto entries = make_entries(c);
    KeySorter sorter(c.key_size, order);
    // Two parts, as two scanning threads fill them.
    for (size_t i = 0; i < entries.size(); ++i) {
      unsigned part = static_cast<unsigned>(i % KeySorter::kParts);
      if (c.lopsided) part = entries[i].first[0] == c.alphabet[0] && i % 100 != 0 ? 0 : 1;
      ASSERT_TRUE(sorter.add_run(part, entries[i].first.data(), 1, entries[i].second).ok());
    }
    sorter.sort(c.threads);

    std::sort(entries.begin(), entries.end(), [&](const auto& x, const auto& y) {
      int cmp = order.compare(x.first, y.first);
      return cmp != 0 ? cmp < 0 : x.second < y.second;
    });
    ASSERT_EQ(sorter.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      ASSERT_TRUE(sorter.next());
      ASSERT_EQ(std::string(sorter.key(), c.key_size), entries[i].first) << "at " << i;
      ASSERT_EQ(sorter.recno(), entries[i].second) << "at " << i;
      ASSERT_EQ(sorter.same_key_as_previous(), i > 0 && entries[i].first == entries[i - 1].first);
    }
    EXPECT_FALSE(sorter.next());
  }
}

TEST(KeySorter, ClearLetsGoOfTheEntries) {
  KeySorter sorter(4, KeyOrder{});
  sorter.sort();
  EXPECT_FALSE(sorter.next());
  sorter.clear();
  ASSERT_TRUE(sorter.add("abcd", 2).ok());
  ASSERT_TRUE(sorter.add("abcc", 1).ok());
  sorter.sort();
  ASSERT_TRUE(sorter.next());
  EXPECT_EQ(std::string(sorter.key(), 4), "abcc");
  sorter.clear();
  EXPECT_EQ(sorter.size(), 0u);
  ASSERT_TRUE(sorter.add("zzzz", 9).ok());
  EXPECT_FALSE(sorter.add("zzz", 3).ok());
  EXPECT_FALSE(sorter.add("zzzz", 0).ok());
  EXPECT_FALSE(sorter.add_run(KeySorter::kParts, "zzzz", 1, 4).ok());
  sorter.sort();
  ASSERT_TRUE(sorter.next());
  EXPECT_EQ(sorter.recno(), 9u);
  EXPECT_FALSE(sorter.next());
}

}  // namespace
}  // namespace codfix::indexing
