#include "platform/cdx/build_writer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/cdx/key_packing.h"
#include "platform/indexing/bytes.h"

namespace codfix::cdx {
namespace {

using indexing::put_be32;
using indexing::put_le16;
using indexing::put_le32;

constexpr size_t kRunLimit = 1 << 20;
constexpr size_t kRunGap = 64 * kPageSize;  // places left blank in a run at most

}  // namespace

Status BuildWriter::emit(uint32_t offset, const uint8_t* page) {
  // Pages are finished nearly in the order of their offsets: a branch page opened
  // before the leaves under it is finished after them. The run keeps its place
  // blank and takes it when it comes; a page whose place was written already
  // (blank) is written by itself.
  const uint64_t end = uint64_t{run_start_} + run_.size();
  if (!run_.empty() && offset >= run_start_ && offset < end) {
    std::memcpy(run_.data() + (offset - run_start_), page, kPageSize);
    return {};
  }
  if ((!run_.empty() && offset < run_start_) || offset < flushed_end_) {
    return s_.write_at(offset, page, kPageSize);
  }
  if (!run_.empty() && (offset > end + kRunGap || run_.size() >= kRunLimit)) CDX_TRY(flush());
  if (run_.empty()) run_start_ = offset;
  run_.resize(offset - run_start_, 0);  // places of pages still open
  run_.insert(run_.end(), page, page + kPageSize);
  return {};
}

Status BuildWriter::flush() {
  if (run_.empty()) return {};
  Status s = s_.write_at(run_start_, run_.data(), run_.size());
  flushed_end_ = std::max<uint64_t>(flushed_end_, uint64_t{run_start_} + run_.size());
  run_.clear();
  return s;
}

Status BuildWriter::open_leaf(uint32_t left) {
  auto offset = s_.extend(kPageSize);
  if (!offset.ok()) return offset.status();
  leaf_.fill(0);
  leaf_open_ = true;
  leaf_offset_ = *offset;
  leaf_left_ = left;
  leaf_count_ = 0;
  leaf_entries_end_ = kLeafHeaderSize;
  leaf_keys_start_ = kPageSize;
  return {};
}

Status BuildWriter::write_leaf(std::array<uint8_t, kPageSize>& page, uint32_t offset, uint32_t left,
                               unsigned count, size_t entries_end, size_t keys_start,
                               uint32_t right, bool root) {
  uint8_t* p = page.data();
  put_le16(p, static_cast<uint16_t>(kAttrLeaf | (root ? kAttrRoot : 0)));
  put_le16(p + 2, static_cast<uint16_t>(count));
  put_le32(p + 4, left);
  put_le32(p + 8, right);
  put_le16(p + 12, static_cast<uint16_t>(keys_start - entries_end));
  put_le32(p + 14, w_.rec_mask());
  p[18] = static_cast<uint8_t>(w_.dup_mask());
  p[19] = static_cast<uint8_t>(w_.trail_mask());
  p[20] = w_.rec_bits;
  p[21] = w_.dup_bits;
  p[22] = w_.trail_bits;
  p[23] = w_.bytes;
  return emit(offset, p);
}

Status BuildWriter::close_leaf(uint32_t right, bool root) {
  leaf_open_ = false;
  return write_leaf(leaf_, leaf_offset_, leaf_left_, leaf_count_, leaf_entries_end_,
                    leaf_keys_start_, right, root);
}

Status BuildWriter::add(const char* key, uint32_t recno) {
  const unsigned k = rules_.key_size;
  if (!leaf_open_) CDX_TRY(open_leaf(kNoPage));
  const unsigned trail = trail_of(key, k, rules_.pad);
  const unsigned dup = leaf_count_ > 0 ? dup_of(prev_key_.data(), key, k - trail) : 0;
  if (leaf_entries_end_ + w_.bytes + (k - dup - trail) > leaf_keys_start_) {
    // The leaf is full: the next one opens first, then the finished one goes up.
    const uint32_t finished = leaf_offset_;
    const unsigned count = leaf_count_;
    const size_t entries_end = leaf_entries_end_, keys_start = leaf_keys_start_;
    const uint32_t left = leaf_left_;
    std::array<uint8_t, kPageSize> done = leaf_;
    CDX_TRY(open_leaf(finished));
    CDX_TRY(write_leaf(done, finished, left, count, entries_end, keys_start, leaf_offset_, false));
    CDX_TRY(push(0, prev_key_.data(), prev_recno_, finished));
    add_to_leaf(key, recno, 0, trail);
    return {};
  }
  add_to_leaf(key, recno, dup, trail);
  return {};
}

void BuildWriter::add_to_leaf(const char* key, uint32_t recno, unsigned dup, unsigned trail) {
  const unsigned k = rules_.key_size;
  const unsigned stored = k - dup - trail;
  const uint64_t v =
      recno | (uint64_t{dup} << w_.rec_bits) | (uint64_t{trail} << (w_.rec_bits + w_.dup_bits));
  uint8_t* e = leaf_.data() + leaf_entries_end_;
  leaf_keys_start_ -= stored;
  if (leaf_entries_end_ + 8 <= leaf_keys_start_) {
    // Eight bytes at once: those past the entry's own are 0 and land in the
    // free middle of the page, which is 0.
    const uint64_t le = std::endian::native == std::endian::little ? v : __builtin_bswap64(v);
    std::memcpy(e, &le, 8);
  } else {
    for (unsigned b = 0; b < w_.bytes; ++b) e[b] = static_cast<uint8_t>(v >> (8 * b));
  }
  leaf_entries_end_ += w_.bytes;
  std::memcpy(leaf_.data() + leaf_keys_start_, key + dup, stored);
  ++leaf_count_;
  std::memcpy(prev_key_.data(), key, k);
  prev_recno_ = recno;
}

Status BuildWriter::push(size_t level, const char* key, uint32_t recno, uint32_t child) {
  const size_t k = rules_.key_size;
  const size_t max = max_branch_entries(rules_.key_size);
  if (branches_.size() <= level) {
    auto offset = s_.extend(kPageSize);
    if (!offset.ok()) return offset.status();
    branches_.emplace_back();
    branches_.back().offset = *offset;
  } else if (branches_[level].recnos.size() >= max) {
    auto offset = s_.extend(kPageSize);
    if (!offset.ok()) return offset.status();
    Branch full = std::move(branches_[level]);
    branches_[level] = Branch{};
    branches_[level].offset = *offset;
    branches_[level].left = full.offset;
    CDX_TRY(close_branch(full, *offset, false));
    const std::string last = full.keys.substr(full.keys.size() - k);
    CDX_TRY(push(level + 1, last.data(), full.recnos.back(), full.offset));
  }
  Branch& b = branches_[level];
  b.keys.append(key, k);
  b.recnos.push_back(recno);
  b.children.push_back(child);
  return {};
}

Status BuildWriter::close_branch(Branch& b, uint32_t right, bool root) {
  std::array<uint8_t, kPageSize> page{};
  const size_t k = rules_.key_size;
  put_le16(page.data(), root ? kAttrRoot : 0);
  put_le16(page.data() + 2, static_cast<uint16_t>(b.recnos.size()));
  put_le32(page.data() + 4, b.left);
  put_le32(page.data() + 8, right);
  for (size_t i = 0; i < b.recnos.size(); ++i) {
    uint8_t* e = page.data() + kNodeHeaderSize + i * (k + 8);
    std::memcpy(e, b.keys.data() + i * k, k);
    put_be32(e + k, b.recnos[i]);
    put_be32(e + k + 4, b.children[i]);
  }
  return emit(b.offset, page.data());
}

Result<uint32_t> BuildWriter::finish() {
  if (!leaf_open_) CDX_TRY(open_leaf(kNoPage));  // an empty tag: one empty root leaf
  const uint32_t root_leaf = leaf_offset_;
  if (branches_.empty()) {
    CDX_TRY(close_leaf(kNoPage, true));
    CDX_TRY(flush());
    return root_leaf;
  }
  const uint32_t leaf_offset = leaf_offset_;
  CDX_TRY(close_leaf(kNoPage, false));
  CDX_TRY(push(0, prev_key_.data(), prev_recno_, leaf_offset));
  uint32_t root = 0;
  for (size_t level = 0; level < branches_.size(); ++level) {
    const bool top = level + 1 == branches_.size();
    if (top) {
      root = branches_[level].offset;
      CDX_TRY(close_branch(branches_[level], kNoPage, true));
      break;
    }
    Branch& b = branches_[level];
    const std::string last = b.keys.substr(b.keys.size() - rules_.key_size);
    const uint32_t recno = b.recnos.back(), offset = b.offset;
    Branch open = std::move(b);
    CDX_TRY(close_branch(open, kNoPage, false));
    CDX_TRY(push(level + 1, last.data(), recno, offset));
  }
  CDX_TRY(flush());
  return root;
}

}  // namespace codfix::cdx
