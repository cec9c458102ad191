// PageStore (internal): the pages of one open compound file, decoded and cached,
// with the free-page list, file growth, the index lock and change detection. All
// the trees of the file (the tag directory and every tag) share it.
//
// Every operation runs between begin() and end(). begin() takes the index lock on
// a shared file (unless a surrounding lock() holds it) and, under it, re-reads the
// free-list head and the update counter at offset 4: when another process changed
// them (or the file size), cached pages are dropped and the generation goes up.
// end() writes the pages the operation changed and the free-list head when it
// moved; on a shared file the counter is incremented and written with the head
// when the lock is released, and the file is flushed. A failed operation writes
// nothing more and forgets its changes. Node pointers stay valid until end().
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "platform/cdx/node.h"
#include "platform/cdx/page_file.h"
#include "platform/cdx/tag_header.h"

namespace codfix::cdx {

class PageStore {
 public:
  PageStore(std::unique_ptr<PageFile> file, uint64_t file_size, uint32_t free_raw,
            uint32_t counter);

  PageFile& file() { return *file_; }
  uint64_t file_size() const { return file_size_; }
  uint64_t generation() const { return generation_; }
  uint32_t free_head() const { return free_raw_ == kNoPage ? 0 : free_raw_; }
  bool in_operation() const { return depth_ > 0; }
  bool exclusive_held() const { return depth_ > 0 && held_ == LockMode::kExclusive; }

  // Caller-held lock scopes (CompoundFile::lock / unlock).
  Status lock(LockMode mode);
  Status unlock();

  // One operation.
  Status begin(LockMode mode);
  Status end(const Status& outcome);

  // A node page of a tree, read and checked on first use.
  Result<Node*> page(uint32_t offset, const TreeRules& rules);
  // The same page, to be changed (it must have been read in this operation).
  Node* modify(uint32_t offset);
  // A fresh empty node of `rules` with attribute `attr`, from the free list or at
  // the end of the file.
  Result<uint32_t> allocate(const TreeRules& rules, uint16_t attr);
  // Puts a page on the free list.
  void release(uint32_t offset);
  // `bytes` (a multiple of 512) at the end of the file, for tag headers and bulk
  // builds; the caller writes them itself with write_at().
  Result<uint32_t> extend(uint64_t bytes);
  // Bytes written straight to the file inside an operation; on a shared file the
  // update counter goes up when the lock is released.
  Status write_at(uint64_t offset, const void* data, size_t count);

  // The depth of the leaves of the tree with this root, once found (-1 unknown).
  int leaf_depth(uint32_t root) const;
  void set_leaf_depth(uint32_t root, int depth) { leaf_depth_[root] = depth; }

 private:
  struct Cached {
    Node node;
    bool dirty = false;
  };

  Status refresh();
  Status write_out();
  void changed();
  void forget();

  std::unique_ptr<PageFile> file_;
  uint64_t file_size_;
  uint32_t free_raw_;  // as stored (0 or 0xFFFFFFFF: empty)
  uint32_t counter_;
  // State at the start of the outermost write operation, restored when it fails.
  uint64_t saved_size_;
  uint32_t saved_free_;
  std::unordered_map<uint32_t, std::unique_ptr<Cached>> cache_;
  std::vector<uint32_t> dirty_;         // pages changed and not yet written
  std::map<uint32_t, uint32_t> freed_;  // pages freed in this operation -> next link
  std::map<uint32_t, int> leaf_depth_;
  int depth_ = 0;  // nesting of lock() and begin()
  LockMode held_ = LockMode::kShared;
  bool file_locked_ = false;
  bool wrote_ = false;       // written since the file lock was taken
  bool free_moved_ = false;  // free head changed in this operation
  bool grew_ = false;        // file extended in this operation
  uint64_t generation_ = 1;
};

// Runs `body` as one operation of `store` in lock `mode`; the body's failure (or
// the failure to write its changes) is the result.
template <typename F>
auto run_operation(PageStore& store, LockMode mode, F&& body) -> decltype(body()) {
  CDX_TRY(store.begin(mode));
  auto r = body();
  Status outcome;
  if constexpr (std::is_same_v<decltype(r), Status>) {
    outcome = r;
  } else {
    if (!r.ok()) outcome = r.status();
  }
  Status e = store.end(outcome);
  if (!e.ok()) return e;
  return r;
}

}  // namespace codfix::cdx
