// DbtFile: the dBase III memo file (.dbt): 512-byte blocks, block 0 the header with
// the next free block (u32 LE at 0); a memo is its text followed by 0x1A 0x1A and
// read up to the first 0x1A.
#pragma once

#include "platform/dbf/memo_file.h"

namespace codfix::dbf {

class DbtFile : public MemoFile {
 public:
  static constexpr uint32_t kBlockSize = 512;

  DbtFile(filelock::Handle file, std::string name)
      : MemoFile(MemoKind::kDbt, std::move(file), std::move(name)) {}

  Failure read(uint32_t block, std::string& out) override;
  Failure write(std::string_view text, uint32_t& block) override;
  Failure zap() override;
  Failure init_empty(filelock::Handle& out) override;

  // The 512-byte header of an empty file.
  static std::string empty_header();
};

}  // namespace codfix::dbf
