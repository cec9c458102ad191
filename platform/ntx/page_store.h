// PageStore (internal): the pages of one open index, cached, with the header, the
// free list, the index lock and change detection.
//
// Every operation runs between begin() and end(). begin() takes the index lock on a
// shared file (unless a surrounding lock() holds it) and, under it, re-reads the
// first 12 header bytes: when another process changed them, cached pages are
// dropped and the generation goes up. end() writes the pages the operation changed
// and, when the root or free list moved (or after any write on a shared file),
// the header with the update counter incremented; a failed operation writes
// nothing and forgets its changes. PageRefs stay valid until end().
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/ntx/header.h"
#include "platform/ntx/key_compare.h"
#include "platform/ntx/layout.h"
#include "platform/ntx/page_file.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

class PageStore {
 public:
  PageStore(std::unique_ptr<PageFile> file, Header header, uint64_t file_size, KeyOrder order);

  const Header& header() const { return header_; }
  Geometry geometry() const { return {header_.max_items, header_.key_size}; }
  const KeyOrder& order() const { return order_; }
  PageFile& file() { return *file_; }
  uint64_t file_size() const { return file_size_; }
  uint64_t generation() const { return generation_; }

  // Caller-held lock scopes (Index::lock / unlock).
  Status lock(LockMode mode);
  Status unlock();

  // One operation.
  Status begin(LockMode mode);
  Status end(const Status& outcome);

  // A node page, read and checked on first use.
  Result<PageRef> page(uint32_t offset);
  // The same page, to be changed (it must have been read in this operation).
  PageRef modify(uint32_t offset);
  // A fresh empty page, from the free list or at the end of the file.
  Result<uint32_t> allocate();
  // Puts a page on the free list.
  void release(uint32_t offset);
  void set_root(uint32_t offset);

  // The depth at which leaves were found on this state of the tree (-1 unknown).
  int leaf_depth() const { return leaf_depth_; }
  void set_leaf_depth(int d) { leaf_depth_ = d; }

 private:
  struct Cached {
    std::array<uint8_t, kPageSize> bytes;
    bool dirty = false;
  };

  Status refresh();
  Status write_out();
  void changed();
  void forget();

  std::unique_ptr<PageFile> file_;
  Header header_;
  Header saved_;  // header at the start of the outermost write operation
  uint64_t file_size_;
  uint64_t saved_size_;
  KeyOrder order_;
  std::unordered_map<uint32_t, std::unique_ptr<Cached>> cache_;
  // Pages changed and not yet written, so that end() need not scan the cache.
  std::vector<uint32_t> dirty_;
  int depth_ = 0;  // nesting of lock() and begin()
  LockMode held_ = LockMode::kShared;
  bool file_locked_ = false;
  bool wrote_ = false;         // pages written since the file lock was taken
  bool header_moved_ = false;  // root or free head changed in this operation
  uint64_t generation_ = 1;
  int leaf_depth_ = -1;
};

}  // namespace codfix::ntx
