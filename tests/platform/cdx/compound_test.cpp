// Compound files made and changed by this library: a new file's exact bytes, tags
// added to an existing file and listed in creation order, a tag replaced by one of
// the same name, tags deleted with their pages reused, an empty tag, the checks on
// names and expressions, FOR and unique options in the header, and a damaged free
// list that is reported and never hands out a page twice.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/cdx/builder.h"
#include "platform/cdx/cursor.h"
#include "platform/cdx/key_codec.h"
#include "platform/cdx/layout.h"
#include "platform/cdx/page_file.h"
#include "platform/text/codepage.h"
#include "tests/platform/cdx/fixture_support.h"

namespace codfix::cdx {
namespace {

std::unique_ptr<CompoundFile> create(const std::string& path) {
  auto file = open_page_file(path, FileOptions{true, false, true});
  EXPECT_TRUE(file.ok()) << file.status().message();
  auto cf = CompoundFile::create(std::move(*file));
  EXPECT_TRUE(cf.ok()) << cf.status().message();
  return cf.ok() ? std::move(*cf) : nullptr;
}

std::string text_key(const std::string& s, size_t k) {
  std::string out = s;
  out.resize(k, ' ');
  return out;
}

// A character tag of `n` keys "K<i>" (record i), width 10.
Status add_tag(CompoundFile& cf, const std::string& name, int n, const std::string& for_expr = "",
               bool unique = false) {
  Builder b(TagDefinition{name, "CODIGO", for_expr, KeyFormat{KeyType::kCharacter, 10}, unique,
                          false, false},
            text::weights());
  for (int i = 1; i <= n; ++i)
    if (!b.add(text_key("K" + std::to_string(i % 1000), 10), static_cast<uint32_t>(i)).ok())
      return Status::invalid("add");
  return b.write(cf);
}

uint32_t le32_at(const std::string& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

class CdxCompoundTest : public ::testing::Test {
 protected:
  void SetUp() override { text::set_code_page(text::CodePage::PT850); }
};

TEST_F(CdxCompoundTest, NewFileHasTheDirectoryAndAnEmptyLeaf) {
  std::string path = testing::scratch_file("new.cdx");
  auto cf = create(path);
  ASSERT_NE(cf, nullptr);
  EXPECT_TRUE(cf->tags().empty());
  EXPECT_TRUE(cf->verify().ok());
  cf.reset();
  std::string b = testing::read_file(path);
  ASSERT_EQ(b.size(), 1536u);
  // Root 1024, no free page, counter 0, key length 10, options E0, signature 1, the
  // lengths and the marker, FOR position 1, lengths 1 and 1.
  EXPECT_EQ(le32_at(b, 0), 1024u);
  EXPECT_EQ(le32_at(b, 4), 0u);
  EXPECT_EQ(le32_at(b, 8), 0u);
  EXPECT_EQ(b.substr(12, 12), std::string("\x0A\x00\xE0\x01\x00\x04\x00\x02RCHB", 12));
  EXPECT_EQ(b.substr(502, 10), std::string("\0\0\1\0\1\0\0\0\1\0", 10));
  // The empty root leaf: attr 3, no keys, no siblings, 488 free, widths for 10.
  EXPECT_EQ(b.substr(1024, 24),
            std::string("\x03\x00\x00\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xE8\x01\xFF\xFF\x00\x00"
                        "\x0F\x0F\x10\x04\x04\x03",
                        24));
}

TEST_F(CdxCompoundTest, TagsAreListedInCreationOrderAndFoundIgnoringCase) {
  std::string path = testing::scratch_file("tags.cdx");
  auto cf = create(path);
  ASSERT_NE(cf, nullptr);
  ASSERT_TRUE(add_tag(*cf, "zeta", 50).ok());
  ASSERT_TRUE(add_tag(*cf, "ALFA", 50, "ATIVO").ok());
  ASSERT_TRUE(add_tag(*cf, "Meio", 50, "", true).ok());
  cf.reset();
  cf = testing::open_compound(path, true);
  ASSERT_NE(cf, nullptr);
  ASSERT_EQ(cf->tags().size(), 3u);
  EXPECT_EQ(cf->tags()[0].name, "ZETA");
  EXPECT_EQ(cf->tags()[1].name, "ALFA");
  EXPECT_EQ(cf->tags()[2].name, "MEIO");
  EXPECT_EQ(cf->tags()[1].header.for_expr, "ATIVO");
  EXPECT_EQ(cf->tags()[1].header.options, 0x68);
  EXPECT_EQ(cf->tags()[2].header.options, 0x61);
  EXPECT_EQ(cf->tags()[0].header.options, 0x60);
  EXPECT_NE(cf->find(" alfa "), nullptr);
  EXPECT_EQ(cf->find("BETA"), nullptr);
  // Unique: "K1".."K49" and "K50": 50 distinct keys anyway.
  auto tag = testing::open_tag(*cf, "meio", KeyType::kCharacter);
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(*tag->key_count(), 50u);
  EXPECT_TRUE(cf->verify().ok());
  // A tag of another key type than its length allows is refused as corrupt.
  auto wrong = cf->open_tag("ZETA", KeyType::kNumeric, nullptr);
  EXPECT_EQ(wrong.status().code(), Code::kCorrupt);
  auto none = cf->open_tag("BETA", KeyType::kCharacter, nullptr);
  EXPECT_EQ(none.status().code(), Code::kInvalidArgument);
}

TEST_F(CdxCompoundTest, DeletedTagsFreeTheirPagesForLaterUse) {
  std::string path = testing::scratch_file("delete.cdx");
  auto cf = create(path);
  ASSERT_NE(cf, nullptr);
  ASSERT_TRUE(add_tag(*cf, "A", 2000).ok());
  ASSERT_TRUE(add_tag(*cf, "B", 2000).ok());
  auto a = testing::open_tag(*cf, "A", KeyType::kCharacter);
  ASSERT_NE(a, nullptr);
  const size_t size = testing::read_file(path).size();
  ASSERT_TRUE(cf->delete_tag("b").ok());
  EXPECT_EQ(cf->tags().size(), 1u);
  EXPECT_EQ(cf->delete_tag("B").code(), Code::kInvalidArgument);
  EXPECT_TRUE(cf->verify().ok());
  EXPECT_NE(le32_at(testing::read_file(path), 4), 0u);  // a free-list head
  // Inserts into A take pages from the free list: the file does not grow.
  for (int i = 0; i < 500; ++i)
    ASSERT_TRUE(a->insert(text_key("N" + std::to_string(i), 10), 5000 + i).ok());
  EXPECT_EQ(testing::read_file(path).size(), size);
  EXPECT_TRUE(a->verify().ok());
  EXPECT_TRUE(cf->verify().ok());
  EXPECT_EQ(*a->key_count(), 2500u);
  // A deleted tag's object refuses to work.
  ASSERT_TRUE(cf->delete_tag("A").ok());
  EXPECT_EQ(a->key_count().status().code(), Code::kInvalidArgument);
  Cursor c(*a);
  EXPECT_FALSE(c.first().ok());
}

TEST_F(CdxCompoundTest, ATagOfTheSameNameIsReplaced) {
  std::string path = testing::scratch_file("replace.cdx");
  auto cf = create(path);
  ASSERT_NE(cf, nullptr);
  ASSERT_TRUE(add_tag(*cf, "A", 300).ok());
  ASSERT_TRUE(add_tag(*cf, "B", 10).ok());
  ASSERT_TRUE(add_tag(*cf, "A", 20).ok());
  ASSERT_EQ(cf->tags().size(), 2u);
  EXPECT_EQ(cf->tags()[0].name, "B");
  EXPECT_EQ(cf->tags()[1].name, "A");
  auto a = testing::open_tag(*cf, "A", KeyType::kCharacter);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(*a->key_count(), 20u);
  EXPECT_TRUE(cf->verify().ok());
  cf.reset();
  auto again = testing::open_compound(path);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->tags().size(), 2u);
}

TEST_F(CdxCompoundTest, AnEmptyTagIsOneEmptyRootLeafAfterItsHeader) {
  std::string path = testing::scratch_file("empty.cdx");
  auto cf = create(path);
  ASSERT_NE(cf, nullptr);
  ASSERT_TRUE(add_tag(*cf, "VAZIO", 0).ok());
  std::string b = testing::read_file(path);
  ASSERT_EQ(b.size(), 1536u + 1024u + 512u);
  EXPECT_EQ(le32_at(b, 1536), 2560u);  // root right after the header
  EXPECT_EQ(b.substr(2560, 2), std::string("\x03\x00", 2));
  auto tag = testing::open_tag(*cf, "VAZIO", KeyType::kCharacter);
  ASSERT_NE(tag, nullptr);
  Cursor c(*tag);
  ASSERT_TRUE(c.first().ok());
  EXPECT_TRUE(c.eof());
  ASSERT_TRUE(c.last().ok());
  EXPECT_TRUE(c.bof());
  auto found = c.seek("K");
  ASSERT_TRUE(found.ok());
  EXPECT_FALSE(*found);
  EXPECT_TRUE(c.eof());
  ASSERT_TRUE(tag->insert(text_key("X", 10), 7).ok());
  ASSERT_TRUE(c.first().ok());
  EXPECT_EQ(c.recno(), 7u);
}

TEST_F(CdxCompoundTest, NamesAndExpressionsAreChecked) {
  std::string path = testing::scratch_file("checks.cdx");
  auto cf = create(path);
  ASSERT_NE(cf, nullptr);
  struct Bad {
    const char* what;
    TagDefinition def;
  };
  const KeyFormat c10{KeyType::kCharacter, 10};
  const Bad bad[] = {
      {"empty name", {"", "CODIGO", "", c10, false, false, false}},
      {"name too long", {"ABCDEFGHIJK", "CODIGO", "", c10, false, false, false}},
      {"empty key", {"T", "  ", "", c10, false, false, false}},
      {"511 bytes of expressions",
       {"T", std::string(300, 'A'), std::string(211, 'B'), c10, false, false, false}},
      {"key of 241 bytes",
       {"T", "X", "", KeyFormat{KeyType::kCharacter, 241}, false, false, false}},
      {"numeric key of 4 bytes",
       {"T", "X", "", KeyFormat{KeyType::kNumeric, 4}, false, false, false}},
      {"date key of 10 bytes", {"T", "X", "", KeyFormat{KeyType::kDate, 10}, false, false, false}},
  };
  for (const Bad& b : bad) {
    Builder builder(b.def, text::weights());
    EXPECT_EQ(builder.write(*cf).code(), Code::kInvalidArgument) << b.what;
  }
  EXPECT_TRUE(cf->tags().empty());
  // 510 bytes together fit; the texts are stored trimmed.
  Builder fits(TagDefinition{"T", "  " + std::string(300, 'A'), std::string(210, 'B') + " ", c10,
                             false, false, false},
               text::weights());
  ASSERT_TRUE(fits.write(*cf).ok());
  EXPECT_EQ(cf->tags()[0].header.key_expr, std::string(300, 'A'));
  EXPECT_EQ(cf->tags()[0].header.for_expr, std::string(210, 'B'));
  Builder wrong_size(TagDefinition{"U", "X", "", c10, false, false, false}, nullptr);
  EXPECT_EQ(wrong_size.add("SHORT", 1).code(), Code::kInvalidArgument);
  EXPECT_EQ(wrong_size.add(text_key("OK", 10), 0).code(), Code::kInvalidArgument);
}

TEST_F(CdxCompoundTest, ManyTagsGrowTheDirectoryIntoATree) {
  std::string path = testing::scratch_file("many.cdx");
  auto cf = create(path);
  ASSERT_NE(cf, nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < 150; ++i) {
    names.push_back("TAG" + std::to_string(1000000 + (i * 7919) % 1000000));
    ASSERT_TRUE(add_tag(*cf, names.back(), i % 5).ok()) << i;
  }
  ASSERT_TRUE(cf->verify().ok());
  for (size_t i = 0; i < names.size(); i += 3) ASSERT_TRUE(cf->delete_tag(names[i]).ok());
  cf.reset();
  cf = testing::open_compound(path, true);
  ASSERT_NE(cf, nullptr);
  EXPECT_TRUE(cf->verify().ok());
  std::vector<std::string> listed, want;
  for (const TagInfo& t : cf->tags()) listed.push_back(t.name);
  for (size_t i = 0; i < names.size(); ++i)
    if (i % 3 != 0) want.push_back(names[i]);
  EXPECT_EQ(listed, want);  // creation order
  auto tag = testing::open_tag(*cf, names[149], KeyType::kCharacter);
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(*tag->key_count(), 4u);
}

TEST_F(CdxCompoundTest, FreeListLoopIsReportedAndNeverHandsOutAPageTwice) {
  std::string path = testing::scratch_file("loop.cdx");
  {
    auto cf = create(path);
    ASSERT_NE(cf, nullptr);
    ASSERT_TRUE(add_tag(*cf, "A", 10).ok());
    ASSERT_TRUE(add_tag(*cf, "B", 500).ok());
    ASSERT_TRUE(cf->delete_tag("B").ok());
  }
  std::string b = testing::read_file(path);
  const uint32_t head = le32_at(b, 4);
  ASSERT_NE(head, 0u);
  std::memcpy(b.data() + head, &head, 4);  // the first free page points at itself
  testing::write_file(path, b);
  auto cf = testing::open_compound(path, true);
  ASSERT_NE(cf, nullptr);
  EXPECT_EQ(cf->verify().code(), Code::kCorrupt);
  auto a = testing::open_tag(*cf, "A", KeyType::kCharacter);
  ASSERT_NE(a, nullptr);
  for (int i = 0; i < 400; ++i)
    ASSERT_TRUE(a->insert(text_key("L" + std::to_string(i), 10), 100 + i).ok());
  EXPECT_TRUE(a->verify().ok());
  EXPECT_EQ(*a->key_count(), 410u);
}

}  // namespace
}  // namespace codfix::cdx
