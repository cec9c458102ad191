// The NTX header page (the first 1024 bytes of the file): its fields, the checks a
// reader makes before trusting it, and its byte form.
//
// decode_header() never trusts the bytes: a header that fails a check gives a
// kCorrupt status saying which. encode_header() writes the whole 1024 bytes with
// every unused byte zero, as a fresh build does; ordinary updates rewrite only the
// first 12 bytes (encode_header_prefix()).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/ntx/status.h"

namespace codfix::ntx {

inline constexpr uint32_t kPageSize = 1024;
inline constexpr uint32_t kHeaderPrefixSize = 12;  // type, version, root, free head
inline constexpr uint32_t kMaxKeySize = 256;
inline constexpr uint32_t kMaxExpressionSize = 255;  // a NUL always follows in the 256-byte field
inline constexpr uint32_t kMaxTagName = 10;
// The index lock: one byte far past the end of any index file.
inline constexpr uint64_t kLockOffset = 1'000'000'000;

// Bits of the type word.
namespace type_bits {
inline constexpr uint16_t kHasFor = 0x0001;
inline constexpr uint16_t kSignature = 0x0006;
inline constexpr uint16_t kPartial = 0x0008;
inline constexpr uint16_t kExtendedLocking = 0x0010;
inline constexpr uint16_t kOldSignature = 0x0003;  // accepted only as the exact value
inline constexpr uint16_t kKnownMask = 0x87FF;
inline constexpr uint16_t kLargeFile = 0x0200;  // page numbers instead of offsets: rejected
inline constexpr uint16_t kMultiTag = 0x8000;   // different layout: rejected
}  // namespace type_bits

struct Header {
  uint16_t type = type_bits::kSignature;
  uint16_t version = 0;    // update counter, wraps at 0xFFFF
  uint32_t root = 0;       // byte offset of the root page
  uint32_t free_head = 0;  // byte offset of the first free page, 0 = none
  uint16_t item_size = 0;  // key_size + 8
  uint16_t key_size = 0;
  uint16_t key_decimals = 0;
  uint16_t max_items = 0;  // M: keys per page
  uint16_t half_page = 0;  // M / 2
  std::string key_expr;
  std::string for_expr;
  std::string tag_name;  // empty when none was stored
  bool unique = false;
  bool descending = false;

  bool has_for() const { return (type & type_bits::kHasFor) != 0; }
  bool partial() const { return (type & type_bits::kPartial) != 0; }
  bool extended_locking() const { return (type & type_bits::kExtendedLocking) != 0; }
};

// What a new index is made of; the rest of the header follows from it.
struct Definition {
  std::string key_expr;   // stored as given (at most 255 bytes)
  std::string for_expr;   // empty: no condition
  std::string tag_name;   // empty: none stored; otherwise upper case, at most 10 characters
  uint16_t key_size = 0;  // 1..256
  uint16_t key_decimals = 0;
  bool unique = false;
  bool descending = false;
  bool partial = false;           // built with a scope (WHILE, NEXT, REST, record range)
  bool extended_locking = false;  // the table uses the extended record-lock base
};

// M for a key size: floor(1022 / (K + 10)) - 1, rounded down to even when above 2.
uint16_t max_items_for(uint16_t key_size);

// A header for a new, empty index (root and free head still 0).
Result<Header> make_header(const Definition& def);

// Reads and checks the header. `file_size` is the size of the whole file.
Result<Header> decode_header(std::span<const uint8_t> page, uint64_t file_size);

// The full 1024-byte form.
std::array<uint8_t, kPageSize> encode_header(const Header& h);
// The first 12 bytes: type, version, root, free head.
std::array<uint8_t, kHeaderPrefixSize> encode_header_prefix(const Header& h);

// The order name: the stored tag name, else the file's base name in upper case, cut
// to 10 characters.
std::string order_name(const Header& h, const std::string& file_path);

}  // namespace codfix::ntx
