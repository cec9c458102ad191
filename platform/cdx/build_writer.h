// BuildWriter (internal): the pages of a tag built in one pass from entries given
// in order, the way the classic runtime fills them: leaves until the next key does
// not fit, branches to their most entries, the last entry of each finished page
// pushed into the level above, pages given offsets as they are opened (a leaf
// before its parent), sibling links at every level, and at the end the last open
// page of each level pushed up until the top level's single page becomes the root.
//
// Pages come from the end of the file (PageStore::extend) and are written as they
// are finished, in runs of up to a megabyte of consecutive pages (see emit()).
// Memory: one open page per level and the run.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/cdx/node.h"
#include "platform/cdx/page_store.h"

namespace codfix::cdx {

class BuildWriter {
 public:
  // Leaves get the widths `w`.
  BuildWriter(PageStore& store, const TreeRules& rules, LeafWidths w)
      : s_(store), rules_(rules), w_(w), prev_key_(rules.key_size, '\0') {}

  // The next entry; entries come in (key, record number) order.
  Status add(const char* key, uint32_t recno);
  // Writes what is still open; the root page's offset.
  Result<uint32_t> finish();

 private:
  struct Branch {
    uint32_t offset = 0;
    uint32_t left = kNoPage;
    std::string keys;
    std::vector<uint32_t> recnos;
    std::vector<uint32_t> children;
  };

  Status open_leaf(uint32_t left);
  // Puts the entry into the open leaf, which has room for it.
  void add_to_leaf(const char* key, uint32_t recno, unsigned dup, unsigned trail);
  Status write_leaf(std::array<uint8_t, kPageSize>& page, uint32_t offset, uint32_t left,
                    unsigned count, size_t entries_end, size_t keys_start, uint32_t right,
                    bool root);
  Status close_leaf(uint32_t right, bool root);
  Status push(size_t level, const char* key, uint32_t recno, uint32_t child);
  Status close_branch(Branch& b, uint32_t right, bool root);
  Status emit(uint32_t offset, const uint8_t* page);
  Status flush();

  PageStore& s_;
  TreeRules rules_;
  LeafWidths w_;
  // The open leaf, filled in place.
  std::array<uint8_t, kPageSize> leaf_{};
  bool leaf_open_ = false;
  uint32_t leaf_offset_ = 0;
  uint32_t leaf_left_ = kNoPage;
  unsigned leaf_count_ = 0;
  size_t leaf_entries_end_ = kLeafHeaderSize;
  size_t leaf_keys_start_ = kPageSize;
  std::string prev_key_;
  uint32_t prev_recno_ = 0;
  std::vector<Branch> branches_;  // index 0 is level 1
  // Finished pages waiting to be written: a run of consecutive offsets.
  std::vector<uint8_t> run_;
  uint32_t run_start_ = 0;
  uint64_t flushed_end_ = 0;  // the end of the runs written so far
};

}  // namespace codfix::cdx
