#include "platform/cdx/builder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "platform/cdx/build_writer.h"
#include "platform/cdx/page_store.h"

namespace codfix::cdx {
namespace {

// Keys are sorted in "rank space": each byte replaced by its weight, so that
// memcmp gives the order; `back` undoes it before the keys are written.
struct RankTables {
  std::array<uint8_t, 256> to{};
  std::array<uint8_t, 256> back{};
  bool identity = true;
};

RankTables rank_tables(const uint8_t* weights) {
  RankTables t;
  for (int b = 0; b < 256; ++b) {
    uint8_t w = weights ? weights[b] : static_cast<uint8_t>(b);
    t.to[b] = w;
    t.back[w] = static_cast<uint8_t>(b);
    if (w != b) t.identity = false;
  }
  return t;
}

void translate(std::string& keys, const std::array<uint8_t, 256>& table) {
  for (char& c : keys) c = static_cast<char>(table[static_cast<uint8_t>(c)]);
}

struct SortEntry {
  uint64_t prefix;  // the first 8 rank bytes, big-endian
  uint32_t recno;
  uint32_t index;
};

uint64_t prefix_of(const char* key, size_t k) {
  uint64_t v = 0;
  size_t n = std::min<size_t>(k, 8);
  for (size_t i = 0; i < n; ++i) v = (v << 8) | static_cast<uint8_t>(key[i]);
  return n == 8 ? v : v << (8 * (8 - n));
}

}  // namespace

Builder::Builder(TagDefinition def, const uint8_t* weights)
    : def_(std::move(def)), weights_(def_.format.type == KeyType::kCharacter ? weights : nullptr) {}

void Builder::reserve(size_t count) {
  keys_.reserve(count * def_.format.size);
  recnos_.reserve(count);
}

Status Builder::add(std::string_view key, uint32_t recno) {
  if (key.size() != def_.format.size) return Status::invalid("key of the wrong size");
  if (recno == 0) return Status::invalid("record number 0");
  if (recnos_.size() >= 0xFFFFFFFFu) return Status::invalid("too many keys");
  keys_.append(key);
  recnos_.push_back(recno);
  return {};
}

Status Builder::write(CompoundFile& file) {
  auto header = make_tag_header(def_);
  if (!header.ok()) return header.status();
  auto name_key = tag_key(def_.name);
  if (!name_key.ok()) return name_key.status();
  const size_t k = def_.format.size;
  const size_t n = recnos_.size();

  RankTables ranks = rank_tables(weights_);
  if (!ranks.identity) translate(keys_, ranks.to);
  std::vector<SortEntry> sorted(n);
  uint32_t largest = record_count_;
  for (size_t i = 0; i < n; ++i) {
    sorted[i] = SortEntry{prefix_of(keys_.data() + i * k, k), recnos_[i], static_cast<uint32_t>(i)};
    largest = std::max(largest, recnos_[i]);
  }
  recnos_.clear();
  recnos_.shrink_to_fit();
  const char* keys = keys_.data();
  std::sort(sorted.begin(), sorted.end(), [keys, k](const SortEntry& a, const SortEntry& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    if (k > 8) {
      int c = std::memcmp(keys + size_t{a.index} * k + 8, keys + size_t{b.index} * k + 8, k - 8);
      if (c != 0) return c < 0;
    }
    return a.recno < b.recno;
  });
  if (!ranks.identity) translate(keys_, ranks.back);

  TagInfo info;
  info.name = name_key->substr(0, name_key->find_last_not_of(' ') + 1);
  info.header = *header;
  std::vector<TagInfo> tags = file.tags();
  PageStore& store = file.store();
  Status s = run_operation(store, LockMode::kExclusive, [&]() -> Status {
    if (const TagInfo* old = file.find(def_.name)) {
      CDX_TRY(file.remove_tag_locked(*old));
      const uint32_t gone = old->header_offset;
      tags.erase(std::remove_if(tags.begin(), tags.end(),
                                [gone](const TagInfo& t) { return t.header_offset == gone; }),
                 tags.end());
    }
    auto at = store.extend(kHeaderSize);
    if (!at.ok()) return at.status();
    info.header_offset = *at;
    TreeRules rules{def_.format.size, pad_byte(def_.format.type), KeyOrder{weights_, false}, false};
    BuildWriter writer(store, rules, leaf_widths(def_.format.size, largest));
    const char* previous = nullptr;
    for (const SortEntry& e : sorted) {
      const char* key = keys + size_t{e.index} * k;
      if (def_.unique && previous != nullptr && std::memcmp(previous, key, k) == 0) continue;
      CDX_TRY(writer.add(key, e.recno));
      previous = key;
    }
    auto root = writer.finish();
    if (!root.ok()) return root.status();
    info.header.root = *root;
    auto bytes = encode_tag_header(info.header);
    CDX_TRY(store.write_at(info.header_offset, bytes.data(), bytes.size()));
    return file.add_tag_locked(info);
  });
  keys_.clear();
  keys_.shrink_to_fit();
  CDX_TRY(s);
  tags.push_back(info);
  file.tags_ = std::move(tags);
  return {};
}

}  // namespace codfix::cdx
