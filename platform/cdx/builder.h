// Builder: makes a complete tag in one pass from (key, record number) pairs given
// in any order, the way INDEX ON ... TAG does: the pairs are sorted by key, then
// record number; a unique tag keeps the first (lowest record number) of each key;
// the leaves are filled until the next key does not fit and the branches to their
// most entries, bottom-up; the tag header goes at the end of the file with the
// pages after it, and the name into the directory. A tag of the same name is
// replaced. The pages are byte for byte what the classic runtime writes for the
// same keys.
//
// Memory: the keys and record numbers added (see KeySorter), and one open
// page per tree level. Keys must be exactly the definition's key length.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cdx/compound_file.h"
#include "platform/cdx/status.h"
#include "platform/cdx/tag_header.h"
#include "platform/indexing/key_sorter.h"

namespace codfix::cdx {

class Builder {
 public:
  // `weights` orders character keys (text::weights()); nullptr for byte order.
  Builder(TagDefinition def, const uint8_t* weights);

  // One entry. kInvalidArgument when the key has the wrong length or recno is 0.
  Status add(std::string_view key, uint32_t recno);
  // `count` keys, one after the other, of the records from `first_recno` on,
  // into a part of the sort (below indexing::KeySorter::kParts): each part may be
  // filled by its own thread at the same time as the others.
  Status add_run(unsigned part, const char* keys, size_t count, uint32_t first_recno);
  size_t size() const { return sorter_.size(); }
  // The largest record number the tag may come to hold (the table's record
  // count): the leaves' record-number width is chosen for it, as the classic
  // runtime does. Without it, the largest record number added.
  void set_record_count(uint32_t count) { record_count_ = count; }

  // Sorts and writes the tag into `file`, in one exclusive operation. The
  // builder's entries are released afterwards.
  Status write(CompoundFile& file);

 private:
  TagDefinition def_;
  const uint8_t* weights_;
  indexing::KeySorter sorter_;
  uint32_t record_count_ = 0;
};

}  // namespace codfix::cdx
