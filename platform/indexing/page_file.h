// PageFile: the file underneath an index (an NTX file, a CDX compound file), as the
// index libraries need it. The one implementation in use is over platform/filelock
// (handle_page_file.h); tests and fuzz targets may supply others.
//
// Implementations must make read_at() fail (kReadError) when fewer bytes than asked
// are available, take the index lock as a byte-range lock on the one byte the
// format uses (shared or exclusive, waiting until it is granted), and report every
// failure with its errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/indexing/status.h"

namespace codfix::indexing {

enum class LockMode : uint8_t { kShared, kExclusive };

class PageFile {
 public:
  virtual ~PageFile() = default;

  virtual Status read_at(uint64_t offset, void* buffer, size_t count) = 0;
  virtual Status write_at(uint64_t offset, const void* data, size_t count) = 0;
  virtual Result<uint64_t> size() = 0;
  virtual Status truncate(uint64_t size) = 0;
  virtual Status sync() = 0;

  // True when other processes may use the file at the same time: the index then
  // locks around every traversal and update and re-reads the header under the lock.
  virtual bool shared() const = 0;
  virtual bool writable() const = 0;
  // The index lock. lock() waits; unlock() releases what lock() took.
  virtual Status lock(LockMode mode) = 0;
  virtual Status unlock() = 0;

  // The name to show in messages.
  virtual std::string name() const = 0;
};

struct FileOptions {
  bool writable = true;
  bool shared = false;  // shared open: lock around every traversal and update
  bool create = false;  // create (or empty) the file, in exclusive use
};

}  // namespace codfix::indexing
