// Two processes of ours on one table: share modes, record locks, the file lock and
// the append lock, and what each sees of the other's appends and changes.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/dbf/table.h"
#include "platform/dbf/work_areas.h"
#include "platform/expr/expr.h"
#include "platform/filelock/handle.h"
#include "platform/fs/errors.h"
#include "tests/platform/dbf/dbf_test_support.h"
#include "tests/platform/filelock/child_process.h"

namespace codfix::dbf {
namespace {

using codfix::testing::ChildProcess;

class SharingTest : public testing::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    Failure f;
    std::unique_ptr<Table> t =
        Table::create(at("T.DBF"), {{"NOME", 'C', 10, 0}, {"N", 'N', 5, 0}}, "DBFNTX", f);
    ASSERT_TRUE(t);
    for (int i = 0; i < 3; ++i) {
      ASSERT_FALSE(t->append_blank());
      ASSERT_FALSE(t->put(1, Value(i + 1)));
    }
    ASSERT_FALSE(t->close());
  }
  std::unique_ptr<Table> open(bool exclusive, Failure& f, bool read_only = false) {
    OpenOptions o;
    o.exclusive = exclusive;
    o.read_only = read_only;
    return Table::open(at("T.DBF"), o, f);
  }
  // A child holding the table open in a mode and obeying one-letter commands:
  // r<k> lock record k, f file lock, a append, u unlock all, q quit. Each answer
  // is 'Y' or 'N'.
  ChildProcess holder(bool exclusive) {
    return ChildProcess([this, exclusive](ChildProcess& self) {
      Failure f;
      std::unique_ptr<Table> t = open(exclusive, f);
      self.send(t ? 'R' : 'E');
      if (!t) return 1;
      for (;;) {
        char c = self.receive();
        bool granted = false;
        if (c == 'r') {
          uint32_t k = static_cast<uint32_t>(self.receive() - '0');
          f = t->lock_record(k, false, granted);
        } else if (c == 'f') {
          f = t->lock_file(granted);
        } else if (c == 'a') {
          f = t->append_blank();
          granted = !f;
          if (granted) f = t->put(0, Value("filho"));
          if (!f) f = t->flush();
        } else if (c == 'u') {
          f = t->unlock_all();
          granted = !f;
        } else {
          return 0;
        }
        self.send(granted ? 'Y' : 'N');
      }
    });
  }
};

TEST_F(SharingTest, ExclusiveAndSharedOpensExcludeEachOther) {
  struct Case {
    bool held_exclusive;
    bool asked_exclusive;
    bool conflict;
  };
  for (const Case& c : {Case{false, false, false}, Case{false, true, true}, Case{true, false, true},
                        Case{true, true, true}}) {
    ChildProcess child = holder(c.held_exclusive);
    ASSERT_EQ(child.receive(), 'R');
    Failure f;
    std::unique_ptr<Table> t = open(c.asked_exclusive, f);
    EXPECT_EQ(t == nullptr, c.conflict);
    if (c.conflict) {
      EXPECT_EQ(f.gencode, 21);
      EXPECT_EQ(f.subcode, 1001);
      EXPECT_EQ(f.oscode, 32);
    }
    t.reset();
    child.send('q');
    EXPECT_EQ(child.wait(), 0);
  }
}

TEST_F(SharingTest, RecordLocksAgainstRecordLocks) {
  ChildProcess child = holder(false);
  ASSERT_EQ(child.receive(), 'R');
  Failure f;
  std::unique_ptr<Table> t = open(false, f);
  ASSERT_TRUE(t);
  child.send('r');
  child.send('2');
  ASSERT_EQ(child.receive(), 'Y');
  bool granted = true;
  ASSERT_FALSE(t->lock_record(2, true, granted));
  EXPECT_FALSE(granted);
  ASSERT_FALSE(t->lock_record(1, true, granted));
  EXPECT_TRUE(granted);
  ASSERT_FALSE(t->lock_file(granted));  // the child still holds record 2
  EXPECT_FALSE(granted);
  // Changing a record without its lock is refused.
  ASSERT_FALSE(t->go(3));
  EXPECT_EQ(t->put(0, Value("x")).gencode, 38);
  child.send('u');
  ASSERT_EQ(child.receive(), 'Y');
  ASSERT_FALSE(t->lock_record(2, true, granted));
  EXPECT_TRUE(granted);
  child.send('r');
  child.send('2');
  EXPECT_EQ(child.receive(), 'N');
  child.send('q');
  EXPECT_EQ(child.wait(), 0);
}

TEST_F(SharingTest, AppendLockFailsWhileAnotherHoldsTheFileLock) {
  ChildProcess child = holder(false);
  ASSERT_EQ(child.receive(), 'R');
  Failure f;
  std::unique_ptr<Table> t = open(false, f);
  ASSERT_TRUE(t);
  child.send('f');
  ASSERT_EQ(child.receive(), 'Y');
  f = t->append_blank();
  EXPECT_EQ(f.gencode, 40);
  EXPECT_EQ(f.subcode, 1024);
  uint32_t n = 0;
  ASSERT_FALSE(t->count(n));
  EXPECT_EQ(n, 3u);  // nothing written
  // The child appends under its file lock; we see the new record.
  child.send('a');
  ASSERT_EQ(child.receive(), 'Y');
  ASSERT_FALSE(t->count(n));
  EXPECT_EQ(n, 4u);
  ASSERT_FALSE(t->go(4));
  EXPECT_EQ(t->field_bytes(0), "filho     ");
  child.send('u');
  ASSERT_EQ(child.receive(), 'Y');
  // Now we append; the child cannot lock our new record, which stays locked.
  ASSERT_FALSE(t->append_blank());
  EXPECT_EQ(t->recno(), 5u);
  child.send('r');
  child.send('5');
  EXPECT_EQ(child.receive(), 'N');
  ASSERT_FALSE(t->flush());
  child.send('q');
  EXPECT_EQ(child.wait(), 0);
  EXPECT_EQ(get("T.DBF").size(), 32u + 64 + 2 + 5 * 16);  // shared appends: no 0x1A
}

TEST_F(SharingTest, TwoWorkAreasOfOneProcessConflictLikeTwoProcesses) {
  expr::register_standard_functions();
  WorkAreas areas;
  UseOptions o;
  o.exclusive = false;
  WorkArea& a = *areas.area(areas.use(at("T.DBF"), o));
  o.alias = "OUTRA";
  WorkArea& b = *areas.area(areas.use(at("T.DBF"), o));
  EXPECT_TRUE(a.lock_record(1, true));
  EXPECT_FALSE(b.lock_record(1, true));
  EXPECT_TRUE(b.lock_record(2, true));
  EXPECT_FALSE(a.lock_file());
  EXPECT_TRUE(b.unlock());
  EXPECT_TRUE(a.lock_file());
  EXPECT_FALSE(b.append_blank());  // the file lock of the other area
  ASSERT_FALSE(errors_.empty());
  EXPECT_EQ(errors_.back().gencode, 40);
  EXPECT_TRUE(errors_.back().can_default);
  EXPECT_TRUE(a.unlock());
  EXPECT_TRUE(b.append_blank());
  EXPECT_EQ(b.recno(), 4u);
  EXPECT_EQ(a.record_count(), 4u);
  // An exclusive open in the same process is refused while the table is shared.
  o.alias = "TERCEIRA";
  o.exclusive = true;
  EXPECT_EQ(areas.use(at("T.DBF"), o), 0);
  EXPECT_EQ(errors_.back().oscode, 32);
}

// The byte each lock takes, seen from another lock owner: the record lock of
// scheme A at 1,000,000,000 + k, the file lock from 1,000,000,001 for 1,000,000,000
// bytes; with an index that asks for extended locking, records at 4,000,000,000 + k.
TEST_F(SharingTest, LocksSitAtTheDocumentedOffsets) {
  expr::register_standard_functions();
  WorkAreas areas;
  UseOptions o;
  WorkArea& a = *areas.area(areas.use(at("T.DBF"), o));
  fs::Result<filelock::Handle> probe =
      filelock::Handle::open(at("T.DBF"), true, filelock::Share::kShared);
  ASSERT_TRUE(probe.ok());
  auto busy = [&](uint64_t offset, uint64_t length = 1) {
    fs::Status st = probe->lock(offset, length, filelock::LockKind::kWrite, filelock::Wait::kNo);
    if (st.ok()) probe->unlock(offset, length);
    return st.dos_error() == fs::dos::kLockViolation;
  };
  ASSERT_TRUE(a.lock_record(2, true));
  EXPECT_TRUE(busy(1'000'000'002));
  EXPECT_FALSE(busy(1'000'000'001));
  EXPECT_FALSE(busy(1'000'000'003));
  ASSERT_TRUE(a.lock_file());
  EXPECT_TRUE(busy(1'000'000'001));
  EXPECT_TRUE(busy(2'000'000'000));
  EXPECT_FALSE(busy(2'000'000'001));
  EXPECT_FALSE(busy(1'000'000'000));  // the header lock is only held while appending
  ASSERT_TRUE(a.unlock());

  IndexOptions index;
  index.key = "NOME";
  ASSERT_TRUE(a.create_index(at("T.NTX"), index));
  a.clear_orders();
  {
    std::string bytes = get("T.NTX");
    bytes[0] = static_cast<char>(bytes[0] | 0x10);  // the extended-locking flag
    std::ofstream(at("T.NTX"), std::ios::binary) << bytes;
  }
  ASSERT_TRUE(a.add_index(at("T.NTX")));
  ASSERT_TRUE(a.lock_record(2, true));
  EXPECT_TRUE(busy(4'000'000'002));
  EXPECT_FALSE(busy(1'000'000'002));
}

}  // namespace
}  // namespace codfix::dbf
