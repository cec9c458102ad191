// PageWriter (internal): the bottom-up page filling of a bulk build. Keys arrive in
// final order; each tree level has one open page. A full page is closed when the
// next key for it arrives: it gets the next offset of the file, and that key moves
// up a level with the closed page as its child. finish() closes every open page
// (the top one is the root), then evens out the right edge top-down so that no
// page there is below half full, and rewrites the pages that changed.
//
// Pages are written in the order they are closed, in batches; only the last two
// closed pages of each level are kept, which is all the right-edge repair touches.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ntx/header.h"
#include "platform/ntx/layout.h"
#include "platform/ntx/page_file.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

class PageWriter {
 public:
  PageWriter(PageFile& file, Geometry g);

  // The next key in order (key_size bytes).
  Status add(uint32_t recno, const char* key) { return push(0, 0, recno, key); }
  // Closes the tree; returns the root offset. The file then ends after the root.
  Result<uint32_t> finish();
  // Where the pages written end: the file's length once finish() is done.
  uint64_t end() const { return next_offset_; }

 private:
  using Bytes = std::array<uint8_t, kPageSize>;
  // The open page and the last two closed ones; closing a page turns the
  // buffers round instead of copying them.
  struct Level {
    std::unique_ptr<Bytes> open = std::make_unique<Bytes>();
    std::unique_ptr<Bytes> last = std::make_unique<Bytes>();
    std::unique_ptr<Bytes> prev = std::make_unique<Bytes>();
    uint32_t last_offset = 0;
    uint32_t prev_offset = 0;
  };

  Status push(size_t level, uint32_t child, uint32_t recno, const char* key);
  Result<uint32_t> close(size_t level);
  Status flush();
  void new_level();

  PageFile& file_;
  Geometry g_;
  std::vector<Level> levels_;
  std::vector<uint8_t> batch_;  // closed pages not written yet, from batch_offset_
  uint64_t batch_offset_ = kPageSize;
  uint64_t next_offset_ = kPageSize;
};

}  // namespace codfix::ntx
