// libFuzzer target for the NTX page reader: the input is an index file. Its header
// is decoded, every page is checked, and when the header passes, the file is opened
// from memory and walked both ways, counted, verified, searched and updated. Any
// crash, hang or sanitizer report is a bug; corruption statuses are expected.
// Seeds: tests/data/ntx/kv/KVITEM.NTX tests/data/ntx/kv/KVDATA.NTX tests/data/ntx/damaged/*/*.NTX
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/ntx/cursor.h"
#include "platform/ntx/header.h"
#include "platform/ntx/index.h"
#include "platform/ntx/page_check.h"
#include "platform/text/codepage.h"

namespace {

using namespace codfix::ntx;

// An index file held in memory.
class MemoryPageFile final : public PageFile {
 public:
  explicit MemoryPageFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  Status read_at(uint64_t offset, void* buffer, size_t count) override {
    if (offset > bytes_.size() || count > bytes_.size() - offset)
      return Status(Code::kReadError, "read past the end");
    std::memcpy(buffer, bytes_.data() + offset, count);
    return {};
  }
  Status write_at(uint64_t offset, const void* data, size_t count) override {
    if (offset + count > (64u << 20)) return Status(Code::kWriteError, "too large");
    if (offset + count > bytes_.size()) bytes_.resize(offset + count);
    std::memcpy(bytes_.data() + offset, data, count);
    return {};
  }
  Result<uint64_t> size() override { return static_cast<uint64_t>(bytes_.size()); }
  Status truncate(uint64_t size) override {
    bytes_.resize(size);
    return {};
  }
  Status sync() override { return {}; }
  bool shared() const override { return shared_; }
  bool writable() const override { return true; }
  Status lock(LockMode) override { return {}; }
  Status unlock() override { return {}; }
  std::string name() const override { return "fuzz.ntx"; }
  bool shared_ = false;

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  codfix::text::set_code_page(codfix::text::CodePage::PT850);
  std::vector<uint8_t> bytes(data, data + size);
  auto header = decode_header(bytes, bytes.size());
  if (!header.ok()) return 0;
  Geometry g{header->max_items, header->key_size};
  KeyOrder order{codfix::text::weights(), header->descending};
  if (header->max_items >= 2) {
    for (size_t at = kPageSize; at + kPageSize <= bytes.size(); at += kPageSize)
      (void)check_page(bytes.data() + at, g, static_cast<uint32_t>(at), bytes.size(), order);
  }
  auto file = std::make_unique<MemoryPageFile>(bytes);
  file->shared_ = (size & 1) != 0;
  auto opened = Index::open(std::move(file), codfix::text::weights());
  if (!opened.ok()) return 0;
  Index& index = **opened;
  const size_t limit = bytes.size() / 8 + 16;  // more keys than the file can hold: a loop
  Cursor c(index);
  size_t n = 0;
  for (Status s = c.first(); s.ok() && c.on_key() && n < limit; s = c.next()) ++n;
  n = 0;
  for (Status s = c.last(); s.ok() && c.on_key() && n < limit; s = c.prev()) ++n;
  (void)index.key_count();
  (void)index.verify();
  std::string key(index.key_size(), 'M');
  (void)c.seek(key.substr(0, 1));
  (void)c.seek(key, true);
  (void)c.position();
  if (index.verify().ok()) {
    for (uint32_t r = 1; r <= 20; ++r) (void)index.insert(key, r);
    for (uint32_t r = 1; r <= 20; r += 2) (void)index.remove(key, r);
    (void)index.verify();
  }
  return 0;
}
