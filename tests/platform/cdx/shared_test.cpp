// Two users of one compound file in shared mode (two work areas of one process,
// each with its own handle): each sees the other's updates after taking the lock,
// the update counter (big-endian at offset 8) moves on every write, a cursor finds
// its place again after the tree changed under it, a held write lock keeps the
// other user out, tags added by one are found by the other, and a read-only user
// cannot update.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/cdx/builder.h"
#include "platform/cdx/cursor.h"
#include "platform/cdx/page_file.h"
#include "platform/text/codepage.h"
#include "tests/platform/cdx/fixture_support.h"

namespace codfix::cdx {
namespace {

std::string key_for(int n) {
  std::string k = "K" + std::to_string(10000 + n);
  k.resize(100, ' ');  // a few keys a leaf: many splits
  return k;
}

uint32_t counter_on_disk(const std::string& path) {
  std::string b = testing::read_file(path);
  uint32_t v = 0;
  for (int i = 8; i < 12; ++i) v = (v << 8) | static_cast<uint8_t>(b[i]);
  return v;
}

Status build(CompoundFile& cf, const std::string& name) {
  Builder b(
      TagDefinition{name, "CODIGO", "", KeyFormat{KeyType::kCharacter, 100}, false, false, false},
      text::weights());
  return b.write(cf);
}

TEST(CdxShared, UsersSeeEachOthersUpdatesUnderTheLock) {
  text::set_code_page(text::CodePage::PT850);
  std::string path = testing::scratch_file("shared.cdx");
  {
    auto file = open_page_file(path, FileOptions{true, false, true});
    ASSERT_TRUE(file.ok());
    auto cf = CompoundFile::create(std::move(*file));
    ASSERT_TRUE(cf.ok());
    ASSERT_TRUE(build(**cf, "CODIGO").ok());
  }
  auto fa = testing::open_compound(path, true, true);
  auto fb = testing::open_compound(path, true, true);
  ASSERT_TRUE(fa && fb);
  auto a = testing::open_tag(*fa, "CODIGO", KeyType::kCharacter);
  auto b = testing::open_tag(*fb, "CODIGO", KeyType::kCharacter);
  ASSERT_TRUE(a && b);

  for (int i = 0; i < 40; i += 2) ASSERT_TRUE(a->insert(key_for(i), i + 1).ok());
  Cursor cb(*b);
  ASSERT_TRUE(cb.seek(key_for(10)).ok());
  ASSERT_EQ(cb.recno(), 11u);

  const uint32_t before = counter_on_disk(path);
  for (int i = 1; i < 40; i += 2) ASSERT_TRUE(a->insert(key_for(i), i + 1).ok());
  EXPECT_EQ(counter_on_disk(path), before + 20);
  // Bytes written straight to the file in an operation (a tag header's flags)
  // count as a change too: here the first byte, written again as it is.
  const uint8_t first = static_cast<uint8_t>(testing::read_file(path)[0]);
  ASSERT_TRUE(run_operation(fa->store(), LockMode::kExclusive, [&] {
                return fa->store().write_at(0, &first, 1);
              }).ok());
  EXPECT_EQ(counter_on_disk(path), before + 21);

  // B's cursor moves on from where it was, in the changed tree.
  ASSERT_TRUE(cb.next().ok());
  EXPECT_EQ(cb.recno(), 12u);
  ASSERT_TRUE(cb.prev().ok());
  ASSERT_TRUE(cb.prev().ok());
  EXPECT_EQ(cb.recno(), 10u);
  auto count = b->key_count();
  ASSERT_TRUE(count.ok());
  EXPECT_EQ(*count, 40u);

  // B deletes the entry under A's cursor; A's cursor continues from where it was.
  Cursor ca(*a);
  ASSERT_TRUE(ca.seek(key_for(5)).ok());
  ASSERT_TRUE(b->remove(key_for(5), 6).ok());
  ASSERT_TRUE(b->remove(key_for(0), 1).ok());
  ASSERT_TRUE(ca.next().ok());
  EXPECT_EQ(ca.recno(), 7u);
  ASSERT_TRUE(ca.first().ok());
  EXPECT_EQ(ca.recno(), 2u);

  // While A holds the write lock, B is kept out at once (one process: no waiting).
  ASSERT_TRUE(fa->lock(LockMode::kExclusive).ok());
  EXPECT_EQ(b->key_count().status().code(), Code::kLockError);
  ASSERT_TRUE(a->insert(key_for(100), 101).ok());
  ASSERT_TRUE(a->remove(key_for(1), 2).ok());
  ASSERT_TRUE(fa->unlock().ok());
  count = b->key_count();
  ASSERT_TRUE(count.ok());
  EXPECT_EQ(*count, 38u);

  // A tag added by A is found by B once it reads the directory again.
  ASSERT_TRUE(build(*fa, "OUTRA").ok());
  EXPECT_EQ(fb->find("OUTRA"), nullptr);
  ASSERT_TRUE(fb->reload().ok());
  EXPECT_NE(fb->find("OUTRA"), nullptr);
  EXPECT_TRUE(a->verify().ok());
  EXPECT_TRUE(b->verify().ok());
  EXPECT_TRUE(fb->verify().ok());
}

// What another process (using classic fcntl locks, as the classic tools do) finds
// when it asks whether it could take `type` on one byte at `offset`: F_UNLCK when
// nothing conflicts, else the kind of lock in the way.
int lock_seen_by_other_process(const std::string& path, uint64_t offset, short type) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int fd = ::open(path.c_str(), O_RDWR);
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = 1;
    if (fd < 0 || ::fcntl(fd, F_GETLK, &fl) != 0) ::_exit(100);
    ::_exit(fl.l_type);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CdxShared, TheIndexLockIsOneByteAt7FFFFFFEForOtherProcesses) {
  text::set_code_page(text::CodePage::PT850);
  std::string path =
      testing::copy_to_scratch(testing::data_path("dbf/shapes/CDXMINI.CDX"), "lock.cdx");
  auto cf = testing::open_compound(path, true, true);
  ASSERT_NE(cf, nullptr);
  EXPECT_EQ(lock_seen_by_other_process(path, 0x7FFFFFFE, F_WRLCK), F_UNLCK);
  ASSERT_TRUE(cf->lock(LockMode::kShared).ok());
  EXPECT_EQ(lock_seen_by_other_process(path, 0x7FFFFFFE, F_WRLCK), F_RDLCK);
  EXPECT_EQ(lock_seen_by_other_process(path, 0x7FFFFFFE, F_RDLCK), F_UNLCK);
  ASSERT_TRUE(cf->unlock().ok());
  ASSERT_TRUE(cf->lock(LockMode::kExclusive).ok());
  EXPECT_EQ(lock_seen_by_other_process(path, 0x7FFFFFFE, F_RDLCK), F_WRLCK);
  EXPECT_EQ(lock_seen_by_other_process(path, 0x7FFFFFFD, F_WRLCK), F_UNLCK);
  ASSERT_TRUE(cf->unlock().ok());
  EXPECT_EQ(lock_seen_by_other_process(path, 0x7FFFFFFE, F_WRLCK), F_UNLCK);
}

TEST(CdxShared, ReadOnlyUserCannotUpdate) {
  text::set_code_page(text::CodePage::PT850);
  std::string path =
      testing::copy_to_scratch(testing::data_path("dbf/shapes/CDXMINI.CDX"), "ro.cdx");
  auto cf = testing::open_compound(path, false, true);
  ASSERT_NE(cf, nullptr);
  auto tag = testing::open_tag(*cf, "NOME", KeyType::kCharacter);
  ASSERT_NE(tag, nullptr);
  auto r = tag->insert(std::string(25, 'X'), 1);
  EXPECT_EQ(r.status().code(), Code::kInvalidArgument);
  EXPECT_EQ(cf->delete_tag("NOME").code(), Code::kInvalidArgument);
  testing::Walk w = testing::walk(*tag);
  EXPECT_TRUE(w.status.ok());
  EXPECT_EQ(w.entries.size(), 300u);
}

}  // namespace
}  // namespace codfix::cdx
