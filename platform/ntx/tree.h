// Tree (internal): walking the B-tree of an index with checked steps along a Path
// (path.h).
//
// Every step checks what a damaged file could break: the page itself
// (check_page), that it is not already on the path, that all leaves lie at one
// depth, and that a child's keys lie between the parent keys around it.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/ntx/layout.h"
#include "platform/ntx/page_store.h"
#include "platform/ntx/path.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

class Tree {
 public:
  explicit Tree(PageStore& store) : s_(store) {}

  PageStore& store() { return s_; }
  const KeyOrder& order() const { return s_.order(); }
  uint16_t key_size() const { return s_.header().key_size; }

  // The root page; the path is reset to it.
  Result<PageRef> root(Path& path);
  // Child `i` of the last page of the path; the last frame's pos becomes i and
  // the child is pushed with pos 0.
  Result<PageRef> child(Path& path, unsigned i);
  // The page of a frame already on the path (read and checked before).
  Result<PageRef> at(const Frame& f) { return s_.page(f.page); }

  // Path to the first key not less than `prefix` under the seek rule (only the
  // first prefix.size() bytes count); `upper` finds the first key greater
  // instead. The last frame is the leaf with the gap position; use settle_*.
  Status descend(Path& path, std::string_view prefix, bool upper);
  // From a leaf gap, the key at or after it (false: none, path unchanged).
  Result<bool> settle_forward(Path& path);
  // From a leaf gap, the key before it (false: none).
  Result<bool> settle_backward(Path& path);
  // From a key, the next / previous key (false: none; the path is then unusable).
  Result<bool> step_forward(Path& path);
  Result<bool> step_backward(Path& path);
  // Path to the leftmost / rightmost gap of the subtree at the end of the path.
  Status leftmost(Path& path);
  Status rightmost(Path& path);

  // Finds the entry (key, recno) (key of full size): kFound with the path on it,
  // kAfter on the first key after where it would be, kEnd when no key follows.
  enum class Where { kFound, kAfter, kEnd };
  Result<Where> locate(Path& path, std::string_view key, uint32_t recno);

  // Keys in the subtree of page `offset` at `depth` (checked walk; a page met twice
  // is corruption). `lower`/`upper` are the parent keys around it, or nullptr.
  Result<uint64_t> count(uint32_t offset, size_t depth, std::unordered_set<uint32_t>& seen,
                         const char* lower, const char* upper);

 private:
  Status note_depth(const PageRef& page, uint32_t offset, size_t depth);
  Status check_bounds(const PageRef& page, uint32_t offset, const char* lower, const char* upper);
  PageStore& s_;
};

}  // namespace codfix::ntx
