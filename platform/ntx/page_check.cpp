#include "platform/ntx/page_check.h"

#include <bitset>
#include <string>

#include "platform/ntx/header.h"

namespace codfix::ntx {

Status check_page(const uint8_t* page, const Geometry& g, uint32_t offset, uint64_t file_size,
                  const KeyOrder& order) {
  auto bad = [offset](const std::string& what) {
    return Status::corrupt("page " + std::to_string(offset) + ": " + what);
  };
  PageRef p(const_cast<uint8_t*>(page), g);
  unsigned n = p.count();
  if (n > g.max_items)
    return bad("holds " + std::to_string(n) + " keys, at most " + std::to_string(g.max_items));
  std::bitset<kPageSize> used;  // slot numbers seen (M + 1 <= 1024)
  for (unsigned i = 0; i <= g.max_items; ++i) {
    uint32_t e = p.entry(i);
    if (e < g.first_slot() || e >= g.last_slot_offset() + g.item_size() ||
        (e - g.first_slot()) % g.item_size() != 0)
      return bad("item offset " + std::to_string(e) + " outside the item slots");
    uint32_t slot = (e - g.first_slot()) / g.item_size();
    if (used.test(slot)) return bad("two entries share item slot " + std::to_string(slot));
    used.set(slot);
  }
  bool leaf = p.child(0) == 0;
  for (unsigned i = 0; i <= n; ++i) {
    uint32_t c = p.child(i);
    if (leaf) {
      if (c != 0) return bad("mixes leaf and branch items");
      continue;
    }
    if (c == 0) return bad("mixes leaf and branch items");
    if (c % kPageSize != 0 || c + uint64_t{kPageSize} > file_size)
      return bad("child offset " + std::to_string(c) + " outside the file or not page-aligned");
    if (c == offset) return bad("points at itself");
  }
  for (unsigned i = 1; i < n; ++i) {
    if (order.compare(p.key(i - 1), p.key(i), g.key_size) > 0)
      return bad("keys out of order at item " + std::to_string(i));
  }
  return {};
}

}  // namespace codfix::ntx
