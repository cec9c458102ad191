// KeySorter: the sort of a bulk index build. Entries are fixed-size keys with a
// record number each, added in any order; they come out in tree order (the
// KeyOrder's weights, reversed for a descending order), equal keys by ascending
// record number, which is the order the classic tools leave equal keys in.
//
// Entries are kept as they come, each key followed by its record number
// big-endian, in buckets by the rank of their first key byte (its place in the
// key order); once many keys share a first byte, its keys go into buckets by
// the second byte as well. Sorting is a most-significant-byte radix sort over the entries
// themselves, a key byte by its rank: it reads and writes memory in streams
// instead of chasing keys all over it. When every key byte added ranks in byte
// order (ASCII under PT850, or any byte where the order is byte order) the
// ranks are not looked up at all, and eight bytes compare as one word.
//
// Two threads can fill the sorter at once, each into its own part. sort() hands
// the buckets to threads of its own, in key order, and returns at once; the walk
// (next()) waits only for the bucket it comes to, so that writing the index
// overlaps with sorting the rest.
//
// Memory: the entries (the key size plus 4, rounded up to 8 bytes, per key) and
// a quarter of that again while sorting.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/indexing/growing_buffer.h"
#include "platform/indexing/key_order.h"
#include "platform/indexing/status.h"

namespace codfix::indexing {

class EntrySort;  // internal

class KeySorter {
 public:
  static constexpr unsigned kParts = 2;

  // `order.weights`, when set, must outlive the sorter (as for KeyOrder).
  KeySorter(size_t key_size, KeyOrder order);
  ~KeySorter();
  KeySorter(const KeySorter&) = delete;
  KeySorter& operator=(const KeySorter&) = delete;

  size_t key_size() const { return key_size_; }
  // Entries in all parts; not while parts are being filled.
  size_t size() const;
  // The largest record number added; not while parts are being filled.
  uint32_t largest_recno() const;

  // One entry, into part 0. kInvalidArgument when the key is not key_size()
  // bytes or the record number is 0.
  Status add(std::string_view key, uint32_t recno);
  // `count` keys (key_size() bytes each, one after the other) of the record
  // numbers first, first + 1, ..., into part `part`. Each part (below kParts) may
  // be filled by its own thread at the same time as the others.
  Status add_run(unsigned part, const char* keys, size_t count, uint32_t first);

  // Starts sorting with up to `threads` threads (1 = sorted here and now) and
  // starts the walk. Nothing may be added afterwards, until clear().
  void sort(unsigned threads = 2);

  // The walk: next() moves to the first entry, then to each following one,
  // false after the last.
  bool next();
  // The current entry's key (key_size() bytes) and record number.
  const char* key() const { return reinterpret_cast<const char*>(current_); }
  uint32_t recno() const;
  // Whether the current key equals the one before it.
  bool same_key_as_previous() const;

  // Waits for the sorting threads, then lets go of every entry and of the
  // memory they took.
  void clear();

 private:
  struct Bucket {
    GrowingBuffer memory;
    size_t size = 0;  // entries
  };
  using Buckets = std::array<Bucket, 256>;
  struct Part {
    Buckets buckets;  // by the rank of the first key byte
    // For a first byte that many keys share: their buckets by the rank of the
    // second byte, which take its entries instead of `buckets`.
    std::array<std::unique_ptr<Buckets>, 256> by_second;
    uint32_t largest_recno = 0;
    uint8_t key_bytes = 0;  // every key byte added, or-ed together
  };
  // Entries that share their first `depth` bytes, in up to one run per part;
  // sorted, the group is read run after run.
  struct Run {
    uint8_t* begin = nullptr;
    size_t size = 0;
  };
  struct Group {
    std::array<Run, kParts> runs{};
    size_t size = 0;
    size_t depth = 0;
  };

  void put(Part& p, const char* key, uint32_t recno);
  // Moves the entries of first byte rank `first` into buckets by their second
  // byte, where that first byte's entries go from then on.
  void spread(Part& p, uint8_t first);
  // Room for one more entry at the end of `b`, counted in its size.
  uint8_t* new_entry(Bucket& b);
  void plan_groups(size_t big, unsigned threads);
  void split(const Group& g, size_t big, unsigned threads);
  void sort_groups(unsigned threads);
  void sort_group(size_t i, GrowingBuffer& scratch);
  // Sorts groups itself until group i is sorted, or waits for it.
  void wait_for(size_t i);
  void join();

  size_t key_size_;
  size_t stride_;                    // bytes per entry: key, record number, zero padding
  std::array<uint8_t, 256> rank_{};  // of each key byte, in the key order
  // The bytes below this one rank in byte order: keys made of them alone are
  // sorted by their bytes as they are.
  unsigned plain_below_ = 1;
  std::array<Part, kParts> parts_{};
  // Sorting and the walk.
  std::vector<Group> groups_;
  std::unique_ptr<EntrySort> entry_sort_;
  std::vector<GrowingBuffer> scratch_;           // one per thread, the walk's first
  std::unique_ptr<std::atomic<bool>[]> sorted_;  // one per group
  std::atomic<size_t> next_group_{0};
  std::vector<std::thread> workers_;
  size_t group_ = 0;
  size_t run_ = 0;
  size_t index_ = 0;
  const uint8_t* current_ = nullptr;
  const uint8_t* previous_ = nullptr;
};

}  // namespace codfix::indexing
