// Test support: reading the fixture tables' raw field bytes (to compute the keys the
// fixture indexes hold), walk orders, and scratch files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib/core/value.h"
#include "platform/ntx/index.h"

namespace codfix::ntx::testing {

// A DBF read as raw bytes: enough to pull out field bytes by name.
class RawTable {
 public:
  explicit RawTable(const std::string& path);
  uint32_t records() const { return count_; }
  // The stored bytes of a field of record `recno` (1-based).
  std::string field(uint32_t recno, const std::string& name) const;
  // The field as a value: C text, N number, D date, L logical.
  Value value(uint32_t recno, const std::string& name) const;

 private:
  struct Field {
    std::string name;
    char type;
    int offset, length, decimals;
  };
  const Field& find(const std::string& name) const;
  std::string bytes_;
  uint32_t header_ = 0, record_ = 0, count_ = 0;
  std::vector<Field> fields_;
};

std::string data_path(const std::string& relative);
std::string read_file(const std::string& path);
// Record numbers of an .order.txt (whitespace-separated numbers), or of the line
// after `section` in a file of several sections ("recnos: ...").
std::vector<uint32_t> read_order(const std::string& path, const std::string& section = "");

// A fresh scratch folder for one test; `file` names inside it.
std::string scratch_file(const std::string& name);
// Copies a file (fixtures are read-only in the source tree).
std::string copy_to_scratch(const std::string& from, const std::string& name);

// Opens an index file through the library's normal path.
std::unique_ptr<Index> open_index(const std::string& path, const uint8_t* weights,
                                  bool writable = false, bool shared = false);

}  // namespace codfix::ntx::testing
