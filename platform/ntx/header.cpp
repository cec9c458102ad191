#include "platform/ntx/header.h"

#include <algorithm>
#include <cstring>

#include "platform/ntx/layout.h"

namespace codfix::ntx {
namespace {

constexpr size_t kKeyExprAt = 22;
constexpr size_t kUniqueAt = 278;
constexpr size_t kDescendAt = 280;
constexpr size_t kForExprAt = 282;
constexpr size_t kTagAt = 538;
constexpr size_t kExprField = 256;
constexpr size_t kTagField = 12;

std::string field_text(std::span<const uint8_t> page, size_t at, size_t size) {
  const char* p = reinterpret_cast<const char*>(page.data() + at);
  size_t n = 0;
  while (n < size && p[n] != '\0') ++n;
  return std::string(p, n);
}

void put_text(std::array<uint8_t, kPageSize>& page, size_t at, size_t size, const std::string& s) {
  std::memcpy(page.data() + at, s.data(), std::min(s.size(), size));
}

std::string upper_ascii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

uint16_t max_items_for(uint16_t key_size) {
  int m = 1022 / (key_size + 10) - 1;
  if (m > 2 && m % 2 == 1) --m;
  return static_cast<uint16_t>(m);
}

Result<Header> make_header(const Definition& def) {
  if (def.key_size < 1 || def.key_size > kMaxKeySize)
    return Status::invalid("key size " + std::to_string(def.key_size) + " outside 1..256");
  if (def.key_expr.empty() || static_cast<uint8_t>(def.key_expr[0]) < 0x20)
    return Status::invalid("empty key expression");
  if (def.key_expr.size() > kMaxExpressionSize) return Status::invalid("key expression too long");
  if (def.for_expr.size() > kMaxExpressionSize) return Status::invalid("FOR condition too long");
  if (def.tag_name.size() > kMaxTagName) return Status::invalid("order name too long");
  Header h;
  h.type = type_bits::kSignature;
  if (!def.for_expr.empty()) h.type |= type_bits::kHasFor;
  if (def.partial) h.type |= type_bits::kPartial;
  if (def.extended_locking) h.type |= type_bits::kExtendedLocking;
  h.key_size = def.key_size;
  h.key_decimals = def.key_decimals;
  h.item_size = static_cast<uint16_t>(def.key_size + 8);
  h.max_items = max_items_for(def.key_size);
  h.half_page = static_cast<uint16_t>(h.max_items / 2);
  h.key_expr = def.key_expr;
  h.for_expr = def.for_expr;
  h.tag_name = upper_ascii(def.tag_name);
  h.unique = def.unique;
  h.descending = def.descending;
  return h;
}

Result<Header> decode_header(std::span<const uint8_t> page, uint64_t file_size) {
  if (page.size() < kPageSize) return Status::corrupt("header shorter than 1024 bytes");
  Header h;
  h.type = get16(page.data());
  h.version = get16(page.data() + 2);
  h.root = get32(page.data() + 4);
  h.free_head = get32(page.data() + 8);
  h.item_size = get16(page.data() + 12);
  h.key_size = get16(page.data() + 14);
  h.key_decimals = get16(page.data() + 16);
  h.max_items = get16(page.data() + 18);
  h.half_page = get16(page.data() + 20);

  auto bad = [](const std::string& what) { return Status::corrupt("header: " + what); };
  if ((h.type & ~type_bits::kKnownMask) != 0 || (h.type & type_bits::kMultiTag) != 0)
    return bad("unknown type bits " + std::to_string(h.type));
  if ((h.type & type_bits::kSignature) != type_bits::kSignature &&
      h.type != type_bits::kOldSignature)
    return bad("no NTX signature");
  if ((h.type & type_bits::kLargeFile) != 0) return bad("large-file page numbers not supported");
  if (page[kKeyExprAt] < 0x20) return bad("empty key expression");
  if (h.key_size < 1 || h.key_size > kMaxKeySize)
    return bad("key size " + std::to_string(h.key_size));
  if (h.item_size != h.key_size + 8) return bad("item size does not match the key size");
  if (h.max_items < 1 || (h.max_items + 1u) * (h.key_size + 10u) + 2u > kPageSize)
    return bad("max items " + std::to_string(h.max_items) + " do not fit a page");
  if (h.root == 0 || h.root % kPageSize != 0 || h.root + uint64_t{kPageSize} > file_size)
    return bad("root page offset " + std::to_string(h.root) + " invalid");
  if (h.free_head % kPageSize != 0 ||
      (h.free_head != 0 && h.free_head + uint64_t{kPageSize} > file_size))
    return bad("free page offset " + std::to_string(h.free_head) + " invalid");

  h.key_expr = field_text(page, kKeyExprAt, kExprField);
  if (h.has_for() && page[kForExprAt] >= 0x20)
    h.for_expr = field_text(page, kForExprAt, kExprField);
  if (page[kTagAt] >= 0x20) h.tag_name = field_text(page, kTagAt, kTagField);
  h.unique = page[kUniqueAt] != 0;
  h.descending = page[kDescendAt] != 0;
  return h;
}

std::array<uint8_t, kPageSize> encode_header(const Header& h) {
  std::array<uint8_t, kPageSize> page{};
  auto prefix = encode_header_prefix(h);
  std::memcpy(page.data(), prefix.data(), prefix.size());
  put16(page.data() + 12, h.item_size);
  put16(page.data() + 14, h.key_size);
  put16(page.data() + 16, h.key_decimals);
  put16(page.data() + 18, h.max_items);
  put16(page.data() + 20, h.half_page);
  put_text(page, kKeyExprAt, kMaxExpressionSize, h.key_expr);
  page[kUniqueAt] = h.unique ? 1 : 0;
  page[kDescendAt] = h.descending ? 1 : 0;
  put_text(page, kForExprAt, kMaxExpressionSize, h.for_expr);
  put_text(page, kTagAt, kMaxTagName, h.tag_name);
  return page;
}

std::array<uint8_t, kHeaderPrefixSize> encode_header_prefix(const Header& h) {
  std::array<uint8_t, kHeaderPrefixSize> b{};
  put16(b.data(), h.type);
  put16(b.data() + 2, h.version);
  put32(b.data() + 4, h.root);
  put32(b.data() + 8, h.free_head);
  return b;
}

std::string order_name(const Header& h, const std::string& file_path) {
  if (!h.tag_name.empty()) return h.tag_name;
  size_t slash = file_path.find_last_of("/\\");
  std::string base = slash == std::string::npos ? file_path : file_path.substr(slash + 1);
  size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  base = upper_ascii(base);
  if (base.size() > kMaxTagName) base.resize(kMaxTagName);
  return base;
}

}  // namespace codfix::ntx
