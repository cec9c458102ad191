#include "platform/ntx/builder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "platform/ntx/page_writer.h"

namespace codfix::ntx {
namespace {

// Keys are sorted in "rank space": each byte replaced by its rank in the key
// order (its weight, complemented for a descending index), so that memcmp gives
// the order. `back` undoes it when the keys are written.
struct RankTables {
  std::array<uint8_t, 256> to{};
  std::array<uint8_t, 256> back{};
  bool identity = true;
};

RankTables rank_tables(const KeyOrder& order) {
  RankTables t;
  for (int b = 0; b < 256; ++b) {
    uint8_t w = order.weights ? order.weights[b] : static_cast<uint8_t>(b);
    if (order.descending) w = static_cast<uint8_t>(255 - w);
    t.to[b] = w;
    t.back[w] = static_cast<uint8_t>(b);
    if (w != b) t.identity = false;
  }
  return t;
}

struct SortEntry {
  uint64_t prefix;  // the first 8 rank bytes, big-endian
  uint32_t index;   // order of arrival, the tie-break that makes the sort stable
};

}  // namespace

Builder::Builder(Definition def, const uint8_t* weights)
    : def_(std::move(def)), order_{weights, def_.descending} {}

void Builder::reserve(size_t count) {
  keys_.reserve(count * def_.key_size);
  recnos_.reserve(count);
}

Status Builder::add(std::string_view key, uint32_t recno) {
  if (key.size() != def_.key_size) return Status::invalid("key of the wrong size");
  if (recno == 0) return Status::invalid("record number 0");
  if (recnos_.size() >= 0xFFFFFFFFu) return Status::invalid("too many keys");
  keys_.append(key);
  recnos_.push_back(recno);
  return {};
}

Status Builder::write(PageFile& file) {
  auto header = make_header(def_);
  if (!header.ok()) return header.status();
  const size_t k = def_.key_size;
  const size_t n = recnos_.size();

  // The keys stay as they are; the sort sees them in rank space through the table
  // (the 8-byte prefix once per key, the rest only where prefixes tie).
  RankTables ranks = rank_tables(order_);
  const uint8_t* to = ranks.to.data();
  const char* keys = keys_.data();
  std::vector<SortEntry> sorted(n);
  for (size_t i = 0; i < n; ++i) {
    const char* key = keys + i * k;
    uint64_t v = 0;
    const size_t m = std::min<size_t>(k, 8);
    for (size_t j = 0; j < m; ++j) v = (v << 8) | to[static_cast<uint8_t>(key[j])];
    sorted[i] = SortEntry{v << (8 * (8 - m)), static_cast<uint32_t>(i)};
  }
  const bool identity = ranks.identity;
  std::sort(sorted.begin(), sorted.end(),
            [keys, k, to, identity](const SortEntry& a, const SortEntry& b) {
              if (a.prefix != b.prefix) return a.prefix < b.prefix;
              if (k > 8) {
                const char* x = keys + a.index * k + 8;
                const char* y = keys + b.index * k + 8;
                if (identity) {
                  int c = std::memcmp(x, y, k - 8);
                  if (c != 0) return c < 0;
                } else {
                  for (size_t j = 0; j < k - 8; ++j) {
                    uint8_t p = to[static_cast<uint8_t>(x[j])], q = to[static_cast<uint8_t>(y[j])];
                    if (p != q) return p < q;
                  }
                }
              }
              return a.index < b.index;
            });

  NTX_TRY(file.truncate(0));
  PageWriter writer(file, Geometry{header->max_items, header->key_size});
  const char* previous = nullptr;
  // Keys are read in sorted order, all over memory: fetch a few ahead.
  constexpr size_t kAhead = 16;
  for (size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) {
      const uint32_t ahead = sorted[i + kAhead].index;
      __builtin_prefetch(keys + size_t{ahead} * k);
      __builtin_prefetch(&recnos_[ahead]);
    }
    const SortEntry& e = sorted[i];
    const char* key = keys + e.index * k;
    if (def_.unique && previous != nullptr && std::memcmp(previous, key, k) == 0) continue;
    NTX_TRY(writer.add(recnos_[e.index], key));
    previous = key;
  }
  auto root = writer.finish();
  if (!root.ok()) return root.status();

  header->root = *root;
  header->free_head = 0;
  header->version = 1;
  auto bytes = encode_header(*header);
  NTX_TRY(file.write_at(0, bytes.data(), bytes.size()));

  keys_.clear();
  keys_.shrink_to_fit();
  recnos_.clear();
  recnos_.shrink_to_fit();
  return {};
}

}  // namespace codfix::ntx
