// Field descriptions of a DBF table: what a structure asks for (FieldSpec) and
// what an open table knows about each field (Field: also its place in the record).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace codfix::dbf {

// A field as a structure gives it: {name, type, width, decimals}. For C fields
// the width may reach 65,535 (stored across the length and decimals bytes).
struct FieldSpec {
  std::string name;
  char type = 'C';
  int length = 0;
  int decimals = 0;
  friend bool operator==(const FieldSpec&, const FieldSpec&) = default;
};

using Structure = std::vector<FieldSpec>;

// Descriptor flag bits (Visual FoxPro tables).
namespace field_flags {
inline constexpr uint8_t kSystem = 0x01;
inline constexpr uint8_t kNullable = 0x02;
inline constexpr uint8_t kBinary = 0x04;
inline constexpr uint8_t kAutoIncrement = 0x08;
}  // namespace field_flags

struct Field {
  std::string name;  // upper case
  char type = 'C';
  uint16_t length = 0;
  uint8_t decimals = 0;  // 0 for C fields (their decimals byte is the length's high byte)
  uint8_t flags = 0;
  uint32_t offset = 0;  // of the first byte in the record (the deletion flag is at 0)

  bool hidden() const { return type == '0'; }  // the VFP _NullFlags bitmap
  bool is_memo() const { return type == 'M' || type == 'G' || type == 'P' || type == 'W'; }
};

// The record length a structure gives: 1 (deletion flag) + the field widths.
int record_length_of(const Structure& s);

}  // namespace codfix::dbf
