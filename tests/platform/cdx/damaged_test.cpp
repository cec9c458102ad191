// Damaged compound files: the classic fixture whose second leaf of tag NOME was
// overwritten, and a table of single defects made in a clean copy. Every operation
// must end with success or the corruption status, never a crash or a hang; some
// operation must report the damage; and whatever does succeed must give the
// answers the clean file gives (no wrong answer in silence).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/cdx/cursor.h"
#include "platform/cdx/page_file.h"
#include "platform/text/codepage.h"
#include "tests/platform/cdx/fixture_support.h"

namespace codfix::cdx {
namespace {

using testing::Entry;

const char* const kTags[] = {"NOME", "CODIGO"};

void put16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}
void put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put32be(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * (3 - i))) & 0xFF);
}

struct Clean {
  std::vector<Entry> walks[2];
};

// The clean fixture's walks, the answers a damaged copy may give or refuse.
const Clean& clean() {
  static const Clean c = [] {
    Clean out;
    auto file = testing::open_compound(testing::data_path("dbf/shapes/CDXMINI.CDX"));
    for (int i = 0; i < 2; ++i) {
      auto tag = testing::open_tag(*file, kTags[i], KeyType::kCharacter);
      out.walks[i] = testing::walk(*tag).entries;
    }
    return out;
  }();
  return c;
}

// Runs every read and a few updates on `path`; true when something reported the
// damage. Other failures than corruption, and answers that differ from the clean
// file's, are test failures.
bool probe(const std::string& path) {
  bool corrupt = false;
  auto note = [&](const Status& s, const char* what) {
    EXPECT_TRUE(s.ok() || s.code() == Code::kCorrupt) << what << ": " << s.message();
    if (!s.ok()) corrupt = true;
    return s.ok();
  };
  auto pages = open_page_file(path, FileOptions{true, false, false});
  EXPECT_TRUE(pages.ok());
  if (!pages.ok()) return false;
  auto opened = CompoundFile::open(std::move(*pages));
  if (!note(opened.ok() ? Status() : opened.status(), "open")) return corrupt;
  CompoundFile& file = **opened;
  note(file.verify(), "verify file");
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(kTags[i]);
    const std::vector<Entry>& want = clean().walks[i];
    auto tag = file.open_tag(kTags[i], KeyType::kCharacter, text::weights());
    if (!note(tag.ok() ? Status() : tag.status(), "open tag")) continue;
    testing::Walk forward = testing::walk(**tag, false, 100000);
    if (note(forward.status, "walk")) {
      EXPECT_EQ(forward.entries, want);
    }
    testing::Walk backward = testing::walk(**tag, true, 100000);
    if (note(backward.status, "walk back")) {
      EXPECT_EQ(backward.entries.size(), want.size());
    }
    auto count = (*tag)->key_count();
    if (note(count.ok() ? Status() : count.status(), "count")) {
      EXPECT_EQ(*count, want.size());
    }
    note((*tag)->verify(), "verify tag");
    Cursor c(**tag);
    for (size_t k = 0; k < want.size(); k += 13) {
      auto found = c.find(want[k].key, want[k].recno);
      if (note(found.ok() ? Status() : found.status(), "find")) {
        EXPECT_TRUE(*found);
        EXPECT_EQ(c.recno(), want[k].recno);
      }
      auto pos = c.position();
      note(pos.ok() ? Status() : pos.status(), "position");
    }
    for (uint32_t r = 1000; r < 1040; ++r) {
      auto added = (*tag)->insert(want.empty() ? std::string() : want[r % want.size()].key, r);
      note(added.ok() ? Status() : added.status(), "insert");
    }
    for (size_t k = 0; k < want.size(); k += 5) {
      auto removed = (*tag)->remove(want[k].key, want[k].recno);
      note(removed.ok() ? Status() : removed.status(), "remove");
    }
  }
  return corrupt;
}

TEST(CdxDamaged, OverwrittenLeafOfTheClassicFixtureIsReported) {
  text::set_code_page(text::CodePage::PT850);
  std::string path = testing::copy_to_scratch(
      testing::data_path("dbf/damaged/cdx-node-overwritten/CDXMINI.CDX"), "CDXMINI.CDX");
  auto file = testing::open_compound(path);
  ASSERT_NE(file, nullptr);
  auto nome = testing::open_tag(*file, "NOME", KeyType::kCharacter);
  ASSERT_NE(nome, nullptr);
  // The classic runtime stops silently after the first leaf (83 of 300 records)
  // and crashes walking back; here both walks end in the corruption status.
  testing::Walk forward = testing::walk(*nome);
  EXPECT_EQ(forward.status.code(), Code::kCorrupt) << forward.entries.size();
  EXPECT_LE(forward.entries.size(), 83u);
  testing::Walk backward = testing::walk(*nome, true);
  EXPECT_EQ(backward.status.code(), Code::kCorrupt);
  EXPECT_EQ(nome->key_count().status().code(), Code::kCorrupt);
  EXPECT_EQ(nome->verify().code(), Code::kCorrupt);
  // The other tag does not share the page and is whole.
  auto codigo = testing::open_tag(*file, "CODIGO", KeyType::kCharacter);
  ASSERT_NE(codigo, nullptr);
  testing::Walk other = testing::walk(*codigo);
  EXPECT_TRUE(other.status.ok());
  EXPECT_EQ(other.entries, clean().walks[1]);
  file.reset();
  nome.reset();
  codigo.reset();
  EXPECT_TRUE(probe(path));
}

struct Defect {
  const char* name;
  std::function<void(std::string&)> apply;
};

void PrintTo(const Defect& d, std::ostream* os) {
  *os << d.name;
}

// CDXMINI.CDX: directory header at 0, directory leaf at 0x400; tag NOME: header
// 0x600, root branch 0xE00 (K = 25, entries of 33 bytes from 0xE0C) over leaves
// 0xA00, 0xC00, 0x1000, 0x1200; tag CODIGO: header 0x1400, root 0x1C00.
const Defect kDefects[] = {
    {"DirectoryRootUnaligned", [](std::string& b) { put32(b, 0, 0x401); }},
    {"DirectoryRootPastTheEnd", [](std::string& b) { put32(b, 0, 0x100000); }},
    {"FileCutToItsHeader", [](std::string& b) { b.resize(1024); }},
    {"FileCutInsideATree", [](std::string& b) { b.resize(0x1100); }},
    {"DirectoryEntryPastTheEnd",
     [](std::string& b) {
       // Entry 0 of the directory leaf: 3 bytes, record number in the low 16 bits.
       b[0x418] = 0;
       b[0x419] = static_cast<char>(0xF0);
     }},
    {"KeyLengthOver240", [](std::string& b) { put16(b, 0x600 + 12, 241); }},
    {"ExpressionsOverlap",
     [](std::string& b) {
       put16(b, 0x600 + 504, 2);
       put16(b, 0x600 + 506, 5);
     }},
    {"ExpressionsLongerThanThePool", [](std::string& b) { put16(b, 0x600 + 510, 600); }},
    {"TagRootUnaligned", [](std::string& b) { put32(b, 0x600, 0xE01); }},
    {"TagRootIsTheDirectoryHeader", [](std::string& b) { put32(b, 0x600, 0); }},
    {"RootAttributeInvalid", [](std::string& b) { put16(b, 0xE00, 0x0104); }},
    {"BranchCountTooHigh", [](std::string& b) { put16(b, 0xE02, 30); }},
    {"BranchCountZero", [](std::string& b) { put16(b, 0xE02, 0); }},
    {"ChildIsItsParent", [](std::string& b) { put32be(b, 0xE0C + 33 + 29, 0xE00); }},
    {"ChildIsTheDirectoryLeaf", [](std::string& b) { put32be(b, 0xE0C + 33 + 29, 0x400); }},
    {"ChildIsAnotherTagsRoot", [](std::string& b) { put32be(b, 0xE0C + 29, 0x1C00); }},
    {"ChildUnaligned", [](std::string& b) { put32be(b, 0xE0C + 29, 0xA10); }},
    {"ChildTwiceInOneBranch", [](std::string& b) { put32be(b, 0xE0C + 33 + 29, 0xA00); }},
    {"BranchKeysOutOfOrder", [](std::string& b) { b.replace(0xE0C, 3, "ZZZ"); }},
    {"SiblingSkipsALeaf", [](std::string& b) { put32(b, 0xA08, 0x1000); }},
    {"SiblingPointsBack", [](std::string& b) { put32(b, 0xC04, 0x1000); }},
    {"LeafCountTooHigh", [](std::string& b) { put16(b, 0xA02, 200); }},
    {"LeafMaskDisagreesWithWidth", [](std::string& b) { put32(b, 0xA0E, 0xFF); }},
    {"LeafWidthsImpossible", [](std::string& b) { b[0xA17] = 1; }},
    {"LeafEntrySharesTooMuch",
     [](std::string& b) {
       // Entry 1: dup and trail both 31 (5 bits each above 14 record bits).
       b[0xA18 + 3 + 2] = static_cast<char>(0xFF);
       b[0xA18 + 3 + 1] = static_cast<char>(b[0xA18 + 3 + 1] | 0xC0);
     }},
    {"LeafRecordZero",
     [](std::string& b) {
       b[0xA18] = 0;
       b[0xA19] = static_cast<char>(b[0xA19] & 0xC0);
     }},
    {"LeafKeysOutOfOrder", [](std::string& b) { b[0xA00 + 510] = '9'; }},
    {"FreeListIntoALiveLeaf", [](std::string& b) { put32(b, 4, 0xA00); }},
    {"FreeListOutsideTheFile", [](std::string& b) { put32(b, 4, 0x7FFFFE00); }},
};

class CdxDefectTest : public ::testing::TestWithParam<Defect> {};

TEST_P(CdxDefectTest, IsReportedAsCorruptionNeverAWrongAnswer) {
  text::set_code_page(text::CodePage::PT850);
  std::string bytes = testing::read_file(testing::data_path("dbf/shapes/CDXMINI.CDX"));
  GetParam().apply(bytes);
  std::string path = testing::scratch_file("CDXMINI.CDX");
  testing::write_file(path, bytes);
  EXPECT_TRUE(probe(path));
}

INSTANTIATE_TEST_SUITE_P(Defects, CdxDefectTest, ::testing::ValuesIn(kDefects),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(CdxDamaged, CleanCopyPassesTheSameProbe) {
  text::set_code_page(text::CodePage::PT850);
  std::string path =
      testing::copy_to_scratch(testing::data_path("dbf/shapes/CDXMINI.CDX"), "CDXMINI.CDX");
  EXPECT_FALSE(probe(path));
}

}  // namespace
}  // namespace codfix::cdx
