// FptFile: the FoxPro memo file (.fpt): a header with the next free block and the
// block size (big-endian), then memo blocks each starting with an 8-byte header
// (type, length, big-endian) and the data. New files get a 512-byte header and
// 64-byte blocks; writes append at the next free block.
#pragma once

#include "platform/dbf/memo_file.h"

namespace codfix::dbf {

class FptFile : public MemoFile {
 public:
  static constexpr uint32_t kDefaultBlockSize = 64;
  static constexpr uint32_t kHeaderSize = 512;

  FptFile(filelock::Handle file, std::string name)
      : MemoFile(MemoKind::kFpt, std::move(file), std::move(name)) {}

  Failure read(uint32_t block, std::string& out) override;
  Failure write(std::string_view text, uint32_t& block) override;
  Failure zap() override;
  Failure init_empty(filelock::Handle& out) override;

  static std::string empty_header();
  // The block size stored in a header (the rules for garbage in bytes 4-5); 0 when
  // invalid.
  static uint32_t block_size_of(const uint8_t* header);

 private:
  Failure header_block_size(uint32_t& size);
};

}  // namespace codfix::dbf
