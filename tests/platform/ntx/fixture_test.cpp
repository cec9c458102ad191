// Every NTX fixture written by the classic tools: walks in the recorded order both
// ways, holds the keys our encoding computes from the table's fields, finds them by
// seek (exact, prefix and soft), numbers them, and is rebuilt byte for byte by the
// bulk build from the same keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/ntx/builder.h"
#include "platform/ntx/cursor.h"
#include "platform/ntx/index.h"
#include "platform/ntx/key_codec.h"
#include "platform/text/codepage.h"
#include "tests/platform/ntx/fixture_support.h"

namespace codfix::ntx {
namespace {

using testing::RawTable;

using KeyOf = std::function<Value(const RawTable&, uint32_t)>;
using ForOf = std::function<bool(const RawTable&, uint32_t)>;

struct Case {
  std::string ntx;
  std::string dbf;
  std::string order;    // .order.txt
  std::string section;  // section of a multi-index order file
  KeyType type;
  KeyOf key;
  ForOf condition;  // null: every record
};

KeyOf field(const std::string& name) {
  return [name](const RawTable& t, uint32_t r) { return t.value(r, name); };
}

KeyOf codigo_cliente_fabric() {
  return [](const RawTable& t, uint32_t r) {
    return Value(t.field(r, "CODIGO") + t.field(r, "CLIENTE") + t.field(r, "FABRIC"));
  };
}

std::vector<Case> cases() {
  const std::string kv = "ntx/kv/";
  const std::string sh = "ntx/shapes/";
  auto ativo = [](const RawTable& t, uint32_t r) { return t.value(r, "ATIVO").logical(); };
  return {
      {kv + "KVPROD.NTX", kv + "KVPROD.DBF", kv + "KVPROD.order.txt", "", KeyType::kCharacter,
       codigo_cliente_fabric(), nullptr},
      {kv + "KVPRECO.NTX", kv + "KVPROD.DBF", kv + "KVPRECO.order.txt", "", KeyType::kNumeric,
       field("PRECO"), nullptr},
      {kv + "KVDATA.NTX", kv + "KVPROD.DBF", kv + "KVDATA.order.txt", "", KeyType::kDate,
       field("DATA"), nullptr},
      {kv + "KVATIVO.NTX", kv + "KVPROD.DBF", kv + "KVATIVO.order.txt", "", KeyType::kLogical,
       field("ATIVO"), nullptr},
      {kv + "KVSITUA.NTX", kv + "KVPROD.DBF", kv + "KVSITUA.order.txt", "", KeyType::kCharacter,
       [](const RawTable& t, uint32_t r) {
         return Value((t.value(r, "ATIVO").logical() ? "A" : "I") + t.field(r, "CODIGO"));
       },
       nullptr},
      {kv + "KVUNICO.NTX", kv + "KVPROD.DBF", kv + "KVUNICO.order.txt", "", KeyType::kCharacter,
       field("CLIENTE"), nullptr},
      {kv + "KVDESC.NTX", kv + "KVPROD.DBF", kv + "KVDESC.order.txt", "", KeyType::kCharacter,
       field("CODIGO"), nullptr},
      {kv + "KVATIVOS.NTX", kv + "KVPROD.DBF", kv + "KVATIVOS.order.txt", "", KeyType::kCharacter,
       field("CODIGO"), ativo},
      {kv + "KVDESCR.NTX", kv + "KVPROD.DBF", kv + "KVDESCR.order.txt", "", KeyType::kCharacter,
       [](const RawTable& t, uint32_t r) { return Value(text::upper(t.field(r, "DESCRICAO"))); },
       nullptr},
      {kv + "KVITEM.NTX", kv + "KVITEM.DBF", kv + "KVITEM.order.txt", "", KeyType::kCharacter,
       field("PRODUTO"), nullptr},
      {"cp850/NOMES.NTX", "cp850/NOMES.DBF", "cp850/NOMES.order.txt", "[NOMES.NTX",
       KeyType::kCharacter, field("NOME"), nullptr},
      {sh + "PLANO03.NTX", sh + "PLANO03.DBF", sh + "PLANO03.order.txt", "", KeyType::kCharacter,
       field("NOME"), nullptr},
      {sh + "MEMO83.NTX", sh + "MEMO83.DBF", sh + "MEMO83.order.txt", "", KeyType::kCharacter,
       field("NOME"), nullptr},
      {sh + "APAGADOS.NTX", sh + "APAGADOS.DBF", sh + "APAGADOS.order.txt", "", KeyType::kCharacter,
       field("NOME"), nullptr},
      {sh + "VAZIO.NTX", sh + "VAZIO.DBF", sh + "VAZIO.order.txt", "", KeyType::kCharacter,
       field("CODIGO"), nullptr},
      {sh + "kvprod.ntx", sh + "kvprod.dbf", sh + "kvprod.order.txt", "", KeyType::kCharacter,
       codigo_cliente_fabric(), nullptr},
  };
}

struct Entry {
  std::string key;
  uint32_t recno;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.ntx;
}

class FixtureTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    text::set_code_page(text::CodePage::PT850);
    const Case& c = GetParam();
    weights_ = c.type == KeyType::kCharacter ? text::weights() : nullptr;
    table_ = std::make_unique<RawTable>(testing::data_path(c.dbf));
    order_ = testing::read_order(testing::data_path(c.order), c.section);
    index_ = testing::open_index(testing::data_path(c.ntx), weights_);
    ASSERT_NE(index_, nullptr);
    const Header& h = index_->header();
    format_ = key_format(c.type, h.key_size, h.key_decimals);
  }

  std::string key_of(uint32_t recno) {
    auto k = encode_key(GetParam().key(*table_, recno), format_);
    EXPECT_TRUE(k.ok()) << k.status().message();
    return k.ok() ? *k : std::string();
  }

  std::vector<Entry> walk_forward() {
    std::vector<Entry> out;
    Cursor c(*index_);
    for (Status s = c.first(); c.on_key(); s = c.next()) {
      EXPECT_TRUE(s.ok()) << s.message();
      out.push_back({std::string(c.key()), c.recno()});
      if (out.size() > 100000) break;
    }
    return out;
  }

  const uint8_t* weights_ = nullptr;
  std::unique_ptr<RawTable> table_;
  std::vector<uint32_t> order_;
  std::unique_ptr<Index> index_;
  KeyFormat format_;
};

TEST_P(FixtureTest, WalksInRecordedOrderBothWaysWithComputedKeys) {
  std::vector<Entry> walk = walk_forward();
  std::vector<uint32_t> recnos;
  for (const Entry& e : walk) recnos.push_back(e.recno);
  EXPECT_EQ(recnos, order_);
  for (const Entry& e : walk) ASSERT_EQ(e.key, key_of(e.recno)) << "record " << e.recno;

  std::vector<uint32_t> back;
  Cursor c(*index_);
  for (Status s = c.last(); c.on_key(); s = c.prev()) {
    ASSERT_TRUE(s.ok()) << s.message();
    back.push_back(c.recno());
    if (back.size() > 100000) break;
  }
  std::reverse(back.begin(), back.end());
  EXPECT_EQ(back, order_);
  EXPECT_TRUE(c.bof());

  auto count = index_->key_count();
  ASSERT_TRUE(count.ok()) << count.status().message();
  EXPECT_EQ(*count, order_.size());
  Status v = index_->verify();
  EXPECT_TRUE(v.ok()) << v.message();
}

TEST_P(FixtureTest, SeeksLandWhereTheWalkSays) {
  std::vector<Entry> walk = walk_forward();
  const KeyOrder& order = index_->order();
  // Where a seek must land: the first walk entry whose key, over the probe's length,
  // is not below the probe.
  auto expected = [&](const std::string& probe) {
    size_t len = std::min(probe.size(), format_.size + size_t{0});
    for (size_t i = 0; i < walk.size(); ++i)
      if (order.compare(walk[i].key.data(), probe.data(), len) >= 0) return i;
    return walk.size();
  };
  size_t step = std::max<size_t>(1, walk.size() / 150);
  Cursor c(*index_);
  for (size_t i = 0; i < walk.size(); i += step) {
    const std::string& key = walk[i].key;
    std::string lowered = key;
    lowered.back() = '\x01';
    std::vector<std::string> probes = {key, key.substr(0, 1), key.substr(0, 3), lowered,
                                       key + "ZZ"};
    for (const std::string& probe : probes) {
      auto found = c.seek(probe);
      ASSERT_TRUE(found.ok()) << found.status().message();
      size_t at = expected(probe);
      if (at == walk.size()) {
        EXPECT_TRUE(c.eof());
        EXPECT_FALSE(*found);
        continue;
      }
      ASSERT_TRUE(c.on_key());
      EXPECT_EQ(c.recno(), walk[at].recno) << "probe of entry " << i;
      size_t len = std::min(probe.size(), size_t{format_.size});
      EXPECT_EQ(*found, order.compare(walk[at].key.data(), probe.data(), len) == 0);
      auto pos = c.position();
      ASSERT_TRUE(pos.ok());
      EXPECT_EQ(*pos, at + 1);
    }
    // The last key with the prefix.
    std::string prefix = key.substr(0, 2);
    auto found = c.seek(prefix, true);
    ASSERT_TRUE(found.ok() && *found);
    size_t last = i;
    while (last + 1 < walk.size() && walk[last + 1].key.compare(0, 2, prefix) == 0) ++last;
    EXPECT_EQ(c.recno(), walk[last].recno);
    // Finding the exact entry, and moving on from it.
    auto exact = c.find(key, walk[i].recno);
    ASSERT_TRUE(exact.ok() && *exact);
    ASSERT_TRUE(c.next().ok());
    if (i + 1 < walk.size()) {
      EXPECT_EQ(c.recno(), walk[i + 1].recno);
    } else {
      EXPECT_TRUE(c.eof());
    }
    auto moved = c.go_to_position(i + 1);
    ASSERT_TRUE(moved.ok() && *moved);
    EXPECT_EQ(c.recno(), walk[i].recno);
  }
}

TEST_P(FixtureTest, BulkBuildFromTheSameKeysIsByteIdentical) {
  const Case& c = GetParam();
  const Header& h = index_->header();
  Definition def{h.key_expr, h.for_expr,   h.tag_name,  h.key_size,          h.key_decimals,
                 h.unique,   h.descending, h.partial(), h.extended_locking()};
  Builder builder(def, weights_);
  for (uint32_t r = 1; r <= table_->records(); ++r) {
    if (c.condition && !c.condition(*table_, r)) continue;
    ASSERT_TRUE(builder.add(key_of(r), r).ok());
  }
  std::string path = testing::scratch_file("built.ntx");
  auto file = open_page_file(path, FileOptions{true, false, true});
  ASSERT_TRUE(file.ok()) << file.status().message();
  ASSERT_TRUE(builder.write(**file).ok());
  file->reset();
  std::string built = testing::read_file(path);
  std::string original = testing::read_file(testing::data_path(c.ntx));
  ASSERT_EQ(built.size(), original.size());
  // The header is defined whole; in a page, the key count, the offset table, the
  // items in use and the rightmost child. Free slots and the rest of the pseudo-item
  // hold whatever the writer's buffers held, which the format leaves undefined.
  ASSERT_EQ(built.substr(0, 1024), original.substr(0, 1024));
  const unsigned m = h.max_items, item = h.key_size + 8u;
  for (size_t page = 1024; page < built.size(); page += 1024) {
    const auto* p = reinterpret_cast<const uint8_t*>(original.data() + page);
    auto u16 = [&](size_t at) { return static_cast<unsigned>(p[at] | (p[at + 1] << 8)); };
    std::vector<bool> defined(1024, false);
    for (unsigned at = 0; at < 2 * m + 4; ++at) defined[at] = true;
    const unsigned n = u16(0);
    for (unsigned i = 0; i <= n && i <= m; ++i) {
      unsigned start = u16(2 + 2 * i);
      unsigned len = i < n ? item : 4;
      for (unsigned at = start; at < start + len && at < 1024; ++at) defined[at] = true;
    }
    for (size_t at = 0; at < 1024; ++at) {
      if (defined[at]) {
        ASSERT_EQ(built[page + at], original[page + at]) << "page " << page << " byte " << at;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureTest, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& param) {
                           std::string name =
                               param.param.ntx.substr(param.param.ntx.rfind('/') + 1);
                           for (char& ch : name)
                             if (ch == '.') ch = '_';
                           return name;
                         });

}  // namespace
}  // namespace codfix::ntx
