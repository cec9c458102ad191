// Feeds arbitrary bytes to the table reader as a DBF file: the header and
// descriptor checks, and, when the table opens, every record and field value.
// Damaged input must give failures, never a crash, a hang or a huge allocation.
//
// Seeds: tests/data/dbf/shapes/*.DBF tests/data/dbf/shapes/*.dbf tests/data/dbf/damaged/*/*.DBF
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/dbf/dbt_file.h"
#include "platform/dbf/table.h"
#include "platform/dbf/table_header.h"
#include "platform/filelock/files.h"
#include "platform/filelock/handle.h"

using namespace codfix;

namespace {

void put(const char* name, const void* data, size_t size) {
  fs::Result<filelock::Handle> h = filelock::Handle::create(name);
  if (h.ok() && size > 0) (void)h->write_at(0, data, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string problem;
  (void)dbf::decode_table_header({data, size}, size, problem);

  put("MEM:FUZZ.DBF", data, size);
  const std::string memo = dbf::DbtFile::empty_header();
  put("MEM:FUZZ.DBT", memo.data(), memo.size());
  put("MEM:FUZZ.FPT", memo.data(), memo.size());
  {
    dbf::Failure failure;
    dbf::OpenOptions options;
    options.read_only = true;
    std::unique_ptr<dbf::Table> t = dbf::Table::open("MEM:FUZZ.DBF", options, failure);
    if (t) {
      uint32_t n = 0;
      if (!t->count(n)) {
        Value v;
        for (uint32_t k = 1; k <= n && k <= 2000; ++k) {
          if (t->go(k)) break;
          for (int i = 0; i < t->field_count(); ++i) (void)t->get(i, v);
        }
      }
    }
  }
  (void)filelock::remove_file("MEM:FUZZ.DBF");
  (void)filelock::remove_file("MEM:FUZZ.DBT");
  (void)filelock::remove_file("MEM:FUZZ.FPT");
  return 0;
}
