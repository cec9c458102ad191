// Node (internal): one 512-byte node page of a tag's tree, decoded. Leaves are
// decoded in full when read (the keys of a leaf are compressed: each stores only
// what it does not share with the previous key and what is not trailing pad) and
// encoded again when a changed page is written; branches hold full keys.
//
// decode_node() checks everything a damaged page could break: the attribute, the
// key count against the room in the page, the leaf widths and masks, each entry's
// shared and trailing counts, key bytes that would run into the entries, sibling
// and child offsets outside the file or not page-aligned, and keys out of order.
// Only a page it accepted may be used.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cdx/layout.h"
#include "platform/cdx/status.h"
#include "platform/indexing/key_order.h"

namespace codfix::cdx {

using indexing::KeyOrder;

// How the keys of one tree are read: length, pad byte and order. The tag directory
// is a tree whose keys are tag names and whose "record numbers" are the offsets of
// the tag headers.
struct TreeRules {
  uint16_t key_size = 0;
  char pad = ' ';
  KeyOrder order;
  bool directory = false;

  // <0, 0, >0: (a, ra) against (b, rb), full keys.
  int compare(const char* a, uint32_t ra, const char* b, uint32_t rb) const {
    int c = order.compare(a, b, key_size);
    if (c != 0) return c;
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
  }
};

// The bit widths of the entries of one leaf.
struct LeafWidths {
  uint8_t rec_bits = 0;
  uint8_t dup_bits = 0;
  uint8_t trail_bits = 0;
  uint8_t bytes = 0;  // bytes per entry

  uint32_t rec_mask() const { return rec_bits >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << rec_bits) - 1; }
  uint32_t dup_mask() const { return (uint32_t{1} << dup_bits) - 1; }
  uint32_t trail_mask() const { return (uint32_t{1} << trail_bits) - 1; }
  bool fits(uint32_t recno) const { return recno <= rec_mask(); }
};

// The widths the classic runtime chooses for a key length and a largest record
// number: b = bits to write the key length for both counts, 3 bytes per entry, the
// record number widened a byte at a time until `max_recno` fits (never past 32
// bits: the record mask is a 32-bit field).
LeafWidths leaf_widths(uint16_t key_size, uint32_t max_recno);
// `w` widened until `recno` fits.
LeafWidths widen(LeafWidths w, uint32_t recno);

struct Node {
  uint16_t attr = kAttrLeaf;
  uint32_t left = kNoPage;
  uint32_t right = kNoPage;
  uint16_t key_size = 0;
  char pad = ' ';
  bool directory = false;
  LeafWidths widths;               // leaves only
  std::string keys;                // count() * key_size bytes
  std::vector<uint32_t> recnos;    // record numbers (directory: tag header offsets)
  std::vector<uint32_t> children;  // branches only: child page offsets

  bool leaf() const { return (attr & kAttrLeaf) != 0; }
  bool is_root() const { return (attr & kAttrRoot) != 0; }
  size_t count() const { return recnos.size(); }
  const char* key(size_t i) const { return keys.data() + i * key_size; }
  std::string_view key_view(size_t i) const { return {key(i), key_size}; }
  const char* last_key() const { return key(count() - 1); }
  uint32_t last_recno() const { return recnos.back(); }

  // An empty node of the tree's rules (attr as given).
  void reset(const TreeRules& rules, uint16_t attribute);
  void insert(size_t pos, const char* key, uint32_t recno, uint32_t child = 0);
  void erase(size_t pos);
  void set_entry(size_t pos, const char* key, uint32_t recno);
  // Entries [from, to) of `other` appended.
  void append_from(const Node& other, size_t from, size_t to);
  void clear_entries();
};

// Bytes the entries [from, to) of a leaf take when stored as one page with widths
// `w` (entries plus key bytes); at most kLeafArea fits.
size_t leaf_bytes(const Node& leaf, size_t from, size_t to, const LeafWidths& w);

// Reads the page at `offset` of a file of `file_size` bytes into `out`.
Status decode_node(const uint8_t* page, const TreeRules& rules, uint32_t offset, uint64_t file_size,
                   Node& out);
// The 512-byte page of a node (a leaf must fit: leaf_bytes() <= kLeafArea).
void encode_node(const Node& node, uint8_t* page);

}  // namespace codfix::cdx
