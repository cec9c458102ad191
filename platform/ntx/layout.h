// The byte layout of NTX pages (internal to the library): little-endian helpers and
// PageRef, a view of one 1024-byte node page.
//
// A node page: u16 key count n, then M+1 u16 offset entries, then M+1 item slots
// of (u32 child, u32 record number, K key bytes). Entry i gives the slot of item
// i; entry n is the pseudo-item whose child is the rightmost subtree. A leaf has
// every child 0. PageRef does no checking: check_page() (page_check.h) must have
// accepted a page before a PageRef reads it.
#pragma once

#include <cstdint>
#include <cstring>

namespace codfix::ntx {

inline uint16_t get16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// Sizes that follow from M and K.
struct Geometry {
  uint16_t max_items = 0;  // M
  uint16_t key_size = 0;   // K

  uint32_t item_size() const { return key_size + 8u; }
  uint32_t first_slot() const { return 2u * max_items + 4u; }
  uint32_t last_slot_offset() const { return first_slot() + max_items * item_size(); }
  uint16_t half() const { return static_cast<uint16_t>(max_items / 2); }
};

// One item to place on a page.
struct Item {
  uint32_t child = 0;
  uint32_t recno = 0;
  const char* key = nullptr;  // key_size bytes
};

class PageRef {
 public:
  PageRef(uint8_t* data, Geometry g) : d_(data), g_(g) {}

  uint8_t* data() const { return d_; }
  const Geometry& geometry() const { return g_; }
  uint16_t count() const { return get16(d_); }
  void set_count(uint16_t n) const { put16(d_, n); }
  uint16_t entry(unsigned i) const { return get16(d_ + 2 + 2 * i); }
  void set_entry(unsigned i, uint16_t v) const { put16(d_ + 2 + 2 * i, v); }
  uint8_t* item(unsigned i) const { return d_ + entry(i); }
  uint32_t child(unsigned i) const { return get32(item(i)); }
  uint32_t recno(unsigned i) const { return get32(item(i) + 4); }
  const char* key(unsigned i) const { return reinterpret_cast<const char*>(item(i) + 8); }
  bool leaf() const { return child(0) == 0; }

  void set_child(unsigned i, uint32_t c) const { put32(item(i), c); }
  void set_entry_item(unsigned i, const Item& it) const {
    uint8_t* p = item(i);
    put32(p, it.child);
    put32(p + 4, it.recno);
    std::memcpy(p + 8, it.key, g_.key_size);
  }
  // Copies record number and key of `it` into item i, leaving its child.
  void set_entry_key(unsigned i, uint32_t recno, const char* key) const {
    uint8_t* p = item(i);
    put32(p + 4, recno);
    std::memmove(p + 8, key, g_.key_size);
  }

  // A fresh page: n = 0, entry i at slot i, everything else zero.
  void init() const {
    std::memset(d_, 0, 1024);
    for (unsigned i = 0; i <= g_.max_items; ++i)
      set_entry(i, static_cast<uint16_t>(g_.first_slot() + i * g_.item_size()));
  }

  // Inserts an item at position `pos` (0..n), taking the free slot after the
  // pseudo-item; the caller guarantees n < M.
  void insert(unsigned pos, const Item& it) const {
    unsigned n = count();
    uint16_t slot = entry(n + 1);
    for (unsigned i = n + 1; i > pos; --i) set_entry(i, entry(i - 1));
    set_entry(pos, slot);
    set_entry_item(pos, it);
    set_count(static_cast<uint16_t>(n + 1));
  }
  // Removes item `pos` (0..n-1): entries after it move left, its slot goes to the
  // end of the table.
  void remove(unsigned pos) const {
    uint16_t slot = entry(pos);
    for (unsigned i = pos; i < g_.max_items; ++i) set_entry(i, entry(i + 1));
    set_entry(g_.max_items, slot);
    set_count(static_cast<uint16_t>(count() - 1));
  }

 private:
  uint8_t* d_;
  Geometry g_;
};

}  // namespace codfix::ntx
