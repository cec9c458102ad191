// Inserts and deletes against a model: a std::set of (key, record number) in the
// tag's tree order. Tables of random operations with fixed seeds over key lengths
// from 1 to 240 (two keys a leaf and two entries a branch at 240: deep trees),
// character, numeric and logical keys, duplicates, unique and descending tags,
// record numbers that force wider leaf entries, starting from an empty tag or from
// a bulk build. After every batch the walk both ways, positions, the key count and
// the full structural checks must agree with the model, and so must a fresh open.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/cdx/builder.h"
#include "platform/cdx/cursor.h"
#include "platform/cdx/key_codec.h"
#include "platform/cdx/page_file.h"
#include "platform/text/codepage.h"
#include "tests/platform/cdx/fixture_support.h"

namespace codfix::cdx {
namespace {

using testing::Entry;

struct Config {
  const char* name;
  KeyType type;
  uint16_t key_size;
  int distinct;  // how many different keys the operations draw from
  bool unique;
  bool descending;
  uint32_t max_recno;  // record numbers are drawn up to this
  int bulk;            // entries of the initial bulk build (0: empty tag)
  int operations;
  uint32_t seed;
};

void PrintTo(const Config& c, std::ostream* os) {
  *os << c.name;
}

struct TreeLess {
  KeyOrder order;
  bool operator()(const Entry& a, const Entry& b) const {
    int c = order.compare(a.key, b.key);
    return c != 0 ? c < 0 : a.recno < b.recno;
  }
};
using Model = std::set<Entry, TreeLess>;

// Keys with accented letters, digits and blanks (so that the PT850 order and the
// trailing-blank compression matter), numbers with repeats, or logicals.
std::string make_key(std::mt19937& rng, const Config& c) {
  switch (c.type) {
    case KeyType::kNumeric: {
      std::uniform_int_distribution<int> v(-500, 500);
      std::string k;
      append_number_key(v(rng) / 4.0, k);
      return k;
    }
    case KeyType::kLogical:
      return std::uniform_int_distribution<int>(0, 1)(rng) ? "T" : "F";
    default: {
      static const std::string alphabet =
          "AB\xb5\xc7"
          "Ca\xa0\x87z09 _";
      std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
      std::uniform_int_distribution<size_t> length(1, std::min<size_t>(c.key_size, 8));
      std::string key;
      size_t n = length(rng);
      for (size_t i = 0; i < n; ++i) key += alphabet[pick(rng)];
      key.resize(c.key_size, ' ');
      return key;
    }
  }
}

class CdxUpdateTest : public ::testing::TestWithParam<Config> {
 protected:
  void SetUp() override { text::set_code_page(text::CodePage::PT850); }

  void expect_same(Tag& tag, const Model& model) {
    std::vector<Entry> want(model.begin(), model.end());
    if (tag.descending()) std::reverse(want.begin(), want.end());
    testing::Walk forward = testing::walk(tag);
    ASSERT_TRUE(forward.status.ok()) << forward.status.message();
    ASSERT_EQ(forward.entries.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      ASSERT_EQ(forward.entries[i].key, want[i].key) << "entry " << i;
      ASSERT_EQ(forward.entries[i].recno, want[i].recno) << "entry " << i;
    }
    testing::Walk backward = testing::walk(tag, true);
    ASSERT_TRUE(backward.status.ok()) << backward.status.message();
    std::reverse(backward.entries.begin(), backward.entries.end());
    ASSERT_EQ(backward.entries, forward.entries);
    auto count = tag.key_count();
    ASSERT_TRUE(count.ok()) << count.status().message();
    EXPECT_EQ(*count, model.size());
    Status v = tag.verify();
    ASSERT_TRUE(v.ok()) << v.message();
    v = tag.file().verify();
    ASSERT_TRUE(v.ok()) << v.message();
    Cursor c(tag);
    for (size_t i = 0; i < want.size(); i += std::max<size_t>(1, want.size() / 5)) {
      auto on = c.go_to_position(i + 1);
      ASSERT_TRUE(on.ok() && *on);
      EXPECT_EQ(c.recno(), want[i].recno);
      auto pos = c.position();
      ASSERT_TRUE(pos.ok());
      EXPECT_EQ(*pos, i + 1);
    }
  }
};

TEST_P(CdxUpdateTest, RandomInsertsAndDeletesMatchTheModel) {
  const Config& cfg = GetParam();
  std::string path = testing::scratch_file("updates.cdx");
  std::mt19937 rng(cfg.seed);
  std::vector<std::string> pool;
  for (int i = 0; i < cfg.distinct; ++i) pool.push_back(make_key(rng, cfg));
  std::uniform_int_distribution<size_t> pick_key(0, pool.size() - 1);
  std::uniform_int_distribution<uint32_t> pick_recno(1, cfg.max_recno);
  std::set<uint32_t> used;
  auto fresh_recno = [&] {
    for (;;) {
      uint32_t r = pick_recno(rng);
      if (used.insert(r).second) return r;
    }
  };

  const KeyFormat format{cfg.type, cfg.key_size};
  const uint8_t* weights = text::weights();
  Model model(TreeLess{KeyOrder{}});
  {
    auto file = open_page_file(path, FileOptions{true, false, true});
    ASSERT_TRUE(file.ok()) << file.status().message();
    auto created = CompoundFile::create(std::move(*file));
    ASSERT_TRUE(created.ok()) << created.status().message();
    Builder b(TagDefinition{"UPD", "KEY", "", format, cfg.unique, cfg.descending, false}, weights);
    for (int i = 0; i < cfg.bulk; ++i) {
      Entry e{pool[pick_key(rng)], fresh_recno()};
      ASSERT_TRUE(b.add(e.key, e.recno).ok());
    }
    // Bulk entries into the model below, once the tag gives the order.
    ASSERT_TRUE(b.write(**created).ok());
  }
  auto file = testing::open_compound(path, true);
  ASSERT_NE(file, nullptr);
  auto tag = testing::open_tag(*file, "UPD", cfg.type);
  ASSERT_NE(tag, nullptr);
  model = Model(TreeLess{tag->order()});
  {
    testing::Walk w = testing::walk(*tag);
    ASSERT_TRUE(w.status.ok());
    for (const Entry& e : w.entries) model.insert(e);
    // What the bulk build kept: every entry, or the lowest record of each key.
    EXPECT_LE(model.size(), static_cast<size_t>(cfg.bulk));
  }
  ASSERT_NO_FATAL_FAILURE(expect_same(*tag, model));

  std::uniform_int_distribution<int> percent(0, 99);
  size_t largest = model.size();
  for (int op = 1; op <= cfg.operations; ++op) {
    largest = std::max(largest, model.size());
    bool insert = model.size() < 20 || percent(rng) < (model.size() < 400 ? 65 : 45);
    if (insert) {
      Entry e{pool[pick_key(rng)], fresh_recno()};
      auto added = tag->insert(e.key, e.recno);
      ASSERT_TRUE(added.ok()) << added.status().message();
      bool expected = true;
      if (cfg.unique) {
        auto it = model.lower_bound(Entry{e.key, 0});
        expected = it == model.end() || tag->order().compare(it->key, e.key) != 0;
      }
      ASSERT_EQ(*added, expected) << "operation " << op;
      if (expected) model.insert(e);
      // The same entry again is refused.
      if (expected && percent(rng) < 5) {
        auto again = tag->insert(e.key, e.recno);
        ASSERT_TRUE(again.ok() && !*again);
      }
    } else {
      std::uniform_int_distribution<size_t> which(0, model.size() - 1);
      auto it = std::next(model.begin(), static_cast<long>(which(rng)));
      Entry e = *it;
      if (percent(rng) < 10) {
        auto gone = tag->remove(e.key, fresh_recno());
        ASSERT_TRUE(gone.ok() && !*gone);
        continue;
      }
      auto removed = tag->remove(e.key, e.recno);
      ASSERT_TRUE(removed.ok()) << removed.status().message();
      ASSERT_TRUE(*removed) << "operation " << op;
      model.erase(it);
    }
    if (op % 250 == 0 || op == cfg.operations) {
      ASSERT_NO_FATAL_FAILURE(expect_same(*tag, model)) << "after operation " << op;
    }
    if (op % 500 == 0) {
      // What is on disk, read afresh, is the same.
      tag.reset();
      file.reset();
      file = testing::open_compound(path, true);
      ASSERT_NE(file, nullptr);
      tag = testing::open_tag(*file, "UPD", cfg.type);
      ASSERT_NE(tag, nullptr);
      ASSERT_NO_FATAL_FAILURE(expect_same(*tag, model)) << "reopened after operation " << op;
    }
  }
  EXPECT_GT(largest, std::min<size_t>(cfg.unique ? cfg.distinct / 3 : 300, 300));

  // Everything down to one entry and back to empty: the root becomes an empty leaf.
  while (model.size() > 1) {
    auto it = model.begin();
    ASSERT_TRUE(tag->remove(it->key, it->recno).ok());
    model.erase(it);
  }
  ASSERT_NO_FATAL_FAILURE(expect_same(*tag, model));
  ASSERT_TRUE(tag->remove(model.begin()->key, model.begin()->recno).ok());
  model.clear();
  ASSERT_NO_FATAL_FAILURE(expect_same(*tag, model));

  // A fresh open sees the same (empty) tag, and the freed pages are reused.
  tag.reset();
  file.reset();
  file = testing::open_compound(path, true);
  ASSERT_NE(file, nullptr);
  tag = testing::open_tag(*file, "UPD", cfg.type);
  ASSERT_NE(tag, nullptr);
  ASSERT_NO_FATAL_FAILURE(expect_same(*tag, model));
  const size_t size_before = testing::read_file(path).size();
  for (int i = 0; i < 50; ++i) {
    Entry e{pool[pick_key(rng)], fresh_recno()};
    auto added = tag->insert(e.key, e.recno);
    ASSERT_TRUE(added.ok());
    if (*added) model.insert(e);
  }
  ASSERT_NO_FATAL_FAILURE(expect_same(*tag, model));
  EXPECT_EQ(testing::read_file(path).size(), size_before);
  tag.reset();
  file.reset();
  file = testing::open_compound(path, true);
  ASSERT_NE(file, nullptr);
  tag = testing::open_tag(*file, "UPD", cfg.type);
  ASSERT_NE(tag, nullptr);
  ASSERT_NO_FATAL_FAILURE(expect_same(*tag, model));
}

// A cursor whose entry is removed under it moves on to the entry that followed it
// (or preceded it, going back), in both directions of ascending and descending tags.
TEST(CdxCursorAcrossUpdates, MovesOnFromARemovedEntry) {
  text::set_code_page(text::CodePage::PT850);
  for (bool descending : {false, true}) {
    for (bool forward : {true, false}) {
      SCOPED_TRACE(std::string(descending ? "descending" : "ascending") +
                   (forward ? " forward" : " backward"));
      std::string path = testing::scratch_file(std::string("cursor") + (descending ? "d" : "a") +
                                               (forward ? "f" : "b") + ".cdx");
      auto pages = open_page_file(path, FileOptions{true, false, true});
      ASSERT_TRUE(pages.ok());
      auto cf = CompoundFile::create(std::move(*pages));
      ASSERT_TRUE(cf.ok());
      Builder b(
          TagDefinition{"T", "K", "", KeyFormat{KeyType::kCharacter, 30}, false, descending, false},
          text::weights());
      for (uint32_t r = 1; r <= 600; ++r) {
        std::string k = "K" + std::to_string(r % 97);
        k.resize(30, ' ');
        ASSERT_TRUE(b.add(k, r).ok());
      }
      ASSERT_TRUE(b.write(**cf).ok());
      auto tag = testing::open_tag(**cf, "T", KeyType::kCharacter);
      ASSERT_NE(tag, nullptr);
      std::vector<Entry> order = testing::walk(*tag).entries;
      ASSERT_EQ(order.size(), 600u);
      // Remove every other entry while the cursor stands on it, then step.
      Cursor c(*tag);
      ASSERT_TRUE((forward ? c.first() : c.last()).ok());
      size_t i = forward ? 0 : order.size() - 1;
      std::vector<Entry> kept;
      for (;;) {
        ASSERT_TRUE(c.on_key());
        ASSERT_EQ(c.recno(), order[i].recno);
        const bool drop = i % 2 == 0;
        if (drop) {
          ASSERT_TRUE(*tag->remove(order[i].key, order[i].recno));
        } else {
          kept.push_back(order[i]);
        }
        ASSERT_TRUE((forward ? c.next() : c.prev()).ok());
        if (forward ? ++i == order.size() : i-- == 0) break;
      }
      EXPECT_TRUE(forward ? c.eof() : c.bof());
      if (!forward) std::reverse(kept.begin(), kept.end());
      EXPECT_EQ(testing::walk(*tag).entries, kept);
      EXPECT_TRUE(tag->verify().ok());
    }
  }
}

const Config kConfigs[] = {
    {"C10_duplicates", KeyType::kCharacter, 10, 60, false, false, 5000, 0, 3000, 1},
    {"C20_bulk_then_updates", KeyType::kCharacter, 20, 400, false, false, 5000, 600, 2500, 2},
    {"C20_unique", KeyType::kCharacter, 20, 300, true, false, 5000, 300, 2500, 3},
    {"C12_descending", KeyType::kCharacter, 12, 80, false, true, 5000, 200, 2500, 4},
    {"C1_few_keys", KeyType::kCharacter, 1, 5, false, false, 5000, 0, 2000, 5},
    {"C40_wide_record_numbers", KeyType::kCharacter, 40, 500, false, false, 40'000'000, 100, 2500,
     6},
    {"C120_tall", KeyType::kCharacter, 120, 500, false, false, 3000, 50, 1500, 7},
    {"C240_two_per_page", KeyType::kCharacter, 240, 500, false, true, 3000, 0, 1200, 8},
    {"N8_numbers", KeyType::kNumeric, 8, 300, false, false, 100000, 300, 2500, 9},
    {"N8_unique_descending", KeyType::kNumeric, 8, 300, true, true, 100000, 0, 2500, 10},
    {"L1_logicals", KeyType::kLogical, 1, 2, false, false, 4'000'000'000u, 0, 2500, 11},
};

INSTANTIATE_TEST_SUITE_P(Tables, CdxUpdateTest, ::testing::ValuesIn(kConfigs),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace codfix::cdx
