// The DBF file header: the 32-byte table header and the field descriptors that
// follow it, read from bytes and written to bytes.
//
// decode_table_header() trusts nothing: every check a damaged or foreign file can
// fail gives a reason text instead of a header (the caller turns it into the
// corruption error). encode_table_header() writes what a new table needs:
// H = 32 + 32n + 2 (0x0D, 0x00), zeros in every reserved byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/dbf/field.h"

namespace codfix::dbf {

enum class MemoKind : uint8_t { kNone, kDbt, kFpt };

inline constexpr int kTableHeaderSize = 32;
inline constexpr int kDescriptorSize = 32;
inline constexpr char kLiveFlag = ' ';
inline constexpr char kDeletedFlag = '*';
inline constexpr uint8_t kEndOfFile = 0x1A;

struct TableHeader {
  std::array<uint8_t, kTableHeaderSize> raw{};  // as read; unknown bytes survive rewrites
  uint8_t version = 0x03;
  uint32_t record_count = 0;  // what the header says (not trusted)
  uint16_t header_length = 0;
  uint16_t record_length = 0;
  MemoKind memo = MemoKind::kNone;
  bool vfp = false;  // Visual FoxPro table (0x30-0x32)
  std::vector<Field> fields;
};

// The date of the last update, as stored.
struct HeaderDate {
  int year = 0, month = 0, day = 0;
};

// Reads the header from the first bytes of a file (`bytes` holds at least the
// header length, or the whole file when it is shorter). `file_size` is the size of
// the whole file. On failure returns nullopt and says why in `problem`.
std::optional<TableHeader> decode_table_header(std::span<const uint8_t> bytes, uint64_t file_size,
                                               std::string& problem);

// The header length a header claims (bytes 8-9), to know how much to read; 0 when
// fewer than 32 bytes are given.
uint16_t claimed_header_length(std::span<const uint8_t> bytes);

// Checks a structure for a new table; empty when it is fine, else the reason.
std::string check_structure(const Structure& s);

// A new table's header (count 0, today's date) and descriptors, ready to write.
// `memo` decides the version byte (0x03, 0x83, 0xF5).
std::vector<uint8_t> encode_new_table(const Structure& s, MemoKind memo, HeaderDate today);

// The 32-byte header to write back: the bytes read at open with the version,
// date and count replaced.
std::array<uint8_t, kTableHeaderSize> encode_header_update(const TableHeader& h, HeaderDate date,
                                                           uint32_t count);

// The last-update date stored in a header (year byte above 99 is 1900 + value,
// 0-99 goes through the century window `epoch`).
HeaderDate header_date(const TableHeader& h, int epoch);

// The version byte written for a memo kind.
uint8_t version_for(MemoKind memo);

}  // namespace codfix::dbf
