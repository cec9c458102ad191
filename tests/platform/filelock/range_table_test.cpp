// The bookkeeping of held ranges: who conflicts with whom, and what the kernel is
// told so that its lock on each descriptor is exactly what the holds need.
#include "platform/filelock/range_table.h"

#include <gtest/gtest.h>

namespace codfix::filelock {
namespace {

TEST(RangeTable, OwnersConflictWhenRangesOverlapAndOneWrites) {
  RangeTable t;
  t.add({1, 3, 100, 10, Level::kRead});
  EXPECT_FALSE(t.conflicts(2, 105, 1, Level::kRead));
  EXPECT_TRUE(t.conflicts(2, 105, 1, Level::kWrite));
  EXPECT_FALSE(t.conflicts(2, 110, 5, Level::kWrite));   // touching, not overlapping
  EXPECT_FALSE(t.conflicts(1, 100, 10, Level::kWrite));  // the owner itself
  t.add({2, 3, 200, 1, Level::kWrite});
  EXPECT_TRUE(t.conflicts(1, 150, 100, Level::kRead));
}

TEST(RangeTable, CoveredAndRaise) {
  RangeTable t;
  t.add({1, 3, 100, 10, Level::kWrite});
  EXPECT_TRUE(t.covered(1, 102, 3, Level::kRead));
  EXPECT_FALSE(t.covered(2, 102, 3, Level::kRead));
  EXPECT_FALSE(t.covered(1, 105, 10, Level::kRead));
  // Raising the descriptor to read over 95..115 needs the kernel only outside
  // the write-locked part.
  std::vector<KernelChange> c = t.raise(3, 95, 20, Level::kRead);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].offset, 95u);
  EXPECT_EQ(c[0].length, 5u);
  EXPECT_EQ(c[1].offset, 110u);
  EXPECT_EQ(c[1].length, 5u);
  // Another descriptor knows nothing of it.
  EXPECT_EQ(t.raise(4, 100, 10, Level::kRead).size(), 1u);
}

TEST(RangeTable, RemoveKeepsWhatOthersStillHold) {
  RangeTable t;
  t.add({1, 3, 100, 1, Level::kRead});
  t.add({2, 3, 100, 1, Level::kRead});
  // Owner 1 lets go, owner 2 still reads: nothing for the kernel.
  EXPECT_TRUE(t.remove(1, 100, 1, false).empty());
  std::vector<KernelChange> c = t.remove(2, 0, 0, true);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].level, Level::kNone);
  EXPECT_TRUE(t.holds().empty());
}

TEST(RangeTable, RemovingAWriteUnderTheOwnersReadDowngrades) {
  RangeTable t;
  t.add({1, 3, 0, 1000, Level::kRead});
  t.add({1, 3, 500, 1, Level::kWrite});
  std::vector<KernelChange> c = t.remove(1, 500, 1, false);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].offset, 500u);
  EXPECT_EQ(c[0].level, Level::kRead);
}

TEST(RangeTable, RemoveOnlyTakesRangesInside) {
  RangeTable t;
  t.add({1, 3, 10, 5, Level::kWrite});
  t.add({1, 3, 30, 5, Level::kWrite});
  EXPECT_EQ(t.remove(1, 0, 20, false).size(), 1u);
  ASSERT_EQ(t.holds().size(), 1u);
  EXPECT_EQ(t.holds()[0].offset, 30u);
}

}  // namespace
}  // namespace codfix::filelock
