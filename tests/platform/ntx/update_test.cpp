// Inserts and deletes against a model: a std::multiset ordered by key alone, which
// puts a new element after its equal keys exactly as the index must. Tables of
// random operations with fixed seeds, on page sizes from 2 to 50 keys, with
// duplicates, unique and descending indexes; after every batch the walk both ways,
// the key count and the full structural check must agree with the model, and so
// must a fresh open of the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/ntx/cursor.h"
#include "platform/ntx/index.h"
#include "platform/text/codepage.h"
#include "tests/platform/ntx/fixture_support.h"

namespace codfix::ntx {
namespace {

struct Config {
  const char* name;
  uint16_t key_size;
  int distinct;  // how many different keys the operations draw from
  bool descending;
  bool unique;
  int operations;
  uint32_t seed;
};

void PrintTo(const Config& c, std::ostream* os) {
  *os << c.name;
}

struct Entry {
  std::string key;
  uint32_t recno;
};

struct KeyLess {
  const KeyOrder* order;
  bool operator()(const Entry& a, const Entry& b) const { return order->compare(a.key, b.key) < 0; }
};

// Keys with accented letters, digits and blanks, so that the PT850 order matters.
std::string make_key(std::mt19937& rng, uint16_t size) {
  static const std::string alphabet =
      "AB\xb5\xc7"
      "Ca\xa0\x87z09 _";
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<size_t> length(1, std::min<size_t>(size, 6));
  std::string key;
  size_t n = length(rng);
  for (size_t i = 0; i < n; ++i) key += alphabet[pick(rng)];
  key.resize(size, ' ');
  return key;
}

class UpdateTest : public ::testing::TestWithParam<Config> {
 protected:
  void SetUp() override { text::set_code_page(text::CodePage::PT850); }

  std::vector<Entry> walk(Index& index) {
    std::vector<Entry> out;
    Cursor c(index);
    for (Status s = c.first(); c.on_key(); s = c.next()) {
      EXPECT_TRUE(s.ok()) << s.message();
      out.push_back({std::string(c.key()), c.recno()});
      if (out.size() > 1000000) break;
    }
    EXPECT_TRUE(c.eof());
    return out;
  }

  void expect_same(Index& index, const std::multiset<Entry, KeyLess>& model) {
    std::vector<Entry> got = walk(index);
    ASSERT_EQ(got.size(), model.size());
    size_t i = 0;
    for (const Entry& e : model) {
      ASSERT_EQ(got[i].key, e.key) << "entry " << i;
      ASSERT_EQ(got[i].recno, e.recno) << "entry " << i;
      ++i;
    }
    std::vector<uint32_t> back;
    Cursor c(index);
    for (Status s = c.last(); c.on_key(); s = c.prev()) back.push_back(c.recno());
    std::reverse(back.begin(), back.end());
    ASSERT_EQ(back.size(), got.size());
    for (size_t j = 0; j < back.size(); ++j) ASSERT_EQ(back[j], got[j].recno);
    auto count = index.key_count();
    ASSERT_TRUE(count.ok()) << count.status().message();
    EXPECT_EQ(*count, model.size());
    Status v = index.verify();
    ASSERT_TRUE(v.ok()) << v.message();
  }
};

TEST_P(UpdateTest, RandomInsertsAndDeletesMatchTheModel) {
  const Config& cfg = GetParam();
  std::string path = testing::scratch_file("updates.ntx");
  Definition def{"KEY", "", "", cfg.key_size, 0, cfg.unique, cfg.descending, false, false};
  auto file = open_page_file(path, FileOptions{true, false, true});
  ASSERT_TRUE(file.ok()) << file.status().message();
  auto created = Index::create(std::move(*file), def, text::weights());
  ASSERT_TRUE(created.ok()) << created.status().message();
  std::unique_ptr<Index> index = std::move(*created);

  std::mt19937 rng(cfg.seed);
  std::vector<std::string> pool;
  for (int i = 0; i < cfg.distinct; ++i) pool.push_back(make_key(rng, cfg.key_size));
  std::multiset<Entry, KeyLess> model(KeyLess{&index->order()});
  uint32_t next_recno = 1;
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<size_t> pick_key(0, pool.size() - 1);

  size_t largest = 0;
  for (int op = 1; op <= cfg.operations; ++op) {
    largest = std::max(largest, model.size());
    // Grow to a few hundred keys, then hover around that size.
    bool insert = model.size() < 20 || percent(rng) < (model.size() < 400 ? 65 : 45);
    if (insert) {
      Entry e{pool[pick_key(rng)], next_recno++};
      auto added = index->insert(e.key, e.recno);
      ASSERT_TRUE(added.ok()) << added.status().message();
      bool expected = !cfg.unique || model.find(e) == model.end();
      ASSERT_EQ(*added, expected) << "operation " << op;
      if (expected) model.insert(e);
    } else {
      std::uniform_int_distribution<size_t> which(0, model.size() - 1);
      auto it = std::next(model.begin(), static_cast<long>(which(rng)));
      Entry e = *it;
      if (percent(rng) < 10) {
        // An entry that is not there: same key, another record.
        auto gone = index->remove(e.key, next_recno + 1000);
        ASSERT_TRUE(gone.ok() && !*gone);
        continue;
      }
      auto removed = index->remove(e.key, e.recno);
      ASSERT_TRUE(removed.ok()) << removed.status().message();
      ASSERT_TRUE(*removed) << "operation " << op;
      model.erase(it);
    }
    if (op % 250 == 0 || op == cfg.operations) {
      ASSERT_NO_FATAL_FAILURE(expect_same(*index, model)) << "after operation " << op;
    }
  }
  // The tree grew well past one page.
  EXPECT_GT(largest, std::min<size_t>(cfg.unique ? cfg.distinct / 2 : 300, 300));
  // Empty it completely, then the file must still work.
  while (!model.empty()) {
    auto removed = index->remove(model.begin()->key, model.begin()->recno);
    ASSERT_TRUE(removed.ok() && *removed);
    model.erase(model.begin());
  }
  ASSERT_NO_FATAL_FAILURE(expect_same(*index, model));
  for (int i = 0; i < 50; ++i) {
    Entry e{pool[pick_key(rng)], next_recno++};
    auto added = index->insert(e.key, e.recno);
    ASSERT_TRUE(added.ok());
    if (*added) model.insert(e);
  }
  index.reset();
  // A fresh open sees the same tree (root and free list as written).
  std::unique_ptr<Index> reopened = testing::open_index(path, text::weights(), true);
  ASSERT_NE(reopened, nullptr);
  model = std::multiset<Entry, KeyLess>(model.begin(), model.end(), KeyLess{&reopened->order()});
  ASSERT_NO_FATAL_FAILURE(expect_same(*reopened, model));
}

INSTANTIATE_TEST_SUITE_P(
    Updates, UpdateTest,
    ::testing::Values(Config{"two_keys_per_page", 200, 30, false, false, 1500, 11},
                      Config{"four_keys_per_page", 150, 40, false, false, 3000, 12},
                      Config{"descending", 100, 50, true, false, 3000, 13},
                      Config{"unique", 60, 80, false, true, 3000, 14},
                      Config{"unique_descending", 150, 25, true, true, 2000, 15},
                      Config{"fifty_keys_per_page", 10, 400, false, false, 12000, 16},
                      Config{"few_distinct_keys", 12, 3, false, false, 4000, 17}),
    [](const ::testing::TestParamInfo<Config>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace codfix::ntx
