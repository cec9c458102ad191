// Tag: one tag of an open compound file (compound_file.h): a B+-tree of
// (key bytes, record number) entries kept in ascending (key, record number) order,
// character keys under the collation given at open, other keys bytewise. A
// descending tag is stored ascending and walked backwards (cursor.h), so equal
// keys come in descending record order there. A unique tag keeps only the first
// entry of each key.
//
// Every page read is checked (node_check in node.h, the tree rules in tree.h):
// a damaged file gives kCorrupt, never a crash, a hang or a wrong answer. Locking
// and change detection are the compound file's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/cdx/compound_file.h"
#include "platform/cdx/tree.h"

namespace codfix::cdx {

class Tag {
 public:
  Tag(CompoundFile& file, TagInfo info, KeyFormat format, const uint8_t* weights);

  const std::string& name() const { return info_.name; }
  const TagHeader& header() const { return info_.header; }
  uint32_t header_offset() const { return info_.header_offset; }
  const KeyFormat& format() const { return format_; }
  uint16_t key_size() const { return format_.size; }
  // The order of the tree (always ascending; see descending()).
  const KeyOrder& order() const { return rules_.order; }
  bool descending() const { return info_.header.descending; }
  bool unique() const { return info_.header.unique(); }
  CompoundFile& file() { return *file_; }

  // The compound file's lock (see CompoundFile::lock).
  Status lock(LockMode mode) { return file_->lock(mode); }
  Status unlock() { return file_->unlock(); }

  // Adds an entry at its (key, record number) place. False when the entry is
  // there already, or, in a unique tag, when an equal key is there.
  Result<bool> insert(std::string_view key, uint32_t recno);
  // Removes the entry with this key and record number; false when there is none.
  Result<bool> remove(std::string_view key, uint32_t recno);

  // Number of keys (walks every page).
  Result<uint64_t> key_count();
  // Checks the whole tree: every page reachable once, keys in order, leaves at one
  // depth, parent entries bounding their children, sibling links of every level.
  Status verify();
  uint64_t generation() const { return file_->generation(); }

  // For Cursor: the tree, and a check that the tag was not deleted.
  Tree tree() { return Tree(file_->store(), info_.header.root, rules_); }
  Status check_alive() const;

 private:
  CompoundFile* file_;
  TagInfo info_;
  KeyFormat format_;
  TreeRules rules_;
};

}  // namespace codfix::cdx
