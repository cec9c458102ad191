#include "platform/ntx/page_writer.h"

#include <cstring>
#include <string>
#include <utility>

#include "platform/ntx/balance.h"

namespace codfix::ntx {
namespace {
constexpr size_t kBatchPages = 256;
}

PageWriter::PageWriter(PageFile& file, Geometry g) : file_(file), g_(g) {
  batch_.reserve(kBatchPages * kPageSize);
  new_level();
}

void PageWriter::new_level() {
  levels_.emplace_back();
  PageRef(levels_.back().open->data(), g_).init();
}

Status PageWriter::push(size_t level, uint32_t child, uint32_t recno, const char* key) {
  if (level == levels_.size()) new_level();
  PageRef page(levels_[level].open->data(), g_);
  const unsigned n = page.count();
  if (n < g_.max_items) {
    page.set_entry_item(n, Item{child, recno, key});
    page.set_count(static_cast<uint16_t>(n + 1));
    return {};
  }
  // Full: the arriving key's child becomes this page's rightmost child, and the
  // key moves up with this page as its child.
  page.set_child(n, child);
  auto closed = close(level);
  if (!closed.ok()) return closed.status();
  return push(level + 1, *closed, recno, key);
}

Result<uint32_t> PageWriter::close(size_t level) {
  if (next_offset_ + kPageSize > 0xFFFFFFFFull) return Status(Code::kWriteError, "index file full");
  Level& l = levels_[level];
  const auto offset = static_cast<uint32_t>(next_offset_);
  next_offset_ += kPageSize;
  batch_.insert(batch_.end(), l.open->begin(), l.open->end());
  if (batch_.size() >= kBatchPages * kPageSize) NTX_TRY(flush());
  std::swap(l.prev, l.last);
  std::swap(l.last, l.open);
  l.prev_offset = l.last_offset;
  l.last_offset = offset;
  PageRef(l.open->data(), g_).init();
  return offset;
}

Status PageWriter::flush() {
  if (batch_.empty()) return {};
  NTX_TRY(file_.write_at(batch_offset_, batch_.data(), batch_.size()));
  batch_offset_ += batch_.size();
  batch_.clear();
  return {};
}

Result<uint32_t> PageWriter::finish() {
  uint32_t below = 0;
  for (size_t level = 0; level < levels_.size(); ++level) {
    PageRef page(levels_[level].open->data(), g_);
    page.set_child(page.count(), below);
    auto closed = close(level);
    if (!closed.ok()) return closed.status();
    below = *closed;
  }
  NTX_TRY(flush());
  const uint32_t root = below;

  // Right-edge repair, from the root down: a rightmost child below half full is
  // evened out with its left sibling through the separator between them.
  std::vector<bool> changed(levels_.size(), false);
  for (size_t level = levels_.size() - 1; level > 0; --level) {
    PageRef parent(levels_[level].last->data(), g_);
    Level& low = levels_[level - 1];
    PageRef right(low.last->data(), g_);
    const unsigned n = parent.count();
    if (right.count() >= g_.half() || n == 0) continue;
    if (parent.child(n - 1) != low.prev_offset || parent.child(n) != low.last_offset)
      return Status(Code::kInvalidArgument, "bulk build: right edge not as laid out");
    balance(PageRef(low.prev->data(), g_), right, parent, n - 1);
    changed[level] = true;
    changed[level - 1] = true;
  }
  for (size_t level = 0; level < levels_.size(); ++level) {
    if (!changed[level]) continue;
    const Level& l = levels_[level];
    NTX_TRY(file_.write_at(l.last_offset, l.last->data(), kPageSize));
    if (l.prev_offset != 0) NTX_TRY(file_.write_at(l.prev_offset, l.prev->data(), kPageSize));
  }
  return root;
}

}  // namespace codfix::ntx
