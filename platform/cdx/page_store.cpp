#include "platform/cdx/page_store.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "platform/indexing/bytes.h"

namespace codfix::cdx {
namespace {
constexpr size_t kCacheLimit = 2048;  // pages kept between operations
}

PageStore::PageStore(std::unique_ptr<PageFile> file, uint64_t file_size, uint32_t free_raw,
                     uint32_t counter)
    : file_(std::move(file)),
      file_size_(file_size),
      free_raw_(free_raw),
      counter_(counter),
      saved_size_(file_size),
      saved_free_(free_raw) {}

Status PageStore::lock(LockMode mode) {
  if (depth_ > 0 && held_ == LockMode::kShared && mode == LockMode::kExclusive)
    return Status::invalid("cannot take the index write lock while holding the read lock");
  if (mode == LockMode::kExclusive && !file_->writable())
    return Status::invalid("index is open read-only");
  if (depth_ == 0) {
    held_ = mode;
    if (file_->shared()) {
      CDX_TRY(file_->lock(mode));
      file_locked_ = true;
      wrote_ = false;
      Status s = refresh();
      if (!s.ok()) {
        (void)file_->unlock();
        file_locked_ = false;
        return s;
      }
    }
  }
  ++depth_;
  return {};
}

Status PageStore::unlock() {
  if (depth_ == 0) return Status::invalid("index lock released but not held");
  if (--depth_ > 0) return {};
  Status result;
  if (file_locked_) {
    if (wrote_) {
      ++counter_;
      auto fields = encode_shared_fields(free_raw_, counter_);
      result = file_->write_at(4, fields.data(), fields.size());
      if (result.ok()) result = file_->sync();
      wrote_ = false;
    }
    Status u = file_->unlock();
    file_locked_ = false;
    if (result.ok()) result = u;
  }
  if (cache_.size() > kCacheLimit) cache_.clear();
  return result;
}

Status PageStore::begin(LockMode mode) {
  CDX_TRY(lock(mode));
  if (mode == LockMode::kExclusive) {
    saved_size_ = file_size_;
    saved_free_ = free_raw_;
    free_moved_ = false;
    grew_ = false;
  }
  return {};
}

Status PageStore::end(const Status& outcome) {
  Status result = outcome;
  const bool dirty = free_moved_ || grew_ || !freed_.empty() || !dirty_.empty();
  if (dirty) {
    if (result.ok()) result = write_out();
    if (!result.ok()) forget();
    changed();
  }
  free_moved_ = false;
  grew_ = false;
  Status u = unlock();
  return result.ok() ? u : result;
}

Status PageStore::write_out() {
  std::sort(dirty_.begin(), dirty_.end());
  dirty_.erase(std::unique(dirty_.begin(), dirty_.end()), dirty_.end());
  std::array<uint8_t, kPageSize> bytes{};
  for (uint32_t offset : dirty_) {
    auto it = cache_.find(offset);
    if (it == cache_.end() || !it->second->dirty) continue;  // freed since
    encode_node(it->second->node, bytes.data());
    CDX_TRY(file_->write_at(offset, bytes.data(), bytes.size()));
    it->second->dirty = false;
    wrote_ = true;
  }
  dirty_.clear();
  for (const auto& [offset, next] : freed_) {
    bytes.fill(0);
    indexing::put_le32(bytes.data(), next);
    CDX_TRY(file_->write_at(offset, bytes.data(), bytes.size()));
    wrote_ = true;
  }
  freed_.clear();
  if (free_moved_ && !file_->shared()) {
    // A shared file gets the head, with the counter, when the lock is released.
    std::array<uint8_t, 4> head{};
    indexing::put_le32(head.data(), free_raw_);
    CDX_TRY(file_->write_at(4, head.data(), head.size()));
  }
  if (free_moved_ || grew_) wrote_ = true;
  return {};
}

void PageStore::changed() {
  ++generation_;
  leaf_depth_.clear();
}

void PageStore::forget() {
  cache_.clear();
  dirty_.clear();
  freed_.clear();
  if (grew_ && file_size_ > saved_size_) (void)file_->truncate(saved_size_);
  file_size_ = saved_size_;
  free_raw_ = saved_free_;
  free_moved_ = false;
  grew_ = false;
}

Status PageStore::refresh() {
  std::array<uint8_t, 8> now{};
  CDX_TRY(file_->read_at(4, now.data(), now.size()));
  auto size = file_->size();
  if (!size.ok()) return size.status();
  if (now == encode_shared_fields(free_raw_, counter_) && *size == file_size_) return {};
  free_raw_ = indexing::le32(now.data());
  counter_ = indexing::be32(now.data() + 4);
  file_size_ = *size;
  saved_free_ = free_raw_;
  saved_size_ = file_size_;
  cache_.clear();
  changed();
  return {};
}

Result<Node*> PageStore::page(uint32_t offset, const TreeRules& rules) {
  auto it = cache_.find(offset);
  if (it != cache_.end()) {
    Node& n = it->second->node;
    if (n.key_size != rules.key_size || n.pad != rules.pad || n.directory != rules.directory)
      return Status::corrupt("page " + std::to_string(offset) + " belongs to two trees");
    return &n;
  }
  if (freed_.count(offset) != 0)
    return Status::corrupt("page " + std::to_string(offset) + " is on the free list");
  if (offset < kHeaderSize || offset % kPageSize != 0 || uint64_t{offset} + kPageSize > file_size_)
    return Status::corrupt("page offset " + std::to_string(offset) + " outside the file");
  std::array<uint8_t, kPageSize> bytes{};
  CDX_TRY(file_->read_at(offset, bytes.data(), bytes.size()));
  auto cached = std::make_unique<Cached>();
  CDX_TRY(decode_node(bytes.data(), rules, offset, file_size_, cached->node));
  Node* n = &cached->node;
  cache_.emplace(offset, std::move(cached));
  return n;
}

Node* PageStore::modify(uint32_t offset) {
  Cached& c = *cache_.at(offset);
  if (!c.dirty) dirty_.push_back(offset);
  c.dirty = true;
  return &c.node;
}

Result<uint32_t> PageStore::allocate(const TreeRules& rules, uint16_t attr) {
  uint32_t offset = 0;
  const uint32_t head = free_head();
  if (head != 0) {
    uint32_t next = 0;
    bool usable = false;
    if (auto f = freed_.find(head); f != freed_.end()) {
      next = f->second;
      freed_.erase(f);
      usable = true;
    } else if (cache_.count(head) == 0 && head >= kHeaderSize && head % kPageSize == 0 &&
               uint64_t{head} + kPageSize <= file_size_) {
      // Take a listed page only when it looks free (a link, then zeros), so that a
      // damaged list never hands out a page still in use.
      std::array<uint8_t, kPageSize> bytes{};
      CDX_TRY(file_->read_at(head, bytes.data(), bytes.size()));
      next = indexing::le32(bytes.data());
      usable = std::all_of(bytes.begin() + 4, bytes.end(), [](uint8_t b) { return b == 0; }) &&
               next != head &&
               (next == 0 || next == kNoPage ||
                (next >= kHeaderSize && next % kPageSize == 0 &&
                 uint64_t{next} + kPageSize <= file_size_));
    }
    if (usable) {
      offset = head;
      free_raw_ = next == kNoPage ? 0 : next;
      free_moved_ = true;
    }
  }
  if (offset == 0) {
    auto end = extend(kPageSize);
    if (!end.ok()) return end.status();
    offset = *end;
  }
  auto cached = std::make_unique<Cached>();
  cached->node.reset(rules, attr);
  cached->dirty = true;
  dirty_.push_back(offset);
  cache_[offset] = std::move(cached);
  return offset;
}

void PageStore::release(uint32_t offset) {
  cache_.erase(offset);
  freed_[offset] = free_head();
  free_raw_ = offset;
  free_moved_ = true;
}

Result<uint32_t> PageStore::extend(uint64_t bytes) {
  uint64_t end = (file_size_ + kPageSize - 1) / kPageSize * kPageSize;
  if (end + bytes > 0x7FFFF000ull)
    return Status(Code::kWriteError, "compound index file full (2 GB)");
  file_size_ = end + bytes;
  grew_ = true;
  return static_cast<uint32_t>(end);
}

Status PageStore::write_at(uint64_t offset, const void* data, size_t count) {
  CDX_TRY(file_->write_at(offset, data, count));
  wrote_ = true;  // other users learn of it through the update counter
  return {};
}

int PageStore::leaf_depth(uint32_t root) const {
  auto it = leaf_depth_.find(root);
  return it == leaf_depth_.end() ? -1 : it->second;
}

}  // namespace codfix::cdx
