// check_page(): the checks a node page must pass before anything reads it. The
// page reader of the library; the fuzz target drives it with arbitrary bytes.
//
// It checks that the key count is at most M, that the offset table is a
// permutation of the item slots, that every child is 0 in a leaf and a
// page-aligned offset inside the file (and not the page itself) in a branch, and
// that the keys are in order. `order` decides the key order.
#pragma once

#include <cstdint>

#include "platform/ntx/key_compare.h"
#include "platform/ntx/layout.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

Status check_page(const uint8_t* page, const Geometry& g, uint32_t offset, uint64_t file_size,
                  const KeyOrder& order);

}  // namespace codfix::ntx
