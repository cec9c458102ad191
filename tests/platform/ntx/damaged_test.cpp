// Damaged index files give a corruption status, never a crash, a hang or a silent
// wrong walk: the three damaged fixtures written by the classic tools, and a table
// of single defects applied to an index we build.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/ntx/builder.h"
#include "platform/ntx/cursor.h"
#include "platform/ntx/index.h"
#include "platform/text/codepage.h"
#include "tests/platform/ntx/fixture_support.h"

namespace codfix::ntx {
namespace {

// Runs every read and update an engine would; returns the first failure seen (the
// walks are bounded, so a loop shows as a count past the number of keys).
Status exercise(const std::string& path, size_t keys_at_most) {
  auto file = open_page_file(path, FileOptions{true, false, false});
  if (!file.ok()) return file.status();
  auto opened = Index::open(std::move(*file), text::weights());
  if (!opened.ok()) return opened.status();
  Index& index = **opened;
  Cursor c(index);
  size_t seen = 0;
  for (Status s = c.first(); c.on_key() || !s.ok(); s = c.next()) {
    if (!s.ok()) return s;
    if (++seen > keys_at_most) return Status(Code::kOk, "walk did not end");
  }
  seen = 0;
  for (Status s = c.last(); c.on_key() || !s.ok(); s = c.prev()) {
    if (!s.ok()) return s;
    if (++seen > keys_at_most) return Status(Code::kOk, "backward walk did not end");
  }
  for (const char* probe : {"A", "M", "Z", "\xb5", "a"}) {
    auto found = c.seek(probe);
    if (!found.ok()) return found.status();
  }
  auto count = index.key_count();
  if (!count.ok()) return count.status();
  Status v = index.verify();
  if (!v.ok()) return v;
  std::string key(index.key_size(), 'M');
  auto added = index.insert(key, 999);
  if (!added.ok()) return added.status();
  auto removed = index.remove(key, 999);
  if (!removed.ok()) return removed.status();
  return {};
}

TEST(DamagedFixtures, EveryClassicDamagedIndexIsReportedCorrupt) {
  text::set_code_page(text::CodePage::PT850);
  for (const char* name : {"ntx-item-count", "ntx-page-loop", "ntx-root-unaligned"}) {
    std::string path = testing::copy_to_scratch(
        testing::data_path(std::string("ntx/damaged/") + name + "/PLANO03.NTX"),
        std::string(name) + ".ntx");
    Status s = exercise(path, 80);
    EXPECT_EQ(s.code(), Code::kCorrupt) << name << ": " << s.message();
  }
  // The clean original passes everything.
  std::string clean =
      testing::copy_to_scratch(testing::data_path("ntx/shapes/PLANO03.NTX"), "clean.ntx");
  Status s = exercise(clean, 81);
  EXPECT_TRUE(s.ok()) << s.message();
}

// A three-level index (key size 150: four keys a page) and the offsets of its pages.
struct Built {
  std::string bytes;
  uint32_t root;
};

Built build_small(const std::string& path) {
  Definition def{"NOME", "", "", 150, 0, false, false, false, false};
  Builder b(def, text::weights());
  for (uint32_t r = 1; r <= 60; ++r) {
    std::string key = "K" + std::to_string(1000 + r * 7 % 60);
    key.resize(150, ' ');
    EXPECT_TRUE(b.add(key, r).ok());
  }
  auto file = open_page_file(path, FileOptions{true, false, true});
  EXPECT_TRUE(file.ok());
  EXPECT_TRUE(b.write(**file).ok());
  file->reset();
  Built out{testing::read_file(path), 0};
  std::memcpy(&out.root, out.bytes.data() + 4, 4);
  return out;
}

void put16(std::string& b, size_t at, uint16_t v) {
  std::memcpy(&b[at], &v, 2);
}
void put32(std::string& b, size_t at, uint32_t v) {
  std::memcpy(&b[at], &v, 4);
}
uint16_t get16(const std::string& b, size_t at) {
  uint16_t v;
  std::memcpy(&v, &b[at], 2);
  return v;
}
uint32_t get32(const std::string& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
// File offset of item i of the page at `page` (M = 4).
size_t item_at(const std::string& b, uint32_t page, unsigned i) {
  return page + get16(b, page + 2 + 2 * i);
}

struct Defect {
  const char* name;
  std::function<void(std::string&, uint32_t root)> apply;
};

TEST(DamagedIndex, EachSingleDefectIsReportedCorrupt) {
  text::set_code_page(text::CodePage::PT850);
  const std::vector<Defect> defects = {
      {"child outside the file",
       [](std::string& b, uint32_t root) { put32(b, item_at(b, root, 0), 1024 * 900); }},
      {"child not page-aligned",
       [](std::string& b, uint32_t root) { put32(b, item_at(b, root, 0), 1024 + 100); }},
      {"child is the header",
       [](std::string& b, uint32_t root) {
         uint32_t child = get32(b, item_at(b, root, 0));
         put32(b, item_at(b, child, 1), 0);
       }},
      {"child loops to the root",
       [](std::string& b, uint32_t root) {
         uint32_t child = get32(b, item_at(b, root, 1));
         put32(b, item_at(b, child, 0), root);
       }},
      {"two parents share a child",
       [](std::string& b, uint32_t root) {
         uint32_t left = get32(b, item_at(b, root, 0));
         uint32_t right = get32(b, item_at(b, root, 1));
         put32(b, item_at(b, right, 0), get32(b, item_at(b, left, 0)));
       }},
      {"key count above the maximum",
       [](std::string& b, uint32_t root) {
         uint32_t child = get32(b, item_at(b, root, 0));
         put16(b, child, 9);
       }},
      {"item offset outside the page",
       [](std::string& b, uint32_t root) { put16(b, root + 2, 1020); }},
      {"two entries on one slot",
       [](std::string& b, uint32_t root) { put16(b, root + 4, get16(b, root + 2)); }},
      {"keys out of order",
       [](std::string& b, uint32_t root) {
         uint32_t leaf = get32(b, item_at(b, get32(b, item_at(b, root, 0)), 0));
         b[item_at(b, leaf, 0) + 8] = 'Z';
       }},
      {"leaf keys outside their parent's range",
       [](std::string& b, uint32_t root) {
         uint32_t mid = get32(b, item_at(b, root, 0));
         uint32_t leaf = get32(b, item_at(b, mid, 1));
         for (unsigned i = 0; i < 2; ++i) b[item_at(b, leaf, i) + 8] = 'A';
       }},
      {"leaves at different depths",
       [](std::string& b, uint32_t root) {
         uint32_t mid = get32(b, item_at(b, root, 0));
         uint32_t leaf = get32(b, item_at(b, mid, 0));
         put32(b, item_at(b, root, 0), leaf);
       }},
      {"file cut short", [](std::string& b, uint32_t) { b.resize(b.size() - 3000); }},
      {"root outside the file", [](std::string& b, uint32_t) { put32(b, 4, 1024 * 500); }},
      {"no signature", [](std::string& b, uint32_t) { put16(b, 0, 0x0100); }},
      {"item size not key size + 8", [](std::string& b, uint32_t) { put16(b, 12, 20); }},
      {"more keys per page than fit", [](std::string& b, uint32_t) { put16(b, 18, 40); }},
      {"free list outside the file", [](std::string& b, uint32_t) { put32(b, 8, 1024 * 700); }},
      {"empty key expression", [](std::string& b, uint32_t) { b[22] = '\0'; }},
  };
  for (const Defect& d : defects) {
    std::string path = testing::scratch_file("defect.ntx");
    Built built = build_small(path);
    ASSERT_TRUE(exercise(path, 60).ok()) << "clean copy";
    built = build_small(path);
    d.apply(built.bytes, built.root);
    {
      std::FILE* f = std::fopen(path.c_str(), "wb");
      ASSERT_NE(f, nullptr);
      std::fwrite(built.bytes.data(), 1, built.bytes.size(), f);
      std::fclose(f);
    }
    Status s = exercise(path, 60);
    EXPECT_EQ(s.code(), Code::kCorrupt) << d.name << ": " << s.message();
  }
}

}  // namespace
}  // namespace codfix::ntx
