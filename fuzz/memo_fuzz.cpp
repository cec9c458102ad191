// Feeds arbitrary bytes to the memo readers as a DBT or FPT file (the first byte
// chooses) and reads the first blocks as memo starts. Damaged input must give
// failures, never a crash, a hang or a huge allocation.
//
// Seeds: tests/data/dbf/shapes/*.DBT tests/data/dbf/shapes/*.dbt tests/data/dbf/shapes/*.FPT
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/dbf/memo_file.h"
#include "platform/filelock/files.h"
#include "platform/filelock/handle.h"

using namespace codfix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const dbf::MemoKind kind = data[0] & 1 ? dbf::MemoKind::kFpt : dbf::MemoKind::kDbt;
  {
    fs::Result<filelock::Handle> h = filelock::Handle::create("MEM:FUZZ.MEM");
    if (!h.ok()) return 0;
    if (size > 1) (void)h->write_at(0, data + 1, size - 1);
  }
  {
    dbf::Failure failure;
    std::unique_ptr<dbf::MemoFile> memo =
        dbf::MemoFile::open(kind, "MEM:FUZZ.MEM", false, filelock::Share::kShared, failure);
    if (memo) {
      std::string text;
      for (uint32_t block = 0; block < 64; ++block) (void)memo->read(block, text);
      (void)memo->read(0xFFFFFFFFu, text);
    }
  }
  (void)filelock::remove_file("MEM:FUZZ.MEM");
  return 0;
}
