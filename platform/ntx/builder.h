// Builder: makes a complete NTX file in one pass from (key, record number) pairs
// given in any order, the way INDEX ON does: a stable sort by key (so equal keys
// keep the order they were added in, which is record order when records are read
// in physical order), unique indexes keep the first of each key, then pages are
// filled bottom-up to M keys each, the right edge is evened out, and the header is
// written last. The result is byte for byte what the classic tools write for the
// same keys (apart from bytes those tools leave undefined).
//
// Memory: the keys and record numbers added, plus a few pages per tree level.
// Keys must be exactly the definition's key size (see key_codec.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ntx/header.h"
#include "platform/ntx/key_compare.h"
#include "platform/ntx/page_file.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

class Builder {
 public:
  // `weights` as for Index::open().
  Builder(Definition def, const uint8_t* weights);

  // Room for `count` entries, to avoid regrowing.
  void reserve(size_t count);
  // One entry. kInvalidArgument when the key has the wrong size or recno is 0.
  Status add(std::string_view key, uint32_t recno);
  size_t size() const { return recnos_.size(); }

  // Sorts and writes the whole index into `file`, which is emptied first. The
  // builder's entries are released afterwards.
  Status write(PageFile& file);

 private:
  Definition def_;
  KeyOrder order_;
  std::string keys_;  // size() * key_size bytes
  std::vector<uint32_t> recnos_;
};

}  // namespace codfix::ntx
