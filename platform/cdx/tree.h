// Tree (internal): walking one B+-tree of a compound file (a tag, or the tag
// directory) along a Path with checked steps.
//
// A Path holds the pages from the root down; in every branch the position is the
// child followed, in the leaf it is a gap: 0..count, the entry at pos being the
// one after the gap. Every step checks what a damaged file could break: the page
// itself (decode_node), that it is not already on the path, that all leaves lie at
// one depth, that a child's keys lie between the parent entries around it, and,
// when a walk passes from one page to the next, that the sibling links agree with
// the order the parents give.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/cdx/node.h"
#include "platform/cdx/page_store.h"
#include "platform/cdx/status.h"

namespace codfix::cdx {

struct Frame {
  uint32_t page = 0;
  uint16_t pos = 0;
};
using Path = std::vector<Frame>;

// Which entries lie before a search target: the descent ends at the first entry
// that does not.
using Before = std::function<bool(const char* key, uint32_t recno)>;

class Tree {
 public:
  Tree(PageStore& store, uint32_t root, const TreeRules& rules)
      : s_(store), root_(root), rules_(rules) {}

  PageStore& store() { return s_; }
  const TreeRules& rules() const { return rules_; }
  uint32_t root_offset() const { return root_; }
  uint16_t key_size() const { return rules_.key_size; }

  // The root page; the path is reset to it.
  Result<Node*> root(Path& path);
  // The page of a frame already on the path (read and checked before).
  Result<Node*> at(const Frame& f) { return s_.page(f.page, rules_); }
  // Child `i` of the last page of the path: its pos becomes i and the child is
  // pushed with pos 0.
  Result<Node*> child(Path& path, unsigned i);

  // Path to the leaf gap before the first entry not before the target.
  Status descend(Path& path, const Before& before);
  // The first key not less than `prefix` (only its first prefix.size() bytes
  // count); `upper`: the first key greater.
  Status descend_prefix(Path& path, std::string_view prefix, bool upper);
  // To the gap before (key, recno) or where it would be; true when it is there.
  Result<bool> locate(Path& path, const char* key, uint32_t recno);

  // From a leaf gap, the entry after it (false: none; the path then stays at the
  // last gap of the tree).
  Result<bool> settle_forward(Path& path);
  // From a leaf gap, to the gap before the entry before it, i.e. onto that entry
  // (false: none; the path then stays at the first gap).
  Result<bool> settle_backward(Path& path);
  // The gap before the first entry / after the last entry of the tree.
  Status leftmost(Path& path);
  Status rightmost(Path& path);

  // Keys under page `offset` at `depth`, every page checked and met once (`seen`).
  // `lower` (exclusive) and `upper` (inclusive) bound the keys when given. With
  // `levels`, the pages of each level are gathered left to right.
  struct Bound {
    const char* key = nullptr;
    uint32_t recno = 0;
  };
  Result<uint64_t> count(uint32_t offset, size_t depth, std::unordered_set<uint32_t>& seen,
                         Bound lower, Bound upper,
                         std::vector<std::vector<uint32_t>>* levels = nullptr);
  // Every check of count() over the whole tree, plus the sibling chain of every
  // level; the pages of the tree are added to `seen`.
  Result<uint64_t> verify(std::unordered_set<uint32_t>& seen,
                          std::vector<uint32_t>* pages = nullptr);

 private:
  Status note_depth(const Node& node, uint32_t offset, size_t depth);
  Status check_bounds(const Node& node, uint32_t offset, Bound lower, Bound upper);
  PageStore& s_;
  uint32_t root_;
  TreeRules rules_;
};

}  // namespace codfix::cdx
