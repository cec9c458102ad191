#include "platform/ntx/page_store.h"

#include <string>
#include <utility>

#include "platform/ntx/page_check.h"

namespace codfix::ntx {
namespace {
constexpr size_t kCacheLimit = 1024;  // pages kept between operations
}

PageStore::PageStore(std::unique_ptr<PageFile> file, Header header, uint64_t file_size,
                     KeyOrder order)
    : file_(std::move(file)),
      header_(std::move(header)),
      saved_(header_),
      file_size_(file_size),
      saved_size_(file_size),
      order_(order) {}

Status PageStore::lock(LockMode mode) {
  if (depth_ > 0 && held_ == LockMode::kShared && mode == LockMode::kExclusive)
    return Status::invalid("cannot take the index write lock while holding the read lock");
  if (mode == LockMode::kExclusive && !file_->writable())
    return Status::invalid("index is open read-only");
  if (depth_ == 0) {
    held_ = mode;
    if (file_->shared()) {
      NTX_TRY(file_->lock(mode));
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
      header_.version = static_cast<uint16_t>(header_.version + 1);
      auto prefix = encode_header_prefix(header_);
      result = file_->write_at(0, prefix.data(), prefix.size());
      if (result.ok()) result = file_->sync();
      wrote_ = false;
    }
    Status u = file_->unlock();
    file_locked_ = false;
    if (result.ok()) result = u;
  }
  if (cache_.size() > kCacheLimit) {
    cache_.clear();
    dirty_.clear();
  }
  return result;
}

Status PageStore::begin(LockMode mode) {
  NTX_TRY(lock(mode));
  if (mode == LockMode::kExclusive) {
    saved_ = header_;
    saved_size_ = file_size_;
    header_moved_ = false;
  }
  return {};
}

Status PageStore::end(const Status& outcome) {
  Status result = outcome;
  if (header_moved_ || !dirty_.empty()) {
    if (result.ok()) result = write_out();
    if (!result.ok()) forget();
    changed();
  }
  header_moved_ = false;
  Status u = unlock();
  return result.ok() ? u : result;
}

Status PageStore::write_out() {
  for (uint32_t offset : dirty_) {
    auto it = cache_.find(offset);
    if (it == cache_.end() || !it->second->dirty) continue;
    NTX_TRY(file_->write_at(offset, it->second->bytes.data(), kPageSize));
    it->second->dirty = false;
    wrote_ = true;
  }
  dirty_.clear();
  if (header_moved_ && !file_->shared()) {
    // A shared file gets its header, counter incremented, when the lock is released.
    header_.version = static_cast<uint16_t>(header_.version + 1);
    auto prefix = encode_header_prefix(header_);
    NTX_TRY(file_->write_at(0, prefix.data(), prefix.size()));
  }
  if (header_moved_) wrote_ = true;
  return {};
}

void PageStore::changed() {
  ++generation_;
  leaf_depth_ = -1;
}

void PageStore::forget() {
  cache_.clear();
  dirty_.clear();
  header_ = saved_;
  file_size_ = saved_size_;
  header_moved_ = false;
}

Status PageStore::refresh() {
  std::array<uint8_t, kHeaderPrefixSize> now{};
  NTX_TRY(file_->read_at(0, now.data(), now.size()));
  auto size = file_->size();
  if (!size.ok()) return size.status();
  auto known = encode_header_prefix(header_);
  if (now == known && *size == file_size_) return {};
  Header h = header_;
  h.type = get16(now.data());
  h.version = get16(now.data() + 2);
  h.root = get32(now.data() + 4);
  h.free_head = get32(now.data() + 8);
  if (h.root == 0 || h.root % kPageSize != 0 || h.root + uint64_t{kPageSize} > *size)
    return Status::corrupt("header: root page offset " + std::to_string(h.root) + " invalid");
  if (h.free_head % kPageSize != 0 ||
      (h.free_head != 0 && h.free_head + uint64_t{kPageSize} > *size))
    return Status::corrupt("header: free page offset " + std::to_string(h.free_head) + " invalid");
  header_ = h;
  saved_ = h;
  file_size_ = *size;
  saved_size_ = *size;
  cache_.clear();
  dirty_.clear();
  changed();
  return {};
}

Result<PageRef> PageStore::page(uint32_t offset) {
  auto it = cache_.find(offset);
  if (it != cache_.end()) return PageRef(it->second->bytes.data(), geometry());
  if (offset == 0 || offset % kPageSize != 0 || offset + uint64_t{kPageSize} > file_size_)
    return Status::corrupt("page offset " + std::to_string(offset) + " outside the file");
  auto cached = std::make_unique<Cached>();
  NTX_TRY(file_->read_at(offset, cached->bytes.data(), kPageSize));
  NTX_TRY(check_page(cached->bytes.data(), geometry(), offset, file_size_, order_));
  PageRef ref(cached->bytes.data(), geometry());
  cache_.emplace(offset, std::move(cached));
  return ref;
}

PageRef PageStore::modify(uint32_t offset) {
  Cached& c = *cache_.at(offset);
  if (!c.dirty) dirty_.push_back(offset);
  c.dirty = true;
  return PageRef(c.bytes.data(), geometry());
}

Result<uint32_t> PageStore::allocate() {
  auto cached = std::make_unique<Cached>();
  uint32_t offset;
  if (header_.free_head != 0) {
    offset = header_.free_head;
    uint32_t next;
    auto it = cache_.find(offset);
    if (it != cache_.end()) {
      cached = std::move(it->second);
      cache_.erase(it);
    } else {
      if (offset % kPageSize != 0 || offset + uint64_t{kPageSize} > file_size_)
        return Status::corrupt("free page offset " + std::to_string(offset) + " outside the file");
      NTX_TRY(file_->read_at(offset, cached->bytes.data(), kPageSize));
    }
    // The link sits in the child field of the item that offset entry 0 points at.
    uint16_t e0 = get16(cached->bytes.data() + 2);
    if (e0 < 2 || e0 + 4u > kPageSize)
      return Status::corrupt("free page " + std::to_string(offset) + ": bad item offset");
    next = get32(cached->bytes.data() + e0);
    if (next == offset || next % kPageSize != 0 ||
        (next != 0 && next + uint64_t{kPageSize} > file_size_))
      return Status::corrupt("free page " + std::to_string(offset) + ": bad link " +
                             std::to_string(next));
    header_.free_head = next;
    header_moved_ = true;
  } else {
    uint64_t end = (file_size_ + kPageSize - 1) / kPageSize * kPageSize;
    if (end + kPageSize > 0xFFFFFFFFull) return Status(Code::kWriteError, "index file full");
    offset = static_cast<uint32_t>(end);
    file_size_ = end + kPageSize;
  }
  PageRef(cached->bytes.data(), geometry()).init();
  // A page released earlier in this operation is on the changed list already.
  if (!cached->dirty) dirty_.push_back(offset);
  cached->dirty = true;
  cache_[offset] = std::move(cached);
  return offset;
}

void PageStore::release(uint32_t offset) {
  PageRef p = modify(offset);
  p.set_count(0);
  put32(p.data() + p.entry(0), header_.free_head);
  header_.free_head = offset;
  header_moved_ = true;
}

void PageStore::set_root(uint32_t offset) {
  header_.root = offset;
  header_moved_ = true;
}

}  // namespace codfix::ntx
