// The memory space: files whose names begin with "MEM:" live in process memory
// instead of on disk, within a fixed total capacity (a setting). Creating a file
// or growing one past the capacity fails with DOS code 1130 ("not enough server
// storage"), which callers use to fall back to a disk file.
//
// Names are compared ignoring case; the "MEM:" prefix is part of the name. Files
// are opened through Handle (handle.h) like disk files; this class offers the
// whole-file operations (exists, size, delete, rename, list).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/fs/result.h"

namespace codfix::filelock {

// DOS code for a full memory space.
inline constexpr int kNoServerStorage = 1130;

// True when the name begins with "MEM:" in any case.
bool is_memory_name(std::string_view path);

struct OpenFile;

// One memory file's bytes. Guarded by the memory space's mutex.
struct MemoryFile {
  std::string name;
  std::vector<char> data;
  std::weak_ptr<OpenFile> open;  // the process entry while handles use it
};

class MemorySpace {
 public:
  static constexpr uint64_t kDefaultCapacity = 256ull << 20;

  static MemorySpace& instance();

  void set_capacity(uint64_t bytes);
  uint64_t capacity() const;
  uint64_t used() const;

  bool exists(std::string_view name) const;
  fs::Result<uint64_t> size(std::string_view name) const;
  // Deleting or renaming a file that is open is a sharing violation (32); a
  // missing file is 2; a rename onto an existing name is 80.
  fs::Status remove(std::string_view name);
  fs::Status rename(std::string_view from, std::string_view to);
  // The names of all memory files, as created.
  std::vector<std::string> list() const;
  // Deletes every file that is not open (tests use it between cases).
  void clear();

  // For Handle: finds a file, or creates / empties one (1130 when full).
  std::shared_ptr<MemoryFile> find(std::string_view name) const;
  fs::Result<std::shared_ptr<MemoryFile>> create(std::string_view name);
  // Data transfer; growth is checked against the capacity.
  size_t read(const MemoryFile& f, uint64_t offset, void* buffer, size_t count) const;
  fs::Status write(MemoryFile& f, uint64_t offset, const void* data, size_t count);
  uint64_t size(const MemoryFile& f) const;
  fs::Status truncate(MemoryFile& f, uint64_t size);

 private:
  static std::string key(std::string_view name);

  mutable std::mutex mu_;
  uint64_t capacity_ = kDefaultCapacity;
  uint64_t used_ = 0;
  std::unordered_map<std::string, std::shared_ptr<MemoryFile>> files_;
};

}  // namespace codfix::filelock
