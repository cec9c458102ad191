#include "platform/cdx/node.h"

#include <bit>
#include <cstring>

#include "platform/cdx/key_packing.h"
#include "platform/indexing/bytes.h"

namespace codfix::cdx {
namespace {

using indexing::be32;
using indexing::le16;
using indexing::le32;
using indexing::put_be32;
using indexing::put_le16;
using indexing::put_le32;

struct Packed {
  unsigned dup;
  unsigned trail;
};

Packed pack(const Node& n, size_t i, size_t first, const LeafWidths& w) {
  const unsigned k = n.key_size;
  unsigned trail = trail_of(n.key(i), k, n.pad);
  if (trail > w.trail_mask()) trail = w.trail_mask();
  unsigned dup = 0;
  if (i > first) {
    unsigned limit = k - trail;
    if (limit > w.dup_mask()) limit = w.dup_mask();
    dup = dup_of(n.key(i - 1), n.key(i), limit);
  }
  return {dup, trail};
}

bool valid_link(uint32_t link, uint64_t file_size) {
  return link == kNoPage ||
         (link >= kHeaderSize && link % kPageSize == 0 && uint64_t{link} + kPageSize <= file_size);
}

}  // namespace

LeafWidths leaf_widths(uint16_t key_size, uint32_t max_recno) {
  LeafWidths w;
  const uint8_t b = static_cast<uint8_t>(std::bit_width(key_size));
  w.dup_bits = b;
  w.trail_bits = b;
  w.bytes = b <= 8 ? 3 : (b <= 12 ? 4 : 5);
  w.rec_bits = static_cast<uint8_t>(8 * w.bytes - 2 * b);
  return widen(w, max_recno);
}

LeafWidths widen(LeafWidths w, uint32_t recno) {
  while (!w.fits(recno)) {
    if (w.rec_bits + 8 > 32) {
      // Record numbers are 32 bits: the last step widens only as far as that.
      w.rec_bits = 32;
      w.bytes = static_cast<uint8_t>((32 + w.dup_bits + w.trail_bits + 7) / 8);
      break;
    }
    w.bytes = static_cast<uint8_t>(w.bytes + 1);
    w.rec_bits = static_cast<uint8_t>(w.rec_bits + 8);
  }
  return w;
}

void Node::reset(const TreeRules& rules, uint16_t attribute) {
  attr = attribute;
  left = kNoPage;
  right = kNoPage;
  key_size = rules.key_size;
  pad = rules.pad;
  directory = rules.directory;
  clear_entries();
}

void Node::clear_entries() {
  keys.clear();
  recnos.clear();
  children.clear();
}

void Node::insert(size_t pos, const char* k, uint32_t recno, uint32_t child) {
  keys.insert(pos * key_size, k, key_size);
  recnos.insert(recnos.begin() + static_cast<long>(pos), recno);
  if (!leaf()) children.insert(children.begin() + static_cast<long>(pos), child);
}

void Node::erase(size_t pos) {
  keys.erase(pos * key_size, key_size);
  recnos.erase(recnos.begin() + static_cast<long>(pos));
  if (!leaf()) children.erase(children.begin() + static_cast<long>(pos));
}

void Node::set_entry(size_t pos, const char* k, uint32_t recno) {
  std::memmove(keys.data() + pos * key_size, k, key_size);
  recnos[pos] = recno;
}

void Node::append_from(const Node& other, size_t from, size_t to) {
  keys.append(other.keys, from * key_size, (to - from) * key_size);
  recnos.insert(recnos.end(), other.recnos.begin() + static_cast<long>(from),
                other.recnos.begin() + static_cast<long>(to));
  if (!leaf())
    children.insert(children.end(), other.children.begin() + static_cast<long>(from),
                    other.children.begin() + static_cast<long>(to));
}

size_t leaf_bytes(const Node& leaf, size_t from, size_t to, const LeafWidths& w) {
  size_t total = (to - from) * w.bytes;
  for (size_t i = from; i < to; ++i) {
    Packed p = pack(leaf, i, from, w);
    total += leaf.key_size - p.dup - p.trail;
  }
  return total;
}

Status decode_node(const uint8_t* page, const TreeRules& rules, uint32_t offset, uint64_t file_size,
                   Node& out) {
  auto bad = [offset](const std::string& what) {
    return Status::corrupt("page " + std::to_string(offset) + ": " + what);
  };
  const unsigned k = rules.key_size;
  out.reset(rules, le16(page));
  if ((out.attr & ~(kAttrRoot | kAttrLeaf)) != 0)
    return bad("attribute " + std::to_string(out.attr) + " is not a node's");
  const unsigned n = le16(page + 2);
  out.left = le32(page + 4);
  out.right = le32(page + 8);
  if (!valid_link(out.left, file_size) || !valid_link(out.right, file_size))
    return bad("sibling offset outside the file or not page-aligned");
  if (out.left == offset || out.right == offset) return bad("is its own sibling");
  out.keys.reserve(size_t{n} * k);
  out.recnos.reserve(n);

  if (out.leaf()) {
    LeafWidths& w = out.widths;
    const uint32_t rec_mask = le32(page + 14);
    w.rec_bits = page[20];
    w.dup_bits = page[21];
    w.trail_bits = page[22];
    w.bytes = page[23];
    if (w.bytes < 1 || w.bytes > 8 || w.rec_bits < 1 || w.rec_bits > 32 || w.dup_bits > 8 ||
        w.trail_bits > 8 || w.rec_bits + w.dup_bits + w.trail_bits > 8 * w.bytes)
      return bad("leaf bit widths make no sense");
    if (rec_mask != w.rec_mask() || page[18] != w.dup_mask() || page[19] != w.trail_mask())
      return bad("leaf masks disagree with their bit widths");
    if (size_t{n} * w.bytes > kLeafArea)
      return bad("holds " + std::to_string(n) + " keys, more than the page has room for");
    const size_t entries_end = kLeafHeaderSize + size_t{n} * w.bytes;
    size_t pos = kPageSize;
    const char* prev = nullptr;
    for (unsigned i = 0; i < n; ++i) {
      const uint8_t* e = page + kLeafHeaderSize + size_t{i} * w.bytes;
      uint64_t v = 0;
      for (unsigned b = w.bytes; b-- > 0;) v = (v << 8) | e[b];
      const uint32_t recno = static_cast<uint32_t>(v & w.rec_mask());
      unsigned dup = static_cast<unsigned>((v >> w.rec_bits) & w.dup_mask());
      const unsigned trail =
          static_cast<unsigned>((v >> (w.rec_bits + w.dup_bits)) & w.trail_mask());
      if (i == 0) dup = 0;
      if (dup + trail > k)
        return bad("entry " + std::to_string(i) + " shares and pads more than the key length");
      const unsigned stored = k - dup - trail;
      if (pos < entries_end + stored)
        return bad("key bytes of entry " + std::to_string(i) + " run into the entries");
      pos -= stored;
      const size_t at = out.keys.size();
      if (dup > 0) out.keys.append(prev, dup);
      out.keys.append(reinterpret_cast<const char*>(page + pos), stored);
      out.keys.append(trail, rules.pad);
      out.recnos.push_back(recno);
      prev = out.keys.data() + at;
      if (rules.directory ? (recno < kHeaderSize || recno % kPageSize != 0 ||
                             uint64_t{recno} + kHeaderSize > file_size)
                          : recno == 0)
        return bad("entry " + std::to_string(i) + " has record number " + std::to_string(recno));
    }
  } else {
    if (n == 0) return bad("branch without entries");
    if (size_t{n} * (k + 8) > kBranchArea)
      return bad("holds " + std::to_string(n) + " keys, at most " +
                 std::to_string(max_branch_entries(rules.key_size)));
    out.children.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
      const uint8_t* e = page + kNodeHeaderSize + size_t{i} * (k + 8);
      out.keys.append(reinterpret_cast<const char*>(e), k);
      out.recnos.push_back(be32(e + k));
      const uint32_t child = be32(e + k + 4);
      if (child < kHeaderSize || child % kPageSize != 0 || uint64_t{child} + kPageSize > file_size)
        return bad("child offset " + std::to_string(child) +
                   " outside the file or not page-aligned");
      if (child == offset) return bad("points at itself");
      out.children.push_back(child);
    }
  }
  for (unsigned i = 1; i < n; ++i) {
    if (rules.compare(out.key(i - 1), out.recnos[i - 1], out.key(i), out.recnos[i]) >= 0)
      return bad("keys out of order at entry " + std::to_string(i));
  }
  return {};
}

void encode_node(const Node& node, uint8_t* page) {
  std::memset(page, 0, kPageSize);
  const unsigned k = node.key_size;
  const size_t n = node.count();
  put_le16(page, node.attr);
  put_le16(page + 2, static_cast<uint16_t>(n));
  put_le32(page + 4, node.left);
  put_le32(page + 8, node.right);
  if (!node.leaf()) {
    for (size_t i = 0; i < n; ++i) {
      uint8_t* e = page + kNodeHeaderSize + i * (k + 8);
      std::memcpy(e, node.key(i), k);
      put_be32(e + k, node.recnos[i]);
      put_be32(e + k + 4, node.children[i]);
    }
    return;
  }
  const LeafWidths& w = node.widths;
  put_le32(page + 14, w.rec_mask());
  page[18] = static_cast<uint8_t>(w.dup_mask());
  page[19] = static_cast<uint8_t>(w.trail_mask());
  page[20] = w.rec_bits;
  page[21] = w.dup_bits;
  page[22] = w.trail_bits;
  page[23] = w.bytes;
  size_t pos = kPageSize;
  size_t used = n * w.bytes;
  for (size_t i = 0; i < n; ++i) {
    Packed p = pack(node, i, 0, w);
    const unsigned stored = k - p.dup - p.trail;
    uint64_t v = node.recnos[i] | (uint64_t{p.dup} << w.rec_bits) |
                 (uint64_t{p.trail} << (w.rec_bits + w.dup_bits));
    uint8_t* e = page + kLeafHeaderSize + i * w.bytes;
    for (unsigned b = 0; b < w.bytes; ++b) e[b] = static_cast<uint8_t>(v >> (8 * b));
    pos -= stored;
    std::memcpy(page + pos, node.key(i) + p.dup, stored);
    used += stored;
  }
  put_le16(page + 12, static_cast<uint16_t>(kLeafArea - used));
}

}  // namespace codfix::cdx
