// Test support: reading the fixture tables' raw field bytes (to compute the keys the
// fixture tags hold), walk orders, scratch files, and opening compound files and
// tags through the library's normal path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib/core/value.h"
#include "platform/cdx/compound_file.h"
#include "platform/cdx/cursor.h"
#include "platform/cdx/tag.h"

namespace codfix::cdx::testing {

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
void write_file(const std::string& path, const std::string& bytes);
// Record numbers of an .order.txt (whitespace-separated numbers), or of the
// "recnos:" line after `section` in a file of several sections.
std::vector<uint32_t> read_order(const std::string& path, const std::string& section = "");

// A fresh scratch folder for one test; `name` inside it.
std::string scratch_file(const std::string& name);
// Copies a file (fixtures are read-only in the source tree), writable.
std::string copy_to_scratch(const std::string& from, const std::string& name);

// Opens a compound file; failures are test failures (nullptr).
std::unique_ptr<CompoundFile> open_compound(const std::string& path, bool writable = false,
                                            bool shared = false);
// Opens a tag of it; failures are test failures (nullptr).
std::unique_ptr<Tag> open_tag(CompoundFile& file, const std::string& name, KeyType type);

struct Entry {
  std::string key;
  uint32_t recno;
  friend bool operator==(const Entry&, const Entry&) = default;
};

// Every entry of a tag in its order (or reversed, from the last), with the status
// of the first failing step; stops after `limit` entries.
struct Walk {
  std::vector<Entry> entries;
  Status status;
};
Walk walk(Tag& tag, bool backward = false, size_t limit = 10'000'000);

}  // namespace codfix::cdx::testing
