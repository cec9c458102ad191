// The production (structural) index of a table: the .cdx file with the table's
// base name in the table's own folder (the name compared ignoring case; no search
// path), which the CDX driver opens with the table. The table header marks it in
// byte 28, bit 0x01; the DBF side writes that byte with the rest of its header,
// setting the bit when it creates the production index and clearing it when the
// last tag is deleted (the file is then removed).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace codfix::cdx {

// Offset of the table flags byte in a DBF header, and the production-index bit.
inline constexpr size_t kTableFlagsOffset = 28;
inline constexpr uint8_t kProductionFlag = 0x01;

inline bool has_production_flag(uint8_t table_flags) {
  return (table_flags & kProductionFlag) != 0;
}
inline uint8_t with_production_flag(uint8_t table_flags, bool on) {
  return static_cast<uint8_t>(on ? (table_flags | kProductionFlag)
                                 : (table_flags & ~kProductionFlag));
}

// The name the production index of `table_path` is created under: the table's
// folder and base name with ".cdx" (".CDX" when the base name has no lower-case
// letter, as the other index names of the engine are made).
std::string production_index_name(std::string_view table_path);

// The production index of a table when it exists beside it (found ignoring case;
// MEM: tables look in the memory space), as the path it was found under.
std::optional<std::string> find_production_index(std::string_view table_path);

// Whether `index_path` names the production index of `table_path`: same folder,
// same base name ignoring case, extension .cdx.
bool is_production_index(std::string_view table_path, std::string_view index_path);

}  // namespace codfix::cdx
