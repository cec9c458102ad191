// RangeTable: the byte ranges the handles of this process hold on one file, and
// what the kernel must be told when a handle locks or unlocks a range.
//
// Pure bookkeeping, no system calls: the caller applies the returned kernel
// changes (one list per descriptor, since OFD locks belong to a descriptor's open
// file description). Owners are handle ids; two owners conflict when their ranges
// overlap and either is a write lock. Callers hold the file's mutex.
#pragma once

#include <cstdint>
#include <vector>

namespace codfix::filelock {

enum class Level : uint8_t { kNone, kRead, kWrite };

struct Hold {
  uint64_t owner;
  int fd;
  uint64_t offset;
  uint64_t length;
  Level level;
  uint64_t end() const { return offset + length; }
};

// One kernel lock change: set [offset, offset+length) of descriptor `fd` from
// `previous` to `level` (kNone = unlocked).
struct KernelChange {
  int fd;
  uint64_t offset;
  uint64_t length;
  Level level;
  Level previous = Level::kNone;
};

class RangeTable {
 public:
  // Another owner holds an overlapping range in a conflicting way.
  bool conflicts(uint64_t owner, uint64_t offset, uint64_t length, Level level) const;
  // `owner` already holds a range covering all of [offset, offset+length) at
  // `level` or stronger.
  bool covered(uint64_t owner, uint64_t offset, uint64_t length, Level level) const;
  // The kernel changes that raise descriptor `fd` to `level` over the range where
  // it is weaker now. Does not record anything.
  std::vector<KernelChange> raise(int fd, uint64_t offset, uint64_t length, Level level) const;
  void add(const Hold& hold) { holds_.push_back(hold); }

  // Removes the owner's holds lying inside the range (all of them with
  // `everything`), returning the kernel changes that bring each descriptor to what
  // the remaining holds need.
  std::vector<KernelChange> remove(uint64_t owner, uint64_t offset, uint64_t length,
                                   bool everything);

  const std::vector<Hold>& holds() const { return holds_; }

 private:
  // The strongest level the holds of `fd` have at every piece of the range, as
  // consecutive pieces.
  std::vector<KernelChange> levels(int fd, uint64_t offset, uint64_t length) const;

  std::vector<Hold> holds_;
};

}  // namespace codfix::filelock
