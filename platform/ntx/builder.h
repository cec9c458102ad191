// Builder: makes a complete NTX file in one pass from (key, record number) pairs
// given in any order, the way INDEX ON does: a sort by key, equal keys in record
// order; unique indexes keep the first of each key, then pages are
// filled bottom-up to M keys each, the right edge is evened out, and the header is
// written last. The result is byte for byte what the classic tools write for the
// same keys (apart from bytes those tools leave undefined).
//
// Memory: the keys and record numbers added (see KeySorter), plus a few pages per
// tree level.
// Keys must be exactly the definition's key size (see key_codec.h).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/indexing/key_sorter.h"
#include "platform/ntx/header.h"
#include "platform/ntx/key_compare.h"
#include "platform/ntx/page_file.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

class Builder {
 public:
  // `weights` as for Index::open().
  Builder(Definition def, const uint8_t* weights);

  // One entry. kInvalidArgument when the key has the wrong size or recno is 0.
  Status add(std::string_view key, uint32_t recno);
  // `count` keys, one after the other, of the records from `first_recno` on,
  // into a part of the sort (below indexing::KeySorter::kParts): each part may be
  // filled by its own thread at the same time as the others.
  Status add_run(unsigned part, const char* keys, size_t count, uint32_t first_recno);
  size_t size() const { return sorter_.size(); }

  // Sorts and writes the whole index into `file` from its start, over whatever
  // it held, and cuts the file to the index's length. The builder's entries are
  // released afterwards.
  Status write(PageFile& file);

 private:
  Definition def_;
  indexing::KeySorter sorter_;
};

}  // namespace codfix::ntx
