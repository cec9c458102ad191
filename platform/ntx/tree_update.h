// Inserting and removing entries (internal): the B-tree updates of an index.
//
// insert() places a key after all equal keys. A full page first tries to even out
// with a sibling under the same parent (the right one when there is one), else it
// splits: the lower half goes to a new page on the left, the middle key moves up,
// the rest stays in the original page, which keeps its address. remove() replaces
// a key found in a branch page by its in-order predecessor, then joins or evens
// out pages that fell below half full, and collapses an empty root.
//
// Both run inside one exclusive PageStore operation.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/ntx/tree.h"

namespace codfix::ntx {

class TreeUpdate {
 public:
  explicit TreeUpdate(PageStore& store) : tree_(store), s_(store) {}

  // False when the index is unique and an equal key exists.
  Result<bool> insert(std::string_view key, uint32_t recno, bool unique);
  // False when there is no such entry.
  Result<bool> remove(std::string_view key, uint32_t recno);

 private:
  Status insert_at(Path& path, size_t level, Item item, std::string& item_key);
  Status fix_underflow(Path& path);

  Tree tree_;
  PageStore& s_;
};

}  // namespace codfix::ntx
