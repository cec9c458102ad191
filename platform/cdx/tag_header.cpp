#include "platform/cdx/tag_header.h"

#include <algorithm>
#include <cstring>

#include "platform/indexing/bytes.h"

namespace codfix::cdx {
namespace {

using indexing::be32;
using indexing::le16;
using indexing::le32;
using indexing::put_be32;
using indexing::put_le16;
using indexing::put_le32;

constexpr size_t kPool = 512;
constexpr size_t kDescendAt = 502;
constexpr size_t kForPosAt = 504;
constexpr size_t kForLenAt = 506;
constexpr size_t kKeyPosAt = 508;
constexpr size_t kKeyLenAt = 510;
constexpr char kMarker[4] = {'R', 'C', 'H', 'B'};

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

// A string of the pool from `pos`: `len` bytes (0: up to the end of the pool),
// stopping at the first NUL.
std::string pool_text(std::span<const uint8_t> pool, size_t pos, size_t len) {
  size_t end = len == 0 ? pool.size() : std::min(pool.size(), pos + len);
  std::string out;
  for (size_t i = pos; i < end && pool[i] != 0; ++i) out += static_cast<char>(pool[i]);
  return trim(out);
}

void put_common(std::array<uint8_t, kHeaderSize>& b, const TagHeader& h, uint8_t options) {
  put_le32(b.data(), h.root);
  put_le16(b.data() + 12, h.key_size);
  b[14] = options;
  b[15] = 0x01;
  put_le16(b.data() + 16, static_cast<uint16_t>(kHeaderSize));
  put_le16(b.data() + 18, static_cast<uint16_t>(kPageSize));
}

}  // namespace

Result<std::string> tag_key(std::string_view name) {
  std::string key = trim(name);
  if (key.empty()) return Status::invalid("empty tag name");
  if (key.size() > kMaxTagName) return Status::invalid("tag name longer than 10 characters");
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  key.resize(kDirectoryKeySize, ' ');
  return key;
}

Result<TagHeader> make_tag_header(const TagDefinition& def) {
  TagHeader h;
  h.key_expr = trim(def.key_expr);
  h.for_expr = trim(def.for_expr);
  if (h.key_expr.empty()) return Status::invalid("empty key expression");
  if (h.key_expr.size() + h.for_expr.size() > kMaxExpressions)
    return Status::invalid("key and FOR expressions longer than 510 bytes together");
  if (h.key_expr.find('\0') != std::string::npos || h.for_expr.find('\0') != std::string::npos)
    return Status::invalid("expression holds a NUL byte");
  auto format = key_format(def.format.type, def.format.size);
  if (!format.ok()) return Status::invalid(format.status().detail());
  if (def.format.type == KeyType::kNumeric && def.format.size != 8)
    return Status::invalid("numeric keys are 8 bytes long");
  h.key_size = def.format.size;
  h.options = option_bits::kTag;
  if (def.unique) h.options |= option_bits::kUnique;
  if (!h.for_expr.empty()) h.options |= option_bits::kHasFor;
  if (def.partial) h.options |= option_bits::kPartial;
  h.descending = def.descending;
  return h;
}

Result<TagHeader> decode_tag_header(std::span<const uint8_t> b, uint64_t file_size,
                                    bool directory) {
  const char* what = directory ? "directory header" : "tag header";
  auto bad = [what](const std::string& s) { return Status::corrupt(std::string(what) + ": " + s); };
  if (b.size() < kHeaderSize) return bad("shorter than 1024 bytes");
  TagHeader h;
  h.root = le32(b.data());
  h.free_head = directory ? le32(b.data() + 4) : 0;
  if (h.free_head == kNoPage) h.free_head = 0;
  h.counter = directory ? be32(b.data() + 8) : 0;
  h.key_size = le16(b.data() + 12);
  h.options = b[14];
  if (std::memcmp(b.data() + 20, kMarker, 4) == 0 &&
      (le16(b.data() + 16) != kHeaderSize || le16(b.data() + 18) != kPageSize || b[15] == 0x21))
    return bad("pages other than 512 bytes are not supported");
  if (h.root == 0 || h.root % kPageSize != 0 || uint64_t{h.root} + kPageSize > file_size)
    return bad("root page offset " + std::to_string(h.root) + " invalid");
  if (h.key_size == 0 || h.key_size > kMaxKeySize)
    return bad("key length " + std::to_string(h.key_size) + " outside 1..240");
  if ((h.options & option_bits::kBitVector) != 0) return bad("bit-vector tags are not supported");
  const uint16_t descend = le16(b.data() + kDescendAt);
  h.descending = descend != 0;

  size_t for_pos = le16(b.data() + kForPosAt);
  const size_t for_len = le16(b.data() + kForLenAt);
  const size_t key_pos = le16(b.data() + kKeyPosAt);
  const size_t key_len = le16(b.data() + kKeyLenAt);
  if (key_len + for_len > kPool) return bad("expressions longer than the pool");
  if (key_pos + key_len > kPool || for_pos + for_len > kPool)
    return bad("expression outside the pool");
  if (key_pos == 0 && key_len != 0 && for_pos == 0 && for_len != 0) for_pos = key_len;
  if (key_len != 0 && for_len != 0 && key_pos < for_pos + for_len && for_pos < key_pos + key_len)
    return bad("key and FOR expressions overlap");
  std::span<const uint8_t> pool = b.subspan(kPool, kPool);
  h.key_expr = pool_text(pool, 0, key_len);
  if (for_len != 0 || for_pos != 0) h.for_expr = pool_text(pool, for_pos, for_len);
  if (!directory && h.key_expr.empty()) return bad("empty key expression");
  return h;
}

std::array<uint8_t, kHeaderSize> encode_tag_header(const TagHeader& h) {
  std::array<uint8_t, kHeaderSize> b{};
  put_common(b, h, h.options);
  const uint16_t key_len = static_cast<uint16_t>(h.key_expr.size() + 1);
  const uint16_t for_len = static_cast<uint16_t>(h.for_expr.size() + 1);
  put_le16(b.data() + kDescendAt, h.descending ? 1 : 0);
  put_le16(b.data() + kForPosAt, key_len);
  put_le16(b.data() + kForLenAt, for_len);
  put_le16(b.data() + kKeyPosAt, 0);
  put_le16(b.data() + kKeyLenAt, key_len);
  std::memcpy(b.data() + kPool, h.key_expr.data(), h.key_expr.size());
  std::memcpy(b.data() + kPool + key_len, h.for_expr.data(), h.for_expr.size());
  return b;
}

std::array<uint8_t, kHeaderSize> encode_directory_header(const TagHeader& h) {
  std::array<uint8_t, kHeaderSize> b{};
  put_common(b, h, option_bits::kDirectory);
  put_le32(b.data() + 4, h.free_head);
  put_be32(b.data() + 8, h.counter);
  std::memcpy(b.data() + 20, kMarker, 4);
  put_le16(b.data() + kForPosAt, 1);
  put_le16(b.data() + kForLenAt, 1);
  put_le16(b.data() + kKeyLenAt, 1);
  return b;
}

std::array<uint8_t, 8> encode_shared_fields(uint32_t free_head, uint32_t counter) {
  std::array<uint8_t, 8> b{};
  put_le32(b.data(), free_head);
  put_be32(b.data() + 4, counter);
  return b;
}

}  // namespace codfix::cdx
