#include "platform/indexing/key_sorter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <system_error>

#include "platform/indexing/bytes.h"

namespace codfix::indexing {

// The sort of entries of one size (see RadixSort below).
class EntrySort {
 public:
  virtual ~EntrySort() = default;
  // Puts the `n` entries at `a` in the order of their byte at `depth`, in place;
  // `count` gets the number of entries for each rank of that byte.
  virtual void partition(uint8_t* a, size_t n, size_t depth,
                         std::array<size_t, 256>& count) const = 0;
  // Sorts the `n` entries at `a`, which share their first `depth` bytes,
  // through `scratch` (room for n entries).
  virtual void sort(uint8_t* a, uint8_t* scratch, size_t n, size_t depth) const = 0;
  // Merges the sorted runs `a` (na entries) and `b` (nb), which share their
  // first `depth` bytes, into `out` (room for na + nb).
  virtual void merge(const uint8_t* a, size_t na, const uint8_t* b, size_t nb, uint8_t* out,
                     size_t depth) const = 0;
};

namespace {

// How entries are ordered: byte by byte, a key byte by its rank, a record number
// byte (after the key) as it is. Since ranks are a permutation of the bytes, two
// entries are ordered by the first byte in which they differ.
struct EntryOrder {
  const uint8_t* rank;  // 256 entries
  size_t key_size;
  size_t width;  // key and record number

  // The table for the byte at `depth`.
  const uint8_t* table(size_t depth) const { return depth < key_size ? rank : identity(); }
  static const uint8_t* identity() {
    static const std::array<uint8_t, 256> table = [] {
      std::array<uint8_t, 256> t{};
      for (int b = 0; b < 256; ++b) t[b] = static_cast<uint8_t>(b);
      return t;
    }();
    return table.data();
  }
};

uint64_t big_endian(uint64_t word) {
  return std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
}

// The radix sort over entries of W 8-byte words (W = 0: any number of words,
// given at run time). The bytes past the order's width are zero. Entries are
// moved with fixed-size copies, which compile to plain word moves.
//
// Plain: the order's table is the identity (every byte ranks as itself), so that
// bytes are taken as they are and eight of them compare as one big-endian word.
template <size_t W, bool Plain>
class RadixSort final : public EntrySort {
 public:
  RadixSort(EntryOrder order, size_t words) : order_(order), words_(W != 0 ? W : words) {}

  void partition(uint8_t* a, size_t n, size_t depth,
                 std::array<size_t, 256>& count) const override {
    const uint8_t* t = order_.table(depth);
    count.fill(0);
    for (size_t i = 0; i < n; ++i) ++count[digit(at(a, i), depth, t)];
    std::array<size_t, 256> next{}, end{};
    size_t sum = 0;
    for (int b = 0; b < 256; ++b) {
      next[b] = sum;
      sum += count[b];
      end[b] = sum;
    }
    // Each entry goes straight to its place by following cycles.
    std::vector<uint8_t> held(bytes()), other(bytes());
    for (int b = 0; b < 256; ++b) {
      while (next[b] < end[b]) {
        move(held.data(), at(a, next[b]));
        uint8_t d = digit(held.data(), depth, t);
        while (d != b) {
          uint8_t* slot = at(a, next[d]++);
          move(other.data(), slot);
          move(slot, held.data());
          move(held.data(), other.data());
          d = digit(held.data(), depth, t);
        }
        move(at(a, next[b]++), held.data());
      }
    }
  }

  void sort(uint8_t* a, uint8_t* scratch, size_t n, size_t depth) const override {
    sort_between(a, scratch, n, depth, false);
  }

  void merge(const uint8_t* a, size_t na, const uint8_t* b, size_t nb, uint8_t* out,
             size_t depth) const override {
    const size_t first_word = depth / 8;
    size_t i = 0, j = 0;
    while (i < na && j < nb) {
      // Equal entries cannot be told apart: either may go first.
      if (less(at(b, j), at(a, i), first_word)) {
        move(out, at(b, j++));
      } else {
        move(out, at(a, i++));
      }
      out += bytes();
    }
    if (i < na) std::memcpy(out, at(a, i), (na - i) * bytes());
    if (j < nb) std::memcpy(out, at(b, j), (nb - j) * bytes());
  }

 private:
  static constexpr size_t kSmallUpTo = 32;

  // Sorts the `n` entries at `from` that share their first `depth` bytes. The
  // sorted entries end up at `from` when `into_other` is false, else at `other`;
  // both areas have room for n entries and the one not holding the result is
  // used in between. Each level moves the entries once, from one area to the
  // other, so that none is copied back.
  void sort_between(uint8_t* from, uint8_t* other, size_t n, size_t depth, bool into_other) const {
    while (n > kSmallUpTo && depth < order_.width) {
      const uint8_t* t = order_.table(depth);
      uint32_t count[256] = {};
      for (size_t i = 0; i < n; ++i) ++count[digit(at(from, i), depth, t)];
      if (count[digit(from, depth, t)] == n) {
        ++depth;  // one byte for all: nothing to move
        continue;
      }
      uint32_t next[256];
      uint32_t sum = 0;
      for (int b = 0; b < 256; ++b) {
        next[b] = sum;
        sum += count[b];
      }
      for (size_t i = 0; i < n; ++i) {
        const uint8_t* e = at(from, i);
        move(at(other, next[digit(e, depth, t)]++), e);
      }
      // The entries are now at `other`: each bucket goes on from there.
      size_t begin = 0;
      for (int b = 0; b < 256; ++b) {
        const size_t c = count[b];
        if (c == 1 && !into_other) move(at(from, begin), at(other, begin));
        if (c > 1) sort_between(at(other, begin), at(from, begin), c, depth + 1, !into_other);
        begin += c;
      }
      return;
    }
    if (depth >= order_.width || n < 2) {
      if (into_other) std::memcpy(other, from, n * bytes());
      return;
    }
    small_sort(from, n, depth, into_other ? other : nullptr, into_other ? from : other);
  }

  // The rank of the entry's byte at `depth`; `t` is the order's table for it.
  static uint8_t digit(const uint8_t* e, size_t depth, const uint8_t* t) {
    if constexpr (Plain) {
      return e[depth];
    } else {
      return t[e[depth]];
    }
  }

  size_t bytes() const { return W != 0 ? W * 8 : words_ * 8; }
  uint8_t* at(uint8_t* p, size_t i) const { return p + i * bytes(); }
  const uint8_t* at(const uint8_t* p, size_t i) const { return p + i * bytes(); }
  void move(uint8_t* to, const uint8_t* from) const {
    if constexpr (W != 0) {
      std::memcpy(to, from, W * 8);
    } else {
      std::memcpy(to, from, words_ * 8);
    }
  }

  // Whether x goes before y, both sharing the bytes before the word that holds
  // `depth` (the padding after the width is zero in both).
  bool less(const uint8_t* x, const uint8_t* y, size_t first_word) const {
    const size_t words = W != 0 ? W : words_;
    for (size_t w = first_word; w < words; ++w) {
      uint64_t a, b;
      std::memcpy(&a, x + 8 * w, 8);
      std::memcpy(&b, y + 8 * w, 8);
      if (a == b) continue;
      if constexpr (Plain) return big_endian(a) < big_endian(b);
      const uint64_t diff = a ^ b;
      const size_t byte = 8 * w + (std::endian::native == std::endian::little
                                       ? static_cast<size_t>(std::countr_zero(diff)) / 8
                                       : static_cast<size_t>(std::countl_zero(diff)) / 8);
      const uint8_t* t = order_.table(byte);
      return t[x[byte]] < t[y[byte]];
    }
    return false;
  }

  // The order of up to kSmallUpTo entries at `from` that share their first
  // `depth` bytes: each entry stands for the next eight bytes of its order
  // (a number, compared at once), ties going on to the bytes after them. The
  // sorted entries are written to `to`, or back over `from` when `to` is null
  // through `spare` (room for n entries).
  void small_sort(uint8_t* from, size_t n, size_t depth, uint8_t* to, uint8_t* spare) const {
    struct Place {
      uint64_t next_bytes;
      uint32_t index;
    };
    std::array<Place, kSmallUpTo> places;
    for (size_t i = 0; i < n; ++i) {
      places[i] = Place{next_bytes(at(from, i), depth), static_cast<uint32_t>(i)};
    }
    const size_t rest_word = (depth + 8) / 8;
    auto before = [&](const Place& x, const Place& y) {
      if (x.next_bytes != y.next_bytes) return x.next_bytes < y.next_bytes;
      return depth + 8 < order_.width && less(at(from, x.index), at(from, y.index), rest_word);
    };
    for (size_t i = 1; i < n; ++i) {
      const Place held = places[i];
      size_t j = i;
      while (j > 0 && before(held, places[j - 1])) {
        places[j] = places[j - 1];
        --j;
      }
      places[j] = held;
    }
    uint8_t* out = to != nullptr ? to : spare;
    for (size_t i = 0; i < n; ++i) move(at(out, i), at(from, places[i].index));
    if (to == nullptr) std::memcpy(from, spare, n * bytes());
  }

  // The ranks of the entry's eight bytes from `depth` on, the first the most
  // significant; bytes past the width count as 0.
  uint64_t next_bytes(const uint8_t* e, size_t depth) const {
    if constexpr (Plain) {
      if (depth + 8 <= bytes()) {  // the padding after the width is zero
        uint64_t word;
        std::memcpy(&word, e + depth, 8);
        return big_endian(word);
      }
    }
    uint64_t v = 0;
    for (size_t k = depth; k < depth + 8; ++k) {
      v = (v << 8) | (k < order_.width ? order_.table(k)[e[k]] : 0u);
    }
    return v;
  }

  EntryOrder order_;
  size_t words_;
};

// Entry sizes the sort is compiled for (in 8-byte words); an entry takes the
// first one that holds it, larger ones are moved word by word.
constexpr size_t kWordSizes[] = {1, 2, 3, 4, 5, 6, 8, 12, 16, 24, 33};

size_t words_for(size_t bytes) {
  for (size_t w : kWordSizes) {
    if (w * 8 >= bytes) return w;
  }
  return (bytes + 7) / 8;
}

// The sort for entries of `words` words (one of kWordSizes, or more).
template <bool Plain>
std::unique_ptr<EntrySort> make_sized_sort(size_t words, const EntryOrder& order) {
  switch (words) {
    case 1:
      return std::make_unique<RadixSort<1, Plain>>(order, words);
    case 2:
      return std::make_unique<RadixSort<2, Plain>>(order, words);
    case 3:
      return std::make_unique<RadixSort<3, Plain>>(order, words);
    case 4:
      return std::make_unique<RadixSort<4, Plain>>(order, words);
    case 5:
      return std::make_unique<RadixSort<5, Plain>>(order, words);
    case 6:
      return std::make_unique<RadixSort<6, Plain>>(order, words);
    case 8:
      return std::make_unique<RadixSort<8, Plain>>(order, words);
    case 12:
      return std::make_unique<RadixSort<12, Plain>>(order, words);
    case 16:
      return std::make_unique<RadixSort<16, Plain>>(order, words);
    case 24:
      return std::make_unique<RadixSort<24, Plain>>(order, words);
    case 33:
      return std::make_unique<RadixSort<33, Plain>>(order, words);
    default:
      return std::make_unique<RadixSort<0, Plain>>(order, words);
  }
}

// The sort for entries of `words` words whose keys (`key_size` bytes) are
// ordered by `rank`; `plain`: the keys hold only bytes that rank in byte order.
std::unique_ptr<EntrySort> make_sort(size_t words, const uint8_t* rank, size_t key_size,
                                     bool plain) {
  if (plain) {
    return make_sized_sort<true>(words, EntryOrder{EntryOrder::identity(), key_size, key_size + 4});
  }
  return make_sized_sort<false>(words, EntryOrder{rank, key_size, key_size + 4});
}

// The bytes at `p`, or-ed together.
uint8_t or_of_bytes(const char* p, size_t n) {
  uint64_t all = 0;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    all |= word;
  }
  for (; i < n; ++i) all |= static_cast<uint8_t>(p[i]);
  all |= all >> 32;
  all |= all >> 16;
  all |= all >> 8;
  return static_cast<uint8_t>(all);
}

constexpr size_t kParallelFrom = 16384;  // entries
// Entries of one first byte in a part from which they go into buckets by their
// second byte as well: such large buckets would otherwise be split after the
// keys are in, by a pass over them all.
constexpr size_t kSpreadFrom = 32768;

}  // namespace

KeySorter::KeySorter(size_t key_size, KeyOrder order)
    : key_size_(key_size), stride_(words_for(key_size + 4) * 8) {
  for (int b = 0; b < 256; ++b) {
    uint8_t rank = order.weights ? order.weights[b] : static_cast<uint8_t>(b);
    if (order.descending) rank = static_cast<uint8_t>(255 - rank);
    rank_[b] = rank;
  }
  while (plain_below_ < 256 && rank_[plain_below_] > rank_[plain_below_ - 1]) ++plain_below_;
}

KeySorter::~KeySorter() {
  join();
}

size_t KeySorter::size() const {
  size_t n = 0;
  for (const Part& p : parts_) {
    for (const Bucket& b : p.buckets) n += b.size;
    for (const std::unique_ptr<Buckets>& second : p.by_second) {
      if (!second) continue;
      for (const Bucket& b : *second) n += b.size;
    }
  }
  return n;
}

uint32_t KeySorter::largest_recno() const {
  uint32_t largest = 0;
  for (const Part& p : parts_) largest = std::max(largest, p.largest_recno);
  return largest;
}

void KeySorter::put(Part& p, const char* key, uint32_t recno) {
  const uint8_t first = key_size_ > 0 ? rank_[static_cast<uint8_t>(key[0])] : 0;
  Bucket* b = nullptr;
  if (Buckets* second = p.by_second[first].get()) {
    b = &(*second)[rank_[static_cast<uint8_t>(key[1])]];
  } else {
    b = &p.buckets[first];
    if (b->size >= kSpreadFrom && key_size_ > 1) {
      spread(p, first);
      b = &(*p.by_second[first])[rank_[static_cast<uint8_t>(key[1])]];
    }
  }
  uint8_t* e = new_entry(*b);
  std::memcpy(e, key, key_size_);
  put_be32(e + key_size_, recno);
  std::memset(e + key_size_ + 4, 0, stride_ - key_size_ - 4);
}

uint8_t* KeySorter::new_entry(Bucket& b) {
  if ((b.size + 1) * stride_ > b.memory.capacity()) {
    b.memory.reserve(std::max<size_t>(256 * stride_, b.memory.capacity() * 2));
  }
  return b.memory.data() + b.size++ * stride_;
}

void KeySorter::spread(Part& p, uint8_t first) {
  auto second = std::make_unique<Buckets>();
  Bucket& from = p.buckets[first];
  for (size_t i = 0; i < from.size; ++i) {
    const uint8_t* e = from.memory.data() + i * stride_;
    std::memcpy(new_entry((*second)[rank_[e[1]]]), e, stride_);
  }
  from.memory.reset();
  from.size = 0;
  p.by_second[first] = std::move(second);
}

Status KeySorter::add(std::string_view key, uint32_t recno) {
  if (key.size() != key_size_) return Status::invalid("key of the wrong size");
  if (recno == 0) return Status::invalid("record number 0");
  parts_[0].key_bytes |= or_of_bytes(key.data(), key.size());
  put(parts_[0], key.data(), recno);
  parts_[0].largest_recno = std::max(parts_[0].largest_recno, recno);
  return {};
}

Status KeySorter::add_run(unsigned part, const char* keys, size_t count, uint32_t first) {
  if (part >= kParts) return Status::invalid("no such part");
  if (first == 0) return Status::invalid("record number 0");
  if (uint64_t{first} + count - 1 > 0xFFFFFFFFu) return Status::invalid("too many keys");
  Part& p = parts_[part];
  p.key_bytes |= or_of_bytes(keys, count * key_size_);
  for (size_t i = 0; i < count; ++i, keys += key_size_) {
    put(p, keys, static_cast<uint32_t>(first + i));
  }
  if (count > 0) {
    p.largest_recno = std::max(p.largest_recno, static_cast<uint32_t>(first + count - 1));
  }
  return {};
}

void KeySorter::sort(unsigned threads) {
  join();
  groups_.clear();
  group_ = run_ = index_ = 0;
  current_ = previous_ = nullptr;
  const size_t total = size();
  threads = std::max(1u, std::min(threads, std::max(1u, std::thread::hardware_concurrency())));
  if (total < kParallelFrom) threads = 1;
  uint8_t key_bytes = 0;
  for (const Part& p : parts_) key_bytes |= p.key_bytes;
  entry_sort_ = make_sort(stride_ / 8, rank_.data(), key_size_,
                          plain_below_ == 256 || key_bytes < plain_below_);
  // Groups above `big` are split in place first, so that the threads get work
  // of comparable size and the scratch stays within a quarter of the entries.
  plan_groups(std::max<size_t>(total / (4 * size_t{threads}), 2048), threads);
  sort_groups(threads);
}

void KeySorter::plan_groups(size_t big, unsigned threads) {
  // The group of one bucket of each part, whose entries share `depth` bytes.
  auto plan = [&](size_t depth, auto bucket_of) {
    Group g;
    g.depth = depth;
    for (unsigned p = 0; p < kParts; ++p) {
      const Bucket& bucket = bucket_of(parts_[p]);
      g.runs[p] = Run{bucket.memory.data(), bucket.size};
      g.size += bucket.size;
    }
    if (g.size > 0) split(g, big, threads);
  };
  for (size_t b = 0; b < 256; ++b) {
    const bool spread_in_a_part = std::any_of(
        parts_.begin(), parts_.end(), [&](const Part& p) { return p.by_second[b] != nullptr; });
    if (!spread_in_a_part) {
      // The bucket is the first key byte.
      plan(key_size_ > 0 ? 1 : 0, [&](const Part& p) -> const Bucket& { return p.buckets[b]; });
      continue;
    }
    // Every part's entries of this first byte by their second byte, then a
    // group for each second byte.
    for (Part& p : parts_) {
      if (!p.by_second[b]) spread(p, static_cast<uint8_t>(b));
    }
    for (size_t second = 0; second < 256; ++second) {
      plan(2, [&](const Part& p) -> const Bucket& { return (*p.by_second[b])[second]; });
    }
  }
}

void KeySorter::split(const Group& g, size_t big, unsigned threads) {
  const size_t width = key_size_ + 4;
  if (g.size <= big) {
    groups_.push_back(g);
    return;
  }
  // The bytes from g.depth on that all entries share.
  const uint8_t* first = nullptr;
  size_t depth = width;
  for (const Run& r : g.runs) {
    for (size_t i = 0; i < r.size && depth > g.depth; ++i) {
      const uint8_t* e = r.begin + i * stride_;
      if (first == nullptr) first = e;
      size_t j = g.depth;
      while (j < depth && e[j] == first[j]) ++j;
      depth = j;
    }
  }
  if (depth >= width) {  // all alike: nothing to sort
    Group same = g;
    same.depth = width;
    groups_.push_back(same);
    return;
  }
  // The runs are partitioned each by its own thread.
  std::array<std::array<size_t, 256>, kParts> counts{};
  auto partition = [&](unsigned p) {
    if (g.runs[p].size > 0)
      entry_sort_->partition(g.runs[p].begin, g.runs[p].size, depth, counts[p]);
  };
  std::vector<std::thread> helpers;
  for (unsigned p = 1; p < kParts && threads > 1; ++p) {
    try {
      helpers.emplace_back(partition, p);
    } catch (const std::system_error&) {
      partition(p);  // no thread to be had
    }
  }
  partition(0);
  if (threads <= 1) {
    for (unsigned p = 1; p < kParts; ++p) partition(p);
  }
  for (std::thread& h : helpers) h.join();
  std::array<uint8_t*, kParts> at{};
  for (unsigned p = 0; p < kParts; ++p) at[p] = g.runs[p].begin;
  for (int b = 0; b < 256; ++b) {
    Group sub;
    sub.depth = depth + 1;
    for (unsigned p = 0; p < kParts; ++p) {
      sub.runs[p] = Run{at[p], counts[p][b]};
      sub.size += counts[p][b];
      if (at[p] != nullptr) at[p] += counts[p][b] * stride_;
    }
    if (sub.size > 0) split(sub, big, threads);
  }
}

void KeySorter::sort_groups(unsigned threads) {
  sorted_ = std::make_unique<std::atomic<bool>[]>(groups_.size());
  size_t largest = 0;
  for (const Group& g : groups_) {
    if (g.depth < key_size_ + 4) largest = std::max(largest, g.size);  // else nothing to sort
  }
  // Scratch for each thread, taken here so that a thread never allocates: room
  // for a group.
  scratch_.clear();
  scratch_.resize(threads);
  for (GrowingBuffer& s : scratch_) s.reserve(std::max<size_t>(largest, 1) * stride_);
  next_group_ = 0;
  if (threads == 1) {
    for (size_t i = 0; i < groups_.size(); ++i) sort_group(i, scratch_[0]);
    return;
  }
  // The walk sorts groups too, on scratch 0, while it waits for one; without a
  // thread to be had, it sorts them all.
  for (unsigned t = 1; t < threads; ++t) {
    try {
      workers_.emplace_back([this, t] {
        for (size_t i = next_group_++; i < groups_.size(); i = next_group_++) {
          sort_group(i, scratch_[t]);
        }
      });
    } catch (const std::system_error&) {
      break;
    }
  }
}

void KeySorter::sort_group(size_t i, GrowingBuffer& scratch) {
  static_assert(kParts == 2, "groups are merged from two runs");
  const Group& g = groups_[i];
  // Each run sorted in place, then the two merged through the scratch and put
  // back over them in order.
  for (const Run& r : g.runs) {
    if (r.size > 1) entry_sort_->sort(r.begin, scratch.data(), r.size, g.depth);
  }
  const Run& a = g.runs[0];
  const Run& b = g.runs[1];
  if (a.size > 0 && b.size > 0 && g.depth < key_size_ + 4) {
    entry_sort_->merge(a.begin, a.size, b.begin, b.size, scratch.data(), g.depth);
    std::memcpy(a.begin, scratch.data(), a.size * stride_);
    std::memcpy(b.begin, scratch.data() + a.size * stride_, b.size * stride_);
  }
  sorted_[i].store(true, std::memory_order_release);
  sorted_[i].notify_all();
}

void KeySorter::wait_for(size_t i) {
  while (!sorted_[i].load(std::memory_order_acquire)) {
    const size_t claimed = next_group_++;
    if (claimed < groups_.size()) {
      sort_group(claimed, scratch_[0]);
    } else {
      sorted_[i].wait(false, std::memory_order_acquire);
    }
  }
}

void KeySorter::join() {
  for (std::thread& w : workers_) w.join();
  workers_.clear();
}

bool KeySorter::next() {
  previous_ = current_;
  while (group_ < groups_.size()) {
    const Group& g = groups_[group_];
    if (run_ == 0 && index_ == 0) wait_for(group_);
    while (run_ < kParts) {
      const Run& r = g.runs[run_];
      if (index_ < r.size) {
        current_ = r.begin + index_++ * stride_;
        return true;
      }
      ++run_;
      index_ = 0;
    }
    ++group_;
    run_ = 0;
    index_ = 0;
  }
  current_ = nullptr;
  join();
  return false;
}

uint32_t KeySorter::recno() const {
  return be32(current_ + key_size_);
}

bool KeySorter::same_key_as_previous() const {
  return previous_ != nullptr && std::memcmp(current_, previous_, key_size_) == 0;
}

void KeySorter::clear() {
  join();
  groups_.clear();
  sorted_.reset();
  scratch_.clear();
  entry_sort_.reset();
  for (Part& p : parts_) {
    for (Bucket& b : p.buckets) {
      b.memory.reset();
      b.size = 0;
    }
    for (std::unique_ptr<Buckets>& second : p.by_second) second.reset();
    p.largest_recno = 0;
    p.key_bytes = 0;
  }
  group_ = run_ = index_ = 0;
  current_ = previous_ = nullptr;
}

}  // namespace codfix::indexing
