// A path through the tree: the pages from the root down, each with a position. In
// every page above the last it is the child followed; in the last page it is the
// key (or gap between keys) reached.
#pragma once

#include <cstdint>
#include <vector>

namespace codfix::ntx {

struct Frame {
  uint32_t page = 0;
  uint16_t pos = 0;
};
using Path = std::vector<Frame>;

}  // namespace codfix::ntx
