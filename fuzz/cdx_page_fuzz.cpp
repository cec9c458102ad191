// libFuzzer target for the CDX page reader: the input is a compound index file. Its
// directory header is decoded and every 512-byte page is decoded under the rules of
// a character and of a numeric tree; when the header passes, the file is opened
// from memory, every tag is opened (as character keys, and as numbers when its key
// length allows), walked both ways, counted, verified, searched and numbered, and
// a tag that verifies is updated. Any crash, hang or sanitizer report is a bug;
// corruption statuses are expected.
// Seeds: tests/data/cdx/*.CDX tests/data/dbf/shapes/*.CDX
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/cdx/compound_file.h"
#include "platform/cdx/cursor.h"
#include "platform/cdx/node.h"
#include "platform/cdx/tag.h"
#include "platform/cdx/tag_header.h"
#include "platform/text/codepage.h"

namespace {

using namespace codfix::cdx;

// A compound file held in memory.
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
  std::string name() const override { return "fuzz.cdx"; }
  bool shared_ = false;

 private:
  std::vector<uint8_t> bytes_;
};

void exercise(Tag& tag, size_t limit) {
  Cursor c(tag);
  size_t n = 0;
  for (Status s = c.first(); s.ok() && c.on_key() && n < limit; s = c.next()) ++n;
  n = 0;
  for (Status s = c.last(); s.ok() && c.on_key() && n < limit; s = c.prev()) ++n;
  (void)tag.key_count();
  std::string key(tag.key_size(), 'M');
  (void)c.seek(key.substr(0, 1));
  (void)c.seek(key, true);
  (void)c.position();
  (void)c.go_to_position(3);
  (void)c.find(key, 7);
  if (tag.verify().ok()) {
    for (uint32_t r = 1; r <= 30; ++r) (void)tag.insert(key, r);
    for (uint32_t r = 1; r <= 30; r += 2) (void)tag.remove(key, r);
    (void)tag.verify();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  codfix::text::set_code_page(codfix::text::CodePage::PT850);
  std::vector<uint8_t> bytes(data, data + size);
  auto header = decode_tag_header(bytes, bytes.size(), true);
  if (!header.ok()) return 0;
  const TreeRules rules[] = {
      {header->key_size, ' ', KeyOrder{codfix::text::weights(), false}, false},
      {8, '\0', KeyOrder{}, false},
      {header->key_size, ' ', KeyOrder{}, true},
  };
  for (size_t at = kHeaderSize; at + kPageSize <= bytes.size(); at += kPageSize) {
    for (const TreeRules& r : rules) {
      Node node;
      (void)decode_node(bytes.data() + at, r, static_cast<uint32_t>(at), bytes.size(), node);
    }
  }
  auto file = std::make_unique<MemoryPageFile>(bytes);
  file->shared_ = (size & 1) != 0;
  auto opened = CompoundFile::open(std::move(file));
  if (!opened.ok()) return 0;
  CompoundFile& cf = **opened;
  (void)cf.verify();
  const size_t limit = bytes.size() / 3 + 16;  // more keys than the file can hold: a loop
  const std::vector<TagInfo> tags = cf.tags();
  for (const TagInfo& info : tags) {
    auto tag = cf.open_tag(info.name, KeyType::kCharacter, codfix::text::weights());
    if (tag.ok()) exercise(**tag, limit);
    if (info.header.key_size == 8) {
      auto number = cf.open_tag(info.name, KeyType::kNumeric, nullptr);
      if (number.ok()) exercise(**number, limit);
    }
  }
  if (!tags.empty()) (void)cf.delete_tag(tags.front().name);
  return 0;
}
