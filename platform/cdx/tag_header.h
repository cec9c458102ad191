// The 1024-byte header of a CDX tag, and of the tag directory at offset 0 (same
// layout): root page, key length, options, descending flag and the expression pool
// (key text, NUL, FOR text, NUL). The directory header also carries the head of
// the file's free-page list and the update counter of shared use.
//
// decode_tag_header() never trusts the bytes: a header that fails a check gives a
// kCorrupt status saying which. The encoders write every byte as the classic
// runtime does for a new tag (unused bytes zero), so that a build from the same
// keys gives the same file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/cdx/key_codec.h"
#include "platform/cdx/layout.h"
#include "platform/cdx/status.h"

namespace codfix::cdx {

// Bits of the options byte (offset 14).
namespace option_bits {
inline constexpr uint8_t kUnique = 0x01;
inline constexpr uint8_t kPartial = 0x02;  // built with a scope: may lack keys
inline constexpr uint8_t kCustom = 0x04;   // keys added by hand, not maintained
inline constexpr uint8_t kHasFor = 0x08;
inline constexpr uint8_t kBitVector = 0x10;  // another layout: refused
inline constexpr uint8_t kCompact = 0x20;
inline constexpr uint8_t kCompound = 0x40;
inline constexpr uint8_t kStructural = 0x80;  // the tag directory
inline constexpr uint8_t kTag = kCompact | kCompound;
inline constexpr uint8_t kDirectory = kCompact | kCompound | kStructural;
}  // namespace option_bits

struct TagHeader {
  uint32_t root = 0;       // byte offset of the root page; never changes for a tag
  uint32_t free_head = 0;  // directory header only: first free page, 0 = none
  uint32_t counter = 0;    // directory header only: update counter (stored big-endian)
  uint16_t key_size = 0;
  uint8_t options = option_bits::kTag;
  bool descending = false;
  std::string key_expr;  // trimmed
  std::string for_expr;  // trimmed; empty when there is no condition

  bool unique() const { return (options & option_bits::kUnique) != 0; }
  bool partial() const { return (options & option_bits::kPartial) != 0; }
  bool custom() const { return (options & option_bits::kCustom) != 0; }
  bool has_for() const { return !for_expr.empty(); }
};

// What a new tag is made of; the rest of its header follows from it.
struct TagDefinition {
  std::string name;      // stored upper case, at most 10 characters
  std::string key_expr;  // stored trimmed
  std::string for_expr;  // empty: no condition
  KeyFormat format;      // key type and length (key_codec.h)
  bool unique = false;
  bool descending = false;
  bool partial = false;  // built from part of the table (a scope)
};

// The directory key of a tag name: upper case (ASCII letters), blank-padded to 10
// bytes. Names that are empty or longer than 10 are kInvalidArgument.
Result<std::string> tag_key(std::string_view name);

// A header for a new tag (root still 0). Expressions longer than 510 bytes
// together, empty key expressions and bad key lengths are kInvalidArgument.
Result<TagHeader> make_tag_header(const TagDefinition& def);

// Reads and checks a tag header (`directory`: the header at offset 0, which has no
// key expression). `file_size` is the size of the whole file.
Result<TagHeader> decode_tag_header(std::span<const uint8_t> bytes, uint64_t file_size,
                                    bool directory);

// The 1024-byte forms.
std::array<uint8_t, kHeaderSize> encode_tag_header(const TagHeader& h);
std::array<uint8_t, kHeaderSize> encode_directory_header(const TagHeader& h);

// Bytes 4..11 of the directory header: free head (LE) and counter (BE).
std::array<uint8_t, 8> encode_shared_fields(uint32_t free_head, uint32_t counter);

}  // namespace codfix::cdx
