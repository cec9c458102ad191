#include "platform/dbf/table_header.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "lib/core/date.h"
#include "lib/core/names.h"

namespace codfix::dbf {

namespace {

uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string hex(unsigned v) {
  static const char* digits = "0123456789ABCDEF";
  std::string s = "0x";
  s += digits[(v >> 4) & 15];
  s += digits[v & 15];
  return s;
}

// Whether a stored length is one the type can have.
bool length_fits(char type, unsigned length) {
  switch (type) {
    case 'C':
    case 'V':
    case 'Q':
    case '0':
      return length >= 1;
    case 'N':
    case 'F':
      return length >= 1 && length <= 255;
    case 'D':
      return length == 8 || length == 3 || length == 4;
    case 'L':
      return length == 1;
    case 'M':
    case 'G':
    case 'P':
    case 'W':
      return length == 10 || length == 4;
    case 'I':
      return length == 1 || length == 2 || length == 3 || length == 4 || length == 8;
    case '+':
    case '4':
      return length == 4;
    case '2':
      return length == 2;
    case 'B':
    case 'Y':
    case '@':
    case '=':
    case '^':
    case '8':
      return length == 8;
    case 'T':
      return length == 8 || length == 4;
    default:
      return false;
  }
}

MemoKind memo_of_version(uint8_t version, uint8_t flags, bool* accepted, bool* vfp) {
  *accepted = true;
  *vfp = false;
  switch (version) {
    case 0x03:
    case 0x07:
      return MemoKind::kNone;
    case 0x83:
    case 0x87:
      return MemoKind::kDbt;
    case 0xF5:
      return MemoKind::kFpt;
    case 0x30:
    case 0x31:
    case 0x32:
      *vfp = true;
      return (flags & 0x02) ? MemoKind::kFpt : MemoKind::kNone;
    default:
      *accepted = false;
      return MemoKind::kNone;
  }
}

}  // namespace

int record_length_of(const Structure& s) {
  int r = 1;
  for (const FieldSpec& f : s) r += f.length;
  return r;
}

uint16_t claimed_header_length(std::span<const uint8_t> bytes) {
  return bytes.size() < kTableHeaderSize ? 0 : le16(bytes.data() + 8);
}

std::optional<TableHeader> decode_table_header(std::span<const uint8_t> bytes, uint64_t file_size,
                                               std::string& problem) {
  if (bytes.size() < kTableHeaderSize || file_size < kTableHeaderSize) {
    problem = "file shorter than a table header";
    return std::nullopt;
  }
  TableHeader h;
  std::memcpy(h.raw.data(), bytes.data(), kTableHeaderSize);
  h.version = bytes[0];
  h.record_count = le32(bytes.data() + 4);
  h.header_length = le16(bytes.data() + 8);
  h.record_length = le16(bytes.data() + 10);
  bool accepted = false;
  h.memo = memo_of_version(h.version, bytes[28], &accepted, &h.vfp);
  if (!accepted) {
    problem = "unsupported version byte " + hex(h.version);
    return std::nullopt;
  }
  if (h.header_length < kTableHeaderSize + kDescriptorSize + 1) {
    problem = "header length " + std::to_string(h.header_length) + " too small";
    return std::nullopt;
  }
  if (h.header_length > file_size || h.header_length > bytes.size()) {
    problem = "header length " + std::to_string(h.header_length) + " past the end of the file (" +
              std::to_string(file_size) + " bytes)";
    return std::nullopt;
  }
  if (h.record_length < 2) {
    problem = "record length " + std::to_string(h.record_length) + " too small";
    return std::nullopt;
  }

  const int slots = (h.header_length - kTableHeaderSize) / kDescriptorSize;
  uint32_t offset = 1;
  for (int i = 0; i < slots; ++i) {
    const uint8_t* d = bytes.data() + kTableHeaderSize + i * kDescriptorSize;
    if (d[0] == 0x0D) break;
    Field f;
    char name[11];
    std::memcpy(name, d, 10);
    name[10] = 0;
    std::string_view raw(name, strnlen(name, 10));
    while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
    while (!raw.empty() && raw.front() == ' ') raw.remove_prefix(1);
    f.name = upper_name(raw);
    f.type = static_cast<char>(d[11]);
    if (f.type >= 'a' && f.type <= 'z') f.type = static_cast<char>(f.type - 'a' + 'A');
    const std::string where = "field " + std::to_string(i + 1) + " (" + f.name + ")";
    if (f.name.empty()) {
      problem = "field " + std::to_string(i + 1) + " has no name";
      return std::nullopt;
    }
    unsigned length = d[16];
    unsigned decimals = d[17];
    if (f.type == 'C') {
      length += 256 * decimals;
      decimals = 0;
    }
    if (!length_fits(f.type, length)) {
      if (length_fits(f.type, 8) || length_fits(f.type, 1) || length_fits(f.type, 10)) {
        problem = where + " has length " + std::to_string(length) + ", impossible for type " +
                  std::string(1, f.type);
      } else {
        problem = where + " has unknown type " + hex(static_cast<uint8_t>(f.type));
      }
      return std::nullopt;
    }
    f.length = static_cast<uint16_t>(length);
    f.decimals = static_cast<uint8_t>(decimals);
    f.flags = h.vfp ? d[18] : 0;
    f.offset = offset;
    offset += length;
    if (offset > 65536) {
      problem = "field lengths exceed the largest record";
      return std::nullopt;
    }
    h.fields.push_back(std::move(f));
  }
  if (h.fields.empty()) {
    problem = "no field descriptors";
    return std::nullopt;
  }
  if (offset != h.record_length) {
    problem = "field lengths + 1 = " + std::to_string(offset) + ", but the record length is " +
              std::to_string(h.record_length);
    return std::nullopt;
  }
  return h;
}

std::string check_structure(const Structure& s) {
  if (s.empty()) return "no fields";
  if (s.size() > 2046) return "too many fields";
  std::set<std::string> names;
  long total = 1;
  for (const FieldSpec& f : s) {
    const std::string name = upper_name(f.name);
    if (name.empty() || name.size() > 10) return "invalid field name '" + f.name + "'";
    for (char c : name) {
      if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
        return "invalid field name '" + f.name + "'";
    }
    if (!names.insert(name).second) return "duplicate field name " + name;
    const char type = static_cast<char>(f.type >= 'a' && f.type <= 'z' ? f.type - 32 : f.type);
    switch (type) {
      case 'C':
        if (f.length < 1 || f.length > 65535) return "invalid width for " + name;
        break;
      case 'N':
      case 'F':
        if (f.length < 1 || f.length > 255 || f.decimals < 0 || f.decimals >= f.length)
          return "invalid width for " + name;
        break;
      case 'D':
        if (f.length != 8) return "invalid width for " + name;
        break;
      case 'L':
        if (f.length != 1) return "invalid width for " + name;
        break;
      case 'M':
        if (f.length != 10) return "invalid width for " + name;
        break;
      default:
        return "invalid type '" + std::string(1, f.type) + "' for " + name;
    }
    total += f.length;
  }
  if (total > 65535) return "record longer than 65,535 bytes";
  return {};
}

uint8_t version_for(MemoKind memo) {
  switch (memo) {
    case MemoKind::kDbt:
      return 0x83;
    case MemoKind::kFpt:
      return 0xF5;
    case MemoKind::kNone:
      break;
  }
  return 0x03;
}

std::vector<uint8_t> encode_new_table(const Structure& s, MemoKind memo, HeaderDate today) {
  const size_t n = s.size();
  const size_t header_length = kTableHeaderSize + kDescriptorSize * n + 2;
  std::vector<uint8_t> out(header_length, 0);
  out[0] = version_for(memo);
  out[1] = static_cast<uint8_t>(today.year - 1900);
  out[2] = static_cast<uint8_t>(today.month);
  out[3] = static_cast<uint8_t>(today.day);
  put16(&out[8], static_cast<uint32_t>(header_length));
  put16(&out[10], static_cast<uint32_t>(record_length_of(s)));
  for (size_t i = 0; i < n; ++i) {
    uint8_t* d = &out[kTableHeaderSize + kDescriptorSize * i];
    const std::string name = upper_name(s[i].name);
    std::memcpy(d, name.data(), std::min<size_t>(name.size(), 10));
    const char type =
        static_cast<char>(s[i].type >= 'a' && s[i].type <= 'z' ? s[i].type - 32 : s[i].type);
    d[11] = static_cast<uint8_t>(type);
    if (type == 'C') {
      d[16] = static_cast<uint8_t>(s[i].length & 0xFF);
      d[17] = static_cast<uint8_t>(s[i].length >> 8);
    } else {
      d[16] = static_cast<uint8_t>(s[i].length);
      d[17] = static_cast<uint8_t>(s[i].decimals);
    }
  }
  out[header_length - 2] = 0x0D;
  out[header_length - 1] = 0x00;
  return out;
}

std::array<uint8_t, kTableHeaderSize> encode_header_update(const TableHeader& h, HeaderDate date,
                                                           uint32_t count) {
  std::array<uint8_t, kTableHeaderSize> out = h.raw;
  uint8_t version = h.version;
  if (version == 0x07) version = 0x03;
  if (version == 0x87) version = 0x83;
  out[0] = version;
  out[1] = static_cast<uint8_t>(h.vfp ? date.year % 100 : date.year - 1900);
  out[2] = static_cast<uint8_t>(date.month);
  out[3] = static_cast<uint8_t>(date.day);
  put32(&out[4], count);
  put16(&out[8], h.header_length);
  put16(&out[10], h.record_length);
  return out;
}

HeaderDate header_date(const TableHeader& h, int epoch) {
  int year = h.raw[1];
  year = year > 99 ? 1900 + year : window_year(year, epoch);
  return {year, h.raw[2], h.raw[3]};
}

}  // namespace codfix::dbf
