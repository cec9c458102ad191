// Inserting and removing entries (internal): the B+-tree updates of one tree.
//
// Entries are kept in (key, record number) order. A page that no longer fits
// (a leaf over its 488 bytes, a branch over floor(500 / (K + 8)) entries) is split
// into as many pages as it needs, evenly, or, when the change was at the right
// edge of the tree, with the left page as full as it can be (so that keys added in
// order fill their pages). The root keeps its offset: when it splits, its entries
// move to new pages below it. After a removal an emptied page is unlinked and
// freed, a page that fits into a neighbour under the same parent is joined with
// it, and a root left with one child takes over the child's entries. Every
// branch entry is kept equal to the last entry of its child, and the sibling links
// of every level follow the order.
//
// Both run inside one exclusive PageStore operation.
#pragma once

#include <cstdint>

#include "platform/cdx/tree.h"

namespace codfix::cdx {

class TreeUpdate {
 public:
  explicit TreeUpdate(Tree& tree) : t_(tree), s_(tree.store()) {}

  // False when the entry is there already, or, with `unique`, when an equal key
  // is there.
  Result<bool> insert(const char* key, uint32_t recno, bool unique);
  // False when there is no such entry.
  Result<bool> remove(const char* key, uint32_t recno);

 private:
  // The page at path[level] changed (entries added, or removed: `shrank`): split
  // it when it does not fit, free it when it is empty, join it with a neighbour
  // when it shrank and can, and bring the parent entries up to date.
  Status fix(Path& path, size_t level, bool at_right_edge, bool shrank);
  Status split(Path& path, size_t level, bool at_right_edge);
  Status split_root(Path& path);
  Status remove_empty(Path& path, size_t level);
  Status try_join(Path& path, size_t level);
  Status collapse_root();
  Status update_parents(const Path& path, size_t level);
  bool fits(const Node& node) const;
  Status link_after(uint32_t left, uint32_t fresh);
  Status unlink(uint32_t offset);

  Tree& t_;
  PageStore& s_;
};

}  // namespace codfix::cdx
