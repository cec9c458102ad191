// Every CDX fixture written by the classic tools: the tag list is what tags.txt says,
// every tag walks in its recorded order both ways holding the keys our encoding
// computes from the table's fields, seeks (exact, prefix, soft, last) land where the
// walk says, positions number the walk, and building a compound file from the same
// keys, tag after tag, gives the same file byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
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
using testing::RawTable;

using KeyOf = std::function<Value(const RawTable&, uint32_t)>;
using ForOf = std::function<bool(const RawTable&, uint32_t)>;

struct TagCase {
  std::string name;
  std::string key_expr;
  std::string for_expr;
  bool unique;
  bool descending;
  KeyType type;
  KeyOf key;
  ForOf condition;  // null: every record
  std::string order;
  std::string section;  // of a multi-index order file
};

struct FileCase {
  std::string label;
  std::string cdx;
  std::string dbf;
  std::string tags_txt;       // empty: none
  std::vector<TagCase> tags;  // in creation order
};

void PrintTo(const FileCase& c, std::ostream* os) {
  *os << c.label;
}

KeyOf field(const std::string& name) {
  return [name](const RawTable& t, uint32_t r) { return t.value(r, name); };
}
KeyOf upper(const std::string& name) {
  return [name](const RawTable& t, uint32_t r) { return Value(text::upper(t.field(r, name))); };
}

std::vector<FileCase> cases() {
  const std::string kv = "cdx/KVPROD.";
  auto ativo = [](const RawTable& t, uint32_t r) { return t.value(r, "ATIVO").logical(); };
  auto kvprod_key = [](const RawTable& t, uint32_t r) {
    return Value(t.field(r, "CODIGO") + t.field(r, "CLIENTE") + t.field(r, "FABRIC"));
  };
  const std::string nomes = "cp850/NOMES.order.txt";
  const std::string mini = "dbf/shapes/CDXMINI.";
  return {
      {"KVPROD",
       "cdx/KVPROD.CDX",
       "cdx/KVPROD.DBF",
       "cdx/KVPROD.tags.txt",
       {
           {"KVPROD", "Codigo+Cliente+Fabric", "", false, false, KeyType::kCharacter, kvprod_key,
            nullptr, kv + "KVPROD.order.txt", ""},
           {"PRECO", "PRECO", "", false, false, KeyType::kNumeric, field("PRECO"), nullptr,
            kv + "PRECO.order.txt", ""},
           {"DATA", "DATA", "", false, false, KeyType::kDate, field("DATA"), nullptr,
            kv + "DATA.order.txt", ""},
           {"ATIVOS", "CODIGO", "ATIVO", false, false, KeyType::kCharacter, field("CODIGO"), ativo,
            kv + "ATIVOS.order.txt", ""},
           {"CLIENTE", "CLIENTE", "", true, false, KeyType::kCharacter, field("CLIENTE"), nullptr,
            kv + "CLIENTE.order.txt", ""},
           {"CODDESC", "CODIGO", "", false, true, KeyType::kCharacter, field("CODIGO"), nullptr,
            kv + "CODDESC.order.txt", ""},
           {"DESCRI", "UPPER(DESCRICAO)", "", false, false, KeyType::kCharacter, upper("DESCRICAO"),
            nullptr, kv + "DESCRI.order.txt", ""},
       }},
      {"NOMES2",
       "cdx/NOMES2.CDX",
       "cdx/NOMES2.DBF",
       "",
       {
           {"NOME", "NOME", "", false, false, KeyType::kCharacter, field("NOME"), nullptr, nomes,
            "[NOMES2.CDX tag NOME]"},
           {"UNOME", "Upper( NOME )", "", false, false, KeyType::kCharacter, upper("NOME"), nullptr,
            nomes, "[NOMES2.CDX tag UNOME]"},
       }},
      {"CDXMINI",
       mini + "CDX",
       mini + "DBF",
       mini + "tags.txt",
       {
           {"NOME", "NOME", "", false, false, KeyType::kCharacter, field("NOME"), nullptr,
            mini + "NOME.order.txt", ""},
           {"CODIGO", "CODIGO", "", false, false, KeyType::kCharacter, field("CODIGO"), nullptr,
            mini + "CODIGO.order.txt", ""},
       }},
  };
}

class CdxFixtureTest : public ::testing::TestWithParam<FileCase> {
 protected:
  void SetUp() override {
    text::set_code_page(text::CodePage::PT850);
    table_ = std::make_unique<RawTable>(testing::data_path(GetParam().dbf));
    file_ = testing::open_compound(testing::data_path(GetParam().cdx));
    ASSERT_NE(file_, nullptr);
  }

  std::string key_of(const TagCase& t, const KeyFormat& format, uint32_t recno) {
    auto k = encode_key(t.key(*table_, recno), format);
    EXPECT_TRUE(k.ok()) << k.status().message();
    return k.ok() ? *k : std::string();
  }

  // The walk the fixture recorded, with the keys our encoding computes.
  std::vector<Entry> expected(const TagCase& t, const KeyFormat& format) {
    std::vector<Entry> out;
    for (uint32_t r : testing::read_order(testing::data_path(t.order), t.section))
      out.push_back({key_of(t, format, r), r});
    return out;
  }

  std::unique_ptr<RawTable> table_;
  std::unique_ptr<CompoundFile> file_;
};

TEST_P(CdxFixtureTest, TagListIsWhatTheToolsRecorded) {
  const FileCase& c = GetParam();
  ASSERT_EQ(file_->tags().size(), c.tags.size());
  std::vector<std::string> lines;
  for (size_t i = 0; i < c.tags.size(); ++i) {
    const TagInfo& info = file_->tags()[i];
    const TagCase& t = c.tags[i];
    EXPECT_EQ(info.name, t.name);
    EXPECT_EQ(info.header.key_expr, t.key_expr);
    EXPECT_EQ(info.header.for_expr, t.for_expr);
    EXPECT_EQ(info.header.unique(), t.unique);
    EXPECT_EQ(info.header.descending, t.descending);
    auto tag = testing::open_tag(*file_, t.name, t.type);
    ASSERT_NE(tag, nullptr);
    auto count = tag->key_count();
    ASSERT_TRUE(count.ok()) << count.status().message();
    std::ostringstream line;
    line << info.name << '|' << info.header.key_expr << '|' << info.header.for_expr << '|'
         << (info.header.unique() ? 'Y' : 'N') << '|' << (info.header.descending ? 'Y' : 'N') << '|'
         << info.header.key_size << '|' << *count;
    lines.push_back(line.str());
  }
  EXPECT_TRUE(file_->verify().ok());
  if (c.tags_txt.empty()) return;
  std::istringstream in(testing::read_file(testing::data_path(c.tags_txt)));
  std::vector<std::string> recorded;
  for (std::string l; std::getline(in, l);)
    if (!l.empty()) recorded.push_back(l);
  EXPECT_EQ(lines, recorded);
}

TEST_P(CdxFixtureTest, EveryTagWalksInItsRecordedOrderBothWays) {
  for (const TagCase& t : GetParam().tags) {
    SCOPED_TRACE(t.name);
    auto tag = testing::open_tag(*file_, t.name, t.type);
    ASSERT_NE(tag, nullptr);
    std::vector<Entry> want = expected(t, tag->format());
    testing::Walk forward = testing::walk(*tag);
    ASSERT_TRUE(forward.status.ok()) << forward.status.message();
    ASSERT_EQ(forward.entries.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      ASSERT_EQ(forward.entries[i].recno, want[i].recno) << "entry " << i;
      ASSERT_EQ(forward.entries[i].key, want[i].key) << "entry " << i;
    }
    testing::Walk backward = testing::walk(*tag, true);
    ASSERT_TRUE(backward.status.ok()) << backward.status.message();
    std::reverse(backward.entries.begin(), backward.entries.end());
    EXPECT_EQ(backward.entries, forward.entries);
    EXPECT_TRUE(tag->verify().ok());
  }
}

// Seeks of every key, of its trimmed text (a prefix), and of texts between keys,
// against where a scan of the recorded walk says they land.
TEST_P(CdxFixtureTest, SeeksLandWhereTheWalkSays) {
  for (const TagCase& t : GetParam().tags) {
    SCOPED_TRACE(t.name);
    auto tag = testing::open_tag(*file_, t.name, t.type);
    ASSERT_NE(tag, nullptr);
    std::vector<Entry> want = expected(t, tag->format());
    const KeyOrder& order = tag->order();
    const bool desc = tag->descending();
    // Index in `want` of the first / last entry a seek of `p` lands on, as a scan
    // of the walk finds it; want.size() for eof.
    auto cmp = [&](const std::string& key, const std::string& p) {
      return order.compare(key.data(), p.data(), std::min(p.size(), key.size()));
    };
    auto first_at = [&](const std::string& p) {
      for (size_t i = 0; i < want.size(); ++i) {
        int c = cmp(want[i].key, p);
        if (desc ? c <= 0 : c >= 0) return i;
      }
      return want.size();
    };
    auto last_match = [&](const std::string& p) {
      for (size_t i = want.size(); i-- > 0;)
        if (cmp(want[i].key, p) == 0) return i;
      return want.size();
    };
    std::vector<std::string> probes;
    for (size_t i = 0; i < want.size(); i += 7) {
      const std::string& k = want[i].key;
      probes.push_back(k);
      if (t.type == KeyType::kCharacter) {
        std::string trimmed = k.substr(0, k.find_last_not_of(' ') + 1);
        probes.push_back(trimmed);
        if (!trimmed.empty()) {
          probes.push_back(trimmed.substr(0, 1));
          std::string between = trimmed;
          between.back() = static_cast<char>(between.back() + 1);
          probes.push_back(between);
        }
      } else {
        std::string between = k;
        between.back() = static_cast<char>(between.back() + 1);
        probes.push_back(between);
      }
    }
    probes.push_back(std::string(1, '\0'));
    probes.push_back(std::string(tag->key_size(), '\xFF'));
    Cursor c(*tag);
    for (const std::string& p : probes) {
      size_t at = first_at(p);
      bool match = at < want.size() && cmp(want[at].key, p) == 0;
      auto found = c.seek(p);
      ASSERT_TRUE(found.ok()) << found.status().message();
      EXPECT_EQ(*found, match) << "seek '" << p << "'";
      if (at == want.size()) {
        EXPECT_TRUE(c.eof()) << "seek '" << p << "'";
      } else {
        EXPECT_EQ(c.recno(), want[at].recno) << "seek '" << p << "'";
      }
      size_t last = last_match(p);
      auto found_last = c.seek(p, true);
      ASSERT_TRUE(found_last.ok());
      EXPECT_EQ(*found_last, last < want.size());
      if (last < want.size()) {
        EXPECT_EQ(c.recno(), want[last].recno) << "seek last '" << p << "'";
      }
    }
    // find() of exact entries, and of an entry that is not there.
    for (size_t i = 0; i < want.size(); i += 11) {
      auto found = c.find(want[i].key, want[i].recno);
      ASSERT_TRUE(found.ok() && *found);
      EXPECT_EQ(c.recno(), want[i].recno);
      auto missing = c.find(want[i].key, 999999);
      ASSERT_TRUE(missing.ok());
      EXPECT_FALSE(*missing);
    }
  }
}

TEST_P(CdxFixtureTest, PositionsNumberTheWalk) {
  for (const TagCase& t : GetParam().tags) {
    SCOPED_TRACE(t.name);
    auto tag = testing::open_tag(*file_, t.name, t.type);
    ASSERT_NE(tag, nullptr);
    std::vector<Entry> want = expected(t, tag->format());
    Cursor c(*tag);
    for (size_t i = 0; i < want.size(); i += 37) {
      auto on = c.go_to_position(i + 1);
      ASSERT_TRUE(on.ok() && *on) << "position " << i + 1;
      EXPECT_EQ(c.recno(), want[i].recno);
      auto pos = c.position();
      ASSERT_TRUE(pos.ok());
      EXPECT_EQ(*pos, i + 1);
    }
    auto past = c.go_to_position(want.size() + 1);
    ASSERT_TRUE(past.ok());
    EXPECT_FALSE(*past);
    EXPECT_TRUE(c.eof());
  }
}

TEST_P(CdxFixtureTest, BuildingFromTheSameKeysGivesTheSameFile) {
  const FileCase& c = GetParam();
  std::string path = testing::scratch_file("rebuilt.cdx");
  {
    auto file = open_page_file(path, FileOptions{true, false, true});
    ASSERT_TRUE(file.ok()) << file.status().message();
    auto created = CompoundFile::create(std::move(*file));
    ASSERT_TRUE(created.ok()) << created.status().message();
    CompoundFile& cf = **created;
    for (const TagCase& t : c.tags) {
      const TagInfo* info = file_->find(t.name);
      ASSERT_NE(info, nullptr);
      TagDefinition def{
          t.name,   t.key_expr,   t.for_expr, KeyFormat{t.type, info->header.key_size},
          t.unique, t.descending, false};
      Builder b(def, text::weights());
      b.set_record_count(table_->records());
      for (uint32_t r = 1; r <= table_->records(); ++r) {
        if (t.condition && !t.condition(*table_, r)) continue;
        ASSERT_TRUE(b.add(key_of(t, def.format, r), r).ok());
      }
      Status s = b.write(cf);
      ASSERT_TRUE(s.ok()) << s.message();
    }
  }
  std::string ours = testing::read_file(path);
  std::string theirs = testing::read_file(testing::data_path(c.cdx));
  ASSERT_EQ(ours.size(), theirs.size());
  for (size_t at = 0; at < ours.size(); at += 512) {
    ASSERT_EQ(ours.substr(at, 512), theirs.substr(at, 512)) << "page at " << at;
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CdxFixtureTest, ::testing::ValuesIn(cases()),
                         [](const auto& param_info) { return param_info.param.label; });

}  // namespace
}  // namespace codfix::cdx
