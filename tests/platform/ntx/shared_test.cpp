// Two users of one index file in shared mode (two work areas of one process, each
// with its own handle): each sees the other's updates after taking the lock, the
// update counter moves on every write, a cursor finds its place again after the
// tree changed under it, and a held write lock keeps the other user out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ntx/builder.h"
#include "platform/ntx/cursor.h"
#include "platform/ntx/index.h"
#include "platform/text/codepage.h"
#include "tests/platform/ntx/fixture_support.h"

namespace codfix::ntx {
namespace {

std::string key_for(int n) {
  std::string k = "K" + std::to_string(10000 + n);
  k.resize(100, ' ');  // eight keys a page: many splits
  return k;
}

uint16_t version_on_disk(const std::string& path) {
  std::string bytes = testing::read_file(path);
  uint16_t v;
  std::memcpy(&v, bytes.data() + 2, 2);
  return v;
}

TEST(SharedIndex, UsersSeeEachOthersUpdatesUnderTheLock) {
  text::set_code_page(text::CodePage::PT850);
  std::string path = testing::scratch_file("shared.ntx");
  {
    auto file = open_page_file(path, FileOptions{true, false, true});
    ASSERT_TRUE(file.ok());
    Definition def{"CODIGO", "", "", 100, 0, false, false, false, false};
    ASSERT_TRUE(Index::create(std::move(*file), def, text::weights()).ok());
  }
  auto a = testing::open_index(path, text::weights(), true, true);
  auto b = testing::open_index(path, text::weights(), true, true);
  ASSERT_TRUE(a && b);

  for (int i = 0; i < 40; i += 2) ASSERT_TRUE(a->insert(key_for(i), i + 1).ok());
  Cursor cb(*b);
  ASSERT_TRUE(cb.seek(key_for(10)).ok());
  ASSERT_EQ(cb.recno(), 11u);

  uint16_t before = version_on_disk(path);
  for (int i = 1; i < 40; i += 2) ASSERT_TRUE(a->insert(key_for(i), i + 1).ok());
  EXPECT_EQ(version_on_disk(path), static_cast<uint16_t>(before + 20));

  // B's cursor moves on from where it was, in the changed tree.
  ASSERT_TRUE(cb.next().ok());
  EXPECT_EQ(cb.recno(), 12u);
  ASSERT_TRUE(cb.prev().ok());
  ASSERT_TRUE(cb.prev().ok());
  EXPECT_EQ(cb.recno(), 10u);
  auto count = b->key_count();
  ASSERT_TRUE(count.ok());
  EXPECT_EQ(*count, 40u);

  // B deletes; A sees it.
  ASSERT_TRUE(b->remove(key_for(0), 1).ok());
  Cursor ca(*a);
  ASSERT_TRUE(ca.first().ok());
  EXPECT_EQ(ca.recno(), 2u);

  // While A holds the write lock, B is kept out at once (one process: no waiting).
  ASSERT_TRUE(a->lock(LockMode::kExclusive).ok());
  auto blocked = b->key_count();
  EXPECT_EQ(blocked.status().code(), Code::kLockError);
  ASSERT_TRUE(a->insert(key_for(100), 101).ok());
  ASSERT_TRUE(a->remove(key_for(1), 2).ok());
  ASSERT_TRUE(a->unlock().ok());
  count = b->key_count();
  ASSERT_TRUE(count.ok());
  EXPECT_EQ(*count, 39u);
  EXPECT_TRUE(a->verify().ok());
  EXPECT_TRUE(b->verify().ok());
}

TEST(SharedIndex, ReadOnlyUserCannotUpdate) {
  text::set_code_page(text::CodePage::PT850);
  std::string path =
      testing::copy_to_scratch(testing::data_path("ntx/shapes/PLANO03.NTX"), "ro.ntx");
  auto index = testing::open_index(path, text::weights(), false, true);
  ASSERT_TRUE(index);
  std::string key(index->key_size(), 'X');
  EXPECT_EQ(index->insert(key, 5).status().code(), Code::kInvalidArgument);
  auto count = index->key_count();
  ASSERT_TRUE(count.ok());
  EXPECT_EQ(*count, 80u);
}

}  // namespace
}  // namespace codfix::ntx
