// Sizes and constants of the CDX compound index format: 512-byte node pages,
// 1024-byte tag headers, byte offsets everywhere, 0xFFFFFFFF for "no sibling".
#pragma once

#include <cstdint>

namespace codfix::cdx {

inline constexpr uint32_t kPageSize = 512;
inline constexpr uint32_t kHeaderSize = 1024;     // a tag header (the directory header too)
inline constexpr uint32_t kDirectoryRoot = 1024;  // root of the tag directory in a new file
inline constexpr uint32_t kNodeHeaderSize = 12;   // attr, count, left, right
inline constexpr uint32_t kLeafHeaderSize = 24;   // the node header plus the leaf widths
inline constexpr uint32_t kLeafArea = kPageSize - kLeafHeaderSize;    // 488
inline constexpr uint32_t kBranchArea = kPageSize - kNodeHeaderSize;  // 500
inline constexpr uint16_t kMaxKeySize = 240;
inline constexpr uint16_t kDirectoryKeySize = 10;  // tag names
inline constexpr uint32_t kMaxTagName = 10;
inline constexpr uint32_t kNoPage = 0xFFFFFFFF;
inline constexpr uint32_t kPoolSize = 512;  // the expression pool of a tag header
// key text + FOR text; both NULs must fit in the pool.
inline constexpr uint32_t kMaxExpressions = kPoolSize - 2;

// Node attribute bits (offset 0 of a node page).
inline constexpr uint16_t kAttrRoot = 0x01;
inline constexpr uint16_t kAttrLeaf = 0x02;

// The index lock of the FoxPro-family scheme: one byte of the .cdx file, shared to
// read, exclusive to update.
inline constexpr uint64_t kLockOffset = 0x7FFFFFFE;

// Most entries of a branch page for a key length: floor(500 / (K + 8)).
inline constexpr uint32_t max_branch_entries(uint16_t key_size) {
  return kBranchArea / (key_size + 8u);
}

}  // namespace codfix::cdx
