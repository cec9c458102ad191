// MemoFile: the memo file beside a table (DBT or FPT, chosen by the table's
// version byte). Memo texts are stored in runs of blocks; the record keeps the
// first block number.
//
// Writes append: a new text always goes to the first never-used block (taken
// under the memo lock, 1 byte at offset 0, when the file is shared), so stations
// that still read the old text are never disturbed. Reads check every block number
// against the file: a damaged pointer or file is a corruption failure, not an
// empty or cut text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/dbf/failure.h"
#include "platform/dbf/table_header.h"
#include "platform/filelock/handle.h"

namespace codfix::dbf {

class MemoFile {
 public:
  virtual ~MemoFile() = default;

  // The text stored at `block` (block 0 is never asked for).
  virtual Failure read(uint32_t block, std::string& out) = 0;
  // Stores a non-empty text; `block` receives its first block number.
  virtual Failure write(std::string_view text, uint32_t& block) = 0;
  // Empties the file to a bare header.
  virtual Failure zap() = 0;
  // Makes `out` a fresh memo file of the same kind (for PACK's copy).
  virtual Failure init_empty(filelock::Handle& out) = 0;

  MemoKind kind() const { return kind_; }
  filelock::Handle& handle() { return file_; }
  const std::string& name() const { return name_; }

  // Opens the memo file of a table; the same share mode as the table. Missing
  // file: open error, subcode 1002.
  static std::unique_ptr<MemoFile> open(MemoKind kind, std::string_view path, bool write,
                                        filelock::Share share, Failure& failure);
  // Creates an empty memo file (the table's create).
  static std::unique_ptr<MemoFile> create(MemoKind kind, std::string_view path, Failure& failure);
  // A memo object over an already open file (PACK's temporary copy).
  static std::unique_ptr<MemoFile> wrap(MemoKind kind, filelock::Handle file);
  // The memo file name of a table: its base name with .dbt / .fpt, the extension's
  // case following the table name's.
  static std::string path_for(std::string_view table_path, MemoKind kind);

 protected:
  MemoFile(MemoKind kind, filelock::Handle file, std::string name)
      : kind_(kind), file_(std::move(file)), name_(std::move(name)) {}
  // Takes / releases the memo lock when the file is shared.
  Failure lock();
  void unlock();

  MemoKind kind_;
  filelock::Handle file_;
  std::string name_;
};

}  // namespace codfix::dbf
