// Share modes and byte-range locks between handles of one process and between
// processes, and the memory space.
#include "platform/filelock/handle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/filelock/files.h"
#include "platform/filelock/memory_space.h"
#include "platform/fs/errors.h"
#include "tests/platform/filelock/child_process.h"

namespace codfix::filelock {
namespace {

using codfix::testing::ChildProcess;

class HandleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::path(::testing::TempDir()) /
           (std::string("codfix_filelock_") + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "Table.dbf").string();
    std::ofstream(path_) << "0123456789";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  static Handle open(const std::string& path, bool write, Share share) {
    fs::Result<Handle> h = Handle::open(path, write, share);
    EXPECT_TRUE(h.ok()) << h.error().message();
    return h.ok() ? std::move(*h) : Handle();
  }
  static int open_error(const std::string& path, bool write, Share share) {
    fs::Result<Handle> h = Handle::open(path, write, share);
    return h.ok() ? 0 : h.dos_error();
  }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(HandleTest, OpensIgnoringCaseAndReportsMissingFiles) {
  Handle h = open((dir_ / "TABLE.DBF").string(), false, Share::kShared);
  char buf[4];
  ASSERT_TRUE(h.read_at(2, buf, 4).ok());
  EXPECT_EQ(std::string(buf, 4), "2345");
  EXPECT_EQ(open_error((dir_ / "nada.dbf").string(), false, Share::kShared), 2);
  EXPECT_EQ(open_error((dir_ / "nada" / "x.dbf").string(), false, Share::kShared), 3);
}

TEST_F(HandleTest, ShareModesConflictInsideTheProcess) {
  {
    Handle a = open(path_, true, Share::kShared);
    Handle b = open(path_, true, Share::kShared);  // a second shared open is fine
    EXPECT_EQ(open_error(path_, true, Share::kExclusive), fs::dos::kSharingViolation);
  }
  Handle x = open(path_, true, Share::kExclusive);
  EXPECT_EQ(open_error(path_, false, Share::kShared), fs::dos::kSharingViolation);
  EXPECT_EQ(Handle::create(path_).dos_error(), fs::dos::kSharingViolation);
}

TEST_F(HandleTest, HandlesOfOneProcessConflictLikeProcesses) {
  Handle a = open(path_, true, Share::kShared);
  Handle b = open(path_, true, Share::kShared);
  ASSERT_TRUE(a.lock(1000, 1, LockKind::kWrite, Wait::kNo).ok());
  EXPECT_TRUE(a.lock(1000, 1, LockKind::kWrite, Wait::kNo).ok());  // held already
  EXPECT_EQ(b.lock(1000, 1, LockKind::kWrite, Wait::kNo).dos_error(), fs::dos::kLockViolation);
  // Even a blocking request is refused at once: the holder is this thread.
  EXPECT_EQ(b.lock(1000, 1, LockKind::kRead, Wait::kYes).dos_error(), fs::dos::kLockViolation);
  EXPECT_TRUE(b.lock(1001, 1, LockKind::kWrite, Wait::kNo).ok());
  a.unlock(1000, 1);
  EXPECT_TRUE(b.lock(1000, 1, LockKind::kWrite, Wait::kNo).ok());
  EXPECT_TRUE(b.holds(1000, 1));
  EXPECT_FALSE(a.holds(1000, 1));
  // Read locks share.
  Handle c = open(path_, false, Share::kShared);
  ASSERT_TRUE(c.lock(5000, 1, LockKind::kRead, Wait::kNo).ok());
  EXPECT_TRUE(a.lock(5000, 1, LockKind::kRead, Wait::kNo).ok());
  EXPECT_FALSE(b.lock(5000, 1, LockKind::kWrite, Wait::kNo).ok());
}

TEST_F(HandleTest, ReadOnlyHandlesTakeReadLocksAndCannotWrite) {
  Handle r = open(path_, false, Share::kShared);
  ASSERT_TRUE(r.lock(2000, 1, LockKind::kWrite, Wait::kNo).ok());
  Handle w = open(path_, true, Share::kShared);  // a read-write descriptor joins
  EXPECT_TRUE(w.lock(2000, 1, LockKind::kRead, Wait::kNo).ok());
  EXPECT_FALSE(w.lock(2000, 1, LockKind::kWrite, Wait::kNo).ok());
  EXPECT_EQ(r.write_at(0, "x", 1).dos_error(), fs::dos::kAccessDenied);
  EXPECT_TRUE(w.write_at(0, "x", 1).ok());
}

TEST_F(HandleTest, CreateEmptiesOnlyAfterTakingTheFile) {
  {
    ChildProcess child([&](ChildProcess& self) {
      Handle h = open(path_, false, Share::kShared);
      self.send('R');
      self.receive();
      return 0;
    });
    ASSERT_EQ(child.receive(), 'R');
    fs::Result<Handle> h = Handle::create(path_);
    EXPECT_EQ(h.dos_error(), fs::dos::kSharingViolation);
    EXPECT_EQ(std::filesystem::file_size(path_), 10u);  // untouched
    child.send('Q');
    EXPECT_EQ(child.wait(), 0);
  }
  fs::Result<Handle> h = Handle::create(path_);
  ASSERT_TRUE(h.ok());
  EXPECT_EQ(std::filesystem::file_size(path_), 0u);
}

TEST_F(HandleTest, ShareModesConflictBetweenProcesses) {
  struct Case {
    Share held;
    Share asked;
    bool conflict;
  };
  const Case cases[] = {{Share::kShared, Share::kShared, false},
                        {Share::kShared, Share::kExclusive, true},
                        {Share::kExclusive, Share::kShared, true},
                        {Share::kExclusive, Share::kExclusive, true}};
  for (const Case& c : cases) {
    ChildProcess child([&](ChildProcess& self) {
      Handle h = open(path_, true, c.held);
      self.send(h.is_open() ? 'R' : 'E');
      self.receive();
      return 0;
    });
    ASSERT_EQ(child.receive(), 'R');
    EXPECT_EQ(open_error(path_, true, c.asked), c.conflict ? fs::dos::kSharingViolation : 0);
    child.send('Q');
    EXPECT_EQ(child.wait(), 0);
  }
}

TEST_F(HandleTest, ByteLocksConflictBetweenProcessesAndSurviveOtherCloses) {
  ChildProcess child([&](ChildProcess& self) {
    Handle h = open(path_, true, Share::kShared);
    for (;;) {
      char cmd = self.receive();
      if (cmd == 'L') {
        self.send(h.lock(1'000'000'005, 1, LockKind::kWrite, Wait::kNo).ok() ? 'Y' : 'N');
      } else if (cmd == 'R') {
        self.send(h.lock(1'000'000'005, 1, LockKind::kRead, Wait::kNo).ok() ? 'Y' : 'N');
      } else if (cmd == 'U') {
        h.unlock(1'000'000'005, 1);
        self.send('Y');
      } else {
        return 0;
      }
    }
  });
  Handle a = open(path_, true, Share::kShared);
  ASSERT_TRUE(a.lock(1'000'000'005, 1, LockKind::kWrite, Wait::kNo).ok());
  child.send('L');
  EXPECT_EQ(child.receive(), 'N');
  {
    // Another handle of this process opens and closes the file: a's lock stays.
    Handle b = open(path_, true, Share::kShared);
  }
  child.send('R');
  EXPECT_EQ(child.receive(), 'N');
  a.unlock(1'000'000'005, 1);
  child.send('R');
  EXPECT_EQ(child.receive(), 'Y');
  // The child reads: we may read too, but not write.
  EXPECT_TRUE(a.lock(1'000'000'005, 1, LockKind::kRead, Wait::kNo).ok());
  a.unlock(1'000'000'005, 1);
  EXPECT_EQ(a.lock(1'000'000'005, 1, LockKind::kWrite, Wait::kNo).dos_error(),
            fs::dos::kLockViolation);
  child.send('U');
  EXPECT_EQ(child.receive(), 'Y');
  EXPECT_TRUE(a.lock(1'000'000'005, 1, LockKind::kWrite, Wait::kNo).ok());
  child.send('Q');
  EXPECT_EQ(child.wait(), 0);
}

TEST_F(HandleTest, BlockingLockWaitsForTheOtherProcess) {
  ChildProcess child([&](ChildProcess& self) {
    Handle h = open(path_, true, Share::kShared);
    if (!h.lock(1'000'000'000, 1, LockKind::kWrite, Wait::kNo).ok()) return 1;
    self.send('R');
    self.receive();  // the parent is about to wait
    usleep(100 * 1000);
    h.unlock(1'000'000'000, 1);
    return 0;
  });
  Handle a = open(path_, true, Share::kShared);
  ASSERT_EQ(child.receive(), 'R');
  EXPECT_FALSE(a.lock(1'000'000'000, 1, LockKind::kWrite, Wait::kNo).ok());
  child.send('G');
  EXPECT_TRUE(a.lock(1'000'000'000, 1, LockKind::kWrite, Wait::kYes).ok());
  EXPECT_EQ(child.wait(), 0);
}

TEST(MemorySpace, FilesLiveInMemoryWithinTheCapacity) {
  MemorySpace& space = MemorySpace::instance();
  space.clear();
  const uint64_t capacity = space.capacity();
  space.set_capacity(1000);
  {
    fs::Result<Handle> h = Handle::create("mem:Temp1.dbf");
    ASSERT_TRUE(h.ok());
    EXPECT_TRUE(h->is_memory());
    ASSERT_TRUE(h->write_at(0, std::string(600, 'x').data(), 600).ok());
    EXPECT_EQ(h->write_at(600, std::string(600, 'y').data(), 600).dos_error(), kNoServerStorage);
    EXPECT_EQ(remove_file("MEM:TEMP1.DBF").dos_error(), fs::dos::kSharingViolation);
    // Locks between handles of memory files work as for disk files.
    fs::Result<Handle> other = Handle::open("MEM:TEMP1.DBF", true, Share::kShared);
    EXPECT_EQ(other.dos_error(), fs::dos::kSharingViolation);  // created exclusive
  }
  EXPECT_TRUE(file_exists("MEM:temp1.DBF"));
  EXPECT_EQ(*file_size("MEM:TEMP1.DBF"), 600u);
  space.set_capacity(600);
  EXPECT_EQ(Handle::create("MEM:TEMP2.DBF").dos_error(), kNoServerStorage);
  EXPECT_TRUE(remove_file("MEM:TEMP1.DBF").ok());
  EXPECT_TRUE(Handle::create("MEM:TEMP2.DBF").ok());
  EXPECT_EQ(Handle::open("MEM:NADA.DBF", false, Share::kShared).dos_error(), 2);
  space.clear();
  space.set_capacity(capacity);
}

}  // namespace
}  // namespace codfix::filelock
